#include "station/recipe.h"

#include "core/texts.h"
#include "verdict/json_lines.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace station {

namespace {

using Fault = std::optional<RecipeError>;

// How a scan key's value is checked.
enum class Kind { Whole, Positive, Boolean, Channel, Path };

constexpr unsigned bit(ScanMode mode) { return 1U << static_cast<unsigned>(mode); }
constexpr unsigned kRegular = bit(ScanMode::Regular);
constexpr unsigned kSpectra = bit(ScanMode::Regular) | bit(ScanMode::Align);
constexpr unsigned kEveryMode = kSpectra | bit(ScanMode::PowerMeter);

// The scan keys besides "measurement", and the measurements that use them: a used key is
// required, an unused one refused, so that a recipe says exactly what its measurement does.
struct ScanKey {
    const char* key;
    Kind kind;
    unsigned usedBy;
};
constexpr ScanKey kScanKeys[] = {
    {"start_nm", Kind::Whole, kSpectra},      {"stop_nm", Kind::Whole, kSpectra},
    {"speed_nm_s", Kind::Whole, kSpectra},    {"averages", Kind::Whole, kRegular},
    {"data_length", Kind::Whole, kRegular},   {"channel", Kind::Channel, kEveryMode},
    {"path", Kind::Path, kSpectra},           {"n_db", Kind::Positive, kSpectra},
    {"remove_background", Kind::Boolean, kRegular},
    {"wavelength_nm", Kind::Positive, bit(ScanMode::PowerMeter)},
};

const QStringList kTopKeys{QStringLiteral("name"),  QStringLiteral("revision"),  QStringLiteral("part_number"),
                           QStringLiteral("description"), QStringLiteral("scan"), QStringLiteral("limits"),
                           QStringLiteral("mask"),  QStringLiteral("reference"), QStringLiteral("ports")};

struct Choice {
    const char* word;
    int value;
};
constexpr Choice kMeasurements[] = {{"device_il", static_cast<int>(ScanMode::Regular)},
                                    {"tls_power", static_cast<int>(ScanMode::Align)},
                                    {"power_meter", static_cast<int>(ScanMode::PowerMeter)}};
constexpr Choice kPaths[] = {{"transmission", 0}, {"reflection", 1}};
constexpr Choice kMatches[] = {{"start_nm", static_cast<int>(MatchedSetting::Start)},
                               {"stop_nm", static_cast<int>(MatchedSetting::Stop)},
                               {"data_length", static_cast<int>(MatchedSetting::DataLength)},
                               {"channel", static_cast<int>(MatchedSetting::Channel)}};

template <std::size_t N>
std::optional<int> choose(const QJsonValue& value, const Choice (&choices)[N])
{
    for (const Choice& c : choices)
        if (value.isString() && value.toString() == QLatin1String(c.word)) return c.value;
    return std::nullopt;
}

template <std::size_t N>
QString allowedWords(const Choice (&choices)[N])
{
    QStringList words;
    for (const Choice& c : choices) words << u'"' + QLatin1String(c.word) + u'"';
    return words.join(QStringLiteral(", "));
}

bool isWhole(const QJsonValue& v)
{
    const double d = v.toDouble(0.5);
    return v.isDouble() && d == std::floor(d) && std::abs(d) <= std::numeric_limits<std::int32_t>::max();
}

// The recipe key whose line a refusal of the program's scan rules points at.
QString keyOfSettingProblem(const char* problem)
{
    const QString p = QLatin1String(problem);
    if (p == QLatin1String("measure.badRange")) return QStringLiteral("start_nm");
    if (p == QLatin1String("measure.badSpeed")) return QStringLiteral("speed_nm_s");
    if (p == QLatin1String("measure.badAverage")) return QStringLiteral("averages");
    if (p == QLatin1String("measure.badLength")) return QStringLiteral("data_length");
    return {};
}

class RecipeReader {
public:
    explicit RecipeReader(const QByteArray& text) : text_(text) {}

    Fault read(const QJsonObject& top, Recipe& out) const;

private:
    RecipeError fault(const QStringList& path, RecipeProblem problem, const QString& detail = {},
                      const QString& allowed = {}) const
    {
        return {verdict::lineOfKey(text_, path), problem, detail, allowed, verdict::LimitsProblem::NotJson};
    }
    Fault readIdentity(const QJsonObject& top, Recipe& out) const;
    Fault readScan(const QJsonValue& value, RecipeScan& out) const;
    Fault checkScanValue(const ScanKey& key, const QJsonValue& value) const;
    Fault readJudging(const QJsonObject& top, Recipe& out) const;
    Fault readReference(const QJsonObject& top, Recipe& out) const;
    Fault readPorts(const QJsonObject& top, Recipe& out) const;

    const QByteArray& text_;
};

Fault RecipeReader::read(const QJsonObject& top, Recipe& out) const
{
    for (auto it = top.begin(); it != top.end(); ++it)
        if (!kTopKeys.contains(it.key())) return fault({it.key()}, RecipeProblem::UnknownKey, it.key());
    if (auto f = readIdentity(top, out)) return f;
    if (!top.contains(QLatin1String("scan"))) return fault({}, RecipeProblem::MissingKey, QStringLiteral("scan"));
    if (auto f = readScan(top.value(QLatin1String("scan")), out.scan)) return f;
    if (auto f = readJudging(top, out)) return f;
    if (auto f = readReference(top, out)) return f;
    return readPorts(top, out);
}

Fault RecipeReader::readIdentity(const QJsonObject& top, Recipe& out) const
{
    for (const char* key : {"name", "part_number"}) {
        const QString k = QLatin1String(key);
        if (!top.contains(k)) return fault({}, RecipeProblem::MissingKey, k);
        if (top.value(k).toString().isEmpty()) return fault({k}, RecipeProblem::NotText, k);
    }
    out.name = top.value(QLatin1String("name")).toString();
    out.partNumber = top.value(QLatin1String("part_number")).toString();

    const QString rev = QStringLiteral("revision");
    if (!top.contains(rev)) return fault({}, RecipeProblem::MissingKey, rev);
    if (!isWhole(top.value(rev))) return fault({rev}, RecipeProblem::NotWholeNumber, rev);
    out.revision = top.value(rev).toInt();
    if (out.revision < 1) return fault({rev}, RecipeProblem::NotPositive, rev);
    return std::nullopt;
}

Fault RecipeReader::checkScanValue(const ScanKey& key, const QJsonValue& value) const
{
    const QString k = QLatin1String(key.key);
    const QStringList path{QStringLiteral("scan"), k};
    switch (key.kind) {
    case Kind::Whole:
        if (!isWhole(value)) return fault(path, RecipeProblem::NotWholeNumber, k);
        break;
    case Kind::Positive:
        if (!value.isDouble()) return fault(path, RecipeProblem::NotANumber, k);
        if (!(value.toDouble() > 0.0)) return fault(path, RecipeProblem::NotPositive, k);
        break;
    case Kind::Boolean:
        if (!value.isBool()) return fault(path, RecipeProblem::NotBoolean, k);
        break;
    case Kind::Channel:
        if (value.toDouble() != 1.0 && value.toDouble() != 2.0)
            return fault(path, RecipeProblem::UnknownChoice, k, QStringLiteral("1, 2"));
        break;
    case Kind::Path:
        if (!choose(value, kPaths)) return fault(path, RecipeProblem::UnknownChoice, k, allowedWords(kPaths));
        break;
    }
    return std::nullopt;
}

Fault RecipeReader::readScan(const QJsonValue& value, RecipeScan& out) const
{
    const QString scanKey = QStringLiteral("scan");
    if (!value.isObject()) return fault({scanKey}, RecipeProblem::NotAnObject, scanKey);
    const QJsonObject scan = value.toObject();
    for (auto it = scan.begin(); it != scan.end(); ++it) {
        const bool known = it.key() == QLatin1String("measurement") ||
                           std::any_of(std::begin(kScanKeys), std::end(kScanKeys),
                                       [&](const ScanKey& k) { return it.key() == QLatin1String(k.key); });
        if (!known) return fault({scanKey, it.key()}, RecipeProblem::UnknownKey, it.key());
    }
    const QString measurementKey = QStringLiteral("measurement");
    if (!scan.contains(measurementKey)) return fault({scanKey}, RecipeProblem::MissingKey, measurementKey);
    const std::optional<int> mode = choose(scan.value(measurementKey), kMeasurements);
    if (!mode)
        return fault({scanKey, measurementKey}, RecipeProblem::UnknownChoice, measurementKey,
                     allowedWords(kMeasurements));
    out.mode = static_cast<ScanMode>(*mode);

    for (const ScanKey& key : kScanKeys) {
        const QString k = QLatin1String(key.key);
        const bool used = (key.usedBy & bit(out.mode)) != 0;
        if (!scan.contains(k)) {
            if (used) return fault({scanKey}, RecipeProblem::MissingKey, k);
            continue;
        }
        if (!used) return fault({scanKey, k}, RecipeProblem::NotUsed, k);
        if (auto f = checkScanValue(key, scan.value(k))) return f;
    }

    const auto whole = [&](const char* k) { return scan.value(QLatin1String(k)).toInt(); };
    out.settings = {whole("start_nm"), whole("stop_nm"), whole("speed_nm_s"), whole("averages"), whole("data_length")};
    out.channel = whole("channel");
    out.reflection = scan.value(QLatin1String("path")).toString() == QLatin1String("reflection");
    out.nDb = scan.value(QLatin1String("n_db")).toDouble(out.nDb);
    out.removeBackground = scan.value(QLatin1String("remove_background")).toBool();
    out.powerWavelengthNm = scan.value(QLatin1String("wavelength_nm")).toDouble();

    // The laser's range is a bench's, not a recipe's: it is checked when the scan starts.
    if (const char* problem = scanSettingsProblem(out.settings, out.mode)) {
        const QString key = keyOfSettingProblem(problem);
        return fault(key.isEmpty() ? QStringList{scanKey} : QStringList{scanKey, key}, RecipeProblem::BadSetting,
                     QLatin1String(problem));
    }
    return std::nullopt;
}

Fault RecipeReader::readJudging(const QJsonObject& top, Recipe& out) const
{
    const bool spectrum = out.scan.mode != ScanMode::PowerMeter;
    const auto inLimits = [](const verdict::LimitsError& e) {
        return RecipeError{e.line, RecipeProblem::InLimits, e.detail, {}, e.problem};
    };
    const QString limitsKey = QStringLiteral("limits");
    if (top.contains(limitsKey)) {
        if (!spectrum) return fault({limitsKey}, RecipeProblem::NotUsed, limitsKey);
        if (!top.value(limitsKey).isObject()) return fault({limitsKey}, RecipeProblem::NotAnObject, limitsKey);
        auto limits = verdict::parseLimits(top.value(limitsKey).toObject(), text_, {limitsKey});
        if (const auto* e = std::get_if<verdict::LimitsError>(&limits)) return inLimits(*e);
        out.limits = std::get<verdict::Limits>(std::move(limits));
    }
    const QString maskKey = QStringLiteral("mask");
    if (top.contains(maskKey)) {
        if (!spectrum) return fault({maskKey}, RecipeProblem::NotUsed, maskKey);
        auto mask = verdict::parseMask(top.value(maskKey), text_, {maskKey});
        if (const auto* e = std::get_if<verdict::LimitsError>(&mask)) return inLimits(*e);
        out.mask = std::get<verdict::MaskTemplate>(std::move(mask));
        const bool planned = out.limits && out.limits->plan && *out.limits->plan != verdict::Plan::None;
        if (out.mask->reference == verdict::MaskReference::Grid && !planned)
            return fault({maskKey, QStringLiteral("reference")}, RecipeProblem::MaskNeedsPlan);
    }
    return std::nullopt;
}

Fault RecipeReader::readReference(const QJsonObject& top, Recipe& out) const
{
    const QString key = QStringLiteral("reference");
    const bool used = out.scan.mode == ScanMode::Regular && out.scan.removeBackground;
    if (!top.contains(key)) {
        if (used) return fault({QStringLiteral("scan"), QStringLiteral("remove_background")}, RecipeProblem::MissingKey, key);
        return std::nullopt;
    }
    if (!used) return fault({key}, RecipeProblem::NotUsed, key);
    if (!top.value(key).isObject()) return fault({key}, RecipeProblem::NotAnObject, key);
    const QJsonObject reference = top.value(key).toObject();
    ReferencePolicy policy;
    for (auto it = reference.begin(); it != reference.end(); ++it) {
        const QStringList path{key, it.key()};
        if (it.key() == QLatin1String("max_age_min")) {
            if (!it.value().isDouble()) return fault(path, RecipeProblem::NotANumber, it.key());
            policy.maxAgeMin = it.value().toDouble();
            if (!(policy.maxAgeMin > 0.0)) return fault(path, RecipeProblem::NotPositive, it.key());
        } else if (it.key() == QLatin1String("match")) {
            policy.match.clear();
            const QJsonArray settings = it.value().toArray();
            if (!it.value().isArray()) return fault(path, RecipeProblem::UnknownChoice, it.key(), allowedWords(kMatches));
            for (const QJsonValue& s : settings) {
                const std::optional<int> setting = choose(s, kMatches);
                if (!setting) return fault(path, RecipeProblem::UnknownChoice, it.key(), allowedWords(kMatches));
                policy.match.push_back(static_cast<MatchedSetting>(*setting));
            }
        } else {
            return fault(path, RecipeProblem::UnknownKey, it.key());
        }
    }
    if (!reference.contains(QLatin1String("max_age_min")))
        return fault({key}, RecipeProblem::MissingKey, QStringLiteral("max_age_min"));
    out.reference = policy;
    return std::nullopt;
}

Fault RecipeReader::readPorts(const QJsonObject& top, Recipe& out) const
{
    const QString key = QStringLiteral("ports");
    if (!top.contains(key)) return std::nullopt;
    if (out.scan.mode == ScanMode::PowerMeter) return fault({key}, RecipeProblem::NotUsed, key);
    const QJsonArray ports = top.value(key).toArray();
    std::set<int> seen;
    for (const QJsonValue& p : ports) {
        if (!isWhole(p) || p.toInt() < 1 || !seen.insert(p.toInt()).second) return fault({key}, RecipeProblem::BadPorts);
        out.ports.push_back(p.toInt());
    }
    if (out.ports.empty()) return fault({key}, RecipeProblem::BadPorts);
    const auto count = static_cast<int>(out.ports.size());
    if (out.limits && out.limits->channelCount && *out.limits->channelCount != count)
        return fault({QStringLiteral("limits"), QStringLiteral("channels")}, RecipeProblem::PortCount,
                     QString::number(count));
    return std::nullopt;
}

QString reason(const RecipeError& e)
{
    switch (e.problem) {
    case RecipeProblem::NotJson: return T("verdict.reasonJson").arg(e.detail);
    case RecipeProblem::NotAnObject: return T("verdict.reasonObject");
    case RecipeProblem::UnknownKey: return T("verdict.reasonKey").arg(e.detail);
    case RecipeProblem::MissingKey: return T("station.reasonMissing").arg(e.detail);
    case RecipeProblem::NotText: return T("station.reasonText").arg(e.detail);
    case RecipeProblem::NotWholeNumber: return T("station.reasonWhole").arg(e.detail);
    case RecipeProblem::NotANumber: return T("station.reasonNumber").arg(e.detail);
    case RecipeProblem::NotPositive: return T("station.reasonPositive").arg(e.detail);
    case RecipeProblem::NotBoolean: return T("station.reasonBoolean").arg(e.detail);
    case RecipeProblem::UnknownChoice: return T("station.reasonChoice").arg(e.detail, e.allowed);
    case RecipeProblem::NotUsed: return T("station.reasonNotUsed").arg(e.detail);
    // The program's own message, without its second line about the module.
    case RecipeProblem::BadSetting: return T(e.detail.toLatin1().constData()).section(QStringLiteral("\r\n"), 0, 0);
    case RecipeProblem::InLimits: return verdict::limitsReason({e.line, e.limitsProblem, e.detail});
    case RecipeProblem::BadPorts: return T("station.reasonPorts");
    case RecipeProblem::PortCount: return T("station.reasonPortCount").arg(e.detail);
    case RecipeProblem::MaskNeedsPlan: return T("station.reasonMaskPlan");
    }
    return {};
}

// The level as Text8 shows it, minus N with at least one decimal: 3 gives "-3.0".
QString levelText(double nDb)
{
    QString text = QString::number(-nDb, 'g', 12);
    if (!text.contains(u'.') && !text.contains(u'e')) text += QStringLiteral(".0");
    return text;
}

}  // namespace

std::variant<Recipe, RecipeError> parseRecipe(const QByteArray& text)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        return RecipeError{verdict::lineAt(text, error.offset), RecipeProblem::NotJson, error.errorString(), {}, {}};
    if (!doc.isObject()) return RecipeError{1, RecipeProblem::NotAnObject, {}, {}, {}};
    Recipe recipe;
    if (Fault f = RecipeReader(text).read(doc.object(), recipe)) return *f;
    recipe.hash = recipeHash(text);
    return recipe;
}

QString recipeHash(const QByteArray& text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex());
}

QString recipeRefusal(const RecipeError& error)
{
    return T("station.recipeRefused").arg(error.line).arg(reason(error));
}

WindowControls windowControls(const RecipeScan& scan, Acquisition acquisition)
{
    WindowControls c;
    c.option = scan.mode;
    c.channelIndex = scan.channel - 1;
    if (scan.mode == ScanMode::PowerMeter) {
        c.text4 = QString::number(scan.powerWavelengthNm, 'g', 12);
        return c;
    }
    c.text1 = QString::number(scan.settings.start);
    c.text2 = QString::number(scan.settings.stop);
    c.text3 = QString::number(scan.settings.speed);
    c.text8 = levelText(scan.nDb);
    c.reflection = scan.reflection;
    if (scan.mode == ScanMode::Regular) {
        c.text6 = QString::number(scan.settings.averages);
        c.text7 = QString::number(scan.settings.length);
        c.takeBackground = acquisition == Acquisition::Background;
        c.removeBackground = !c.takeBackground && scan.removeBackground;
    }
    return c;
}

}  // namespace station
