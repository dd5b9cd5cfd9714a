#pragma once
// Close / Exit: the program's orderly way out. Stops and releases the module, switches the laser
// off and closes its port when the laser is in use, then ends the program. Records not yet in
// their database make it, and the window's own close button, ask first.

#include <QObject>

#include <functional>

class DeviceLibrary;
class RecordWriter;
class Form1;
class SerialPort;
class TlsControlController;
class Waits;

class ShutdownController : public QObject {
    Q_OBJECT
public:
    // `laser` switches the laser off through its toggle; `waits` tells whether a handler is waiting.
    ShutdownController(Form1& form, DeviceLibrary& library, TlsControlController& laser, SerialPort& port,
                       const Waits& waits);

    // Does not return to the event loop it came from: the program ends inside it, unless the
    // operator chooses to wait for records not yet stored.
    void CloseExit_Click();

    // The writer whose unsent records make Close / Exit ask; none when the bench keeps no records.
    void watchRecords(const RecordWriter* writer) { records_ = writer; }

    // The final step; tests put a recorder here so that the test process lives on.
    void setEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void endProgramAtOnce();
    // True when no record would be lost or the operator chose to close anyway.
    bool mayClose() const;

    Form1& form_;
    DeviceLibrary& library_;
    TlsControlController& laser_;
    SerialPort& port_;
    const Waits& waits_;
    std::function<void()> endProgram_;
    const RecordWriter* records_ = nullptr;
};
