// Measurement records: the measurement thread's hand-over of a 20001-point record, one such
// record stored (SQLite, PostgreSQL) on the writer's side, the list of one device's records
// among 100 000 (indexes), the line statistics of 100 000 records with 40 figures each (goal
// 300 ms), the History window showing them, and the migration of 100 000 version-1 records (goal
// 60 s on SQLite). The PostgreSQL cases start a throw-away server, as the tests do.
#include "postgres_server.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "records/history_controller.h"
#include "records/history_window.h"
#include "records/record_capture.h"
#include "records/record_store.h"
#include "records/record_writer.h"
#include "records/statistics_controller.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <iostream>

namespace {

constexpr int kPoints = 20001;
constexpr int kGenerated = 100'000;
constexpr int kDevices = 2000;  // 50 records each

MeasurementRecord fullRecord()
{
    MeasurementRecord r;
    r.utc = QDateTime::currentDateTimeUtc();
    r.deviceId = QStringLiteral("DUT-1");
    r.bench = {QStringLiteral("VXM-C"), QStringLiteral("M-1"), QStringLiteral("TLS-C"), QStringLiteral("L-1"),
               QStringLiteral("3.0"), QStringLiteral("bench")};
    r.channels = {{1530.1F, 0.4F, -1.2F}, {1550.2F, 0.5F, -1.4F}};
    // A measured trace: a channel over a noise floor with 0.01 dB of noise.
    std::uint32_t seed = 12345;
    for (int i = 0; i < kPoints; ++i) {
        seed = seed * 1664525U + 1013904223U;
        r.wavelengthsNm.push_back(1527.0F + 0.002F * static_cast<float>(i));
        r.values.push_back(-40.0F + 30.0F * std::exp(-std::pow((static_cast<float>(i) - 9000.0F) / 800.0F, 2.0F)) +
                           0.01F * static_cast<float>(seed >> 8) / 16777216.0F);
    }
    return r;
}

// The URL of a fresh database on the engine, or empty with the benchmark skipped.
QString freshStore(benchmark::State& state, bool postgres, QTemporaryDir& dir, const QString& name)
{
    if (!postgres) return dir.filePath(name + QStringLiteral(".sqlite"));
    QString whyNot;
    PostgresServer* pg = sharedPostgres(&whyNot);
    if (!pg || !pg->createDatabase(name)) {
        state.SkipWithError(("PostgreSQL: " + whyNot).toStdString().c_str());
        return {};
    }
    return pg->url(name);
}

void BM_StoreRecord(benchmark::State& state)
{
    const bool postgres = state.range(0) == 1;
    QTemporaryDir dir;
    const QString url = freshStore(state, postgres, dir, QStringLiteral("bench_store"));
    if (url.isEmpty()) return;
    RecordStore store;
    if (StoreError e = store.open(url)) {
        state.SkipWithError(e.detail.toStdString().c_str());
        return;
    }
    MeasurementRecord r = fullRecord();
    for (auto _ : state) {
        r.uid = newRecordUid();
        if (!store.insert(r)) state.SkipWithError(store.lastError().detail.toStdString().c_str());
    }
    state.counters["blob_bytes"] = static_cast<double>(encodeSpectrum(r.wavelengthsNm, r.values).size());
}
BENCHMARK(BM_StoreRecord)->ArgName("postgres")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(40)->Repetitions(5)->ReportAggregatesOnly(true);

// What a measurement pays: the record built from the window and the shared state, and posted.
void BM_HandOver(benchmark::State& state)
{
    resetSharedState();
    const MeasurementRecord source = fullRecord();
    Module1.ScanWL = source.wavelengthsNm;
    Module1.ScanValue = source.values;
    Module1.LastPointIndex = kPoints - 1;
    Module1.ChannelCount = 2;
    Module1.ChannelResults = {{0, 0, 0}, {1530.1F, 0.4F, -1.2F}, {1550.2F, 0.5F, -1.4F}};
    Form1 form;
    QTemporaryDir dir;
    // The writer's thread is not started: the records pile up as posted events, unprocessed.
    RecordWriter writer(dir.filePath(QStringLiteral("r.sqlite")), dir.filePath(QStringLiteral("s.sqlite")));
    RecordCapture capture(form, writer, QStringLiteral("3.0"));
    for (auto _ : state) capture.captureSpectrum(1);
}
BENCHMARK(BM_HandOver)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);

// Runs the statements on the database at `url` past the store; false after the first that fails.
bool runRaw(const QString& url, const QStringList& statements)
{
    bool ok = true;
    {
        QSqlDatabase db = addStoreConnection(*parseStoreLocation(url), QStringLiteral("raw"));
        ok = db.open();
        QSqlQuery q(db);
        for (const QString& sql : statements) {
            if (!ok) break;
            ok = q.exec(sql);
            if (!ok) std::cerr << q.lastError().text().toStdString() << "\n";
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return ok;
}

// 100 000 records of 2000 devices over 100 000 minutes, made by one statement, in a store of
// `schemaVersion`, each with `figuresJson`.
bool generate(const QString& url, bool postgres, int schemaVersion = kRecordSchemaVersion,
              const QString& figuresJson = QString())
{
    RecordStore store;
    if (store.open(*parseStoreLocation(url), schemaVersion)) return false;
    store.close();
    bool ok = false;
    {
        QSqlDatabase db = addStoreConnection(*parseStoreLocation(url), QStringLiteral("generate"));
        if (db.open()) {
            const QString columns = QStringLiteral(
                "uid, utc_ms, utc_offset_s, device_id, kind, pass, module_part, module_serial, laser_part, laser_serial,"
                " program_version, host_name, start_nm, stop_nm, speed_nm_s, averages, data_length, channel, mode,"
                " background, remove_background, base_power, ref0, n_db, transmission, power_wavelength, figures_json,"
                " verdict, power, power_unit, channel_count, point_count");
            const QString values = QStringLiteral(
                "'g' || i, 1700000000000 + CAST(i AS BIGINT) * 60000, 0, 'DEV-' || (i % %1), 1, -1, 'VXM-C', 'M-' || (i % 7), 'TLS-C',"
                " 'L-1', '3.0', 'bench-' || (i % 7), 1527, 1567, 40, 1, 20001, '1. Channel #1', 3, 0, 0, 0, 0, '-3.0',"
                " 1, '1300', '%2', CASE WHEN i % 10 = 0 THEN 'FAIL' ELSE 'PASS' END, NULL, '', 2, 20001")
                                       .arg(kDevices)
                                       .arg(figuresJson);
            const QString sql =
                postgres ? QStringLiteral("INSERT INTO records (%1) SELECT %2 FROM generate_series(1, %3) AS s(i)")
                               .arg(columns, values)
                               .arg(kGenerated)
                         : QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %3)"
                                          " INSERT INTO records (%1) SELECT %2 FROM s")
                               .arg(columns, values)
                               .arg(kGenerated);
            QSqlQuery q(db);
            ok = q.exec(sql) && q.exec(postgres ? QStringLiteral("ANALYZE records") : QStringLiteral("ANALYZE"));
            if (!ok) std::cerr << q.lastError().text().toStdString() << "\n";
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("generate"));
    return ok;
}

void BM_ListOneDevice(benchmark::State& state)
{
    const bool postgres = state.range(0) == 1;
    QTemporaryDir dir;
    const QString url = freshStore(state, postgres, dir, QStringLiteral("bench_list"));
    if (url.isEmpty()) return;
    if (!generate(url, postgres)) {
        state.SkipWithError("the records could not be generated");
        return;
    }
    RecordStore store;
    store.open(url);
    int device = 0;
    std::size_t rows = 0;
    for (auto _ : state) {
        RecordFilter filter;
        filter.deviceId = QStringLiteral("DEV-%1").arg(device++ % kDevices);
        rows = store.list(filter).size();
        benchmark::DoNotOptimize(store.count(filter));
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["records"] = static_cast<double>(store.count({}));
}
BENCHMARK(BM_ListOneDevice)->ArgName("postgres")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(200);

// The line's figures on the generated records: 3 recipes, the verdicts judging their devices,
// 4 channels of 10 figures each (4 million rows), made by one statement each, then summed.
bool generateFigures(const QString& url, bool postgres)
{
    if (!generate(url, postgres)) return false;
    const auto series = [postgres](int n, const char* alias) {
        return (postgres ? QStringLiteral("generate_series(1, %1) AS %2(i)")
                         : QStringLiteral("(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                          " SELECT i FROM n) AS %2"))
            .arg(n)
            .arg(QLatin1String(alias));
    };
    const QString x = QStringLiteral("(1.0 + ((r.id * 7919 + c.i * 31 + k.i * 17) % 1000) / 1000.0)");
    const bool written = runRaw(url, {
        QStringLiteral("UPDATE records SET recipe_name = 'R-' || CAST(id % 3 AS TEXT), judges_device = 1"),
        QStringLiteral("INSERT INTO record_figures (record_id, port, channel, figure, value, lower_bound, upper_bound, pass)"
                       " SELECT r.id, 0, c.i, 'figure_' || CAST(k.i AS TEXT), %3, NULL, 2.0, CASE WHEN %3 > 1.99 THEN 0 ELSE 1 END"
                       " FROM records r CROSS JOIN %1 CROSS JOIN %2")
            .arg(series(4, "c"), series(10, "k"), x),
        postgres ? QStringLiteral("VACUUM ANALYZE") : QStringLiteral("ANALYZE"),
    });
    RecordStore store;
    return written && !store.open(url) && store.resummarize();
}

// The line's statistics of 100 000 records: all of them, one recipe (a third), one day (1440),
// 30 days (43 200) and the same 30 days summed row by row (a device pattern matching every device
// keeps the filter off the hourly sums).
void BM_Statistics(benchmark::State& state)
{
    const bool postgres = state.range(0) == 1;
    static QTemporaryDir dir;
    static QString urls[2];
    QString& url = urls[postgres ? 1 : 0];
    if (url.isEmpty()) {
        url = freshStore(state, postgres, dir, QStringLiteral("bench_statistics"));
        if (url.isEmpty() || !generateFigures(url, postgres)) {
            url.clear();
            state.SkipWithError("the records could not be generated");
            return;
        }
    }
    RecordStore store;
    store.open(url);
    RecordFilter filter;
    if (state.range(1) == 1) filter.recipe = QStringLiteral("R-1");
    if (state.range(1) >= 2) {
        filter.from = QDateTime::fromMSecsSinceEpoch(1700000000000 + 50'000LL * 60'000, Qt::UTC);
        filter.to = filter.from.addDays(state.range(1) == 2 ? 1 : 30);
    }
    if (state.range(1) == 4) filter.devicePattern = QStringLiteral("*");
    std::size_t figures = 0;
    for (auto _ : state) figures = store.statistics(filter).figures.size();
    if (store.lastError()) state.SkipWithError(store.lastError().detail.toStdString().c_str());
    state.counters["series"] = static_cast<double>(figures);
}
BENCHMARK(BM_Statistics)->ArgNames({"postgres", "filter"})->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Opening a version 1 store of 100 000 records, each with 4 channels of 10 figures: the step to
// version 2 reads 4 million figure rows out of the JSON.
void BM_MigrateVersionOne(benchmark::State& state)
{
    const bool postgres = state.range(0) == 1;
    QJsonArray channels;
    for (int c = 1; c <= 4; ++c) {
        QJsonObject figures;
        for (int k = 1; k <= 10; ++k) figures.insert(QStringLiteral("figure_%1").arg(k), 1.0 + 0.001 * (c * 10 + k));
        channels.append(QJsonObject{{QStringLiteral("channel"), c}, {QStringLiteral("verdict"), QStringLiteral("PASS")},
                                    {QStringLiteral("failing"), QJsonArray{}}, {QStringLiteral("figures"), figures}});
    }
    const QString json = QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("channels"), channels}}).toJson(QJsonDocument::Compact));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString url = freshStore(state, postgres, dir, QStringLiteral("bench_migrate_%1").arg(state.iterations()));
        if (url.isEmpty() || !generate(url, postgres, 1, json)) {
            state.SkipWithError("the version 1 records could not be generated");
            return;
        }
        RecordStore store;
        state.ResumeTiming();
        if (StoreError e = store.open(url)) state.SkipWithError(e.detail.toStdString().c_str());
    }
}
BENCHMARK(BM_MigrateVersionOne)->ArgName("postgres")->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The resident memory of this process (VmRSS), MB.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0.0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).simplified().split(' ').front().toDouble() / 1024.0;
    return 0.0;
}

// The History window showing the statistics of the 100 000 generated records on SQLite (4
// channels of 10 figures, 40 table rows) with the first figure's histogram and run chart of
// 100 000 values drawn, and the process's resident memory then. Run it alone
// (--benchmark_filter=StatisticsWindow) for a memory figure of its own.
void BM_StatisticsWindow(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString url = freshStore(state, false, dir, QStringLiteral("bench_statistics_window"));
    if (url.isEmpty() || !generateFigures(url, false)) {
        state.SkipWithError("the records could not be generated");
        return;
    }
    const double before = residentMb();
    RecordStore store;
    store.open(url);
    HistoryWindow window;
    HistoryController controller(window, store, [] { return CurrentTrace{}; });
    for (auto _ : state) {
        controller.showStatistics();
        QCoreApplication::processEvents();
    }
    const StatisticsController& statistics = controller.statistics();
    if (store.lastError()) state.SkipWithError(store.lastError().detail.toStdString().c_str());
    state.counters["rows"] = static_cast<double>(statistics.rows().size());
    state.counters["values"] = statistics.runChart() ? static_cast<double>(statistics.runChart()->points.size()) : 0.0;
    state.counters["rss_mb"] = residentMb();
    state.counters["rss_before_window_mb"] = before;
}
BENCHMARK(BM_StatisticsWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
