// The History window's pure content: list rows, the overlay, the plot range, exported sheets and CSV.
#include "records/history_content.h"

#include <gtest/gtest.h>

#include <set>

namespace {

MeasurementRecord record(std::int64_t id, QString device, RecordMode mode, std::vector<float> wl, std::vector<float> v)
{
    return {.id = id, .deviceId = std::move(device), .settings = {.mode = mode}, .wavelengthsNm = std::move(wl),
            .values = std::move(v)};
}

TEST(HistoryList, RowsAndDetailsShowLocalTimeKindCountsAndFigures)
{
    const RecordSummary s{.id = 5, .utc = QDateTime(QDate(2026, 1, 2), QTime(23, 30, 5, 250), Qt::UTC), .utcOffsetS = 8 * 3600,
                          .deviceId = QStringLiteral("DUT-1"), .kind = RecordKind::RepeatPass, .pass = 3,
                          .hostName = QStringLiteral("bench-1"), .verdict = QStringLiteral("PASS"), .channelCount = 4,
                          .pointCount = 20001};
    EXPECT_EQ(history::listRow(s, 1), (QStringList{"2026-01-03 07:30:05", "DUT-1", "Pass 3", "bench-1", "PASS", "4", "20001"}));
    RecordSummary device = s;
    device.kind = RecordKind::Device;
    EXPECT_EQ(history::listRow(device, 2).at(2), QStringLiteral("器件"));
    EXPECT_EQ(history::recordLabel(9, {}, QDateTime(QDate(2026, 1, 3), QTime(7, 30, 5)), 1),
              QStringLiteral("#9 (no ID) 2026-01-03 07:30:05"));

    MeasurementRecord r;
    EXPECT_TRUE(history::figureLines(r, 1).isEmpty());
    r.verdict = QStringLiteral("FAIL");
    r.figuresJson = QStringLiteral(R"({"ripple_dB": 0.25, "grade": "B", "ok": false})");
    // JSON objects keep their keys sorted.
    EXPECT_EQ(history::figureLines(r, 1), (QStringList{"Verdict: FAIL", "grade: B", "ok: false", "ripple_dB: 0.25"}));
    r.channels = {{1550.0F, 0.5F, -3.25F}};
    EXPECT_EQ(history::channelRows(r), (std::vector<QStringList>{{"1", "1550.000", "193.414", "0.500", "-3.250"}}));
}

TEST(HistoryOverlay, HoldsFourDistinctColoursAndAFreedColourIsReused)
{
    history::Overlay o;
    for (std::int64_t id : {1, 12, 13, 14}) EXPECT_TRUE(o.add(id) && !o.add(id) && o.colourOf(id)) << id;  // once, coloured
    EXPECT_FALSE(o.add(15));  // a fifth is refused
    EXPECT_TRUE(o.full());

    std::set<std::uint32_t> colours{history::kCurrentTraceColour, history::kOpenedColour};
    for (std::int64_t id : o.ids()) colours.insert(*o.colourOf(id));
    EXPECT_EQ(colours.size(), 6U);  // every overlaid record, the opened one and the current trace differ

    const std::uint32_t colourOf12 = *o.colourOf(12);
    const std::uint32_t colourOf13 = *o.colourOf(13);
    o.remove(12);
    EXPECT_FALSE(o.colourOf(12).has_value());
    EXPECT_EQ(*o.colourOf(13), colourOf13);  // the others keep theirs
    EXPECT_TRUE(o.add(15));
    EXPECT_EQ(*o.colourOf(15), colourOf12);
    EXPECT_EQ(o.ids(), (std::vector<std::int64_t>{1, 15, 13, 14}));
    o.clear();
    EXPECT_EQ(o.size(), 0);
}

TEST(HistoryPlotRange, SpansEveryTraceWithValuesWidenedByOne)
{
    const history::Trace a{{}, 0, {{1500.0F, -20.0F}, {1600.0F, -2.5F}}};
    const history::Trace b{{}, 0, {{1550.0F, -30.0F}, {1650.0F, std::nanf("")}}};
    const std::optional<plot::Range> r = history::overlayRange({a, b});
    ASSERT_TRUE(r.has_value());  // the point without a value is left out
    EXPECT_EQ(std::make_tuple(r->xMin, r->xMax, r->yMin, r->yMax), std::make_tuple(1500.0, 1600.0, -31.0, -1.5F));
    EXPECT_FALSE(history::overlayRange({}).has_value());
    EXPECT_FALSE(history::overlayRange({history::Trace{{}, 0, {{1500.0F, -1.0F}}}}).has_value());

    EXPECT_EQ(history::tracePoints({1.0F, 2.0F, 3.0F}, {4.0F, 5.0F}, 5),
              (std::vector<std::array<float, 2>>{{1.0F, 4.0F}, {2.0F, 5.0F}}));
}

TEST(HistoryExport, SheetPerRecordUnderAUniqueNameAndCsvSideBySide)
{
    const MeasurementRecord il = record(12, QStringLiteral("A/B:C*D?E[1]"), RecordMode::Regular, {1550.00004F, 1550.5F},
                                        {-3.21236F, -4.0F});
    const SheetContent s = history::recordSheet(il);
    EXPECT_EQ(s.sheetName, QStringLiteral("#12 A_B_C_D_E_1_"));
    EXPECT_EQ(s.header, (QStringList{"WL (nm)", " IL (dB)"}));
    EXPECT_EQ(s.values, (std::vector<double>{1550.0, -3.2124, 1550.5, -4.0}));

    const MeasurementRecord power = record(7, QString(40, u'x'), RecordMode::Align, {}, {});
    EXPECT_EQ(history::recordSheet(power).header, (QStringList{"WL (nm)", " Power (dBm)"}));
    EXPECT_EQ(history::recordSheet(power).sheetName.size(), 31);
    EXPECT_EQ(history::sheetName(record(3, {}, RecordMode::Regular, {}, {})), QStringLiteral("#3"));

    const MeasurementRecord a = record(1, QStringLiteral("DUT,1"), RecordMode::Regular, {1500.0F, 1500.5F, 1501.0F},
                                       {-1.0F, -2.00005F, -3.0F});
    const MeasurementRecord b = record(2, {}, RecordMode::Align, {1600.25F}, {5.5F});
    EXPECT_EQ(history::recordsCsv({a, b}),
              QByteArray("\"#1 DUT,1 WL (nm)\",\"#1 DUT,1 IL (dB)\",#2 WL (nm),#2 Power (dBm)\r\n"
                         "1500.0000,-1.0000,1600.2500,5.5000\r\n"
                         "1500.5000,-2.0001,,\r\n"
                         "1501.0000,-3.0000,,\r\n"));
}

}  // namespace
