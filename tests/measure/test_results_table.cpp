// The results table: caption, heading, units row, formatted rows.

#include "core/optics.h"
#include "measure/results_table.h"

#include "core/units.h"

#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::array<float, 3>>;

struct Table {
    QTableWidget grid{2, 5};
    QLabel label{QStringLiteral("before")};

    void fill(const Rows& rows, bool align = false, bool scan = true, int language = 1, QString text8 = "-3.0",
              int count = -1)
    {
        const int n = count >= 0 ? count : static_cast<int>(rows.size()) - 1;
        fillResultsTable(grid, label, ResultsTableInput{language, std::move(text8), align, scan, n, &rows});
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

TEST(ResultsTable, ResultsShowThreeDecimalsAndTheFrequencyIsLightSpeedOverTheCenter)
{
    const std::pair<double, const char*> rows[] = {
        {1550.0, "1550.000"}, {0.4F, "0.400"}, {-5.25, "-5.250"}, {12.34567, "12.346"}, {-0.0001, "0.000"},
        {centerFrequencyTHz(1550.0F), "193.414"}, {centerFrequencyTHz(1310.0F), "228.849"}};  // 228.8492...
    for (const auto& [value, text] : rows) EXPECT_EQ(formatResult(value), QLatin1String(text)) << text;
    // The constant is the single 299792.46875: at 1 nm the quotient shows its last digits.
    EXPECT_FLOAT_EQ(centerFrequencyTHz(1.0F), 299792.46875F);
}

TEST(ResultsTable, CaptionHeadingAndUnitsFollowTheLanguageLevelAndSpectrumKind)
{
    Table t;
    const struct { int language; const char* level; QString caption; } captions[] = {
        {1, "-3.0", "Analysis results at -3.0 dB down"},
        {2, "-20", "在 -20 dB 的分析结果"},
        {0, "-1", "在 -20 dB 的分析结果"}};  // no language, no caption
    for (const auto& c : captions) {
        t.fill(rowsWithCenters(1), false, true, c.language, c.level);
        EXPECT_EQ(t.label.text(), c.caption) << c.language;
    }
    // Refilled, the grid keeps its palette: the style caches scroll bar pictures per palette, a new one each pass grows it.
    t.fill(rowsWithCenters(4));
    const qint64 gridPalette = t.grid.palette().cacheKey();
    const qint64 barPalette = t.grid.verticalScrollBar()->palette().cacheKey();
    t.fill(rowsWithCenters(3));
    t.fill(rowsWithCenters(4), true, false);
    EXPECT_EQ(std::tuple(t.grid.palette().cacheKey(), t.grid.verticalScrollBar()->palette().cacheKey()), std::tuple(gridPalette, barPalette));
    EXPECT_EQ(foreColorOf(&t.grid), VbColor::Black);
    // Align mode, scan mode: the laser spectrum box wins; neither box leaves the heading as it was.
    const struct { bool align, scan; const char *heading, *unit; } cases[] = {
        {false, true, " Ins. Loss ", "(dB)"},
        {true, true, " Peak Power ", "(dBm)"},
        {false, false, " Peak Power ", ""}};
    for (const auto& c : cases) {
        t.fill(rowsWithCenters(1), c.align, c.scan);
        EXPECT_EQ(QStringList({t.text(0, 4), t.text(1, 4)}), QStringList({c.heading, c.unit})) << c.align << c.scan;
    }
}

TEST(ResultsTable, RowsBelowOneNanometreAreSkippedNumberingStaysContinuousAndTwentyFiveRowsAtLeast)
{
    Table t;
    t.fill({{0, 0, 0}, {1550.0F, 0.4F, -5.25F}, {0.5F, 0.1F, -1.0F}, {1551.5F, 0.0305F, -6.0F}, {0.0F, 0.0F, 0.0F}});
    EXPECT_EQ(t.row(2), (QStringList{"1", "1550.000", "193.414", "0.400", "-5.250"}));
    // 299792.458 / 1551.5 = 193.2275...; 0.0305 in single precision is 0.03050000034..., shown 0.031.
    EXPECT_EQ(t.row(3), (QStringList{"2", "1551.500", "193.228", "0.031", "-6.000"}));
    EXPECT_EQ(t.row(4), (QStringList{"", "", "", "", ""}));

    // At least twenty-five rows, and the heading.
    t.fill(rowsWithCenters(3));
    EXPECT_EQ(t.grid.rowCount(), 25);
    t.fill(rowsWithCenters(30));
    EXPECT_EQ(t.grid.rowCount(), 32);
    EXPECT_EQ(t.row(31).mid(0, 2), (QStringList{"30", "1560.000"}));
    t.fill(rowsWithCenters(1));
    EXPECT_EQ(t.grid.rowCount(), 25);
    EXPECT_EQ(t.row(3)[0], QString()) << "refilled with fewer channels: the earlier rows are gone";
    t.fill(rowsWithCenters(2), false, true, 1, "-3.0", 5);
    EXPECT_EQ(t.text(3, 0), QStringLiteral("2"));
    EXPECT_EQ(t.text(4, 0), QString()) << "a count larger than the rows held shows only what exists";
}
