#pragma once
// The line's yield over a set of records and the Pareto of its failing figures. The store's SQL
// gives the counts; the functions over plain lists are the reference the SQL is held to.

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace stats {

enum class Judgement { NotJudged, Pass, Fail };

// The record's verdict column: "PASS" and "MARGINAL" pass, "FAIL" fails, anything else (empty:
// no limits were loaded) is not judged.
Judgement judgementOf(const QString& verdict);

struct JudgedRecord {
    QString deviceId;  // empty when none was typed
    QString verdict;
};

struct Yield {
    std::int64_t tested = 0;       // devices with a judged record
    std::int64_t passedFirst = 0;  // devices whose first judged record passed
    std::int64_t passed = 0;       // devices whose last judged record passed
    std::optional<double> firstPassYield;  // passedFirst / tested, 0..1; none when nothing was tested
    std::optional<double> finalYield;      // passed / tested
};

Yield yieldFromCounts(std::int64_t tested, std::int64_t passedFirst, std::int64_t passed);

// Records in time order, grouped into devices by their exact device ID. A record without one is a
// device of its own (SQL: COALESCE(NULLIF(device_id, ''), '#' || id)): it was a part on the bench,
// and dropping it would hide its verdict from the yield. Records not judged are left out.
Yield yieldOf(std::span<const JudgedRecord> recordsInTimeOrder);

struct FailureCount {
    QString figure;  // the figure's key, as the figures JSON names it
    int channel = 0;
    std::int64_t count = 0;
};

struct ParetoBar {
    QString figure;
    int channel = 0;
    std::int64_t count = 0;
    double cumulativePercent = 0.0;  // of all failures, this bar and those before it
};

// Bars by falling count; equal counts by figure key, then channel, ascending. Entries naming the
// same figure and channel are added up, so the SQL's GROUP BY rows and a plain list of single
// failures give the same chart; zero counts give no bar.
std::vector<ParetoBar> pareto(std::span<const FailureCount> failures);

}  // namespace stats
