// Repeatability statistics: the numbers against hand-computed values, the summary appended to a
// repeatability log, and the panel on the results window.

#include "app/module1.h"
#include "bench_fixture.h"
#include "extras_support.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/repeat_statistics.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Three passes whose figures are easy to work by hand: each quantity is mean +- one step.
RepeatStatistics threePasses()
{
    RepeatStatistics s;
    s.add({1550.0F, 0.5F, -3.0F});
    s.add({1550.5F, 0.7F, -3.5F});
    s.add({1549.5F, 0.6F, -2.5F});
    return s;
}

}  // namespace

TEST(RepeatStatistics, KnownSeries)
{
    // 2 4 4 4 5 5 7 9: sum 40, mean 5, squared deviations 9+1+1+1+0+0+4+16 = 32, n - 1 = 7.
    const std::vector<double> values{2, 4, 4, 4, 5, 5, 7, 9};
    const SeriesStatistics s = describeSeries(values);
    EXPECT_EQ(s.count, 8);
    EXPECT_DOUBLE_EQ(s.mean, 5.0);
    EXPECT_DOUBLE_EQ(s.standardDeviation, std::sqrt(32.0 / 7.0));
    EXPECT_DOUBLE_EQ(s.minimum, 2.0);
    EXPECT_DOUBLE_EQ(s.maximum, 9.0);

    // Picometre scatter around 1550 nm keeps its digits: deviations -0.1, 0, +0.1 pm.
    const std::vector<double> fine{1550.0000999, 1550.0001, 1550.0001001};
    EXPECT_NEAR(describeSeries(fine).standardDeviation, 1e-7, 1e-12);
}

TEST(RepeatStatistics, ShortSeriesHaveNoDeviation)
{
    const SeriesStatistics none = describeSeries({});
    EXPECT_EQ(none.count, 0);
    EXPECT_TRUE(std::isnan(none.mean));
    EXPECT_TRUE(std::isnan(none.minimum));

    const std::vector<double> one{-3.25};
    const SeriesStatistics single = describeSeries(one);
    EXPECT_EQ(single.count, 1);
    EXPECT_DOUBLE_EQ(single.mean, -3.25);
    EXPECT_DOUBLE_EQ(single.minimum, -3.25);
    EXPECT_DOUBLE_EQ(single.maximum, -3.25);
    EXPECT_TRUE(std::isnan(single.standardDeviation)) << "a sample deviation needs two values";
    EXPECT_EQ(statisticText(single.standardDeviation), QStringLiteral("-"));
}

TEST(RepeatStatistics, ThreeQuantitiesOfTheFirstChannel)
{
    const RepeatStatistics s = threePasses();
    EXPECT_EQ(s.count(), 3);
    const SeriesStatistics wl = s.of(RepeatStatistics::CenterWavelength);
    EXPECT_DOUBLE_EQ(wl.mean, 1550.0);
    EXPECT_DOUBLE_EQ(wl.standardDeviation, 0.5);  // (0.25 + 0.25) / 2, root
    EXPECT_DOUBLE_EQ(wl.minimum, 1549.5);
    EXPECT_DOUBLE_EQ(wl.maximum, 1550.5);
    const SeriesStatistics bw = s.of(RepeatStatistics::Bandwidth);
    EXPECT_NEAR(bw.mean, 0.6, 1e-7);
    EXPECT_NEAR(bw.standardDeviation, 0.1, 1e-7);
    EXPECT_FLOAT_EQ(static_cast<float>(bw.minimum), 0.5F);
    EXPECT_FLOAT_EQ(static_cast<float>(bw.maximum), 0.7F);
    const SeriesStatistics peak = s.of(RepeatStatistics::PeakValue);
    EXPECT_DOUBLE_EQ(peak.mean, -3.0);
    EXPECT_DOUBLE_EQ(peak.standardDeviation, 0.5);
    EXPECT_DOUBLE_EQ(peak.minimum, -3.5);
    EXPECT_DOUBLE_EQ(peak.maximum, -2.5);

    RepeatStatistics cleared = s;
    cleared.clear();
    EXPECT_EQ(cleared.count(), 0);
}

TEST(RepeatStatistics, SummaryLines)
{
    const QStringList lines = repeatSummaryLines(threePasses());
    const QStringList expected{
        QStringLiteral("# Repeatability statistics over 3 passes"),
        QStringLiteral("# Quantity\tMean\tStd dev\tMin\tMax"),
        QStringLiteral("# Center WL (nm)\t1550.0000\t0.5000\t1549.5000\t1550.5000"),
        QStringLiteral("# Bandwidth (nm)\t0.6000\t0.1000\t0.5000\t0.7000"),
        QStringLiteral("# Insertion Loss (dB)\t-3.0000\t0.5000\t-3.5000\t-2.5000"),
    };
    EXPECT_EQ(lines, expected);
}

TEST(RepeatStatistics, SummaryIsAppendedAfterTheLogData)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("VXM_Test_20261206_031500.txt"));
    const QByteArray data = "Index \tCenter WL (nm)\tBandwidth (nm)\tInsertion Loss (dB)\r\n"
                            "1\t1550.000\t0.500\t-3.0000\r\n"
                            "2\t1550.500\t0.700\t-3.5000\r\n"
                            "3\t1549.500\t0.600\t-2.5000\r\n";
    writeFile(log, data);

    FakeBench b;
    RepeatStatisticsTracker& tracker = b->repeatStatistics();
    tracker.begin();
    tracker.addLoggedPass(0, {1.0F, 2.0F, 3.0F});  // the header pass: not a data line
    tracker.addLoggedPass(1, {1550.0F, 0.5F, -3.0F});
    tracker.addLoggedPass(2, {1550.5F, 0.7F, -3.5F});
    tracker.addLoggedPass(3, {1549.5F, 0.6F, -2.5F});
    EXPECT_EQ(tracker.statistics().count(), 3);
    ASSERT_TRUE(tracker.finish(log));

    const QByteArray written = readAll(log);
    ASSERT_TRUE(written.startsWith(data)) << "the data lines stay as they were";
    const QByteArray tail = written.mid(data.size());
    QByteArray expected;
    for (const QString& line : repeatSummaryLines(threePasses())) expected += line.toUtf8() + "\r\n";
    EXPECT_EQ(tail, expected);
    for (const QByteArray& line : tail.split('\n')) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(line.startsWith('#')) << line.constData();
        }
    }

    // Once per test: a second finish writes nothing more.
    EXPECT_FALSE(tracker.finish(log));
    EXPECT_EQ(readAll(log), written);
}

TEST(RepeatStatistics, LoggedPassesReadTheFirstChannelRow)
{
    FakeBench b;
    RepeatStatisticsTracker& tracker = b->repeatStatistics();
    tracker.begin();
    Module1.ChannelResults.clear();
    tracker.addLoggedPass(1);  // no analysis yet: no row to take
    EXPECT_EQ(tracker.statistics().count(), 0);

    Module1.ChannelResults = {{0.0F, 0.0F, 0.0F}, {1550.0F, 0.5F, -3.0F}, {1560.0F, 9.0F, -9.0F}};
    tracker.addLoggedPass(1);
    Module1.ChannelResults[1] = {1550.5F, 0.7F, -3.5F};
    tracker.addLoggedPass(2);
    Module1.ChannelResults[1] = {1549.5F, 0.6F, -2.5F};
    tracker.addLoggedPass(3);
    EXPECT_EQ(repeatSummaryLines(tracker.statistics()), repeatSummaryLines(threePasses()))
        << "row 1 only, as the log's data lines";
}

TEST(RepeatStatistics, NoSummaryWithoutPassesOrFile)
{
    QTemporaryDir dir;
    FakeBench b;
    RepeatStatisticsTracker& tracker = b->repeatStatistics();

    const QString headerOnly = dir.filePath(QStringLiteral("header.txt"));
    const QByteArray header = "Index \tCenter WL (nm)\tBandwidth (nm)\tInsertion Loss (dB)\r\n";
    writeFile(headerOnly, header);
    tracker.begin();
    tracker.addLoggedPass(0, {1550.0F, 0.5F, -3.0F});
    EXPECT_FALSE(tracker.finish(headerOnly));
    EXPECT_EQ(readAll(headerOnly), header) << "no pass logged: nothing to summarise";

    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    tracker.begin();
    tracker.addLoggedPass(1, {1550.0F, 0.5F, -3.0F});
    EXPECT_FALSE(tracker.finish(missing));
    EXPECT_FALSE(QFile::exists(missing)) << "a summary alone is no log";
}

TEST(RepeatStatistics, PanelFollowsThePasses)
{
    FakeBench b;
    Form2& f = b->form2();
    RepeatStatisticsPanel& panel = *f.RepeatStatsPanel;
    const auto cell = [&](int row, int column) { return panel.RepeatStatsGrid->item(row, column)->text(); };

    RepeatStatisticsTracker& tracker = b->repeatStatistics();
    tracker.begin();
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 0"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("-"));

    tracker.addLoggedPass(1, {1550.0F, 0.5F, -3.0F});
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 1"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("1550.0000"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("-")) << "no deviation from one pass";

    tracker.addLoggedPass(2, {1550.5F, 0.7F, -3.5F});
    tracker.addLoggedPass(3, {1549.5F, 0.6F, -2.5F});
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 3"));
    const QStringList heading{cell(0, 1), cell(0, 2), cell(0, 3), cell(0, 4)};
    EXPECT_EQ(heading, (QStringList{"Mean", "Std dev", "Min", "Max"}));
    EXPECT_EQ(cell(1, 0), QStringLiteral("Center WL (nm)"));
    EXPECT_EQ((QStringList{cell(1, 1), cell(1, 2), cell(1, 3), cell(1, 4)}),
              (QStringList{"1550.0000", "0.5000", "1549.5000", "1550.5000"}));
    EXPECT_EQ((QStringList{cell(3, 1), cell(3, 2), cell(3, 3), cell(3, 4)}),
              (QStringList{"-3.0000", "0.5000", "-3.5000", "-2.5000"}));

    // A new test starts from nothing.
    tracker.begin();
    EXPECT_EQ(panel.RepeatStatsCount->text(), QStringLiteral("n = 0"));
    EXPECT_EQ(cell(3, 4), QStringLiteral("-"));
}

TEST(RepeatStatistics, PanelAndExportButtonsLeaveTheDesignedControlsInPlace)
{
    FakeBench b;
    Form2& f = b->form2();
    const QList<QWidget*> added{f.SavePlot, f.SaveCSV, f.RepeatStatsPanel};
    for (QWidget* w : f.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (added.contains(w) || w == f.Shape1 || w == f.Shape2) continue;  // frames drawn around groups
        for (QWidget* a : added)
            EXPECT_FALSE(a->geometry().intersects(w->geometry())) << qPrintable(a->objectName()) << " covers "
                                                                  << qPrintable(w->objectName());
    }
    // The panel sits under the table, inside the window.
    EXPECT_GE(f.RepeatStatsPanel->geometry().top(), f.MSFlexGrid1->geometry().bottom());
    EXPECT_TRUE(f.rect().contains(f.RepeatStatsPanel->geometry()));
    EXPECT_TRUE(f.rect().contains(f.SaveCSV->geometry()));
}

TEST(RepeatStatistics, ScreenshotOfTheResultsWindowWithStatistics)
{
    FakeBench b;
    Form2& f = b->form2();
    extras::loadSpectrum();
    PlotSpectrum(*b.bench);
    RepeatStatisticsTracker& tracker = b->repeatStatistics();
    tracker.begin();
    const float centres[] = {1540.012F, 1540.015F, 1540.009F, 1540.013F};
    for (int pass = 1; pass <= 4; ++pass)
        tracker.addLoggedPass(pass, {centres[pass - 1], 1.33F + 0.002F * pass, -4.1F - 0.01F * pass});
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const QImage shot = f.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(testOutputDir() + QStringLiteral("/extras_results_statistics.png")));
    EXPECT_EQ(f.RepeatStatsPanel->RepeatStatsCount->text(), QStringLiteral("n = 4"));
}
