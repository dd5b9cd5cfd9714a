#pragma once
// The serial port the laser is driven over (`MSComm1`): a small service so that the link can be
// tested against a scripted port. Opening reports "no such port" and "port busy" apart from
// other faults, as port detection needs; every other operation on a closed or lost port throws
// SerialFault, which the link procedures catch and end on silently.

#include "laser/ms_clock.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

class SerialFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class SerialOpenResult {
    Ok,
    NoSuchPort,  // the number names no port (the role of error 8002)
    Busy,        // the port is in use, by us or by another program (error 8005)
    Fault,       // anything else: permissions, bad settings, a device that refuses
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens COM<portNumber> with settings such as "115200,N,8,1" and an input buffer of
    // `inputBufferSize` bytes.
    virtual SerialOpenResult open(int portNumber, const QString& settings, int inputBufferSize) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int portNumber() const = 0;

    virtual int bytesWaiting() = 0;
    // Every byte waiting, in binary.
    virtual QByteArray readAll() = 0;
    // One output operation.
    virtual void write(const QByteArray& bytes) = 0;
    // Drops whatever is pending in both directions.
    virtual void discardBuffers() = 0;

    // Raised from the event loop when bytes have come in, and when the device is lost, so that a
    // wait for a reply looks at the port at once instead of in turns.
    Wakeup& activity() { return activity_; }

protected:
    Wakeup activity_;
};

// The program's port: QSerialPort on the device that COMn resolves to.
std::unique_ptr<SerialPort> makeSystemSerialPort();

// Baud rate, parity, data bits and stop bits of a settings text such as "115200,N,8,1".
struct SerialSettings {
    int baudRate = 0;
    char parity = 'N';
    int dataBits = 0;
    int stopBits = 0;
};
// Nothing when the text is not of that form.
std::optional<SerialSettings> parseSerialSettings(const QString& text);
