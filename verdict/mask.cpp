#include "verdict/mask.h"

#include "verdict/json_lines.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <optional>

namespace verdict {

namespace {

// Reads a template found under `path` in `text`, so that a problem names its line there.
struct MaskReader {
    const QByteArray& text;
    QStringList path;

    LimitsError fault(const QStringList& keys, LimitsProblem problem, const QString& detail) const
    {
        return {lineOfKey(text, path + keys), problem, detail};
    }

    std::optional<LimitsError> readChannel(const QJsonValue& value, const QStringList& keys, ChannelMask& out) const;
    std::optional<LimitsError> readChannels(const QJsonValue& value, MaskTemplate& out) const;
    std::optional<LimitsError> readTop(const QJsonObject& top, MaskTemplate& out) const;
};

// At least two [nm, dB] points, nm never falling; none when the value is not such a line.
std::optional<MaskLine> readLine(const QJsonValue& value)
{
    const QJsonArray points = value.toArray();
    if (points.size() < 2) return std::nullopt;
    MaskLine line;
    for (const QJsonValue& p : points) {
        const QJsonArray pair = p.toArray();
        if (pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble()) return std::nullopt;
        const MaskPoint point{pair[0].toDouble(), pair[1].toDouble()};
        if (!line.empty() && point.nm < line.back().nm) return std::nullopt;
        line.push_back(point);
    }
    return line;
}

std::optional<LimitsError> MaskReader::readChannel(const QJsonValue& value, const QStringList& keys,
                                                   ChannelMask& out) const
{
    if (!value.isObject()) return fault(keys, LimitsProblem::NotAnObject, keys.back());
    const QJsonObject lines = value.toObject();
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        const QStringList here = keys + QStringList{it.key()};
        const bool upper = it.key() == QLatin1String("upper");
        if (!upper && it.key() != QLatin1String("lower")) return fault(here, LimitsProblem::UnknownKey, it.key());
        std::optional<MaskLine> line = readLine(it.value());
        if (!line) return fault(here, LimitsProblem::BadMaskLine, it.key());
        (upper ? out.upper : out.lower) = std::move(*line);
    }
    return std::nullopt;
}

std::optional<LimitsError> MaskReader::readChannels(const QJsonValue& value, MaskTemplate& out) const
{
    const QStringList keys{QStringLiteral("per_channel")};
    if (!value.isObject()) return fault(keys, LimitsProblem::NotAnObject, keys[0]);
    const QJsonObject channels = value.toObject();
    for (auto it = channels.begin(); it != channels.end(); ++it) {
        bool ok = false;
        const int number = it.key().toInt(&ok);
        const QStringList here = keys + QStringList{it.key()};
        if (!ok || number < 1) return fault(here, LimitsProblem::BadChannel, it.key());
        if (auto f = readChannel(it.value(), here, out.perChannel[number])) return f;
    }
    return std::nullopt;
}

std::optional<LimitsError> MaskReader::readTop(const QJsonObject& top, MaskTemplate& out) const
{
    const QString reference = top.value(QLatin1String("reference")).toVariant().toString();
    if (reference != QLatin1String("grid") && reference != QLatin1String("absolute"))
        return fault({QStringLiteral("reference")}, LimitsProblem::BadMaskReference, reference);
    out.reference = reference == QLatin1String("grid") ? MaskReference::Grid : MaskReference::Absolute;
    for (auto it = top.begin(); it != top.end(); ++it) {
        const QString key = it.key();
        if (key == QLatin1String("all")) {
            if (auto f = readChannel(it.value(), {key}, out.all)) return f;
        } else if (key == QLatin1String("per_channel")) {
            if (auto f = readChannels(it.value(), out)) return f;
        } else if (key != QLatin1String("reference") && key != QLatin1String("comment")) {
            return fault({key}, LimitsProblem::UnknownKey, key);
        }
    }
    return std::nullopt;
}

struct Worst {
    double marginDb = std::numeric_limits<double>::quiet_NaN();
    int index = -1;
};

// The margins of the points under each segment of `line` (shifted by `offsetNm`): the least kept
// in `worst`, the points beyond the line appended to `violations` in ascending order.
void measureLine(std::span<const float> wl, std::span<const float> v, int last, const MaskLine& line,
                 double offsetNm, bool upper, Worst& worst, std::vector<int>& violations)
{
    for (std::size_t k = 1; k < line.size(); ++k) {
        const MaskPoint& a = line[k - 1];
        const MaskPoint& b = line[k];
        if (!(b.nm > a.nm)) continue;  // a step: its points belong to the segments beside it
        const double x0 = a.nm + offsetNm;
        const auto range = pointsInside(wl, last, x0, b.nm + offsetNm);
        if (!range) continue;
        const double slope = (b.db - a.db) / (b.nm - a.nm);
        for (int i = range->first; i <= range->second; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const double limit = a.db + slope * (wl[at] - x0);
            const double margin = upper ? limit - v[at] : v[at] - limit;
            if (std::isnan(margin)) continue;
            if (margin < 0.0 && (violations.empty() || violations.back() != i)) violations.push_back(i);
            if (worst.index < 0 || margin < worst.marginDb || (margin == worst.marginDb && i < worst.index))
                worst = {margin, i};
        }
    }
}

}  // namespace

ChannelMask MaskTemplate::maskFor(int number) const
{
    ChannelMask lines = all;
    if (const auto own = perChannel.find(number); own != perChannel.end()) {
        if (!own->second.upper.empty()) lines.upper = own->second.upper;
        if (!own->second.lower.empty()) lines.lower = own->second.lower;
    }
    return lines;
}

std::variant<MaskTemplate, LimitsError> parseMask(const QJsonValue& value, const QByteArray& text,
                                                  const QStringList& path)
{
    const MaskReader reader{text, path};
    if (!value.isObject()) return reader.fault({}, LimitsProblem::NotAnObject, path.value(path.size() - 1));
    MaskTemplate mask;
    if (auto f = reader.readTop(value.toObject(), mask)) return *f;
    return mask;
}

MaskResult maskMargin(std::span<const float> wavelengths, std::span<const float> values, int lastIndex,
                      const ChannelMask& mask, double offsetNm)
{
    const int last = std::min(lastIndex, static_cast<int>(std::min(wavelengths.size(), values.size())) - 1);
    MaskResult result;
    Worst worst;
    measureLine(wavelengths, values, last, mask.upper, offsetNm, true, worst, result.violations);
    const auto upperEnd = static_cast<std::ptrdiff_t>(result.violations.size());
    measureLine(wavelengths, values, last, mask.lower, offsetNm, false, worst, result.violations);
    std::inplace_merge(result.violations.begin(), result.violations.begin() + upperEnd, result.violations.end());
    result.violations.erase(std::unique(result.violations.begin(), result.violations.end()), result.violations.end());
    if (worst.index >= 0) {
        result.marginDb = worst.marginDb;
        result.wavelengthNm = wavelengths[static_cast<std::size_t>(worst.index)];
    }
    return result;
}

std::vector<MaskResult> measureMask(std::span<const float> wavelengths, std::span<const float> values,
                                    int lastIndex, const MaskTemplate& mask, std::vector<ChannelFigures>& figures,
                                    int firstNumber)
{
    std::vector<MaskResult> results(figures.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
        ChannelFigures& f = figures[i];
        const bool absolute = mask.reference == MaskReference::Absolute;
        if (absolute || f.grid)
            results[i] = maskMargin(wavelengths, values, lastIndex, mask.maskFor(firstNumber + static_cast<int>(i)),
                                    absolute ? 0.0 : f.grid->wavelengthNm);
        f[Figure::MaskMargin] = results[i].marginDb;
        f.maskWavelengthNm = results[i].wavelengthNm;
    }
    return results;
}

}  // namespace verdict
