#include "app/form1.h"
#include "app/info_box.h"
#include "app/units.h"
#include "bench_fixture.h"
#include "module/module_controller.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <cstring>

namespace {

const QString kWelcome = QStringLiteral("\r\nWelcome to use VXM");

void useChinese(FakeBench& b) { b->form1().LanguageButton->setChecked(true); }

void scriptRecord(FakeDeviceLibrary& lib)
{
    lib.info.fill(0);
    std::memcpy(lib.info.data(), "VXMCB-2CH", 9);
    std::memcpy(lib.info.data() + 20, "SN0042", 6);
    std::memcpy(lib.info.data() + 40, "03/15/2026", 10);
    std::memcpy(lib.info.data() + 50, "2.10", 4);
    std::memcpy(lib.info.data() + 58, "C", 1);
    lib.info[70] = 0;
    lib.info[71] = 250;
}

const QString kListing = QString::fromUtf8(
    "0. Lib: 1.0.0000\r\n1. P/N: VXMCB-2CH\r\n2. S/N: SN0042\r\n3. M/D: 03/15/2026\r\n"
    "4. F/V: 2.10\r\n5. H/V: C\r\n6. T =  25 °C");

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

struct InfoShown {
    QString text, font;
    std::uint32_t color;
    int size;
};

InfoShown infoOf(FakeBench& b)
{
    InfoBox& i = b->info();
    return {i.text(), i.fontName(), i.color(), i.fontSize()};
}

}  // namespace

// ---- Set VXM COM Port

TEST(SetVXMComPort, SuccessReportsHandleAndEnablesConnection)
{
    FakeBench b;
    b.library->portHandle = 4321;
    b->form1().SetConnection->setEnabled(false);
    setPort(b, "COM12");
    EXPECT_EQ(b.library->calls.last(), QStringLiteral("Initialize_Port(11)"));
    EXPECT_EQ(Module1.ModuleHandle, 4321);
    const InfoShown info = infoOf(b);
    EXPECT_EQ(info.text, QStringLiteral("VXM COM port set successfully\r\nHandle = 4321"));
    EXPECT_EQ(info.color, VbColor::Blue);
    EXPECT_EQ(info.font, QStringLiteral("Arial"));
    EXPECT_TRUE(b->form1().SetConnection->isEnabled());
    EXPECT_EQ(backColorOf(b->form1().SetVXMComPort), VbColor::LightGreen);
}

TEST(SetVXMComPort, MessagesInChinese)
{
    FakeBench b;
    useChinese(b);
    setPort(b);
    EXPECT_EQ(b->info().text(), QString::fromUtf8("VXM COM端口设置成功\r\nHandle = 1234"));
    b.library->portHandle = 12;
    setPort(b);
    EXPECT_EQ(b->info().text(), QString::fromUtf8("VXM COM端口设置失败 \r\n请检查VXM COM端口"));
    EXPECT_EQ(b->info().color(), VbColor::Red);
}

TEST(SetVXMComPort, HandleBelow1000IsFailureButKept)
{
    FakeBench b;
    b.library->portHandle = 999;
    b->form1().SetConnection->setEnabled(false);
    setPort(b, "COM30");
    EXPECT_EQ(b.library->calls.last(), QStringLiteral("Initialize_Port(29)"));
    EXPECT_EQ(Module1.ModuleHandle, 999);
    EXPECT_EQ(b->info().text(), QStringLiteral("VXM COM port set failed \r\nPlease check VXM COM port"));
    EXPECT_EQ(b->info().color(), VbColor::Red);
    EXPECT_EQ(b->info().fontName(), QStringLiteral("Arial"));
    EXPECT_FALSE(b->form1().SetConnection->isEnabled());
    EXPECT_EQ(backColorOf(b->form1().SetVXMComPort), VbColor::LightGreen);
}

TEST(SetVXMComPort, HandleOfExactly1000ShowsNothingAndChangesOnlyTheButtonColour)
{
    for (const bool connectionEnabled : {false, true}) {
        FakeBench b;
        b.library->portHandle = 1000;
        b->form1().SetConnection->setEnabled(connectionEnabled);
        setPort(b);
        EXPECT_EQ(Module1.ModuleHandle, 1000);
        EXPECT_EQ(b->info().text(), kWelcome);
        EXPECT_EQ(b->info().color(), VbColor::Red);  // still the welcome's colour
        EXPECT_EQ(b->form1().SetConnection->isEnabled(), connectionEnabled);
        EXPECT_EQ(backColorOf(b->form1().SetVXMComPort), VbColor::LightGreen);
    }
}

TEST(SetVXMComPort, SettingAgainReplacesTheHandleWithoutReleasing)
{
    FakeBench b;
    setPort(b);
    b.library->portHandle = 2001;
    setPort(b, "COM2");
    EXPECT_EQ(Module1.ModuleHandle, 2001);
    EXPECT_FALSE(b.library->calls.join(QLatin1Char(' ')).contains(QStringLiteral("Release")));
}

// ---- Set VXM Connection

TEST(SetConnection, SuccessWithLaserMarksButtonAndShowsIdentity)
{
    FakeBench b;
    scriptRecord(*b.library);
    setPort(b);
    b->form1().SetConnection->click();
    Form1& f = b->form1();
    EXPECT_EQ(f.SetConnection->text(), QStringLiteral("VXM Connected"));
    EXPECT_EQ(backColorOf(f.SetConnection), VbColor::Green);
    EXPECT_TRUE(f.ReadVXMInfo->isEnabled());
    EXPECT_EQ(b.library->calls.mid(b.library->calls.size() - 3),
              QStringList({QStringLiteral("Initialize_Connection(1234)"), QStringLiteral("Get_Lib_Version()"),
                           QStringLiteral("Get_Info(1234)")}));
    // Read VXM Info ran and its listing replaced "VXM is connected".
    const InfoShown info = infoOf(b);
    EXPECT_EQ(info.text, kListing);
    EXPECT_EQ(info.font, QStringLiteral("Courier New"));
    EXPECT_EQ(info.size, 12);
    EXPECT_EQ(info.color, VbColor::Blue);
}

TEST(SetConnection, WithLaserTickedScanControlsAndBoxesStayAsTheyWere)
{
    FakeBench b;
    Module1.ProbePN = QStringLiteral("VXMFB01\r\n");
    Form1& f = b->form1();
    setPort(b);
    f.SetConnection->click();
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1260"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1340"));
    for (QWidget* w : {static_cast<QWidget*>(f.CheckAlignMode), static_cast<QWidget*>(f.CheckVXMScanMode),
                       static_cast<QWidget*>(f.Reflection), static_cast<QWidget*>(f.Transmission),
                       static_cast<QWidget*>(f.Text1), static_cast<QWidget*>(f.Text3)})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(f.SetTLSComPort->isEnabled());
    EXPECT_TRUE(f.ComboBoxTLSCOM->isEnabled());
    EXPECT_NE(backColorOf(f.Transmission), VbColor::PaleGreen);
}

TEST(SetConnection, ChineseCaptionAndConnectedMessage)
{
    FakeBench b;
    useChinese(b);
    b.library->infoResult = 0;  // keeps the info failure visible instead of the listing
    setPort(b);
    b->form1().SetConnection->click();
    EXPECT_EQ(b->form1().SetConnection->text(), QString::fromUtf8("VXM连接完成"));
    EXPECT_EQ(b->info().text(), QString::fromUtf8("显示VXM信息失败\r\n请重新显示"));
}

TEST(SetConnection, FailureReportsAndChangesNothingElse)
{
    for (const int language : {1, 2}) {
        FakeBench b;
        if (language == 2) useChinese(b);
        b.library->connectionResult = 7;
        connectWithoutLaser(b);
        Form1& f = b->form1();
        EXPECT_EQ(b->info().text(), language == 1 ? QStringLiteral("VXM connection failed\r\nPlease connect VXM")
                                                  : QString::fromUtf8("VXM连接失败\r\n请重新连接VXM"));
        EXPECT_EQ(b->info().color(), VbColor::Red);
        EXPECT_EQ(b->info().fontName(), QStringLiteral("Arial"));
        EXPECT_EQ(f.SetConnection->text(), language == 1 ? QStringLiteral("Set VXM Connection")
                                                         : QString::fromUtf8("设置VXM连接"));
        EXPECT_FALSE(f.ReadVXMInfo->isEnabled());
        EXPECT_FALSE(f.CheckAlignMode->isEnabled());
        EXPECT_EQ(f.Text1->text(), QStringLiteral("1260"));
        EXPECT_EQ(Module1.ModuleHandle, 1234);
        EXPECT_FALSE(b.library->calls.contains(QStringLiteral("Get_Info(1234)")));
    }
}

TEST(SetConnection, WithoutLaserPresetsBandAndOpensScanOptions)
{
    FakeBench b;
    connectWithoutLaser(b, "VXMLB-01\r\n");
    Form1& f = b->form1();
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1570"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1610"));
    EXPECT_FALSE(f.SetTLSComPort->isEnabled());
    EXPECT_FALSE(f.ComboBoxTLSCOM->isEnabled());
    for (QWidget* w : {static_cast<QWidget*>(f.Transmission), static_cast<QWidget*>(f.Reflection),
                       static_cast<QWidget*>(f.Text1), static_cast<QWidget*>(f.Text2), static_cast<QWidget*>(f.Text3),
                       static_cast<QWidget*>(f.CheckAlignMode), static_cast<QWidget*>(f.CheckVXMScanMode)})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(f.CheckPowerMeter->isEnabled());
    // Start-up selects the transmission channel.
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::PaleGreen);
    EXPECT_EQ(backColorOf(f.Reflection), VbColor::LightGrey);
    // Controls the connection does not name keep their start-up state.
    EXPECT_FALSE(f.Text4->isEnabled());
    EXPECT_FALSE(f.SingleMeasure->isEnabled());
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled());
}

TEST(SetConnection, WithoutLaserMarksReflectionWhenItIsSelected)
{
    FakeBench b;
    Module1.ChannelSelect = 0;
    connectWithoutLaser(b);
    EXPECT_EQ(backColorOf(b->form1().Reflection), VbColor::PaleGreen);
    EXPECT_EQ(backColorOf(b->form1().Transmission), VbColor::LightGrey);
}

TEST(SetConnection, WithoutLaserUnknownBandKeepsBoxesButStillOpensControls)
{
    FakeBench b;
    b->form1().Text1->setText(QStringLiteral("1300"));
    connectWithoutLaser(b, "VXMZZ01\r\n");
    Form1& f = b->form1();
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1300"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1340"));
    EXPECT_TRUE(f.Text1->isEnabled());
    EXPECT_TRUE(f.CheckVXMScanMode->isEnabled());
    EXPECT_FALSE(f.SetTLSComPort->isEnabled());
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::PaleGreen);
}

TEST(SetConnection, ConnectingTwiceCallsTheLibraryAgainAndReappliesPresets)
{
    FakeBench b;
    connectWithoutLaser(b, "VXMOE01\r\n");
    Form1& f = b->form1();
    f.Text1->setText(QStringLiteral("1400"));
    f.CheckAlignMode->setEnabled(false);
    f.SetConnection->click();
    EXPECT_EQ(b.library->calls.count(QStringLiteral("Initialize_Connection(1234)")), 2);
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1260"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1450"));
    EXPECT_TRUE(f.CheckAlignMode->isEnabled());
    EXPECT_EQ(f.SetConnection->text(), QStringLiteral("VXM Connected"));
}

// ---- Read VXM Info

TEST(ReadVXMInfo, StoresVersionWithItsNuls)
{
    FakeBench b;
    b.library->version = {'2', '.', '1', 0, 0, 'r', 'c', 0, 'x'};
    b->module().ReadVXMInfo_Click();
    EXPECT_EQ(Module1.LibVersion, QString::fromLatin1("2.1\0\0rc\0", 8));
}

TEST(ReadVXMInfo, ListingIsTheSameInChinese)
{
    FakeBench b;
    useChinese(b);
    scriptRecord(*b.library);
    setPort(b);
    b->module().ReadVXMInfo_Click();
    EXPECT_EQ(b->info().text(), kListing);
    EXPECT_EQ(b->info().fontName(), QStringLiteral("Courier New"));
}

TEST(ReadVXMInfo, FailureIsRedAtSize12KeepingTheFontName)
{
    FakeBench b;
    scriptRecord(*b.library);
    setPort(b);
    b->module().ReadVXMInfo_Click();  // leaves "Courier New" in the box
    b.library->infoResult = 3;
    b->module().ReadVXMInfo_Click();
    const InfoShown info = infoOf(b);
    EXPECT_EQ(info.text, QStringLiteral("Reading VXM info failed\r\nPlease read again"));
    EXPECT_EQ(info.color, VbColor::Red);
    EXPECT_EQ(info.size, 12);
    EXPECT_EQ(info.font, QStringLiteral("Courier New"));
}

// ---- Faults inside the handlers

TEST(ModuleFaults, EachHandlerEndsWithItsWarning)
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
        FakeBench b;
        b.library->faultOn = QLatin1String(c.failingCall);
        (b->module().*c.handler)();
        EXPECT_EQ(b.dialogs->warnings, QStringList{QLatin1String(c.warning)}) << c.failingCall;
        EXPECT_EQ(b->info().text(), kWelcome) << c.failingCall;
    }
}

TEST(ModuleFaults, PortFaultLeavesTheButtonColourUnchanged)
{
    FakeBench b;
    const std::uint32_t before = backColorOf(b->form1().SetVXMComPort);
    b.library->faultOn = QStringLiteral("Initialize_Port");
    setPort(b);
    EXPECT_EQ(backColorOf(b->form1().SetVXMComPort), before);
}

TEST(ModuleFaults, InfoFaultDuringConnectionKeepsWhatTheConnectionDid)
{
    FakeBench b;
    b.library->faultOn = QStringLiteral("Get_Info");
    connectWithoutLaser(b);
    EXPECT_EQ(b.dialogs->warnings, QStringList{QStringLiteral(" Error in reading VXM information!")});
    EXPECT_EQ(b->info().text(), QStringLiteral("VXM is connected"));
    EXPECT_EQ(b->info().color(), VbColor::Blue);
    EXPECT_EQ(b->form1().SetConnection->text(), QStringLiteral("VXM Connected"));
    // The connection goes on after the information handler ended.
    EXPECT_EQ(b->form1().Text1->text(), QStringLiteral("1520"));
    EXPECT_TRUE(b->form1().CheckVXMScanMode->isEnabled());
}

// ---- Stop VXM Scan

TEST(StopVXMScan, SuccessStopsRepeatsAndReopensLaserControls)
{
    for (const int language : {1, 2}) {
        FakeBench b;
        if (language == 2) useChinese(b);
        setPort(b);
        Form1& f = b->form1();
        f.StartStopSweep->setEnabled(false);
        f.TLSOnOff->setEnabled(false);
        f.StopVXMScan->setEnabled(true);
        f.StopVXMScan->click();
        EXPECT_EQ(b.library->calls.last(), QStringLiteral("Stop_Scan(1234)"));
        EXPECT_EQ(Module1.RepeatStop, 1);
        EXPECT_TRUE(f.TLSOnOff->isEnabled());
        EXPECT_TRUE(f.StartStopSweep->isEnabled());
        EXPECT_TRUE(f.StopVXMScan->isEnabled());  // the stop button itself is left as it was
        EXPECT_EQ(b->info().text(), language == 1
                                        ? QStringLiteral("Stop Scan Code = 1\r\nCurrent VXM scan is stopped")
                                        : QString::fromUtf8("Stop Scan Code = 1\r\n停止当前VXM扫描"));
        EXPECT_EQ(b->info().color(), VbColor::Blue);
        EXPECT_EQ(b->info().fontName(), QStringLiteral("Arial"));
    }
}

TEST(StopVXMScan, ReleasesRepeatMeasureAndRunsItsHandlerOnlyWhenPressed)
{
    for (const bool pressed : {true, false}) {
        FakeBench b;
        QPushButton* repeat = b->form1().RepeatMeasure;
        repeat->setChecked(pressed);
        QSignalSpy toggles(repeat, &QPushButton::toggled);
        b->module().StopVXMScan_Click();
        EXPECT_FALSE(repeat->isChecked());
        EXPECT_EQ(toggles.count(), pressed ? 1 : 0);
    }
}

TEST(StopVXMScan, FailureShowsCodeAndChangesNothingElse)
{
    for (const int language : {1, 2}) {
        FakeBench b;
        if (language == 2) useChinese(b);
        b.library->stopResult = 0;
        Form1& f = b->form1();
        f.RepeatMeasure->setChecked(true);
        f.TLSOnOff->setEnabled(false);
        b->module().StopVXMScan_Click();
        EXPECT_EQ(b->info().text(), language == 1 ? QStringLiteral("Stop Scan Code = 0\r\nPlease check status")
                                                  : QString::fromUtf8("Stop Scan Code = 0\r\n请检查状态"));
        EXPECT_EQ(b->info().color(), VbColor::Red);
        EXPECT_EQ(Module1.RepeatStop, 0);
        EXPECT_TRUE(f.RepeatMeasure->isChecked());
        EXPECT_FALSE(f.TLSOnOff->isEnabled());
        EXPECT_FALSE(f.StartStopSweep->isEnabled());
    }
}

TEST(StopVXMScan, WithNoModuleSetUpStopsHandleZero)
{
    FakeBench b;
    b.library->stopResult = -5;
    b->module().StopVXMScan_Click();
    EXPECT_EQ(b.library->calls.last(), QStringLiteral("Stop_Scan(0)"));
    EXPECT_EQ(b->info().text(), QStringLiteral("Stop Scan Code = -5\r\nPlease check status"));
}

// ---- A device library that could not be loaded

TEST(MissingLibrary, EveryModuleButtonReportsFailureInRed)
{
    qputenv("VXM_MODULE_LIBRARY", "/nonexistent/libKetrolanLib.so");
    resetSharedState();
    DialogsGuard dialogs;
    BenchServices services;
    services.library = loadDeviceLibrary();
    qunsetenv("VXM_MODULE_LIBRARY");
    ASSERT_FALSE(services.library->loadProblem().isEmpty());
    Bench bench(std::move(services));
    bench.Form_Load();
    Form1& f = bench.form1();

    f.SetVXMComPort->click();
    EXPECT_EQ(Module1.ModuleHandle, -1);
    EXPECT_EQ(bench.info().text(), QStringLiteral("VXM COM port set failed \r\nPlease check VXM COM port"));
    EXPECT_EQ(bench.info().color(), VbColor::Red);

    f.SetConnection->click();
    EXPECT_EQ(bench.info().text(), QStringLiteral("VXM connection failed\r\nPlease connect VXM"));
    EXPECT_EQ(bench.info().color(), VbColor::Red);

    bench.module().ReadVXMInfo_Click();
    EXPECT_EQ(bench.info().text(), QStringLiteral("Reading VXM info failed\r\nPlease read again"));
    EXPECT_EQ(bench.info().color(), VbColor::Red);

    bench.module().StopVXMScan_Click();
    EXPECT_EQ(bench.info().text(), QStringLiteral("Stop Scan Code = -1\r\nPlease check status"));
    EXPECT_EQ(bench.info().color(), VbColor::Red);
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}
