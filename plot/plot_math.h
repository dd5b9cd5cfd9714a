#pragma once
// The plot's arithmetic, free of widgets: the visible range (automatic, zoom rectangle, pan drag),
// the corners of a zoom gesture, the grid and tick geometry, the tick and title placement and the
// texts the axes read, and the trace's points in pixels. Everything is in twips inside the picture
// unless a name says pixels.

#include "core/shared_state.h"

#include <QLine>
#include <QPoint>
#include <QSizeF>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace plot {

// Nearest integer, halves to even (the rounding of the bench's coordinates).
std::int32_t roundEven(double value);

struct Range {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    float yMax = 0.0F;
};

// Where each axis starts and how far it spans, in single precision, as the tick labels count.
struct Extent {
    float xStart = 0.0F;
    float xSpan = 0.0F;
    float yStart = 0.0F;
    float ySpan = 0.0F;
};
Extent extentOf(const Range& r);

// A range shown over a picture of `width` x `height` twips with `pixelsPerTwip` device pixels.
struct Viewport {
    Range range;
    float width = 0.0F;
    std::int32_t height = 0;
    double pixelsPerTwip = 0.0;
};

// Plotted rows (x, value): for a spectrum the wavelength in nm, ascending, and its value.
using PlotRows = std::span<const std::array<float, 2>>;

// A zoom gesture's corners; the second y is held as an integer.
struct ZoomRect {
    float x1 = 0.0F;
    float y1 = 0.0F;
    float x2 = 0.0F;
    std::int32_t y2 = 0;
};

// Each corner clamped into 0..width and 0..height.
ZoomRect clampZoomRect(ZoomRect r, float width, std::int32_t height);
// Corners ordered so that x1 <= x2 and y1 <= y2, by the first rule that applies; a y moved into
// y2 is rounded to an integer.
ZoomRect orderZoomRect(ZoomRect r);

// The range shown inside an ordered rectangle of the picture.
Range zoomRange(const Range& r, const ZoomRect& z, float width, std::int32_t height);
// The range moved so that the picture follows a drag from (x1, y1) to (x2, y2).
Range panRange(const Range& r, float x1, float y1, float x2, std::int32_t y2, float width, std::int32_t height);

// Updates the range and PlotData of `plot` from the scan's ScanWL/ScanValue and the zoom and pan
// counts, then widens an unzoomed value range by 1 at each end. Returns false when the range is
// degenerate (nothing may be drawn).
bool updatePlotRange(const SpectrumState& scan, PlotState& plot);

// Pen colour (&HBBGGRR) of the trace for a spectrum kind and the alternating slot; none for an
// unknown kind.
std::optional<std::uint32_t> traceColor(std::int16_t traceKind, int traceSlot);

// The y-axis title for the ticked measurement options; the IL option is tested last and wins.
QString yTitle(bool alignModeTicked, bool vxmScanModeTicked);

// What an axis reads: its title and the decimals of its tick labels.
struct AxisText {
    QString title;
    int decimals = 0;
};
struct AxesText {
    AxisText x;
    AxisText y;
};
// A spectrum's axes: " Wavelength (nm) " with "0.0" ticks below, `yTitle` with "0.000" ticks beside.
AxesText spectrumAxes(const QString& yTitle);

struct Segment {
    double x1, y1, x2, y2;
};
struct GridLines {
    Segment frame;                  // rectangle corners, pen width 2
    std::vector<Segment> dotted;    // 11 vertical then 11 horizontal grid lines
    std::vector<Segment> ticks;     // 21 bottom ticks then 11 left ticks
};
GridLines gridLines(float width, std::int32_t height);

// Placement of one label in window twips.
struct LabelBox {
    QString text;
    std::int32_t left = 0;
    std::int32_t top = 0;
    double width = 0.0;
    double height = 0.0;
};
struct PictureGeometry {
    float left = 0.0F;
    float top = 0.0F;
    float width = 0.0F;
    std::int32_t height = 0;
    double bottom = 0.0;
};
struct AxesLayout {
    std::vector<LabelBox> xTicks;  // left to right (Label1(0..10) of the results window)
    std::vector<LabelBox> yTicks;  // top to bottom (Label2(0..10))
    LabelBox xTitle;               // WLLabel
    LabelBox yTitle;               // RotateLabel (square)
};
// Text width and height in twips, measured in the window's font.
using TextMeasure = std::function<QSizeF(const QString&)>;
AxesLayout layoutAxes(const PictureGeometry& g, const Extent& e, const AxesText& text, const TextMeasure& measure);

// Text of tick label i (0..10) with `decimals` decimals: below the picture the start plus i tenths
// of the span, beside it the top (i = 0) down to the start (i = 10).
QString xTickText(float xStart, float xSpan, int i, int decimals);
QString yTickText(float yStart, float ySpan, int i, int decimals);

// A bar of a chart: from `low` to `high` along x, from the range's bottom up to `height`.
struct Bar {
    double low = 0.0;
    double high = 0.0;
    double height = 0.0;
};

// A plotted point (x, value) in the picture's pixels, as the trace is drawn.
class PixelMap {
public:
    explicit PixelMap(const Viewport& v);
    QPoint operator()(float x, float value) const;

private:
    Range range_;
    double xScale_;
    float yScale_;
    double pixelsPerTwip_;
};

// The rows of PlotData the redraw draws: no more than the scan's points 0..lastPointIndex.
PlotRows plottedRows(const std::vector<std::array<float, 2>>& plotData, std::int32_t lastPointIndex);

// Every row in the picture's pixels, as the trace is drawn.
std::vector<QPoint> tracePixels(PlotRows rows, const Viewport& v);

// A polyline reduced for drawing: for every run of points in one pixel column, the vertical span
// they cover, plus the segments that join consecutive columns. Drawing these gives the same pixels
// as drawing every segment of the polyline.
struct ColumnTrace {
    std::vector<QLine> spans;      // vertical, one per column run
    std::vector<QLine> joins;      // between the last point of a run and the first of the next
};
ColumnTrace reduceToColumns(std::span<const QPoint> points, int pictureWidth, int pictureHeight);

}  // namespace plot
