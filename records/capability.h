#pragma once
// Capability of one figure of one channel over a set of records: the aggregates the store's SQL
// sums (or summarize() over a plain list), the mean, the overall and the within σ, Cp/Cpk and
// Pp/Ppk against the recipe's limits with their 95 % intervals, and the histogram's bins. Plain
// numbers in, plain numbers out; a figure that cannot be computed is absent, never NaN.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace stats {

// What one pass over a figure's values gives, the values taken in time order for the moving
// ranges. The sums are of x − shift, where shift is the first value in time order: with
// 1271.004 nm figures varying by picometres, Σx² − n·mean² would lose the digits σ is made of,
// while the shifted sums keep them whatever value of the set the shift is.
//   SQL: FIRST_VALUE(x) and x − LAG(x) over the values in time order, then
//   COUNT(x), SUM(x − shift), SUM((x − shift)²), MIN(x), MAX(x), SUM(ABS(step)), COUNT(step).
struct Aggregates {
    std::int64_t count = 0;
    double shift = 0.0;
    double sum = 0.0;                   // Σ(x − shift)
    double sumSquares = 0.0;            // Σ(x − shift)²
    double minimum = 0.0;
    double maximum = 0.0;
    double movingRangeSum = 0.0;        // Σ|x_i − x_(i−1)| over consecutive values
    std::int64_t movingRangeCount = 0;  // count − 1 for one series
    double last = 0.0;                  // the latest value, where the next moving range starts
};

// Adds the next value in time order; the first becomes the shift.
void extend(Aggregates& a, double x);
Aggregates summarize(std::span<const double> valuesInTimeOrder);
// Adds the sums of a run of values that follows a's in time, its shift being its first value:
// the sums of both runs as one.
void append(Aggregates& a, const Aggregates& later);

// d2 of a moving range of two values: the within σ is the mean moving range / d2.
inline constexpr double kD2 = 1.128;

struct Summary {
    std::int64_t count = 0;
    std::optional<double> mean;          // one value or more
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::optional<double> overallSigma;  // the sample σ (n − 1): two values or more
    std::optional<double> withinSigma;   // one moving range or more
};

Summary describe(const Aggregates& aggregates);

// The recipe's bounds on the figure; either may be missing.
struct SpecLimits {
    std::optional<double> lower;
    std::optional<double> upper;
};

struct Interval {
    double low = 0.0;
    double high = 0.0;
};

// Below this many values the capability is shown as provisional.
inline constexpr std::int64_t kProvisionalBelow = 30;

// Cp = (USL − LSL)/6σ, Cpu = (USL − mean)/3σ, Cpl = (mean − LSL)/3σ, Cpk = the smaller of Cpu and
// Cpl, or the only one with a single limit, where Cp is absent. The C indices use the within σ,
// the P indices the overall σ; an index whose σ is absent or 0 is absent.
struct Capability {
    std::optional<double> cp;
    std::optional<double> cpu;
    std::optional<double> cpl;
    std::optional<double> cpk;
    std::optional<double> pp;
    std::optional<double> ppu;
    std::optional<double> ppl;
    std::optional<double> ppk;
    std::optional<Interval> cpInterval;   // 95 %, from the chi-square distribution
    std::optional<Interval> cpkInterval;  // 95 %, Bissell's approximation
    bool provisional = false;             // fewer than kProvisionalBelow values
};

// None without any limit.
std::optional<Capability> capability(const Summary& summary, const SpecLimits& limits);

// The p quantile of the chi-square distribution with `degreesOfFreedom` (> 0), 0 < p < 1, to
// about 1e-10 relative.
double chiSquareQuantile(double p, double degreesOfFreedom);

// Equal bins from the lowest to the highest of the data and the limits, so that the limit lines
// and every value fit: ceil(√n) of them, at least kMinBins and at most kMaxBins. A set without
// spread (all values and limits equal) gets bins one unit wide in all, centred on the value.
// Each bin holds its lower edge; the last also its upper.
inline constexpr int kMinBins = 5;
inline constexpr int kMaxBins = 30;

struct HistogramLayout {
    double low = 0.0;
    double high = 1.0;
    int bins = kMinBins;

    double binWidth() const { return (high - low) / bins; }
    double edge(int i) const { return low + (high - low) * i / bins; }
};

// None for an empty set.
std::optional<HistogramLayout> histogramLayout(const Summary& summary, const SpecLimits& limits);
// The bin holding `value`; none outside the layout.
std::optional<int> binOf(const HistogramLayout& layout, double value);
std::vector<std::int64_t> histogramCounts(const HistogramLayout& layout, std::span<const double> values);

}  // namespace stats
