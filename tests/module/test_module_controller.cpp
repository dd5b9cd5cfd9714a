#include "core/form1.h"
#include "core/info_box.h"
#include "core/units.h"
#include "bench_fixture.h"
#include "form_checks.h"
#include "module/module_controller.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <cstring>

namespace {

const QString kWelcome = QStringLiteral("\r\nWelcome to use VXM");
const QString kListing = QString::fromUtf8(
    "0. Lib: 1.0.0000\r\n1. P/N: VXMCB-2CH\r\n2. S/N: SN0042\r\n3. M/D: 03/15/2026\r\n"
    "4. F/V: 2.10\r\n5. H/V: C\r\n6. T =  25 °C");

// The information box as the operator sees it.
struct Shown {
    QString text;
    std::uint32_t color;
    QString font = QStringLiteral("Arial");
    bool operator==(const Shown&) const = default;
    friend void PrintTo(const Shown& s, std::ostream* o) { *o << qPrintable(s.text) << " | " << std::hex << s.color << " | " << qPrintable(s.font); }
};
Shown shown(FakeBench& b) { return {b->info().text(), b->info().color(), b->info().fontName()}; }

// The record behind kListing.
void scriptRecord(FakeDeviceLibrary& lib)
{
    lib.info.fill(0);
    for (const auto& [at, text] : {std::pair{0, "VXMCB-2CH"}, {20, "SN0042"}, {40, "03/15/2026"}, {50, "2.10"}, {58, "C"}})
        std::memcpy(lib.info.data() + at, text, std::strlen(text));
    lib.info[71] = 250;
}

void setPort(FakeBench& b, const char* com = "COM6")
{
    b->form1().ComboBoxVXMCOM->setCurrentText(QString::fromLatin1(com));
    b->form1().SetVXMComPort->click();
}

// Port and connection with the laser out of use, from a probe that found `probePN`.
void connectWithoutLaser(FakeBench& b, const char* probePN = "VXMCB01\r\n")
{
    Module1.ProbePN = QString::fromLatin1(probePN);
    b->form1().CheckTLS->setChecked(false);
    setPort(b);
    b->form1().SetConnection->click();
}

}  // namespace

TEST(SetVXMComPort, HandlesAbove1000SucceedBelowFailAnd1000ShowsNothing)
{
    const struct {
        std::int32_t handle;
        const char *com, *call, *text;  // text nullptr: the box is left as it was
        std::uint32_t color;
    } rows[] = {
        {4321, "COM12", "Initialize_Port(11)", "VXM COM port set successfully\r\nHandle = 4321", VbColor::Blue},
        {999, "COM30", "Initialize_Port(29)", "VXM COM port set failed \r\nPlease check VXM COM port", VbColor::Red},
        {1000, "COM1", "Initialize_Port(0)", nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.handle);
        FakeBench b;
        b->form1().SetConnection->setEnabled(false);
        b.library->portHandle = row.handle;
        const Shown before = shown(b);
        setPort(b, row.com);
        EXPECT_EQ(b.library->calls.last(), QLatin1String(row.call));
        EXPECT_EQ(Module1.ModuleHandle, row.handle);  // a failing handle is kept too
        EXPECT_EQ(shown(b), row.text ? (Shown{QString::fromUtf8(row.text), row.color}) : before);
        EXPECT_EQ(b->form1().SetConnection->isEnabled(), row.handle > 1000);
        EXPECT_EQ(backColorOf(b->form1().SetVXMComPort), VbColor::LightGreen);
    }

    FakeBench b;
    b->form1().LanguageButton->setChecked(true);  // the controller's Chinese sample
    b->form1().SetConnection->setEnabled(true);
    b.library->portHandle = 999;
    setPort(b);
    EXPECT_EQ(b->info().text(), QString::fromUtf8("VXM COM端口设置失败 \r\n请检查VXM COM端口"));
    EXPECT_TRUE(b->form1().SetConnection->isEnabled()) << "a failure disables nothing";
    b.library->portHandle = 2001;
    setPort(b, "COM2");
    EXPECT_EQ(Module1.ModuleHandle, 2001);
    EXPECT_FALSE(b.library->calls.join(QLatin1Char(' ')).contains(QStringLiteral("Release"))) << "set again, not released";
}

TEST(SetConnection, SuccessMarksTheButtonShowsTheListingAndLeavesTheLaserControlsAlone)
{
    FakeBench b;
    Form1& f = b->form1();
    scriptRecord(*b.library);
    Module1.ProbePN = QStringLiteral("VXMFB01\r\n");
    setPort(b);
    f.SetConnection->click();
    EXPECT_EQ(std::tuple(f.SetConnection->text(), backColorOf(f.SetConnection)), std::tuple(QStringLiteral("VXM Connected"), VbColor::Green));
    EXPECT_EQ(b.library->calls.mid(b.library->calls.size() - 3).join(' '),
              QStringLiteral("Initialize_Connection(1234) Get_Lib_Version() Get_Info(1234)"));
    // Read VXM Info ran and its listing replaced "VXM is connected".
    EXPECT_EQ(shown(b), (Shown{kListing, VbColor::Blue, QStringLiteral("Courier New")}));
    EXPECT_EQ(b->info().fontSize(), 12);
    // With the laser ticked the scan controls and boxes stay as they were.
    EXPECT_EQ(f.Text1->text() + f.Text2->text(), QStringLiteral("12601340"));
    expectEnabled(f, "ReadVXMInfo -CheckAlignMode -CheckVXMScanMode -Reflection -Transmission -Text1 -Text3 "
                     "SetTLSComPort ComboBoxTLSCOM");
    EXPECT_NE(backColorOf(f.Transmission), VbColor::PaleGreen);

    // Reading the information again fails: red at size 12, the font name kept.
    b.library->infoResult = 3;
    b->info().setFontSize(9);
    f.ReadVXMInfo->click();
    EXPECT_EQ(shown(b), (Shown{QStringLiteral("Reading VXM info failed\r\nPlease read again"), VbColor::Red, QStringLiteral("Courier New")}));
    EXPECT_EQ(b->info().fontSize(), 12);
}

TEST(SetConnection, FailureReportsAndChangesNothingElse)
{
    FakeBench b;
    b.library->connectionResult = 7;
    connectWithoutLaser(b);
    Form1& f = b->form1();
    EXPECT_EQ(shown(b), (Shown{QStringLiteral("VXM connection failed\r\nPlease connect VXM"), VbColor::Red}));
    EXPECT_EQ(f.SetConnection->text() + ' ' + f.Text1->text(), QStringLiteral("Set VXM Connection 1260"));
    expectEnabled(f, "-ReadVXMInfo -CheckAlignMode");
    EXPECT_EQ(b.library->calls.last(), QStringLiteral("Initialize_Connection(1234)"));
}

TEST(SetConnection, WithoutLaserPresetsTheBandMarksTheChannelAndOpensScanOptionsEveryTime)
{
    // An unknown band keeps what the boxes held.
    const struct {
        const char* pn;
        std::int16_t channel;
        const char *start, *stop;
    } rows[] = {{"VXMLB-01\r\n", 1, "1570", "1610"}, {"VXMOE01\r\n", 0, "1260", "1450"}, {"VXMZZ01\r\n", 1, "1400", "1340"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pn);
        FakeBench b;
        Form1& f = b->form1();
        Module1.ChannelSelect = row.channel;
        for (int connection = 1; connection <= 2; ++connection) {
            f.Text1->setText(QStringLiteral("1400"));
            f.CheckAlignMode->setEnabled(false);
            if (connection == 1) connectWithoutLaser(b, row.pn);
            else f.SetConnection->click();
            EXPECT_EQ(b.library->calls.count(QStringLiteral("Initialize_Connection(1234)")), connection);
            EXPECT_EQ(f.Text1->text() + ' ' + f.Text2->text(), QLatin1String(row.start) + ' ' + QLatin1String(row.stop));
            // Controls the connection does not name keep their start-up state.
            expectEnabled(f, "-SetTLSComPort -ComboBoxTLSCOM Transmission Reflection Text1 Text2 Text3 CheckAlignMode "
                             "CheckVXMScanMode -CheckPowerMeter -Text4 -SingleMeasure -CheckRemoveBKG");
            EXPECT_EQ(std::tuple(backColorOf(row.channel == 0 ? f.Reflection : f.Transmission), backColorOf(row.channel == 0 ? f.Transmission : f.Reflection)),
                      std::tuple(VbColor::PaleGreen, VbColor::LightGrey));
        }
    }
}

TEST(ModuleFaults, EachHandlerEndsWithItsWarningKeepingWhatItDid)
{
    const struct {
        const char* failingCall;
        void (ModuleController::*handler)();
        const char* warning;
    } cases[] = {
        {"Initialize_Port", &ModuleController::SetVXMComPort_Click, " Error in VXM COM port setting!"},
        {"Initialize_Connection", &ModuleController::SetConnection_Click, " Error in VXM connection!"},
        {"Get_Info", &ModuleController::ReadVXMInfo_Click, " Error in reading VXM information!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failingCall);
        FakeBench b;
        const std::uint32_t portColour = backColorOf(b->form1().SetVXMComPort);
        b.library->faultOn = QLatin1String(c.failingCall);
        (b->module().*c.handler)();
        EXPECT_EQ(b.dialogs->warnings, QStringList{QLatin1String(c.warning)});
        EXPECT_EQ(std::tuple(b->info().text(), backColorOf(b->form1().SetVXMComPort)), std::tuple(kWelcome, portColour));
    }

    // The connection goes on after its information handler ended with the fault.
    FakeBench b;
    b.library->faultOn = QStringLiteral("Get_Info");
    connectWithoutLaser(b);
    EXPECT_EQ(b.dialogs->warnings, QStringList{QStringLiteral(" Error in reading VXM information!")});
    EXPECT_EQ(shown(b), (Shown{QStringLiteral("VXM is connected"), VbColor::Blue}));
    EXPECT_EQ(b->form1().SetConnection->text() + ' ' + b->form1().Text1->text(), QStringLiteral("VXM Connected 1520"));
    expectEnabled(b->form1(), "CheckVXMScanMode");
}

TEST(StopVXMScan, SuccessReopensTheLaserAndReleasesRepeatFailureChangesNothing)
{
    const struct {
        std::int32_t result;
        bool portSet, repeatPressed;
        const char* text;
    } rows[] = {
        {1, true, false, "Stop Scan Code = 1\r\nCurrent VXM scan is stopped"},
        {1, true, true, "Stop Scan Code = 1\r\nCurrent VXM scan is stopped"},
        {0, true, true, "Stop Scan Code = 0\r\nPlease check status"},
        {-5, false, false, "Stop Scan Code = -5\r\nPlease check status"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.result << " repeat " << row.repeatPressed);
        FakeBench b;
        if (row.portSet) setPort(b);
        Form1& f = b->form1();
        f.StartStopSweep->setEnabled(false), f.TLSOnOff->setEnabled(false);
        f.StopVXMScan->setEnabled(true);
        f.RepeatMeasure->setChecked(row.repeatPressed);
        b.library->stopResult = row.result;
        QSignalSpy repeatToggles(f.RepeatMeasure, &QPushButton::toggled);
        f.StopVXMScan->click();
        const bool ok = row.result == 1;
        EXPECT_EQ(b.library->calls.last(), row.portSet ? QStringLiteral("Stop_Scan(1234)") : QStringLiteral("Stop_Scan(0)"));
        EXPECT_EQ(shown(b), (Shown{QString::fromUtf8(row.text), ok ? VbColor::Blue : VbColor::Red}));
        // Released, a pressed Repeat Measurements runs its handler (clearing the flag, disabling Stop): the toggle ends the loop.
        const bool releasedRepeat = ok && row.repeatPressed;
        EXPECT_EQ(Module1.RepeatStop, ok && !releasedRepeat ? 1 : 0);
        EXPECT_EQ(f.RepeatMeasure->isChecked(), row.repeatPressed && !ok);
        EXPECT_EQ(repeatToggles.count(), row.repeatPressed && ok ? 1 : 0) << "its handler runs only when it was pressed";
        // The stop routine itself leaves the stop button as it was.
        expectEnabled(f, !ok              ? "-TLSOnOff -StartStopSweep StopVXMScan"
                         : releasedRepeat ? "TLSOnOff StartStopSweep -StopVXMScan"
                                          : "TLSOnOff StartStopSweep StopVXMScan");
    }
}
