// Close / Exit against a scripted laser and library: the module calls, how often the laser is
// switched off, when its port is closed, and that the program is asked to end.

#include "bench_fixture.h"
#include "../laser/laser_replies.h"

#include "app/form1.h"
#include "app/info_box.h"
#include "app/shutdown_controller.h"
#include "laser/tls_link.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

constexpr int kLaserPort = 7;

struct ShutdownTest : ::testing::Test {
    FakeBench bench{false};
    Form1& f = bench->form1();
    ScriptedLaser laser;
    int ends = 0;
    bool endedWithPortOpen = true;

    void SetUp() override
    {
        bench.serial->addPort(kLaserPort, laser.device());
        bench->Form_Load();
        bench->shutdown().setEndProgram([this] {
            ++ends;
            endedWithPortOpen = bench.serial->isOpen();
        });
    }
    void openLaserPort()
    {
        f.SetTLSComPort->click();
        ASSERT_TRUE(bench.serial->isOpen());
    }
    void closeExit()
    {
        bench.library->calls.clear();
        laser.received.clear();
        f.CloseExit->click();
        EXPECT_EQ(ends, 1) << "the end is requested once, as the last step";
    }
};

TEST_F(ShutdownTest, WithoutLaserOnlyTheModuleIsStoppedAndReleased)
{
    openLaserPort();
    f.CheckTLS->setChecked(false);
    closeExit();
    EXPECT_EQ(bench.library->calls, (QStringList{"Stop_All()", "Release_All()"}));
    EXPECT_TRUE(laser.received.empty());
    EXPECT_TRUE(endedWithPortOpen) << "the laser's port is left alone when the laser takes no part";
}

TEST_F(ShutdownTest, LaserOnIsSwitchedOffTwiceThenThePortClosesBeforeTheEnd)
{
    openLaserPort();
    f.TLSOnOff->click();  // starts pressed: off
    f.TLSOnOff->click();  // on
    ASSERT_TRUE(f.TLSOnOff->isChecked());
    closeExit();
    EXPECT_EQ(bench.library->calls, (QStringList{"Stop_All()", "Release_All()"}));
    EXPECT_EQ(laser.received, (std::vector<std::string>{"LSOF", "LSOF"}));
    EXPECT_FALSE(f.TLSOnOff->isChecked());
    EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is Off"));
    EXPECT_FALSE(endedWithPortOpen);
}

TEST_F(ShutdownTest, LaserAlreadyOffIsSwitchedOffOnce)
{
    openLaserPort();
    f.TLSOnOff->click();  // off
    closeExit();
    EXPECT_EQ(laser.received, (std::vector<std::string>{"LSOF"}));
    EXPECT_FALSE(endedWithPortOpen);
}

TEST_F(ShutdownTest, SweepingLaserStopsItsSweepWhileSwitchingOff)
{
    openLaserPort();
    f.TLSOnOff->click();
    f.TLSOnOff->click();
    f.StartStopSweep->click();
    ASSERT_TRUE(f.StartStopSweep->isChecked());
    closeExit();
    EXPECT_EQ(laser.received, (std::vector<std::string>{"LSOF", "SWSP", "LSOF"}));
    EXPECT_FALSE(f.StartStopSweep->isEnabled());
}

TEST_F(ShutdownTest, NoModuleAndNoLaserPortStillCallsTheLibraryAndEnds)
{
    // Start-up leaves the laser toggle pressed and no port open: the laser-off branch runs twice,
    // sending nothing, and the program still ends.
    const std::size_t writtenAtStart = bench.serial->written.size();  // the detection's probe
    closeExit();
    EXPECT_EQ(bench.library->calls, (QStringList{"Stop_All()", "Release_All()"}));
    EXPECT_EQ(bench.serial->written.size(), writtenAtStart);
    EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is Off"));
}

TEST(ShutdownEnd, CloseExitEndsTheApplicationsEventLoop)
{
    FakeBench bench;
    QTimer::singleShot(0, bench.bench.get(), [&bench] { bench->form1().CloseExit->click(); });
    QTimer guard;  // a program that failed to end would otherwise hang the test
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

// Clicked while another handler waits: the process ends at once instead of returning into that wait.
void closeExitDuringAWait()
{
    resetSharedState();
    DialogsGuard dialogs;
    FakeClock portClock;
    BenchServices services;
    services.library = std::make_unique<FakeDeviceLibrary>();
    services.serial = std::make_unique<FakeSerialPort>(portClock);  // no ports: the laser link ends silently
    Bench bench(std::move(services));                               // the system's clock: real waits
    bench.Form_Load();
    QTimer::singleShot(50, &bench, [&bench] { bench.form1().CloseExit->click(); });
    bench.link().Delay(5000);
    std::fprintf(stderr, "returned into the wait\n");
    std::exit(3);
}

TEST(ShutdownEndDeathTest, CloseExitInsideAWaitEndsTheProcessAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(closeExitDuringAWait(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
