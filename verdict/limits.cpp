#include "verdict/limits.h"

#include "core/texts.h"
#include "verdict/json_lines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace verdict {

namespace {

// A problem found in the parsed document, with the keys from the top down to the one at fault.
struct Fault {
    QStringList path;
    LimitsProblem problem;
    QString detail;
};

std::optional<Fault> readBound(const QJsonObject& entry, const QStringList& path, Bound& bound)
{
    const QString figure = path.back();
    bool hasGuard = false;
    for (auto b = entry.begin(); b != entry.end(); ++b) {
        const QStringList boundPath = path + QStringList{b.key()};
        const bool isMin = b.key() == QLatin1String("min");
        const bool isMax = b.key() == QLatin1String("max");
        const bool isGuard = b.key() == QLatin1String("guard");
        if (!isMin && !isMax && !isGuard) return Fault{boundPath, LimitsProblem::UnknownKey, b.key()};
        hasGuard = hasGuard || isGuard;
        if (!b.value().isDouble()) return Fault{boundPath, LimitsProblem::NotANumber, b.key()};
        const double value = b.value().toDouble();
        if (isGuard) bound.guard = value;
        else (isMin ? bound.min : bound.max) = value;
    }
    if (bound.min && bound.max && *bound.min > *bound.max) return Fault{path, LimitsProblem::MinAboveMax, figure};
    if (hasGuard && (bound.guard < 0.0 || (!bound.min && !bound.max)))
        return Fault{path, LimitsProblem::BadGuard, figure};
    return std::nullopt;
}

std::optional<Fault> readBounds(const QJsonObject& object, const QStringList& path, FigureBounds& out)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QStringList here = path + QStringList{it.key()};
        const std::optional<Figure> figure = figureFromKey(it.key());
        if (!figure) return Fault{here, LimitsProblem::UnknownFigure, it.key()};
        if (!it.value().isObject()) return Fault{here, LimitsProblem::NotAnObject, it.key()};
        Bound bound;
        if (auto f = readBound(it.value().toObject(), here, bound)) return f;
        out[*figure] = bound;
    }
    return std::nullopt;
}

std::optional<Fault> readLevels(const QJsonValue& value, Limits& out)
{
    const QJsonArray a = value.toArray();
    if (!value.isArray() || a.size() != 2 || !a[0].isDouble() || !a[1].isDouble() || !(a[0].toDouble() > 0.0) ||
        !(a[1].toDouble() > 0.0))
        return Fault{{QStringLiteral("levels_db")}, LimitsProblem::BadLevels, {}};
    out.levels = FigureLevels{a[0].toDouble(), a[1].toDouble()};
    return std::nullopt;
}

std::optional<Fault> readChannels(const QJsonValue& value, Limits& out)
{
    const QStringList path{QStringLiteral("per_channel")};
    if (!value.isObject()) return Fault{path, LimitsProblem::NotAnObject, path[0]};
    const QJsonObject channels = value.toObject();
    for (auto it = channels.begin(); it != channels.end(); ++it) {
        bool ok = false;
        const int number = it.key().toInt(&ok);
        if (!ok || number < 1) return Fault{path + QStringList{it.key()}, LimitsProblem::BadChannel, it.key()};
        if (!it.value().isObject())
            return Fault{path + QStringList{it.key()}, LimitsProblem::NotAnObject, it.key()};
        if (auto f = readBounds(it.value().toObject(), path + QStringList{it.key()}, out.perChannel[number])) return f;
    }
    return std::nullopt;
}

std::optional<Fault> readTop(const QJsonObject& top, Limits& out)
{
    for (auto it = top.begin(); it != top.end(); ++it) {
        const QString key = it.key();
        const QStringList path{key};
        if (key == QLatin1String("plan")) {
            out.plan = planFromKey(it.value().toString());
            if (!out.plan) return Fault{path, LimitsProblem::UnknownPlan, it.value().toVariant().toString()};
        } else if (key == QLatin1String("levels_db")) {
            if (auto f = readLevels(it.value(), out)) return f;
        } else if (key == QLatin1String("channels")) {
            const double n = it.value().toDouble(-1.0);
            if (!it.value().isDouble() || n < 1.0 || n != std::floor(n))
                return Fault{path, LimitsProblem::BadChannel, key};
            out.channelCount = static_cast<int>(n);
        } else if (key == QLatin1String("all")) {
            if (!it.value().isObject()) return Fault{path, LimitsProblem::NotAnObject, key};
            if (auto f = readBounds(it.value().toObject(), path, out.all)) return f;
        } else if (key == QLatin1String("per_channel")) {
            if (auto f = readChannels(it.value(), out)) return f;
        } else if (key != QLatin1String("part") && key != QLatin1String("comment")) {
            return Fault{path, LimitsProblem::UnknownKey, key};
        }
    }
    return std::nullopt;
}

}  // namespace

FigureBounds Limits::boundsFor(int number) const
{
    FigureBounds bounds = all;
    if (const auto own = perChannel.find(number); own != perChannel.end())
        for (const auto& [figure, bound] : own->second) bounds[figure] = bound;
    return bounds;
}

std::variant<Limits, LimitsError> parseLimits(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return LimitsError{lineAt(json, error.offset), LimitsProblem::NotJson, error.errorString()};
    if (!doc.isObject()) return LimitsError{1, LimitsProblem::NotAnObject, {}};
    return parseLimits(doc.object(), json, {});
}

std::variant<Limits, LimitsError> parseLimits(const QJsonObject& object, const QByteArray& text,
                                              const QStringList& path)
{
    Limits limits;
    if (const std::optional<Fault> f = readTop(object, limits))
        return LimitsError{lineOfKey(text, path + f->path), f->problem, f->detail};
    return limits;
}

QString limitsReason(const LimitsError& error)
{
    switch (error.problem) {
    case LimitsProblem::NotJson: return T("verdict.reasonJson").arg(error.detail);
    case LimitsProblem::NotAnObject: return T("verdict.reasonObject");
    case LimitsProblem::UnknownKey: return T("verdict.reasonKey").arg(error.detail);
    case LimitsProblem::UnknownFigure: return T("verdict.reasonFigure").arg(error.detail);
    case LimitsProblem::UnknownPlan: return T("verdict.reasonPlan").arg(error.detail);
    case LimitsProblem::NotANumber: return T("verdict.reasonNumber").arg(error.detail);
    case LimitsProblem::MinAboveMax: return T("verdict.reasonMinMax").arg(error.detail);
    case LimitsProblem::BadChannel: return T("verdict.reasonChannel").arg(error.detail);
    case LimitsProblem::BadLevels: return T("verdict.reasonLevels");
    case LimitsProblem::BadGuard: return T("verdict.reasonGuard").arg(error.detail);
    case LimitsProblem::BadMaskReference: return T("verdict.reasonMaskReference").arg(error.detail);
    case LimitsProblem::BadMaskLine: return T("verdict.reasonMaskLine").arg(error.detail);
    }
    return {};
}

}  // namespace verdict
