// vxm-simulator as a process: its links, its terminals and its console.
#include "simulator_process.h"
#include "laser/frame_codec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QThread>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A raw terminal opened like a serial port; reads one whole frame with a bounded wait.
class RawPort {
public:
    explicit RawPort(const QString& path) : fd_(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        if (fd_ < 0) return;
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    ~RawPort()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    bool send(const std::vector<std::uint8_t>& bytes)
    {
        return ::write(fd_, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }

    // Everything that arrives within `ms`, stopping early once a whole frame is in.
    std::vector<std::uint8_t> receive(int ms)
    {
        std::vector<std::uint8_t> in;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            std::size_t skipped = 0;
            if (frame::parse(in, skipped)) return in;
            using std::chrono::milliseconds;
            const auto left = std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return in;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left.count())) <= 0) return in;
            std::uint8_t buffer[512];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return in;
            in.insert(in.end(), buffer, buffer + n);
        }
    }

private:
    int fd_;
};

const std::vector<std::uint8_t> kIdentityQuery = frame::fromHex("AA534E465600010000013E");

bool waitGone(const QString& path)
{
    for (int i = 0; i < 100 && QFileInfo(path).isSymLink(); ++i) QThread::msleep(20);
    return !QFileInfo(path).isSymLink();
}

}  // namespace

TEST(SimulatorProcess, LinksItsTerminalsAndAnswersTheIdentityQueryOnBoth)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(QFileInfo(sim.linkPath(7)).isSymLink());
    ASSERT_TRUE(QFileInfo(sim.linkPath(6)).isSymLink());

    RawPort laser(sim.linkPath(7));
    ASSERT_TRUE(laser.isOpen());
    ASSERT_TRUE(laser.send(kIdentityQuery));
    const auto reply = laser.receive(2000);
    ASSERT_EQ(reply.size(), 93u);
    EXPECT_EQ(std::string(reply.begin() + 9, reply.begin() + 12), "TLS");

    RawPort module(sim.linkPath(6));
    ASSERT_TRUE(module.send(kIdentityQuery));
    const auto moduleReply = module.receive(2000);
    ASSERT_EQ(moduleReply.size(), 93u);
    EXPECT_EQ(std::string(moduleReply.begin() + 9, moduleReply.begin() + 14), "VXMOB");
}

TEST(SimulatorProcess, ReplyWaitsInTheTerminalWhileThePortIsClosedAndOtherPortsAreHonoured)
{
    SimulatorProcess sim({"--laser", "COM3", "--module", "COM12", "--band", "EB"});
    ASSERT_TRUE(sim.started());
    EXPECT_TRUE(QFileInfo(sim.linkPath(3)).isSymLink());
    EXPECT_TRUE(QFileInfo(sim.linkPath(12)).isSymLink());
    EXPECT_FALSE(QFileInfo(sim.linkPath(7)).exists());
    {
        RawPort module(sim.linkPath(12));
        ASSERT_TRUE(module.send(kIdentityQuery));
    }  // closed before the reply is read
    QThread::msleep(200);
    RawPort again(sim.linkPath(12));
    const auto reply = again.receive(2000);
    ASSERT_EQ(reply.size(), 93u);
    EXPECT_EQ(std::string(reply.begin() + 9, reply.begin() + 14), "VXMEB");
}

TEST(SimulatorProcess, ConsoleAnswersOneLinePerCommandAndQuitRemovesTheLinks)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    EXPECT_EQ(sim.command("dut out"), "ok: dut filter out");
    EXPECT_EQ(sim.command("dut grating"), "ok: dut grating out");
    EXPECT_EQ(sim.command("fault laser:bad-checksum on"), "ok: fault laser:bad-checksum on");
    EXPECT_EQ(sim.command("status"),
              "laser on 1300.000 nm; dut grating out; laser faults: bad-checksum; module faults: none");
    EXPECT_TRUE(sim.command("help").startsWith("commands:"));
    EXPECT_TRUE(sim.command("nonsense").startsWith("error:"));

    RawPort laser(sim.linkPath(7));
    ASSERT_TRUE(laser.send(kIdentityQuery));
    std::size_t skipped = 0;
    const auto parsed = frame::parse(laser.receive(2000), skipped);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_FALSE(parsed->checksumOk);

    EXPECT_EQ(sim.command("quit"), "bye");
    ASSERT_TRUE(sim.process().waitForFinished(3000));
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(sim.linkPath(7)).isSymLink());
    EXPECT_FALSE(QFileInfo(sim.linkPath(6)).isSymLink());
}

TEST(SimulatorProcess, SigtermRemovesTheLinks)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    sim.process().closeWriteChannel();  // stdin at end: it keeps running
    QThread::msleep(100);
    EXPECT_EQ(sim.process().state(), QProcess::Running);
    sim.process().terminate();
    ASSERT_TRUE(sim.process().waitForFinished(3000));
    EXPECT_FALSE(QFileInfo(sim.linkPath(7)).isSymLink());
    EXPECT_FALSE(QFileInfo(sim.linkPath(6)).isSymLink());
}

TEST(SimulatorProcess, UnplugAfterTakesThePortAwayAfterItsCommands)
{
    SimulatorProcess sim({"--fault", "laser:unplug-after=2"});
    ASSERT_TRUE(sim.started());
    RawPort laser(sim.linkPath(7));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(laser.send(kIdentityQuery));
        EXPECT_EQ(laser.receive(2000).size(), 93u) << i;
    }
    EXPECT_TRUE(waitGone(sim.linkPath(7)));
    EXPECT_TRUE(QFileInfo(sim.linkPath(6)).isSymLink());
}

TEST(SimulatorProcess, SlowAndSplitRepliesArriveLate)
{
    SimulatorProcess sim({"--fault", "laser:split"});
    ASSERT_TRUE(sim.started());
    RawPort laser(sim.linkPath(7));
    ASSERT_TRUE(laser.send(kIdentityQuery));
    const auto first = laser.receive(150);
    EXPECT_EQ(first.size(), 46u);  // the first half only, so far
    EXPECT_EQ(first.size() + laser.receive(1000).size(), 93u);
    EXPECT_EQ(sim.command("fault laser:split off"), "ok: fault laser:split off");
    EXPECT_EQ(sim.command("fault laser:slow on"), "ok: fault laser:slow on");
    RawPort again(sim.linkPath(7));
    ASSERT_TRUE(again.send(kIdentityQuery));
    EXPECT_TRUE(again.receive(1000).empty());
    EXPECT_EQ(again.receive(3000).size(), 93u);
}

TEST(SimulatorProcess, BadArgumentsAreRefused)
{
    SimulatorProcess sim({"--fault", "smoke"});
    EXPECT_FALSE(sim.started());
    sim.process().waitForFinished(3000);
    EXPECT_EQ(sim.process().state(), QProcess::NotRunning);
    EXPECT_EQ(sim.process().exitCode(), 2);
}

TEST(SimulatorProcess, HelpListsTheCommandLineTheConsoleAndEveryFault)
{
    QProcess help;
    help.start(QDir(SimulatorProcess::builtDir()).filePath(QStringLiteral("vxm-simulator")),
               {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(3000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const char* word : {"--com-dir", "--laser", "--module", "--fault", "--laser-range", "--sweep-mode", "--seed",
                             "dut grating", "fault NAME on|off", "silent", "bad-checksum", "error-status", "split",
                             "extra-bytes", "slow", "truncated", "unplug-after=N", "module-silent", "laser:"})
        EXPECT_TRUE(text.contains(QLatin1String(word))) << word;
}

TEST(SimulatorProcess, LaserAnswersThroughQtSerialPortAsTheProgramOpensIt)
{
    SimulatorProcess sim;
    ASSERT_TRUE(sim.started());
    for (int round = 0; round < 2; ++round) {  // opened, closed and opened again, as the probe does
        QSerialPort port;
        port.setPortName(sim.linkPath(7));
        ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
        ASSERT_TRUE(port.setBaudRate(115200));
        port.clear();
        port.write(reinterpret_cast<const char*>(kIdentityQuery.data()), qint64(kIdentityQuery.size()));
        QByteArray reply;
        QElapsedTimer t;
        t.start();
        while (reply.size() < 93 && t.elapsed() < 2000) {
            if (port.waitForReadyRead(100)) reply += port.readAll();
        }
        ASSERT_EQ(reply.size(), 93) << round;
        EXPECT_TRUE(reply.mid(9, 3) == "TLS");
        port.close();
    }
}
