#pragma once
// The run chart of one figure as an individuals control chart: centre line at the mean, zones of
// the within σ, and the points that break the four Western Electric rules.

#include "records/capability.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace stats {

struct ControlLines {
    double centre = 0.0;
    double sigma = 0.0;

    double lowerLimit() const { return centre - 3.0 * sigma; }
    double upperLimit() const { return centre + 3.0 * sigma; }
};

// Centre = mean, σ = within σ; none without a moving range.
std::optional<ControlLines> controlLines(const Summary& summary);

// The rules a point breaks, one bit each.
enum Rule : std::uint8_t {
    OneBeyondThree = 1,        // one point beyond 3σ
    TwoOfThreeBeyondTwo = 2,   // two of three consecutive points beyond 2σ on the same side
    FourOfFiveBeyondOne = 4,   // four of five consecutive points beyond 1σ on the same side
    EightOnOneSide = 8,        // eight consecutive points on the same side of the centre
};
using RuleMarks = std::uint8_t;

// For each value, the rules it breaks. A point is marked where it completes a pattern, and only
// there: it is itself one of the pattern's points beyond the zone, on the pattern's side, and the
// window ending at it (the last three, five or eight points, fewer at the start of the series)
// holds enough of them. Every later point that keeps the pattern going is marked again; the
// earlier points of the pattern are not, since they had not broken the rule when they came.
// "Beyond" is strictly beyond: a point exactly on a zone line is inside, and a point exactly on
// the centre line is on neither side and ends a run.
std::vector<RuleMarks> ruleMarks(std::span<const double> valuesInTimeOrder, const ControlLines& lines);

}  // namespace stats
