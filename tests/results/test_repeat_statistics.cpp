// Repeatability statistics: the numbers against hand-computed values, the summary file beside a
// repeatability log, and the panel on the results window.

#include "results_support.h"
#include "rigs.h"
#include "results/form2.h"
#include "results/repeat_statistics_panel.h"
#include "results/repeat_statistics_tracker.h"

#include <gtest/gtest.h>

using namespace results_test;

namespace {

// Three passes whose figures are easy to work by hand: each quantity is mean +- one step.
const std::array<std::array<float, 3>, 3> kPasses = {{{1550.0F, 0.5F, -3.0F}, {1550.5F, 0.7F, -3.5F}, {1549.5F, 0.6F, -2.5F}}};

const QByteArray kLogHeader = "Index \tCenter WL (nm)\tBandwidth (nm)\tInsertion Loss (dB)\r\n";

}  // namespace

TEST(RepeatStatistics, SeriesFiguresUseTheSampleDeviationAndKeepPicometreDigits)
{
    // 2 4 4 4 5 5 7 9: sum 40, mean 5, squared deviations 9+1+1+1+0+0+4+16 = 32, n - 1 = 7.
    const SeriesStatistics s = describeSeries(std::vector<double>{2, 4, 4, 4, 5, 5, 7, 9});
    EXPECT_EQ(s.count, 8);
    EXPECT_DOUBLE_EQ(s.mean, 5.0);
    EXPECT_DOUBLE_EQ(s.standardDeviation, std::sqrt(32.0 / 7.0));
    EXPECT_EQ(std::pair(s.minimum, s.maximum), std::pair(2.0, 9.0));
    // Deviations of -0.1, 0, +0.1 pm around 1550 nm.
    EXPECT_NEAR(describeSeries(std::vector<double>{1550.0000999, 1550.0001, 1550.0001001}).standardDeviation, 1e-7, 1e-12);

    const SeriesStatistics none = describeSeries({});
    EXPECT_EQ(none.count, 0);
    EXPECT_TRUE(std::isnan(none.mean) && std::isnan(none.minimum));
    const SeriesStatistics single = describeSeries(std::vector<double>{-3.25});
    EXPECT_EQ(single.count, 1);
    EXPECT_EQ(std::tuple(single.mean, single.minimum, single.maximum), std::tuple(-3.25, -3.25, -3.25));
    EXPECT_TRUE(std::isnan(single.standardDeviation)) << "a sample deviation needs two values";
    EXPECT_EQ(statisticText(single.standardDeviation), QStringLiteral("-"));
}

TEST(RepeatStatistics, SummaryGoesBesideTheLogWhichKeepsOnlyItsDataLines)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("VXM_Test_20261206_031500.txt"));
    const QString summary = dir.filePath(QStringLiteral("VXM_Test_20261206_031500_summary.txt"));
    EXPECT_EQ(summaryFileName(log), summary);
    const QByteArray data = kLogHeader + "1\t1550.000\t0.500\t-3.0000\r\n2\t1550.500\t0.700\t-3.5000\r\n"
                                         "3\t1549.500\t0.600\t-2.5000\r\n";
    writeFile(log, data);
    ResultsRig rig;
    RepeatStatisticsTracker& tracker = rig.statistics;
    tracker.begin();
    EXPECT_FALSE(tracker.finish(log)) << "no pass logged: nothing to summarise";
    EXPECT_FALSE(QFile::exists(summary));
    tracker.addLoggedPass(0, {1.0F, 2.0F, 3.0F});  // the header pass: not a data line
    for (int pass = 1; pass <= 3; ++pass) tracker.addLoggedPass(pass, kPasses[static_cast<std::size_t>(pass - 1)]);
    EXPECT_EQ(tracker.statistics().count(), 3);
    ASSERT_TRUE(tracker.finish(log));
    EXPECT_EQ(readAll(log), data);
    EXPECT_EQ(readAll(summary), QByteArray("Repeatability statistics over 3 passes\r\n"
                                           "Quantity\tMean\tStd dev\tMin\tMax\r\n"
                                           "Center WL (nm)\t1550.0000\t0.5000\t1549.5000\t1550.5000\r\n"
                                           "Bandwidth (nm)\t0.6000\t0.1000\t0.5000\t0.7000\r\n"
                                           "Insertion Loss (dB)\t-3.0000\t0.5000\t-3.5000\t-2.5000\r\n"));
    EXPECT_FALSE(tracker.finish(log)) << "once per test";
}

TEST(RepeatStatistics, LoggedPassesReadTheFirstChannelRowAndThePanelFollowsThem)
{
    ResultsRig rig;
    RepeatStatisticsTracker& tracker = rig.statistics;
    tracker.begin();
    Module1.ChannelResults.clear();
    tracker.addLoggedPass(1);  // no analysis yet: no row to take
    EXPECT_EQ(tracker.statistics().count(), 0);
    Module1.ChannelResults = {{0.0F, 0.0F, 0.0F}, kPasses[0], {1560.0F, 9.0F, -9.0F}};
    for (int pass = 1; pass <= 3; ++pass) {
        Module1.ChannelResults[1] = kPasses[static_cast<std::size_t>(pass - 1)];
        tracker.addLoggedPass(pass);
    }
    RepeatStatistics expected;
    for (const auto& pass : kPasses) expected.add(pass);
    EXPECT_EQ(repeatSummaryLines(tracker.statistics()), repeatSummaryLines(expected));

    // The panel on the results window follows the passes.
    RepeatStatisticsPanel& panel = *rig.host.form2().RepeatStatsPanel;
    const auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c) cells << panel.RepeatStatsGrid->item(r, c)->text();
        return cells;
    };
    tracker.begin();
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 0"));
    EXPECT_EQ(row(1)[1], QStringLiteral("-"));
    tracker.addLoggedPass(1, kPasses[0]);
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 1"));
    EXPECT_EQ(row(1).mid(1, 2), (QStringList{"1550.0000", "-"})) << "no deviation from one pass";
    tracker.addLoggedPass(2, kPasses[1]);
    tracker.addLoggedPass(3, kPasses[2]);
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 3"));
    EXPECT_EQ(row(0).mid(1), (QStringList{"Mean", "Std dev", "Min", "Max"}));
    EXPECT_EQ(row(1), (QStringList{"Center WL (nm)", "1550.0000", "0.5000", "1549.5000", "1550.5000"}));
    EXPECT_EQ(row(3).mid(1), (QStringList{"-3.0000", "0.5000", "-3.5000", "-2.5000"}));
    tracker.begin();  // a new test starts from nothing
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 0"));
    EXPECT_EQ(row(3)[4], QStringLiteral("-"));
}
