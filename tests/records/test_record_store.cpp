// The record store on both engines, against raw SQL where another program would read it, and the
// bad addresses and databases an operator can point the program at, each with its cause.
#include "records_rig.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <thread>
#include <tuple>
#include <cstring>
#include <limits>

namespace {

QDateTime at(qint64 utcMs) { return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC); }

MeasurementRecord sampleRecord(const QString& uid, const QString& device, qint64 utcMs)
{
    MeasurementRecord r{.uid = uid, .utc = at(utcMs), .utcOffsetS = 8 * 3600, .deviceId = device,
                        .bench = {QStringLiteral("VXM-1550-C"), QStringLiteral("SN-M-0042"), QStringLiteral("TLS-C-01"),
                                  QStringLiteral("SN-L-7"), QStringLiteral("3.0"), QStringLiteral("bench-3")},
                        .kind = RecordKind::RepeatPass, .pass = 4,
                        .settings = {1527, 1567, 40, 3, 20001, QStringLiteral("2. Channel #2"), RecordMode::Regular, false, true,
                                     true, false, QStringLiteral("-3.0"), true, QStringLiteral("1550.12")},
                        .channels = {{1530.125F, 0.4375F, -1.234567F}, {1550.0078F, 0.51F, -0.333333F}},
                        .figuresJson = QStringLiteral(R"({"ripple_db":0.125,"channels":[1,2]})"), .verdict = QStringLiteral("PASS"),
                        .power = 1.0 / 3.0, .powerUnit = QStringLiteral("(dBm)"), .recipeName = QStringLiteral("CWDM-4 配方"),
                        .recipeRevision = QStringLiteral("3"), .recipeHash = QStringLiteral("9f86d081884c7d65"), .port = 2,
                        .portCount = 4, .runUid = newRecordUid(), .backgroundUid = newRecordUid(), .backgroundAgeS = 1234.5};
    for (int i = 0; i < 20001; ++i) {
        r.wavelengthsNm.push_back(1527.0F + 0.002F * static_cast<float>(i));
        r.values.push_back(-3.0F * std::sin(static_cast<float>(i) * 0.01F) - 0.001F * static_cast<float>(i % 7));
    }
    // Values a text round trip or a float conversion would not keep.
    r.values[1] = -0.0F;
    r.values[2] = std::numeric_limits<float>::denorm_min();
    r.values[3] = std::numeric_limits<float>::quiet_NaN();
    r.values[4] = -std::numeric_limits<float>::infinity();
    return r;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

// The rows `sql` gives on the database at `url`, run past the store: columns joined by '|', NULL as "NULL".
QStringList rawRows(const QString& url, const QString& sql)
{
    QStringList rows;
    {
        QSqlDatabase db = addStoreConnection(*parseStoreLocation(url), QStringLiteral("raw"));
        EXPECT_TRUE(db.open()) << sql.toStdString();
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        while (q.next()) {
            QStringList columns;
            for (int c = 0; c < q.record().count(); ++c)
                columns << (q.isNull(c) ? QStringLiteral("NULL") : q.value(c).toString());
            rows << columns.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return rows;
}

// A record as a version 1 store held it, written past the store.
void insertVersionOne(const QString& url, const QString& uid, const QString& verdict, const QString& figuresJson)
{
    QString json = figuresJson;
    rawRows(url, QStringLiteral(
        "INSERT INTO records (uid, utc_ms, utc_offset_s, device_id, kind, pass, module_part, module_serial, laser_part,"
        " laser_serial, program_version, host_name, start_nm, stop_nm, speed_nm_s, averages, data_length, channel, mode,"
        " background, remove_background, base_power, ref0, n_db, transmission, power_wavelength, figures_json,"
        " verdict, power, power_unit, channel_count, point_count) VALUES ('%1', 1000, 0, 'D1', 1, -1, '', '', '', '',"
        " '2.0', 'bench-1', 1527, 1567, 40, 1, 20001, '', 3, 0, 0, 0, 0, '-3.0', 1, '', '%2', '%3', NULL, '', 2, 20001)")
        .arg(uid, json.replace(QLatin1Char('\''), QLatin1String("''")), verdict));
}

QStringList tableColumns(const QString& url, const QString& table)
{
    QStringList names;
    {
        QSqlDatabase db = addStoreConnection(*parseStoreLocation(url), QStringLiteral("raw"));
        EXPECT_TRUE(db.open());
        const QSqlRecord columns = db.record(table);
        for (int c = 0; c < columns.count(); ++c) names << columns.fieldName(c);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return names;
}

// Channel 1 judged, failing its ripple, its insertion loss not measured; channel 2 not judged.
const QString kJudgedFigures = QStringLiteral(
    R"({"channels":[{"channel":1,"verdict":"FAIL","failing":["ripple_db"],"bounds":{"ripple_db":[null,0.5],)"
    R"("insertion_loss":[0.25,2]},"figures":{"insertion_loss":null,"ripple_db":0.75,"offset_nm":-0.125}},)"
    R"({"channel":2,"verdict":"-","failing":[],"figures":{"insertion_loss":1.5}}],"verdict":"FAIL"})");
const QStringList kJudgedRows = {
    QStringLiteral("0|1|insertion_loss|NULL|0.25|2|1"), QStringLiteral("0|1|offset_nm|-0.125|NULL|NULL|1"),
    QStringLiteral("0|1|ripple_db|0.75|NULL|0.5|0"), QStringLiteral("0|2|insertion_loss|1.5|NULL|NULL|NULL")};
constexpr const char* kFigureRowsOf =
    "SELECT f.port, f.channel, f.figure, f.value, f.lower_bound, f.upper_bound, f.pass FROM record_figures f"
    " JOIN records r ON r.id = f.record_id WHERE r.uid = '%1' ORDER BY f.channel, f.figure";

// A database of this program's tables at a later version.
void newerSchema(const QString& url)
{
    rawRows(url, QStringLiteral("CREATE TABLE vxm_schema (version INTEGER NOT NULL)"));
    rawRows(url, QStringLiteral("INSERT INTO vxm_schema VALUES (%1)").arg(kRecordSchemaVersion + 1));
}

enum class Engine { SQLite, PostgreSQL };

class RecordStoreTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        url_ = freshUrl();
        if (IsSkipped()) return;
        const StoreError e = store_.open(url_);
        ASSERT_FALSE(e) << e.detail.toStdString();
    }

    // A new empty database on the engine.
    QString freshUrl()
    {
        const QString name = QStringLiteral("store_%1").arg(++databases_);
        if (GetParam() == Engine::SQLite) return dir_.filePath(name + QStringLiteral(".sqlite"));
        PostgresServer* pg = postgresWith(name);
        return pg ? pg->url(name) : QString();
    }

    static inline int databases_ = 0;
    QTemporaryDir dir_;
    QString url_;
    RecordStore store_;
};

TEST_P(RecordStoreTest, EveryFieldComesBackAsWrittenAndTheSpectrumBitForBit)
{
    MeasurementRecord spectrum = sampleRecord(newRecordUid(), QStringLiteral("器件-7 ä"), 1'780'000'000'123);
    MeasurementRecord power{.uid = newRecordUid(), .utc = at(1'780'000'000'999), .kind = RecordKind::PowerReading,
                            .power = -12.3456789012345, .powerUnit = QStringLiteral("(dBm)")};
    MeasurementRecord bare = power;  // no power value either: NULL, not 0
    bare.uid = newRecordUid();
    bare.power.reset();

    for (MeasurementRecord* written : {&spectrum, &power, &bare}) {
        const std::optional<std::int64_t> id = store_.insert(*written);
        ASSERT_TRUE(id) << store_.lastError().detail.toStdString();
        written->id = *id;
        std::optional<MeasurementRecord> read = store_.load(*id);
        ASSERT_TRUE(read);
        EXPECT_TRUE(sameBits(read->values, written->values));
        EXPECT_TRUE(sameBits(read->wavelengthsNm, written->wavelengthsNm));
        // NaN is unequal to itself: the values are compared by their bits above.
        MeasurementRecord expected = *written;
        read->values.clear();
        expected.values.clear();
        EXPECT_EQ(*read, expected) << written->uid.toStdString();
    }
    EXPECT_EQ(store_.load(spectrum.id)->localTime().toString(Qt::ISODateWithMs), QStringLiteral("2026-05-29T04:26:40.123+08:00"));
}

TEST_P(RecordStoreTest, ListsFilterByFieldsDevicePatternAndRecipeAndRunNewestFirst)
{
    // Each record's port is its row here, so that a summary can be held to its own record's fields.
    struct Row { const char *uid, *device; qint64 utcMs; const char *verdict, *host, *recipe; };
    const Row rows[] = {{"a", "D1", 1000, "PASS", "bench-1", ""},       {"b", "D2", 2000, "FAIL", "bench-1", ""},
                        {"c", "D1", 3000, "", "bench-2", ""},           {"d", "D1", 4000, "FAIL", "bench-2", ""},
                        {"e", "D3", 4000, "PASS", "bench-1", ""},       {"f", "A_1", 5000, "PASS", "bench-3", "CWDM-4"},
                        {"g", "AB1", 6000, "PASS", "bench-3", "CWDM-4"}, {"h", "a%2", 7000, "PASS", "bench-3", ""},
                        {"i", "B-1", 8000, "PASS", "bench-3", ""}};
    for (int port = 0; port < std::ssize(rows); ++port) {
        const Row& row = rows[port];
        MeasurementRecord r = sampleRecord(QString::fromLatin1(row.uid), QString::fromLatin1(row.device), row.utcMs);
        r.verdict = QString::fromLatin1(row.verdict);
        r.bench.hostName = QString::fromLatin1(row.host);
        r.bench.moduleSerial = QStringLiteral("M-") + r.bench.hostName;
        r.recipeName = QString::fromLatin1(row.recipe);
        r.port = port;
        ASSERT_TRUE(store_.insert(r));
    }
    struct Case { const char* name; RecordFilter filter; QStringList uids; };  // uids newest first, ties later stored first
    const Case cases[] = {
        {"all", {}, {"i", "h", "g", "f", "e", "d", "c", "b", "a"}},   {"device", {.deviceId = "D1"}, {"d", "c", "a"}},
        {"from inclusive, to exclusive", {.from = at(2000), .to = at(4000)}, {"c", "b"}},
        {"verdict", {.verdict = "FAIL"}, {"d", "b"}},                 {"no verdict", {.verdict = kNoVerdict}, {"c"}},
        {"bench by host", {.bench = "bench-2"}, {"d", "c"}},
        {"bench by module serial", {.bench = "M-bench-1"}, {"e", "b", "a"}},
        {"all at once", {"D1", at(1000), at(5000), "PASS", "bench-1", {}, {}, 1000}, {"a"}},
        {"limit", {.limit = 2}, {"i", "h"}},                          {"nothing", {.deviceId = "D9"}, {}},
        {"'_' is itself", {.devicePattern = "A_*"}, {"f"}},          {"'%' is itself", {.devicePattern = "*%*"}, {"h"}},
        {"ASCII letters either case", {.devicePattern = "a*"}, {"h", "g", "f"}},
        {"pattern", {.devicePattern = "*1"}, {"i", "g", "f", "d", "c", "a"}},
        {"recipe", {.recipe = "CWDM-4"}, {"g", "f"}},                {"no such recipe", {.recipe = "DWDM"}, {}},
        {"recipe and pattern", {.recipe = "CWDM-4", .devicePattern = "*1"}, {"g", "f"}},
    };
    for (const Case& c : cases) {
        QStringList got;
        for (const RecordSummary& s : store_.list(c.filter)) {
            got << store_.load(s.id)->uid;
            EXPECT_EQ(s.deviceId, QString::fromLatin1(rows[s.port].device)) << c.name;
            EXPECT_EQ(s.recipeName, QString::fromLatin1(rows[s.port].recipe)) << c.name;
        }
        EXPECT_EQ(got, c.uids) << c.name;
        RecordFilter unlimited = c.filter;
        unlimited.limit = 0;
        EXPECT_EQ(store_.count(unlimited), c.filter.limit == 2 ? 9 : c.uids.size()) << c.name;
    }
    const RecordSummary top = store_.list({.deviceId = "D1"}).front();
    EXPECT_EQ(std::tie(top.channelCount, top.pointCount, top.kind, top.pass, top.hostName, top.moduleSerial, top.laserSerial),
              std::make_tuple(2, 20001, RecordKind::RepeatPass, 4, QStringLiteral("bench-2"), QStringLiteral("M-bench-2"), QStringLiteral("SN-L-7")));
    EXPECT_EQ(store_.benches(), (QStringList{"bench-1", "bench-2", "bench-3"}));
}

TEST_P(RecordStoreTest, ARecordSentAgainIsStoredOnceAndOpeningAgainKeepsIt)
{
    const MeasurementRecord r = sampleRecord(QStringLiteral("kept"), QStringLiteral("D1"), 1000);
    const auto first = store_.insert(r);
    const auto resent = store_.insert(r);
    ASSERT_TRUE(first && resent);
    EXPECT_EQ(*first, *resent);
    RecordStore again;
    ASSERT_FALSE(again.open(url_));
    EXPECT_EQ(again.count({}), 1);
    // The version the program writes, in the table a later program migrates from.
    EXPECT_EQ(rawRows(url_, QStringLiteral("SELECT version FROM vxm_schema")), QStringList{QString::number(kRecordSchemaVersion)});
    // Oldest first for the spool, and a removed record leaves nothing behind.
    const auto next = again.insert(sampleRecord(QStringLiteral("next"), QStringLiteral("D1"), 500));
    ASSERT_TRUE(next);
    const std::vector<std::int64_t> ids = again.oldestIds(10);
    ASSERT_EQ(ids, (std::vector<std::int64_t>{*first, *next}));
    EXPECT_TRUE(again.remove(ids.front()));
    EXPECT_FALSE(again.load(ids.front()));
    EXPECT_EQ(again.oldestIds(10), std::vector<std::int64_t>{*next});
}

TEST_P(RecordStoreTest, VersionOneStoreIsMigratedWithItsFiguresAndAFailedMigrationLeavesItAsItWas)
{
    const QString url = freshUrl();
    EXPECT_FALSE(RecordStore().open(*parseStoreLocation(url), 1));  // as the program of schema version 1 left it
    insertVersionOne(url, QStringLiteral("judged"), QStringLiteral("FAIL"), kJudgedFigures);
    insertVersionOne(url, QStringLiteral("plain"), QString(), QString());
    insertVersionOne(url, QStringLiteral("foreign"), QStringLiteral("PASS"), QStringLiteral(R"({"ripple_db":0.125,"channels":[1,2]})"));
    insertVersionOne(url, QStringLiteral("damaged"), QStringLiteral("FAIL"), QStringLiteral(R"({"channels":[{"cha)"));
    // Damaged figures fail the migration, which leaves version one as it was.
    const QStringList columns = tableColumns(url, QStringLiteral("records"));
    RecordStore migrated;
    const StoreError failed = migrated.open(url);
    EXPECT_EQ(failed.problem, StoreProblem::Failed);
    EXPECT_FALSE(failed.detail.isEmpty());
    EXPECT_EQ(rawRows(url, QStringLiteral("SELECT version FROM vxm_schema")), QStringList{"1"});
    EXPECT_EQ(tableColumns(url, QStringLiteral("records")), columns);
    EXPECT_TRUE(tableColumns(url, QStringLiteral("record_figures")).isEmpty());

    // Mended, the store migrates.
    rawRows(url, QStringLiteral("UPDATE records SET figures_json = '' WHERE uid = 'damaged'"));
    const StoreError e = migrated.open(url);
    ASSERT_FALSE(e) << e.detail.toStdString();
    EXPECT_EQ(rawRows(url, QStringLiteral("SELECT version FROM vxm_schema")), QStringList{QString::number(kRecordSchemaVersion)});
    EXPECT_EQ(rawRows(url, QStringLiteral("SELECT uid, judges_device, port, port_count, recipe_name FROM records ORDER BY uid")),
              (QStringList{QStringLiteral("damaged|1|0|0|NULL"), QStringLiteral("foreign|1|0|0|NULL"),
                           QStringLiteral("judged|1|0|0|NULL"), QStringLiteral("plain|0|0|0|NULL")}));
    EXPECT_EQ(rawRows(url, QString::fromLatin1(kFigureRowsOf).arg(QStringLiteral("judged"))), kJudgedRows);
    EXPECT_EQ(rawRows(url, QStringLiteral("SELECT COUNT(*) FROM record_figures")), QStringList{"4"});
    for (const char* sums : {"figure_series", "figure_hours"})
        EXPECT_EQ(rawRows(url, QStringLiteral("SELECT scope, channel, figure, n, last_value, upper_bound FROM %1 ORDER BY channel, figure")
                                   .arg(QLatin1String(sums))),
                  (QStringList{QStringLiteral("|1|offset_nm|1|-0.125|NULL"), QStringLiteral("|1|ripple_db|1|0.75|0.5"),
                               QStringLiteral("|2|insertion_loss|1|1.5|NULL")}))
            << sums;
    EXPECT_EQ(migrated.load(migrated.list({}).back().id)->figuresJson, kJudgedFigures);

    // A record stored now gives the same rows, on its own port.
    MeasurementRecord r = sampleRecord(QStringLiteral("new"), QStringLiteral("D1"), 2000);
    r.figuresJson = kJudgedFigures;
    r.port = 3;
    ASSERT_TRUE(migrated.insert(r));
    QStringList onPort3 = kJudgedRows;
    for (QString& row : onPort3) row.replace(0, 1, QStringLiteral("3"));
    EXPECT_EQ(rawRows(url, QString::fromLatin1(kFigureRowsOf).arg(QStringLiteral("new"))), onPort3);
    EXPECT_TRUE(migrated.remove(*migrated.insert(r)));
    EXPECT_EQ(rawRows(url, QStringLiteral("SELECT COUNT(*) FROM record_figures")), QStringList{"4"});
}

TEST_P(RecordStoreTest, BenchesCreatingOneNewStoreAtOnceAllOpenIt)
{
    for (int round = 0; round < 8; ++round) {
        const QString url = freshUrl();
        std::atomic<int> opened = 0;
        std::vector<std::thread> benches;
        for (int bench = 0; bench < 3; ++bench)
            benches.emplace_back([&url, &opened] { opened += RecordStore().open(url) ? 0 : 1; });
        for (std::thread& bench : benches) bench.join();
        EXPECT_EQ(opened, 3) << "round " << round;
    }
}

TEST_P(RecordStoreTest, RecipesArePublishedOnceForEveryConnection)
{
    RecordStore other;
    ASSERT_FALSE(other.open(url_));
    EXPECT_TRUE(store_.publishRecipe(QStringLiteral("DWDM-8"), 1, QStringLiteral("h1"), QStringLiteral("{\"revision\": 1}")));
    EXPECT_TRUE(other.publishRecipe(QStringLiteral("DWDM-8"), 1, QStringLiteral("h1"), QStringLiteral("{\"revision\": 1}")))
        << "the same text again";
    EXPECT_FALSE(other.publishRecipe(QStringLiteral("DWDM-8"), 1, QStringLiteral("h9"), QStringLiteral("{}")));
    EXPECT_EQ(other.lastError().problem, StoreProblem::Failed);
    EXPECT_TRUE(other.lastError().detail.contains(QStringLiteral("DWDM-8")));
    ASSERT_TRUE(store_.publishRecipe(QStringLiteral("DWDM-8"), 2, QStringLiteral("h2"), QStringLiteral("{\"revision\": 2}")));
    ASSERT_TRUE(store_.publishRecipe(QStringLiteral("CWDM-4"), 1, QStringLiteral("c1"), QStringLiteral("{}")));

    const std::vector<StoredRecipe> newest{{QStringLiteral("CWDM-4"), 1, QStringLiteral("c1"), QStringLiteral("{}")},
                                           {QStringLiteral("DWDM-8"), 2, QStringLiteral("h2"), QStringLiteral("{\"revision\": 2}")}};
    EXPECT_EQ(other.newestRecipes(), newest);
    EXPECT_EQ(other.loadRecipe(QStringLiteral("DWDM-8")), newest[1]);
    EXPECT_FALSE(other.loadRecipe(QStringLiteral("O-band")));
    EXPECT_FALSE(other.lastError());
}

// Figures JSON of channels 1 and 2 (insertion loss held to `ilMax`, ripple unbounded or missing) and
// its verdict, "" when not `judged`.
std::pair<QString, QString> figuresOf(double il, std::optional<double> ripple, double ilMax, bool judged)
{
    QJsonArray channels;
    bool fails = false;
    for (int ch = 1; ch <= 2; ++ch) {
        const double value = il + 0.1 * ch;
        const bool failing = value > ilMax;
        fails = fails || failing;
        channels.append(QJsonObject{
            {QStringLiteral("channel"), ch},
            {QStringLiteral("verdict"), !judged ? QStringLiteral("-") : failing ? QStringLiteral("FAIL") : QStringLiteral("PASS")},
            {QStringLiteral("failing"), judged && failing ? QJsonArray{QStringLiteral("insertion_loss")} : QJsonArray{}},
            {QStringLiteral("bounds"), QJsonObject{{QStringLiteral("insertion_loss"), QJsonArray{QJsonValue(), ilMax}}}},
            {QStringLiteral("figures"), QJsonObject{{QStringLiteral("insertion_loss"), value},
                                                     {QStringLiteral("ripple_db"), ripple ? QJsonValue(*ripple) : QJsonValue()}}}});
    }
    const QString verdict = !judged ? QString() : fails ? QStringLiteral("FAIL") : QStringLiteral("PASS");
    return {QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("channels"), channels}}).toJson(QJsonDocument::Compact)),
            verdict};
}

QStringList paretoRows(std::span<const stats::FailureCount> failures)
{
    QStringList rows;
    for (const stats::ParetoBar& bar : stats::pareto(failures))
        rows << QStringLiteral("%1 %2 %3 %4").arg(bar.figure).arg(bar.channel).arg(bar.count).arg(bar.cumulativePercent);
    return rows;
}

TEST_P(RecordStoreTest, StatisticsAreThoseOfThePureFunctionsOverTheSameRecords)
{
    // Out of time order, 23 minutes apart; retests, no device ID, unjudged, a port and a device record.
    std::vector<MeasurementRecord> made;
    constexpr qint64 kSlot = 23 * 60'000;
    const auto store = [this, &made](int i, qint64 slot) {
        MeasurementRecord r = sampleRecord(QString::number(i), i % 5 == 4 ? QString() : QStringLiteral("D%1").arg(i % 3),
                                           1'000'000 + slot * kSlot);
        r.recipeName = i % 2 ? QStringLiteral("R1") : QStringLiteral("R2");
        r.port = i == 7 ? 1 : 0;
        r.kind = i == 9 ? RecordKind::Device : RecordKind::Spectrum;
        const auto [json, verdict] = figuresOf(1.0 + 0.013 * ((i * 7) % 9), i % 4 == 3 ? std::nullopt : std::optional(0.2 + 0.05 * (i % 3)),
                                               i < 6 ? 1.2 : 1.25, i % 6 != 5);
        r.figuresJson = json;
        r.verdict = verdict == QLatin1String("PASS") && i % 4 == 0 ? QStringLiteral("MARGINAL") : verdict;
        const std::optional<std::int64_t> id = store_.insert(r);
        ASSERT_TRUE(id) << store_.lastError().detail.toStdString();
        r.id = *id;
        made.push_back(r);
    };
    for (int i = 0; i < 14; ++i) store(i, (i * 5) % 14);

    // Time ranges from the middle of an hour to the middle of another: their whole hours summed.
    const RecordFilter filters[] = {{}, {.recipe = QStringLiteral("R1")}, {.recipe = QStringLiteral("R2")},
                                    {.from = at(1'000'000 + 3 * kSlot), .to = at(1'000'000 + 11 * kSlot)},
                                    {.from = at(1'000'000 + 5 * kSlot), .recipe = QStringLiteral("R1")},
                                    {.to = at(1'000'000 + 9 * kSlot)}};
    const auto expectPure = [&](const char* when) {
      std::ranges::sort(made, {}, [](const MeasurementRecord& r) { return r.utc; });
      for (const RecordFilter& filter : filters) {
        SCOPED_TRACE(when + (filter.recipe + filter.from.toString() + filter.to.toString()).toStdString());
        const auto selected = [&filter](const MeasurementRecord& r) {
            return (filter.recipe.isEmpty() || r.recipeName == filter.recipe) && (!filter.from.isValid() || r.utc >= filter.from) &&
                   (!filter.to.isValid() || r.utc < filter.to);
        };
        std::vector<stats::JudgedRecord> judged;
        std::vector<stats::FailureCount> failures;
        using Series = std::tuple<int, int, QString>;
        std::map<Series, std::vector<FigureValue>> values;
        std::map<Series, stats::SpecLimits> limits;
        for (const MeasurementRecord& r : made) {
            if (!selected(r)) continue;
            if (r.judgesDevice()) judged.push_back({r.deviceId, r.verdict});
            for (const QJsonValue c : QJsonDocument::fromJson(r.figuresJson.toUtf8())[QStringLiteral("channels")].toArray()) {
                const int ch = c[QStringLiteral("channel")].toInt();
                if (r.judgesDevice() && !c[QStringLiteral("failing")].toArray().isEmpty())
                    failures.push_back({QStringLiteral("insertion_loss"), ch, 1});
                for (const QString& key : {QStringLiteral("insertion_loss"), QStringLiteral("ripple_db")}) {
                    const QJsonValue v = c[QStringLiteral("figures")][key];
                    if (v.isNull()) continue;
                    values[{r.port, ch, key}].push_back({r.utc, v.toDouble()});
                    const QJsonValue bound = c[QStringLiteral("bounds")][key];
                    limits[{r.port, ch, key}] = {bound[0].isDouble() ? std::optional(bound[0].toDouble()) : std::nullopt,
                                                 bound[1].isDouble() ? std::optional(bound[1].toDouble()) : std::nullopt};
                }
            }
        }
        const LineStatistics got = store_.statistics(filter);
        ASSERT_FALSE(store_.lastError()) << store_.lastError().detail.toStdString();
        const stats::Yield yield = stats::yieldOf(judged);
        EXPECT_EQ(std::tie(got.yield.tested, got.yield.passedFirst, got.yield.passed, got.yield.firstPassYield, got.yield.finalYield),
                  std::tie(yield.tested, yield.passedFirst, yield.passed, yield.firstPassYield, yield.finalYield));
        EXPECT_GT(yield.tested, 0);
        EXPECT_EQ(paretoRows(got.failures), paretoRows(failures));
        ASSERT_EQ(got.figures.size(), values.size());
        auto series = values.begin();
        for (const FigureStatistics& f : got.figures) {
            SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(f.port).arg(f.channel).arg(f.figure).toStdString());
            ASSERT_EQ(Series(f.port, f.channel, f.figure), series->first);
            std::vector<double> xs;
            for (const FigureValue& v : series->second) xs.push_back(v.value);
            const stats::Aggregates a = stats::summarize(xs);
            const stats::Aggregates& b = f.aggregates;
            EXPECT_EQ(std::tie(b.count, b.shift, b.minimum, b.maximum, b.movingRangeCount),
                      std::tie(a.count, a.shift, a.minimum, a.maximum, a.movingRangeCount));
            EXPECT_NEAR(b.sum, a.sum, 1e-12);
            EXPECT_NEAR(b.sumSquares, a.sumSquares, 1e-12);
            EXPECT_NEAR(b.movingRangeSum, a.movingRangeSum, 1e-12);
            EXPECT_EQ(std::tie(f.limits.lower, f.limits.upper), std::tie(limits[series->first].lower, limits[series->first].upper));
            const std::vector<FigureValue> run = store_.figureValues(filter, f.port, f.channel, f.figure);
            EXPECT_EQ(run.size(), series->second.size());
            for (std::size_t k = 0; k < std::min(run.size(), series->second.size()); ++k)
                EXPECT_EQ(std::tie(run[k].utc, run[k].value), std::tie(series->second[k].utc, series->second[k].value));
            ++series;
        }
      }
    };
    expectPure("stored out of order");
    // Once summed: a record older than all, one newer than all, and one of R1 removed from the
    // middle (R2's sums now start at a value that is no longer the first).
    store(14, -3);
    store(15, 30);
    const auto removed = std::find_if(made.begin() + 5, made.end(), [](const MeasurementRecord& r) { return r.recipeName == QLatin1String("R1"); });
    ASSERT_TRUE(store_.remove(removed->id));
    made.erase(removed);
    expectPure("added before and after, one removed");
}

// Two benches' day: a retest passing, a pass, a marginal without a recipe, a failing port record.
void storeDashboardDay(RecordStore& store)
{
    struct Row { const char* device; const char* host; const char* recipe; double il; int port; const char* verdict; };
    const Row rows[] = {{"D1", "bench-1", "R1", 1.1, 0, nullptr}, {"D1", "bench-1", "R1", 1.0, 0, nullptr},
                        {"D2", "bench-1", "R1", 1.0, 0, nullptr}, {"D3", "bench-2", "", 1.0, 0, "MARGINAL"},
                        {"D4", "bench-2", "", 1.1, 1, nullptr}};
    int i = 0;
    for (const Row& row : rows) {
        MeasurementRecord r = sampleRecord(newRecordUid(), QString::fromLatin1(row.device), 1'780'000'000'000 + 1000 * i++);
        r.bench.hostName = QString::fromLatin1(row.host);
        r.recipeName = QString::fromLatin1(row.recipe);
        r.port = row.port;
        std::tie(r.figuresJson, r.verdict) = figuresOf(row.il, 0.25, 1.25, true);
        if (row.verdict) r.verdict = QString::fromLatin1(row.verdict);
        ASSERT_TRUE(store.insert(r)) << store.lastError().detail.toStdString();
    }
}

QString sourceFile(const char* path)
{
    QFile file(QStringLiteral(VXM_SOURCE_DIR "/") + QString::fromLatin1(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return QString::fromUtf8(file.readAll());
}

// On PostgreSQL the dashboard's role as the documented script makes it, run twice.
TEST_P(RecordStoreTest, DashboardViewsAnswerTheDocumentedQueriesAndTheirRoleChangesNothing)
{
    storeDashboardDay(store_);
    // sampleRecord's local time is UTC+8: 20:26 UTC is the next local day.
    EXPECT_EQ(rawRows(url_, QStringLiteral("SELECT * FROM dashboard_yield ORDER BY day, bench, recipe")),
              (QStringList{QStringLiteral("2026-05-29|bench-1|R1|2|1|2|0.5|1"), QStringLiteral("2026-05-29|bench-2||1|1|1|1|1")}));
    EXPECT_EQ(rawRows(url_, QStringLiteral("SELECT * FROM dashboard_failures")),
              QStringList{QStringLiteral("2026-05-29|bench-1|R1|insertion_loss|2|1")});
    EXPECT_EQ(rawRows(url_, QStringLiteral("SELECT day, device_id, port, figure, value, upper_bound, pass FROM dashboard_figure_values"
                                           " WHERE channel = 2 AND figure = 'insertion_loss' ORDER BY utc_ms DESC LIMIT 2")),
              (QStringList{QStringLiteral("2026-05-29|D4|1|insertion_loss|1.3|1.25|0"), QStringLiteral("2026-05-29|D3|0|insertion_loss|1.2|1.25|1")}));

    const QString docs = sourceFile("docs/records.md");
    const QRegularExpression block(QStringLiteral("```sql\\n(.*?)```"), QRegularExpression::DotMatchesEverythingOption);
    int examples = 0;
    for (const QRegularExpressionMatch& m : block.globalMatch(docs)) {
        EXPECT_FALSE(rawRows(url_, m.captured(1)).isEmpty()) << m.captured(1).toStdString();
        ++examples;
    }
    EXPECT_EQ(examples, 3);

    if (GetParam() != Engine::PostgreSQL) return;
    rawRows(url_, sourceFile("docs/sql/dashboard-role.sql"));
    rawRows(url_, sourceFile("docs/sql/dashboard-role.sql"));  // a second run changes nothing
    rawRows(url_, QStringLiteral("ALTER ROLE vxm_dashboard PASSWORD 'dash'"));
    StoreLocation dashboard = *parseStoreLocation(url_);
    dashboard.user = QStringLiteral("vxm_dashboard");
    dashboard.password = QStringLiteral("dash");
    {
        QSqlDatabase db = addStoreConnection(dashboard, QStringLiteral("dashboard"));
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        for (const char* view : {"dashboard_yield", "dashboard_failures", "dashboard_figure_values"}) {
            EXPECT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(view))) && q.next() && q.value(0).toInt() > 0)
                << view << ": " << q.lastError().text().toStdString();
        }
        for (const char* change : {"SELECT COUNT(*) FROM records", "INSERT INTO recipes VALUES ('x', 1, 'h', 't', 0)",
                                   "UPDATE records SET verdict = 'PASS'", "DELETE FROM record_figures",
                                   "DELETE FROM dashboard_figure_values", "CREATE TABLE mine (x INTEGER)"}) {
            EXPECT_FALSE(q.exec(QString::fromLatin1(change))) << change;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("dashboard"));
    EXPECT_EQ(store_.count({}), 5);
}

TEST_P(RecordStoreTest, PruningInBatchesDropsOnlyTheSpectraOfRecordsBeforeTheCutOff)
{
    const QDateTime cutOff = QDateTime::currentDateTimeUtc();
    std::vector<std::int64_t> ids;
    for (int s : {-3, -2, -1, 0, 1})
        ids.push_back(*store_.insert(sampleRecord(newRecordUid(), QStringLiteral("D"), cutOff.addSecs(s).toMSecsSinceEpoch())));
    EXPECT_EQ(store_.pruneSpectra(cutOff, 2), 3) << "two batches of two, the second one short";
    EXPECT_EQ(store_.pruneSpectra(cutOff, 2), 0);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::optional<MeasurementRecord> r = store_.load(ids[i]);
        ASSERT_TRUE(r);
        const std::size_t points = i < 3 ? 0 : 20001;
        EXPECT_EQ(std::make_pair(r->wavelengthsNm.size(), r->values.size()), std::make_pair(points, points)) << i;
        EXPECT_EQ(r->channels.size(), 2U);
    }
}

TEST(RecordStore, BadAddressesAndDatabasesNameTheirCause)
{
    QTemporaryDir dir;
    QString whyNot;
    PostgresServer* pg = sharedPostgres(&whyNot);  // without one the PostgreSQL cases are left out
    struct Case { const char* name; QString target; StoreProblem expected; };
    std::vector<Case> cases = {
        {"malformed", QStringLiteral("postgresql://bench@:5432/vxm"), StoreProblem::MalformedUrl},
        {"no server", QStringLiteral("postgresql://vxm:x@127.0.0.1:%1/vxm").arg(freeLocalPort()), StoreProblem::Unreachable},
        {"file that cannot be written", QStringLiteral("/proc/vxm-records.sqlite"), StoreProblem::ReadOnly},
        {"newer schema (SQLite)", dir.filePath(QStringLiteral("newer.sqlite")), StoreProblem::SchemaVersion},
        {"foreign tables (SQLite)", dir.filePath(QStringLiteral("foreign.sqlite")), StoreProblem::SchemaVersion},
    };
    newerSchema(cases[3].target);
    rawRows(cases[4].target, QStringLiteral("CREATE TABLE records (name TEXT)"));
    if (pg) {
        ASSERT_TRUE(pg->createDatabase(QStringLiteral("newer")));
        newerSchema(pg->url(QStringLiteral("newer")));
        cases.push_back({"wrong password", pg->url(QStringLiteral("postgres"), QStringLiteral("wrong")), StoreProblem::AccessDenied});
        cases.push_back({"no such database", pg->url(QStringLiteral("missing")), StoreProblem::NoDatabase});
        cases.push_back({"newer schema (PostgreSQL)", pg->url(QStringLiteral("newer")), StoreProblem::SchemaVersion});
    }
    for (const Case& c : cases) {
        RecordStore store;
        const StoreError e = store.open(c.target);
        EXPECT_EQ(e.problem, c.expected) << c.name << ": " << e.detail.toStdString();
        EXPECT_FALSE(e.detail.isEmpty()) << c.name;
        EXPECT_FALSE(store.insert(sampleRecord(QStringLiteral("u"), QStringLiteral("D"), 0))) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordStoreTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL"; });

}  // namespace
