#pragma once
// The plot's markers, free of widgets: two markers the operator places on data points of the
// trace, their readings and difference, the automatic marks at each analysed channel's center and
// edges, and where all of them fall in the picture. Positions in pixels come from the same mapping
// as the trace's, so a marker sits on its point's pixel through every zoom and pan.

#include "plot/plot_math.h"

#include <QPoint>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace plot {

// The wavelength under picture x (twips).
double wavelengthAtX(const Range& r, float width, double xTwips);

// The row whose wavelength is nearest `wavelength`; a tie goes to the lower row. None without rows.
std::optional<std::size_t> nearestRow(PlotRows rows, double wavelength);

// The trace's value at `wavelength`: linear between the rows around it, the end row's value
// beyond either end. None without rows.
std::optional<float> traceValueAt(PlotRows rows, double wavelength);

// A placed marker: the row it sits on and that row's wavelength, by which it finds its point again
// when a new trace arrives.
struct Marker {
    std::size_t row = 0;
    float wavelength = 0.0F;
};

// The marker on `row` (which must exist).
Marker markerOn(PlotRows rows, std::size_t row);
// The row the marker sits on: its own while that row still has its wavelength, else the row
// nearest its wavelength. None without rows.
std::optional<std::size_t> markerRow(PlotRows rows, const Marker& m);
// The marker moved by `steps` rows, stopping at the first and last row (rows must not be empty).
Marker stepMarker(PlotRows rows, const Marker& m, int steps);

struct MarkerPair {
    std::array<std::optional<Marker>, 2> markers;
    int active = 0;  // 0 the first marker, 1 the second
};

// Which marker a click at `wavelength` places: the first while it is not placed, then the second,
// then whichever is nearer the click (a tie keeps the active one).
int markerForClick(const MarkerPair& pair, double wavelength);

struct MarkerReading {
    double wavelength = 0.0;  // nm
    double value = 0.0;       // dBm or dB
};
std::optional<MarkerReading> markerReading(PlotRows rows, const std::optional<Marker>& m);

// The value's unit: dBm for a laser power spectrum (align mode alone), dB otherwise.
QString valueUnit(bool alignModeTicked, bool vxmScanModeTicked);
// "M1: 1532.000 nm, -4.123 dB", or "M1: -" when not placed, in `language`.
QString markerText(int number, const std::optional<MarkerReading>& reading, const QString& unit, int language);
// The second marker less the first in wavelength and value; empty while either is missing.
QString differenceText(const std::optional<MarkerReading>& first, const std::optional<MarkerReading>& second,
                       int language);

// A shown channel of the analysis (rows 1..count of the results whose center is at least 1 nm,
// numbered as the results table numbers them): its center and its edges, center -/+ half the
// bandwidth.
struct ChannelMarks {
    int number = 0;
    float center = 0.0F;
    double lower = 0.0;
    double upper = 0.0;
};
std::vector<ChannelMarks> channelMarks(std::span<const std::array<float, 3>> results, int count);

enum class GlyphKind { FirstMarker, SecondMarker, ChannelCenter, ChannelEdge };
struct MarkerGlyph {
    GlyphKind kind = GlyphKind::FirstMarker;
    QPoint at;       // picture pixels
    QString label;   // beside the glyph; may be empty
    bool active = false;
};
// What the marker layer shows over the trace: channel marks first, then the placed markers.
using MarkerLayer = std::vector<MarkerGlyph>;

// The layer for the markers and channels on the trace; empty for a degenerate range or no rows.
// Channel marks sit on the trace at their wavelengths.
MarkerLayer markerLayer(PlotRows rows, const Viewport& view, const MarkerPair& pair,
                        const std::vector<ChannelMarks>& channels, const QString& unit, int language);

}  // namespace plot
