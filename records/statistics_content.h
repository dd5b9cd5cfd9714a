#pragma once
// What the Statistics view shows and exports for the records a filter selects, as plain data: the
// yield line, one table row per port, channel and figure with its capability, the Pareto of
// failing figures, the histogram and run chart of the chosen figure, and the workbook sheet.
// The numbers come from the pure cores of capability.h, control_chart.h and line_yield.h over the
// store's aggregates; nothing here computes a statistic of its own.

#include "plot/plot_math.h"
#include "records/control_chart.h"
#include "records/record_statistics.h"
#include "results/workbook_content.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace history {

// The charts' colours (&HBBGGRR): blue bars, red limits, the mean green, the ±3σ lines blue and
// dashed, the run grey with magenta squares round the points that break a rule.
inline constexpr std::uint32_t kBarColour = 0xE0A060;
inline constexpr std::uint32_t kLimitColour = 0x0000FF;
inline constexpr std::uint32_t kMeanColour = 0x008000;
inline constexpr std::uint32_t kControlColour = 0xC00000;
inline constexpr std::uint32_t kRunColour = 0x404040;
inline constexpr std::uint32_t kMarkColour = 0xFF00FF;

// One figure of one port and channel: its aggregates' summary and capability.
struct FigureRow {
    std::int32_t port = 0;
    std::int32_t channel = 0;
    QString figure;
    stats::SpecLimits limits;
    stats::Summary summary;
    std::optional<stats::Capability> capability;  // none without a limit
};
std::vector<FigureRow> figureRows(const LineStatistics& line);

// "Tested n   Passed n   First-pass yield x %   Final yield x %".
QString yieldText(const stats::Yield& yield, int language);

// The table's columns: port, channel, figure, n, mean, σ, within σ, min, max, Cp, Cpk, Pp, Ppk,
// Cpk 95 %, note. With one limit the Cpk and Ppk cells name the index they are (Cpu 1.52).
inline constexpr int kStatisticsColumns = 15;
QStringList statisticsHeader(int language);
QStringList statisticsCells(const FigureRow& row, int language);

// The Pareto's rows: figure, channel, count, cumulative %.
QStringList paretoHeader(int language);
std::vector<QStringList> paretoRows(std::span<const stats::FailureCount> failures);

// A chart's axes and range. Figures of a large value varying little (a centre wavelength) are
// drawn as their difference from `offset`, which the axis title names, so that the picture's
// single-precision arithmetic keeps their spread.
struct ChartFrame {
    plot::Range range;
    plot::AxesText axes;
    double offset = 0.0;
};

// The histogram of the figure's values: bars over the bins of stats::histogramLayout, the limit
// lines and the mean, all in the chart's coordinates (value − offset, count).
struct HistogramChart {
    ChartFrame frame;
    std::vector<plot::Bar> bars;  // height: the bin's count
    std::vector<double> limitLines;  // lower, then upper, those that exist
    std::optional<double> meanLine;
};
std::optional<HistogramChart> histogramChart(const FigureRow& row, std::span<const double> values, int language);

// The run chart: the values against time since the first (minutes, hours or days, whichever
// keeps the span readable), the limits, the centre and ±3σ lines of the individuals chart, and the
// points that break a Western Electric rule.
struct RunChart {
    ChartFrame frame;
    std::vector<std::array<float, 2>> points;  // time, value − offset
    std::vector<std::array<float, 2>> marked;  // the points with a rule mark
    std::vector<double> limitLines;
    std::optional<double> centreLine;
    std::vector<double> controlLimits;  // centre − 3σ, centre + 3σ
};
std::optional<RunChart> runChart(const FigureRow& row, std::span<const FigureValue> values, int language);

// The values alone, for the histogram and the rules.
std::vector<double> valuesOf(std::span<const FigureValue> values);

// The statistics as one sheet: the table's columns as numbers (a missing one blank), then the
// yield and the Pareto below, each under a heading row.
SheetContent statisticsSheet(const LineStatistics& line, int language);

// Proposed file names: "VXM_Statistics_" + stamp + ".xlsx", "VXM_Histogram_..." and
// "VXM_RunChart_..." + ".png".
QString proposedStatisticsWorkbookName(const QString& timeStamp);
QString proposedHistogramName(const QString& timeStamp);
QString proposedRunChartName(const QString& timeStamp);

}  // namespace history
