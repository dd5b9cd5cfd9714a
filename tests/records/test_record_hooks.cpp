// Every completed measurement becomes one record (a background without a table), which the History
// window finds and overlays on the spectrum measured last.
#include "../measure/scan_bench.h"

#include "records/history_host.h"
#include "records/history_window.h"
#include "records/record_store.h"
#include "records/record_writer.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

TEST(RecordHooks, EachMeasurementIsRecordedOnceWithItsDeviceAndKind)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("records.sqlite"));
    FakeBench b(true, target, dir.filePath(QStringLiteral("spool.sqlite")));
    Form1& f = b->form1();
    f.CheckVXMScanMode->setChecked(true);
    prepareScan(b);
    b.library->point = onePeakAt1300;
    b->measure().setLogFolder(dir.path());

    f.DeviceId->setText(QStringLiteral("DUT-1"));
    f.SingleMeasure->click();

    f.DeviceId->setText(QStringLiteral("DUT-2"));
    Module1.RepeatabilityOn = 1;
    b.library->point = [&f, seen = 0](int i, float& wl, float& v) mutable {
        onePeakAt1300(i, wl, v);
        if (i == 0 && ++seen == 3) duringNextWait([&f] { f.RepeatMeasure->setChecked(false); });
    };
    f.RepeatMeasure->click();
    Module1.RepeatabilityOn = 0;

    f.DeviceId->setText(QStringLiteral("DUT-3"));
    f.TakeBackground->setChecked(true);
    f.SingleMeasure->click();

    connectLaser(b);
    selectOnly(b, f.CheckPowerMeter);
    b.library->powerReadings = {-12.625F};
    f.DeviceId->clear();
    f.SingleMeasure->click();

    RecordWriter* writer = b->records();
    ASSERT_TRUE(writer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return writer->status().storeUp && writer->status().waiting == 0; }, 10000));
    RecordStore store;
    ASSERT_FALSE(store.open(target));
    struct Expected { const char* device; RecordKind kind; int pass, channels, points; };
    // A table and the extended figures of its own analysis go together.
    // Oldest first. The release comes in the wait of the fourth pass, which is finished and logged.
    const Expected expected[] = {
        {"DUT-1", RecordKind::Spectrum, -1, 1, 2001},   {"DUT-2", RecordKind::RepeatPass, 0, 1, 2001},
        {"DUT-2", RecordKind::RepeatPass, 1, 1, 2001},  {"DUT-2", RecordKind::RepeatPass, 2, 1, 2001},
        {"DUT-2", RecordKind::RepeatPass, 3, 1, 2001},  {"DUT-3", RecordKind::Spectrum, -1, 0, 2001},
        {"", RecordKind::PowerReading, -1, 0, 0}};
    std::vector<RecordSummary> rows = store.list({});
    std::reverse(rows.begin(), rows.end());
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Expected& e = expected[i];
        EXPECT_EQ(std::tie(rows[i].deviceId, rows[i].kind, rows[i].pass, rows[i].channelCount, rows[i].pointCount),
                  std::make_tuple(QString::fromLatin1(e.device), e.kind, e.pass, e.channels, e.points)) << i;
        // No limits are loaded: figures without a verdict.
        const std::optional<MeasurementRecord> full = store.load(rows[i].id);
        ASSERT_TRUE(full);
        EXPECT_EQ(full->figuresJson.contains(QStringLiteral("\"channel\":1,")), expected[i].channels > 0) << i;
        EXPECT_TRUE(full->verdict.isEmpty()) << i;
    }
    EXPECT_EQ(rows.back().power, std::optional<double>(-12.625));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.RecordsStatus->text() == QStringLiteral("Records: stored"); }, 5000));

    f.HistoryButton->click();
    HistoryWindow* w = b->history()->window();
    ASSERT_TRUE(w);
    w->DeviceId->setText(QStringLiteral("DUT-2"));
    w->Search->click();
    ASSERT_EQ(w->List->rowCount(), 4);
    w->List->selectAll();
    EXPECT_TRUE(b->history()->controller()->addSelectedToOverlay());
    const std::vector<history::Trace> traces = b->history()->controller()->plottedTraces();
    ASSERT_EQ(traces.size(), 5U);  // the four passes and the last spectrum measured (DUT-3's)
    EXPECT_EQ(traces[4].points.size(), static_cast<std::size_t>(Module1.LastPointIndex + 1));
    EXPECT_FLOAT_EQ(traces[4].points.back()[0], 1340.0F);
}
