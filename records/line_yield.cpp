#include "records/line_yield.h"

#include <QHash>

#include <algorithm>
#include <map>
#include <utility>

namespace stats {

namespace {

struct DeviceVerdicts {
    bool firstPassed = false;
    bool lastPassed = false;
};

}  // namespace

Judgement judgementOf(const QString& verdict)
{
    if (verdict == QLatin1String("PASS") || verdict == QLatin1String("MARGINAL")) return Judgement::Pass;
    if (verdict == QLatin1String("FAIL")) return Judgement::Fail;
    return Judgement::NotJudged;
}

Yield yieldFromCounts(std::int64_t tested, std::int64_t passedFirst, std::int64_t passed)
{
    Yield y{tested, passedFirst, passed, std::nullopt, std::nullopt};
    if (tested > 0) {
        y.firstPassYield = static_cast<double>(passedFirst) / static_cast<double>(tested);
        y.finalYield = static_cast<double>(passed) / static_cast<double>(tested);
    }
    return y;
}

Yield yieldOf(std::span<const JudgedRecord> recordsInTimeOrder)
{
    QHash<QString, DeviceVerdicts> devices;
    std::int64_t anonymousTested = 0;
    std::int64_t anonymousPassed = 0;
    for (const JudgedRecord& r : recordsInTimeOrder) {
        const Judgement j = judgementOf(r.verdict);
        if (j == Judgement::NotJudged) continue;
        const bool pass = j == Judgement::Pass;
        if (r.deviceId.isEmpty()) {
            ++anonymousTested;
            anonymousPassed += pass ? 1 : 0;
            continue;
        }
        const auto found = devices.find(r.deviceId);
        if (found == devices.end()) devices.insert(r.deviceId, {pass, pass});
        else found->lastPassed = pass;
    }
    std::int64_t passedFirst = anonymousPassed;
    std::int64_t passed = anonymousPassed;
    for (const DeviceVerdicts& d : std::as_const(devices)) {
        passedFirst += d.firstPassed ? 1 : 0;
        passed += d.lastPassed ? 1 : 0;
    }
    return yieldFromCounts(static_cast<std::int64_t>(devices.size()) + anonymousTested, passedFirst, passed);
}

std::vector<ParetoBar> pareto(std::span<const FailureCount> failures)
{
    // The map's order, figure key then channel, is the order of equal counts.
    std::map<std::pair<QString, int>, std::int64_t> counts;
    std::int64_t total = 0;
    for (const FailureCount& f : failures) {
        if (f.count <= 0) continue;
        counts[{f.figure, f.channel}] += f.count;
        total += f.count;
    }
    std::vector<ParetoBar> bars;
    bars.reserve(counts.size());
    for (const auto& [key, count] : counts) bars.push_back({key.first, key.second, count, 0.0});
    std::stable_sort(bars.begin(), bars.end(), [](const ParetoBar& a, const ParetoBar& b) { return a.count > b.count; });
    std::int64_t cumulative = 0;
    for (ParetoBar& bar : bars) {
        cumulative += bar.count;
        bar.cumulativePercent = 100.0 * static_cast<double>(cumulative) / static_cast<double>(total);
    }
    return bars;
}

}  // namespace stats
