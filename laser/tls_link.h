#pragma once
// The only way the program talks to the laser: one command frame out, one reply frame back,
// over `MSComm1`. Frames travel as hexadecimal text (two upper-case digits per byte); the port
// moves bytes. Port faults (not open, lost) end the procedures silently: callers judge the reply
// by its status word.

#include <QString>

#include <cstdint>

class InfoBox;
class MsClock;
class SerialPort;

class TlsLink {
public:
    TlsLink(SerialPort& port, MsClock& clock, InfoBox& info) : port_(port), clock_(clock), info_(info) {}

    // Sends `command` (the frame without checksum, as text). Mode 2 appends `parameter` as a
    // 32-bit field first; the checksum over bytes 1..lastIndex-2 is appended in every mode and
    // bytes 0..lastIndex go out in one write. On return `command` holds the composed text.
    void SendTLSCommand(std::int16_t mode, std::int16_t lastIndex, std::int32_t parameter, QString& command);

    // Waits for one reply (100 ms, then until 7 bytes are in, then the rest the length announces)
    // and leaves it in `reply`; `checksum` gets the checksum computed over the announced frame.
    // An error status with a good checksum is reported. A time-out before the first 7 bytes leaves
    // `reply` as passed in. Each wait serves window events; the last two end as soon as the port
    // reports bytes or the time-out (Module1.TLSTimeoutMs) is passed, not in turns.
    void ReceiveTLSReply(QString& reply, QString& checksum);

    // The error message for a four-digit status code, red, size 12.
    void ReportTLSError(const QString& code);

    // Waits at least `milliseconds` while window events are served.
    void Delay(double milliseconds);

    // Nested waits in progress: a handler that runs inside another's wait sees more than one.
    int waitDepth() const { return waitDepth_; }
    // Beyond this many nested waits the operator's clicks are held back until the inner waits end,
    // so that clicks piling handlers into each other's waits cannot exhaust the stack.
    static constexpr int kMaxServedWaitDepth = 32;

private:
    bool awaitFirstBlock();
    bool awaitRest(std::int64_t missing, QByteArray& lastBlock);
    // Serves window events until the port reports activity or `milliseconds` pass.
    void awaitPort(std::uint32_t milliseconds);

    SerialPort& port_;
    MsClock& clock_;
    InfoBox& info_;
    int waitDepth_ = 0;
};
