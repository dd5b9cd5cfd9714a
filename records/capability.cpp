#include "records/capability.h"

#include <algorithm>
#include <cmath>

namespace stats {

namespace {

// The normal 97.5 % quantile, as Bissell's interval is usually written.
constexpr double kZ975 = 1.96;

// The regularized incomplete gamma function's iterations: near x = a both the series and the
// continued fraction need about √(70a) steps to reach a relative 1e-15, some 3000 for a million
// values; the bound only guards against a loop without end.
constexpr int kMaxTerms = 100000;
constexpr double kEpsilon = 1e-15;
constexpr double kTiny = 1e-300;

// P(a, x), the regularized lower incomplete gamma function: its series below a + 1, one minus the
// continued fraction of its complement above (Lentz's method).
double lowerGammaRatio(double a, double x)
{
    if (x <= 0.0) return 0.0;
    const double prefix = std::exp(a * std::log(x) - x - std::lgamma(a));
    if (x < a + 1.0) {
        double term = 1.0 / a;
        double sum = term;
        for (int n = 1; n < kMaxTerms && std::abs(term) > std::abs(sum) * kEpsilon; ++n) {
            term *= x / (a + n);
            sum += term;
        }
        return sum * prefix;
    }
    double b = x + 1.0 - a;
    double c = 1.0 / kTiny;
    double d = 1.0 / b;
    double fraction = d;
    for (int i = 1; i < kMaxTerms; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        c = b + an / c;
        d = 1.0 / (std::abs(d) < kTiny ? kTiny : d);
        c = std::abs(c) < kTiny ? kTiny : c;
        fraction *= d * c;
        if (std::abs(d * c - 1.0) < kEpsilon) break;
    }
    return 1.0 - prefix * fraction;
}

struct Indices {
    std::optional<double> spread;  // Cp, Pp
    std::optional<double> upper;   // Cpu, Ppu
    std::optional<double> lower;   // Cpl, Ppl
    std::optional<double> worst;   // Cpk, Ppk
};

Indices indices(double mean, std::optional<double> sigma, const SpecLimits& limits)
{
    Indices r;
    if (!sigma || *sigma <= 0.0) return r;
    if (limits.upper) r.upper = (*limits.upper - mean) / (3.0 * *sigma);
    if (limits.lower) r.lower = (mean - *limits.lower) / (3.0 * *sigma);
    if (limits.upper && limits.lower) {
        r.spread = (*limits.upper - *limits.lower) / (6.0 * *sigma);
        r.worst = std::min(*r.upper, *r.lower);
    } else {
        r.worst = limits.upper ? r.upper : r.lower;
    }
    return r;
}

Interval cpkInterval(double cpk, double n)
{
    const double half = kZ975 * std::sqrt(1.0 / (9.0 * n) + cpk * cpk / (2.0 * (n - 1.0)));
    return {cpk - half, cpk + half};
}

Interval cpInterval(double cp, double n)
{
    const double freedom = n - 1.0;
    return {cp * std::sqrt(chiSquareQuantile(0.025, freedom) / freedom),
            cp * std::sqrt(chiSquareQuantile(0.975, freedom) / freedom)};
}

}  // namespace

void extend(Aggregates& a, double x)
{
    if (a.count == 0) a.shift = a.minimum = a.maximum = a.last = x;
    const double d = x - a.shift;
    a.sum += d;
    a.sumSquares += d * d;
    a.minimum = std::min(a.minimum, x);
    a.maximum = std::max(a.maximum, x);
    a.movingRangeSum += std::abs(x - a.last);  // 0 for the first value
    a.last = x;
    ++a.count;
    a.movingRangeCount = a.count - 1;
}

Aggregates summarize(std::span<const double> valuesInTimeOrder)
{
    Aggregates a;
    for (double x : valuesInTimeOrder) extend(a, x);
    return a;
}

void append(Aggregates& a, const Aggregates& later)
{
    if (later.count == 0) return;
    if (a.count == 0) {
        a = later;
        return;
    }
    const double d = later.shift - a.shift;
    const double n = static_cast<double>(later.count);
    a.sumSquares += later.sumSquares + 2.0 * d * later.sum + n * d * d;
    a.sum += later.sum + n * d;
    a.minimum = std::min(a.minimum, later.minimum);
    a.maximum = std::max(a.maximum, later.maximum);
    a.movingRangeSum += later.movingRangeSum + std::abs(later.shift - a.last);
    a.last = later.last;
    a.count += later.count;
    a.movingRangeCount = a.count - 1;
}

Summary describe(const Aggregates& aggregates)
{
    Summary s;
    s.count = aggregates.count;
    if (aggregates.count < 1) return s;
    const auto n = static_cast<double>(aggregates.count);
    s.mean = aggregates.shift + aggregates.sum / n;
    s.minimum = aggregates.minimum;
    s.maximum = aggregates.maximum;
    if (aggregates.count > 1) {
        // Rounding may leave a set without spread a tiny negative sum of squares.
        const double squares = std::max(0.0, aggregates.sumSquares - aggregates.sum * aggregates.sum / n);
        s.overallSigma = std::sqrt(squares / (n - 1.0));
    }
    if (aggregates.movingRangeCount > 0)
        s.withinSigma = aggregates.movingRangeSum / static_cast<double>(aggregates.movingRangeCount) / kD2;
    return s;
}

std::optional<Capability> capability(const Summary& summary, const SpecLimits& limits)
{
    if (!limits.lower && !limits.upper) return std::nullopt;
    Capability c;
    c.provisional = summary.count < kProvisionalBelow;
    if (!summary.mean) return c;
    const Indices within = indices(*summary.mean, summary.withinSigma, limits);
    const Indices overall = indices(*summary.mean, summary.overallSigma, limits);
    c.cp = within.spread;
    c.cpu = within.upper;
    c.cpl = within.lower;
    c.cpk = within.worst;
    c.pp = overall.spread;
    c.ppu = overall.upper;
    c.ppl = overall.lower;
    c.ppk = overall.worst;
    // A within σ needs a moving range, so n is 2 or more wherever an index exists.
    const auto n = static_cast<double>(summary.count);
    if (c.cp) c.cpInterval = cpInterval(*c.cp, n);
    if (c.cpk) c.cpkInterval = cpkInterval(*c.cpk, n);
    return c;
}

double chiSquareQuantile(double p, double degreesOfFreedom)
{
    const double shape = degreesOfFreedom / 2.0;
    double low = 0.0;
    double high = degreesOfFreedom + 1.0;
    while (lowerGammaRatio(shape, high / 2.0) < p) high *= 2.0;
    // Bisection: slow beside Newton's method, but it cannot leave the bracket, and one view asks
    // for two quantiles.
    while (high - low > 1e-12 * high) {
        const double middle = (low + high) / 2.0;
        (lowerGammaRatio(shape, middle / 2.0) < p ? low : high) = middle;
    }
    return (low + high) / 2.0;
}

std::optional<HistogramLayout> histogramLayout(const Summary& summary, const SpecLimits& limits)
{
    if (!summary.minimum || !summary.maximum) return std::nullopt;
    HistogramLayout h;
    h.low = *summary.minimum;
    h.high = *summary.maximum;
    for (const auto& limit : {limits.lower, limits.upper}) {
        if (!limit) continue;
        h.low = std::min(h.low, *limit);
        h.high = std::max(h.high, *limit);
    }
    if (h.high == h.low) {
        h.low -= 0.5;
        h.high += 0.5;
    }
    const auto rootOfCount = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(summary.count))));
    h.bins = std::clamp(rootOfCount, kMinBins, kMaxBins);
    return h;
}

std::optional<int> binOf(const HistogramLayout& layout, double value)
{
    if (!(value >= layout.low && value <= layout.high)) return std::nullopt;
    const auto bin = static_cast<int>(std::floor((value - layout.low) / layout.binWidth()));
    return std::min(bin, layout.bins - 1);
}

std::vector<std::int64_t> histogramCounts(const HistogramLayout& layout, std::span<const double> values)
{
    std::vector<std::int64_t> counts(static_cast<std::size_t>(layout.bins), 0);
    for (double x : values)
        if (const auto bin = binOf(layout, x)) ++counts[static_cast<std::size_t>(*bin)];
    return counts;
}

}  // namespace stats
