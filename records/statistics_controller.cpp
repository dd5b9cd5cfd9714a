#include "records/statistics_controller.h"

#include "core/dialogs.h"
#include "core/texts.h"
#include "records/history_window.h"
#include "records/statistics_window.h"
#include "results/file_saving.h"

#include <QDateTime>

namespace {

using history::language;

using history::text;

}  // namespace

StatisticsController::StatisticsController(StatisticsWindow& window, RecordStore& store, WorkbookWriter& writer)
    : QObject(&window), window_(window), store_(store), writer_(writer)
{
    StatisticsWindow& w = window_;
    connect(w.Refresh, &QPushButton::clicked, this, &StatisticsController::refresh);
    connect(w.Table, &QTableWidget::currentCellChanged, this, [this](int row) { choose(row); });
    connect(w.ExportWorkbook, &QPushButton::clicked, this, &StatisticsController::exportWorkbook);
    connect(w.SaveHistogram, &QPushButton::clicked, this, &StatisticsController::saveHistogram);
    connect(w.SaveRunChart, &QPushButton::clicked, this, &StatisticsController::saveRunChart);
    connect(w.Close, &QPushButton::clicked, &w, &QWidget::close);
}

void StatisticsController::show(RecordFilter filter)
{
    filter.verdict.clear();
    filter.limit = 0;
    filter_ = std::move(filter);
    chosen_ = -1;
    refresh();
    window_.show();
    window_.raise();
}

void StatisticsController::refresh()
{
    showMessage({});
    line_ = store_.statistics(filter_);
    if (store_.lastError()) showMessage(text("history.storeFailed").arg(store_.lastError().detail));
    rows_ = history::figureRows(line_);
    fill();
}

void StatisticsController::fill()
{
    StatisticsWindow& w = window_;
    w.Yield->setText(history::yieldText(line_.yield, language()));
    std::vector<QStringList> cells;
    for (const history::FigureRow& r : rows_) cells.push_back(history::statisticsCells(r, language()));
    setTableRows(w.Pareto, history::paretoRows(line_.failures));
    w.Pareto->resizeColumnsToContents();
    const int row = chosen_ >= 0 && chosen_ < static_cast<int>(rows_.size()) ? chosen_ : 0;
    {
        const QSignalBlocker quiet(w.Table);  // the row is chosen once, below
        setTableRows(w.Table, cells);
        w.Table->resizeColumnsToContents();
        if (!rows_.empty()) w.Table->setCurrentCell(row, 0);
    }
    choose(rows_.empty() ? -1 : row);
}

bool StatisticsController::choose(int row)
{
    StatisticsWindow& w = window_;
    histogram_.reset();
    run_.reset();
    const bool exists = row >= 0 && row < static_cast<int>(rows_.size());
    chosen_ = exists ? row : -1;
    if (exists) {
        const history::FigureRow& r = rows_[static_cast<std::size_t>(row)];
        const std::vector<FigureValue> values = store_.figureValues(filter_, r.port, r.channel, r.figure);
        if (store_.lastError()) showMessage(text("history.storeFailed").arg(store_.lastError().detail));
        histogram_ = history::histogramChart(r, history::valuesOf(values), language());
        run_ = history::runChart(r, values, language());
        w.Chosen->setText(text("stats.chosen").arg(r.figure).arg(r.channel).arg(r.port));
    } else {
        w.Chosen->clear();
    }
    redraw();
    return exists;
}

void StatisticsController::redraw()
{
    window_.Histogram->drawHistogram(histogram_ ? &*histogram_ : nullptr, language());
    window_.RunChart->drawRunChart(run_ ? &*run_ : nullptr, language());
}

void StatisticsController::exportWorkbook()
{
    const QString stamp = saveTimeStamp(QDateTime::currentDateTime());
    QString target = dialogs().saveFileName(documentsFolder(), history::proposedStatisticsWorkbookName(stamp),
                                            text("results.workbookFilter"));
    if (target.isEmpty()) return;
    target = withSuffix(target, QStringLiteral(".xlsx"));
    if (!saveWorkbook(writer_, history::statisticsSheet(line_, language()), target))
        showMessage(text("history.exportFailed").arg(target));
}

void StatisticsController::savePicture(QWidget& chart, const QString& proposed)
{
    QString target = dialogs().saveFileName(documentsFolder(), proposed, text("stats.pngFilter"));
    if (target.isEmpty()) return;
    target = withSuffix(target, QStringLiteral(".png"));
    // The chart as the operator sees it: picture, tick labels, titles and legend.
    if (!saveImage(chart.grab().toImage(), target)) showMessage(text("history.exportFailed").arg(target));
}

void StatisticsController::saveHistogram()
{
    savePicture(*window_.Histogram, history::proposedHistogramName(saveTimeStamp(QDateTime::currentDateTime())));
}

void StatisticsController::saveRunChart()
{
    savePicture(*window_.RunChart, history::proposedRunChartName(saveTimeStamp(QDateTime::currentDateTime())));
}

void StatisticsController::retranslate()
{
    window_.retranslate(language());
    fill();
}

void StatisticsController::showMessage(const QString& message) { window_.Message->setText(message); }
