// The module side of the program through the project's libKetrolanLib.so and the simulated
// module: port, connection, identity, a connection without the laser, and a scan stopped from
// the window. Also leaves pictures of the connected bench in both languages.

#include "e2e_bench.h"

#include "core/units.h"

#include <QRegularExpression>

namespace {

using ModuleE2e = E2eBench;

TEST_F(ModuleE2e, PortConnectionAndIdentityListing)
{
    Form1& f = form();
    click(f.SetVXMComPort);
    EXPECT_EQ(infoText(), QStringLiteral("VXM COM port set successfully\r\nHandle = 1006"));
    EXPECT_EQ(info().color(), VbColor::Blue);
    EXPECT_EQ(Module1.ModuleHandle, 1006);
    EXPECT_EQ(backColorOf(f.SetVXMComPort), VbColor::LightGreen);
    ASSERT_TRUE(f.SetConnection->isEnabled());

    click(f.SetConnection);
    EXPECT_EQ(f.SetConnection->text(), QStringLiteral("VXM Connected"));
    EXPECT_EQ(backColorOf(f.SetConnection), VbColor::Green);
    EXPECT_TRUE(f.ReadVXMInfo->isEnabled());
    // "VXM is connected" gives way to the listing of Read VXM Info.
    const QStringList lines = infoText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7) << infoText().toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^0\\. Lib: .{8}$")).match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("1. P/N: VXMOB-2CH-S01"));
    EXPECT_EQ(lines[2], QStringLiteral("2. S/N: VX26110815"));
    EXPECT_EQ(lines[3], QStringLiteral("3. M/D: 03/02/2025"));
    EXPECT_EQ(lines[6], QStringLiteral("6. T =  25.3 °C"));
    EXPECT_EQ(info().fontName(), QStringLiteral("Courier New"));
    EXPECT_EQ(info().fontSize(), 12);
    EXPECT_EQ(info().color(), VbColor::Blue);
    // With the laser in use the connection leaves the scan controls to the laser's steps.
    EXPECT_FALSE(f.CheckVXMScanMode->isEnabled());
    EXPECT_FALSE(f.Text1->isEnabled());
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

TEST_F(ModuleE2e, ChineseMessagesForPortAndConnection)
{
    click(form().LanguageButton);
    ASSERT_EQ(Module1.Language, 2);
    click(form().SetVXMComPort);
    EXPECT_EQ(infoText(), QStringLiteral("VXM COM端口设置成功\r\nHandle = 1006"));
    click(form().SetConnection);
    EXPECT_EQ(form().SetConnection->text(), QStringLiteral("VXM连接完成"));
    EXPECT_TRUE(infoText().startsWith(QStringLiteral("0. Lib: ")));
}

TEST_F(ModuleE2e, ScanStartedThroughTheLibraryIsStoppedFromTheWindow)
{
    connectModule();
    DeviceLibrary& library = bench->library();
    const std::int32_t handle = Module1.ModuleHandle;
    // 80 nm at 1 nm/s: the scan would run for over a minute.
    ASSERT_EQ(library.Start_Scan(handle, 1260, 1340, 1, 1, 1001, 0, -1), 1);
    EXPECT_EQ(library.Is_Scan_Done(handle), 0);

    form().StopVXMScan->setEnabled(true);  // as a running measurement leaves it
    click(form().StopVXMScan);
    EXPECT_EQ(infoText(), QStringLiteral("Stop Scan Code = 1\r\nCurrent VXM scan is stopped"));
    EXPECT_EQ(info().color(), VbColor::Blue);
    EXPECT_EQ(Module1.RepeatStop, 1);
    EXPECT_TRUE(form().StartStopSweep->isEnabled());
    EXPECT_EQ(library.Is_Scan_Done(handle), 1);
}

class LaserlessE2e : public E2eBench {
protected:
    // The laser on COM5 makes the module the last port the detection opens, whose part number the
    // connection reads its band from.
    QStringList simulatorArguments() const override
    {
        return {QStringLiteral("--laser"), QStringLiteral("COM5"), QStringLiteral("--band"), QStringLiteral("EB")};
    }
};

TEST_F(LaserlessE2e, ConnectionWithoutLaserPresetsTheBandFromTheProbedPartNumber)
{
    Form1& f = form();
    EXPECT_TRUE(Module1.ProbePN.startsWith(QStringLiteral("VXMEB"))) << Module1.ProbePN.toStdString();
    f.CheckTLS->setChecked(false);
    EXPECT_FALSE(f.SetTLSComPort->isEnabled());

    connectModule();
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1350"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1450"));
    EXPECT_TRUE(f.Text1->isEnabled());
    EXPECT_TRUE(f.Text3->isEnabled());
    EXPECT_TRUE(f.CheckAlignMode->isEnabled());
    EXPECT_TRUE(f.CheckVXMScanMode->isEnabled());
    EXPECT_FALSE(f.CheckPowerMeter->isEnabled());
    EXPECT_FALSE(f.ComboBoxTLSCOM->isEnabled());
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::PaleGreen) << "channel 1 is selected at start-up";
    EXPECT_EQ(requestCount("LSOF"), 0);
}

TEST_F(ModuleE2e, PicturesOfTheConnectedBenchInBothLanguages)
{
    connectModule();
    openLaserPort();
    switchLaserOn();
    EXPECT_EQ(backColorOf(form().SetConnection), VbColor::Green);
    saveForm1(QStringLiteral("e2e-form1-connected-en.png"));
    click(form().LanguageButton);
    EXPECT_EQ(form().CloseExit->text(), QStringLiteral("关闭/退出"));
    saveForm1(QStringLiteral("e2e-form1-connected-zh.png"));
}

}  // namespace
