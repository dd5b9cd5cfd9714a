// The numbers and texts of the two workbooks, before any file is written.

#include "core/optics.h"
#include "results/workbook_content.h"
#include "test_workbook_oracle.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <bit>
#include <cmath>
#include <limits>

namespace {

using Channels = std::vector<std::array<float, 3>>;
using Table = std::vector<std::vector<double>>;

Channels channels(std::initializer_list<std::array<float, 3>> rows)
{
    Channels table{{0, 0, 0}};  // row 0 is unused
    table.insert(table.end(), rows);
    return table;
}

Table table(const SheetContent& sheet)
{
    Table out(static_cast<std::size_t>(sheet.rows()));
    for (int r = 0; r < sheet.rows(); ++r)
        for (int c = 0; c < sheet.columns; ++c) out[static_cast<std::size_t>(r)].push_back(sheet.value(r, c));
    return out;
}

}  // namespace

TEST(WorkbookRounding, TiesGoAwayFromZeroAndNearTiesFollowTheSinglesExactValue)
{
    const struct { float value; int decimals; double shown; } rows[] = {
        // Exact ties in binary: half-even would give 1550.062, 0.0312 and 2.
        {1550.0625F, 3, 1550.063}, {-1550.0625F, 3, -1550.063}, {0.03125F, 4, 0.0313}, {-0.03125F, 4, -0.0313},
        {2.5F, 0, 3.0}, {-2.5F, 0, -3.0},
        // 1.0005 as a single is 1.000499963..., below the half; 1.0015 is 1.001500010..., above it.
        {1.0005F, 3, 1.0}, {1.0015F, 3, 1.002},
        {1500.004F, 4, 1500.004},  // held as 1500.0040283203125
        {-0.0004F, 3, 0.0},        // a plain zero, not -0
    };
    for (const auto& r : rows) {
        const double rounded = roundHalfAway(r.value, r.decimals);
        EXPECT_EQ(rounded, r.shown) << r.value << " to " << r.decimals;
        EXPECT_EQ(std::signbit(rounded), std::signbit(r.shown)) << r.value;
    }
}

TEST(WorkbookRounding, AgreesWithTheDecimalExpansionForRandomSingles)
{
    QRandomGenerator random(20240131);
    int checked = 0;
    for (int i = 0; i < 100000; ++i) {
        // Random bit patterns cover every magnitude; the scaled ones cover the bench's ranges.
        float value = std::bit_cast<float>(random.generate());
        if (i % 2 == 1) value = static_cast<float>(-100.0 + random.bounded(1800.0));
        if (!std::isfinite(value)) continue;
        const int decimals = static_cast<int>(random.bounded(5));
        ASSERT_EQ(roundHalfAway(value, decimals), decimalRoundOracle(value, decimals)) << value << " to " << decimals;
        ++checked;
    }
    EXPECT_GT(checked, 90000);
}

TEST(WorkbookResultsSheet, OneRowPerChannelRoundedZeroRowsInPlaceAndNoRowsInvented)
{
    const std::vector<double> zero(5, 0.0);
    const struct { const char* name; std::int32_t count; Channels channels; Table rows; } cases[] = {
        // -3.2125 as a single is -3.21250009..., beyond the half: -3.213.
        {"rounded", 2, channels({{1550.0F, 0.4004F, -3.2125F}, {1551.0625F, 0.8F, -12.0F}}),
         {{1, 1550.0, 193.414, 0.4, -3.213}, {2, 1551.063, 193.282, 0.8, -12.0}}},
        // Below 1 nm there is no wavelength: a zero row in place, not counted; exactly 1 nm counts.
        {"no wavelength", 5, channels({{0.5F, 1, 1}, {1550, 0.2F, -1}, {0.999F, 0, 0}, {1, 0.3F, -2}, {0.0F, 0.1F, -3}}),
         {zero, {1, 1550, 193.414, 0.2, -1}, zero, {2, 1, 299792.469, 0.3, -2}, zero}},
        {"none", 0, {}, {}},
        {"negative count", -1, channels({{1550, 0, 0}}), {}},
        // A count beyond the filled rows stops at them instead of sizing a huge table.
        {"huge count", 1000000000, channels({{1550, 0, 0}, {1551, 0, 0}}), {{1, 1550, 193.414, 0, 0}, {2, 1551, 193.29, 0, 0}}},
    };
    for (const auto& c : cases) {
        const SheetContent s = resultsSheet(c.count, c.channels);
        EXPECT_EQ(table(s), c.rows) << c.name;
    }
    // Here the single quotient (197.1975098) and the double one (197.1974998) round apart.
    const float wavelength = 1520.2650146484375F;
    EXPECT_EQ(roundHalfAway(centerFrequencyTHz(wavelength), 3), 197.198);
    EXPECT_EQ(resultsSheet(1, channels({{wavelength, 0, 0}})).value(0, 2), 197.198);
}

TEST(WorkbookSpectrumSheet, HeaderFollowsTheTickedModesAndPointsRoundToFourDecimalsUpToTheLastIndex)
{
    const std::vector<float> wl{1500.0F, 1500.004F, 1500.008F, 1500.012F};
    const std::vector<float> v{-0.03125F, 10.12345F, -45.00005F, 7.0F};
    const QStringList power{"WL (nm)", " Power (dBm)"}, il{"WL (nm)", " IL (dB)"};
    const struct { bool align, scan; QStringList header; } rows[] = {
        {false, false, {}}, {true, false, power}, {false, true, il}, {true, true, il}};  // scan mode wins
    for (const auto& r : rows) {
        const SheetContent sheet = spectrumSheet(wl, v, 2, r.align, r.scan);
        EXPECT_EQ(sheet.header, r.header) << r.align << r.scan;
        // Points 0..2 only. 10.12345 is 10.1234502..., 1500.008 is 1500.00805664..., -45.00005 is -45.0000495910...
        EXPECT_EQ(table(sheet), (Table{{1500.0, -0.0313}, {1500.004, 10.1235}, {1500.0081, -45.0}}));
    }
    // A last index beyond the arrays or negative does not read outside them.
    const std::vector<float> two{1500.0F, 1500.5F}, one{-1.0F};
    EXPECT_EQ(spectrumSheet(two, one, 5, true, false).rows(), 1);
    EXPECT_EQ(spectrumSheet(two, one, -1, true, false).rows(), 0);
    EXPECT_EQ(spectrumSheet(two, one, std::numeric_limits<std::int32_t>::max(), true, false).rows(), 1);
}

TEST(WorkbookRanges, FontAndCentringReachTheLastRowOfTheirRangeAndNoFurther)
{
    // A range written as the sheet names it, "A1:E10000" for 5 columns x 10000 rows.
    const auto range = [](int columns, int rows) { return QStringLiteral("A1:%1%2").arg(QChar(u'A' + columns - 1)).arg(rows); };
    const struct { SheetContent sheet; const char* font; const char* centred; } cases[] = {
        {resultsSheet(0, {}), "A1:E10000", "A1:E10000"},
        {spectrumSheet({}, {}, -1, true, false), "A1:D20002", "A1:B20002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sheet.sheetName.toStdString());
        EXPECT_EQ(range(c.sheet.fontColumns, c.sheet.fontRows), QLatin1String(c.font));
        EXPECT_EQ(range(c.sheet.centredColumns, c.sheet.centredRows), QLatin1String(c.centred));
    }
}
