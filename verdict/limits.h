#pragma once
// Limits files: a part's data sheet as JSON, read into bounds per figure for all channels and per
// channel, with the plan, the two extra levels and the channel count they expect. A file that
// cannot be used is refused with the line at fault and the reason. docs/limits.md describes it.

#include "verdict/figures.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <variant>

namespace verdict {

struct Bound {
    std::optional<double> min;
    std::optional<double> max;
    // A value that meets the bound but lies less than `guard` inside it passes as marginal.
    double guard = 0.0;
};

using FigureBounds = std::map<Figure, Bound>;

struct Limits {
    std::optional<Plan> plan;
    std::optional<FigureLevels> levels;
    std::optional<int> channelCount;
    FigureBounds all;
    std::map<int, FigureBounds> perChannel;  // by channel number, 1 for the first found

    // The bounds channel `number` is held to: its own bound of a figure replaces the common one.
    FigureBounds boundsFor(int number) const;
};

enum class LimitsProblem {
    NotJson,         // detail: the parser's message
    NotAnObject,     // the file, a channel's entry or a figure's entry is not an object
    UnknownKey,      // detail: the key
    UnknownFigure,   // detail: the key
    UnknownPlan,     // detail: the name
    NotANumber,      // detail: the key whose value is not a number
    MinAboveMax,     // detail: the figure
    BadChannel,      // detail: the channel key, or "channels"
    BadLevels,
    BadGuard,        // detail: the figure; a negative guard, or one beside neither min nor max
    BadMaskReference,  // detail: the reference named
    BadMaskLine,     // detail: "upper" or "lower"
};

struct LimitsError {
    int line = 1;
    LimitsProblem problem = LimitsProblem::NotJson;
    QString detail;
};

// The limits in `json`, or the first problem found with the line it is on.
std::variant<Limits, LimitsError> parseLimits(const QByteArray& json);

// The limits in `object`, found in the JSON `text` under the keys `path` (a limits object inside
// a larger file): a problem is reported with its line in `text`.
std::variant<Limits, LimitsError> parseLimits(const QJsonObject& object, const QByteArray& text,
                                              const QStringList& path);

// Why a limits file (or the limits or mask of a larger file) was refused, in the current language.
QString limitsReason(const LimitsError& error);

}  // namespace verdict
