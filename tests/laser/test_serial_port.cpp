// The system serial port on a pseudo-terminal behind a COMn link, as the simulator and USB adapters provide.

#include "laser/ms_clock.h"
#include "laser/serial_port.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <tuple>

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

// Exchanges over this port inside the link's waits run end to end against the simulator.
TEST_F(PtyPort, OpensOnceRaisesItsActivityWhenBytesArriveDiscardsWhatWaitsAndFailsOnceClosed)
{
    auto port = makeSystemSerialPort();
    EXPECT_EQ(port->open(6, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::NoSuchPort);
    ASSERT_EQ(port->open(5, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::Ok);
    EXPECT_EQ(std::tuple(port->isOpen(), port->portNumber()), std::tuple(true, 5));
    EXPECT_EQ(port->open(5, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::Busy) << "already open";

    // A reply wait sleeps until the port reports bytes in (a terminal's closed far end reads as end of file, not loss).
    QSignalSpy activity(&port->activity(), &Wakeup::raised);
    EXPECT_FALSE(activity.wait(100)) << "raised with nothing arrived";
    ASSERT_EQ(::write(master, "xyz", 3), 3);
    ASSERT_TRUE(activity.wait(5000)) << "bytes came in unannounced";
    EXPECT_GT(port->bytesWaiting(), 0);
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

}  // namespace
