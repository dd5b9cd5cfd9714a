#include "app/shutdown_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/texts.h"
#include "laser/serial_port.h"
#include "laser/tls_control_controller.h"
#include "laser/ms_clock.h"
#include "module/device_library.h"
#include "records/record_writer.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <cstdlib>

ShutdownController::ShutdownController(Form1& form, DeviceLibrary& library, TlsControlController& laser,
                                       SerialPort& port, const Waits& waits)
    : QObject(&form), form_(form), library_(library), laser_(laser), port_(port), waits_(waits),
      endProgram_([this] { endProgramAtOnce(); })
{
    connect(form_.CloseExit, &QPushButton::clicked, this, &ShutdownController::CloseExit_Click);
    form_.installEventFilter(this);
}

bool ShutdownController::mayClose() const
{
    if (!records_) return true;
    const RecordWriterStatus s = records_->status();
    return (s.waiting == 0 && s.inMemory == 0) ||
           dialogs().question(T("records.closeUnsent").arg(s.waiting).arg(s.inMemory), T("records.closeAnyway"),
                              T("records.closeWait"));
}

bool ShutdownController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &form_ && event->type() == QEvent::Close && !mayClose()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ShutdownController::CloseExit_Click()
{
    if (!mayClose()) return;
    // Nothing here is guarded: whatever the laser-off branch reports stays on screen until the end.
    DeviceLibrary& library = library_;
    library.Stop_All();
    library.Release_All();

    Form1& f = form_;
    if (f.CheckTLS->isChecked()) {
        f.TLSOnOff->setChecked(false);  // runs the laser-off branch when the laser was on
        laser_.TLSOnOff_Click();
        if (port_.isOpen()) port_.close();
    }
    endProgram_();
}

void ShutdownController::endProgramAtOnce()
{
    QCoreApplication::exit(0);
    // Clicked from inside another handler's wait (a reply or a scan poll), returning would let that
    // handler go on talking to instruments that were just released; the bench has nothing left to
    // save or close, so the process ends here.
    if (waits_.depth() > 0) std::_Exit(0);
}
