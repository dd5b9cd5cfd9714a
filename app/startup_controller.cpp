#include "app/startup_controller.h"

#include "app/language_controller.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/progress_strip.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "laser/tls_port_controller.h"
#include "module/device_library.h"

#include <QSignalBlocker>

StartupController::StartupController(Form1& form, InfoBox& info, LanguageController& language,
                                     DeviceLibrary& library, ProgressStrip& progress, TlsPortController& ports)
    : QObject(&form), form_(form), info_(info), language_(language), library_(library), progress_(progress),
      ports_(ports)
{
}

void StartupController::Form_Load()
{
    Form1& f = form_;
    const QString welcome = textIn("app.welcome", 1);  // the same in both languages

    f.LanguageButton->setChecked(false);
    language_.LanguageButton_Click();

    Module1.ChannelSelect = 1;
    Module1.PlotCount = 0;
    f.CheckTLS->setChecked(true);

    for (QWidget* w : {static_cast<QWidget*>(f.CheckPowerMeter), static_cast<QWidget*>(f.CheckAlignMode),
                       static_cast<QWidget*>(f.CheckVXMScanMode), static_cast<QWidget*>(f.CheckRemoveBKG),
                       static_cast<QWidget*>(f.TakeBackground), static_cast<QWidget*>(f.MeasureSpectrum)})
        w->setEnabled(false);
    for (QWidget* w : {f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7, f.Text8}) w->setEnabled(false);
    f.TLSOnOff->setEnabled(true);
    for (QWidget* w : {f.StartStopSweep, f.SingleMeasure, f.RepeatMeasure, f.ReadVXMInfo, f.ReadTLSInfo,
                       f.StopVXMScan, f.Reflection, f.Transmission})
        w->setEnabled(false);
    // The laser toggle starts pressed; set quietly, as the window was designed that way.
    {
        const QSignalBlocker quiet(f.TLSOnOff);
        f.TLSOnOff->setChecked(true);
    }

    info_.report(QStringLiteral("Arial"), VbColor::Red, welcome);
    const QString problem = library_.loadProblem();
    if (!problem.isEmpty()) info_.setText(welcome + textIn("app.libraryMissing", Module1.Language).arg(problem));

    library_.Initialize_Lib(0);

    Module1.TLSTimeoutMs = 100;
    progress_.beginDetection(30);  // COM1 to COM30
    ports_.DetectComPorts();
    progress_.end();
    Module1.TLSTimeoutMs = 10000;

    emit loaded();
}
