#include "records/history_content.h"

#include "core/optics.h"
#include "core/shared_state.h"
#include "core/texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>

namespace history {

namespace {

QString localText(const QDateTime& local) { return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QString yesNo(bool on, int language) { return textIn(on ? "history.yes" : "history.no", language); }

QString modeText(RecordMode mode, int language)
{
    switch (mode) {
    case RecordMode::PowerMeter: return textIn("history.modePower", language);
    case RecordMode::Align: return textIn("history.modeAlign", language);
    case RecordMode::Regular: break;
    }
    return textIn("history.modeRegular", language);
}

QString kindText(RecordKind kind, std::int32_t pass, int language)
{
    switch (kind) {
    case RecordKind::RepeatPass: return textIn("history.kindPass", language).arg(pass);
    case RecordKind::PowerReading: return textIn("history.kindPower", language);
    case RecordKind::Device: return textIn("history.kindDevice", language);
    case RecordKind::Spectrum: break;
    }
    return textIn("history.kindSpectrum", language);
}

QString line(const char* key, const QString& value, int language)
{
    return textIn(key, language) + QStringLiteral(": ") + value;
}

QString fixed3(float v) { return QString::number(static_cast<double>(v), 'f', 3); }

// The label of a record in files: "#id device", the device left out when empty.
QString fileLabel(const MeasurementRecord& r)
{
    const QString id = QStringLiteral("#%1").arg(r.id);
    return r.deviceId.isEmpty() ? id : id + u' ' + r.deviceId;
}

QByteArray csvField(QString text)
{
    if (text.contains(u',') || text.contains(u'"')) text = u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return text.toUtf8();
}

}  // namespace

int language() { return Module1.Language == 2 ? 2 : 1; }

QString text(const char* key) { return textIn(key, language()); }

RecordFilter recordFilter(const FilterInput& input)
{
    RecordFilter f;
    f.deviceId = input.deviceId.trimmed();
    if (input.from.isValid()) f.from = QDateTime(input.from, QTime(0, 0), Qt::LocalTime);
    // The last day counts whole: the range ends where the next day starts.
    if (input.to.isValid()) f.to = QDateTime(input.to.addDays(1), QTime(0, 0), Qt::LocalTime);
    switch (input.verdict) {
    case VerdictChoice::Pass: f.verdict = QStringLiteral("PASS"); break;
    case VerdictChoice::Fail: f.verdict = QStringLiteral("FAIL"); break;
    case VerdictChoice::None: f.verdict = kNoVerdict; break;
    case VerdictChoice::Any: break;
    }
    f.bench = input.bench;
    f.recipe = input.recipe.trimmed();
    f.devicePattern = input.devicePattern.trimmed();
    return f;
}

QStringList listHeader(int language)
{
    return {textIn("history.colTime", language),    textIn("history.deviceId", language),
            textIn("history.colKind", language),    textIn("history.bench", language),
            textIn("history.verdict", language),    textIn("history.colChannels", language),
            textIn("history.colPoints", language)};
}

QStringList listRow(const RecordSummary& s, int language)
{
    return {localText(s.utc.toOffsetFromUtc(s.utcOffsetS)),
            s.deviceId,
            kindText(s.kind, s.pass, language),
            s.hostName,
            s.verdict,
            QString::number(s.channelCount),
            QString::number(s.pointCount)};
}

QString recordLabel(std::int64_t id, const QString& deviceId, const QDateTime& local, int language)
{
    const QString device = deviceId.isEmpty() ? textIn("history.noDeviceId", language) : deviceId;
    return QStringLiteral("#%1 %2 %3").arg(id).arg(device, localText(local));
}

QStringList settingsLines(const MeasurementRecord& r, int language)
{
    const RecordSettings& s = r.settings;
    const BenchIdentity& b = r.bench;
    QStringList lines{
        line("history.colTime", localText(r.localTime()) + QStringLiteral(" (UTC ") + localText(r.utc.toUTC()) + u')',
             language),
        line("history.deviceId", r.deviceId.isEmpty() ? textIn("history.noDeviceId", language) : r.deviceId, language),
        line("history.colKind", kindText(r.kind, r.pass, language), language),
        line("history.mode", modeText(s.mode, language), language),
        line("history.start", QString::number(s.startNm), language),
        line("history.stop", QString::number(s.stopNm), language),
        line("history.speed", QString::number(s.speedNmPerS), language),
        line("history.average", QString::number(s.averages), language),
        line("history.dataLength", QString::number(s.dataLength), language),
        line("history.channel", s.channel, language),
        line("history.path", textIn(s.transmission ? "history.transmission" : "history.reflection", language), language),
        line("history.scan", textIn(s.background ? "history.background" : "history.spectrum", language), language),
        line("history.removeBackground", yesNo(s.removeBackground, language), language),
        line("history.basePower", yesNo(s.basePower, language), language),
        line("history.ref0", yesNo(s.ref0, language), language),
        line("history.nDb", s.nDb, language),
    };
    if (r.power) lines << line("history.power", QString::number(*r.power, 'f', 3) + u' ' + r.powerUnit, language);
    lines << line("history.module", b.modulePart + u' ' + b.moduleSerial, language)
          << line("history.laser", b.laserPart + u' ' + b.laserSerial, language)
          << line("history.program", b.programVersion, language) << line("history.host", b.hostName, language);
    return lines;
}

QStringList figureLines(const MeasurementRecord& r, int language)
{
    QStringList lines;
    if (!r.verdict.isEmpty()) lines << line("history.verdict", r.verdict, language);
    const QJsonObject figures = QJsonDocument::fromJson(r.figuresJson.toUtf8()).object();
    for (auto it = figures.begin(); it != figures.end(); ++it) {
        const QJsonValue v = it.value();
        QString value;
        if (v.isDouble()) value = QString::number(v.toDouble(), 'g', 10);
        else if (v.isString()) value = v.toString();
        else value = QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
        lines << it.key() + QStringLiteral(": ") + value;
    }
    return lines;
}

std::vector<QStringList> channelRows(const MeasurementRecord& r)
{
    std::vector<QStringList> rows;
    for (std::size_t i = 0; i < r.channels.size(); ++i) {
        const RecordedChannel& c = r.channels[i];
        rows.push_back({QString::number(i + 1), fixed3(c.centerNm), fixed3(centerFrequencyTHz(c.centerNm)),
                        fixed3(c.bandwidthNm), fixed3(c.peak)});
    }
    return rows;
}

bool Overlay::add(std::int64_t id)
{
    if (id == 0 || contains(id)) return false;
    const auto free = std::find(slots_.begin(), slots_.end(), 0);
    if (free == slots_.end()) return false;
    *free = id;
    return true;
}

void Overlay::remove(std::int64_t id)
{
    std::replace(slots_.begin(), slots_.end(), id, std::int64_t{0});
}

bool Overlay::contains(std::int64_t id) const
{
    return id != 0 && std::find(slots_.begin(), slots_.end(), id) != slots_.end();
}

int Overlay::size() const
{
    return static_cast<int>(kMaxOverlay - std::count(slots_.begin(), slots_.end(), 0));
}

std::vector<std::int64_t> Overlay::ids() const
{
    std::vector<std::int64_t> out;
    for (std::int64_t id : slots_)
        if (id != 0) out.push_back(id);
    return out;
}

std::optional<std::uint32_t> Overlay::colourOf(std::int64_t id) const
{
    if (id == 0) return std::nullopt;
    const auto it = std::find(slots_.begin(), slots_.end(), id);
    if (it == slots_.end()) return std::nullopt;
    return kOverlayColours[static_cast<std::size_t>(it - slots_.begin())];
}

std::vector<std::array<float, 2>> tracePoints(const std::vector<float>& wavelengths, const std::vector<float>& values,
                                              std::int32_t lastPointIndex)
{
    const auto wanted = static_cast<std::size_t>(std::max<std::int64_t>(std::int64_t{lastPointIndex} + 1, 0));
    const std::size_t n = std::min({wanted, wavelengths.size(), values.size()});
    std::vector<std::array<float, 2>> points(n);
    for (std::size_t i = 0; i < n; ++i) points[i] = {wavelengths[i], values[i]};
    return points;
}

std::optional<plot::Range> overlayRange(const std::vector<Trace>& traces)
{
    double xMin = std::numeric_limits<double>::infinity();
    double xMax = -xMin;
    double yMin = xMin;
    double yMax = -xMin;
    for (const Trace& t : traces)
        for (const auto& [x, y] : t.points) {
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            xMin = std::min(xMin, static_cast<double>(x));
            xMax = std::max(xMax, static_cast<double>(x));
            yMin = std::min(yMin, static_cast<double>(y));
            yMax = std::max(yMax, static_cast<double>(y));
        }
    if (!(xMin < xMax) || !(yMin <= yMax)) return std::nullopt;
    return plot::Range{xMin, xMax, yMin - 1.0, static_cast<float>(yMax + 1.0)};
}

QString sheetName(const MeasurementRecord& r)
{
    QString name = fileLabel(r);
    static const QString kForbidden = QStringLiteral("[]:*?/\\'");
    for (QChar& c : name)
        if (kForbidden.contains(c)) c = u'_';
    return name.left(31);
}

SheetContent recordSheet(const MeasurementRecord& r)
{
    SheetContent sheet = spectrumSheet(r.wavelengthsNm, r.values, static_cast<std::int32_t>(r.values.size()) - 1,
                                       r.settings.mode == RecordMode::Align, r.settings.mode == RecordMode::Regular);
    sheet.sheetName = sheetName(r);
    return sheet;
}

QByteArray recordsCsv(const std::vector<MeasurementRecord>& records)
{
    std::vector<SheetContent> sheets;
    QByteArrayList header;
    int rows = 0;
    for (const MeasurementRecord& r : records) {
        sheets.push_back(recordSheet(r));
        const QString valueName = r.settings.mode == RecordMode::Align ? QStringLiteral("Power (dBm)")
                                  : r.settings.mode == RecordMode::Regular ? QStringLiteral("IL (dB)")
                                                                           : QStringLiteral("Value");
        header << csvField(fileLabel(r) + QStringLiteral(" WL (nm)")) << csvField(fileLabel(r) + u' ' + valueName);
        rows = std::max(rows, sheets.back().rows());
    }
    QByteArray text = header.join(',') + "\r\n";
    for (int row = 0; row < rows; ++row) {
        QByteArrayList fields;
        for (const SheetContent& s : sheets) {
            const bool has = row < s.rows();
            fields << (has ? csvNumber(s.value(row, 0)) : QByteArray()) << (has ? csvNumber(s.value(row, 1)) : QByteArray());
        }
        text += fields.join(',') + "\r\n";
    }
    return text;
}

QString proposedHistoryWorkbookName(const QString& timeStamp)
{
    return QStringLiteral("VXM_History_") + timeStamp + QStringLiteral(".xlsx");
}

QString proposedHistoryCsvName(const QString& timeStamp)
{
    return QStringLiteral("VXM_History_") + timeStamp + QStringLiteral(".csv");
}

}  // namespace history
