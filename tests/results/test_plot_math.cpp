// The plot's arithmetic on numbers: zoom and pan ranges, gesture corners, the redraw cases,
// tick texts and placement, trace colours and the column reduction of a trace.

#include "results/plot_math.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

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

SharedState rampScan()
{
    return withScan({1500.0F, 1510.0F, 1520.0F, 1530.0F, 1540.0F}, {-30.0F, -10.0F, -20.0F, -5.0F, -25.0F});
}

}  // namespace

TEST(ZoomCorners, DraggedEitherWayGivesTheSameOrderedRectangle)
{
    const ZoomRect forward = orderZoomRect({1000.0F, 500.0F, 4000.0F, 2500});
    const ZoomRect backward = orderZoomRect({4000.0F, 2500.0F, 1000.0F, 500});
    const ZoomRect upRight = orderZoomRect({1000.0F, 2500.0F, 4000.0F, 500});
    const ZoomRect downLeft = orderZoomRect({4000.0F, 500.0F, 1000.0F, 2500});
    for (const ZoomRect& r : {forward, backward, upRight, downLeft}) {
        EXPECT_FLOAT_EQ(r.x1, 1000.0F);
        EXPECT_FLOAT_EQ(r.x2, 4000.0F);
        EXPECT_FLOAT_EQ(r.y1, 500.0F);
        EXPECT_EQ(r.y2, 2500);
    }
    const Range base{1500.0, 1540.0, -31.0, -4.0F};
    const Range a = zoomRange(base, forward, kW, kH);
    const Range b = zoomRange(base, backward, kW, kH);
    EXPECT_DOUBLE_EQ(a.xMin, b.xMin);
    EXPECT_DOUBLE_EQ(a.xMax, b.xMax);
    EXPECT_DOUBLE_EQ(a.yMin, b.yMin);
    EXPECT_FLOAT_EQ(a.yMax, b.yMax);
}

TEST(ZoomCorners, YMovedIntoTheIntegerCornerIsRoundedHalfToEven)
{
    EXPECT_EQ(orderZoomRect({100.0F, 2500.5F, 200.0F, 10}).y2, 2500);
    EXPECT_EQ(orderZoomRect({100.0F, 2501.5F, 200.0F, 10}).y2, 2502);
    EXPECT_FLOAT_EQ(orderZoomRect({100.0F, 2501.5F, 200.0F, 10}).y1, 10.0F);
}

TEST(ZoomCorners, EqualCoordinatesAreLeftAlone)
{
    const ZoomRect r = orderZoomRect({300.0F, 700.0F, 300.0F, 200});  // zero width: no rule applies
    EXPECT_FLOAT_EQ(r.y1, 700.0F);
    EXPECT_EQ(r.y2, 200);
}

TEST(ZoomCorners, ClampedToThePicture)
{
    const ZoomRect r = clampZoomRect({-50.0F, 6000.0F, 13000.0F, -3}, kW, kH);
    EXPECT_FLOAT_EQ(r.x1, 0.0F);
    EXPECT_FLOAT_EQ(r.y1, static_cast<float>(kH));
    EXPECT_FLOAT_EQ(r.x2, kW);
    EXPECT_EQ(r.y2, 0);
    const ZoomRect inside = clampZoomRect({10.0F, 20.0F, 30.0F, 40}, kW, kH);
    EXPECT_FLOAT_EQ(inside.x1, 10.0F);
    EXPECT_EQ(inside.y2, 40);
}

TEST(ZoomRange, NarrowsToTheRectangleWithYGrowingDownwards)
{
    const Range r = zoomRange({1500.0, 1600.0, -40.0, 0.0F}, {kW / 4, kH / 10.0F, kW / 2, kH / 2}, kW, kH);
    EXPECT_DOUBLE_EQ(r.xMin, 1525.0);
    EXPECT_DOUBLE_EQ(r.xMax, 1550.0);
    EXPECT_NEAR(r.yMax, -4.0F, 1e-5);  // 1/10 down from the top
    EXPECT_NEAR(r.yMin, -40.0 * 2827 / 5655, 1e-9);  // about half way down (y2 is whole twips)
}

TEST(PanRange, PictureFollowsTheMouseAndSpansStay)
{
    // Dragging right by a tenth of the width shows a tenth more on the left.
    const Range r = panRange({1500.0, 1600.0, -40.0, 0.0F}, 1000.0F, 1000.0F, 1000.0F + kW / 10, 1000 + kH / 4, kW, kH);
    EXPECT_DOUBLE_EQ(r.xMin, 1490.0);
    EXPECT_DOUBLE_EQ(r.xMax, 1590.0);
    // Dragging down shows higher values: the range moves up.
    EXPECT_NEAR(r.yMin, -40.0 + 40.0 * (kH / 4) / kH, 1e-9);
    EXPECT_NEAR(static_cast<double>(r.yMax) - r.yMin, 40.0, 1e-5);
}

TEST(PlotRange, AutomaticCoversTheScanWidenedByOne)
{
    SharedState s = rampScan();
    ASSERT_TRUE(updatePlotRange(s));
    EXPECT_DOUBLE_EQ(s.AxisXMin, 1500.0);
    EXPECT_DOUBLE_EQ(s.AxisXMax, 1540.0);
    EXPECT_DOUBLE_EQ(s.AxisYMin, -31.0);
    EXPECT_FLOAT_EQ(s.AxisYMax, -4.0F);
    ASSERT_EQ(s.PlotData.size(), 5U);
    EXPECT_FLOAT_EQ(s.PlotData[3][0], 1530.0F);
    EXPECT_FLOAT_EQ(s.PlotData[3][1], -5.0F);
}

TEST(PlotRange, FlatSpectrumIsCentredInARangeOfTwo)
{
    SharedState s = withScan({1500.0F, 1501.0F, 1502.0F}, {-7.5F, -7.5F, -7.5F});
    ASSERT_TRUE(updatePlotRange(s));
    EXPECT_DOUBLE_EQ(s.AxisYMin, -8.5);
    EXPECT_FLOAT_EQ(s.AxisYMax, -6.5F);
}

TEST(PlotRange, DegenerateRangeStops)
{
    SharedState single = withScan({1550.0F}, {-3.0F});  // one point: no wavelength span
    EXPECT_FALSE(updatePlotRange(single));
    SharedState empty = withScan({}, {});
    EXPECT_FALSE(updatePlotRange(empty));
    // Zoomed into a range whose values collapse.
    SharedState zoomed = rampScan();
    zoomed.ZoomCount = 1;
    zoomed.AxisXMin = 1500.0;
    zoomed.AxisXMax = 1540.0;
    zoomed.AxisYMin = -5.0;
    zoomed.AxisYMax = -5.0F;
    EXPECT_FALSE(updatePlotRange(zoomed));
}

TEST(PlotRange, ZoomIsAppliedOnceAndKeptByLaterRedraws)
{
    SharedState s = rampScan();
    ASSERT_TRUE(updatePlotRange(s));  // -31 .. -4
    s.ZoomCount = 1;
    s.ZoomX1 = 0.0F;
    s.ZoomX2 = kW / 2;
    s.ZoomY1 = 0.0F;
    s.ZoomY2 = kH / 2;
    ASSERT_TRUE(updatePlotRange(s));
    EXPECT_EQ(s.ZoomCountSeen, 1);
    EXPECT_DOUBLE_EQ(s.AxisXMax, 1520.0);
    const double yMin = s.AxisYMin;
    EXPECT_NEAR(yMin, -4.0 - 27.0 * (kH / 2) / kH, 1e-5);  // no widening while zoomed

    // The next pass of a repeated measurement brings new values but keeps the range.
    s.ScanValue = {-1.0F, -2.0F, -3.0F, -4.0F, -60.0F};
    ASSERT_TRUE(updatePlotRange(s));
    EXPECT_DOUBLE_EQ(s.AxisXMax, 1520.0);
    EXPECT_DOUBLE_EQ(s.AxisYMin, yMin);
    EXPECT_FLOAT_EQ(s.PlotData[4][1], -60.0F);
}

TEST(PlotRange, ZeroSizeOrSkippedRectanglesAreCountedButIgnored)
{
    SharedState s = rampScan();
    ASSERT_TRUE(updatePlotRange(s));
    s.ZoomCount = 1;
    s.ZoomX1 = s.ZoomX2 = 100.0F;  // a click without movement
    s.ZoomY1 = 0.0F;
    s.ZoomY2 = 300;
    ASSERT_TRUE(updatePlotRange(s));
    EXPECT_DOUBLE_EQ(s.AxisXMin, 1500.0);
    EXPECT_DOUBLE_EQ(s.AxisXMax, 1540.0);
    EXPECT_EQ(s.ZoomCountSeen, 1);

    s.ZoomCount = 3;  // two rectangles between redraws
    s.ZoomX2 = 5000.0F;
    ASSERT_TRUE(updatePlotRange(s));
    EXPECT_DOUBLE_EQ(s.AxisXMax, 1540.0);
    EXPECT_EQ(s.ZoomCountSeen, 3);
}

TEST(PlotRange, PanWithoutZoomWidensAgainAtEveryRedraw)
{
    SharedState s = rampScan();
    ASSERT_TRUE(updatePlotRange(s));  // -31 .. -4
    s.PanCount = 1;
    s.PanX1 = s.PanX2 = 500.0F;       // a drag without movement still redraws
    s.PanY1 = 100.0F;
    s.PanY2 = 100;
    ASSERT_TRUE(updatePlotRange(s));
    EXPECT_DOUBLE_EQ(s.AxisYMin, -32.0);
    EXPECT_FLOAT_EQ(s.AxisYMax, -3.0F);
    EXPECT_EQ(s.PanCountSeen, 1);
    ASSERT_TRUE(updatePlotRange(s));  // a repeated pass: widened once more
    EXPECT_DOUBLE_EQ(s.AxisYMin, -33.0);
    EXPECT_FLOAT_EQ(s.AxisYMax, -2.0F);
    EXPECT_DOUBLE_EQ(s.AxisXMin, 1500.0);
}

TEST(PlotRange, ZoomAndPanBetweenRedrawsFreezeTheRangeAndPoints)
{
    SharedState s = rampScan();
    ASSERT_TRUE(updatePlotRange(s));
    s.ZoomCount = 1;
    s.ZoomX1 = 0.0F;
    s.ZoomX2 = kW / 2;
    s.ZoomY2 = kH;
    s.PanCount = 1;
    s.PanX2 = 1000.0F;
    s.ScanValue = {0.0F, 0.0F, 0.0F, 0.0F, 0.0F};
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(updatePlotRange(s));
        EXPECT_DOUBLE_EQ(s.AxisXMin, 1500.0);
        EXPECT_DOUBLE_EQ(s.AxisXMax, 1540.0);
        EXPECT_FLOAT_EQ(s.PlotData[1][1], -10.0F) << "points stay as they were";
        EXPECT_EQ(s.ZoomCountSeen, 0);
        EXPECT_EQ(s.PanCountSeen, 0);
    }
}

TEST(PlotRange, LongerScanWhileZoomedGrowsThePlottedPoints)
{
    SharedState s = rampScan();
    ASSERT_TRUE(updatePlotRange(s));
    s.ZoomCount = 1;
    s.ZoomCountSeen = 1;  // already applied
    s.ScanWL = {1500.0F, 1505.0F, 1510.0F, 1515.0F, 1520.0F, 1525.0F, 1530.0F};
    s.ScanValue = {-1.0F, -2.0F, -3.0F, -4.0F, -5.0F, -6.0F, -7.0F};
    s.LastPointIndex = 6;
    ASSERT_TRUE(updatePlotRange(s));
    ASSERT_EQ(s.PlotData.size(), 7U);
    EXPECT_FLOAT_EQ(s.PlotData[6][1], -7.0F);
}

TEST(TickText, OneDecimalAlongTheBottomThreeBesideTopIsStartPlusSpan)
{
    EXPECT_EQ(xTickText(0.0F, 10.0F, 0), QStringLiteral("0.0"));
    EXPECT_EQ(xTickText(0.0F, 10.0F, 10), QStringLiteral("10.0"));
    EXPECT_EQ(xTickText(1525.0F, 30.0F, 3), QStringLiteral("1534.0"));
    EXPECT_EQ(xTickText(1500.0F, 1.0F, 5), QStringLiteral("1500.5"));
    EXPECT_EQ(yTickText(-31.0F, 27.0F, 0), QStringLiteral("-4.000"));
    EXPECT_EQ(yTickText(-31.0F, 27.0F, 10), QStringLiteral("-31.000"));
    EXPECT_EQ(yTickText(-31.0F, 27.0F, 5), QStringLiteral("-17.500"));
    EXPECT_EQ(yTickText(0.0F, 10.0F, 0), QStringLiteral("10.000"));
    EXPECT_EQ(yTickText(-1.0F, 2.0F, 5), QStringLiteral("0.000"));  // never "-0.000"
}

TEST(AxesLayout, LabelsSitOnTheGridDivisionsRoundedHalfToEven)
{
    const PictureGeometry g{1680.0F, 1320.0F, 12615.0F, 5655, 6975.0};
    // Every text 600 twips wide and 270 high.
    const AxesLayout a =
        layoutAxes(g, 0.0F, 10.0F, 0.0F, 10.0F, QStringLiteral(" Power (dBm) "), [](const QString&) {
            return QSizeF(600.0, 270.0);
        });
    ASSERT_EQ(a.xTicks.size(), 11U);
    ASSERT_EQ(a.yTicks.size(), 11U);
    EXPECT_EQ(a.xTicks[0].left, 1380);                     // 1680 - 300
    EXPECT_EQ(a.xTicks[1].left, 2642);                     // 1680 + 1261.5 - 300 = 2641.5 -> even
    EXPECT_EQ(a.xTicks[0].top, 7032);                      // 6975 + 56.55 = 7031.55
    EXPECT_EQ(a.yTicks[0].left, 954);                      // 1680 - 126.15 - 600 = 953.85
    EXPECT_EQ(a.yTicks[3].top, 2882);                      // 1320 + 1696.5 - 135 = 2881.5 -> even
    EXPECT_EQ(a.yTicks[0].text, QStringLiteral("10.000"));
    EXPECT_EQ(a.yTicks[10].text, QStringLiteral("0.000"));
    EXPECT_EQ(a.xTitle.left, 7688);                        // 1680 + 6307.5 - 300 = 7687.5 -> even
    EXPECT_DOUBLE_EQ(a.xTitle.width, 620.0);
    EXPECT_EQ(a.xTitle.top, 7289);                         // 6975 + 314.17
    EXPECT_EQ(a.yTitle.text, QStringLiteral(" Power (dBm) "));
    EXPECT_EQ(a.yTitle.left, 329);                         // 1680 - 1051.25 - 300 = 328.75
    EXPECT_EQ(a.yTitle.top, 3848);                         // 1320 + 2827.5 - 300 = 3847.5 -> even
    EXPECT_DOUBLE_EQ(a.yTitle.width, 605.0);
    EXPECT_DOUBLE_EQ(a.yTitle.height, 605.0);
}

TEST(GridGeometry, TicksShareOneLengthAndGridSplitsExactly)
{
    const GridLines g = gridLines(kW, kH);
    ASSERT_EQ(g.dotted.size(), 22U);
    ASSERT_EQ(g.ticks.size(), 32U);
    const double t = static_cast<float>(kH / 40.0);
    EXPECT_DOUBLE_EQ(g.ticks[0].y2 - g.ticks[0].y1, t);     // bottom tick, vertical
    EXPECT_DOUBLE_EQ(g.ticks[21].x2 - g.ticks[21].x1, t);   // left tick, horizontal
    EXPECT_DOUBLE_EQ(g.dotted[10].x1, kW);
    EXPECT_DOUBLE_EQ(g.dotted[14].y1, 5655 * 3 / 10.0);
    EXPECT_DOUBLE_EQ(g.ticks[1].x1, kW / 20);
}

TEST(TitlesAndColours, LastTickedOptionWinsAndColoursAlternateByKind)
{
    EXPECT_EQ(yTitle(false, false), QStringLiteral(" Insertion Loss (dB) "));
    EXPECT_EQ(yTitle(true, false), QStringLiteral(" Power (dBm) "));
    EXPECT_EQ(yTitle(true, true), QStringLiteral(" Insertion Loss (dB) "));
    EXPECT_EQ(yTitle(false, true), QStringLiteral(" Insertion Loss (dB) "));

    EXPECT_EQ(traceColor(1, 0), 255U);
    EXPECT_EQ(traceColor(1, 1), 16711935U);
    EXPECT_EQ(traceColor(2, 0), 65280U);
    EXPECT_EQ(traceColor(2, 1), 16776960U);
    EXPECT_EQ(traceColor(3, 0), 255U);
    EXPECT_EQ(traceColor(3, 1), 16711680U);
    EXPECT_FALSE(traceColor(0, 0).has_value());
    EXPECT_FALSE(traceColor(4, 1).has_value());
}

TEST(TracePixels, ValuesMapDownwardsFromTheTopOfTheRange)
{
    const std::vector<std::array<float, 2>> data{{1500.0F, -4.0F}, {1520.0F, -17.5F}, {1540.0F, -31.0F}};
    const auto px = tracePixels(data, {1500.0, 1540.0, -31.0, -4.0F}, kW, kH, 1.0 / 15);
    ASSERT_EQ(px.size(), 3U);
    EXPECT_EQ(px[0], QPoint(0, 0));
    EXPECT_EQ(px[1], QPoint(420, 188));  // 420.5 -> even; 188.5 -> even
    EXPECT_EQ(px[2], QPoint(841, 377));
}

namespace {

QImage drawn(const std::vector<QPoint>& points, bool reduced, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QPen(Qt::red, 1));
    if (reduced) {
        const ColumnTrace c = reduceToColumns(points, size.width(), size.height());
        p.drawLines(c.spans.data(), static_cast<int>(c.spans.size()));
        p.drawLines(c.joins.data(), static_cast<int>(c.joins.size()));
    } else {
        QPoint previous = points.front();
        for (const QPoint& q : points) {
            p.drawLine(previous, q);
            previous = q;
        }
    }
    return image;
}

int differingPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

}  // namespace

TEST(ColumnReduction, SamePixelsAsEverySegment)
{
    const QSize size(841, 377);
    QRandomGenerator rng(7);
    // Dense noisy spectrum, points outside the picture on every side, and a sparse zoomed one.
    std::vector<QPoint> dense, wild, sparse;
    for (int i = 0; i < 20001; ++i)
        dense.emplace_back(i * 841 / 20000, 150 + static_cast<int>(rng.bounded(60)) - (i % 977 == 0 ? 140 : 0));
    for (int i = 0; i < 3000; ++i)
        wild.emplace_back(-200 + i * 1300 / 3000, static_cast<int>(rng.bounded(800)) - 200);
    for (int i = 0; i < 40; ++i) sparse.emplace_back(i * 37 - 100, 20 + (i * i) % 300);

    for (const auto* points : {&dense, &wild, &sparse}) {
        const QImage every = drawn(*points, false, size);
        const QImage reduced = drawn(*points, true, size);
        EXPECT_EQ(differingPixels(every, reduced), 0);
    }
    const ColumnTrace c = reduceToColumns(dense, size.width(), size.height());
    EXPECT_LE(c.spans.size() + c.joins.size(), 2U * 842U);
}
