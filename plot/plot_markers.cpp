#include "plot/plot_markers.h"

#include "core/texts.h"

#include <algorithm>
#include <cmath>

namespace plot {

namespace {

// Three decimals, as the results table shows its figures; a value that rounds to zero has no sign.
QString figure(double value)
{
    QString text = QString::number(value, 'f', 3);
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0.0) text.remove(0, 1);
    return text;
}

bool drawable(const Viewport& v)
{
    return v.range.xMin != v.range.xMax && v.range.yMin != static_cast<double>(v.range.yMax) && v.width != 0.0F
           && v.height != 0;
}

}  // namespace

double wavelengthAtX(const Range& r, float width, double xTwips)
{
    return r.xMin + (r.xMax - r.xMin) * xTwips / width;
}

std::optional<std::size_t> nearestRow(PlotRows rows, double wavelength)
{
    if (rows.empty()) return std::nullopt;
    const auto above = std::lower_bound(rows.begin(), rows.end(), wavelength,
                                        [](const std::array<float, 2>& row, double wl) { return row[0] < wl; });
    if (above == rows.begin()) return 0;
    const auto below = std::prev(above);
    const auto index = static_cast<std::size_t>(below - rows.begin());
    if (above == rows.end()) return index;
    return wavelength - (*below)[0] <= (*above)[0] - wavelength ? index : index + 1;
}

std::optional<float> traceValueAt(PlotRows rows, double wavelength)
{
    if (rows.empty()) return std::nullopt;
    if (wavelength <= rows.front()[0]) return rows.front()[1];
    if (wavelength >= rows.back()[0]) return rows.back()[1];
    const auto above = std::lower_bound(rows.begin(), rows.end(), wavelength,
                                        [](const std::array<float, 2>& row, double wl) { return row[0] < wl; });
    const auto& hi = *above;
    const auto& lo = *std::prev(above);
    if (hi[0] == lo[0]) return hi[1];
    const double t = (wavelength - lo[0]) / (static_cast<double>(hi[0]) - lo[0]);
    return static_cast<float>(lo[1] + t * (static_cast<double>(hi[1]) - lo[1]));
}

Marker markerOn(PlotRows rows, std::size_t row) { return {row, rows[row][0]}; }

std::optional<std::size_t> markerRow(PlotRows rows, const Marker& m)
{
    if (m.row < rows.size() && rows[m.row][0] == m.wavelength) return m.row;
    return nearestRow(rows, m.wavelength);
}

Marker stepMarker(PlotRows rows, const Marker& m, int steps)
{
    const auto last = static_cast<std::ptrdiff_t>(rows.size()) - 1;
    const auto from = static_cast<std::ptrdiff_t>(markerRow(rows, m).value_or(0));
    return markerOn(rows, static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(from + steps, 0, last)));
}

int markerForClick(const MarkerPair& pair, double wavelength)
{
    if (!pair.markers[0]) return 0;
    if (!pair.markers[1]) return 1;
    const double d0 = std::abs(wavelength - pair.markers[0]->wavelength);
    const double d1 = std::abs(wavelength - pair.markers[1]->wavelength);
    if (d0 == d1) return pair.active;
    return d0 < d1 ? 0 : 1;
}

std::optional<MarkerReading> markerReading(PlotRows rows, const std::optional<Marker>& m)
{
    if (!m) return std::nullopt;
    const std::optional<std::size_t> row = markerRow(rows, *m);
    if (!row) return std::nullopt;
    return MarkerReading{rows[*row][0], rows[*row][1]};
}

QString valueUnit(bool alignModeTicked, bool vxmScanModeTicked)
{
    return alignModeTicked && !vxmScanModeTicked ? QStringLiteral("dBm") : QStringLiteral("dB");
}

QString markerText(int number, const std::optional<MarkerReading>& reading, const QString& unit, int language)
{
    if (!reading) return textIn("markers.unplaced", language).arg(number);
    return textIn("markers.reading", language)
        .arg(number)
        .arg(figure(reading->wavelength), figure(reading->value), unit);
}

QString differenceText(const std::optional<MarkerReading>& first, const std::optional<MarkerReading>& second,
                       int language)
{
    if (!first || !second) return {};
    return textIn("markers.difference", language)
        .arg(figure(second->wavelength - first->wavelength), figure(second->value - first->value));
}

std::vector<ChannelMarks> channelMarks(std::span<const std::array<float, 3>> results, int count)
{
    std::vector<ChannelMarks> marks;
    const auto last = std::min(static_cast<std::size_t>(std::max(count, 0)) + 1, results.size());
    for (std::size_t i = 1; i < last; ++i) {
        const auto& row = results[i];
        if (row[0] < 1.0F) continue;  // the table skips such a row and numbers on without it
        const double half = row[1] * 0.5;
        marks.push_back({static_cast<int>(marks.size()) + 1, row[0], row[0] - half, row[0] + half});
    }
    return marks;
}

MarkerLayer markerLayer(PlotRows rows, const Viewport& view, const MarkerPair& pair,
                        const std::vector<ChannelMarks>& channels, const QString& unit, int language)
{
    MarkerLayer layer;
    if (rows.empty() || !drawable(view)) return layer;
    const PixelMap map(view);
    const auto onTrace = [&](double wavelength) {
        return map(static_cast<float>(wavelength), *traceValueAt(rows, wavelength));
    };
    for (const ChannelMarks& c : channels) {
        layer.push_back({GlyphKind::ChannelEdge, onTrace(c.lower), {}, false});
        layer.push_back({GlyphKind::ChannelEdge, onTrace(c.upper), {}, false});
        layer.push_back({GlyphKind::ChannelCenter, onTrace(c.center), QString::number(c.number), false});
    }
    for (int i = 0; i < 2; ++i) {
        const std::optional<MarkerReading> reading = markerReading(rows, pair.markers[i]);
        if (!reading) continue;
        layer.push_back({i == 0 ? GlyphKind::FirstMarker : GlyphKind::SecondMarker,
                         map(static_cast<float>(reading->wavelength), static_cast<float>(reading->value)),
                         markerText(i + 1, reading, unit, language), pair.active == i});
    }
    return layer;
}

}  // namespace plot
