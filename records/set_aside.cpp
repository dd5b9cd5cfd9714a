#include "records/set_aside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <bit>

namespace {

QString isoMs(const QDateTime& t) { return t.toUTC().toString(Qt::ISODateWithMs); }
QDateTime fromIsoMs(const QJsonValue& v) { return QDateTime::fromString(v.toString(), Qt::ISODateWithMs).toUTC(); }

QJsonArray channelArray(const std::vector<RecordedChannel>& channels)
{
    QJsonArray out;
    // Bit patterns: a NaN the store refused comes back as it was.
    for (const RecordedChannel& c : channels)
        out.append(QJsonArray{qint64(std::bit_cast<std::uint32_t>(c.centerNm)),
                              qint64(std::bit_cast<std::uint32_t>(c.bandwidthNm)),
                              qint64(std::bit_cast<std::uint32_t>(c.peak))});
    return out;
}

float floatBits(const QJsonValue& v) { return std::bit_cast<float>(static_cast<std::uint32_t>(v.toInteger())); }

QJsonObject recordObject(const MeasurementRecord& r)
{
    const RecordSettings& s = r.settings;
    const BenchIdentity& b = r.bench;
    QJsonObject o{
        {"uid", r.uid}, {"utc", isoMs(r.utc)}, {"utcOffsetS", r.utcOffsetS}, {"deviceId", r.deviceId},
        {"kind", int(r.kind)}, {"pass", r.pass},
        {"bench", QJsonArray{b.modulePart, b.moduleSerial, b.laserPart, b.laserSerial, b.programVersion, b.hostName}},
        {"settings", QJsonArray{s.startNm, s.stopNm, s.speedNmPerS, s.averages, s.dataLength, s.channel, int(s.mode),
                                s.background, s.removeBackground, s.basePower, s.ref0, s.nDb, s.transmission,
                                s.powerWavelengthNm}},
        {"channels", channelArray(r.channels)}, {"figures", r.figuresJson}, {"verdict", r.verdict},
        {"spectrum", QString::fromLatin1(encodeSpectrum(r.wavelengthsNm, r.values).toBase64())},
        {"powerUnit", r.powerUnit},
        {"recipe", QJsonArray{r.recipeName, r.recipeRevision, r.recipeHash}}, {"port", r.port},
        {"portCount", r.portCount}, {"runUid", r.runUid}, {"backgroundUid", r.backgroundUid}};
    if (r.power) o.insert(QStringLiteral("power"), *r.power);
    if (r.backgroundAgeS) o.insert(QStringLiteral("backgroundAgeS"), *r.backgroundAgeS);
    return o;
}

QJsonObject readTop(const QByteArray& document)
{
    QJsonParseError error;
    const QJsonDocument d = QJsonDocument::fromJson(document, &error);
    return error.error == QJsonParseError::NoError ? d.object() : QJsonObject{};
}

}  // namespace

QString setAsideFolder(const QString& spoolPath)
{
    const QFileInfo spool(spoolPath);
    return spool.dir().filePath(spool.completeBaseName() + QStringLiteral("-set-aside"));
}

QByteArray setAsideDocument(const MeasurementRecord& record, const QString& reason, const QDateTime& when)
{
    const QJsonObject top{{"reason", reason}, {"setAsideUtc", isoMs(when)}, {"record", recordObject(record)}};
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

std::optional<MeasurementRecord> setAsideRecord(const QByteArray& document)
{
    const QJsonObject o = readTop(document).value(QLatin1String("record")).toObject();
    if (!o.contains(QLatin1String("uid"))) return std::nullopt;
    MeasurementRecord r;
    r.uid = o.value(QLatin1String("uid")).toString();
    r.utc = fromIsoMs(o.value(QLatin1String("utc")));
    r.utcOffsetS = o.value(QLatin1String("utcOffsetS")).toInt();
    r.deviceId = o.value(QLatin1String("deviceId")).toString();
    r.kind = static_cast<RecordKind>(o.value(QLatin1String("kind")).toInt());
    r.pass = o.value(QLatin1String("pass")).toInt();
    const QJsonArray b = o.value(QLatin1String("bench")).toArray();
    BenchIdentity& bench = r.bench;
    int i = 0;
    for (QString* field : {&bench.modulePart, &bench.moduleSerial, &bench.laserPart, &bench.laserSerial,
                           &bench.programVersion, &bench.hostName})
        *field = b.at(i++).toString();
    const QJsonArray s = o.value(QLatin1String("settings")).toArray();
    RecordSettings& st = r.settings;
    i = 0;
    for (std::int32_t* field : {&st.startNm, &st.stopNm, &st.speedNmPerS, &st.averages, &st.dataLength})
        *field = s.at(i++).toInt();
    st.channel = s.at(i++).toString();
    st.mode = static_cast<RecordMode>(s.at(i++).toInt());
    for (bool* field : {&st.background, &st.removeBackground, &st.basePower, &st.ref0}) *field = s.at(i++).toBool();
    st.nDb = s.at(i++).toString();
    st.transmission = s.at(i++).toBool();
    st.powerWavelengthNm = s.at(i++).toString();
    for (const QJsonValue& c : o.value(QLatin1String("channels")).toArray()) {
        const QJsonArray a = c.toArray();
        r.channels.push_back({floatBits(a.at(0)), floatBits(a.at(1)), floatBits(a.at(2))});
    }
    r.figuresJson = o.value(QLatin1String("figures")).toString();
    r.verdict = o.value(QLatin1String("verdict")).toString();
    if (!decodeSpectrum(QByteArray::fromBase64(o.value(QLatin1String("spectrum")).toString().toLatin1()),
                        r.wavelengthsNm, r.values))
        return std::nullopt;
    if (o.contains(QLatin1String("power"))) r.power = o.value(QLatin1String("power")).toDouble();
    r.powerUnit = o.value(QLatin1String("powerUnit")).toString();
    const QJsonArray recipe = o.value(QLatin1String("recipe")).toArray();
    r.recipeName = recipe.at(0).toString();
    r.recipeRevision = recipe.at(1).toString();
    r.recipeHash = recipe.at(2).toString();
    r.port = o.value(QLatin1String("port")).toInt();
    r.portCount = o.value(QLatin1String("portCount")).toInt();
    r.runUid = o.value(QLatin1String("runUid")).toString();
    r.backgroundUid = o.value(QLatin1String("backgroundUid")).toString();
    if (o.contains(QLatin1String("backgroundAgeS"))) r.backgroundAgeS = o.value(QLatin1String("backgroundAgeS")).toDouble();
    return r;
}

std::optional<SetAsideEntry> setAsideEntry(const QByteArray& document)
{
    const QJsonObject top = readTop(document);
    const QJsonObject r = top.value(QLatin1String("record")).toObject();
    if (!top.contains(QLatin1String("reason")) || r.isEmpty()) return std::nullopt;
    return SetAsideEntry{r.value(QLatin1String("uid")).toString(), r.value(QLatin1String("deviceId")).toString(),
                         fromIsoMs(r.value(QLatin1String("utc"))), fromIsoMs(top.value(QLatin1String("setAsideUtc"))),
                         top.value(QLatin1String("reason")).toString(), {}};
}

std::vector<SetAsideEntry> setAsideEntries(const QString& folder)
{
    std::vector<SetAsideEntry> entries;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.json")}, QDir::Files)) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) continue;
        if (std::optional<SetAsideEntry> e = setAsideEntry(file.readAll())) {
            e->file = info.filePath();
            entries.push_back(std::move(*e));
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const SetAsideEntry& a, const SetAsideEntry& b) { return a.setAsideUtc > b.setAsideUtc; });
    return entries;
}
