// The results table: caption, heading, units row, formatted rows.

#include "app/optics.h"
#include "measure/results_table.h"

#include "app/form1.h"
#include "app/units.h"
#include "bench_fixture.h"
#include "results/form2.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Rows = std::vector<std::array<float, 3>>;

struct Table {
    QTableWidget grid{2, 5};
    QLabel label{QStringLiteral("before")};

    void fill(const Rows& rows, bool align = false, bool scan = true, int language = 1, QString text8 = "-3.0")
    {
        ResultsTableInput in;
        in.language = language;
        in.text8 = std::move(text8);
        in.alignMode = align;
        in.vxmScanMode = scan;
        in.channelCount = static_cast<int>(rows.size()) - 1;
        in.results = &rows;
        fillResultsTable(grid, label, in);
    }
    QString text(int r, int c) const { return grid.item(r, c) ? grid.item(r, c)->text() : QString(); }
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < 5; ++c) cells << text(r, c);
        return cells;
    }
};

Rows rowsWithCenters(int count)
{
    Rows rows(static_cast<std::size_t>(count) + 1);
    for (int i = 1; i <= count; ++i) rows[static_cast<std::size_t>(i)] = {1530.0F + static_cast<float>(i), 0.4F, -5.0F};
    return rows;
}

}  // namespace

TEST(ResultsTable, CenterFrequencyIsTheSpeedOfLightOverTheCenterInSinglePrecision)
{
    EXPECT_EQ(formatResult(centerFrequencyTHz(1550.0F)), QStringLiteral("193.414"));
    EXPECT_EQ(formatResult(centerFrequencyTHz(1310.0F)), QStringLiteral("228.849"));  // 228.8492...
    // The constant is the single 299792.46875: at 1 nm the quotient shows its last digits.
    EXPECT_FLOAT_EQ(centerFrequencyTHz(1.0F), 299792.46875F);
}

TEST(ResultsTable, ResultsShowThreeDecimals)
{
    EXPECT_EQ(formatResult(1550.0), QStringLiteral("1550.000"));
    EXPECT_EQ(formatResult(0.4F), QStringLiteral("0.400"));
    EXPECT_EQ(formatResult(-5.25), QStringLiteral("-5.250"));
    EXPECT_EQ(formatResult(12.34567), QStringLiteral("12.346"));
    EXPECT_EQ(formatResult(-0.0001), QStringLiteral("0.000"));
}

TEST(ResultsTable, CaptionFollowsTheLanguageAndTheLevelAsTyped)
{
    Table t;
    t.fill(rowsWithCenters(1), false, true, 1, QStringLiteral("-3.0"));
    EXPECT_EQ(t.label.text(), QStringLiteral("Analysis results at -3.0 dB down"));
    t.fill(rowsWithCenters(1), false, true, 2, QStringLiteral("-20"));
    EXPECT_EQ(t.label.text(), QStringLiteral("在 -20 dB 的分析结果"));
    t.fill(rowsWithCenters(1), false, true, 0, QStringLiteral("-1"));
    EXPECT_EQ(t.label.text(), QStringLiteral("在 -20 dB 的分析结果")) << "no language, no caption";
}

TEST(ResultsTable, HeadingAndUnitsNameTheSpectrumKind)
{
    Table t;
    t.fill(rowsWithCenters(1), true, false);
    EXPECT_EQ(t.row(0), (QStringList{"      ", " Center WL ", " Center FQ ", " Bandwidth ", " Peak Power "}));
    EXPECT_EQ(t.row(1), (QStringList{"#", "(nm)", "(THz)", "(nm)", "(dBm)"}));

    t.fill(rowsWithCenters(1), false, true);
    EXPECT_EQ(t.text(0, 4), QStringLiteral(" Ins. Loss "));
    EXPECT_EQ(t.text(1, 4), QStringLiteral("(dB)"));

    t.fill(rowsWithCenters(1), true, true);
    EXPECT_EQ(t.text(0, 4), QStringLiteral(" Peak Power ")) << "the laser spectrum box wins";

    t.fill(rowsWithCenters(1), false, false);
    EXPECT_EQ(t.text(0, 4), QStringLiteral(" Peak Power ")) << "neither box: heading left as it was";
    EXPECT_EQ(t.text(1, 4), QString());
    for (int c = 0; c < 5; ++c) EXPECT_EQ(t.grid.item(0, c)->textAlignment(), int(Qt::AlignCenter));
}

TEST(ResultsTable, UnitsRowIsBlueAndTheRestTakesTheGridsFinalBlack)
{
    Table t;
    t.fill(rowsWithCenters(2));
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(t.grid.item(1, c)->foreground().color(), QColor(0, 0, 255)) << c;
        EXPECT_EQ(t.grid.item(2, c)->foreground().style(), Qt::NoBrush) << "data cells have no colour of their own";
    }
    EXPECT_EQ(foreColorOf(&t.grid), VbColor::Black);
}

TEST(ResultsTable, RowsBelowOneNanometreAreSkippedAndNumberingStaysContinuous)
{
    Table t;
    Rows rows = {{0, 0, 0}, {1550.0F, 0.4F, -5.25F}, {0.5F, 0.1F, -1.0F}, {1551.5F, 0.0305F, -6.0F}, {0.0F, 0.0F, 0.0F}};
    t.fill(rows);
    EXPECT_EQ(t.row(2), (QStringList{"1", "1550.000", "193.414", "0.400", "-5.250"}));
    // 299792.458 / 1551.5 = 193.2275...; 0.0305 in single precision is 0.03050000034..., shown 0.031.
    EXPECT_EQ(t.row(3), (QStringList{"2", "1551.500", "193.228", "0.031", "-6.000"}));
    EXPECT_EQ(t.row(4), (QStringList{"", "", "", "", ""}));
}

TEST(ResultsTable, RowCountIsAtLeastTwentyFivePlusTheHeading)
{
    Table t;
    t.fill(rowsWithCenters(3));
    EXPECT_EQ(t.grid.rowCount(), 25);
    t.fill(rowsWithCenters(30));
    EXPECT_EQ(t.grid.rowCount(), 32);
    EXPECT_EQ(t.text(31, 0), QStringLiteral("30"));
    EXPECT_EQ(t.text(31, 1), QStringLiteral("1560.000"));

    // Refilled with fewer channels: the earlier rows are gone.
    t.fill(rowsWithCenters(1));
    EXPECT_EQ(t.grid.rowCount(), 25);
    EXPECT_EQ(t.text(2, 0), QStringLiteral("1"));
    EXPECT_EQ(t.text(3, 0), QString());

    // A count larger than the rows held shows only what exists.
    Rows two = rowsWithCenters(2);
    ResultsTableInput in;
    in.vxmScanMode = true;
    in.channelCount = 5;
    in.results = &two;
    fillResultsTable(t.grid, t.label, in);
    EXPECT_EQ(t.text(3, 0), QStringLiteral("2"));
    EXPECT_EQ(t.text(4, 0), QString());
}

TEST(ResultsTable, GridLooksAsDesigned)
{
    Table t;
    t.fill(rowsWithCenters(1));
    EXPECT_EQ(t.grid.font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(t.grid.font().pointSize(), 10);
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    const double twips[] = {500, 950, 950, 950, 1000};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(t.grid.columnWidth(c), std::lround(twips[c] * dpi / 1440.0)) << c;
}

TEST(ResultsTable, StepFillsTheResultsWindowFromTheSharedState)
{
    FakeBench b;
    Module1.Language = 1;
    Module1.ChannelCount = 1;
    Module1.ChannelResults = {{0, 0, 0}, {1550.0F, 0.25F, -1.5F}};
    b->form1().CheckAlignMode->setChecked(true);
    b->form1().Text8->setText(QStringLiteral("-6"));
    FillResultsTable(*b.bench);
    const Form2& f = b->form2();
    EXPECT_EQ(f.ResultLabel->text(), QStringLiteral("Analysis results at -6 dB down"));
    EXPECT_EQ(f.MSFlexGrid1->item(0, 4)->text(), QStringLiteral(" Peak Power "));
    EXPECT_EQ(f.MSFlexGrid1->item(1, 4)->text(), QStringLiteral("(dBm)"));
    EXPECT_EQ(f.MSFlexGrid1->item(2, 3)->text(), QStringLiteral("0.250"));
    EXPECT_EQ(f.MSFlexGrid1->rowCount(), 25);
}
