// Laser output, sweep and wavelength handlers walking the window's state table against a
// scripted laser: the frames written, enable states, captions, colours and messages.

#include "bench_fixture.h"
#include "laser_replies.h"

#include "app/form1.h"
#include "app/info_box.h"
#include "app/units.h"
#include "laser/tls_control_controller.h"

#include <gtest/gtest.h>

namespace {

constexpr int kLaserPort = 7;

struct ControlTest : ::testing::Test {
    FakeBench bench{false};
    Form1& f = bench->form1();
    ScriptedLaser laser;

    void SetUp() override
    {
        bench.serial->addPort(kLaserPort, laser.device());
        bench->Form_Load();
        f.SetTLSComPort->click();
        laser.received.clear();
    }
    QString info() { return bench->info().text(); }
    std::vector<std::string> sent()
    {
        std::vector<std::string> out = laser.received;
        laser.received.clear();
        return out;
    }
    void laserOn()
    {
        f.TLSOnOff->click();  // starts pressed: the first click switches off
        f.TLSOnOff->click();
        laser.received.clear();
    }
};

using Commands = std::vector<std::string>;

TEST_F(ControlTest, FirstClickSwitchesOffThenOn)
{
    ASSERT_TRUE(f.TLSOnOff->isChecked());
    f.TLSOnOff->click();
    EXPECT_EQ(sent(), Commands{"LSOF"});
    EXPECT_EQ(bench.serial->writtenTo(kLaserPort).back().toHex().toUpper(), QByteArray("AA4C534F4600000134"));
    EXPECT_EQ(info(), QStringLiteral("TLS is Off"));
    EXPECT_EQ(bench->info().color(), VbColor::Black);
    EXPECT_EQ(f.TLSOnOff->text(), QStringLiteral("Set TLS On"));
    EXPECT_EQ(backColorOf(f.TLSOnOff), VbColor::ButtonFace);
    EXPECT_FALSE(f.StartStopSweep->isEnabled());
    EXPECT_FALSE(f.Text1->isEnabled());
    EXPECT_FALSE(f.Transmission->isEnabled());

    f.TLSOnOff->click();
    EXPECT_EQ(sent(), (Commands{"LSON", "RDSW"}));
    EXPECT_EQ(info(), QStringLiteral("TLS is On"));
    EXPECT_EQ(f.TLSOnOff->text(), QStringLiteral("Set TLS Off"));
    EXPECT_EQ(backColorOf(f.TLSOnOff), VbColor::Green);
    for (QWidget* w : {static_cast<QWidget*>(f.StartStopSweep), static_cast<QWidget*>(f.CheckPowerMeter),
                       static_cast<QWidget*>(f.Text1), static_cast<QWidget*>(f.Text2), static_cast<QWidget*>(f.Text3),
                       static_cast<QWidget*>(f.Reflection), static_cast<QWidget*>(f.Transmission)})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(f.CheckAlignMode->isEnabled());
    EXPECT_FALSE(f.Text4->isEnabled());
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::PaleGreen) << "the transmission channel is selected at start";
    EXPECT_EQ(backColorOf(f.Reflection), VbColor::LightGrey);
}

TEST_F(ControlTest, OnAndOffInChinese)
{
    Module1.Language = 2;
    f.TLSOnOff->click();
    EXPECT_EQ(info(), QStringLiteral("激光已经关闭"));
    EXPECT_EQ(f.TLSOnOff->text(), QStringLiteral("打开激光"));
    f.TLSOnOff->click();
    EXPECT_EQ(info(), QStringLiteral("激光已经打开"));
    EXPECT_EQ(f.TLSOnOff->text(), QStringLiteral("关闭TLS"));
}

TEST_F(ControlTest, SweepModeReply)
{
    laser.sweepMode = 1;
    f.Text3->setText(QStringLiteral("100"));
    laserOn();
    EXPECT_EQ(Module1.TLSSweepMode, 1);
    EXPECT_EQ(f.Text3->text(), QStringLiteral("120"));

    laser.sweepMode = 3;
    f.Text3->setText(QStringLiteral("100"));
    bench->tlsControl().ReadTLSSweepMode();
    EXPECT_EQ(Module1.TLSSweepMode, 3);
    EXPECT_EQ(f.Text3->text(), QStringLiteral("100"));

    laser.failingCommand = "RDSW";
    bench->tlsControl().ReadTLSSweepMode();
    EXPECT_EQ(Module1.TLSSweepMode, 0);
    EXPECT_EQ(f.Text3->text(), QStringLiteral("100"));
}

TEST_F(ControlTest, StartAndStopSweepWalkTheStates)
{
    laserOn();
    {
        // Ticked quietly: its own handler would release and disable the sweep button.
        const QSignalBlocker quiet(f.CheckPowerMeter);
        f.CheckPowerMeter->setChecked(true);
    }
    f.StartStopSweep->click();
    EXPECT_EQ(sent(), Commands{"SWST"});
    EXPECT_EQ(bench.serial->writtenTo(kLaserPort).back().toHex(' ').toUpper(),
              QByteArray("AA 53 57 53 54 00 0B 00 01 00 13 39 E0 00 14 72 60 00 00 00 00 00 00 00 64 00 64 00 00 04 37"));
    EXPECT_EQ(f.StartStopSweep->text(), QStringLiteral("Stop TLS Sweep"));
    EXPECT_EQ(backColorOf(f.StartStopSweep), VbColor::Green);
    EXPECT_FALSE(f.CheckPowerMeter->isChecked());
    EXPECT_FALSE(f.CheckPowerMeter->isEnabled());
    EXPECT_TRUE(f.CheckAlignMode->isEnabled());
    EXPECT_TRUE(f.CheckVXMScanMode->isEnabled());
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled());
    EXPECT_FALSE(f.SingleMeasure->isEnabled());
    for (QLineEdit* t : {f.Text1, f.Text2, f.Text3, f.Text4, f.Text8}) EXPECT_FALSE(t->isEnabled());
    EXPECT_EQ(info(), QStringLiteral("TLS is On")) << "starting keeps the text";
    EXPECT_EQ(bench->info().color(), VbColor::Black);

    {
        // Ticked quietly: its own handler would disable the sweep button.
        const QSignalBlocker quiet(f.CheckAlignMode);
        f.CheckAlignMode->setChecked(true);
    }
    const std::uint64_t before = bench.clock->paused();
    f.StartStopSweep->click();
    EXPECT_EQ(sent(), Commands{"SWSP"});
    EXPECT_GE(bench.clock->paused() - before, 300u) << "200 ms before the reply wait's own 100 ms";
    EXPECT_EQ(info(), QStringLiteral("TLS stops sweeping"));
    EXPECT_EQ(f.StartStopSweep->text(), QStringLiteral("Start TLS Sweep"));
    EXPECT_EQ(backColorOf(f.StartStopSweep), VbColor::ButtonFace);
    EXPECT_TRUE(f.CheckPowerMeter->isEnabled());
    EXPECT_FALSE(f.CheckAlignMode->isChecked());
    EXPECT_FALSE(f.CheckAlignMode->isEnabled());
    EXPECT_TRUE(f.StartStopSweep->isEnabled());
    for (QLineEdit* t : {f.Text1, f.Text2, f.Text3}) EXPECT_TRUE(t->isEnabled());
    for (QLineEdit* t : {f.Text4, f.Text5, f.Text8}) EXPECT_FALSE(t->isEnabled());
}

TEST_F(ControlTest, SwitchingOffWhileSweepingStopsTheSweepToo)
{
    laserOn();
    f.StartStopSweep->click();
    laser.received.clear();
    f.TLSOnOff->click();
    EXPECT_EQ(sent(), (Commands{"LSOF", "SWSP"}));
    EXPECT_FALSE(f.StartStopSweep->isChecked());
    EXPECT_FALSE(f.StartStopSweep->isEnabled());
    EXPECT_EQ(f.StartStopSweep->text(), QStringLiteral("Start TLS Sweep"));
    // The stop branch ran after the laser-off branch had disabled them.
    EXPECT_TRUE(f.CheckPowerMeter->isEnabled());
    for (QLineEdit* t : {f.Text1, f.Text2, f.Text3}) EXPECT_TRUE(t->isEnabled());
    EXPECT_FALSE(f.Text4->isEnabled());
    EXPECT_FALSE(f.Reflection->isEnabled());
    EXPECT_EQ(info(), QStringLiteral("TLS stops sweeping"));
}

TEST_F(ControlTest, SweepErrorsAreReported)
{
    laserOn();
    laser.failingCommand = "SWST";
    f.StartStopSweep->click();
    EXPECT_EQ(info(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = 0002\r\n  TLS received data is Out-Of-Range."));
    EXPECT_EQ(bench->info().color(), VbColor::Red);
    EXPECT_TRUE(f.StartStopSweep->isChecked()) << "the window follows the button, not the answer";

    // A laser that falls silent: the empty code is an unknown error.
    bench.serial->addPort(kLaserPort, {});
    f.StartStopSweep->click();
    EXPECT_EQ(info(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = \r\n  Unknown error code.\r\n  Please report to Ostrel."));
}

TEST_F(ControlTest, SweepSpeedOutsideItsWordIsRefusedBeforeSending)
{
    laserOn();
    for (const char* speed : {"70000", "65535.5", "-1"}) {
        SCOPED_TRACE(speed);
        f.Text3->setText(QString::fromLatin1(speed));
        f.StartStopSweep->click();
        EXPECT_TRUE(sent().empty());
        EXPECT_FALSE(f.StartStopSweep->isChecked());
        EXPECT_EQ(f.StartStopSweep->text(), QStringLiteral("Start TLS Sweep"));
        EXPECT_EQ(info(), QStringLiteral("Sweep Speed must be 0 to 65535 (nm/s) !\r\n  Please set Sweep Speed again !"));
        EXPECT_EQ(bench->info().color(), VbColor::Red);
    }
    Module1.Language = 2;
    f.StartStopSweep->click();
    EXPECT_TRUE(info().startsWith(QStringLiteral("扫描速度必须在")));

    f.Text3->setText(QStringLiteral("65535"));
    f.StartStopSweep->click();
    EXPECT_EQ(sent(), Commands{"SWST"});
    EXPECT_EQ(bench.serial->writtenTo(kLaserPort).back().toHex().toUpper().mid(46, 4), QByteArray("FFFF"));
}

TEST_F(ControlTest, SweepFrameReadsTheBoxesByTheirLeadingNumber)
{
    laserOn();
    f.Text1->setText(QStringLiteral("1260.9nm"));
    f.Text2->setText(QStringLiteral("abc"));
    f.Text3->setText(QStringLiteral("12.5"));
    f.StartStopSweep->click();
    const QByteArray hex = bench.serial->writtenTo(kLaserPort).back().toHex().toUpper();
    EXPECT_EQ(hex.mid(18, 8), QByteArray("001339E0"));
    EXPECT_EQ(hex.mid(26, 8), QByteArray("00000000"));
    EXPECT_EQ(hex.mid(46, 4), QByteArray("000C"));
}

TEST_F(ControlTest, SetWavelengthWithinTheRangeEndsIncluded)
{
    ASSERT_EQ(Module1.TLSWLMin, 1260.0F);
    for (const char* nm : {"1260", "1340", "1550.0005"}) {
        SCOPED_TRACE(nm);
        const bool inRange = QByteArray(nm) != "1550.0005";
        f.Text4->setText(QString::fromLatin1(nm));
        bench->info().setText(QStringLiteral("before"));
        bench->tlsControl().SetTLSWavelength();
        EXPECT_EQ(sent().size(), inRange ? 1u : 0u);
    }
    f.Text4->setText(QStringLiteral("1260"));
    bench->tlsControl().SetTLSWavelength();
    EXPECT_EQ(bench.serial->writtenTo(kLaserPort).back().toHex().toUpper(), QByteArray("AA474F574C0002001339E00267"));
    laser.received.clear();

    for (const char* nm : {"1259.999", "1340.001"}) {
        SCOPED_TRACE(nm);
        f.Text4->setText(QString::fromLatin1(nm));
        bench->tlsControl().SetTLSWavelength();
        EXPECT_TRUE(sent().empty());
        EXPECT_EQ(info(), QStringLiteral("Wavelength is Out-Of-Range !\r\n  Please set Wavelength again !"));
        EXPECT_EQ(bench->info().color(), VbColor::Red);
    }
    Module1.Language = 2;
    bench->tlsControl().SetTLSWavelength();
    EXPECT_EQ(info(), QStringLiteral("波长超出范围 !\r\n  请重新设置波长 !"));
}

TEST_F(ControlTest, SetWavelengthReportsAnErrorReplyAndRefusesWithoutARange)
{
    laser.failingCommand = "GOWL";
    f.Text4->setText(QStringLiteral("1300"));
    bench->tlsControl().SetTLSWavelength();
    EXPECT_EQ(info(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = 0002\r\n  TLS received data is Out-Of-Range."));

    Module1.TLSWLMin = 0;
    Module1.TLSWLMax = 0;
    laser.received.clear();
    bench->tlsControl().SetTLSWavelength();
    EXPECT_TRUE(sent().empty());
}

TEST_F(ControlTest, ChannelButtonsSwapTheirColours)
{
    laserOn();
    f.Reflection->click();
    EXPECT_EQ(Module1.ChannelSelect, 0);
    EXPECT_EQ(backColorOf(f.Reflection), VbColor::PaleGreen);
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::LightGrey);
    f.Transmission->click();
    EXPECT_EQ(Module1.ChannelSelect, 1);
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::PaleGreen);
    EXPECT_EQ(backColorOf(f.Reflection), VbColor::LightGrey);
    EXPECT_TRUE(sent().empty());

    // Switching on marks the selected channel.
    f.Reflection->click();
    setBackColor(f.Reflection, VbColor::LightGrey);
    f.TLSOnOff->click();
    f.TLSOnOff->click();
    EXPECT_EQ(backColorOf(f.Reflection), VbColor::PaleGreen);
}

TEST(ControlWithoutPort, OnOffStillReportsWhenNoPortIsOpen)
{
    FakeBench bench;
    bench->form1().TLSOnOff->click();
    EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is Off"));
    bench->form1().TLSOnOff->click();
    EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is On"));
    EXPECT_TRUE(bench.serial->written.empty());
    EXPECT_TRUE(bench.dialogs->warnings.isEmpty());
}

}  // namespace
