// The record store on both engines: schema, every field back as written (the spectrum bit for
// bit), a record stored once whatever the number of sends, and the lists' filters and order.
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
    RecordSettings& s = r.settings;
    s = {1527, 1567, 40, 3, 20001, QStringLiteral("2. Channel #2"), RecordMode::Regular, false, true, true, false,
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

RecordFilter filterOf(const QString& device = {}, const QDateTime& from = {}, const QDateTime& to = {},
                      const QString& verdict = {}, const QString& bench = {}, int limit = 1000)
{
    return {device, from, to, verdict, bench, limit};
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
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

TEST_P(RecordStoreTest, ARecordSentAgainIsStoredOnce)
{
    const MeasurementRecord r = sampleRecord(QStringLiteral("uid-again"), QStringLiteral("D1"), 1000);
    const auto first = store_.insert(r);
    const auto second = store_.insert(r);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *second);
    EXPECT_EQ(store_.count({}), 1);
}

TEST_P(RecordStoreTest, ListsFilterAndRunNewestFirst)
{
    struct Row {
        const char* uid;
        const char* device;
        qint64 utcMs;
        const char* verdict;
        const char* host;
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
    struct Case {
        const char* name;
        RecordFilter filter;
        QStringList uids;  // newest first; equal times: the later stored first
    };
    const Case cases[] = {
        {"all", filterOf(), {"e", "d", "c", "b", "a"}},
        {"device", filterOf(QStringLiteral("D1")), {"d", "c", "a"}},
        {"from inclusive, to exclusive", filterOf({}, at(2000), at(4000)), {"c", "b"}},
        {"verdict", filterOf({}, {}, {}, QStringLiteral("FAIL")), {"d", "b"}},
        {"no verdict", filterOf({}, {}, {}, kNoVerdict), {"c"}},
        {"bench by host", filterOf({}, {}, {}, {}, QStringLiteral("bench-2")), {"d", "c"}},
        {"bench by module serial", filterOf({}, {}, {}, {}, QStringLiteral("M-bench-1")), {"e", "b", "a"}},
        {"all at once", filterOf(QStringLiteral("D1"), at(1000), at(5000), QStringLiteral("PASS"), QStringLiteral("bench-1")), {"a"}},
        {"limit", filterOf({}, {}, {}, {}, {}, 2), {"e", "d"}},
        {"nothing", filterOf(QStringLiteral("D9")), {}},
    };
    for (const Case& c : cases) {
        QStringList got;
        for (const RecordSummary& s : store_.list(c.filter)) got << store_.load(s.id)->uid;
        EXPECT_EQ(got, c.uids) << c.name;
        RecordFilter unlimited = c.filter;
        unlimited.limit = 0;
        EXPECT_EQ(store_.count(unlimited), c.filter.limit == 2 ? 5 : c.uids.size()) << c.name;
    }
    const RecordSummary top = store_.list(filterOf(QStringLiteral("D1"))).front();
    EXPECT_EQ(top.channelCount, 2);
    EXPECT_EQ(top.pointCount, 20001);
    EXPECT_EQ(top.kind, RecordKind::RepeatPass);
    EXPECT_EQ(top.pass, 4);
    EXPECT_EQ(top.hostName, QStringLiteral("bench-2"));
    EXPECT_EQ(store_.benches(), (QStringList{QStringLiteral("bench-1"), QStringLiteral("bench-2")}));
}

TEST_P(RecordStoreTest, SchemaIsVersionedAndOpeningAgainKeepsTheRecords)
{
    ASSERT_TRUE(store_.insert(sampleRecord(QStringLiteral("kept"), QStringLiteral("D1"), 1000)));
    RecordStore again;
    ASSERT_FALSE(again.open(url_));
    EXPECT_EQ(again.count({}), 1);
    {
        // The version the program writes, in the table a later program migrates from.
        const StoreLocation where = *parseStoreLocation(url_);
        QSqlDatabase db = QSqlDatabase::addDatabase(
            where.engine == StoreLocation::Engine::SQLite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
            QStringLiteral("raw"));
        db.setDatabaseName(where.engine == StoreLocation::Engine::SQLite ? where.path : where.database);
        db.setHostName(where.host);
        db.setPort(where.port);
        db.setUserName(where.user);
        db.setPassword(where.password);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT version FROM vxm_schema")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), kRecordSchemaVersion);
        EXPECT_FALSE(q.next());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    // Oldest first for the spool, and a removed record leaves nothing behind.
    const auto second = again.insert(sampleRecord(QStringLiteral("next"), QStringLiteral("D1"), 500));
    ASSERT_TRUE(second);
    const std::vector<std::int64_t> ids = again.oldestIds(10);
    ASSERT_EQ(ids.size(), 2U);
    EXPECT_EQ(ids.back(), *second);
    EXPECT_TRUE(again.remove(ids.front()));
    EXPECT_FALSE(again.load(ids.front()));
    EXPECT_EQ(again.oldestIds(10), std::vector<std::int64_t>{*second});
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordStoreTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL"; });

}  // namespace
