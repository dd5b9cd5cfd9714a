// The laser's output, sweep and wavelength handlers against a scripted laser: frames, enable states, captions, colours.

#include "bench_fixture.h"
#include "form_checks.h"
#include "laser_replies.h"

#include "core/form1.h"
#include "core/info_box.h"
#include "core/units.h"
#include "laser/tls_control_controller.h"

#include <tuple>

#include <gtest/gtest.h>

namespace {

constexpr int kLaserPort = 7;
const QString kOutOfRange = QStringLiteral("  Error Warning!\r\n\r\n  Error Code = 0002\r\n  TLS received data is Out-Of-Range.");

struct ControlTest : ::testing::Test {
    FakeBench bench{false};
    Form1& f = bench->form1();
    ScriptedLaser laser;

    void SetUp() override
    {
        bench.serial->addPort(kLaserPort, laser.device());
        bench->startup().Form_Load();
        f.SetTLSComPort->click();
        laser.received.clear();
    }
    QString info() { return bench->info().text(); }
    // The commands the laser received since the last call, e.g. "LSON RDSW".
    std::string sent()
    {
        std::string out;
        for (const std::string& c : laser.received) out += (out.empty() ? "" : " ") + c;
        laser.received.clear();
        return out;
    }
    QByteArray lastFrame() { return bench.serial->writtenTo(kLaserPort).back().toHex().toUpper(); }
    void laserOn()
    {
        f.TLSOnOff->click();  // starts pressed: the first click switches off
        f.TLSOnOff->click();
        laser.received.clear();
    }
};

TEST_F(ControlTest, FirstClickSwitchesOffThenOnWithItsCaptionAndReport)
{
    ASSERT_TRUE(f.TLSOnOff->isChecked());
    f.TLSOnOff->click();
    EXPECT_EQ(sent(), "LSOF");
    EXPECT_EQ(lastFrame(), QByteArray("AA4C534F4600000134"));
    EXPECT_EQ(backColorOf(f.TLSOnOff), VbColor::ButtonFace);
    expectEnabled(f, "-StartStopSweep -Text1 -Transmission");

    laser.sweepMode = 1;
    f.TLSOnOff->click();
    EXPECT_EQ(sent(), "LSON RDSW");
    EXPECT_EQ(f.Text3->text(), QStringLiteral("120")) << "switching on reads the sweep mode";
    EXPECT_EQ(backColorOf(f.TLSOnOff), VbColor::Green);
    expectEnabled(f, "StartStopSweep CheckPowerMeter Text1 Text2 Text3 Reflection Transmission -CheckAlignMode -Text4");

    f.TLSOnOff->click();
    EXPECT_EQ(std::pair(info(), f.TLSOnOff->text()), std::pair(QStringLiteral("TLS is Off"), QStringLiteral("Set TLS On")));
    Module1.Language = 2;
    f.TLSOnOff->click();
    EXPECT_EQ(std::pair(info(), f.TLSOnOff->text()), std::pair(QStringLiteral("激光已经打开"), QStringLiteral("关闭TLS")));
}

TEST_F(ControlTest, SweepModeOneSetsTheSpeedTo120)
{
    // Mode as answered, stored mode, speed box.
    const std::tuple<std::uint16_t, const char*, int, const char*> rows[] = {
        {1, "", 1, "120"}, {3, "", 3, "100"}, {1, "RDSW", 0, "100"}};
    for (const auto& [mode, failing, stored, speed] : rows) {
        laser.sweepMode = mode;
        laser.failingCommand = failing;
        f.Text3->setText(QStringLiteral("100"));
        bench->tlsControl().ReadTLSSweepMode();
        EXPECT_EQ(std::pair(Module1.TLSSweepMode, f.Text3->text()), std::pair(stored, QString::fromLatin1(speed))) << failing;
    }
}

TEST_F(ControlTest, StartAndStopSweepWalkTheStates)
{
    laserOn();
    tickQuietly({{f.CheckPowerMeter, true}});
    f.StartStopSweep->click();
    EXPECT_EQ(sent(), "SWST");
    EXPECT_EQ(lastFrame(), QByteArray("AA53575354000B0001001339E0001472600000000000000064006400000437"));
    EXPECT_EQ(std::pair(f.StartStopSweep->text(), backColorOf(f.StartStopSweep)), std::pair(QStringLiteral("Stop TLS Sweep"), VbColor::Green));
    EXPECT_FALSE(f.CheckPowerMeter->isChecked());
    expectEnabled(f, "-CheckPowerMeter CheckAlignMode CheckVXMScanMode -SingleMeasure -Text1 -Text3");
    EXPECT_EQ(std::pair(info(), bench->info().color()), std::pair(QStringLiteral("TLS is On"), VbColor::Black)) << "starting keeps the text";

    tickQuietly({{f.CheckAlignMode, true}});
    const std::uint64_t before = bench.clock->paused();
    f.StartStopSweep->click();
    EXPECT_EQ(sent(), "SWSP");
    EXPECT_GE(bench.clock->paused() - before, 300u) << "200 ms before the reply wait's own 100 ms";
    EXPECT_EQ(info(), QStringLiteral("TLS stops sweeping"));
    EXPECT_EQ(std::pair(f.StartStopSweep->text(), backColorOf(f.StartStopSweep)), std::pair(QStringLiteral("Start TLS Sweep"), VbColor::ButtonFace));
    EXPECT_FALSE(f.CheckAlignMode->isChecked());
    expectEnabled(f, "CheckPowerMeter -CheckAlignMode StartStopSweep Text1 Text3 -Text8");
}

TEST_F(ControlTest, SweepSpeedOutsideItsWordIsRefusedBeforeSending)
{
    laserOn();
    for (const char* speed : {"70000", "65535.5", "-1"}) {
        SCOPED_TRACE(speed);
        f.Text3->setText(QString::fromLatin1(speed));
        f.StartStopSweep->click();
        EXPECT_EQ(sent(), "");
        EXPECT_FALSE(f.StartStopSweep->isChecked());
        EXPECT_EQ(std::tuple(info(), bench->info().color()),
                  std::tuple(QStringLiteral("Sweep Speed must be 0 to 65535 (nm/s) !\r\n  Please set Sweep Speed again !"), VbColor::Red));
        EXPECT_EQ(f.StartStopSweep->text(), QStringLiteral("Start TLS Sweep"));
    }
    // Boxes read by their leading number, whole nm below it; the speed rounds half to even. The frame's start, stop, speed:
    const std::tuple<const char*, const char*, const char*, const char*> accepted[] = {
        {"1260", "1340", "65535", "001339E000147260 FFFF"}, {"1260.9nm", "abc", "12.5", "001339E000000000 000C"},
        {"-0.5", "1340.999", "13.5", "FFFFFC1800147260 000E"}};
    for (const auto& [start, stop, speed, fields] : accepted) {
        f.Text1->setText(QLatin1String(start));
        f.Text2->setText(QLatin1String(stop));
        f.Text3->setText(QLatin1String(speed));
        f.StartStopSweep->click();
        EXPECT_EQ(sent(), "SWST");
        EXPECT_EQ(lastFrame().mid(18, 16) + " " + lastFrame().mid(46, 4), QByteArray(fields));
        f.StartStopSweep->click();  // stop again
        sent();
    }
}

// The range ends, in English, are walked against the simulated laser end to end.
TEST_F(ControlTest, SetWavelengthSendsOnlyWithinTheLasersRange)
{
    f.Text4->setText(QStringLiteral("1260"));
    bench->tlsControl().SetTLSWavelength();
    EXPECT_EQ(lastFrame(), QByteArray("AA474F574C0002001339E00267"));
    laser.failingCommand = "GOWL";
    bench->tlsControl().SetTLSWavelength();
    EXPECT_EQ(info(), kOutOfRange);
    laser.received.clear();

    f.Text4->setText(QStringLiteral("1550.0005"));
    bench->tlsControl().SetTLSWavelength();
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(std::pair(info(), bench->info().color()),
              std::pair(QStringLiteral("Wavelength is Out-Of-Range !\r\n  Please set Wavelength again !"), VbColor::Red));
    Module1.TLSWLMin = Module1.TLSWLMax = 0;  // no range read
    f.Text4->setText(QStringLiteral("1300"));
    bench->tlsControl().SetTLSWavelength();
    EXPECT_EQ(sent(), "");
}

TEST_F(ControlTest, ChannelButtonsSwapTheirColoursAndSwitchingOnMarksTheSelectedOne)
{
    laserOn();
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::PaleGreen) << "selected at start";
    f.Reflection->click();
    EXPECT_EQ(Module1.ChannelSelect, 0);
    EXPECT_EQ(std::pair(backColorOf(f.Reflection), backColorOf(f.Transmission)), std::pair(VbColor::PaleGreen, VbColor::LightGrey));
    f.Transmission->click();
    EXPECT_EQ(Module1.ChannelSelect, 1);
    EXPECT_EQ(std::pair(backColorOf(f.Transmission), backColorOf(f.Reflection)), std::pair(VbColor::PaleGreen, VbColor::LightGrey));
    EXPECT_EQ(sent(), "");
    f.Reflection->click();
    setBackColor(f.Reflection, VbColor::LightGrey);
    laserOn();
    EXPECT_EQ(backColorOf(f.Reflection), VbColor::PaleGreen);
}

TEST(ControlWithoutAnswer, OnOffReportsWithNoPortOrASilentLaserAndAWavelengthGetsAnUnknownCode)
{
    FakeBench bench;
    Form1& f = bench->form1();
    f.TLSOnOff->click();
    EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is Off"));
    f.TLSOnOff->click();
    EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is On"));
    EXPECT_TRUE(bench.serial->written.empty() && bench.dialogs->warnings.isEmpty());

    // A silent laser: switching off waits out the time-out and still reports; no reply is an unknown error code.
    bench.serial->addPort(kLaserPort, {});
    f.SetTLSComPort->click();
    ASSERT_TRUE(bench->MSComm1().isOpen());
    const std::uint64_t before = bench.clock->paused();
    f.TLSOnOff->click();
    EXPECT_GE(bench.clock->paused() - before, 10000U);
    EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is Off"));
    Module1.TLSWLMin = 1260, Module1.TLSWLMax = 1340;
    f.Text4->setText(QStringLiteral("1310"));
    bench->tlsControl().SetTLSWavelength();
    EXPECT_TRUE(bench->info().text().contains(QStringLiteral("Unknown error code."))) << bench->info().text().toStdString();
}

}  // namespace
