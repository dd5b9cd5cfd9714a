#pragma once
// Traceable references: before a spectrum is corrected with a stored background, the recipe's
// policy is checked: the background exists, is not older than the recipe allows, and was taken
// with the settings the recipe names as those that must match. A refusal says what to do.

#include "measure/scan_settings.h"
#include "station/recipe.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

namespace station {

// What the record of a background tells about it.
struct BackgroundFacts {
    QString uid;
    QDateTime utc;
    ScanSettings settings;  // start, stop and data length are compared
    int channel = 1;        // the module channel, 1 or 2
};

enum class ReferenceProblem {
    None,
    Missing,   // no background has been taken
    Undated,   // its time is not valid or lies after now: its age is unknown
    Stale,     // older than the policy allows
    Mismatch,  // a setting named by the policy differs
};

struct ReferenceCheck {
    ReferenceProblem problem = ReferenceProblem::None;
    QString uid;            // the background's, for the spectrum's record; empty when missing
    std::int64_t ageMs = 0; // its age at use
    double allowedMin = 0.0;
    // Mismatch: the first differing setting in the policy's order, and its two values.
    MatchedSetting setting = MatchedSetting::Start;
    int backgroundValue = 0;
    int measurementValue = 0;

    bool ok() const { return problem == ReferenceProblem::None; }
};

// Checks `background` for a measurement with `settings` on module channel `channel` at `nowUtc`.
// An age equal to the allowed one is still allowed.
ReferenceCheck checkReference(const ReferencePolicy& policy, const std::optional<BackgroundFacts>& background,
                              const ScanSettings& settings, int channel, const QDateTime& nowUtc);

// The refusal in the current language, ending in what to do ("take a new background"); empty when
// the check passed.
QString referenceText(const ReferenceCheck& check);

}  // namespace station
