// Every completed measurement of the main window becomes one record: a single spectrum, each
// logged pass of a repeated measurement, a power reading; a background is recorded without a
// table.
#include "../measure/scan_bench.h"

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
    struct Expected {
        const char* device;
        RecordKind kind;
        int pass;
        int channels;
        int points;
        bool figures;  // the extended figures of its own analysis
    };
    // Oldest first. The release comes in the wait of the fourth pass, which is finished and logged.
    const Expected expected[] = {{"DUT-1", RecordKind::Spectrum, -1, 1, 2001, true},
                                 {"DUT-2", RecordKind::RepeatPass, 0, 1, 2001, true},
                                 {"DUT-2", RecordKind::RepeatPass, 1, 1, 2001, true},
                                 {"DUT-2", RecordKind::RepeatPass, 2, 1, 2001, true},
                                 {"DUT-2", RecordKind::RepeatPass, 3, 1, 2001, true},
                                 {"DUT-3", RecordKind::Spectrum, -1, 0, 2001, false},
                                 {"", RecordKind::PowerReading, -1, 0, 0, false}};
    std::vector<RecordSummary> rows = store.list({});
    std::reverse(rows.begin(), rows.end());
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].deviceId, QString::fromLatin1(expected[i].device)) << i;
        EXPECT_EQ(rows[i].kind, expected[i].kind) << i;
        EXPECT_EQ(rows[i].pass, expected[i].pass) << i;
        EXPECT_EQ(rows[i].channelCount, expected[i].channels) << i;
        EXPECT_EQ(rows[i].pointCount, expected[i].points) << i;
        // No limits are loaded: figures without a verdict.
        const std::optional<MeasurementRecord> full = store.load(rows[i].id);
        ASSERT_TRUE(full);
        EXPECT_EQ(full->figuresJson.contains(QStringLiteral("\"channel\":1,")), expected[i].figures) << i;
        EXPECT_TRUE(full->verdict.isEmpty()) << i;
    }
    EXPECT_EQ(rows.back().power, std::optional<double>(-12.625));
    const std::optional<MeasurementRecord> single = store.load(rows.front().id);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->channels.front(), (RecordedChannel{Module1.ChannelResults[1][0], Module1.ChannelResults[1][1], Module1.ChannelResults[1][2]}));
    EXPECT_FLOAT_EQ(single->wavelengthsNm.back(), 1340.0F);
    EXPECT_EQ(f.RecordsStatus->text(), QStringLiteral("Records: stored"));
}
