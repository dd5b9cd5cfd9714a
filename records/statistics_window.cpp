#include "records/statistics_window.h"

#include "records/history_window.h"

#include "core/control_placement.h"
#include "core/texts.h"
#include "core/units.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// The charts' picture: the results window's width, a third lower, so that both charts and the
// table fit one screen.
constexpr plot::PictureGeometry kChartPicture{1680.0F, 240.0F, 12615.0F, 3900, 240.0 + 3900};

}  // namespace

StatisticsChart::StatisticsChart(const QString& name, QWidget* parent)
    : HistoryPlot(kChartPicture, name, name + QStringLiteral("Picture"), parent)
{
    setAccessibleDescription(name);
    setFocusPolicy(Qt::StrongFocus);  // so that a screen reader's user can reach it by Tab
}

bool StatisticsChart::drawFrame(const history::ChartFrame* chart)
{
    if (!chart) {
        frame().showLegend({});
        frame().clear();
        frame().hideAxes();
        return false;
    }
    frame().setRange(chart->range);
    frame().setAxesText(chart->axes);
    frame().drawGrid();
    frame().drawAxes(plot::extentOf(chart->range));
    return true;
}

void StatisticsChart::drawLines(const std::vector<double>& limits, std::optional<double> centre,
                                const std::vector<double>& control, bool vertical)
{
    const auto line = [this, vertical](double at, std::uint32_t colour, Qt::PenStyle style, int width) {
        if (vertical) frame().drawPosition(at, colour, style, width);
        else frame().drawLevel(at, colour, style, width);
    };
    for (double c : control) line(c, history::kControlColour, Qt::DashLine, 1);
    if (centre) line(*centre, history::kMeanColour, Qt::DashLine, 1);
    for (double l : limits) line(l, history::kLimitColour, Qt::SolidLine, 2);
}

void StatisticsChart::drawHistogram(const history::HistogramChart* chart, int language)
{
    if (!drawFrame(chart ? &chart->frame : nullptr)) return;
    frame().drawBars(chart->bars, history::kBarColour);
    drawLines(chart->limitLines, chart->meanLine, {}, true);
    std::vector<LegendEntry> legend{{textIn("stats.mean", language), history::kMeanColour}};
    if (!chart->limitLines.empty()) legend.push_back({textIn("stats.limits", language), history::kLimitColour});
    frame().showLegend(legend);
}

void StatisticsChart::drawRunChart(const history::RunChart* chart, int language)
{
    if (!drawFrame(chart ? &chart->frame : nullptr)) return;
    drawLines(chart->limitLines, chart->centreLine, chart->controlLimits, false);
    frame().drawTrace(chart->points, history::kRunColour);
    frame().drawMarks(chart->marked, history::kMarkColour);
    std::vector<LegendEntry> legend{{textIn("stats.mean", language), history::kMeanColour},
                                    {textIn("stats.controlLimits", language), history::kControlColour}};
    if (!chart->limitLines.empty()) legend.push_back({textIn("stats.limits", language), history::kLimitColour});
    if (!chart->marked.empty()) legend.push_back({textIn("stats.ruleBroken", language), history::kMarkColour});
    frame().showLegend(legend);
}

StatisticsWindow::StatisticsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("StatisticsWindow"));
    setAccessibleDescription(objectName());
    setFont(arialFont(10));
    setBackColor(this, VbColor::White);

    Yield = named(new QLabel, "Yield");
    QFont bold = Yield->font();
    bold.setBold(true);
    Yield->setFont(bold);
    Refresh = named(new QPushButton, "Refresh");
    ExportWorkbook = named(new QPushButton, "ExportWorkbook");
    SaveHistogram = named(new QPushButton, "SaveHistogram");
    SaveRunChart = named(new QPushButton, "SaveRunChart");
    Close = named(new QPushButton, "Close");
    TableTitle = named(new QLabel, "TableTitle");
    Table = historyTable("Table", history::kStatisticsColumns);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    ParetoTitle = named(new QLabel, "ParetoTitle");
    Pareto = historyTable("Pareto", 4);
    Pareto->setSelectionMode(QAbstractItemView::NoSelection);
    Chosen = named(new QLabel, "Chosen");
    Histogram = new StatisticsChart(QStringLiteral("Histogram"));
    RunChart = new StatisticsChart(QStringLiteral("RunChart"));
    Message = named(new QLabel, "Message");
    setForeColor(Message, VbColor::Red);
    Message->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(Yield, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{Refresh, ExportWorkbook, SaveHistogram, SaveRunChart, Close})
        top->addWidget(w);

    auto* tables = new QHBoxLayout;
    auto* figures = new QVBoxLayout;
    figures->addWidget(TableTitle);
    figures->addWidget(Table, 1);
    auto* pareto = new QVBoxLayout;
    pareto->addWidget(ParetoTitle);
    pareto->addWidget(Pareto, 1);
    tables->addLayout(figures, 3);
    tables->addLayout(pareto, 1);

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(Message);
    all->addLayout(tables, 1);
    all->addWidget(Chosen);
    all->addWidget(Histogram, 0, Qt::AlignHCenter);
    all->addWidget(RunChart, 0, Qt::AlignHCenter);
    resize(Histogram->width() + 320, 2 * Histogram->height() + 300);
    retranslate(1);
}

void StatisticsWindow::retranslate(int language)
{
    const auto t = [language](const char* key) { return textIn(key, language); };
    setWindowTitle(t("stats.title"));
    setAccessibleName(t("stats.title"));
    Refresh->setText(t("stats.refresh"));
    ExportWorkbook->setText(t("stats.exportWorkbook"));
    SaveHistogram->setText(t("stats.saveHistogram"));
    SaveRunChart->setText(t("stats.saveRunChart"));
    Close->setText(t("history.close"));
    TableTitle->setText(t("stats.table"));
    ParetoTitle->setText(t("stats.pareto"));
    Table->setHorizontalHeaderLabels(history::statisticsHeader(language));
    Pareto->setHorizontalHeaderLabels(history::paretoHeader(language));
    // The tables take their titles' text as accessible name; the yield line and the chosen figure
    // read their own text, and are named for when they are still empty.
    Table->setAccessibleName(TableTitle->text());
    Pareto->setAccessibleName(ParetoTitle->text());
    Yield->setAccessibleName(t("stats.yieldLine"));
    Chosen->setAccessibleName(t("stats.chosenFigure"));
    Histogram->setAccessibleName(t("stats.histogram"));
    Histogram->Picture->setAccessibleName(t("stats.histogram"));
    RunChart->setAccessibleName(t("stats.runChart"));
    RunChart->Picture->setAccessibleName(t("stats.runChart"));
}
