#include "app/shutdown_controller.h"

#include "app/bench.h"
#include "app/form1.h"
#include "laser/serial_port.h"
#include "laser/tls_control_controller.h"
#include "laser/tls_link.h"
#include "module/device_library.h"

#include <QCoreApplication>

#include <cstdlib>

ShutdownController::ShutdownController(Bench& bench)
    : QObject(&bench), bench_(bench), endProgram_([this] { endProgramAtOnce(); })
{
    connect(bench.form1().CloseExit, &QPushButton::clicked, this, &ShutdownController::CloseExit_Click);
}

void ShutdownController::CloseExit_Click()
{
    // Nothing here is guarded: whatever the laser-off branch reports stays on screen until the end.
    DeviceLibrary& library = bench_.library();
    library.Stop_All();
    library.Release_All();

    Form1& f = bench_.form1();
    if (f.CheckTLS->isChecked()) {
        f.TLSOnOff->setChecked(false);  // runs the laser-off branch when the laser was on
        bench_.tlsControl().TLSOnOff_Click();
        if (bench_.MSComm1().isOpen()) bench_.MSComm1().close();
    }
    endProgram_();
}

void ShutdownController::endProgramAtOnce()
{
    QCoreApplication::exit(0);
    // Clicked from inside another handler's wait (a reply or a scan poll), returning would let that
    // handler go on talking to instruments that were just released; the bench has nothing left to
    // save or close, so the process ends here.
    if (bench_.link().waitDepth() > 0) std::_Exit(0);
}
