// Markers on numbers: snapping, stepping, clicks, readings, channels' marks, pixels through zoom and pan.

#include "plot/plot_markers.h"

#include <gtest/gtest.h>

using namespace plot;

namespace {

// Eleven points 1500 .. 1510 nm, value -i at point i.
std::vector<std::array<float, 2>> line()
{
    std::vector<std::array<float, 2>> rows;
    for (int i = 0; i <= 10; ++i) rows.push_back({1500.0F + static_cast<float>(i), -static_cast<float>(i)});
    return rows;
}

}  // namespace

TEST(PlotMarkers, SnapsToTheNearestPointAndReadsTheTraceBetweenPoints)
{
    const std::vector<std::array<float, 2>> rows{{1500.0F, 0.0F}, {1500.5F, 1.0F}, {1501.0F, 3.0F}, {1502.0F, -1.0F}};
    const std::pair<double, std::size_t> snaps[] = {
        {1499.0, 0}, {1500.0, 0}, {1500.25, 0} /* tie: lower */, {1500.26, 1}, {1501.5, 2} /* tie */,
        {1501.51, 3}, {1510.0, 3}};
    for (const auto& [wl, row] : snaps) EXPECT_EQ(nearestRow(rows, wl), row) << wl;
    EXPECT_EQ(nearestRow({}, 1500.0), std::nullopt);

    const std::pair<double, float> values[] = {{1499.0, 0.0F}, {1500.25, 0.5F}, {1501.0, 3.0F}, {1501.5, 1.0F},
                                               {1501.75, 0.0F}, {1503.0, -1.0F}};
    for (const auto& [wl, value] : values) EXPECT_FLOAT_EQ(*traceValueAt(rows, wl), value) << wl;
    EXPECT_EQ(traceValueAt({}, 1500.0), std::nullopt);
    EXPECT_DOUBLE_EQ(wavelengthAtX({1500.0, 1540.0, 0.0, 1.0F}, 800.0F, 200.0), 1510.0);
}

TEST(PlotMarkers, StepsStopAtTheEndsAndAStaleMarkerFindsItsWavelengthAgainAndClicksPickAMarker)
{
    const auto rows = line();
    const struct { std::size_t from; int steps; std::size_t to; } moves[] = {
        {4, 1, 5}, {4, -1, 3}, {4, 10, 10}, {4, -10, 0}, {10, 1, 10}, {0, -1, 0}};
    for (const auto& m : moves) {
        const Marker moved = stepMarker(rows, markerOn(rows, m.from), m.steps);
        EXPECT_EQ(moved.row, m.to) << m.from << " + " << m.steps;
        EXPECT_EQ(moved.wavelength, rows[m.to][0]);
    }
    // A finer trace: the marker of 1504 nm sits on its new point and steps from there.
    std::vector<std::array<float, 2>> finer;
    for (int i = 0; i <= 20; ++i) finer.push_back({1500.0F + 0.5F * static_cast<float>(i), 0.0F});
    const Marker old = markerOn(rows, 4);
    EXPECT_EQ(markerRow(rows, old), 4U);
    EXPECT_EQ(markerRow(finer, old), 8U);
    EXPECT_EQ(stepMarker(finer, old, 1).wavelength, 1504.5F);
    EXPECT_EQ(markerRow(std::span(rows).first(3), markerOn(rows, 8)), 2U);

    // A click places the first, then the second, then moves the nearer.
    const auto at = [](float wl) { return Marker{0, wl}; };
    const struct { MarkerPair pair; double click; int which; } clicks[] = {
        {{{std::nullopt, std::nullopt}, 0}, 1505.0, 0},
        {{{at(1500.0F), std::nullopt}, 0}, 1500.0, 1},
        {{{std::nullopt, at(1500.0F)}, 1}, 1509.0, 0},
        {{{at(1500.0F), at(1510.0F)}, 1}, 1504.0, 0},
        {{{at(1500.0F), at(1510.0F)}, 0}, 1506.0, 1},
        {{{at(1500.0F), at(1510.0F)}, 1}, 1505.0, 1},  // as near to both: the active one
        {{{at(1500.0F), at(1510.0F)}, 0}, 1505.0, 0},
    };
    for (const auto& c : clicks) EXPECT_EQ(markerForClick(c.pair, c.click), c.which) << c.click;
}

TEST(PlotMarkers, ReadingsAndTheirDifferenceInBothLanguages)
{
    const MarkerReading a{1532.0, -4.1234}, b{1532.5, -1.0};
    const struct { int number; std::optional<MarkerReading> reading; QString unit; int language; const char* text; } rows[] = {
        {2, b, QStringLiteral("dBm"), 1, "M2: 1532.500 nm, -1.000 dBm"},
        {2, std::nullopt, QStringLiteral("dB"), 1, "M2: -"},
        {1, std::nullopt, QStringLiteral("dB"), 2, "标记1：-"},
        {1, MarkerReading{1550.0, -0.0004}, QStringLiteral("dB"), 1, "M1: 1550.000 nm, 0.000 dB"},
    };
    for (const auto& r : rows) EXPECT_EQ(markerText(r.number, r.reading, r.unit, r.language), QString::fromUtf8(r.text));

    EXPECT_EQ(differenceText(a, b, 1), QString::fromUtf8("M2 - M1: Δλ = 0.500 nm, Δ = 3.123 dB"));
    EXPECT_EQ(differenceText(b, a, 2), QString::fromUtf8("标记2 - 标记1：Δλ = -0.500 nm，Δ = -3.123 dB"));
    EXPECT_TRUE(differenceText(a, std::nullopt, 1).isEmpty() && differenceText(std::nullopt, b, 2).isEmpty());

    const struct { bool align, scan; const char* unit; } units[] = {
        {false, false, "dB"}, {true, false, "dBm"}, {false, true, "dB"}, {true, true, "dB"}};
    for (const auto& u : units) EXPECT_EQ(valueUnit(u.align, u.scan), QLatin1String(u.unit)) << u.align << u.scan;
}

TEST(PlotMarkers, ChannelMarksFollowTheTableRowsAndSitOnTheTrace)
{
    // Row 0 unused; row 2 has a center below 1 nm, which the table skips and numbers past.
    const std::vector<std::array<float, 3>> results{
        {0, 0, 0}, {1503.0F, 2.0F, -3.0F}, {0.5F, 0.1F, -2.0F}, {1507.5F, 1.0F, -4.0F}, {1509.0F, 1.0F, -1.0F}};
    const std::vector<ChannelMarks> marks = channelMarks(results, 3);
    ASSERT_EQ(marks.size(), 2U);
    EXPECT_EQ(std::tuple(marks[0].number, marks[0].center, marks[0].lower, marks[0].upper),
              std::tuple(1, 1503.0F, 1502.0, 1504.0));
    EXPECT_EQ(std::tuple(marks[1].number, marks[1].center, marks[1].lower, marks[1].upper),
              std::tuple(2, 1507.5F, 1507.0, 1508.0));
    EXPECT_TRUE(channelMarks(results, 0).empty());
    EXPECT_EQ(channelMarks(results, 40).size(), 3U) << "no more rows than the results hold";

    // On the line value = 1500 - wl, 10 twips per nm and per dB, one pixel per twip.
    const auto rows = line();
    const Viewport view{{1500.0, 1510.0, -10.0, 0.0F}, 100.0F, 100, 1.0};
    const MarkerLayer layer = markerLayer(rows, view, {}, marks, QStringLiteral("dB"), 1);
    const std::vector<std::pair<GlyphKind, QPoint>> expected{
        {GlyphKind::ChannelEdge, {20, 20}}, {GlyphKind::ChannelEdge, {40, 40}}, {GlyphKind::ChannelCenter, {30, 30}},
        {GlyphKind::ChannelEdge, {70, 70}}, {GlyphKind::ChannelEdge, {80, 80}}, {GlyphKind::ChannelCenter, {75, 75}}};
    std::vector<std::pair<GlyphKind, QPoint>> got;
    for (const MarkerGlyph& g : layer) got.emplace_back(g.kind, g.at);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(layer[5].label, QStringLiteral("2"));
}

TEST(PlotMarkers, AMarkerStaysOnItsPointsPixelThroughZoomAndPan)
{
    const auto rows = line();
    const MarkerPair pair{{markerOn(rows, 4), markerOn(rows, 6)}, 1};
    // 1000 x 500 twips at a tenth of a pixel per twip: 100 x 50 pixels.
    const Range whole{1500.0, 1510.0, -10.0, 0.0F};
    const Range zoomed = zoomRange(whole, {200.0F, 100.0F, 600.0F, 300}, 1000.0F, 500);  // 1502..1506, -6..-2
    const Range panned = panRange(zoomed, 0.0F, 0.0F, 100.0F, 50, 1000.0F, 500);        // 1501.6..1505.6
    const struct { Range range; QPoint first, second; } frames[] = {
        {whole, {40, 20}, {60, 30}},
        {zoomed, {50, 25}, {100, 50}},
        {panned, {60, 30}, {110, 55}},
    };
    for (const auto& f : frames) {
        const Viewport view{f.range, 1000.0F, 500, 0.1};
        const MarkerLayer layer = markerLayer(rows, view, pair, {}, QStringLiteral("dB"), 1);
        ASSERT_EQ(layer.size(), 2U);
        EXPECT_EQ(std::pair(layer[0].at, layer[1].at), std::pair(f.first, f.second)) << f.range.xMin;
        const std::vector<QPoint> trace = tracePixels(rows, view);
        EXPECT_EQ(std::pair(layer[0].at, layer[1].at), std::pair(trace[4], trace[6])) << "where the trace draws them";
        // A click on the marker's pixel column takes the same point again.
        EXPECT_EQ(nearestRow(rows, wavelengthAtX(f.range, 1000.0F, f.first.x() * 10.0)), 4U);
        EXPECT_EQ(std::pair(layer[0].active, layer[1].active), std::pair(false, true));
        EXPECT_EQ(layer[0].label, QStringLiteral("M1: 1504.000 nm, -4.000 dB"));
    }
    EXPECT_TRUE(markerLayer(rows, {{1500.0, 1500.0, -10.0, 0.0F}, 1000.0F, 500, 0.1}, pair, {}, {}, 1).empty());
    EXPECT_TRUE(markerLayer({}, {whole, 1000.0F, 500, 0.1}, pair, {}, {}, 1).empty());
}
