#include "app/bench.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "app/language_controller.h"
#include "core/shared_state.h"
#include "app/shutdown_controller.h"
#include "core/progress_strip.h"
#include "core/texts.h"
#include "core/units.h"
#include "measure/measure_options.h"
#include "measure/measure_controller.h"
#include "measure/scan_engine.h"
#include "laser/tls_control_controller.h"
#include "laser/tls_link.h"
#include "laser/tls_port_controller.h"
#include "module/device_library.h"
#include "module/module_controller.h"
#include "module/scan_options_controller.h"
#include "remote/remote_commands.h"
#include "remote/remote_control.h"
#include "remote/scpi_format.h"
#include "results/export_controller.h"
#include "results/form2.h"
#include "results/marker_controller.h"
#include "results/repeat_statistics_tracker.h"
#include "results/results_controller.h"
#include "results/results_window_host.h"
#include "results/save_controller.h"
#include "verdict/device_verdict.h"
#include "verdict/figures_output.h"
#include "verdict/verdict_controller.h"
#include "records/history_host.h"
#include "records/record_capture.h"
#include "records/record_status.h"
#include "records/record_writer.h"

BenchServices realServices()
{
    BenchServices s;
    s.library = loadDeviceLibrary();
    return s;
}

Bench::Bench(BenchServices services)
    : services_(std::move(services)), form1_(std::make_unique<Form1>()),
      info_(std::make_unique<InfoBox>(form1_->DisplayInfo)),
      resultsWindow_(std::make_unique<ResultsWindowHost>(*form1_))
{
    setDialogParent(form1_.get());
    if (!services_.serial) services_.serial = makeSystemSerialPort();
    if (!services_.clock) services_.clock = std::make_unique<SystemClock>();
    if (!services_.settings)
        services_.settings = std::make_unique<QSettings>(QStringLiteral("ostrel-vxm"), QStringLiteral("vxm-operator"));
    Form1& f = *form1_;
    connect(resultsWindow_.get(), &ResultsWindowHost::windowLoaded, this, &Bench::wireResultsWindow);

    language_ = new LanguageController(f, *resultsWindow_);
    link_ = std::make_unique<TlsLink>(*services_.serial, *services_.clock, *info_);
    progress_ = new ProgressStrip(f, [this]() -> QWidget* { return resultsWindow_->loaded(); });
    tlsPort_ = new TlsPortController(f, *info_, *link_, *services_.serial, *progress_);
    tlsControl_ = new TlsControlController(f, *info_, *link_);
    module_ = new ModuleController(f, *info_, *services_.library);
    scanOptions_ = new ScanOptionsController(f, [this] { language_->LanguageButton_Click(); });
    measureOptions_ = new MeasureOptionsController(f);
    shutdown_ = new ShutdownController(f, *services_.library, *tlsControl_, *services_.serial, *link_);
    repeatStatistics_ = std::make_unique<RepeatStatisticsTracker>(*resultsWindow_);
    engine_ = std::make_unique<ScanEngine>(f, *info_, *services_.library, *services_.clock, *link_, *progress_,
                                           *tlsControl_);
    measure_ = new MeasureController(f, *info_, *link_, *engine_, *resultsWindow_, *repeatStatistics_);
    verdict_ = new VerdictController(f, *info_, *services_.settings);
    connect(measure_, &MeasureController::channelsAnalysed, verdict_, &VerdictController::evaluate);
    wireRecords();
    wireHistory();
}

// Every completed measurement becomes a record, handed to the writer's thread.
void Bench::wireRecords()
{
    if (services_.recordsTarget.isEmpty()) return;
    Form1& f = *form1_;
    records_ = std::make_unique<RecordWriter>(services_.recordsTarget, services_.recordsSpool);
    capture_ = new RecordCapture(f, *records_, QStringLiteral(VXM_PROGRAM_VERSION));
    new RecordStatusController(f, *info_, *records_);
    connect(module_, &ModuleController::moduleIdentified, capture_, &RecordCapture::setModuleIdentity);
    connect(measure_, &MeasureController::spectrumMeasured, capture_, [this](int pass) {
        capture_->captureSpectrum(pass < 0 ? RecordKind::Spectrum : RecordKind::RepeatPass, pass);
    });
    connect(measure_, &MeasureController::powerRead, capture_,
            [this] { capture_->capturePower(engine_->lastPower(), form1_->PLabel->text()); });
    // A record carries the verdict of its own analysis only: a background or a power reading has none.
    auto analysed = std::make_shared<bool>(false);
    connect(measure_, &MeasureController::channelsAnalysed, capture_, [analysed] { *analysed = true; });
    capture_->setVerdictProvider([this, analysed] {
        RecordVerdict v;
        if (std::exchange(*analysed, false) && verdict_->latest()) {
            v.figuresJson = verdict::figuresJson(*verdict_->latest());
            if (verdict_->latest()->outcome != verdict::Outcome::NotJudged)
                v.verdict = verdict::outcomeText(verdict_->latest()->outcome);
        }
        return v;
    });
}

// The History window reads the records where the writer puts them, beside the last spectrum.
void Bench::wireHistory()
{
    Form1& f = *form1_;
    f.HistoryButton->setEnabled(!services_.recordsTarget.isEmpty());
    if (services_.recordsTarget.isEmpty()) return;
    history_ = new HistoryHost(f, services_.recordsTarget, [&f] {
        return CurrentTrace{history::tracePoints(Module1.ScanWL, Module1.ScanValue, Module1.LastPointIndex),
                            f.CheckAlignMode->isChecked(), f.CheckVXMScanMode->isChecked()};
    });
}

Bench::~Bench()
{
    delete remote_;  // its clients go before the windows and controllers they drive
    records_.reset();  // before the main window its capture hangs on
    resultsWindow_->unload();
    setDialogParent(nullptr);
}

// Each freshly loaded results window gets its controllers, which live as long as it does.
void Bench::wireResultsWindow(Form2& window)
{
    results_ = new ResultsController(window, *form1_, *resultsWindow_);
    results_->Form_Load();
    new SaveController(window, *form1_, [this] { return verdict_->workbookSheets(); });
    new ExportController(window, *form1_, {[this] { return verdict_->figuresFile(); }, &verdict::figuresCsvPath});
    new MarkerController(window, *form1_);
    verdict_->attach(window);
}

namespace {
// FETCh:VERDict?: the device's outcome first, then one quoted string per line of the verdict text
// ("CH4 1331.004 nm FAIL insertion_loss", ..., "DEVICE FAIL").
std::optional<QByteArray> remoteVerdict(const VerdictController& verdict)
{
    if (!verdict.latest()) return std::nullopt;
    QByteArray reply = verdict::outcomeText(verdict.latest()->outcome).toLatin1();
    for (const QString& line : verdict::verdictText(*verdict.latest()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        reply += ',' + scpi::quotedString(line);
    return reply;
}
}  // namespace

bool Bench::startRemote(const RemoteOptions& options)
{
    if (!remote_) {
        remote_ = new RemoteControl(*form1_, *info_, *services_.library, *resultsWindow_, *engine_);
        remote_->commands().setVerdictProvider([this] { return remoteVerdict(*verdict_); });
    }
    return remote_->start(options);
}

ResultsController* Bench::results() const { return results_.data(); }

Form2& Bench::form2() { return resultsWindow_->form2(); }

Form2* Bench::loadedForm2() const { return resultsWindow_->loaded(); }

void Bench::unloadForm2() { resultsWindow_->unload(); }

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

    // Last: a problem with the records' database is told after the start-up messages.
    if (records_) records_->start();
}
