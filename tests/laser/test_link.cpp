// The link procedures against a scripted port and a fake clock: frames written byte for byte, the
// reply wait's block and time-out arithmetic, checksum handling and error reports.

#include "bench_fixture.h"
#include "laser_replies.h"

#include "app/info_box.h"
#include "app/units.h"
#include "laser/tls_control_controller.h"
#include "laser/tls_link.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr int kPort = 7;

struct LinkTest : ::testing::Test {
    FakeBench bench;
    TlsLink& link = bench->link();

    void SetUp() override
    {
        Module1.TLSTimeoutMs = 10000;
        bench.bench->info().setText(QStringLiteral("before"));
    }
    void openWith(FakeDevice device)
    {
        bench.serial->addPort(kPort, std::move(device));
        ASSERT_EQ(bench.serial->open(kPort, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::Ok);
    }
    QByteArray lastWritten() const { return bench.serial->written.back().bytes; }
    QString info() { return bench.bench->info().text(); }
};

// ---- sending

struct FrameCase {
    const char* name;
    const char* command;
    std::int16_t mode;
    std::int16_t lastIndex;
    std::int32_t parameter;
    const char* wire;
};

TEST_F(LinkTest, SendWritesTheExactFrameAndReturnsTheComposedText)
{
    const FrameCase cases[] = {
        {"laser on", "AA4C534F4E0000", 1, 8, 0, "AA4C534F4E0000013C"},
        {"laser off", "AA4C534F460000", 1, 8, 0, "AA4C534F4600000134"},
        {"identity", "AA534E465600010000", 1, 10, 0, "AA534E46560001000001 3E"},
        {"go to 1550 nm", "AA474F574C0002", 2, 12, 1550000, "AA474F574C00020017A6B002A8"},
        {"negative parameter", "AA474F574C0002", 2, 12, -1, "AA474F574C0002FFFFFFFF0537"},
        {"mode 4 ignores the parameter", "AA524453570000", 4, 8, 1234, "AA5244535700000140"},
    };
    openWith({});
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        QString command = QString::fromLatin1(c.command);
        link.SendTLSCommand(c.mode, c.lastIndex, c.parameter, command);
        const QByteArray wire = QByteArray::fromHex(QByteArray(c.wire).replace(' ', ""));
        EXPECT_EQ(lastWritten().toHex().toUpper(), wire.toHex().toUpper());
        EXPECT_EQ(command, QString::fromLatin1(wire.toHex().toUpper()));
    }
}

TEST_F(LinkTest, StartSweepFrameCarriesTheCallersChecksumAndDropsTheSecond)
{
    openWith({});
    QString command = sweepStartCommand(1260, 1340, 100);
    EXPECT_EQ(command, QStringLiteral("AA53575354000B0001001339E0001472600000000000000064006400000437"));
    link.SendTLSCommand(3, 30, 0, command);
    EXPECT_EQ(lastWritten().toHex(' ').toUpper(),
              QByteArray("AA 53 57 53 54 00 0B 00 01 00 13 39 E0 00 14 72 60 00 00 00 00 00 00 00 64 00 64 00 00 04 37"));
    EXPECT_EQ(command.size(), 31 * 2 + 4) << "the link's own checksum lies beyond the frame";
}

TEST(SweepFrame, WavelengthsTakeTheIntegerPartAndSpeedRoundsHalfToEven)
{
    // Words 2-3 start pm, 4-5 stop pm, 9 speed: characters 19-26, 27-34, 47-50 of the text.
    EXPECT_EQ(sweepStartCommand(1260.9, 1340, 100).mid(18, 8), QStringLiteral("001339E0"));
    EXPECT_EQ(sweepStartCommand(-0.5, 1340.999, 100).mid(18, 16), QStringLiteral("FFFFFC1800147260"));
    EXPECT_EQ(frame::roundHalfEven(12.5), 12);
    EXPECT_EQ(frame::roundHalfEven(13.5), 14);
    EXPECT_EQ(sweepStartCommand(1260, 1340, frame::roundHalfEven(12.5)).mid(46, 4), QStringLiteral("000C"));
    EXPECT_EQ(sweepStartCommand(1260, 1340, frame::roundHalfEven(13.5)).mid(46, 4), QStringLiteral("000E"));
    EXPECT_EQ(frame::hex32(-1), "FFFFFFFF");
}

TEST_F(LinkTest, SendOnAClosedPortWritesNothingAndLeavesTheCommand)
{
    QString command = QStringLiteral("AA4C534F4E0000");
    link.SendTLSCommand(1, 8, 0, command);
    EXPECT_TRUE(bench.serial->written.empty());
    EXPECT_EQ(command, QStringLiteral("AA4C534F4E0000"));
    EXPECT_EQ(info(), QStringLiteral("before"));
}

TEST_F(LinkTest, SendDiscardsALateReplyToAnEarlierCommand)
{
    openWith(answering({{0, replyFrame("LSON", 0)}}));
    QString first = QStringLiteral("AA4C534F4E0000");
    link.SendTLSCommand(1, 8, 0, first);
    link.Delay(50);  // the reply to LSON is waiting now
    bench.serial->addPort(kPort, {});  // the device falls silent
    QString second = QStringLiteral("AA4C534F460000");
    link.SendTLSCommand(1, 8, 0, second);
    QString reply, checksum;
    link.ReceiveTLSReply(reply, checksum);
    EXPECT_TRUE(reply.isEmpty()) << reply.toStdString();
}

// ---- receiving

QString exchange(TlsLink& link, QString reply = {})
{
    QString command = QStringLiteral("AA524453570000");
    link.SendTLSCommand(1, 8, 0, command);
    QString checksum = QStringLiteral("keep");
    link.ReceiveTLSReply(reply, checksum);
    return reply;
}

TEST_F(LinkTest, ReplyInOneBlockOrInTwo)
{
    const QByteArray frame = replyFrame("RDSW", 0, {1});
    const QString expected = QString::fromLatin1(frame.toHex().toUpper());
    {
        SCOPED_TRACE("one block");
        openWith(answering({{5, frame}}));
        const std::uint64_t before = bench.clock->paused();
        EXPECT_EQ(exchange(link), expected);
        EXPECT_LT(bench.clock->paused() - before, 120u) << "a whole first block needs no second wait";
    }
    {
        SCOPED_TRACE("two blocks, the second after the first wait");
        bench.serial->addPort(kPort, answering({{0, frame.left(8)}, {400, frame.mid(8)}}));
        EXPECT_EQ(exchange(link), expected);
        EXPECT_GE(bench.clock->paused(), 400u);
    }
    {
        SCOPED_TRACE("the rest trickles in byte by byte");
        std::vector<FakeChunk> chunks{{0, frame.left(7)}};
        for (int i = 7; i < frame.size(); ++i) chunks.push_back({static_cast<std::uint32_t>(100 + 20 * i), frame.mid(i, 1)});
        bench.serial->addPort(kPort, answering(chunks));
        EXPECT_EQ(exchange(link), expected);
    }
    EXPECT_EQ(info(), QStringLiteral("before"));
}

TEST_F(LinkTest, FewerThanSevenBytesTimeOutWithTheReplyUnchanged)
{
    Module1.TLSTimeoutMs = 100;
    openWith(answering({{0, replyFrame("RDSW", 0).left(6)}}));
    const std::uint64_t before = bench.clock->paused();
    EXPECT_EQ(exchange(link, QStringLiteral("as passed")), QStringLiteral("as passed"));
    const std::uint64_t waited = bench.clock->paused() - before;
    EXPECT_GT(waited, 200u);  // the fixed 100 ms, then more than the time-out
    EXPECT_LT(waited, 300u);
    EXPECT_EQ(info(), QStringLiteral("before"));
}

TEST_F(LinkTest, TimeOutWhileTheRestIsAwaitedKeepsTheFirstBlock)
{
    Module1.TLSTimeoutMs = 500;
    const QByteArray frame = replyFrame("RDSW", 0, {1});
    openWith(answering({{0, frame.left(9)}}));
    EXPECT_EQ(exchange(link), QString::fromLatin1(frame.left(9).toHex().toUpper()));
    EXPECT_EQ(info(), QStringLiteral("before"));
}

TEST_F(LinkTest, ChecksumIsComputedOverTheAnnouncedFrame)
{
    QByteArray bad = replyFrame("GOWL", 0x0002);
    bad[bad.size() - 1] = static_cast<char>(bad.at(bad.size() - 1) ^ 0x01);
    openWith(answering({{0, bad}}));
    QString command = QStringLiteral("AA4C534F4E0000");
    link.SendTLSCommand(1, 8, 0, command);
    QString reply, checksum;
    link.ReceiveTLSReply(reply, checksum);
    EXPECT_EQ(reply, QString::fromLatin1(bad.toHex().toUpper())) << "returned as received";
    EXPECT_EQ(checksum, QString::fromLatin1(replyFrame("GOWL", 0x0002).right(2).toHex().toUpper()));
    EXPECT_EQ(info(), QStringLiteral("before")) << "an error status with a bad checksum is not reported";
}

TEST_F(LinkTest, ExtraBytesCountAsMismatchAndStayInTheReply)
{
    const QByteArray frame = replyFrame("GOWL", 0x0002);
    openWith(answering({{0, frame + QByteArray("\x01\x02", 2)}}));
    QString command = QStringLiteral("AA4C534F4E0000");
    link.SendTLSCommand(1, 8, 0, command);
    QString reply, checksum;
    link.ReceiveTLSReply(reply, checksum);
    EXPECT_TRUE(reply.endsWith(QStringLiteral("0102")));
    EXPECT_EQ(reply.size(), (frame.size() + 2) * 2);
    EXPECT_EQ(checksum, QString::fromLatin1(frame.right(2).toHex().toUpper()));
    EXPECT_EQ(info(), QStringLiteral("before"));
}

TEST_F(LinkTest, ErrorStatusWithAGoodChecksumIsReportedInRedInBothLanguages)
{
    openWith(answering({{0, replyFrame("GOWL", 0x0002)}}));
    Module1.Language = 1;
    exchange(link);
    EXPECT_EQ(info(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = 0002\r\n  TLS received data is Out-Of-Range."));
    EXPECT_EQ(bench.bench->info().color(), VbColor::Red);
    EXPECT_EQ(bench.bench->info().fontSize(), 12);

    Module1.Language = 2;
    exchange(link);
    EXPECT_EQ(info(), QStringLiteral("  出错提醒!\r\n\r\n  错误码 = 0002\r\n  激光器接收到的数据超出范围"));
}

TEST_F(LinkTest, EveryCodeHasItsText)
{
    const std::pair<const char*, const char*> english[] = {
        {"0001", "  TLS received an unknown command."},
        {"0009", "  TLS received data has Checksum Error."},
        {"0003", "  Unknown error code.\r\n  Please report to Ostrel."},
        {"", "  Unknown error code.\r\n  Please report to Ostrel."},
    };
    Module1.Language = 1;
    for (const auto& [code, text] : english) {
        link.ReportTLSError(QString::fromLatin1(code));
        EXPECT_EQ(info(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = %1\r\n").arg(QLatin1String(code)) +
                              QString::fromLatin1(text));
    }
    Module1.Language = 2;
    link.ReportTLSError(QStringLiteral("0001"));
    EXPECT_TRUE(info().endsWith(QStringLiteral("  激光器接收到未知命令")));
    link.ReportTLSError(QStringLiteral("0077"));
    EXPECT_TRUE(info().endsWith(QStringLiteral("  未知错误码。请联系Ostrel。")));
    Module1.Language = 3;
    link.ReportTLSError(QStringLiteral("0001"));
    EXPECT_TRUE(info().endsWith(QStringLiteral("  未知错误码。请联系Ostrel。"))) << "another language shows nothing";
}

TEST_F(LinkTest, WaitsCountAcrossTheClockWrap)
{
    // Asserted: with a wrong rule the waits below would never end.
    ASSERT_EQ(elapsedMs(0xFFFFFFF0u, 0x00000010u), 0x20);
    ASSERT_EQ(elapsedMs(5, 5), 0);
    ASSERT_EQ(elapsedMs(0, 0xFFFFFFFFu), 0xFFFFFFFFll);

    Module1.TLSTimeoutMs = 100;
    bench.clock->set(0xFFFFFFFFu - 150);  // the time-out runs across the wrap
    openWith({});
    const std::uint64_t before = bench.clock->paused();
    EXPECT_TRUE(exchange(link).isEmpty());
    EXPECT_LT(bench.clock->paused() - before, 300u) << "the wrap neither ends the wait early nor stretches it";
    EXPECT_GT(bench.clock->paused() - before, 200u);

    bench.clock->set(0xFFFFFFFFu - 50);
    bench.serial->addPort(kPort, answering({{0, replyFrame("RDSW", 0).left(8)}, {120, replyFrame("RDSW", 0).mid(8)}}));
    EXPECT_EQ(exchange(link), QString::fromLatin1(replyFrame("RDSW", 0).toHex().toUpper()));
}

// ---- waits and re-entry

TEST(Delay, ServesWindowEventsAndWaitsAtLeastTheTimeAsked)
{
    FakeBench bench;
    SystemClock clock;
    FakeSerialPort port(*bench.clock);
    TlsLink link(port, clock, bench.bench->info());

    bool timerFired = false;
    bool postedRan = false;
    QTimer::singleShot(50, [&] { timerFired = true; });
    QMetaObject::invokeMethod(qApp, [&] { postedRan = true; }, Qt::QueuedConnection);
    QElapsedTimer elapsed;
    elapsed.start();
    link.Delay(300);
    EXPECT_GE(elapsed.elapsed(), 300);
    EXPECT_TRUE(timerFired);
    EXPECT_TRUE(postedRan);

    postedRan = false;
    QMetaObject::invokeMethod(qApp, [&] { postedRan = true; }, Qt::QueuedConnection);
    link.Delay(0);
    EXPECT_FALSE(postedRan) << "no wait, no event processing";
    QCoreApplication::processEvents();  // the posted call must not outlive the flag it sets
    EXPECT_TRUE(postedRan);
}

TEST(Delay, AWaitCaughtByTheProgramsEndSleepsInsteadOfSpinning)
{
    SystemClock clock;
    QCoreApplication::exit(0);  // from now on event loops return at once
    QElapsedTimer elapsed;
    elapsed.start();
    clock.pause(200, true);
    const qint64 paused = elapsed.elapsed();
    // Clear the request to end for the tests that follow: a run of the application loop resets it.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    EXPECT_GE(paused, 200) << "a pause that returns at once lets the reply wait poll without rest";
}

TEST_F(LinkTest, AHandlerRunningInsideAWaitDoesNotBreakTheWaitingOne)
{
    ScriptedLaser laser;
    openWith(laser.device());
    QString innerReply;
    int depthSeen = 0;
    // Another handler's exchange runs from inside the outer reply wait; it discards the outer reply.
    QMetaObject::invokeMethod(qApp, [&] {
        depthSeen = link.waitDepth();
        innerReply = exchange(link);
    }, Qt::QueuedConnection);
    Module1.TLSTimeoutMs = 300;
    QString command = QStringLiteral("AA4C534F4E0000");
    link.SendTLSCommand(1, 8, 0, command);
    QString reply, checksum;
    link.ReceiveTLSReply(reply, checksum);
    EXPECT_GE(depthSeen, 1);
    EXPECT_TRUE(innerReply.startsWith(QStringLiteral("AA52445357"))) << innerReply.toStdString();
    EXPECT_TRUE(reply.isEmpty()) << "the outer reply was discarded by the inner command";
    EXPECT_EQ(link.waitDepth(), 0);
}

TEST_F(LinkTest, APortLostDuringTheWaitEndsItSilently)
{
    const QByteArray frame = replyFrame("RDSW", 0, {1});
    openWith(answering({{0, frame.left(9)}, {300, frame.mid(9)}}));
    QMetaObject::invokeMethod(qApp, [&] { bench.serial->vanish(); }, Qt::QueuedConnection);
    const QString reply = exchange(link, QStringLiteral("x"));
    EXPECT_EQ(reply, QStringLiteral("x"));
    EXPECT_EQ(info(), QStringLiteral("before"));
}

}  // namespace

namespace {

// Handlers started from inside each other's waits, deeper and deeper, as a stuck key could.
TEST_F(LinkTest, DeeplyNestedWaitsHoldTheOperatorsInputBack)
{
    int deepest = 0;
    std::function<void()> nest = [&] {
        deepest = std::max(deepest, link.waitDepth());
        if (link.waitDepth() <= TlsLink::kMaxServedWaitDepth + 2)
            QMetaObject::invokeMethod(qApp, nest, Qt::QueuedConnection);
        link.Delay(10);
    };
    nest();
    EXPECT_GT(deepest, TlsLink::kMaxServedWaitDepth);
    EXPECT_GT(bench.clock->inputHeldBack(), 0);
    EXPECT_EQ(link.waitDepth(), 0);

    const int heldBefore = bench.clock->inputHeldBack();
    link.Delay(10);
    EXPECT_EQ(bench.clock->inputHeldBack(), heldBefore) << "a plain wait serves input";
}

}  // namespace
