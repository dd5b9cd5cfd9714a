#pragma once
// The Statistics view of the History window: the yield of the records the History filter
// selects, a table of every figure's capability, the Pareto of failing figures, and the histogram
// and run chart of the figure chosen in the table. Widgets only; the statistics controller gives
// them behaviour.

#include "records/history_plot.h"
#include "records/statistics_content.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

// A chart of the view: the History plot's frame in a lower picture, with bars, lines and marks as
// its layers.
class StatisticsChart : public HistoryPlot {
    Q_OBJECT
public:
    StatisticsChart(const QString& name, QWidget* parent = nullptr);

    // An empty picture without axes when there is no chart.
    void drawHistogram(const history::HistogramChart* chart, int language);
    void drawRunChart(const history::RunChart* chart, int language);

private:
    bool drawFrame(const history::ChartFrame* chart);
    void drawLines(const std::vector<double>& limits, std::optional<double> centre, const std::vector<double>& control,
                   bool vertical);
};

class StatisticsWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatisticsWindow(QWidget* parent = nullptr);

    // Captions in `language` (1 English, 2 Chinese).
    void retranslate(int language);

    QLabel* Yield;             // the yield line
    QPushButton* Refresh;
    QPushButton* ExportWorkbook;
    QPushButton* SaveHistogram;
    QPushButton* SaveRunChart;
    QPushButton* Close;
    QLabel* TableTitle;
    QTableWidget* Table;       // one row per port, channel and figure; choosing one draws its charts
    QLabel* ParetoTitle;
    QTableWidget* Pareto;
    QLabel* Chosen;            // which figure the charts show
    StatisticsChart* Histogram;
    StatisticsChart* RunChart;
    QLabel* Message;           // red, for what went wrong
};
