// Retention: vxm-operator --records-prune run as a program against a store a bench keeps writing
// to, and the History window opening a record whose spectrum was pruned.
#include "records_rig.h"

#include "simulator_process.h"
#include "records/record_writer.h"

#include <QProcess>
#include <QTimer>

namespace {

MeasurementRecord measured(const QString& device, const QDateTime& utc)
{
    MeasurementRecord r = recordOf(device, utc, 50, 1540.0F, 0.5F, [](int i) { return -0.1F * static_cast<float>(i); });
    r.channels = {{1550.5F, 0.4F, -2.5F}};
    r.figuresJson = QStringLiteral(R"({"ripple_db":0.25})");
    r.verdict = QStringLiteral("PASS");
    return r;
}

int prune(const QString& target, const QString& days, QByteArray* out)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VXM_RECORDS_URL"), target);
    p.setProcessEnvironment(env);
    p.start(SimulatorProcess::builtDir() + QStringLiteral("/vxm-operator"), {QStringLiteral("--records-prune"), days});
    // The writer's thread reports to this one while the program runs.
    EXPECT_TRUE(QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 60000));
    *out = p.readAllStandardOutput() + p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(RecordRetention, PruningWhileABenchWritesDropsOldSpectraOnlyAndTheHistoryShowsThemPruned)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("records.sqlite"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const int old = 1100;  // three batches
    {
        RecordStore store;
        ASSERT_FALSE(store.open(target));
        for (int i = 0; i < old; ++i) ASSERT_TRUE(store.insert(measured(QStringLiteral("OLD"), now.addDays(-40).addSecs(i))));
        ASSERT_TRUE(store.insert(measured(QStringLiteral("RECENT"), now.addDays(-20))));
    }

    QByteArray output;
    EXPECT_EQ(prune(target, QStringLiteral("-3"), &output), 2) << output.toStdString();
    EXPECT_EQ(prune(target, QStringLiteral("many"), &output), 2) << output.toStdString();

    QStringList submitted, arrived;
    int exitCode = -1;
    {
        RecordWriter writer(target, dir.filePath(QStringLiteral("spool.sqlite")), 100);
        QObject::connect(&writer, &RecordWriter::stored, [&arrived](const QString& uid, qint64) { arrived << uid; });
        writer.start();
        QTimer bench;  // a bench measuring every 20 ms throughout
        QObject::connect(&bench, &QTimer::timeout, [&] {
            MeasurementRecord r = measured(QStringLiteral("NEW"), QDateTime::currentDateTimeUtc());
            submitted << r.uid;
            writer.submit(std::move(r));
        });
        bench.start(20);
        exitCode = prune(target, QStringLiteral("30"), &output);
        QTest::qWait(50);
        bench.stop();
        ASSERT_TRUE(QTest::qWaitFor([&] { return writer.status().waiting == 0 && arrived.size() == submitted.size(); },
                                    20000));
    }
    EXPECT_EQ(exitCode, 0) << output.toStdString();
    EXPECT_TRUE(output.startsWith(QByteArray::number(old) + " spectra pruned")) << output.toStdString();
    EXPECT_EQ(arrived, submitted);
    EXPECT_FALSE(submitted.isEmpty());  // the bench wrote while the prune ran

    // The old records lose their spectra and keep their tables and figures; the others keep all.
    RecordStore store;
    ASSERT_FALSE(store.open(target));
    const std::vector<RecordSummary> all = store.list({.limit = 0});
    ASSERT_EQ(all.size(), std::size_t(old + 1 + submitted.size()));
    const MeasurementRecord made = measured({}, {});
    for (const RecordSummary& s : all) {
        const MeasurementRecord r = *store.load(s.id);
        const std::size_t points = s.deviceId == QLatin1String("OLD") ? 0 : 50;
        ASSERT_EQ(std::make_pair(r.wavelengthsNm.size(), r.values.size()), std::make_pair(points, points)) << s.id;
        ASSERT_EQ(std::tie(r.channels, r.figuresJson), std::tie(made.channels, made.figuresJson)) << "the table and figures stay";
    }

    WindowRig::FreshState fresh;
    HistoryWindow window;
    auto* history = new HistoryController(window, store, [] { return CurrentTrace{}; });
    window.DeviceId->setText(QStringLiteral("OLD"));
    history->search();
    const std::int64_t id = store.list({.deviceId = QStringLiteral("OLD")}).front().id;
    ASSERT_TRUE(history->open(id));
    EXPECT_TRUE(window.Settings->toPlainText().endsWith(QStringLiteral("\nSpectrum: pruned (older than the retention period)")));
    EXPECT_TRUE(window.Figures->toPlainText().contains(QStringLiteral("0.25"))) << "the figures stay";
    const std::vector<history::Trace> traces = history->plottedTraces();
    ASSERT_EQ(traces.size(), 1U);
    EXPECT_TRUE(traces[0].points.empty());
    Module1.Language = 2;
    history->retranslate();
    EXPECT_TRUE(window.Settings->toPlainText().endsWith(QStringLiteral("光谱：已删除（超过保留期限）")));
}

}  // namespace
