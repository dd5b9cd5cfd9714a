#include "app/bench.h"

#include "app/dialogs.h"
#include "app/form1.h"
#include "app/info_box.h"
#include "app/language_controller.h"
#include "app/module1.h"
#include "app/shutdown_controller.h"
#include "app/progress_strip.h"
#include "app/texts.h"
#include "app/units.h"
#include "measure/measure_options.h"
#include "measure/measure_workflow.h"
#include "laser/tls_control_controller.h"
#include "laser/tls_link.h"
#include "laser/tls_port_controller.h"
#include "module/device_library.h"
#include "module/module_controller.h"
#include "module/scan_options_controller.h"
#include "results/export.h"
#include "results/form2.h"
#include "results/repeat_statistics.h"
#include "results/results_controller.h"
#include "results/save_controller.h"

BenchServices realServices()
{
    BenchServices s;
    s.library = loadDeviceLibrary();
    return s;
}

Bench::Bench(BenchServices services)
    : services_(std::move(services)), form1_(std::make_unique<Form1>()),
      info_(std::make_unique<InfoBox>(form1_->DisplayInfo))
{
    setDialogParent(form1_.get());
    language_ = new LanguageController(*this);
    if (!services_.serial) services_.serial = makeSystemSerialPort();
    if (!services_.clock) services_.clock = std::make_unique<SystemClock>();
    link_ = std::make_unique<TlsLink>(*services_.serial, *services_.clock, *info_);
    tlsPort_ = new TlsPortController(*this);
    tlsControl_ = new TlsControlController(*this);
    module_ = new ModuleController(*this);
    scanOptions_ = new ScanOptionsController(*this);
    measureOptions_ = new MeasureOptionsController(*this);
    shutdown_ = new ShutdownController(*this);
    progress_ = new ProgressStrip(*this);
    repeatStatistics_ = std::make_unique<RepeatStatisticsTracker>(*this);
    measure_ = new MeasureController(*this);
}

Bench::~Bench()
{
    unloadForm2();
    setDialogParent(nullptr);
}

Form2& Bench::form2()
{
    if (!form2_) {
        form2_ = new Form2(form1_.get());
        form2_->setAttribute(Qt::WA_DeleteOnClose);
        results_ = new ResultsController(*this, *form2_);
        results_->Form_Load();
        new SaveController(*this, *form2_);  // owned by the window
        new ExportController(*this, *form2_);  // owned by the window
    }
    return *form2_;
}

Form2* Bench::loadedForm2() const { return form2_.data(); }

ResultsController* Bench::results() const { return results_.data(); }

void Bench::unloadForm2()
{
    delete form2_.data();
    form2_ = nullptr;
    results_ = nullptr;
}

void Bench::unloadForm2Later()
{
    if (!form2_) return;
    form2_->hide();
    form2_->deleteLater();
    form2_ = nullptr;
    results_ = nullptr;
}

void Bench::Form_Load()
{
    Form1& f = *form1_;
    const QString welcome = textIn("app.welcome", 1);  // the same in both languages

    f.LanguageButton->setChecked(false);
    language_->LanguageButton_Click();

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

    info_->report(QStringLiteral("Arial"), VbColor::Red, welcome);
    const QString problem = services_.library->loadProblem();
    if (!problem.isEmpty()) info_->setText(welcome + textIn("app.libraryMissing", Module1.Language).arg(problem));

    services_.library->Initialize_Lib(0);

    Module1.TLSTimeoutMs = 100;
    progress_->beginDetection(30);  // COM1 to COM30
    tlsPort_->DetectComPorts();
    progress_->end();
    Module1.TLSTimeoutMs = 10000;
}
