// The plot's arithmetic on numbers: zoom and pan ranges, gesture corners, the redraw cases,
// tick texts. What the column reduction of a trace draws is tested with the results window.

#include "plot/plot_math.h"

#include <gtest/gtest.h>

using namespace plot;

namespace {

constexpr float kW = 12615.0F;
constexpr std::int32_t kH = 5655;

SharedState withScan(std::vector<float> wl, std::vector<float> value)
{
    SharedState s;
    s.PicWidth = kW;
    s.PicHeight = kH;
    s.LastPointIndex = static_cast<std::int32_t>(wl.size()) - 1;
    s.ScanWL = std::move(wl);
    s.ScanValue = std::move(value);
    return s;
}

// Plotted once automatically: 1500 .. 1540 by -31 .. -4.
SharedState plottedRamp()
{
    SharedState s = withScan({1500, 1510, 1520, 1530, 1540}, {-30, -10, -20, -5, -25});
    EXPECT_TRUE(updatePlotRange(s, s));
    return s;
}

void expectRange(const SharedState& s, double xMin, double xMax, double yMin, float yMax)
{
    EXPECT_DOUBLE_EQ(s.AxisXMin, xMin);
    EXPECT_DOUBLE_EQ(s.AxisXMax, xMax);
    EXPECT_NEAR(s.AxisYMin, yMin, 1e-5);
    EXPECT_NEAR(s.AxisYMax, yMax, 1e-5);
}

}  // namespace

TEST(ZoomCorners, OrderedRoundedHalfToEvenAndClampedToThePicture)
{
    // Dragged any way round gives the same rectangle; y moved into the integer corner rounds half to even.
    const struct { ZoomRect in, out; } rows[] = {
        {{1000, 500, 4000, 2500}, {1000, 500, 4000, 2500}}, {{4000, 2500, 1000, 500}, {1000, 500, 4000, 2500}},
        {{1000, 2500, 4000, 500}, {1000, 500, 4000, 2500}}, {{4000, 500, 1000, 2500}, {1000, 500, 4000, 2500}},
        {{100, 2500.5F, 200, 10}, {100, 10, 200, 2500}},     {{100, 2501.5F, 200, 10}, {100, 10, 200, 2502}},
        {{300, 700, 300, 200}, {300, 700, 300, 200}},  // zero width: left alone
    };
    for (const auto& r : rows) {
        const ZoomRect z = orderZoomRect(r.in);
        SCOPED_TRACE(testing::Message() << r.in.x1 << "," << r.in.y1 << " " << r.in.x2 << "," << r.in.y2);
        EXPECT_EQ(std::tuple(z.x1, z.y1, z.x2, z.y2), std::tuple(r.out.x1, r.out.y1, r.out.x2, r.out.y2));
    }
    const ZoomRect c = clampZoomRect({-50, 6000, 13000, -3}, kW, kH);
    EXPECT_EQ(std::tuple(c.x1, c.y1, c.x2, c.y2), std::tuple(0.0F, static_cast<float>(kH), kW, 0));
    const ZoomRect inside = clampZoomRect({10, 20, 30, 40}, kW, kH);
    EXPECT_EQ(std::tuple(inside.x1, inside.y2), std::tuple(10.0F, 40));
}

TEST(ZoomAndPan, RangesFollowTheRectangleAndTheMouse)
{
    const Range r = zoomRange({1500, 1600, -40, 0}, {kW / 4, kH / 10.0F, kW / 2, kH / 2}, kW, kH);
    EXPECT_DOUBLE_EQ(r.xMin, 1525.0);
    EXPECT_DOUBLE_EQ(r.xMax, 1550.0);
    EXPECT_NEAR(r.yMax, -4.0F, 1e-5);                // 1/10 down from the top: y grows downwards
    EXPECT_NEAR(r.yMin, -40.0 * 2827 / 5655, 1e-9);  // y2 is whole twips
    // Dragging right by a tenth shows a tenth more on the left; dragging down moves the range up.
    const Range p = panRange({1500, 1600, -40, 0}, 1000, 1000, 1000 + kW / 10, 1000 + kH / 4, kW, kH);
    EXPECT_DOUBLE_EQ(p.xMin, 1490.0);
    EXPECT_DOUBLE_EQ(p.xMax, 1590.0);
    EXPECT_NEAR(p.yMin, -40.0 + 40.0 * (kH / 4) / kH, 1e-9);
    EXPECT_NEAR(static_cast<double>(p.yMax) - p.yMin, 40.0, 1e-5);
}

TEST(PlotRange, AutomaticWidensByOneFlatIsCentredInTwoAndADegenerateRangeStops)
{
    const SharedState s = plottedRamp();
    expectRange(s, 1500, 1540, -31, -4);
    ASSERT_EQ(s.PlotData.size(), 5U);
    EXPECT_EQ(s.PlotData[3], (std::array<float, 2>{1530, -5}));
    SharedState flat = withScan({1500, 1501, 1502}, {-7.5F, -7.5F, -7.5F});
    ASSERT_TRUE(updatePlotRange(flat, flat));
    expectRange(flat, 1500, 1502, -8.5, -6.5F);

    SharedState single = withScan({1550}, {-3});  // no wavelength span
    SharedState empty = withScan({}, {});
    SharedState collapsed = plottedRamp();  // zoomed into a range whose values collapse
    collapsed.ZoomCount = 1;
    collapsed.AxisYMin = -5.0;
    collapsed.AxisYMax = -5.0F;
    for (SharedState* d : {&single, &empty, &collapsed}) EXPECT_FALSE(updatePlotRange(*d, *d));
}

// An align-mode scan returns fewer points than the 20001-element arrays hold: only the scanned
// rows are plotted and ranged.
TEST(PlotRange, ArraysLongerThanTheScanGivePlotDataUpToTheLastPointOnly)
{
    SharedState s = withScan(std::vector<float>(20001, 1600.0F), std::vector<float>(20001, 5.0F));
    for (std::size_t i = 0; i <= 1000; ++i) {
        s.ScanWL[i] = 1500.0F + 0.04F * static_cast<float>(i);
        s.ScanValue[i] = -10.0F - static_cast<float>(i % 7);
    }
    s.LastPointIndex = 1000;
    ASSERT_TRUE(updatePlotRange(s, s));
    ASSERT_EQ(s.PlotData.size(), 1001U);
    EXPECT_EQ(s.PlotData.back(), (std::array<float, 2>{s.ScanWL[1000], s.ScanValue[1000]}));
    expectRange(s, 1500, s.ScanWL[1000], -17, -9);
    // A table kept from a longer scan (zoomed or panned) is drawn up to the last point only.
    const std::vector<std::array<float, 2>> table(5);
    const struct { std::int32_t last; std::size_t rows; } drawn[] = {{2, 3}, {4, 5}, {10, 5}, {-1, 0}, {-7, 0}};
    for (const auto& d : drawn) EXPECT_EQ(plottedRows(table, d.last).size(), d.rows) << d.last;
}

TEST(PlotRange, ZoomIsAppliedOnceAndKeptByLaterRedraws)
{
    SharedState s = plottedRamp();
    s.ZoomCount = 1;
    s.ZoomX2 = kW / 2;
    s.ZoomY2 = kH / 2;
    const double yMin = -4.0 - 27.0 * (kH / 2) / kH;  // no widening while zoomed
    // The first redraw applies the rectangle; the next pass of a repeated measurement brings new
    // values but keeps the range; a longer scan while zoomed grows the plotted points.
    const std::vector<std::vector<float>> passes[] = {
        {{1500, 1510, 1520, 1530, 1540}, {-30, -10, -20, -5, -25}},
        {{1500, 1510, 1520, 1530, 1540}, {-1, -2, -3, -4, -60}},
        {{1500, 1505, 1510, 1515, 1520, 1525, 1530}, {-1, -2, -3, -4, -5, -6, -7}}};
    for (const auto& pass : passes) {
        s.ScanWL = pass[0];
        s.ScanValue = pass[1];
        s.LastPointIndex = static_cast<std::int32_t>(pass[0].size()) - 1;
        ASSERT_TRUE(updatePlotRange(s, s));
        EXPECT_EQ(s.ZoomCountSeen, 1);
        expectRange(s, 1500, 1520, yMin, -4);
        ASSERT_EQ(s.PlotData.size(), pass[0].size());
        EXPECT_FLOAT_EQ(s.PlotData.back()[1], pass[1].back());
    }
}

TEST(PlotRange, EmptyRectanglesAreIgnoredAPanAloneWidensAtEveryRedrawAndBothTogetherFreezeIt)
{
    SharedState s = plottedRamp();
    s.ZoomX1 = s.ZoomX2 = 100.0F;  // a click without movement
    s.ZoomY2 = 300;
    for (const std::int32_t count : {1, 3}) {  // 3: two rectangles between redraws
        s.ZoomCount = count;
        ASSERT_TRUE(updatePlotRange(s, s));
        expectRange(s, 1500, 1540, -31, -4);
        EXPECT_EQ(s.ZoomCountSeen, count);
        s.ZoomX2 = 5000.0F;
    }
    s = plottedRamp();
    s.PanCount = 1;
    s.PanX1 = s.PanX2 = 500.0F;  // a drag without movement still redraws
    s.PanY1 = 100.0F;
    s.PanY2 = 100;
    for (const double widened : {1.0, 2.0}) {  // every redraw, a repeated pass too, widens once more
        ASSERT_TRUE(updatePlotRange(s, s));
        EXPECT_EQ(s.PanCountSeen, 1);
        expectRange(s, 1500, 1540, -31 - widened, static_cast<float>(-4 + widened));
    }

    // A zoom and a pan between the same redraws freeze the range and the points.
    s = plottedRamp();
    s.ZoomCount = s.PanCount = 1;
    s.ZoomX2 = kW / 2;
    s.ZoomY2 = kH;
    s.PanX2 = 1000.0F;
    s.ScanValue = {0, 0, 0, 0, 0};
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(updatePlotRange(s, s));
        expectRange(s, 1500, 1540, -31, -4);
        EXPECT_FLOAT_EQ(s.PlotData[1][1], -10.0F) << "points stay as they were";
        EXPECT_EQ(s.ZoomCountSeen + s.PanCountSeen, 0) << "both gestures wait";
    }
}

TEST(TickTextsAndTitles, OneDecimalBelowThreeBesideAndTheLastTickedOptionWins)
{
    // x: start + i tenths of the span; y: top (i = 0) is start + span, never "-0.000".
    const struct { float start, span; int i; const char *x, *y; } ticks[] = {
        {0, 10, 0, "0.0", "10.000"},          {0, 10, 10, "10.0", "0.000"},      {1525, 30, 3, "1534.0", nullptr},
        {1500, 1, 5, "1500.5", nullptr},      {-31, 27, 0, nullptr, "-4.000"},   {-31, 27, 10, nullptr, "-31.000"},
        {-31, 27, 5, nullptr, "-17.500"},     {-1, 2, 5, nullptr, "0.000"},
    };
    for (const auto& t : ticks) {
        SCOPED_TRACE(testing::Message() << t.start << " + " << t.span << " #" << t.i);
        if (t.x != nullptr) { EXPECT_EQ(xTickText(t.start, t.span, t.i, 1), QString::fromLatin1(t.x)); }
        if (t.y != nullptr) { EXPECT_EQ(yTickText(t.start, t.span, t.i, 3), QString::fromLatin1(t.y)); }
    }
    const QString il = QStringLiteral(" Insertion Loss (dB) ");
    EXPECT_EQ(yTitle(false, false), il);
    EXPECT_EQ(yTitle(true, false), QStringLiteral(" Power (dBm) "));
    EXPECT_EQ(yTitle(true, true), il);
    EXPECT_EQ(yTitle(false, true), il);
    const AxesText spectrum = spectrumAxes(il);
    EXPECT_EQ(std::tuple(spectrum.x.title, spectrum.x.decimals, spectrum.y.title, spectrum.y.decimals),
              std::tuple(QStringLiteral(" Wavelength (nm) "), 1, il, 3));
}

TEST(AxesLayout, ACallersTitlesAndDecimalsPlacedOnTheGridLinesRoundedHalfToEven)
{
    // A run chart: seconds below without decimals, centre wavelengths beside with two. Every
    // character measures 100 twips, every text 200 high.
    const TextMeasure measure = [](const QString& text) { return QSizeF(100.0 * text.size(), 200.0); };
    const PictureGeometry g{1680.0F, 1320.0F, kW, kH, 1320.0 + kH};
    const AxesText text{{QStringLiteral("Time (s)"), 0}, {QStringLiteral("Center (nm)"), 2}};
    const AxesLayout a = layoutAxes(g, {0.0F, 3600.0F, 1549.5F, 1.0F}, text, measure);
    ASSERT_EQ(a.xTicks.size() + a.yTicks.size(), 22U);
    const auto box = [](const LabelBox& b) { return std::tuple(b.text, b.left, b.top, b.width, b.height); };
    // left = 1680 + W*i/10 - TW/2, top = bottom + H/100; left = 1680 - W/100 - TW, top = 1320 + H*i/10 - TH/2.
    EXPECT_EQ(box(a.xTicks[3]), std::tuple(QStringLiteral("1080"), 5264, 7032, 400.0, 200.0));  // 5264.5
    EXPECT_EQ(box(a.xTicks[10]), std::tuple(QStringLiteral("3600"), 14095, 7032, 400.0, 200.0));
    EXPECT_EQ(box(a.yTicks[0]), std::tuple(QStringLiteral("1550.50"), 854, 1220, 700.0, 200.0));
    EXPECT_EQ(box(a.yTicks[5]), std::tuple(QStringLiteral("1550.00"), 854, 4048, 700.0, 200.0));  // 4047.5
    EXPECT_EQ(box(a.yTicks[10]), std::tuple(QStringLiteral("1549.50"), 854, 6875, 700.0, 200.0));
    // Titles: centred below with 20 twips to spare; beside, a square of the title's width plus 5.
    EXPECT_EQ(box(a.xTitle), std::tuple(QStringLiteral("Time (s)"), 7588, 7289, 820.0, 200.0));  // 7587.5
    EXPECT_EQ(box(a.yTitle), std::tuple(QStringLiteral("Center (nm)"), 79, 3598, 1105.0, 1105.0));  // 3597.5

    // A picture too short for its eighteenth to clear the tick labels puts the title just below them.
    const AxesLayout low = layoutAxes({1680.0F, 240.0F, kW, 2700, 240.0 + 2700}, {0, 1, 0, 1}, text, measure);
    EXPECT_EQ(low.xTitle.top, low.xTicks[0].top + 200);  // 2967 + 200, not 2940 + 150
}

TEST(GridAndTrace, TicksShareOneLengthGridSplitsExactlyValuesMapDownwards)
{
    const GridLines g = gridLines(kW, kH);
    ASSERT_EQ(g.dotted.size(), 22U);
    ASSERT_EQ(g.ticks.size(), 32U);
    const double t = static_cast<float>(kH / 40.0);
    EXPECT_DOUBLE_EQ(g.ticks[0].y2 - g.ticks[0].y1, t);    // bottom tick, vertical
    EXPECT_DOUBLE_EQ(g.ticks[21].x2 - g.ticks[21].x1, t);  // left tick, horizontal
    EXPECT_DOUBLE_EQ(g.dotted[10].x1, kW);
    EXPECT_DOUBLE_EQ(g.dotted[14].y1, 5655 * 3 / 10.0);
    EXPECT_DOUBLE_EQ(g.ticks[1].x1, kW / 20);

    const std::vector<std::array<float, 2>> data{{1500, -4}, {1520, -17.5F}, {1540, -31}};
    const auto px = tracePixels(data, {{1500, 1540, -31, -4}, kW, kH, 1.0 / 15});
    EXPECT_EQ(px, (std::vector<QPoint>{{0, 0}, {420, 188}, {841, 377}}));  // 420.5, 188.5 -> even
}
