#pragma once
// The only way the program talks to the laser: one command frame out, one reply frame back,
// over `MSComm1`. Frames travel as hexadecimal text (two upper-case digits per byte); the port
// moves bytes. Port faults (not open, lost) end the procedures silently: callers judge the reply
// by its status word.

#include <QString>

#include <cstdint>

class InfoBox;
class SerialPort;
class Waits;

class TlsLink {
public:
    // `waits` times the reply waits and serves window events meanwhile.
    TlsLink(SerialPort& port, Waits& waits, InfoBox& info) : port_(port), waits_(waits), info_(info) {}

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

private:
    bool awaitFirstBlock();
    bool awaitRest(std::int64_t missing, QByteArray& lastBlock);

    SerialPort& port_;
    Waits& waits_;
    InfoBox& info_;
};
