#include "app/bench.h"

#include "app/language_controller.h"
#include "app/shutdown_controller.h"
#include "app/startup_controller.h"
#include "core/dialogs.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/progress_strip.h"
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
#include "results/export_controller.h"
#include "results/form2.h"
#include "results/marker_controller.h"
#include "results/repeat_statistics_tracker.h"
#include "results/results_controller.h"
#include "results/results_window_host.h"
#include "results/save_controller.h"
#include "verdict/figures_output.h"
#include "verdict/verdict_controller.h"
#include "records/history_host.h"
#include "records/record_capture.h"
#include "records/record_status.h"
#include "records/record_store.h"
#include "records/record_writer.h"
#include "station/recipe_library.h"
#include "station/station_controller.h"

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
    waits_ = std::make_unique<Waits>(*services_.clock);
    Form1& f = *form1_;
    connect(resultsWindow_.get(), &ResultsWindowHost::windowLoaded, this, &Bench::wireResultsWindow);

    language_ = new LanguageController(f, *resultsWindow_);
    link_ = std::make_unique<TlsLink>(*services_.serial, *waits_, *info_);
    progress_ = new ProgressStrip(f, [this]() -> QWidget* { return resultsWindow_->loaded(); });
    tlsPort_ = new TlsPortController(f, *info_, *link_, *services_.serial, *progress_);
    tlsControl_ = new TlsControlController(f, *info_, *link_, *waits_);
    module_ = new ModuleController(f, *info_, *services_.library);
    new ScanOptionsController(f, [this] { language_->LanguageButton_Click(); });
    measureOptions_ = new MeasureOptionsController(f);
    startup_ = new StartupController(f, *info_, *language_, *services_.library, *progress_, *tlsPort_);
    shutdown_ = new ShutdownController(f, *services_.library, *tlsControl_, *services_.serial, *waits_);
    repeatStatistics_ = std::make_unique<RepeatStatisticsTracker>(*resultsWindow_);
    engine_ = std::make_unique<ScanEngine>(f, *info_, *services_.library, *waits_, *progress_, *tlsControl_);
    measure_ = new MeasureController(f, *info_, *waits_, *engine_, *resultsWindow_, *repeatStatistics_);
    verdict_ = new VerdictController(f, *info_, *services_.settings);
    connect(measure_, &MeasureController::channelsAnalysed, verdict_, &VerdictController::evaluate);
    wireRecords();
    wireHistory();
    wireStation();
}

// Every completed measurement becomes a record, handed to the writer's thread; the writer starts
// once start-up has told its messages, so that a problem with the store is told after them.
void Bench::wireRecords()
{
    if (services_.recordsTarget.isEmpty()) return;
    Form1& f = *form1_;
    records_ = std::make_unique<RecordWriter>(services_.recordsTarget, services_.recordsSpool);
    auto* capture = capture_ = new RecordCapture(f, *records_, QStringLiteral(VXM_PROGRAM_VERSION));
    new RecordStatusController(f, *info_, *records_);
    shutdown_->watchRecords(records_.get());
    connect(startup_, &StartupController::loaded, records_.get(), &RecordWriter::start);
    connect(module_, &ModuleController::moduleIdentified, capture, &RecordCapture::setModuleIdentity);
    connect(measure_, &MeasureController::channelsAnalysed, capture, &RecordCapture::spectrumAnalysed);
    connect(verdict_, &VerdictController::evaluated, capture, &RecordCapture::verdictJudged);
    connect(measure_, &MeasureController::spectrumMeasured, capture, &RecordCapture::captureSpectrum);
    connect(measure_, &MeasureController::powerRead, capture, &RecordCapture::capturePower);
}

// The History window reads the records where the writer puts them.
void Bench::wireHistory()
{
    form1_->HistoryButton->setEnabled(!services_.recordsTarget.isEmpty());
    if (!services_.recordsTarget.isEmpty()) history_ = new HistoryHost(*form1_, services_.recordsTarget, services_.recordsSpool);
}

// The station offers the recipes of its folder and of the records store.
void Bench::wireStation()
{
    const QString folder = services_.recipesFolder.isEmpty() ? defaultRecipesFolder() : services_.recipesFolder;
    // With records, the recipes go through the store, opened on this thread when first read.
    auto store = std::make_shared<RecordStore>();
    const QString target = services_.recordsTarget;
    station_ = new StationController(*form1_, *info_, *measure_, *verdict_, capture_, [folder, store, target] {
        if (!target.isEmpty() && !store->isOpen()) store->open(target);
        if (!store->isOpen()) return offeredRecipes(folder, nullptr);
        StoreShelf shelf(*store);
        return offeredRecipes(folder, &shelf);
    });
    connect(startup_, &StartupController::loaded, station_, &StationController::refreshRecipes);
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

bool Bench::startRemote(const RemoteOptions& options)
{
    if (!remote_) {
        remote_ = new RemoteControl(*form1_, *info_, *services_.library, *resultsWindow_, *engine_, *verdict_, *station_);
        RemoteCommands* commands = &remote_->commands();
        if (capture_)
            connect(capture_, &RecordCapture::captured, commands,
                    [commands](const MeasurementRecord& record) { commands->setLastRecord(record.uid); });
        connect(station_, &StationController::referenceQuestionable, commands,
                [commands](bool on) { commands->setQuestionable(scpi::ReferenceQuestionable, on); });
        connect(station_, &StationController::maskFailed, commands,
                [commands](bool on) { commands->setQuestionable(scpi::MaskFailed, on); });
    }
    return remote_->start(options);
}

ResultsController* Bench::results() const { return results_.data(); }

Form2& Bench::form2() { return resultsWindow_->form2(); }

Form2* Bench::loadedForm2() const { return resultsWindow_->loaded(); }

void Bench::unloadForm2() { resultsWindow_->unload(); }
