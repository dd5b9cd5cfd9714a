// vxm-simulator as a process: its links, its terminals and its console.
#include "simulator_process.h"
#include "laser/frame_codec.h"
#include "sim/dut_models.h"

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

// What the library and end-to-end tests do not see: quit, a reply left in a closed terminal, SIGTERM, the command line.
TEST(SimulatorProcess, QuitOrSigtermEndsTheProcessAndRemovesTheLinksAndEndOfInputDoesNot)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(linked(sim, 7) && linked(sim, 6));
    EXPECT_EQ(sim.command("quit"), "bye");
    ASSERT_TRUE(sim.process().waitForFinished(3000));
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_FALSE(linked(sim, 7) || linked(sim, 6));

    SimulatorProcess other;
    ASSERT_TRUE(other.started());
    other.process().closeWriteChannel();
    QThread::msleep(100);
    EXPECT_EQ(other.process().state(), QProcess::Running);
    other.process().terminate();
    ASSERT_TRUE(other.process().waitForFinished(3000));
    EXPECT_FALSE(linked(other, 6) || linked(other, 7));
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

TEST(SimulatorProcess, BadArgumentsAreRefusedAndHelpEndsWell)
{
    SimulatorProcess bad({"--fault", "smoke"});
    EXPECT_FALSE(bad.started());
    bad.process().waitForFinished(3000);
    EXPECT_EQ(std::tuple(bad.process().state(), bad.process().exitCode()), std::tuple(QProcess::NotRunning, 2));

    QProcess help;
    help.start(QDir(SimulatorProcess::builtDir()).filePath(QStringLiteral("vxm-simulator")), {"--help"});
    ASSERT_TRUE(help.waitForFinished(3000));
    EXPECT_EQ(help.exitCode(), 0);
    const QByteArray usage = help.readAllStandardOutput();
    EXPECT_TRUE(usage.contains("unplug-after=N"));
    for (const vxmsim::DutInfo& info : vxmsim::dutCatalogue()) EXPECT_TRUE(usage.contains(info.name)) << info.name;
}

// --device picks the device and, for the C-band part, the laser range and module band; a misfit range is refused.
TEST(SimulatorProcess, DeviceOptionPicksTheDeviceAndTheBenchItNeeds)
{
    SimulatorProcess cwdm({"--device", "cwdm4"});
    ASSERT_TRUE(cwdm.started());
    EXPECT_EQ(cwdm.command("dut port 2"), "ok: dut cwdm4 port 2 in");

    SimulatorProcess dwdm({"--device", "dwdm8"});
    ASSERT_TRUE(dwdm.started());
    EXPECT_TRUE(dwdm.command("status").startsWith("laser on 1545.000 nm; dut dwdm8 mux in;"));
    Port module(dwdm.linkPath(6));
    ASSERT_TRUE(module.send(kIdentityQuery));
    const Bytes reply = module.receive(2000);
    ASSERT_EQ(reply.size(), 93u);
    EXPECT_EQ(partNumberStart(reply, 5), "VXMCB");

    SimulatorProcess misfit({"--device", "dwdm8", "--laser-range", "1260000", "1340000"});
    EXPECT_FALSE(misfit.started());
    misfit.process().waitForFinished(3000);
    EXPECT_EQ(misfit.process().exitCode(), 2);
}
