// The link against a scripted port and a fake clock: frames byte for byte, reply waits, checksums and error reports.

#include "laser_replies.h"
#include "rigs.h"

#include "core/info_box.h"
#include "core/units.h"
#include "laser/tls_link.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

constexpr int kPort = 7;
const QString kBefore = QStringLiteral("before");

QString hexOf(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex().toUpper()); }

struct LinkTest : ::testing::Test {
    LaserRig rig;
    TlsLink& link = rig.link;
    Waits& waits = rig.waits;

    void SetUp() override
    {
        Module1.TLSTimeoutMs = 10000;
        rig.info.setText(kBefore);
    }
    void openWith(FakeDevice device)
    {
        rig.serial.addPort(kPort, std::move(device));
        ASSERT_EQ(rig.serial.open(kPort, QStringLiteral("115200,N,8,1"), 8192), SerialOpenResult::Ok);
    }
    QString send(QString command, std::int16_t mode = 1, std::int16_t lastIndex = 8, std::int32_t parameter = 0)
    {
        link.SendTLSCommand(mode, lastIndex, parameter, command);
        return command;
    }
    // One command out, one reply back; `checksum` gets what the link computed ("keep" if nothing).
    QString exchange(QString reply = {}, QString* checksum = nullptr)
    {
        send(QStringLiteral("AA524453570000"));
        QString sum = QStringLiteral("keep");
        link.ReceiveTLSReply(reply, sum);
        if (checksum) *checksum = sum;
        return reply;
    }
    QString info() { return rig.info.text(); }
};

TEST_F(LinkTest, SendWritesTheExactFrameAndReturnsTheComposedText)
{
    EXPECT_EQ(send(QStringLiteral("AA4C534F4E0000")), QStringLiteral("AA4C534F4E0000")) << "a closed port: untouched";
    EXPECT_TRUE(rig.serial.written.empty());

    const struct {
        const char* command;
        std::int16_t mode, lastIndex;
        std::int32_t parameter;
        const char* wire;
    } cases[] = {
        // The laser-off, identity and wavelength frames are checked where the handlers send them.
        {"AA4C534F4E0000", 1, 8, 0, "AA4C534F4E0000013C"},
        {"AA474F574C0002", 2, 12, -1, "AA474F574C0002FFFFFFFF0537"},
        {"AA524453570000", 4, 8, 1234, "AA5244535700000140"},  // mode 4 ignores the parameter
    };
    openWith({});
    for (const auto& c : cases) {
        EXPECT_EQ(send(QLatin1String(c.command), c.mode, c.lastIndex, c.parameter), QLatin1String(c.wire)) << c.wire;
        EXPECT_EQ(hexOf(rig.serial.written.back().bytes), QLatin1String(c.wire));
    }
    EXPECT_EQ(info(), kBefore);
}

TEST_F(LinkTest, SendDiscardsALateReplyToAnEarlierCommand)
{
    openWith(answering({{0, replyFrame("LSON", 0)}}));
    send(QStringLiteral("AA4C534F4E0000"));
    waits.Delay(50);  // the reply to LSON is waiting now
    rig.serial.addPort(kPort, {});  // the device falls silent
    EXPECT_TRUE(exchange().isEmpty());
}

// Reply waits end the millisecond bytes arrive or one past the time-out, and wake only for that, not every 10 ms.
TEST_F(LinkTest, ReplyBlocksTimeOutsAndChecksums)
{
    // Asserted: with a wrong wrap rule the waits below would never end.
    ASSERT_EQ(elapsedMs(0xFFFFFFF0u, 0x00000010u), 0x20);
    ASSERT_EQ(elapsedMs(5, 5), 0);
    ASSERT_EQ(elapsedMs(0, 0xFFFFFFFFu), 0xFFFFFFFFll);

    const QByteArray frame = replyFrame("RDSW", 0, {1});
    const QByteArray error = replyFrame("GOWL", 0x0002);
    QByteArray badSum = error;
    badSum[badSum.size() - 1] = static_cast<char>(badSum.back() ^ 0x01);
    std::vector<FakeChunk> trickle{{0, frame.left(7)}};
    for (int i = 7; i < frame.size(); ++i) trickle.push_back({static_cast<std::uint32_t>(100 + 20 * i), frame.mid(i, 1)});
    const QString sum = hexOf(frame.right(2)), errorSum = hexOf(error.right(2)), keep = QStringLiteral("keep");
    const QString asPassed = QStringLiteral("as passed");

    const struct {
        const char* name;
        std::int32_t timeoutMs;
        std::uint32_t clockAt;  // 0: where it stands
        std::int64_t lostAtMs;  // after the write; -1: the port stays
        std::vector<FakeChunk> chunks;
        QString reply, checksum;
        std::uint64_t minWait, maxWait;  // on the clock, the fixed 100 ms included
        int mostPauses;  // 0: not counted
    } rows[] = {
        {"one block", 10000, 0, -1, {{5, frame}}, hexOf(frame), sum, 100, 120, 0},
        {"the first block 3 ms into its wait", 10000, 0, -1, {{103, frame}}, hexOf(frame), sum, 103, 103, 2},
        {"the rest 3 ms into its wait", 10000, 0, -1, {{0, frame.left(8)}, {203, frame.mid(8)}}, hexOf(frame), sum, 203, 203, 2},
        {"the second block after the first wait", 10000, 0, -1, {{0, frame.left(8)}, {400, frame.mid(8)}}, hexOf(frame), sum,
         400, 600, 0},
        {"the rest byte by byte", 10000, 0, -1, trickle, hexOf(frame), sum, 0, 1000, 0},
        // The first piece of the rest wakes the wait, which goes on for what is still missing.
        {"the rest in two pieces", 10000, 0, -1, {{0, frame.left(8)}, {150, frame.mid(8, 1)}, {170, frame.mid(9)}}, hexOf(frame),
         sum, 170, 170, 3},
        // The fixed 100 ms, then more than the time-out.
        {"fewer than seven bytes", 100, 0, -1, {{0, frame.left(6)}}, asPassed, keep, 201, 299, 0},
        {"a silent laser", 10000, 0, -1, {}, asPassed, keep, 100 + 10001, 100 + 10001, 12},
        {"the rest never comes", 10000, 0, -1, {{0, frame.left(9)}}, hexOf(frame.left(9)), keep, 100 + 10001, 100 + 10001, 12},
        {"the port lost during the wait", 10000, 0, 250, {}, asPassed, keep, 250, 250, 2},
        {"the port lost while the rest is awaited", 10000, 0, 4000, {{0, frame.left(8)}}, hexOf(frame.left(8)), keep, 4000, 4000,
         5},
        {"an error status", 10000, 0, -1, {{0, error}}, hexOf(error), errorSum, 0, 1000, 0},
        // The checksum is computed over the announced frame; a mismatch is not reported.
        {"a bad checksum", 10000, 0, -1, {{0, badSum}}, hexOf(badSum), errorSum, 0, 1000, 0},
        {"extra bytes", 10000, 0, -1, {{0, error + QByteArray("\x01\x02", 2)}}, hexOf(error) + QStringLiteral("0102"), errorSum,
         0, 1000, 0},
        // Neither ends the wait early nor stretches it across the clock's wrap.
        {"a time-out across the wrap", 100, 0xFFFFFFFFu - 150, -1, {}, QString(), keep, 201, 299, 0},
        {"a second block across the wrap", 10000, 0xFFFFFFFFu - 50, -1, {{0, frame.left(8)}, {120, frame.mid(8)}}, hexOf(frame),
         sum, 120, 300, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Module1.TLSTimeoutMs = row.timeoutMs;
        if (row.clockAt != 0) rig.clock.set(row.clockAt);
        rig.info.setText(kBefore);
        openWith(answering(row.chunks));
        const std::uint32_t sent = rig.clock.now();
        const auto loseThePort = std::make_shared<std::function<void()>>([&] {
            if (elapsedMs(sent, rig.clock.now()) == row.lostAtMs) rig.serial.vanish();
        });
        rig.clock.watch(loseThePort);
        const std::uint64_t before = rig.clock.paused();
        const int pausesBefore = rig.clock.pauses();
        QString checksum;
        EXPECT_EQ(exchange(row.reply == asPassed ? row.reply : QString(), &checksum), row.reply);
        EXPECT_EQ(checksum, row.checksum);
        EXPECT_EQ(info(), row.reply == hexOf(error) ? QStringLiteral("  Error Warning!\r\n\r\n  Error Code = 0002\r\n"
                                                                     "  TLS received data is Out-Of-Range.")
                                                     : kBefore);
        EXPECT_GE(rig.clock.paused() - before, row.minWait);
        EXPECT_LE(rig.clock.paused() - before, row.maxWait);
        if (row.mostPauses > 0) { EXPECT_LE(rig.clock.pauses() - pausesBefore, row.mostPauses); }
        rig.serial.close();
    }
}

// Error statuses: a Chinese sample, no code (a reply that never came), and a language with no texts.
TEST_F(LinkTest, ErrorReportsInChineseForNoCodeAndNothingInAnotherLanguage)
{
    rig.info.setFontSize(9);
    link.ReportTLSError(QString());
    EXPECT_EQ(info(), QStringLiteral("  Error Warning!\r\n\r\n  Error Code = \r\n  Unknown error code.\r\n  Please report to Ostrel."));
    EXPECT_EQ(std::tuple(rig.info.color(), rig.info.fontSize()), std::tuple(VbColor::Red, 12));
    Module1.Language = 2;
    link.ReportTLSError(QStringLiteral("0009"));
    EXPECT_EQ(info(), QStringLiteral("  出错提醒!\r\n\r\n  错误码 = 0009\r\n  激光器接收到的数据Checksum错误"));
    Module1.Language = 3;
    rig.info.setText(kBefore);
    link.ReportTLSError(QStringLiteral("0001"));
    EXPECT_EQ(info(), kBefore);
}

TEST(Delay, ServesPostedEventsButANullWaitNoneAndAWakeablePauseEndsWhenWoken)
{
    SystemClock clock;
    Waits waits(clock);
    int postedRan = 0;
    QMetaObject::invokeMethod(qApp, [&] { ++postedRan; }, Qt::QueuedConnection);
    waits.Delay(0);
    EXPECT_EQ(postedRan, 0) << "no wait, no event processing";
    waits.Delay(20);
    EXPECT_EQ(postedRan, 1);

    // The reply waits' pause ends when woken, long before its time, serving events meanwhile; unwoken it lasts its time.
    Wakeup wakeup;
    bool served = false;
    QTimer::singleShot(0, &wakeup, [&] { served = true; });
    QTimer::singleShot(20, &wakeup, &Wakeup::raise);
    bool late = false;
    QTimer lateTimer;
    lateTimer.setSingleShot(true);
    QObject::connect(&lateTimer, &QTimer::timeout, [&] { late = true; });
    lateTimer.start(3000);
    clock.pauseUntil(10000, true, wakeup);
    EXPECT_TRUE(served);
    EXPECT_FALSE(late) << "the pause ran on past its wakeup";

    QElapsedTimer elapsed;
    elapsed.start();
    clock.pauseUntil(50, true, wakeup);
    EXPECT_GE(elapsed.elapsed(), 50) << "an unwoken pause that returns early makes the reply wait spin";
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
        depthSeen = waits.depth();
        innerReply = exchange();
    }, Qt::QueuedConnection);
    Module1.TLSTimeoutMs = 300;
    EXPECT_TRUE(exchange().isEmpty()) << "the outer reply was discarded by the inner command";
    EXPECT_GE(depthSeen, 1);
    EXPECT_TRUE(innerReply.startsWith(QStringLiteral("AA52445357"))) << innerReply.toStdString();
    EXPECT_EQ(waits.depth(), 0);
}

// Handlers started from inside each other's waits, deeper and deeper, as a stuck key could.
TEST_F(LinkTest, DeeplyNestedWaitsHoldTheOperatorsInputBack)
{
    int deepest = 0;
    std::function<void()> nest = [&] {
        deepest = std::max(deepest, waits.depth());
        if (waits.depth() <= Waits::kMaxServedDepth + 2) QMetaObject::invokeMethod(qApp, nest, Qt::QueuedConnection);
        waits.Delay(10);
    };
    nest();
    EXPECT_GT(deepest, Waits::kMaxServedDepth);
    EXPECT_GT(rig.clock.inputHeldBack(), 0);
    EXPECT_EQ(waits.depth(), 0);
    const int heldBefore = rig.clock.inputHeldBack();
    waits.Delay(10);
    EXPECT_EQ(rig.clock.inputHeldBack(), heldBefore) << "a plain wait serves input";
}

}  // namespace
