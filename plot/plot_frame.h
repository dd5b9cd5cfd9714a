#pragma once
// A plot's frame: on a picture, the black frame, the dotted ten-by-ten grid and the ticks; around
// it, eleven tick labels below, eleven beside and both axis titles, for a range. What the axes
// read (titles, decimals) is the caller's. Layers are drawn over the frame in the same range's
// coordinates through viewport(): traces, the marker layer, a legend. The frame owns no widget:
// the results window hands in its own named controls, another plot a set from makeFrameLabels.

#include "plot/plot_markers.h"
#include "plot/plot_math.h"
#include "plot/plot_surface.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class QLabel;
class QWidget;
class UcLabelRotate;

struct FrameLabels {
    std::array<QLabel*, 11> xTicks{};  // left to right
    std::array<QLabel*, 11> yTicks{};  // top to bottom
    QLabel* xTitle = nullptr;
    UcLabelRotate* yTitle = nullptr;
    QLabel* legend = nullptr;  // inside the picture; a plot without a legend has none
};

// Hidden labels for a plot in `parent` in its font: "XTick(i)", "YTick(i)", "XTitle", the title
// "YTitle" turned 270 degrees on the parent's background (beneath the other controls), and
// "Legend" framed in white inside `picture`.
FrameLabels makeFrameLabels(QWidget& parent, PlotSurface& picture);

struct LegendEntry {
    QString label;
    std::uint32_t colour = 0;  // &HBBGGRR
};

class PlotFrame {
public:
    // `window` measures the texts in its font; `geometry` is the picture's place in it, in twips.
    PlotFrame(PlotSurface& picture, const FrameLabels& labels, const QWidget& window,
              const plot::PictureGeometry& geometry);

    void setAxesText(plot::AxesText text) { axes_ = std::move(text); }
    // The range that the layers are drawn in.
    void setRange(const plot::Range& range) { range_ = range; }
    plot::Viewport viewport() const;

    // Persistent drawing on, the picture and the layer above it cleared.
    void clear();
    // clear(), then the frame (pen width 2), the dotted grid and the ticks, in black.
    void drawGrid();
    // The tick labels (10 pt) and titles (12 pt) for `extent`, shown; persistent drawing on.
    void drawAxes(const plot::Extent& extent);
    void hideAxes();

    // A polyline through `rows`, one pixel wide, in `colour` (none: the pen's present colour).
    void drawTrace(plot::PlotRows rows, std::optional<std::uint32_t> colour,
                   TraceDrawing how = TraceDrawing::Columns);
    // Layers of a chart, in `colour` (&HBBGGRR): filled bars outlined in black; a line across the
    // picture at a value or at an x; a hollow square 7 pixels across (at 96 dpi) round each point.
    void drawBars(std::span<const plot::Bar> bars, std::uint32_t colour);
    void drawLevel(double value, std::uint32_t colour, Qt::PenStyle style, int width = 1);
    void drawPosition(double x, std::uint32_t colour, Qt::PenStyle style, int width = 1);
    void drawMarks(plot::PlotRows points, std::uint32_t colour);
    // The markers and channel marks on `rows`, shown over the picture without drawing it again.
    void showMarkers(plot::PlotRows rows, const plot::MarkerPair& pair, const std::vector<plot::ChannelMarks>& channels,
                     const QString& unit, int language);
    // The mask layer over the trace: each of `lines` (rows of nm, dB) in `lineColour`, two pixels
    // wide, and a cross in `markColour` on each of the trace's points beyond them.
    void drawMask(const std::vector<std::vector<std::array<float, 2>>>& lines, plot::PlotRows violations,
                  std::uint32_t lineColour, std::uint32_t markColour);
    // One line per entry in its colour, in the picture's top right corner; hidden when empty.
    void showLegend(const std::vector<LegendEntry>& entries);

private:
    PlotSurface& picture_;
    FrameLabels labels_;
    const QWidget& window_;
    plot::PictureGeometry geometry_;
    plot::AxesText axes_;
    plot::Range range_;
};
