// Close / Exit against a scripted laser and library: the module calls, how often the laser is
// switched off, when its port is closed, and that the program is asked to end.

#include "bench_fixture.h"
#include "../laser/laser_replies.h"

#include "core/form1.h"
#include "core/info_box.h"
#include "app/shutdown_controller.h"
#include "records/record_writer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(Shutdown, TheLaserIsSwitchedOffAsItStandsAndItsPortClosedBeforeTheEnd)
{
    // Start-up leaves the laser toggle pressed: with no port open the laser-off branch runs twice,
    // sending nothing, and the program still ends.
    const struct {
        const char* name;
        bool openPort, laserInUse;
        int onOffClicks;  // the toggle starts pressed: one click switches off, two on again
        bool sweeping;
        std::vector<std::string> sent;
        bool endedWithPortOpen;
    } rows[] = {
        {"laser out of use: its port is left alone", true, false, 0, false, {}, true},
        {"laser off: switched off once", true, true, 1, false, {"LSOF"}, false},
        {"laser on: switched off twice", true, true, 2, false, {"LSOF", "LSOF"}, false},
        {"sweeping: the sweep stops inside the first switch-off", true, true, 2, true, {"LSOF", "SWSP", "LSOF"}, false},
        {"no port open", false, true, 0, false, {}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeBench bench{false};
        Form1& f = bench->form1();
        ScriptedLaser laser;
        bench.serial->addPort(7, laser.device());
        bench->startup().Form_Load();
        int ends = 0;
        bool endedWithPortOpen = true;
        bench->shutdown().setEndProgram([&] {
            ++ends;
            endedWithPortOpen = bench.serial->isOpen();
        });
        if (row.openPort) f.SetTLSComPort->click();
        for (int i = 0; i < row.onOffClicks; ++i) f.TLSOnOff->click();
        if (row.sweeping) f.StartStopSweep->click();
        f.CheckTLS->setChecked(row.laserInUse);
        bench.library->calls.clear();
        laser.received.clear();

        f.CloseExit->click();
        EXPECT_EQ(ends, 1) << "the end is requested once, as the last step";
        EXPECT_EQ(bench.library->calls, (QStringList{"Stop_All()", "Release_All()"}));
        EXPECT_EQ(laser.received, row.sent);
        EXPECT_EQ(endedWithPortOpen, row.endedWithPortOpen);
        if (!row.laserInUse) continue;
        EXPECT_FALSE(f.TLSOnOff->isChecked() || f.StartStopSweep->isEnabled());
        EXPECT_EQ(bench->info().text(), QStringLiteral("TLS is Off"));
    }
}

TEST(Shutdown, RecordsNotYetStoredMakeCloseExitAskFirst)
{
    QTemporaryDir dir;
    FakeBench bench{true, QStringLiteral("postgresql://bench@:5432/vxm"), dir.filePath(QStringLiteral("spool.sqlite"))};
    int ends = 0;
    bench->shutdown().setEndProgram([&] { ++ends; });
    for (int n = 0; n < 2; ++n) {
        MeasurementRecord r;
        r.uid = newRecordUid();
        bench->records()->submit(std::move(r));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return bench->records()->status().waiting == 2; }, 10000));

    bench.dialogs->questionAnswer = false;  // Wait
    bench.library->calls.clear();
    bench->form1().CloseExit->click();
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(bench.library->calls.isEmpty()) << "nothing was stopped or released";
    ASSERT_EQ(bench.dialogs->questions.size(), 1);
    EXPECT_TRUE(bench.dialogs->questions[0].startsWith(
        QStringLiteral("2 records have not reached the records database yet, 0 of them only in memory.")))
        << bench.dialogs->questions[0].toStdString();
    EXPECT_EQ(bench.dialogs->lastAnswers, (QStringList{QStringLiteral("Close anyway"), QStringLiteral("Wait")}));

    bench->form1().show();
    EXPECT_FALSE(bench->form1().close()) << "the window's close button asks the same";
    EXPECT_EQ(bench.dialogs->questions.size(), 2);

    bench.dialogs->questionAnswer = true;  // Close anyway
    bench->form1().CloseExit->click();
    EXPECT_EQ(ends, 1);
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

}  // namespace
