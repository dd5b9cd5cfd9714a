#include "records/history_controller.h"

#include "core/dialogs.h"
#include "core/texts.h"
#include "records/history_window.h"
#include "records/statistics_controller.h"
#include "results/file_saving.h"

#include <QDateTime>

#include <algorithm>

namespace {

using history::language;

using history::text;

}  // namespace

HistoryController::HistoryController(HistoryWindow& window, RecordStore& store, CurrentTraceSource current,
                                     std::unique_ptr<WorkbookWriter> writer)
    : QObject(&window), window_(window), store_(store), current_(std::move(current)), writer_(std::move(writer)),
      statistics_(new StatisticsController(*window.StatisticsView, store, *writer_))
{
    HistoryWindow& w = window_;
    connect(w.Search, &QPushButton::clicked, this, &HistoryController::search);
    for (QLineEdit* box : {w.DeviceId, w.Recipe, w.DevicePattern})
        connect(box, &QLineEdit::returnPressed, this, &HistoryController::search);
    connect(w.Statistics, &QPushButton::clicked, this, &HistoryController::showStatistics);
    connect(w.List, &QTableWidget::cellDoubleClicked, this,
            [this](int row) { open(listed_.at(static_cast<std::size_t>(row)).id); });
    connect(w.Open, &QPushButton::clicked, this, [this] {
        const std::vector<std::int64_t> ids = selectedIds();
        if (!ids.empty()) open(ids.front());
    });
    connect(w.OverlayAdd, &QPushButton::clicked, this, &HistoryController::addSelectedToOverlay);
    connect(w.OverlayClear, &QPushButton::clicked, this, &HistoryController::clearOverlay);
    connect(w.CurrentTrace, &QCheckBox::toggled, this, &HistoryController::redraw);
    connect(w.ExportWorkbook, &QPushButton::clicked, this, &HistoryController::exportWorkbook);
    connect(w.ExportCsv, &QPushButton::clicked, this, &HistoryController::exportCsv);
    connect(w.Close, &QPushButton::clicked, &w, &QWidget::close);
    retranslate();
}

HistoryController::~HistoryController() = default;

history::FilterInput HistoryController::filterInput() const
{
    const HistoryWindow& w = window_;
    history::FilterInput input;
    input.deviceId = w.DeviceId->text();
    if (w.From->date() != HistoryWindow::anyDate()) input.from = w.From->date();
    if (w.To->date() != HistoryWindow::anyDate()) input.to = w.To->date();
    input.verdict = static_cast<history::VerdictChoice>(std::max(w.Verdict->currentIndex(), 0));
    if (w.Bench->currentIndex() > 0) input.bench = w.Bench->currentText();
    input.recipe = w.Recipe->text();
    input.devicePattern = w.DevicePattern->text();
    return input;
}

void HistoryController::search()
{
    const RecordFilter filter = history::recordFilter(filterInput());
    showMessage({});
    listed_ = store_.list(filter);
    total_ = store_.count(filter);
    if (store_.lastError()) showMessage(text("history.storeFailed").arg(store_.lastError().detail));
    fillList();
    if (!asideFolder_.isEmpty()) aside_ = setAsideEntries(asideFolder_);
    showSetAside();
}

void HistoryController::showSetAside()
{
    QLabel* l = window_.SetAside;
    l->setVisible(!aside_.empty());
    if (aside_.empty()) return;
    const SetAsideEntry& newest = aside_.front();
    l->setText(text("history.setAside")
                   .arg(aside_.size())
                   .arg(newest.deviceId.isEmpty() ? text("history.noDeviceId") : newest.deviceId,
                        newest.measuredUtc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), newest.reason));
    l->setToolTip(QFileInfo(newest.file).absolutePath());
}

// A record listed with points whose spectrum is no longer stored.
bool HistoryController::spectrumPruned() const
{
    if (!opened_ || !opened_->values.empty()) return false;
    const auto listed = std::find_if(listed_.begin(), listed_.end(),
                                     [this](const RecordSummary& s) { return s.id == opened_->id; });
    return listed != listed_.end() && listed->pointCount > 0;
}

void HistoryController::fillList()
{
    std::vector<QStringList> rows;
    for (const RecordSummary& s : listed_) rows.push_back(history::listRow(s, language()));
    window_.List->clearSelection();
    setTableRows(window_.List, rows);
    window_.List->resizeColumnsToContents();
    const auto shown = static_cast<std::int64_t>(listed_.size());
    window_.Count->setText(total_ > shown ? text("history.countLimited").arg(total_).arg(shown)
                                          : text("history.count").arg(total_));
}

bool HistoryController::open(std::int64_t id)
{
    std::optional<MeasurementRecord> record = load(id);
    if (!record) return false;
    opened_ = std::move(record);
    showDetails();
    redraw();
    return true;
}

void HistoryController::showDetails()
{
    HistoryWindow& w = window_;
    if (!opened_) return;
    QStringList settings = history::settingsLines(*opened_, language());
    if (spectrumPruned()) settings << text("history.spectrumPruned");
    w.Settings->setPlainText(settings.join(u'\n'));
    setTableRows(w.Channels, history::channelRows(*opened_));
    w.Channels->resizeColumnsToContents();
    w.Figures->setPlainText(history::figureLines(*opened_, language()).join(u'\n'));
}

bool HistoryController::addSelectedToOverlay()
{
    bool allIn = true;
    for (std::int64_t id : selectedIds()) {
        if (overlay_.contains(id)) continue;
        if (overlay_.full()) {
            allIn = false;
            continue;
        }
        std::optional<MeasurementRecord> record = load(id);
        if (!record) continue;
        overlay_.add(id);
        overlaid_[id] = std::move(*record);
    }
    if (!allIn) showMessage(text("history.overlayFull"));
    redraw();
    return allIn;
}

void HistoryController::clearOverlay()
{
    overlay_.clear();
    overlaid_.clear();
    redraw();
}

std::optional<std::int64_t> HistoryController::openedId() const
{
    return opened_ ? std::optional<std::int64_t>(opened_->id) : std::nullopt;
}

history::Trace HistoryController::recordTrace(const MeasurementRecord& r, std::uint32_t colour) const
{
    return {history::recordLabel(r.id, r.deviceId, r.localTime(), language()), colour,
            history::tracePoints(r.wavelengthsNm, r.values, static_cast<std::int32_t>(r.values.size()) - 1)};
}

std::vector<history::Trace> HistoryController::plottedTraces() const
{
    std::vector<history::Trace> traces;
    if (opened_ && !overlay_.contains(opened_->id)) traces.push_back(recordTrace(*opened_, history::kOpenedColour));
    for (std::int64_t id : overlay_.ids()) traces.push_back(recordTrace(overlaid_.at(id), *overlay_.colourOf(id)));
    if (window_.CurrentTrace->isChecked() && current_) {
        CurrentTrace current = current_();
        if (!current.points.empty())
            traces.push_back({text("history.currentTrace"), history::kCurrentTraceColour, std::move(current.points)});
    }
    return traces;
}

void HistoryController::redraw()
{
    // The vertical axis reads as the first record's values do, else as the current trace's.
    const MeasurementRecord* first = opened_ ? &*opened_ : nullptr;
    if (!overlay_.ids().empty()) first = &overlaid_.at(overlay_.ids().front());
    bool align = false;
    bool scan = false;
    if (first) {
        align = first->settings.mode == RecordMode::Align;
        scan = first->settings.mode == RecordMode::Regular;
    } else if (current_) {
        const CurrentTrace current = current_();
        align = current.alignMode;
        scan = current.scanMode;
    }
    window_.Plot->draw(plottedTraces(), plot::yTitle(align, scan));
}

std::vector<std::int64_t> HistoryController::selectedIds() const
{
    std::vector<std::int64_t> ids;
    for (int row = 0; row < window_.List->rowCount(); ++row)
        if (window_.List->item(row, 0) && window_.List->item(row, 0)->isSelected())
            ids.push_back(listed_.at(static_cast<std::size_t>(row)).id);
    return ids;
}

std::optional<MeasurementRecord> HistoryController::load(std::int64_t id)
{
    std::optional<MeasurementRecord> record = store_.load(id);
    if (!record) showMessage(text("history.storeFailed").arg(store_.lastError().detail));
    return record;
}

std::vector<MeasurementRecord> HistoryController::loadSelected()
{
    std::vector<MeasurementRecord> records;
    for (std::int64_t id : selectedIds())
        if (std::optional<MeasurementRecord> r = load(id)) records.push_back(std::move(*r));
    return records;
}

void HistoryController::exportWorkbook()
{
    const std::vector<MeasurementRecord> records = loadSelected();
    if (records.empty()) return;
    std::vector<SheetContent> sheets;
    for (const MeasurementRecord& r : records) sheets.push_back(history::recordSheet(r));
    const QString stamp = saveTimeStamp(QDateTime::currentDateTime());
    QString target = dialogs().saveFileName(documentsFolder(), history::proposedHistoryWorkbookName(stamp),
                                            text("results.workbookFilter"));
    if (target.isEmpty()) return;
    target = withSuffix(target, QStringLiteral(".xlsx"));
    if (!saveWorkbook(*writer_, sheets, target)) showMessage(text("history.exportFailed").arg(target));
}

void HistoryController::exportCsv()
{
    const std::vector<MeasurementRecord> records = loadSelected();
    if (records.empty()) return;
    const QString stamp = saveTimeStamp(QDateTime::currentDateTime());
    QString target = dialogs().saveFileName(documentsFolder(), history::proposedHistoryCsvName(stamp),
                                            text("extras.csvFilter"));
    if (target.isEmpty()) return;
    target = withSuffix(target, QStringLiteral(".csv"));
    if (!saveBytes(history::recordsCsv(records), target)) showMessage(text("history.exportFailed").arg(target));
}

void HistoryController::retranslate()
{
    window_.retranslate(language());
    statistics_->retranslate();
    fillList();
    showSetAside();
    showDetails();
    redraw();
}

void HistoryController::showStatistics() { statistics_->show(history::recordFilter(filterInput())); }

void HistoryController::refreshBenches()
{
    QComboBox* bench = window_.Bench;
    const QString chosen = bench->currentIndex() > 0 ? bench->currentText() : QString();
    while (bench->count() > 1) bench->removeItem(1);
    bench->addItems(store_.benches());
    bench->setCurrentIndex(std::max(bench->findText(chosen), 0));
}

void HistoryController::showMessage(const QString& message) { window_.Message->setText(message); }
