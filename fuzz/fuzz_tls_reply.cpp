// The laser reply receiver over any byte stream: the input scripts how the reply arrives (blocks
// and their delays), the time-out and the language. Checks what the receiver promises whatever
// the laser sends: the reply is the bytes read, in order; the checksum is four digits over the
// frame the length announces; an error is reported only for a well-checked error status; and
// the wait is bounded by the time-outs.

#include "core/info_box.h"
#include "core/shared_state.h"
#include "fuzz_support.h"
#include "laser/frame_codec.h"
#include "laser/tls_link.h"

#include <QPlainTextEdit>
#include <QRegularExpression>

namespace {

const QString kUntouched = QStringLiteral("untouched");

QString hexOf(const QByteArray& bytes)
{
    return QString::fromStdString(frame::toHex(
        {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())}));
}

bool isHexText(const QString& text)
{
    static const QRegularExpression hex(QStringLiteral("^([0-9A-F]{2})*$"));
    return hex.match(text).hasMatch();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QPlainTextEdit box;
    static InfoBox info(&box);

    fuzz::Input in(data, size);
    const std::uint8_t flags = in.byte();
    // The detection time-out and a longer one: the normal 10000 ms takes the same paths, only with
    // many more steps of the clock, which would slow every input down.
    Module1.TLSTimeoutMs = (flags & 1) != 0 ? 1000 : 100;
    Module1.Language = (flags & 2) != 0 ? 2 : 1;

    // Pauses only move the time: nothing checked here waits on the event loop, and serving it
    // would slow every input down. Bit 2 starts the clock just before the counter's wrap.
    FakeClock clock((flags & 4) != 0 ? 0xFFFFFF00u : 1000u, FakeClock::Events::Left);
    FakeSerialPort port(clock);
    const std::vector<FakeChunk> script = fuzz::scriptFrom(in);
    port.addPort(7, answering(script));
    port.open(7, {}, 8192);
    Waits waits(clock);
    TlsLink link(port, waits, info);
    info.setText(kUntouched);

    QString command = QStringLiteral("AA534E465600010000");
    link.SendTLSCommand(1, 10, 0, command);
    const std::uint64_t pausedBefore = clock.paused();
    QString reply = kUntouched;
    QString checksum;
    link.ReceiveTLSReply(reply, checksum);
    const std::uint64_t waited = clock.paused() - pausedBefore;

    const QByteArray stream = port.delivered();
    if (reply == kUntouched) {
        FUZZ_CHECK(checksum.isEmpty());
    } else {
        FUZZ_CHECK(isHexText(reply));
        FUZZ_CHECK(reply.size() >= 14);  // never read before the first 7 bytes are in
        FUZZ_CHECK(hexOf(stream).startsWith(reply));
    }
    FUZZ_CHECK(checksum.isEmpty() || (checksum.size() == 4 && isHexText(checksum)));

    // A first block holding the whole announced frame is the reply, checked over that frame.
    if (!script.empty() && script[0].afterMs <= 100 && script[0].bytes.size() >= 7) {
        const QByteArray first = script[0].bytes;
        const std::size_t frameBytes = 9 + 2 * (static_cast<std::uint8_t>(first[5]) * 256u +
                                                static_cast<std::uint8_t>(first[6]));
        if (static_cast<std::size_t>(first.size()) >= frameBytes &&
            (script.size() == 1 || script[1].afterMs > 100)) {
            const auto bytes = reinterpret_cast<const std::uint8_t*>(first.constData());
            const std::uint16_t sum = frame::checksum({bytes, static_cast<std::size_t>(first.size())}, 1, frameBytes - 3);
            FUZZ_CHECK(reply == hexOf(first));
            FUZZ_CHECK(checksum == QString::fromStdString(frame::hexPadded(sum, 4)));
        }
    }

    // An error is shown exactly when a reply with a matching checksum carries a status other than 0000.
    const bool reported = info.text() != kUntouched;
    const bool errorStatus = !checksum.isEmpty() && reply.right(4) == checksum && reply.mid(14, 4) != QLatin1String("0000");
    FUZZ_CHECK(reported == errorStatus);
    if (reported)
        FUZZ_CHECK(info.text().contains(reply.mid(14, 4)));

    // 100 ms first, then at most one time-out for the first block and one for the rest.
    FUZZ_CHECK(waited <= 100 + 2 * static_cast<std::uint64_t>(Module1.TLSTimeoutMs) + 20);
    return 0;
}
