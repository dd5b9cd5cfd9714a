#include "records/statistics_content.h"

#include "core/texts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace history {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Decimals that show `step` with about two significant digits, 0..6.
int decimalsFor(double step)
{
    if (!(step > 0.0) || !std::isfinite(step)) return 3;
    return std::clamp(1 - static_cast<int>(std::floor(std::log10(step))), 0, 6);
}

QString fixed(std::optional<double> v, int decimals)
{
    return v ? QString::number(*v, 'f', decimals) : QString();
}

QString percent(std::optional<double> fraction)
{
    return fraction ? QString::number(*fraction * 100.0, 'f', 1) + QStringLiteral(" %") : QStringLiteral("–");
}

// A capability index, named when a single limit makes it one of the sides (Cpu 1.52).
QString sidedIndex(std::optional<double> index, std::optional<double> two, std::optional<double> upper,
                   const char* upperName, const char* lowerName)
{
    if (!index) return {};
    const QString value = QString::number(*index, 'f', 2);
    if (two) return value;
    return QString::fromLatin1(upper ? upperName : lowerName) + u' ' + value;
}

QString note(const FigureRow& row, int language)
{
    QStringList parts;
    if (row.limits.upper && !row.limits.lower) parts << textIn("stats.upperOnly", language);
    if (row.limits.lower && !row.limits.upper) parts << textIn("stats.lowerOnly", language);
    if (row.capability && row.capability->provisional) parts << textIn("stats.provisional", language);
    return parts.join(QStringLiteral("; "));
}

// Where a chart's axis reads from: the difference from a round value near the middle when the
// values are large against their spread (three decimal digits lost to the magnitude or more).
double offsetFor(double low, double high)
{
    const double span = high - low;
    const double magnitude = std::max(std::abs(low), std::abs(high));
    if (!(span > 0.0) || magnitude < 1000.0 * span) return 0.0;
    const double unit = std::pow(10.0, std::floor(std::log10(span)));
    return std::round((low + high) / 2.0 / unit) * unit;
}

QString offsetTitle(const QString& figure, double offset)
{
    if (offset == 0.0) return figure;
    return figure + QStringLiteral(" − ") + QString::number(offset, 'g', 12);
}

plot::AxisText axis(const QString& title, double span, std::optional<int> decimals = std::nullopt)
{
    return {u' ' + title + u' ', decimals.value_or(decimalsFor(span / 10.0))};
}

// The low and high of a chart's range around [low, high], a twentieth of the span wider at each
// end; a set without spread gets half a unit of its own magnitude either side.
std::pair<double, double> padded(double low, double high)
{
    const double span = high - low;
    if (span > 0.0) return {low - span / 20.0, high + span / 20.0};
    const double half = std::max(std::abs(low) * 1e-3, 0.5);
    return {low - half, high + half};
}

void appendLimits(std::vector<double>& lines, const stats::SpecLimits& limits, double offset)
{
    if (limits.lower) lines.push_back(*limits.lower - offset);
    if (limits.upper) lines.push_back(*limits.upper - offset);
}

// The run chart's time unit: minutes below two hours, hours below three days, then days.
std::pair<double, const char*> timeUnit(std::int64_t spanMs)
{
    if (spanMs < 2 * 3'600'000LL) return {60'000.0, "stats.timeMinutes"};
    if (spanMs < 72 * 3'600'000LL) return {3'600'000.0, "stats.timeHours"};
    return {86'400'000.0, "stats.timeDays"};
}

double orNaN(std::optional<double> v) { return v.value_or(kNaN); }

}  // namespace

std::vector<FigureRow> figureRows(const LineStatistics& line)
{
    std::vector<FigureRow> rows;
    rows.reserve(line.figures.size());
    for (const FigureStatistics& f : line.figures) {
        FigureRow row{f.port, f.channel, f.figure, f.limits, stats::describe(f.aggregates), std::nullopt};
        row.capability = stats::capability(row.summary, row.limits);
        rows.push_back(std::move(row));
    }
    return rows;
}

QString yieldText(const stats::Yield& y, int language)
{
    const QString gap = QStringLiteral("   ");
    return textIn("stats.tested", language) + u' ' + QString::number(y.tested) + gap + textIn("stats.passed", language) +
           u' ' + QString::number(y.passed) + gap + textIn("stats.firstPassYield", language) + u' ' +
           percent(y.firstPassYield) + gap + textIn("stats.finalYield", language) + u' ' + percent(y.finalYield);
}

QStringList statisticsHeader(int language)
{
    return {textIn("stats.port", language),      textIn("history.channel", language),
            textIn("stats.figure", language),    QStringLiteral("n"),
            textIn("stats.mean", language),      textIn("stats.sigma", language),
            textIn("stats.withinSigma", language), textIn("stats.min", language),
            textIn("stats.max", language),       QStringLiteral("Cp"),
            QStringLiteral("Cpk"),               QStringLiteral("Pp"),
            QStringLiteral("Ppk"),               textIn("stats.cpkInterval", language),
            textIn("stats.note", language)};
}

QStringList statisticsCells(const FigureRow& row, int language)
{
    const stats::Summary& s = row.summary;
    // Values to a tenth of the within σ (else the overall σ), so that a change of the process shows.
    const int decimals = decimalsFor(s.withinSigma.value_or(s.overallSigma.value_or(0.0)) / 10.0);
    const auto sigma = [](std::optional<double> v) { return v ? QString::number(*v, 'g', 3) : QString(); };
    const stats::Capability c = row.capability.value_or(stats::Capability{});
    QString interval;
    if (c.cpkInterval)
        interval = QString::number(c.cpkInterval->low, 'f', 2) + QStringLiteral(" – ") +
                   QString::number(c.cpkInterval->high, 'f', 2);
    return {QString::number(row.port),
            QString::number(row.channel),
            row.figure,
            QString::number(s.count),
            fixed(s.mean, decimals),
            sigma(s.overallSigma),
            sigma(s.withinSigma),
            fixed(s.minimum, decimals),
            fixed(s.maximum, decimals),
            c.cp ? QString::number(*c.cp, 'f', 2) : QString(),
            sidedIndex(c.cpk, c.cp, c.cpu, "Cpu", "Cpl"),
            c.pp ? QString::number(*c.pp, 'f', 2) : QString(),
            sidedIndex(c.ppk, c.pp, c.ppu, "Ppu", "Ppl"),
            interval,
            note(row, language)};
}

QStringList paretoHeader(int language)
{
    return {textIn("stats.figure", language), textIn("history.channel", language), textIn("stats.failures", language),
            textIn("stats.cumulative", language)};
}

std::vector<QStringList> paretoRows(std::span<const stats::FailureCount> failures)
{
    std::vector<QStringList> rows;
    for (const stats::ParetoBar& b : stats::pareto(failures))
        rows.push_back({b.figure, QString::number(b.channel), QString::number(b.count),
                        QString::number(b.cumulativePercent, 'f', 1)});
    return rows;
}

std::vector<double> valuesOf(std::span<const FigureValue> values)
{
    std::vector<double> out(values.size());
    std::transform(values.begin(), values.end(), out.begin(), [](const FigureValue& v) { return v.value; });
    return out;
}

std::optional<HistogramChart> histogramChart(const FigureRow& row, std::span<const double> values, int language)
{
    const std::optional<stats::HistogramLayout> layout = stats::histogramLayout(row.summary, row.limits);
    if (!layout || values.empty()) return std::nullopt;
    const std::vector<std::int64_t> counts = stats::histogramCounts(*layout, values);

    HistogramChart chart;
    const double offset = offsetFor(layout->low, layout->high);
    chart.frame.offset = offset;
    for (int i = 0; i < layout->bins; ++i)
        chart.bars.push_back({layout->edge(i) - offset, layout->edge(i + 1) - offset,
                              static_cast<double>(counts[static_cast<std::size_t>(i)])});
    appendLimits(chart.limitLines, row.limits, offset);
    if (row.summary.mean) chart.meanLine = *row.summary.mean - offset;

    // Half a bin beside the outer bins, so that a limit on the layout's edge is not hidden by the
    // frame; the count axis up to a multiple of ten above the highest bar, read in whole counts.
    const double half = layout->binWidth() / 2.0;
    const std::int64_t highest = *std::max_element(counts.begin(), counts.end());
    const double top = 10.0 * std::ceil(static_cast<double>(highest) * 1.1 / 10.0);
    chart.frame.range = {layout->low - offset - half, layout->high - offset + half, 0.0, static_cast<float>(top)};
    const double span = layout->high - layout->low + 2.0 * half;
    chart.frame.axes = {axis(offsetTitle(row.figure, offset), span),
                        axis(textIn("stats.count", language), top, top >= 10.0 ? 0 : 1)};
    return chart;
}

std::optional<RunChart> runChart(const FigureRow& row, std::span<const FigureValue> values, int language)
{
    if (values.empty() || !row.summary.minimum || !row.summary.maximum) return std::nullopt;
    RunChart chart;
    double low = *row.summary.minimum;
    double high = *row.summary.maximum;
    const std::optional<stats::ControlLines> lines = stats::controlLines(row.summary);
    if (lines) {
        low = std::min(low, lines->lowerLimit());
        high = std::max(high, lines->upperLimit());
    }
    for (std::optional<double> limit : {row.limits.lower, row.limits.upper})
        if (limit) {
            low = std::min(low, *limit);
            high = std::max(high, *limit);
        }
    const double offset = offsetFor(low, high);
    chart.frame.offset = offset;

    const QDateTime origin = values.front().utc;
    const std::int64_t spanMs = origin.msecsTo(values.back().utc);
    const auto [unitMs, unitKey] = timeUnit(spanMs);
    chart.points.reserve(values.size());
    for (const FigureValue& v : values)
        chart.points.push_back({static_cast<float>(static_cast<double>(origin.msecsTo(v.utc)) / unitMs),
                                static_cast<float>(v.value - offset)});
    if (lines) {
        const std::vector<double> plain = valuesOf(values);
        const std::vector<stats::RuleMarks> marks = stats::ruleMarks(plain, *lines);
        for (std::size_t i = 0; i < marks.size(); ++i)
            if (marks[i] != 0) chart.marked.push_back(chart.points[i]);
        chart.centreLine = lines->centre - offset;
        chart.controlLimits = {lines->lowerLimit() - offset, lines->upperLimit() - offset};
    }
    appendLimits(chart.limitLines, row.limits, offset);

    const double xMax = std::max(static_cast<double>(spanMs) / unitMs, 1.0);
    const auto [yLow, yHigh] = padded(low - offset, high - offset);
    chart.frame.range = {0.0, xMax, yLow, static_cast<float>(yHigh)};
    const QString since = origin.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    chart.frame.axes = {axis(textIn(unitKey, language).arg(since), xMax),
                        axis(offsetTitle(row.figure, offset), yHigh - yLow)};
    return chart;
}

SheetContent statisticsSheet(const LineStatistics& line, int language)
{
    SheetContent sheet;
    sheet.sheetName = textIn("stats.sheet", language);
    sheet.header = {textIn("stats.port", language),        textIn("history.channel", language),
                    textIn("stats.figure", language),      QStringLiteral("n"),
                    textIn("stats.mean", language),        textIn("stats.sigma", language),
                    textIn("stats.withinSigma", language), textIn("stats.min", language),
                    textIn("stats.max", language),         textIn("stats.lowerLimit", language),
                    textIn("stats.upperLimit", language),  QStringLiteral("Cp"),
                    QStringLiteral("Cpk"),                 QStringLiteral("Pp"),
                    QStringLiteral("Ppk"),                 textIn("stats.cpkLow", language),
                    textIn("stats.cpkHigh", language),     textIn("stats.note", language)};
    sheet.columns = static_cast<int>(sheet.header.size());
    const auto addRow = [&sheet](std::vector<double> numbers, std::vector<QString> texts) {
        numbers.resize(static_cast<std::size_t>(sheet.columns), kNaN);
        texts.resize(static_cast<std::size_t>(sheet.columns));
        sheet.values.insert(sheet.values.end(), numbers.begin(), numbers.end());
        sheet.texts.insert(sheet.texts.end(), texts.begin(), texts.end());
    };

    for (const FigureRow& r : figureRows(line)) {
        const stats::Summary& s = r.summary;
        const stats::Capability c = r.capability.value_or(stats::Capability{});
        std::vector<double> numbers{double(r.port),         double(r.channel),       kNaN,
                                    double(s.count),        orNaN(s.mean),           orNaN(s.overallSigma),
                                    orNaN(s.withinSigma),   orNaN(s.minimum),        orNaN(s.maximum),
                                    orNaN(r.limits.lower),  orNaN(r.limits.upper),   orNaN(c.cp),
                                    orNaN(c.cpk),           orNaN(c.pp),             orNaN(c.ppk),
                                    c.cpkInterval ? c.cpkInterval->low : kNaN,
                                    c.cpkInterval ? c.cpkInterval->high : kNaN,       kNaN};
        std::vector<QString> texts(static_cast<std::size_t>(sheet.columns));
        texts[2] = r.figure;
        texts.back() = note(r, language);
        addRow(std::move(numbers), std::move(texts));
    }

    const stats::Yield& y = line.yield;
    addRow({}, {});
    addRow({}, {textIn("stats.yield", language)});
    const std::pair<const char*, double> yields[] = {
        {"stats.tested", double(y.tested)},
        {"stats.passedFirst", double(y.passedFirst)},
        {"stats.passed", double(y.passed)},
        {"stats.firstPassYield", orNaN(y.firstPassYield)},
        {"stats.finalYield", orNaN(y.finalYield)},
    };
    for (const auto& [key, value] : yields) addRow({kNaN, value}, {textIn(key, language)});

    addRow({}, {});
    addRow({}, {textIn("stats.pareto", language)});
    const QStringList paretoTitles = paretoHeader(language);
    addRow({}, {paretoTitles.begin(), paretoTitles.end()});
    for (const stats::ParetoBar& b : stats::pareto(line.failures))
        addRow({kNaN, double(b.channel), double(b.count), b.cumulativePercent}, {b.figure});

    sheet.fontColumns = sheet.columns;
    sheet.fontRows = sheet.rows() + 1;
    sheet.columnWidths = {18.0, 9.0, 20.0, 8.0};
    sheet.columnWidths.resize(static_cast<std::size_t>(sheet.columns), 12.0);
    return sheet;
}

QString proposedStatisticsWorkbookName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Statistics_") + timeStamp + QStringLiteral(".xlsx");
}

QString proposedHistogramName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Histogram_") + timeStamp + QStringLiteral(".png");
}

QString proposedRunChartName(const QString& timeStamp)
{
    return QStringLiteral("VXM_RunChart_") + timeStamp + QStringLiteral(".png");
}

}  // namespace history
