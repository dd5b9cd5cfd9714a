// The writer's thread and spool when the server goes away, the address is bad, the store refuses a
// record or the spool cannot be written; and what a record holds of the main window.
#include "records_rig.h"

#include "core/texts.h"
#include "records/history_host.h"
#include "records/record_capture.h"
#include "records/record_status.h"
#include "records/record_writer.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

MeasurementRecord pass(const QString& device, int n)
{
    MeasurementRecord r = recordOf(device, QDateTime::currentDateTimeUtc(), 2001, 1550.0F, 0.0F, [n](int) { return -1.0F * n; });
    r.kind = RecordKind::RepeatPass;
    r.pass = n;
    return r;
}

// The passes of `device` in the order the store received them.
std::vector<int> storedPasses(const QString& url, const QString& device)
{
    RecordStore store;
    EXPECT_FALSE(store.open(url));
    std::vector<int> passes;
    const std::vector<RecordSummary> newestFirst = store.list({.deviceId = device});
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) passes.push_back(it->pass);
    // Received order is id order; the times were taken in pass order too.
    for (std::size_t i = 1; i < newestFirst.size(); ++i) EXPECT_GT(newestFirst[i - 1].id, newestFirst[i].id);
    return passes;
}

bool waitFor(const std::function<bool()>& done, int ms = 20000) { return QTest::qWaitFor(done, ms); }

// The records line and the information box in red, the box's text starting with `start`.
void expectShownInRed(WindowRig& rig, const QString& start)
{
    EXPECT_EQ(foreColorOf(rig.form.RecordsStatus), VbColor::Red);
    EXPECT_EQ(rig.info.color(), VbColor::Red);
    EXPECT_TRUE(rig.info.text().startsWith(start)) << rig.info.text().toStdString();
}

TEST(RecordWriter, ServerStoppedDuringARepeatedMeasurementGetsEveryPassOnceInOrderAndARefusedRecordSetAside)
{
    PostgresServer* pg = postgresWith(QStringLiteral("fault"));
    if (!pg) return;
    const QString url = pg->url(QStringLiteral("fault"));
    QTemporaryDir dir;
    const QString spool = dir.filePath(QStringLiteral("spool.sqlite"));
    MeasurementRecord refused = pass(QStringLiteral("BAD-3"), 1);
    refused.uid = QString(65, QLatin1Char('u'));  // the column holds 64 characters; SQLite does not check
    QStringList arrived;
    {
        RecordWriter writer(url, spool, 200);
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
        writer.submit(refused);  // spooled, and refused by the server once it is back
        ASSERT_TRUE(waitFor([&] { return writer.status().waiting == 6; }));
        EXPECT_FALSE(writer.status().storeUp);
        EXPECT_EQ(writer.status().error.problem, StoreProblem::Unreachable);
        QTest::qWait(600);  // a few retries against the stopped server change nothing
        EXPECT_EQ(std::make_pair(writer.status().waiting, writer.status().inMemory), std::make_pair(6, 0)) << "all in the spool";

        ASSERT_TRUE(pg->start()) << pg->problem().toStdString();
        measure(8);
        ASSERT_TRUE(waitFor([&] { return writer.status().waiting == 0 && arrived.size() == 9; }));
        EXPECT_TRUE(writer.status().storeUp);
        EXPECT_EQ(arrived, sent);
        ASSERT_TRUE(writer.status().latestSetAside);
        EXPECT_EQ(std::make_tuple(writer.status().setAside, writer.status().latestSetAside->uid), std::make_tuple(1, refused.uid));
        EXPECT_TRUE(writer.status().latestSetAside->reason.contains(QStringLiteral("64")));
    }
    EXPECT_EQ(storedPasses(url, QStringLiteral("DUT-42")), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(setAsideEntries(setAsideFolder(spool)).size(), 1U);
}

TEST(RecordWriter, ABadAddressIsShownInRedAndTheSpoolIsSentAtTheNextStart)
{
    QTemporaryDir dir;
    const QString spool = dir.filePath(QStringLiteral("spool.sqlite"));
    {
        WindowRig rig;
        RecordWriter first(QStringLiteral("postgresql://bench@:5432/vxm"), spool, 60000);
        RecordStatusController status(rig.form, rig.info, first);
        first.start();
        for (int n = 0; n < 3; ++n) first.submit(pass(QStringLiteral("D7"), n));
        ASSERT_TRUE(waitFor([&] { return rig.form.RecordsStatus->text() == QStringLiteral("Records: 3 waiting"); }));
        expectShownInRed(rig, QStringLiteral("The records database address cannot be read: postgresql://bench@:5432/vxm"));
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

// A results table with a NaN bandwidth: SQLite keeps a NaN as NULL, which the column refuses.
MeasurementRecord refusedBySqlite(const QString& device)
{
    MeasurementRecord r = pass(device, 1);
    r.channels = {{1550.0F, std::numeric_limits<float>::quiet_NaN(), -3.5F}};
    r.figuresJson = QStringLiteral(R"({"ripple_db":0.5})");
    return r;
}

// The record a set-aside file holds is the one submitted, the NaN's bits included.
void expectKeptWhole(const QString& folder, const MeasurementRecord& submitted)
{
    const std::vector<SetAsideEntry> entries = setAsideEntries(folder);
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(std::tie(entries[0].uid, entries[0].deviceId), std::tie(submitted.uid, submitted.deviceId));
    EXPECT_TRUE(entries[0].reason.contains(QStringLiteral("NOT NULL"))) << entries[0].reason.toStdString();
    QFile file(entries[0].file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::optional<MeasurementRecord> kept = setAsideRecord(file.readAll());
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->channels.size(), 1U);
    EXPECT_EQ(std::memcmp(&kept->channels[0], &submitted.channels[0], sizeof(RecordedChannel)), 0);
    MeasurementRecord a = *kept, b = submitted;
    a.channels.clear();
    b.channels.clear();
    EXPECT_EQ(a, b);
}

TEST(RecordWriter, ARecordTheStoreRefusesIsSetAsideInRedAndTheRecordsBehindItAreStored)
{
    QTemporaryDir dir;
    const QString spool = dir.filePath(QStringLiteral("spool.sqlite"));
    const QString aside = setAsideFolder(spool);
    EXPECT_EQ(aside, dir.filePath(QStringLiteral("spool-set-aside")));

    // The store up: the refused record comes straight back from it.
    {
        const QString target = dir.filePath(QStringLiteral("up.sqlite"));
        WindowRig rig;
        RecordWriter writer(target, spool, 100);
        RecordStatusController status(rig.form, rig.info, writer);
        writer.start();
        const MeasurementRecord refused = refusedBySqlite(QStringLiteral("BAD-1"));
        writer.submit(pass(QStringLiteral("OK-1"), 0));
        writer.submit(refused);
        writer.submit(pass(QStringLiteral("OK-2"), 2));
        ASSERT_TRUE(waitFor([&] { return writer.status().waiting == 0 && writer.status().setAside == 1; }));
        EXPECT_TRUE(writer.status().storeUp);
        EXPECT_EQ(rig.form.RecordsStatus->text(), QStringLiteral("Records: stored; 1 set aside"));
        expectShownInRed(rig, QStringLiteral("The records database %1 refused a record for good").arg(target));
        EXPECT_TRUE(rig.info.text().contains(QStringLiteral("Device BAD-1")));
        EXPECT_EQ(storedPasses(target, {}), (std::vector<int>{0, 2}));  // OK-1, OK-2
        expectKeptWhole(aside, refused);

        // The History window names it, beside the records the store holds.
        HistoryHost history(rig.form, target, spool);
        history.show();
        const QLabel* line = history.window()->SetAside;
        EXPECT_TRUE(line->isVisible());
        EXPECT_TRUE(line->text().startsWith(QStringLiteral("1 records refused by the database are set aside; the newest: BAD-1")))
            << line->text().toStdString();
        EXPECT_TRUE(line->text().contains(QStringLiteral("NOT NULL")));
        EXPECT_EQ(line->accessibleName(), QStringLiteral("Set-aside records"));
        history.window()->close();
    }
    QDir(aside).removeRecursively();

    // The store away: the spool refuses the record as well, so it waits in memory with the one
    // behind it; when the store comes up the spooled record goes first and the refused one aside.
    const QString later = dir.filePath(QStringLiteral("later/records.sqlite"));
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("later"))).open(QIODevice::WriteOnly));  // a file where the store's folder goes
    RecordWriter writer(later, spool, 100);
    writer.start();
    const MeasurementRecord refused = refusedBySqlite(QStringLiteral("BAD-2"));
    writer.submit(pass(QStringLiteral("OK-3"), 3));
    writer.submit(refused);
    writer.submit(pass(QStringLiteral("OK-4"), 4));
    ASSERT_TRUE(waitFor([&] { return writer.status().inMemory == 2; })) << "the spool takes the first record only";
    EXPECT_EQ(writer.status().waiting, 3);
    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("later"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("later"))));
    ASSERT_TRUE(waitFor([&] { return writer.status().waiting == 0 && writer.status().setAside == 1; }));
    EXPECT_EQ(writer.status().inMemory, 0);
    EXPECT_EQ(storedPasses(later, {}), (std::vector<int>{3, 4}));  // OK-3, OK-4
    expectKeptWhole(aside, refused);
}

TEST(RecordWriter, RecordsWaitInMemoryWhileTheSpoolCannotBeWrittenAndMoveToItWhenItCan)
{
    QTemporaryDir dir;
    // Root writes anywhere: a regular file where the spool's folder should be stops it.
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("data"))).open(QIODevice::WriteOnly));
    const QString spool = dir.filePath(QStringLiteral("data/spool.sqlite"));
    {
        WindowRig rig;
        RecordWriter writer(QStringLiteral("postgresql://bench@:5432/vxm"), spool, 100);
        RecordStatusController status(rig.form, rig.info, writer);
        writer.start();
        for (int n = 0; n < 3; ++n) writer.submit(pass(QStringLiteral("D9"), n));
        ASSERT_TRUE(waitFor([&] { return writer.status().inMemory == 3; }));
        EXPECT_EQ(writer.status().waiting, 3);
        EXPECT_TRUE(writer.status().spoolError);
        EXPECT_EQ(rig.form.RecordsStatus->text(), QStringLiteral("Records: 3 waiting, 3 in memory only"));
        expectShownInRed(rig, QStringLiteral("The records spool %1 cannot be written").arg(spool));
        QTest::qWait(300);  // retries against the blocked folder keep them, in memory
        EXPECT_EQ(writer.status().inMemory, 3);

        ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("data"))));
        ASSERT_TRUE(waitFor([&] { return writer.status().inMemory == 0; }));
        EXPECT_EQ(writer.status().waiting, 3);
        EXPECT_EQ(rig.form.RecordsStatus->text(), QStringLiteral("Records: 3 waiting"));
        EXPECT_EQ(rig.info.color(), VbColor::Blue);
        EXPECT_EQ(rig.info.text(), QStringLiteral("The records spool %1 can be written again").arg(spool));
    }
    const QString target = dir.filePath(QStringLiteral("records.sqlite"));
    {
        RecordWriter next(target, spool, 60000);
        next.start();
        ASSERT_TRUE(waitFor([&] { return next.status().storeUp && next.status().waiting == 0; }));
    }
    EXPECT_EQ(storedPasses(target, QStringLiteral("D9")), (std::vector<int>{0, 1, 2}));
}

TEST(RecordCapture, TheRecordHoldsTheWindowsSettingsAndTheSharedResults)
{
    resetSharedState();
    Form1 form;
    QTemporaryDir dir;
    RecordWriter writer(dir.filePath(QStringLiteral("r.sqlite")), dir.filePath(QStringLiteral("s.sqlite")));
    RecordCapture capture(form, writer, QStringLiteral("3.0"));
    capture.setModuleIdentity(QStringLiteral("VXM-C\r\n"), QStringLiteral("SN-9 "));
    verdict::DeviceVerdict judged;
    judged.outcome = verdict::Outcome::Fail;
    capture.verdictJudged(judged);
    capture.spectrumAnalysed();
    Module1.TLSInfoPN = QStringLiteral("TLS-C\r\n");
    Module1.TLSInfoSN = QStringLiteral("L-1\r\n");
    Module1.ChannelSelect = 1;
    Module1.ScanWL = {1.0F, 2.0F, 3.0F, 4.0F, 5.0F, 6.0F};
    Module1.ScanValue = {-1.0F, -2.0F, -3.0F, -4.0F, -5.0F, -6.0F};
    Module1.LastPointIndex = 3;
    Module1.ChannelCount = 3;
    Module1.ChannelResults = {{0, 0, 0}, {1530.5F, 0.4F, -1.5F}, {0.5F, 0.1F, -9.0F}, {1550.25F, 0.5F, -2.5F}, {1600, 1, 1}};
    form.DeviceId->setText(QStringLiteral("  DUT 7 "));
    for (const auto& [box, text] : {std::pair{form.Text1, "1527.9"}, std::pair{form.Text2, "1568"}, std::pair{form.Text3, "40"},
                                    std::pair{form.Text6, "3"}, std::pair{form.Text7, "2001"}, std::pair{form.Text8, "-0.5"}})
        box->setText(QString::fromLatin1(text));
    form.ChannelID->setCurrentIndex(1);
    form.CheckVXMScanMode->setChecked(true);
    form.CheckRemoveBKG->setChecked(true);

    form.MeasureSpectrum->setChecked(true);
    const MeasurementRecord r = capture.build(RecordKind::RepeatPass, 5);
    EXPECT_EQ(r.deviceId, QStringLiteral("DUT 7"));
    EXPECT_EQ(r.bench, (BenchIdentity{QStringLiteral("VXM-C"), QStringLiteral("SN-9"), QStringLiteral("TLS-C"),
                                      QStringLiteral("L-1"), QStringLiteral("3.0"), QSysInfo::machineHostName()}));
    RecordSettings expected{1527, 1568, 40, 3, 2001, QStringLiteral("2. Channel #2"), RecordMode::Regular,
                            false, true, false, false, QStringLiteral("-0.5"), true, QStringLiteral("1300")};
    EXPECT_EQ(r.settings, expected);
    EXPECT_EQ(std::make_pair(r.kind, r.pass), std::make_pair(RecordKind::RepeatPass, 5));
    // Rows 1..count that have a center.
    EXPECT_EQ(r.channels, (std::vector<RecordedChannel>{{1530.5F, 0.4F, -1.5F}, {1550.25F, 0.5F, -2.5F}}));
    EXPECT_EQ(std::tie(r.wavelengthsNm, r.values), std::make_tuple(std::vector<float>{1, 2, 3, 4}, std::vector<float>{-1, -2, -3, -4}));
    EXPECT_EQ(std::tie(r.verdict, r.figuresJson), std::make_tuple(QStringLiteral("FAIL"), verdict::figuresJson(judged)));
    EXPECT_LE(std::abs(r.utc.secsTo(QDateTime::currentDateTimeUtc())), 2);
    EXPECT_EQ(r.utcOffsetS, QDateTime::currentDateTime().offsetFromUtc());

    form.TakeBackground->setChecked(true);  // a background: no table
    const MeasurementRecord background = capture.build(RecordKind::RepeatPass, 5);
    expected.background = true;
    EXPECT_EQ(background.settings, expected);
    EXPECT_TRUE(background.channels.empty());
    EXPECT_NE(capture.build(RecordKind::Spectrum, -1).uid, capture.build(RecordKind::Spectrum, -1).uid);

    // The verdict goes with the record of its own analysis only, and without limits it is none.
    capture.captureSpectrum(-1);
    EXPECT_TRUE(capture.build(RecordKind::Spectrum, -1).figuresJson.isEmpty());
    judged.outcome = verdict::Outcome::NotJudged;
    capture.verdictJudged(judged);
    EXPECT_TRUE(capture.build(RecordKind::Spectrum, -1).figuresJson.isEmpty()) << "judged again, not analysed";
    capture.spectrumAnalysed();
    const MeasurementRecord unjudged = capture.build(RecordKind::Spectrum, -1);
    EXPECT_EQ(std::tie(unjudged.figuresJson, unjudged.verdict), std::make_tuple(verdict::figuresJson(judged), QString()));
}

}  // namespace
