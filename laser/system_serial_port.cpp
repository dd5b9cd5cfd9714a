#include "laser/com_ports.h"
#include "laser/serial_port.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QStringList>

std::optional<SerialSettings> parseSerialSettings(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4 || parts[1].size() != 1) return std::nullopt;
    SerialSettings s;
    bool okBaud = false, okData = false, okStop = false;
    s.baudRate = parts[0].trimmed().toInt(&okBaud);
    s.parity = parts[1].at(0).toUpper().toLatin1();
    s.dataBits = parts[2].trimmed().toInt(&okData);
    s.stopBits = parts[3].trimmed().toInt(&okStop);
    const bool parityKnown = QByteArrayLiteral("NEOMS").contains(s.parity);
    if (!okBaud || !okData || !okStop || !parityKnown || s.baudRate <= 0 || s.dataBits < 5 || s.dataBits > 8 ||
        (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    return s;
}

namespace {

QSerialPort::Parity toParity(char p)
{
    switch (p) {
    case 'E': return QSerialPort::EvenParity;
    case 'O': return QSerialPort::OddParity;
    case 'M': return QSerialPort::MarkParity;
    case 'S': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

class SystemSerialPort final : public SerialPort {
public:
    SystemSerialPort()
    {
        // Both come from the event loop: the port's notifier reads what arrived into Qt's buffer,
        // then says so. A device that went (a resource error, after which Qt stops reading) is
        // told too, so that a wait finds the port lost at once. Other read errors are not: the
        // port stays in use after them, and on a terminal whose other end closed Qt reports one
        // on every turn of the event loop.
        QObject::connect(&port_, &QSerialPort::readyRead, &activity_, &Wakeup::raise);
        QObject::connect(&port_, &QSerialPort::errorOccurred, &activity_, [this](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::ResourceError) activity_.raise();
        });
    }

    SerialOpenResult open(int portNumber, const QString& settings, int inputBufferSize) override
    {
        if (port_.isOpen()) return SerialOpenResult::Busy;
        if (portNumber < 1) return SerialOpenResult::NoSuchPort;
        const std::optional<SerialSettings> s = parseSerialSettings(settings);
        if (!s) return SerialOpenResult::Fault;

        // COMn is often a link (to a pseudo-terminal or a USB adapter): open what it points at.
        const QFileInfo device(QString::fromStdString(comports::devicePath(portNumber)));
        const QString target = device.canonicalFilePath();
        if (target.isEmpty()) return SerialOpenResult::NoSuchPort;

        port_.setPortName(target);
        port_.setReadBufferSize(inputBufferSize);
        if (!port_.open(QIODevice::ReadWrite)) return classify(port_.error());
        const bool configured = port_.setBaudRate(s->baudRate) &&
                                port_.setDataBits(static_cast<QSerialPort::DataBits>(s->dataBits)) &&
                                port_.setParity(toParity(s->parity)) &&
                                port_.setStopBits(s->stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
                                port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!configured) {
            port_.close();
            return SerialOpenResult::Fault;
        }
        portNumber_ = portNumber;
        return SerialOpenResult::Ok;
    }

    void close() override
    {
        if (port_.isOpen()) port_.close();
    }

    bool isOpen() const override { return port_.isOpen(); }
    int portNumber() const override { return portNumber_; }

    int bytesWaiting() override
    {
        requireOpen();
        return static_cast<int>(port_.bytesAvailable());
    }

    QByteArray readAll() override
    {
        requireOpen();
        return port_.readAll();
    }

    void write(const QByteArray& bytes) override
    {
        requireOpen();
        if (port_.write(bytes) != bytes.size()) throw SerialFault("serial write failed");
        port_.flush();
    }

    void discardBuffers() override
    {
        requireOpen();
        port_.clear(QSerialPort::AllDirections);
        port_.readAll();  // also what Qt had already buffered
    }

private:
    static SerialOpenResult classify(QSerialPort::SerialPortError e)
    {
        switch (e) {
        case QSerialPort::DeviceNotFoundError: return SerialOpenResult::NoSuchPort;
        // Qt reports a port held by another process (lock or exclusive mode) as a permission error.
        case QSerialPort::PermissionError: return SerialOpenResult::Busy;
        default: return SerialOpenResult::Fault;
        }
    }

    // A port that vanished (adapter unplugged, simulator ended) reports a resource error.
    void requireOpen()
    {
        if (port_.isOpen() && port_.error() == QSerialPort::ResourceError) port_.close();
        if (!port_.isOpen()) throw SerialFault("serial port not open");
    }

    QSerialPort port_;
    int portNumber_ = 0;
};

}  // namespace

std::unique_ptr<SerialPort> makeSystemSerialPort() { return std::make_unique<SystemSerialPort>(); }
