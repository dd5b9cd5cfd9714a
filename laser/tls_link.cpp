#include "laser/tls_link.h"

#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "laser/frame_codec.h"
#include "laser/ms_clock.h"
#include "laser/serial_port.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kFirstWaitMs = 100;
constexpr int kFirstBlockBytes = 7;
// A reply wait pauses at most this long before it looks at the clock again, as Delay does: the
// timer's range and the wrap rule stay valid whatever the time-out.
constexpr std::int64_t kLongestPauseMs = 1000;

// What is left of the reply time-out `elapsed` milliseconds into a wait: the wait gives up once
// more than the time-out has passed, so it lasts one millisecond beyond it.
std::uint32_t untilTimeOut(std::int64_t elapsed)
{
    return static_cast<std::uint32_t>(std::min<std::int64_t>(Module1.TLSTimeoutMs - elapsed + 1, kLongestPauseMs));
}

QString hexText(const QByteArray& bytes)
{
    return QString::fromStdString(
        frame::toHex({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())}));
}

const char* errorTextKey(const QString& code)
{
    if (code == QLatin1String("0001")) return "laser.error0001";
    if (code == QLatin1String("0002")) return "laser.error0002";
    if (code == QLatin1String("0009")) return "laser.error0009";
    return "laser.errorUnknown";
}

}  // namespace

void TlsLink::SendTLSCommand(std::int16_t mode, std::int16_t lastIndex, std::int32_t parameter, QString& command)
{
    try {
        port_.discardBuffers();  // a late reply to an earlier command is dropped, never mistaken
        const std::string composed = frame::composeCommand(command.toStdString(), mode, lastIndex, parameter);
        command = QString::fromStdString(composed);
        const std::vector<std::uint8_t> bytes = frame::wireBytes(composed, lastIndex);
        port_.write(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    } catch (const SerialFault&) {
        // Nothing sent, nothing reported: the caller's status test decides.
    }
}

bool TlsLink::awaitFirstBlock()
{
    const std::uint32_t start = waits_.clock().now();
    while (port_.bytesWaiting() < kFirstBlockBytes) {
        const std::int64_t elapsed = elapsedMs(start, waits_.clock().now());
        if (elapsed > Module1.TLSTimeoutMs) return false;
        waits_.untilWoken(untilTimeOut(elapsed), port_.activity());
    }
    return true;
}

bool TlsLink::awaitRest(std::int64_t missing, QByteArray& lastBlock)
{
    const std::uint32_t start = waits_.clock().now();
    for (;;) {
        const std::int64_t elapsed = elapsedMs(start, waits_.clock().now());
        if (elapsed > Module1.TLSTimeoutMs) return false;
        if (port_.bytesWaiting() >= missing) {
            lastBlock = port_.readAll();
            return true;
        }
        waits_.untilWoken(untilTimeOut(elapsed), port_.activity());
    }
}

void TlsLink::ReceiveTLSReply(QString& reply, QString& checksum)
{
    try {
        waits_.Delay(kFirstWaitMs);
        if (!awaitFirstBlock()) return;

        const QByteArray first = port_.readAll();
        reply = hexText(first);
        const std::string replyStd = reply.toStdString();
        const std::int64_t missing = frame::missingBytes(frame::lengthWords(replyStd), static_cast<std::size_t>(first.size()));
        if (missing > 0) {
            QByteArray rest;
            if (!awaitRest(missing, rest)) return;
            reply += hexText(rest);
        }

        const std::int64_t total = first.size() + missing;  // 9 + 2L, the frame the length announces
        const std::uint16_t sum = frame::checksumOfHex(reply.toStdString(), static_cast<std::size_t>(total - 3));
        checksum = QString::fromStdString(frame::hexPadded(sum, 4));

        const QString status = reply.mid(14, 4);
        if (reply.right(4) == checksum && status != QLatin1String("0000")) ReportTLSError(status);
    } catch (const SerialFault&) {
        // The reply stays as far as it was built.
    }
}

void TlsLink::ReportTLSError(const QString& code)
{
    QString message = T("laser.errorHeader");
    if (!message.isNull()) message = message.arg(code) + T(errorTextKey(code));
    info_.setColor(VbColor::Red);
    info_.setFontSize(12);
    info_.setText(message);
}
