#include "verdict/figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace verdict {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr std::array<const char*, kFigureCount> kKeys{
    "center_offset_nm", "center_offset_ghz", "bandwidth",          "bandwidth_level1",   "bandwidth_level2",
    "ripple",           "insertion_loss",    "insertion_loss_min", "insertion_loss_max", "isolation",
    "mask_margin_db"};

struct Trace {
    std::span<const float> wl;
    std::span<const float> v;
    int last = 0;
    double step = 0.0;
};

std::pair<double, double> extremes(const Trace& t, std::pair<int, int> range)
{
    const auto [lo, hi] = std::minmax_element(t.v.begin() + range.first, t.v.begin() + range.second + 1);
    return {*lo, *hi};
}

// Bandwidth `down` dB below the peak, edges found and interpolated as the analysis finds its own.
double bandwidthAt(const Trace& t, const ChannelSpan& span, double down)
{
    const int lo = sideEdge(t.v, span.peak, span.left, -1, down);
    const int hi = sideEdge(t.v, span.peak, span.right, +1, down);
    if (lo <= 0 || hi < 0 || hi >= t.last) return kNaN;
    const double level = t.v[static_cast<std::size_t>(span.peak)] - down;
    return edgeWavelength(t.wl, t.v, t.step, hi, hi + 1, level) - edgeWavelength(t.wl, t.v, t.step, lo, lo - 1, level);
}

bool holdsAnotherChannel(const GridChannel& window, const std::vector<ChannelFigures>& all, std::size_t self)
{
    for (std::size_t i = 0; i < all.size(); ++i)
        if (i != self && all[i].centerNm >= window.windowLowNm && all[i].centerNm <= window.windowHighNm) return true;
    return false;
}

// The peak minus the highest level in the neighbouring grid channels' windows, the worse side;
// NaN when no neighbour window reaches into the trace.
void isolation(const Trace& t, Plan plan, std::vector<ChannelFigures>& all, std::size_t self)
{
    ChannelFigures& f = all[self];
    double worst = kNaN;
    for (int side : {-1, +1}) {
        const std::optional<GridChannel> neighbour = gridChannel(plan, f.grid->index + side);
        if (!neighbour) continue;
        if (holdsAnotherChannel(*neighbour, all, self)) f.isolationShared = true;
        const auto range = pointsInside(t.wl, t.last, neighbour->windowLowNm, neighbour->windowHighNm);
        if (!range) continue;
        const double db = f.peakValue - extremes(t, *range).second;
        worst = std::isnan(worst) ? db : std::min(worst, db);
    }
    f[Figure::Isolation] = f.isolationShared ? kNaN : worst;
}

void windowFigures(const Trace& t, ChannelFigures& f)
{
    const auto range = pointsInside(t.wl, t.last, f.grid->windowLowNm, f.grid->windowHighNm);
    if (!range) return;
    const auto [lowest, highest] = extremes(t, *range);
    f[Figure::Ripple] = highest - lowest;
    f[Figure::InsertionLossMin] = -highest;
    f[Figure::InsertionLossMax] = -lowest;
}

}  // namespace

std::optional<std::pair<int, int>> pointsInside(std::span<const float> wavelengths, int lastIndex, double lowNm,
                                                double highNm)
{
    const auto begin = wavelengths.begin();
    const auto end = wavelengths.begin() + lastIndex + 1;
    const auto first = std::lower_bound(begin, end, lowNm, [](float w, double x) { return w < x; });
    const auto past = std::upper_bound(first, end, highNm, [](double x, float w) { return x < w; });
    if (first == past) return std::nullopt;
    return std::pair{static_cast<int>(first - begin), static_cast<int>(past - begin) - 1};
}

QString figureKey(Figure figure) { return QString::fromLatin1(kKeys[static_cast<std::size_t>(figure)]); }

std::optional<Figure> figureFromKey(const QString& key)
{
    for (Figure f : kFigures)
        if (key == figureKey(f)) return f;
    return std::nullopt;
}

std::vector<ChannelFigures> measureFigures(std::span<const float> wavelengths, std::span<const float> values,
                                           int lastIndex, const ChannelAnalysis& analysis, Plan plan,
                                           FigureLevels levels)
{
    const int available = static_cast<int>(std::min(wavelengths.size(), values.size())) - 1;
    const Trace t{wavelengths, values, std::min(lastIndex, available), nominalStep(wavelengths)};
    std::vector<ChannelFigures> all(analysis.channels.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const ChannelRow& row = analysis.channels[i];
        ChannelFigures& f = all[i];
        f.values.fill(kNaN);
        f.centerNm = row.center;
        f.peakValue = row.peak;
        f[Figure::Bandwidth] = row.bandwidth;
        f[Figure::InsertionLoss] = -static_cast<double>(row.peak);
        f.grid = nearestGridChannel(plan, row.center);
        if (f.grid) {
            f[Figure::OffsetNm] = f.centerNm - f.grid->wavelengthNm;
            f[Figure::OffsetGhz] = (kLightSpeedNmThz / f.centerNm - f.grid->frequencyThz) * 1000.0;
        }
        if (i < analysis.spans.size()) {
            f[Figure::BandwidthLevel1] = bandwidthAt(t, analysis.spans[i], levels.level1Db);
            f[Figure::BandwidthLevel2] = bandwidthAt(t, analysis.spans[i], levels.level2Db);
            if (f.grid) windowFigures(t, f);
        }
    }
    if (analysis.kind == ChannelKind::Transmission)
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].grid) isolation(t, plan, all, i);
    return all;
}

}  // namespace verdict
