// Measurement records on the simulated bench: three devices measured with their IDs reach a
// PostgreSQL server (started for the test) with their channels and spectra.
#include "e2e_bench.h"

#include "postgres_server.h"
#include "records/record_store.h"
#include "records/record_writer.h"

namespace {

class RecordsE2E : public LiveBench {
protected:
    QString recordsTarget() override
    {
        PostgresServer* pg = sharedPostgres(&whyNot_);
        if (!pg || !pg->createDatabase(QStringLiteral("line"))) return {};
        url_ = pg->url(QStringLiteral("line"));
        return url_;
    }
    QString whyNot_;
    QString url_;
};

TEST_F(RecordsE2E, ThreeDevicesMeasuredWithTheirIdsAreOnRecord)
{
    if (url_.isEmpty()) GTEST_SKIP() << whyNot_.toStdString();
    f->StartStopSweep->click();  // over the laser's 1260-1340 nm, as the boxes stand
    f->Text7->setText(QStringLiteral("2001"));
    console("dut filter");
    f->CheckVXMScanMode->click();
    for (const char* id : {"DUT-A", "DUT-B", "DUT-C"}) {
        QTest::keyClicks(f->DeviceId, QString::fromLatin1(id));
        click(f->SingleMeasure);
        ASSERT_EQ(Module1.ChannelCount, 4) << infoText().toStdString();
        f->DeviceId->clear();
    }
    RecordWriter* writer = bench->records();
    ASSERT_TRUE(QTest::qWaitFor([&] { return writer->status().storeUp && writer->status().waiting == 0; }, 20000));
    RecordStore store;
    ASSERT_FALSE(store.open(url_));
    EXPECT_EQ(store.count({}), 3);
    const std::vector<RecordSummary> b = store.list({.deviceId = QStringLiteral("DUT-B")});
    ASSERT_EQ(b.size(), 1U);
    const std::optional<MeasurementRecord> r = store.load(b.front().id);
    ASSERT_TRUE(r);
    EXPECT_EQ(std::make_tuple(r->channels.size(), r->values.size(), r->settings.startNm), std::make_tuple(4U, 2001U, 1260));
    EXPECT_FALSE(r->bench.laserSerial.isEmpty() || r->bench.moduleSerial.isEmpty());
}

}  // namespace
