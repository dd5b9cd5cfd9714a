// vxm-simulator as a process: its links, its terminals and its console.
#include "simulator_process.h"
#include "laser/frame_codec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QThread>

#include <algorithm>

namespace {

using Bytes = std::vector<std::uint8_t>;
const Bytes kIdentityQuery = frame::fromHex("AA534E465600010000013E");

// A terminal opened as the program opens its serial ports.
struct Port : QSerialPort {
    explicit Port(const QString& path)
    {
        setPortName(path);
        if (open(QIODevice::ReadWrite)) setBaudRate(115200);
    }
    bool send(const Bytes& b)
    {
        return write(reinterpret_cast<const char*>(b.data()), qint64(b.size())) == qint64(b.size()) &&
               waitForBytesWritten(1000);
    }
    // Everything that arrives within `ms`, stopping early once a whole frame is in.
    Bytes receive(int ms)
    {
        Bytes in;
        QElapsedTimer t;
        t.start();
        for (std::size_t skipped = 0; !frame::parse(in, skipped) && t.elapsed() < ms;) {
            if (!bytesAvailable() && !waitForReadyRead(int(std::max<qint64>(1, ms - t.elapsed())))) continue;
            const QByteArray chunk = readAll();
            in.insert(in.end(), chunk.begin(), chunk.end());
        }
        return in;
    }
};

std::string partNumberStart(const Bytes& identity, int n) { return {identity.begin() + 9, identity.begin() + 9 + n}; }
bool linked(SimulatorProcess& sim, int com) { return QFileInfo(sim.linkPath(com)).isSymLink(); }

}  // namespace

// The terminals' answers, the console and the faults are exercised by the end-to-end tests; here
// what they do not see: the console's quit, a reply left in a closed terminal, SIGTERM and the
// command line. (A slow reply's timing through the process is measured by the library tests.)
TEST(SimulatorProcess, QuitEndsTheProcessAndRemovesTheLinks)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(linked(sim, 7) && linked(sim, 6));
    EXPECT_EQ(sim.command("quit"), "bye");
    ASSERT_TRUE(sim.process().waitForFinished(3000));
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_FALSE(linked(sim, 7) || linked(sim, 6));
}

TEST(SimulatorProcess, ReplyWaitsInTheTerminalWhileThePortIsClosedAndOtherPortsAreHonoured)
{
    SimulatorProcess sim({"--laser", "COM3", "--module", "COM12", "--band", "EB"});
    ASSERT_TRUE(sim.started());
    EXPECT_TRUE(linked(sim, 3) && linked(sim, 12));
    EXPECT_FALSE(QFileInfo(sim.linkPath(7)).exists());
    ASSERT_TRUE(Port(sim.linkPath(12)).send(kIdentityQuery));  // closed before the reply is read
    QThread::msleep(200);
    const Bytes reply = Port(sim.linkPath(12)).receive(2000);
    ASSERT_EQ(reply.size(), 93u);
    EXPECT_EQ(partNumberStart(reply, 5), "VXMEB");
}

TEST(SimulatorProcess, UnplugAfterTakesThePortAwayAfterItsCommandsAndSigtermRemovesTheOtherLink)
{
    SimulatorProcess sim({"--fault", "laser:unplug-after=2"});
    ASSERT_TRUE(sim.started());
    Port laser(sim.linkPath(7));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(laser.send(kIdentityQuery));
        EXPECT_EQ(laser.receive(2000).size(), 93u) << i;
    }
    for (int i = 0; i < 100 && linked(sim, 7); ++i) QThread::msleep(20);
    EXPECT_FALSE(linked(sim, 7));
    EXPECT_TRUE(linked(sim, 6));

    sim.process().closeWriteChannel();  // stdin at end: it keeps running
    QThread::msleep(100);
    EXPECT_EQ(sim.process().state(), QProcess::Running);
    sim.process().terminate();
    ASSERT_TRUE(sim.process().waitForFinished(3000));
    EXPECT_FALSE(linked(sim, 6));
}

TEST(SimulatorProcess, BadArgumentsAreRefusedAndHelpListsTheCommandLineTheConsoleAndEveryFault)
{
    SimulatorProcess bad({"--fault", "smoke"});
    EXPECT_FALSE(bad.started());
    bad.process().waitForFinished(3000);
    EXPECT_EQ(bad.process().state(), QProcess::NotRunning);
    EXPECT_EQ(bad.process().exitCode(), 2);

    QProcess help;
    help.start(QDir(SimulatorProcess::builtDir()).filePath(QStringLiteral("vxm-simulator")), {"--help"});
    ASSERT_TRUE(help.waitForFinished(3000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const char* word : {"--com-dir", "--laser", "--module", "--fault", "--laser-range", "--sweep-mode", "--seed",
                             "dut grating", "fault NAME on|off", "silent", "bad-checksum", "error-status", "split",
                             "extra-bytes", "slow", "truncated", "unplug-after=N", "module-silent", "laser:"})
        EXPECT_TRUE(text.contains(QLatin1String(word))) << word;
}
