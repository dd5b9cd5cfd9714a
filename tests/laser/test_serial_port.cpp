// The system serial port on a pseudo-terminal reached through a COMn link, as the simulator and
// USB adapters provide them.

#include "bench_fixture.h"
#include "laser_replies.h"

#include "core/info_box.h"
#include "laser/ms_clock.h"
#include "laser/serial_port.h"
#include "laser/tls_link.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <chrono>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

TEST(SerialSettings, ParsesTheBenchFormAndRefusesOthers)
{
    const auto s = parseSerialSettings(QStringLiteral("115200,N,8,1"));
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(std::tuple(s->baudRate, s->parity, s->dataBits, s->stopBits), std::tuple(115200, 'N', 8, 1));
    EXPECT_EQ(parseSerialSettings(QStringLiteral("9600,e,7,2"))->parity, 'E');
    for (const char* bad : {"", "115200", "115200,N,8", "115200,X,8,1", "fast,N,8,1", "115200,N,9,1", "115200,N,8,3"})
        EXPECT_FALSE(parseSerialSettings(QString::fromLatin1(bad)).has_value()) << bad;
}

struct PtyPort : ::testing::Test {
    QTemporaryDir dir;
    int master = -1;
    int slave = -1;
    QByteArray previousDir;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        char name[256] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios raw{};
        ::tcgetattr(master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master, TCSANOW, &raw);
        ASSERT_EQ(::symlink(name, QDir(dir.path()).filePath(QStringLiteral("COM5")).toLocal8Bit().constData()), 0);
        previousDir = qgetenv("VXM_COM_DIR");
        qputenv("VXM_COM_DIR", dir.path().toLocal8Bit());
    }
    void TearDown() override
    {
        qputenv("VXM_COM_DIR", previousDir);
        ::close(slave);
        ::close(master);
    }
};

// The whole real path: QSerialPort read inside the link's event-serving waits, on the system clock.
TEST_F(PtyPort, OpensThroughTheLinkAndExchangesAFrameWithAnInstrument)
{
    FakeBench bench;  // for the shared state and the information box
    Module1.TLSTimeoutMs = 2000;
    auto port = makeSystemSerialPort();
    SystemClock clock;
    TlsLink link(*port, clock, bench->info());
    EXPECT_EQ(port->open(6, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::NoSuchPort);
    ASSERT_EQ(port->open(5, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::Ok);
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(port->portNumber(), 5);
    EXPECT_EQ(port->open(5, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::Busy) << "already open";

    const QByteArray answer = identityReply(Identity{});
    QByteArray received;
    std::thread instrument([&] {
        char buffer[64];
        while (received.size() < 11) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) return;
            received.append(buffer, static_cast<qsizetype>(n));
        }
        // The answer comes in two pieces, the second after the link's first read.
        ::write(master, answer.constData(), 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        ::write(master, answer.constData() + 20, static_cast<std::size_t>(answer.size() - 20));
    });
    QString command = QStringLiteral("AA534E465600010000");
    link.SendTLSCommand(1, 10, 0, command);
    QString reply, checksum;
    link.ReceiveTLSReply(reply, checksum);
    instrument.join();
    EXPECT_EQ(received.toHex().toUpper(), QByteArray("AA534E465600010000013E"));
    EXPECT_EQ(reply, QString::fromLatin1(answer.toHex().toUpper()));
    EXPECT_EQ(checksum, reply.right(4));

    ASSERT_EQ(::write(master, "xyz", 3), 3);
    QElapsedTimer guard;
    guard.start();
    while (port->bytesWaiting() < 3 && guard.elapsed() < 5000) QCoreApplication::processEvents();
    port->discardBuffers();
    EXPECT_EQ(port->bytesWaiting(), 0);
    port->close();
    EXPECT_FALSE(port->isOpen());
    EXPECT_THROW(port->bytesWaiting(), SerialFault);
    EXPECT_THROW(port->write("x"), SerialFault);
}

// A reply wait sleeps until the port says that bytes came in. (A device that goes is told too,
// but a terminal whose other end closes reads as an end of file, not as a lost device.)
TEST_F(PtyPort, RaisesItsActivityWhenBytesArrive)
{
    auto port = makeSystemSerialPort();
    ASSERT_EQ(port->open(5, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::Ok);
    QSignalSpy activity(&port->activity(), &Wakeup::raised);
    EXPECT_FALSE(activity.wait(100)) << "raised with nothing arrived";
    ASSERT_EQ(::write(master, "abc", 3), 3);
    ASSERT_TRUE(activity.wait(5000)) << "bytes came in unannounced";
    EXPECT_GT(port->bytesWaiting(), 0);
}

}  // namespace
