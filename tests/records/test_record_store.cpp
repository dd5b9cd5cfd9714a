// The record store on both engines: schema, every field back as written (the spectrum bit for
// bit), a record stored once whatever the number of sends, the lists' filters and order, and the
// bad addresses and databases an operator can point the program at, each with its cause.
#include "postgres_server.h"
#include "records/record_store.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

class PostgresEnvironment : public ::testing::Environment {
    void TearDown() override { stopSharedPostgres(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PostgresEnvironment);

MeasurementRecord sampleRecord(const QString& uid, const QString& device, qint64 utcMs)
{
    MeasurementRecord r;
    r.uid = uid;
    r.utc = QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC);
    r.utcOffsetS = 8 * 3600;
    r.deviceId = device;
    r.bench = {QStringLiteral("VXM-1550-C"), QStringLiteral("SN-M-0042"), QStringLiteral("TLS-C-01"),
               QStringLiteral("SN-L-7"), QStringLiteral("3.0"), QStringLiteral("bench-3")};
    r.kind = RecordKind::RepeatPass;
    r.pass = 4;
    r.settings = {1527, 1567, 40, 3, 20001, QStringLiteral("2. Channel #2"), RecordMode::Regular, false, true, true, false,
         QStringLiteral("-3.0"), true, QStringLiteral("1550.12")};
    r.channels = {{1530.125F, 0.4375F, -1.234567F}, {1550.0078F, 0.51F, -0.333333F}};
    r.figuresJson = QStringLiteral(R"({"ripple_db":0.125,"channels":[1,2]})");
    r.verdict = QStringLiteral("PASS");
    r.power = 1.0 / 3.0;
    r.powerUnit = QStringLiteral("(dBm)");
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

// Runs `sql` on the database at `url` past the store, as another program would; the first column
// of the rows it gives.
QList<int> rawQuery(const QString& url, const QString& sql)
{
    QList<int> rows;
    {
        QSqlDatabase db = addStoreConnection(*parseStoreLocation(url), QStringLiteral("raw"));
        EXPECT_TRUE(db.open()) << sql.toStdString();
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        while (q.next()) rows << q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return rows;
}

// A database of this program's tables at a later version.
void newerSchema(const QString& url)
{
    rawQuery(url, QStringLiteral("CREATE TABLE vxm_schema (version INTEGER NOT NULL)"));
    rawQuery(url, QStringLiteral("INSERT INTO vxm_schema VALUES (%1)").arg(kRecordSchemaVersion + 1));
}

enum class Engine { SQLite, PostgreSQL };

class RecordStoreTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        if (GetParam() == Engine::SQLite) {
            url_ = dir_.filePath(QStringLiteral("records.sqlite"));
        } else {
            QString whyNot;
            PostgresServer* pg = sharedPostgres(&whyNot);
            if (!pg) GTEST_SKIP() << whyNot.toStdString();
            const QString name = QStringLiteral("store_%1").arg(++databases_);
            ASSERT_TRUE(pg->createDatabase(name)) << pg->problem().toStdString();
            url_ = pg->url(name);
        }
        const StoreError e = store_.open(url_);
        ASSERT_FALSE(e) << e.detail.toStdString();
    }

    static inline int databases_ = 0;
    QTemporaryDir dir_;
    QString url_;
    RecordStore store_;
};

TEST_P(RecordStoreTest, EveryFieldComesBackAsWrittenAndTheSpectrumBitForBit)
{
    MeasurementRecord spectrum = sampleRecord(newRecordUid(), QStringLiteral("器件-7 ä"), 1'780'000'000'123);
    MeasurementRecord power = sampleRecord(newRecordUid(), QString(), 1'780'000'000'999);
    power.kind = RecordKind::PowerReading;
    power.pass = -1;
    power.channels.clear();
    power.wavelengthsNm.clear();
    power.values.clear();
    power.verdict.clear();
    power.figuresJson.clear();
    power.power = -12.3456789012345;
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

TEST_P(RecordStoreTest, ListsFilterAndRunNewestFirst)
{
    struct Row {
        const char *uid, *device;
        qint64 utcMs;
        const char *verdict, *host;
    };
    const Row rows[] = {{"a", "D1", 1000, "PASS", "bench-1"}, {"b", "D2", 2000, "FAIL", "bench-1"},
                        {"c", "D1", 3000, "", "bench-2"},     {"d", "D1", 4000, "FAIL", "bench-2"},
                        {"e", "D3", 4000, "PASS", "bench-1"}};
    for (const Row& row : rows) {
        MeasurementRecord r = sampleRecord(QString::fromLatin1(row.uid), QString::fromLatin1(row.device), row.utcMs);
        r.verdict = QString::fromLatin1(row.verdict);
        r.bench.hostName = QString::fromLatin1(row.host);
        r.bench.moduleSerial = QStringLiteral("M-") + QString::fromLatin1(row.host);
        ASSERT_TRUE(store_.insert(r));
    }
    const auto at = [](qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC); };
    struct Case { const char* name; RecordFilter filter; QStringList uids; };  // uids newest first, ties later stored first
    const Case cases[] = {
        {"all", {}, {"e", "d", "c", "b", "a"}},            {"device", {QStringLiteral("D1"), {}, {}, {}, {}}, {"d", "c", "a"}},
        {"from inclusive, to exclusive", {{}, at(2000), at(4000), {}, {}}, {"c", "b"}},
        {"verdict", {{}, {}, {}, QStringLiteral("FAIL"), {}}, {"d", "b"}},   {"no verdict", {{}, {}, {}, kNoVerdict, {}}, {"c"}},
        {"bench by host", {{}, {}, {}, {}, QStringLiteral("bench-2")}, {"d", "c"}},
        {"bench by module serial", {{}, {}, {}, {}, QStringLiteral("M-bench-1")}, {"e", "b", "a"}},
        {"all at once", {QStringLiteral("D1"), at(1000), at(5000), QStringLiteral("PASS"), QStringLiteral("bench-1"), {}, {}, 1000}, {"a"}},
        {"limit", {{}, {}, {}, {}, {}, {}, {}, 2}, {"e", "d"}},    {"nothing", {QStringLiteral("D9"), {}, {}, {}, {}, {}, {}}, {}},
    };
    for (const Case& c : cases) {
        QStringList got;
        for (const RecordSummary& s : store_.list(c.filter)) got << store_.load(s.id)->uid;
        EXPECT_EQ(got, c.uids) << c.name;
        RecordFilter unlimited = c.filter;
        unlimited.limit = 0;
        EXPECT_EQ(store_.count(unlimited), c.filter.limit == 2 ? 5 : c.uids.size()) << c.name;
    }
    const RecordSummary top = store_.list({QStringLiteral("D1"), {}, {}, {}, {}}).front();
    EXPECT_EQ(std::tie(top.channelCount, top.pointCount, top.kind, top.pass, top.hostName, top.moduleSerial, top.laserSerial),
              std::make_tuple(2, 20001, RecordKind::RepeatPass, 4, QStringLiteral("bench-2"), QStringLiteral("M-bench-2"), QStringLiteral("SN-L-7")));
    EXPECT_EQ(store_.benches(), (QStringList{QStringLiteral("bench-1"), QStringLiteral("bench-2")}));
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
    EXPECT_EQ(rawQuery(url_, QStringLiteral("SELECT version FROM vxm_schema")), QList<int>{kRecordSchemaVersion});
    // Oldest first for the spool, and a removed record leaves nothing behind.
    const auto next = again.insert(sampleRecord(QStringLiteral("next"), QStringLiteral("D1"), 500));
    ASSERT_TRUE(next);
    const std::vector<std::int64_t> ids = again.oldestIds(10);
    ASSERT_EQ(ids.size(), 2U);
    EXPECT_EQ(ids.back(), *next);
    EXPECT_TRUE(again.remove(ids.front()));
    EXPECT_FALSE(again.load(ids.front()));
    EXPECT_EQ(again.oldestIds(10), std::vector<std::int64_t>{*next});
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
    rawQuery(cases[4].target, QStringLiteral("CREATE TABLE records (name TEXT)"));
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
