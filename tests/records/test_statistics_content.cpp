// What the Statistics view shows (table, yield, Pareto, charts, sheet), on small sets worked out by hand.
#include "records/history_content.h"
#include "records/statistics_content.h"

#include <gtest/gtest.h>

namespace {

using history::FigureRow;

const QDateTime kStart(QDate(2026, 11, 2), QTime(8, 0), Qt::UTC);

// Values one every ten minutes from kStart.
std::vector<FigureValue> series(std::initializer_list<double> values)
{
    std::vector<FigureValue> out;
    for (double v : values) out.push_back({kStart.addSecs(600 * static_cast<int>(out.size())), v});
    return out;
}

FigureStatistics figure(const char* key, const std::vector<FigureValue>& values, stats::SpecLimits limits)
{
    return {1, 2, QString::fromLatin1(key), stats::summarize(history::valuesOf(values)), limits};
}

// 10 12 11 13 14, limits 5..20:
//   shifted by 10: 0 2 1 3 4, Σ 10, Σ² 30; mean 12; overall σ = √((30 − 100/5)/4) = √2.5 = 1.58114;
//   moving ranges 2 1 2 1 = 6 over 4, within σ = 1.5/1.128 = 1.32979.
//   Cp = 15/(6·1.32979) = 1.880; Cpu = 8/3.98936 = 2.0053, Cpl = 7/3.98936 = 1.7547 = Cpk;
//   Pp = 15/(6·1.58114) = 1.581; Ppk = 7/4.74342 = 1.4757;
//   Cpk ± 1.96·√(1/45 + 1.7547²/8) = 1.7547 ± 1.2505: 0.50 – 3.01. Five values: provisional.
//   Upper limit 20 alone: Cpk = Cpu = 2.01, Ppk = Ppu = 8/4.74342 = 1.69.
const std::vector<FigureValue> kFive = series({10, 12, 11, 13, 14});

TEST(StatisticsContent, TableCellsWithBothLimitsAndWithOne)
{
    LineStatistics line;
    line.figures = {figure("ripple", kFive, {5.0, 20.0}), figure("isolation", kFive, {std::nullopt, 20.0}),
                    figure("bandwidth", kFive, {})};
    const std::vector<FigureRow> rows = history::figureRows(line);
    ASSERT_EQ(rows.size(), 3U);

    const QStringList both = history::statisticsCells(rows[0], 1);
    ASSERT_EQ(both.size(), history::kStatisticsColumns);
    ASSERT_EQ(history::statisticsHeader(2).size(), history::kStatisticsColumns);
    // Values to a tenth of the within σ (0.13): two decimals.
    EXPECT_EQ(both, (QStringList{"1", "2", "ripple", "5", "12.00", "1.58", "1.33", "10.00", "14.00", "1.88", "1.75",
                                 "1.58", "1.48", "0.50 – 3.01", "provisional (n < 30)"}));

    const QStringList upper = history::statisticsCells(rows[1], 2);
    // No Cp without both limits.
    EXPECT_EQ((QStringList{upper[9], upper[10], upper[12], upper[14]}),
              (QStringList{"", "Cpu 2.01", "Ppu 1.69", "仅有上限; 暂定（n < 30）"}));

    const QStringList none = history::statisticsCells(rows[2], 1);  // no limits: no indices at all
    EXPECT_EQ(none.mid(9), (QStringList{"", "", "", "", "", ""}));
    EXPECT_EQ(none[4], QStringLiteral("12.00"));
}

TEST(StatisticsContent, YieldLineParetoRowsAndTheFilterTheyComeFrom)
{
    history::FilterInput input;
    input.recipe = QStringLiteral(" CWDM4-DEMUX ");
    input.devicePattern = QStringLiteral(" SN24* ");
    const RecordFilter filter = history::recordFilter(input);
    EXPECT_EQ(std::tie(filter.recipe, filter.devicePattern), std::make_tuple(QStringLiteral("CWDM4-DEMUX"), QStringLiteral("SN24*")));

    EXPECT_EQ(history::yieldText(stats::yieldFromCounts(4, 2, 3), 1),
              QStringLiteral("Tested 4   Passed 3   First-pass yield 50.0 %   Final yield 75.0 %"));
    EXPECT_EQ(history::yieldText(stats::yieldFromCounts(0, 0, 0), 2),
              QStringLiteral("测试数 0   合格数 0   一次合格率 –   最终合格率 –"));

    // ripple CH1 adds up to 3, a tie with insertion_loss CH2 that goes by key; 3 of 6 is 50 %.
    const std::vector<stats::FailureCount> failures{{"ripple", 1, 2}, {"insertion_loss", 2, 3}, {"ripple", 1, 1}};
    const std::vector<QStringList> rows = history::paretoRows(failures);
    EXPECT_EQ(rows, (std::vector<QStringList>{{"insertion_loss", "2", "3", "50.0"}, {"ripple", "1", "3", "100.0"}}));
}

TEST(StatisticsContent, HistogramBarsLimitsAndRange)
{
    // Five bins 3 wide over the limits 5..20: [5,8), [8,11) 10, [11,14) 12 11 13, [14,17) 14, [17,20].
    const FigureRow row = history::figureRows({{}, {figure("ripple", kFive, {5.0, 20.0})}, {}}).front();
    const std::vector<double> values = history::valuesOf(kFive);
    const std::optional<history::HistogramChart> chart = history::histogramChart(row, values, 1);
    ASSERT_TRUE(chart);
    std::vector<std::array<double, 3>> bars;  // low, high, count
    for (const plot::Bar& b : chart->bars) bars.push_back({b.low, b.high, b.height});
    EXPECT_EQ(bars, (std::vector<std::array<double, 3>>{{5, 8, 0}, {8, 11, 1}, {11, 14, 3}, {14, 17, 1}, {17, 20, 0}}));
    EXPECT_EQ(chart->limitLines, (std::vector<double>{5.0, 20.0}));
    EXPECT_EQ(chart->meanLine, 12.0);
    // Half a bin beside the bins; counts up to the next ten above 1.1 × 3.
    EXPECT_DOUBLE_EQ(chart->frame.range.xMin, 3.5);
    EXPECT_DOUBLE_EQ(chart->frame.range.xMax, 21.5);
    EXPECT_EQ(std::make_tuple(chart->frame.range.yMin, chart->frame.range.yMax, chart->frame.offset), std::make_tuple(0.0, 10.0, 0.0));
    // 18 wide: x ticks 1.8 apart.
    EXPECT_EQ(std::tie(chart->frame.axes.x.title, chart->frame.axes.x.decimals, chart->frame.axes.y.title, chart->frame.axes.y.decimals),
              std::make_tuple(QStringLiteral(" ripple "), 1, QStringLiteral(" Count "), 0));

    EXPECT_FALSE(history::histogramChart(FigureRow{}, {}, 1));  // nothing on record
}

TEST(StatisticsContent, RunChartMarksTheRuleBreakersAndDrawsTheLines)
{
    // Mean 11.25, within σ 10/7/1.128 = 1.26646, 3σ = 3.79939: the 20 alone breaks a rule (the
    // seven below are within 1σ and too few to make a run).
    const std::vector<FigureValue> values = series({10, 10, 10, 10, 10, 10, 10, 20});
    const FigureRow row = history::figureRows({{}, {figure("ripple", values, {std::nullopt, 25.0})}, {}}).front();
    const std::optional<history::RunChart> chart = history::runChart(row, values, 1);
    ASSERT_TRUE(chart);
    ASSERT_EQ(chart->points.size(), 8U);
    EXPECT_EQ(chart->points[3], (std::array<float, 2>{30.0F, 10.0F}));  // minutes: 70 in all
    EXPECT_EQ(chart->marked, (std::vector<std::array<float, 2>>{{70.0F, 20.0F}}));
    EXPECT_EQ(chart->centreLine, std::optional(11.25));
    ASSERT_EQ(chart->controlLimits.size(), 2U);
    EXPECT_NEAR(chart->controlLimits[0], 11.25 - 3.79939, 1e-5);
    EXPECT_NEAR(chart->controlLimits[1], 11.25 + 3.79939, 1e-5);
    EXPECT_EQ(chart->limitLines, (std::vector<double>{25.0}));
    // From the lower control limit 7.45061 to the limit 25, a twentieth wider at each end.
    const double span = 25.0 - (11.25 - 3.79939);
    EXPECT_NEAR(chart->frame.range.yMin, 11.25 - 3.79939 - span / 20, 1e-5);
    EXPECT_NEAR(chart->frame.range.yMax, 25.0 + span / 20, 1e-4);
    EXPECT_EQ(chart->frame.range.xMax, 70.0);
    EXPECT_EQ(chart->frame.axes.x.title,
              QStringLiteral(" Time (min) since %1 ").arg(kStart.toLocalTime().toString("yyyy-MM-dd HH:mm")));

    // Two days and more read in days.
    const std::vector<FigureValue> slow{{kStart, 1.0}, {kStart.addDays(4), 2.0}};
    const FigureRow slowRow = history::figureRows({{}, {figure("ripple", slow, {})}, {}}).front();
    const std::optional<history::RunChart> days = history::runChart(slowRow, slow, 2);
    ASSERT_TRUE(days);
    EXPECT_EQ(days->points[1][0], 4.0F);
    EXPECT_TRUE(days->frame.axes.x.title.startsWith(QStringLiteral(" 时间（天）")));
}

TEST(StatisticsContent, CentreWavelengthsAreDrawnFromARoundOffset)
{
    // ±3σ is 1271.00234 .. 1271.00766: offsets from 1271.005, the nearest thousandth to the middle,
    // so that the picture's floats keep the picometres.
    const std::vector<FigureValue> values = series({1271.004, 1271.005, 1271.006});
    const FigureRow row = history::figureRows({{}, {figure("center_nm", values, {})}, {}}).front();
    const std::optional<history::RunChart> chart = history::runChart(row, values, 1);
    ASSERT_TRUE(chart);
    EXPECT_NEAR(chart->frame.offset, 1271.005, 1e-9);
    EXPECT_NEAR(chart->points[0][1], -0.001F, 1e-7F);
    EXPECT_NEAR(chart->points[2][1], 0.001F, 1e-7F);
    EXPECT_EQ(chart->frame.axes.y.title, QStringLiteral(" center_nm − 1271.005 "));
    EXPECT_EQ(chart->frame.axes.y.decimals, 5);  // 0.0059 wide: ticks 0.00059 apart

    // Values of ordinary size keep their own axis.
    const FigureRow small = history::figureRows({{}, {figure("ripple", kFive, {})}, {}}).front();
    EXPECT_EQ(history::runChart(small, kFive, 1)->frame.offset, 0.0);
}

TEST(StatisticsContent, SheetHoldsTheTableTheYieldAndThePareto)
{
    LineStatistics line;
    line.yield = stats::yieldFromCounts(4, 2, 3);
    line.figures = {figure("ripple", kFive, {5.0, 20.0})};
    line.failures = {{"ripple", 1, 2}, {"insertion_loss", 2, 3}};
    const SheetContent sheet = history::statisticsSheet(line, 1);
    ASSERT_EQ(sheet.columns, 18);
    EXPECT_EQ(sheet.header[9], QStringLiteral("Lower limit"));
    // The figure's row, its numbers as the table above works them out.
    EXPECT_EQ(sheet.text(0, 2), QStringLiteral("ripple"));
    const double expected[] = {1, 2, NAN, 5, 12, 1.58114, 1.32979, 10, 14, 5, 20, 1.88, 1.75467, 1.58114, 1.47573,
                               0.50413, 3.00520};
    for (int c = 0; c < 17; ++c) {
        if (c != 2) EXPECT_NEAR(sheet.value(0, c), expected[c], 1e-5) << c;
    }
    EXPECT_EQ(sheet.text(0, 17), QStringLiteral("provisional (n < 30)"));

    // Blank, the yield's heading and five rows, blank, the Pareto's heading, titles and a row a bar.
    ASSERT_EQ(sheet.rows(), 1 + 1 + 1 + 5 + 1 + 1 + 1 + 2);
    EXPECT_EQ((QStringList{sheet.text(2, 0), sheet.text(6, 0), sheet.text(10, 3), sheet.text(11, 0)}),
              (QStringList{"Yield", "First-pass yield", "Cumulative %", "insertion_loss"}));
    EXPECT_EQ((std::vector<double>{sheet.value(6, 1), sheet.value(7, 1), sheet.value(11, 2), sheet.value(12, 3)}),
              (std::vector<double>{0.5, 0.75, 3.0, 100.0}));
    EXPECT_TRUE(std::isnan(sheet.value(1, 0)));  // the blank row stays blank
}

}  // namespace
