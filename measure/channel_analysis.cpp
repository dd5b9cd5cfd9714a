#include "measure/channel_analysis.h"

#include "core/shared_state.h"
#include "core/numeric_text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr int kHalfWindow = 5;         // the moving mean spans 2 * 5 + 1 points
constexpr int kStepSpan = 100;         // the nominal step is taken over the first 100 steps
constexpr double kReflectionHalfWidthNm = 10.0;
constexpr double kCandidateRangeDb = 5.0;  // a peak must lie within 5 dB of the maximum
constexpr double kPeakDipDb = 1.0;         // ...and stand out by more than 1 dB
constexpr double kSideMarginDb = 5.0;      // a side is valid once it falls N + 5 dB

// The spectrum as the analysis sees it: points 0..last, smoothed values and the extremes.
struct Prepared {
    std::span<const float> wl;
    std::span<const float> v;
    int last = 0;
    std::vector<float> smoothed;
    double maximum = -1e7;
    double minimum = 1e8;
    int minimumIndex = 0;  // from the central range only
    double step = 0.0;
    double n = 0.0;

    double at(int i) const { return v[static_cast<std::size_t>(i)]; }
    double wlAt(int i) const { return wl[static_cast<std::size_t>(i)]; }
    float smoothAt(int i) const { return smoothed[static_cast<std::size_t>(i)]; }
};

double meanOf(std::span<const float> v, int first, int last)
{
    double sum = 0.0;
    for (int i = first; i <= last; ++i) sum += v[static_cast<std::size_t>(i)];
    return sum / static_cast<double>(last - first + 1);
}

void findExtremes(Prepared& p)
{
    for (int i = kHalfWindow; i <= p.last - kHalfWindow; ++i) {
        p.maximum = std::max(p.maximum, p.at(i));
        if (p.at(i) < p.minimum) {
            p.minimum = p.at(i);
            p.minimumIndex = i;
        }
    }
    for (int k = 0; k < kHalfWindow; ++k) {
        for (int i : {k, p.last - k}) {
            p.maximum = std::max(p.maximum, p.at(i));
            p.minimum = std::min(p.minimum, p.at(i));
        }
    }
}

double edgeWavelength(const Prepared& p, int at, int towards, double level)
{
    return ::edgeWavelength(p.wl, p.v, p.step, at, towards, level);
}

ChannelRow rowFrom(double lower, double upper, double top)
{
    return {static_cast<float>((lower + upper) * 0.5), static_cast<float>(upper - lower), static_cast<float>(top)};
}

// The highest raw value within ±10 nm of the dip. The window is walked with a real-valued counter
// whose value is rounded half-to-even to a point index, as the bench has always done it.
double reflectionTop(const Prepared& p)
{
    const double halfWidthPoints = kReflectionHalfWidthNm / p.step;  // ±inf for a zero step
    double from = p.minimumIndex - halfWidthPoints;
    double to = p.minimumIndex + halfWidthPoints;
    if (!(from > 0.0)) from = 0.0;  // also catches a step that is not a number
    if (!(to < p.last)) to = p.last;
    double top = -1e8;
    for (double c = from; c <= to; c += 1.0) {
        const int i = std::clamp(static_cast<int>(std::nearbyint(c)), 0, p.last);
        top = std::max(top, p.at(i));
    }
    return top;
}

// Walks from the dip towards one end until the spectrum comes back within N of the top;
// -1 when it never does.
int reflectionEdge(const Prepared& p, double top, int direction)
{
    double previous = 0.0;
    for (int i = p.minimumIndex; i >= 0 && i <= p.last; i += direction) {
        const double d = top - p.at(i);
        if (d <= p.n && previous > p.n) return i;
        previous = d;
    }
    return -1;
}

void analyseReflection(const Prepared& p, ChannelAnalysis& out)
{
    out.update = ResultsUpdate::Cleared;
    const double top = reflectionTop(p);
    const int lo = reflectionEdge(p, top, -1);
    const int hi = reflectionEdge(p, top, +1);
    if (lo <= 0 || hi <= 0) return;
    const double level = top - p.n;
    const double lower = edgeWavelength(p, lo, lo + 1, level);
    const double upper = edgeWavelength(p, hi, hi - 1, level);
    out.channels.push_back(rowFrom(lower, upper, top));
}

// Smoothed local maxima within 5 dB of the maximum, each accepted only when the raw spectrum dips
// by more than 1 dB between it and the previously accepted peak (or the start).
std::vector<int> findPeaks(const Prepared& p)
{
    std::vector<int> peaks;
    double lowestSincePeak = p.at(0);  // lowest raw value from the previous peak up to i
    for (int i = 1; i <= p.last - 1; ++i) {
        lowestSincePeak = std::min(lowestSincePeak, p.at(i));
        const bool candidate = p.maximum - p.at(i) <= kCandidateRangeDb && p.smoothAt(i - 1) <= p.smoothAt(i)
                               && p.smoothAt(i) > p.smoothAt(i + 1);
        if (candidate && p.at(i) - lowestSincePeak > kPeakDipDb) {
            peaks.push_back(i);
            lowestSincePeak = p.at(i);
        }
    }
    return peaks;
}

struct Side {
    bool valid = false;
    int edge = -1;  // the point inside the band next to the N dB crossing; -1 if none was seen
};

// Walks from the peak to `boundary` (inclusive) one point at a time in `direction`. Every crossing
// of the N dB level records the point just inside it (the last crossing before the stop wins);
// the side is valid once the spectrum has fallen more than N + 5 dB.
Side walkSide(const Prepared& p, int peak, int boundary, int direction)
{
    Side side;
    side.edge = sideEdge(p.v, peak, boundary, direction, p.n, &side.valid);
    return side;
}

void analyseTransmission(const Prepared& p, ChannelAnalysis& out)
{
    const std::vector<int> peaks = findPeaks(p);
    if (peaks.empty()) return;
    out.update = ResultsUpdate::Replaced;
    for (std::size_t m = 0; m < peaks.size(); ++m) {
        const int peak = peaks[m];
        const int leftBoundary = m == 0 ? 0 : peaks[m - 1];
        const int rightBoundary = m + 1 == peaks.size() ? p.last : peaks[m + 1];
        const Side left = walkSide(p, peak, leftBoundary, -1);
        if (!left.valid) continue;
        const Side right = walkSide(p, peak, rightBoundary, +1);
        // With N <= 0 a side can fall away without any recorded crossing: no edge, no channel.
        if (!right.valid || left.edge < 0 || right.edge < 0) continue;
        const double top = p.at(peak);
        const double level = top - p.n;
        const double lower = edgeWavelength(p, left.edge, left.edge - 1, level);
        const double upper = edgeWavelength(p, right.edge, right.edge + 1, level);
        out.channels.push_back(rowFrom(lower, upper, top));
        out.spans.push_back({peak, leftBoundary, rightBoundary});
    }
}

}  // namespace

double edgeWavelength(std::span<const float> wavelengths, std::span<const float> values, double step, int at,
                      int towards, double level)
{
    const auto i = static_cast<std::size_t>(at);
    const double here = values[i];
    const double rise = values[static_cast<std::size_t>(towards)] - here;
    if (rise == 0.0) return wavelengths[i];
    const double sign = towards > at ? 1.0 : -1.0;
    return wavelengths[i] + sign * (level - here) * step / rise;
}

int sideEdge(std::span<const float> values, int peak, int boundary, int direction, double down, bool* fellAway)
{
    const auto value = [&](int i) { return static_cast<double>(values[static_cast<std::size_t>(i)]); };
    const double top = value(peak);
    int edge = -1;
    bool fell = false;
    for (int j = peak; direction < 0 ? j >= boundary : j <= boundary; j += direction) {
        const double a = top - value(j);
        const double b = top - value(j - direction);
        if (a >= down && b <= down) edge = j - direction;
        if (a > down + kSideMarginDb) {
            fell = true;
            break;
        }
    }
    if (fellAway) *fellAway = fell;
    return edge;
}

double downLevelFromText(const QString& text8) { return -leadingNumber(text8); }

double nominalStep(std::span<const float> wavelengths)
{
    if (wavelengths.size() <= static_cast<std::size_t>(kStepSpan)) return 0.0;
    const double raw = (static_cast<double>(wavelengths[kStepSpan]) - wavelengths[0]) * 0.01;
    return std::nearbyint(raw * 1e4) / 1e4;
}

std::vector<float> smoothSpectrum(std::span<const float> values, int lastIndex)
{
    const int last = std::min(lastIndex, static_cast<int>(values.size()) - 1);
    if (last < 0) return {};
    std::vector<float> s(values.begin(), values.begin() + last + 1);
    if (last < 2 * kHalfWindow) return s;
    for (int i = kHalfWindow; i <= last - kHalfWindow; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<float>(meanOf(values, i - kHalfWindow, i + kHalfWindow));
    for (int k = 0; k < kHalfWindow; ++k) {
        s[static_cast<std::size_t>(k)] = static_cast<float>(meanOf(values, 0, k));
        s[static_cast<std::size_t>(last - k)] = static_cast<float>(meanOf(values, last - k, last));
    }
    return s;
}

ChannelAnalysis analyseChannels(std::span<const float> wavelengths, std::span<const float> values, int lastIndex,
                                int channelSelect, double downLevel)
{
    ChannelAnalysis out;
    if (channelSelect == 0) out.kind = ChannelKind::Reflection;
    else if (channelSelect == 1) out.kind = ChannelKind::Transmission;
    else return out;

    const int available = static_cast<int>(std::min(wavelengths.size(), values.size())) - 1;
    const int last = std::min(lastIndex, available);
    // The nominal step reads point 100; a shorter spectrum, or a level that is not a number,
    // has no channel to offer.
    if (last < kStepSpan || !std::isfinite(downLevel)) return out;

    Prepared p;
    p.wl = wavelengths;
    p.v = values;
    p.last = last;
    p.n = downLevel;
    p.step = nominalStep(wavelengths);
    p.smoothed = smoothSpectrum(values, last);
    findExtremes(p);

    if (out.kind == ChannelKind::Reflection) analyseReflection(p, out);
    else analyseTransmission(p, out);
    return out;
}

void storeChannelResults(ResultsState& s, const ChannelAnalysis& analysis)
{
    auto& rows = s.ChannelResults;
    switch (analysis.update) {
    case ResultsUpdate::Keep:
        break;
    case ResultsUpdate::Cleared:
        std::fill(rows.begin(), rows.end(), std::array<float, 3>{});
        if (!analysis.channels.empty()) rows.resize(analysis.channels.size() + 1);
        break;
    case ResultsUpdate::Replaced:
        rows.assign(analysis.channels.size() + 1, std::array<float, 3>{});
        break;
    }
    if (analysis.update != ResultsUpdate::Keep) {
        for (std::size_t i = 0; i < analysis.channels.size(); ++i) {
            const ChannelRow& c = analysis.channels[i];
            rows[i + 1] = {c.center, c.bandwidth, c.peak};
        }
    }
    s.ChannelCount = static_cast<std::int32_t>(analysis.channels.size());
}
