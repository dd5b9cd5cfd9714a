#pragma once
// The Statistics view's behaviour: asks the store for the statistics of the History filter's
// records, fills the yield line, the figure table and the Pareto, draws the histogram and run
// chart of the figure chosen in the table, and exports the statistics as a workbook sheet and the
// charts as pictures.

#include "records/record_store.h"
#include "records/statistics_content.h"
#include "results/workbook_writer.h"

#include <QObject>

#include <optional>
#include <vector>

class StatisticsWindow;

class StatisticsController : public QObject {
    Q_OBJECT
public:
    // `store` and `writer` outlive the controller; the store is used from this thread.
    StatisticsController(StatisticsWindow& window, RecordStore& store, WorkbookWriter& writer);

    // Shows the window with the statistics of the records `filter` selects, whatever their
    // verdict (a yield over the passed records alone would say nothing).
    void show(RecordFilter filter);
    // Asks the store again for the same filter, keeping the chosen figure where it still is.
    void refresh();
    // Draws the charts of the table's row `row`; false when there is no such row.
    bool choose(int row);
    void exportWorkbook();
    void saveHistogram();
    void saveRunChart();
    void retranslate();

    const LineStatistics& line() const { return line_; }
    const std::vector<history::FigureRow>& rows() const { return rows_; }
    const std::optional<history::HistogramChart>& histogram() const { return histogram_; }
    const std::optional<history::RunChart>& runChart() const { return run_; }
    // Draws both charts again from what they hold.
    void redraw();

private:
    void fill();
    void savePicture(QWidget& chart, const QString& proposed);
    void showMessage(const QString& text);

    StatisticsWindow& window_;
    RecordStore& store_;
    WorkbookWriter& writer_;
    RecordFilter filter_;
    LineStatistics line_;
    std::vector<history::FigureRow> rows_;
    int chosen_ = -1;
    std::optional<history::HistogramChart> histogram_;
    std::optional<history::RunChart> run_;
};
