#include "plot/plot_math.h"

#include "core/texts.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace plot {

std::int32_t roundEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    return static_cast<std::int32_t>(std::nearbyint(value));
}

Extent extentOf(const Range& r)
{
    return {static_cast<float>(r.xMin), static_cast<float>(r.xMax - r.xMin), static_cast<float>(r.yMin),
            static_cast<float>(static_cast<double>(r.yMax) - r.yMin)};
}

namespace {

float clampTo(float v, float limit)
{
    if (v < 0.0F) return 0.0F;
    if (v > limit) return limit;
    return v;
}

// Points the scan offers: rows 0..LastPointIndex, never beyond the arrays.
std::size_t scanPointCount(const SpectrumState& s)
{
    if (s.LastPointIndex < 0) return 0;
    return std::min({static_cast<std::size_t>(s.LastPointIndex) + 1, s.ScanWL.size(), s.ScanValue.size()});
}

// Copies the scan into PlotData while zoomed or panned. A longer scan than the one that sized the
// table grows it, so that every new point is plotted and nothing is written past its end.
void copyPoints(const SpectrumState& scan, PlotState& s)
{
    const std::size_t n = scanPointCount(scan);
    if (s.PlotData.size() < n) s.PlotData.resize(n);
    for (std::size_t i = 0; i < n; ++i) s.PlotData[i] = {scan.ScanWL[i], scan.ScanValue[i]};
}

void autoRange(const SpectrumState& scan, PlotState& s)
{
    const std::size_t n = scanPointCount(scan);
    s.PlotData.resize(n);
    // Without points the range is empty, which stops the redraw.
    s.AxisXMin = n ? scan.ScanWL[0] : 0.0;
    s.AxisXMax = n ? scan.ScanWL[n - 1] : 0.0;
    s.AxisYMin = 100000000.0;
    s.AxisYMax = -10000000.0F;
    for (std::size_t i = 0; i < n; ++i) {
        const float v = scan.ScanValue[i];
        s.PlotData[i] = {scan.ScanWL[i], v};
        if (v < s.AxisYMin) s.AxisYMin = v;
        if (v > s.AxisYMax) s.AxisYMax = v;
    }
}

Range rangeOf(const PlotState& s) { return {s.AxisXMin, s.AxisXMax, s.AxisYMin, s.AxisYMax}; }

void setRange(PlotState& s, const Range& r)
{
    s.AxisXMin = r.xMin;
    s.AxisXMax = r.xMax;
    s.AxisYMin = r.yMin;
    s.AxisYMax = r.yMax;
}

// Formats a single as the bench shows it: from its seven significant digits, then to `decimals`.
QString fixed(float value, int decimals)
{
    const double shown = QString::number(static_cast<double>(value), 'g', 7).toDouble();
    QString text = QString::number(shown, 'f', decimals);
    // A value that rounds to zero reads "0.0", never "-0.0".
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0.0) text.remove(0, 1);
    return text;
}

std::int32_t toPixel(double twips, double pixelsPerTwip)
{
    // Points far outside a zoomed range stay within what the rasteriser handles.
    constexpr double kLimit = 1.0e6;
    return roundEven(std::clamp(twips * pixelsPerTwip, -kLimit, kLimit));
}

}  // namespace

ZoomRect clampZoomRect(ZoomRect r, float width, std::int32_t height)
{
    const auto h = static_cast<float>(height);
    r.x1 = clampTo(r.x1, width);
    r.x2 = clampTo(r.x2, width);
    r.y1 = clampTo(r.y1, h);
    r.y2 = std::clamp(r.y2, 0, height);
    return r;
}

ZoomRect orderZoomRect(ZoomRect r)
{
    const auto swapY = [&r] {
        const float oldY1 = r.y1;
        r.y1 = static_cast<float>(r.y2);
        r.y2 = roundEven(oldY1);
    };
    if (r.x1 > r.x2 && static_cast<float>(r.y2) > r.y1) {
        std::swap(r.x1, r.x2);
    } else if (r.x2 > r.x1 && r.y1 > static_cast<float>(r.y2)) {
        swapY();
    } else if (r.x1 > r.x2 && r.y1 > static_cast<float>(r.y2)) {
        std::swap(r.x1, r.x2);
        swapY();
    }
    return r;
}

Range zoomRange(const Range& r, const ZoomRect& z, float width, std::int32_t height)
{
    const double xSpan = r.xMax - r.xMin;
    const double ySpan = static_cast<double>(r.yMax) - r.yMin;
    Range out;
    out.xMin = r.xMin + xSpan * z.x1 / width;
    out.xMax = r.xMin + xSpan * z.x2 / width;
    out.yMin = r.yMax - ySpan * z.y2 / height;
    out.yMax = static_cast<float>(r.yMax - ySpan * z.y1 / height);
    return out;
}

Range panRange(const Range& r, float x1, float y1, float x2, std::int32_t y2, float width, std::int32_t height)
{
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const double xSpan = r.xMax - r.xMin;
    const double ySpan = static_cast<double>(r.yMax) - r.yMin;
    Range out;
    out.xMin = r.xMin - xSpan * dx / width;
    out.xMax = out.xMin + xSpan;
    out.yMin = r.yMin + ySpan * dy / height;
    out.yMax = static_cast<float>(out.yMin + ySpan);
    return out;
}

bool updatePlotRange(const SpectrumState& scan, PlotState& s)
{
    if (s.ZoomCount == 0 && s.PanCount == 0) {
        autoRange(scan, s);
    } else if (s.ZoomCount > 0 && s.PanCount == s.PanCountSeen) {
        const ZoomRect z{s.ZoomX1, s.ZoomY1, s.ZoomX2, s.ZoomY2};
        if (z.x1 != z.x2 && z.y1 != static_cast<float>(z.y2) && s.ZoomCount - s.ZoomCountSeen == 1)
            setRange(s, zoomRange(rangeOf(s), z, s.PicWidth, s.PicHeight));
        s.ZoomCountSeen = static_cast<std::int16_t>(s.ZoomCount);
        copyPoints(scan, s);
    } else if (s.PanCount > 0 && s.ZoomCount == s.ZoomCountSeen) {
        if (s.PanCount - s.PanCountSeen == 1)
            setRange(s, panRange(rangeOf(s), s.PanX1, s.PanY1, s.PanX2, s.PanY2, s.PicWidth, s.PicHeight));
        s.PanCountSeen = static_cast<std::int16_t>(s.PanCount);
        copyPoints(scan, s);
    }
    // A zoom and a pan counted between two redraws: neither is applied, the picture stays.

    if (s.ZoomCount == 0) {
        s.AxisYMin -= 1.0;
        s.AxisYMax += 1.0F;
    }
    return s.AxisXMin != s.AxisXMax && s.AxisYMin != static_cast<double>(s.AxisYMax);
}

std::optional<std::uint32_t> traceColor(std::int16_t traceKind, int traceSlot)
{
    switch (traceKind) {
    case 1: return traceSlot == 0 ? 255U : 16711935U;         // red, magenta
    case 2: return traceSlot == 0 ? 65280U : 16776960U;       // green, cyan
    case 3: return traceSlot == 0 ? 255U : 16711680U;         // red, blue
    default: return std::nullopt;
    }
}

QString yTitle(bool alignModeTicked, bool vxmScanModeTicked)
{
    QString title = textIn("results.yTitleLoss", 1);
    if (alignModeTicked) title = textIn("results.yTitlePower", 1);
    if (vxmScanModeTicked) title = textIn("results.yTitleLoss", 1);
    return title;
}

GridLines gridLines(float width, std::int32_t height)
{
    const double w = width;
    GridLines g;
    g.frame = {0.0, 0.0, w, static_cast<double>(height)};
    for (int i = 0; i <= 10; ++i) {
        const double x = w * i / 10;
        g.dotted.push_back({x, 0.0, x, static_cast<double>(height)});
    }
    for (int i = 0; i <= 10; ++i) {
        const double y = (height * i) / 10.0;
        g.dotted.push_back({0.0, y, w, y});
    }
    const float t = static_cast<float>(height / 40.0);
    for (int i = 0; i <= 20; ++i) {
        const double x = w * i / 20;
        g.ticks.push_back({x, static_cast<double>(height - t), x, static_cast<double>(height)});
    }
    // The left ticks take the bottom ticks' length although they run horizontally.
    for (int i = 0; i <= 10; ++i) {
        const double y = (height * i) / 10.0;
        g.ticks.push_back({0.0, y, static_cast<double>(t), y});
    }
    return g;
}

AxesText spectrumAxes(const QString& yTitle) { return {{textIn("results.xTitle", 1), 1}, {yTitle, 3}}; }

QString xTickText(float xStart, float xSpan, int i, int decimals)
{
    return fixed(static_cast<float>(xStart + i * static_cast<double>(xSpan) / 10), decimals);
}

QString yTickText(float yStart, float ySpan, int i, int decimals)
{
    return fixed(static_cast<float>(static_cast<double>(yStart) + ySpan - i * static_cast<double>(ySpan) / 10),
                 decimals);
}

AxesLayout layoutAxes(const PictureGeometry& g, const Extent& e, const AxesText& text, const TextMeasure& measure)
{
    const double w = g.width;
    const double h = g.height;
    AxesLayout out;
    for (int i = 0; i <= 10; ++i) {
        LabelBox x;
        x.text = xTickText(e.xStart, e.xSpan, i, text.x.decimals);
        const QSizeF xs = measure(x.text);
        x.left = roundEven(g.left + w * i / 10 - xs.width() / 2);
        x.top = roundEven(g.bottom + h / 100);
        x.width = xs.width();
        x.height = xs.height();
        out.xTicks.push_back(x);

        LabelBox y;
        y.text = yTickText(e.yStart, e.ySpan, i, text.y.decimals);
        const QSizeF ys = measure(y.text);
        y.left = roundEven(g.left - w / 100 - ys.width());
        y.top = roundEven(g.top + (g.height * i) / 10.0 - ys.height() / 2);
        y.width = ys.width();
        y.height = ys.height();
        out.yTicks.push_back(y);
    }

    out.xTitle.text = text.x.title;
    const QSizeF xt = measure(out.xTitle.text);
    out.xTitle.left = roundEven(g.left + w / 2 - xt.width() / 2);
    // A short picture's eighteenth would put the title over the tick labels: it goes below them then.
    const LabelBox& tick = out.xTicks.front();
    out.xTitle.top = roundEven(std::max(g.bottom + h / 18, tick.top + tick.height));
    out.xTitle.width = xt.width() + 20;
    out.xTitle.height = xt.height();

    out.yTitle.text = text.y.title;
    const double tw = measure(text.y.title).width();
    out.yTitle.left = roundEven(g.left - w / 12 - tw / 2);
    out.yTitle.top = roundEven(g.top + h / 2 - tw / 2);
    out.yTitle.width = tw + 5;
    out.yTitle.height = tw + 5;
    return out;
}

PixelMap::PixelMap(const Viewport& v)
    : range_(v.range), xScale_(v.width / (v.range.xMax - v.range.xMin)),
      yScale_(static_cast<float>(v.height / (static_cast<double>(v.range.yMax) - v.range.yMin))),
      pixelsPerTwip_(v.pixelsPerTwip)
{
}

QPoint PixelMap::operator()(float x, float value) const
{
    const double xTwips = (x - range_.xMin) * xScale_;
    const float yTwips = (range_.yMax - value) * yScale_;
    return {toPixel(xTwips, pixelsPerTwip_), toPixel(yTwips, pixelsPerTwip_)};
}

PlotRows plottedRows(const std::vector<std::array<float, 2>>& plotData, std::int32_t lastPointIndex)
{
    const std::size_t rows = std::min(plotData.size(), static_cast<std::size_t>(std::max(lastPointIndex, -1) + 1));
    return PlotRows(plotData).first(rows);
}

std::vector<QPoint> tracePixels(PlotRows rows, const Viewport& v)
{
    const PixelMap map(v);
    std::vector<QPoint> points;
    points.reserve(rows.size());
    for (const auto& row : rows) points.push_back(map(row[0], row[1]));
    return points;
}

ColumnTrace reduceToColumns(std::span<const QPoint> points, int pictureWidth, int pictureHeight)
{
    ColumnTrace out;
    const auto columnVisible = [&](int x) { return x >= 0 && x < pictureWidth; };
    const auto joinVisible = [&](const QPoint& a, const QPoint& b) {
        return !((a.x() < 0 && b.x() < 0) || (a.x() >= pictureWidth && b.x() >= pictureWidth)
                 || (a.y() < 0 && b.y() < 0) || (a.y() >= pictureHeight && b.y() >= pictureHeight));
    };
    std::size_t i = 0;
    while (i < points.size()) {
        const int x = points[i].x();
        int lo = points[i].y();
        int hi = lo;
        std::size_t j = i + 1;
        for (; j < points.size() && points[j].x() == x; ++j) {
            lo = std::min(lo, points[j].y());
            hi = std::max(hi, points[j].y());
        }
        if (columnVisible(x) && hi >= 0 && lo < pictureHeight) out.spans.emplace_back(x, lo, x, hi);
        if (j < points.size() && joinVisible(points[j - 1], points[j])) out.joins.emplace_back(points[j - 1], points[j]);
        i = j;
    }
    return out;
}

}  // namespace plot
