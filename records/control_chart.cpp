#include "records/control_chart.h"

#include <cmath>

namespace stats {

namespace {

constexpr int kRunLength = 8;

// Where a point lies: its side of the centre (-1, 0 on the line, +1) and how many of the 1σ, 2σ
// and 3σ lines it is strictly beyond.
struct Zone {
    int side = 0;
    int beyond = 0;
};

Zone zoneOf(double value, const ControlLines& lines)
{
    const double deviation = value - lines.centre;
    Zone z;
    z.side = (deviation > 0.0) - (deviation < 0.0);
    while (z.beyond < 3 && std::abs(deviation) > (z.beyond + 1) * lines.sigma) ++z.beyond;
    return z;
}

// Whether point i, beyond `sigmas` σ itself, makes `needed` such points on its side among the
// last `window` points.
bool completes(const std::vector<Zone>& zones, std::size_t i, int sigmas, std::size_t window, int needed)
{
    const Zone& last = zones[i];
    if (last.beyond < sigmas) return false;
    const std::size_t first = i + 1 > window ? i + 1 - window : 0;
    int count = 0;
    for (std::size_t j = first; j <= i; ++j)
        if (zones[j].side == last.side && zones[j].beyond >= sigmas) ++count;
    return count >= needed;
}

}  // namespace

std::optional<ControlLines> controlLines(const Summary& summary)
{
    if (!summary.mean || !summary.withinSigma) return std::nullopt;
    return ControlLines{*summary.mean, *summary.withinSigma};
}

std::vector<RuleMarks> ruleMarks(std::span<const double> valuesInTimeOrder, const ControlLines& lines)
{
    std::vector<Zone> zones;
    zones.reserve(valuesInTimeOrder.size());
    for (double x : valuesInTimeOrder) zones.push_back(zoneOf(x, lines));

    std::vector<RuleMarks> marks(zones.size());
    int run = 0;  // consecutive points on this point's side, itself included
    int previousSide = 0;
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const int side = zones[i].side;
        run = side == 0 ? 0 : (side == previousSide ? run + 1 : 1);
        previousSide = side;
        RuleMarks m = 0;
        if (zones[i].beyond == 3) m |= OneBeyondThree;
        if (completes(zones, i, 2, 3, 2)) m |= TwoOfThreeBeyondTwo;
        if (completes(zones, i, 1, 5, 4)) m |= FourOfFiveBeyondOne;
        if (run >= kRunLength) m |= EightOnOneSide;
        marks[i] = m;
    }
    return marks;
}

}  // namespace stats
