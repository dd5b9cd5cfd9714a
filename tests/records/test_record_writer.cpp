// The writer's thread and spool: a server that goes away in the middle of a repeated
// measurement and comes back, a spool left by an earlier run, and the bad addresses and databases
// an operator can point the program at, each named in red while records wait locally.
#include "postgres_server.h"
#include "test_paths.h"

#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "records/record_capture.h"
#include "records/record_status.h"
#include "records/record_writer.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

MeasurementRecord pass(const QString& device, int n)
{
    MeasurementRecord r;
    r.uid = newRecordUid();
    r.utc = QDateTime::currentDateTimeUtc();
    r.deviceId = device;
    r.kind = RecordKind::RepeatPass;
    r.pass = n;
    r.channels = {{1550.0F + 0.001F * static_cast<float>(n), 0.4F, -1.0F}};
    r.wavelengthsNm.assign(2001, 1550.0F);
    r.values.assign(2001, -1.0F * static_cast<float>(n));
    return r;
}

// The passes of `device` in the order the store received them.
std::vector<int> storedPasses(const QString& url, const QString& device)
{
    RecordStore store;
    EXPECT_FALSE(store.open(url));
    std::vector<int> passes;
    RecordFilter filter;
    filter.deviceId = device;
    const std::vector<RecordSummary> newestFirst = store.list(filter);
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) passes.push_back(it->pass);
    // Received order is id order; the times were taken in pass order too.
    for (std::size_t i = 1; i < newestFirst.size(); ++i) EXPECT_GT(newestFirst[i - 1].id, newestFirst[i].id);
    return passes;
}

bool waitFor(const std::function<bool()>& done, int ms = 20000) { return QTest::qWaitFor(done, ms); }

TEST(RecordWriter, ServerStoppedDuringARepeatedMeasurementGetsEveryPassOnceInOrder)
{
    QString whyNot;
    PostgresServer* pg = sharedPostgres(&whyNot);
    if (!pg) GTEST_SKIP() << whyNot.toStdString();
    ASSERT_TRUE(pg->createDatabase(QStringLiteral("fault")));
    const QString url = pg->url(QStringLiteral("fault"));
    QTemporaryDir dir;
    QStringList arrived;
    {
        RecordWriter writer(url, dir.filePath(QStringLiteral("spool.sqlite")), 200);
        QObject::connect(&writer, &RecordWriter::stored, [&arrived](const QString& uid, qint64) { arrived << uid; });
        writer.start();
        QStringList sent;
        const auto measure = [&](int n) {
            MeasurementRecord r = pass(QStringLiteral("DUT-42"), n);
            sent << r.uid;
            writer.submit(std::move(r));
            QTest::qWait(30);  // the next pass' scan
        };
        for (int n = 0; n < 3; ++n) measure(n);
        ASSERT_TRUE(waitFor([&] { return arrived.size() == 3; }));

        ASSERT_TRUE(pg->stop()) << pg->problem().toStdString();
        for (int n = 3; n < 8; ++n) measure(n);
        ASSERT_TRUE(waitFor([&] { return writer.status().waiting == 5; }));
        EXPECT_FALSE(writer.status().storeUp);
        EXPECT_EQ(writer.status().error.problem, StoreProblem::Unreachable);
        QTest::qWait(600);  // a few retries against the stopped server change nothing
        EXPECT_EQ(writer.status().waiting, 5);

        ASSERT_TRUE(pg->start()) << pg->problem().toStdString();
        measure(8);
        ASSERT_TRUE(waitFor([&] { return writer.status().waiting == 0 && arrived.size() == 9; }));
        EXPECT_TRUE(writer.status().storeUp);
        EXPECT_EQ(arrived, sent);
    }
    EXPECT_EQ(storedPasses(url, QStringLiteral("DUT-42")), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(RecordWriter, ASpoolLeftByAnEarlierRunIsSentAtTheNextStart)
{
    QTemporaryDir dir;
    const QString spool = dir.filePath(QStringLiteral("spool.sqlite"));
    const QString away = QStringLiteral("postgresql://vxm:x@127.0.0.1:%1/none").arg(freeLocalPort());
    {
        RecordWriter first(away, spool, 60000);
        first.start();
        for (int n = 0; n < 3; ++n) first.submit(pass(QStringLiteral("D7"), n));
        ASSERT_TRUE(waitFor([&] { return first.status().waiting == 3; }));
    }  // the program ends (or dies) with three records waiting
    const QString target = dir.filePath(QStringLiteral("records.sqlite"));
    {
        RecordWriter second(target, spool, 60000);
        second.start();
        second.submit(pass(QStringLiteral("D7"), 3));
        ASSERT_TRUE(waitFor([&] { return second.status().storeUp && second.status().waiting == 0; }));
    }
    EXPECT_EQ(storedPasses(target, QStringLiteral("D7")), (std::vector<int>{0, 1, 2, 3}));
    RecordStore left;
    ASSERT_FALSE(left.open(spool));
    EXPECT_EQ(left.count({}), 0);
}

// A database of this program's tables at another version, or of someone else's.
void foreignSchema(const QString& driver, const StoreLocation& where, bool newerVersion)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, QStringLiteral("foreign"));
        db.setDatabaseName(where.engine == StoreLocation::Engine::SQLite ? where.path : where.database);
        db.setHostName(where.host);
        db.setPort(where.port);
        db.setUserName(where.user);
        db.setPassword(where.password);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        if (newerVersion) {
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE vxm_schema (version INTEGER NOT NULL)")));
            ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO vxm_schema VALUES (%1)").arg(kRecordSchemaVersion + 1)));
        } else {
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE records (name TEXT)")));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
}

TEST(RecordStore, BadAddressesAndDatabasesNameTheirCause)
{
    QTemporaryDir dir;
    QString whyNot;
    PostgresServer* pg = sharedPostgres(&whyNot);
    struct Case {
        const char* name;
        QString target;
        StoreProblem expected;
    };
    std::vector<Case> cases = {
        {"malformed", QStringLiteral("postgresql://bench@:5432/vxm"), StoreProblem::MalformedUrl},
        {"unknown scheme", QStringLiteral("mysql://dbhost/vxm"), StoreProblem::MalformedUrl},
        {"no server", QStringLiteral("postgresql://vxm:x@127.0.0.1:%1/vxm").arg(freeLocalPort()), StoreProblem::Unreachable},
        {"file that cannot be written", QStringLiteral("/proc/vxm-records.sqlite"), StoreProblem::ReadOnly},
        {"newer schema (SQLite)", dir.filePath(QStringLiteral("newer.sqlite")), StoreProblem::SchemaVersion},
        {"foreign tables (SQLite)", dir.filePath(QStringLiteral("foreign.sqlite")), StoreProblem::SchemaVersion},
    };
    foreignSchema(QStringLiteral("QSQLITE"), *parseStoreLocation(cases[4].target), true);
    foreignSchema(QStringLiteral("QSQLITE"), *parseStoreLocation(cases[5].target), false);
    if (pg) {
        ASSERT_TRUE(pg->createDatabase(QStringLiteral("newer")));
        foreignSchema(QStringLiteral("QPSQL"), *parseStoreLocation(pg->url(QStringLiteral("newer"))), true);
        cases.push_back({"wrong password", pg->url(QStringLiteral("postgres"), QStringLiteral("wrong")), StoreProblem::AccessDenied});
        cases.push_back({"no such database", pg->url(QStringLiteral("missing")), StoreProblem::NoDatabase});
        cases.push_back({"newer schema (PostgreSQL)", pg->url(QStringLiteral("newer")), StoreProblem::SchemaVersion});
    } else {
        std::cout << "PostgreSQL cases skipped: " << whyNot.toStdString() << "\n";
    }
    for (const Case& c : cases) {
        RecordStore store;
        const StoreError e = store.open(c.target);
        EXPECT_EQ(e.problem, c.expected) << c.name << ": " << e.detail.toStdString();
        EXPECT_FALSE(e.detail.isEmpty()) << c.name;
        EXPECT_FALSE(store.insert(pass(QStringLiteral("D"), 0))) << c.name;
    }
}

TEST(RecordStatus, ABadAddressIsShownInRedAndRecordsWaitLocally)
{
    resetSharedState();
    Module1.Language = 1;
    Form1 form;
    InfoBox info(form.DisplayInfo);
    QTemporaryDir dir;
    RecordWriter writer(QStringLiteral("postgresql://bench@:5432/vxm"), dir.filePath(QStringLiteral("spool.sqlite")), 60000);
    RecordStatusController status(form, info, writer);
    writer.start();
    for (int n = 0; n < 2; ++n) writer.submit(pass(QStringLiteral("D"), n));
    ASSERT_TRUE(waitFor([&] { return form.RecordsStatus->text() == QStringLiteral("Records: 2 waiting"); }));
    EXPECT_EQ(info.color(), VbColor::Red);
    EXPECT_TRUE(info.text().startsWith(QStringLiteral("The records database address cannot be read: postgresql://bench@:5432/vxm")))
        << info.text().toStdString();

    Module1.Language = 2;
    status.refresh();
    EXPECT_EQ(form.RecordsStatus->text(), QStringLiteral("记录：2 条待保存"));
    form.DeviceId->setText(QStringLiteral("DUT-0815"));
    form.show();
    form.grab().save(testOutputDir() + QStringLiteral("/records_main_window.png"));
}

TEST(RecordCapture, TheRecordHoldsTheWindowsSettingsAndTheSharedResults)
{
    resetSharedState();
    Form1 form;
    QTemporaryDir dir;
    RecordWriter writer(dir.filePath(QStringLiteral("r.sqlite")), dir.filePath(QStringLiteral("s.sqlite")));
    RecordCapture capture(form, writer, QStringLiteral("3.0"));
    capture.setModuleIdentity(QStringLiteral("VXM-C\r\n"), QStringLiteral("SN-9 "));
    capture.setVerdictProvider([] { return RecordVerdict{QStringLiteral("{\"x\":1}"), QStringLiteral("FAIL")}; });
    Module1.TLSInfoPN = QStringLiteral("TLS-C\r\n");
    Module1.TLSInfoSN = QStringLiteral("L-1\r\n");
    Module1.ChannelSelect = 1;
    Module1.ScanWL = {1.0F, 2.0F, 3.0F, 4.0F, 5.0F, 6.0F};
    Module1.ScanValue = {-1.0F, -2.0F, -3.0F, -4.0F, -5.0F, -6.0F};
    Module1.LastPointIndex = 3;
    Module1.ChannelCount = 3;
    Module1.ChannelResults = {{0, 0, 0}, {1530.5F, 0.4F, -1.5F}, {0.5F, 0.1F, -9.0F}, {1550.25F, 0.5F, -2.5F}, {1600, 1, 1}};
    form.DeviceId->setText(QStringLiteral("  DUT 7 "));
    form.Text1->setText(QStringLiteral("1527.9"));
    form.Text2->setText(QStringLiteral("1568"));
    form.Text3->setText(QStringLiteral("40"));
    form.Text6->setText(QStringLiteral("3"));
    form.Text7->setText(QStringLiteral("2001"));
    form.Text8->setText(QStringLiteral("-0.5"));
    form.ChannelID->setCurrentIndex(1);
    form.CheckVXMScanMode->setChecked(true);
    form.CheckRemoveBKG->setChecked(true);

    struct Case {
        const char* name;
        bool background;
        std::size_t channels;
    };
    for (const Case c : {Case{"spectrum: rows 1..count with a center", false, 2}, Case{"background: no table", true, 0}}) {
        (c.background ? form.TakeBackground : form.MeasureSpectrum)->setChecked(true);
        const MeasurementRecord r = capture.build(RecordKind::RepeatPass, 5);
        EXPECT_EQ(r.deviceId, QStringLiteral("DUT 7")) << c.name;
        EXPECT_EQ(r.bench, (BenchIdentity{QStringLiteral("VXM-C"), QStringLiteral("SN-9"), QStringLiteral("TLS-C"),
                                          QStringLiteral("L-1"), QStringLiteral("3.0"), QSysInfo::machineHostName()}));
        const RecordSettings expected{1527, 1568, 40, 3, 2001, QStringLiteral("2. Channel #2"), RecordMode::Regular,
                                      c.background, true, false, false, QStringLiteral("-0.5"), true, QStringLiteral("1300")};
        EXPECT_EQ(r.settings, expected) << c.name;
        EXPECT_EQ(r.kind, RecordKind::RepeatPass);
        EXPECT_EQ(r.pass, 5);
        ASSERT_EQ(r.channels.size(), c.channels) << c.name;
        if (c.channels) {
            EXPECT_EQ(r.channels[1], (RecordedChannel{1550.25F, 0.5F, -2.5F}));
        }
        EXPECT_EQ(r.wavelengthsNm, (std::vector<float>{1, 2, 3, 4}));
        EXPECT_EQ(r.values, (std::vector<float>{-1, -2, -3, -4}));
        EXPECT_EQ(r.verdict, QStringLiteral("FAIL"));
        EXPECT_LE(std::abs(r.utc.secsTo(QDateTime::currentDateTimeUtc())), 2);
        EXPECT_EQ(r.utcOffsetS, QDateTime::currentDateTime().offsetFromUtc());
        EXPECT_FALSE(r.uid.isEmpty());
    }
    EXPECT_NE(capture.build(RecordKind::Spectrum, -1).uid, capture.build(RecordKind::Spectrum, -1).uid);
}

}  // namespace
