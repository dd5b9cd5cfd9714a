// Close / Exit against the simulated bench: the laser is switched off on the wire and the port is
// closed, also in the middle of a repeated measurement. (A simulator that quits leaves no link
// behind: its process tests.)

#include "e2e_bench.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

using ShutdownE2e = E2eBench;

TEST_F(ShutdownE2e, LaserOnIsSwitchedOffTwiceAndItsPortClosed)
{
    connectModule();
    openLaserPort();
    switchLaserOn();
    ASSERT_TRUE(sim->command("status").startsWith(QStringLiteral("laser on")));
    const int offsBefore = requestCount("LSOF");

    click(form().CloseExit);
    EXPECT_EQ(endRequests, 1);
    EXPECT_EQ(requestCount("LSOF"), offsBefore + 2);
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser off")));
    EXPECT_FALSE(bench->MSComm1().isOpen());
}

// Close / Exit while the fourth pass of a repeated measurement is being scanned (run by the
// program close_during_repeat, which the click ends): the process ends at once, the laser is
// switched off, and the log holds the three finished passes, each line whole.
TEST(ShutdownDuringRepeat, LogHoldsEveryFinishedPassWhole)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    sim.exportComDir();
    const QDir built(SimulatorProcess::builtDir());
    qputenv("VXM_MODULE_LIBRARY", built.filePath(QStringLiteral("libKetrolanLib.so")).toUtf8());
    QTemporaryDir logs;
    QProcess program;
    program.start(built.filePath(QStringLiteral("close_during_repeat")), {logs.path(), QStringLiteral("3")});
    ASSERT_TRUE(program.waitForFinished(60000)) << "Close / Exit did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(sim.command(QStringLiteral("status")).startsWith(QStringLiteral("laser off")));

    const QStringList files = QDir(logs.path()).entryList({QStringLiteral("VXM_Test_*.txt")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QFile file(QDir(logs.path()).filePath(files.first()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray log = file.readAll();
    EXPECT_TRUE(log.endsWith("\r\n")) << "no line cut short";
    QList<QByteArray> lines = log.split('\n');
    lines.removeLast();
    ASSERT_EQ(lines.size(), 4) << log.toStdString();
    for (int pass = 1; pass <= 3; ++pass) {
        const QList<QByteArray> fields = lines[pass].chopped(1).split('\t');
        ASSERT_EQ(fields.size(), 4) << lines[pass].toStdString();
        EXPECT_EQ(fields[0].toInt(), pass);
        EXPECT_NEAR(fields[1].toDouble(), 1271.0, 0.1) << "the first channel's centre";
    }
}

}  // namespace
