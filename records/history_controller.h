#pragma once
// The History window's behaviour: lists the records the filter boxes select, newest first, with
// their count; opens one into the details and the plot; keeps an overlay of up to four records,
// drawn with the current trace; exports the selected records to one workbook or one CSV file.

#include "records/history_content.h"
#include "records/record_store.h"
#include "records/set_aside.h"
#include "results/workbook_writer.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class HistoryWindow;
class StatisticsController;

// The last measured spectrum in the program and how its values read (the main window's options).
struct CurrentTrace {
    std::vector<std::array<float, 2>> points;
    bool alignMode = false;
    bool scanMode = false;
};
using CurrentTraceSource = std::function<CurrentTrace()>;

class HistoryController : public QObject {
    Q_OBJECT
public:
    // `store` is open (or its failure is shown in the window's message) and used from this thread.
    HistoryController(HistoryWindow& window, RecordStore& store, CurrentTraceSource current,
                      std::unique_ptr<WorkbookWriter> writer = std::make_unique<XlsxWorkbookWriter>());
    ~HistoryController() override;

    // Lists the records the filter boxes select and shows their count.
    void search();
    // Shows the record's settings, table and figures and plots it; false when it cannot be loaded.
    bool open(std::int64_t id);
    // Adds the selected records to the overlay until it holds four; false when any was left out.
    bool addSelectedToOverlay();
    void clearOverlay();
    void exportWorkbook();
    void exportCsv();
    // Captions, list and details in the current language.
    void retranslate();
    // The bench box's choices from the store.
    void refreshBenches();
    // Where the writer sets aside the records the store refused; counted at every search.
    void setSetAsideFolder(const QString& folder) { asideFolder_ = folder; }
    // Shows the Statistics view of the records the filter boxes select.
    void showStatistics();
    StatisticsController& statistics() { return *statistics_; }

    const history::Overlay& overlay() const { return overlay_; }
    std::optional<std::int64_t> openedId() const;
    const std::optional<MeasurementRecord>& opened() const { return opened_; }
    // What the plot shows: the opened record unless it is overlaid, the overlay, the current trace.
    std::vector<history::Trace> plottedTraces() const;
    // Ids of the list's selected rows, in list order.
    std::vector<std::int64_t> selectedIds() const;

private:
    history::FilterInput filterInput() const;
    void fillList();
    void showDetails();
    void redraw();
    void showMessage(const QString& text);
    void showSetAside();
    bool spectrumPruned() const;
    std::optional<MeasurementRecord> load(std::int64_t id);
    std::vector<MeasurementRecord> loadSelected();
    history::Trace recordTrace(const MeasurementRecord& record, std::uint32_t colour) const;

    HistoryWindow& window_;
    RecordStore& store_;
    CurrentTraceSource current_;
    std::unique_ptr<WorkbookWriter> writer_;
    StatisticsController* statistics_;  // a child of the Statistics view
    history::Overlay overlay_;
    std::optional<MeasurementRecord> opened_;
    std::map<std::int64_t, MeasurementRecord> overlaid_;
    std::vector<RecordSummary> listed_;
    std::int64_t total_ = 0;
    QString asideFolder_;
    std::vector<SetAsideEntry> aside_;  // newest first
};
