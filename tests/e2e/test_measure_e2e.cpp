// Measurements on the simulated bench through the real device library and serial link: the
// operator's order from the module connection to channels in the results table and a log file.

#include "e2e_bench.h"
#include "results/form2.h"
#include "sim/bench_model.h"
#include "test_paths.h"

#include <QTimer>

#include <algorithm>

namespace {

// The program on the simulated bench with the laser on.
class MeasureE2E : public LiveBench {
protected:
    void startSweep()
    {
        f->StartStopSweep->click();
        ASSERT_TRUE(f->CheckVXMScanMode->isEnabled()) << bench->info().text().toStdString();
    }
    // A short scan over the filter's band: the laser's 1260-1340 nm at 100 nm/s and one average, as
    // the boxes stand, in 2001 points (40 pm apart).
    void deviceSettings() { f->Text7->setText(QStringLiteral("2001")); }
};

constexpr float kStepNm = 0.04F;

}  // namespace

TEST_F(MeasureE2E, LaserSpectrumBackgroundAndDeviceChannels)
{
    startSweep();
    deviceSettings();
    console("dut out");  // the laser through the fibre alone
    f->CheckAlignMode->click();
    f->SingleMeasure->click();
    ASSERT_EQ(Module1.TraceKind, 1) << bench->info().text().toStdString();
    ASSERT_GT(Module1.LastPointIndex, 100);
    const auto end = Module1.ScanValue.begin() + Module1.LastPointIndex + 1;
    const auto [lo, hi] = std::minmax_element(Module1.ScanValue.begin(), end);
    EXPECT_GT(*lo, -1.5F - 0.35F) << "0 dBm with its ripple, less the fibre's 1.5 dB";
    EXPECT_LT(*hi, -1.5F + 0.35F);
    EXPECT_NEAR(Module1.ScanWL[0], 1260.0F, 0.5F);
    f->CheckAlignMode->click();  // unticked: Device IL Spectrum can be ticked again

    f->CheckVXMScanMode->click();
    f->TakeBackground->click();
    f->SingleMeasure->click();
    ASSERT_EQ(Module1.TraceKind, 2) << bench->info().text().toStdString();

    console("dut in");
    f->MeasureSpectrum->click();
    f->CheckRemoveBKG->click();
    ASSERT_TRUE(f->CheckRemoveBKG->isChecked());
    f->Transmission->click();
    f->SingleMeasure->click();
    ASSERT_EQ(Module1.TraceKind, 3) << bench->info().text().toStdString();
    ASSERT_EQ(Module1.ChannelCount, 4);
    for (int k = 0; k < 4; ++k) {
        const auto& found = Module1.ChannelResults[static_cast<std::size_t>(k) + 1];  // numbered from 1
        EXPECT_NEAR(found[0], vxmsim::BenchModel::kFilterCentresNm[k], kStepNm) << "channel " << k;
        EXPECT_NEAR(found[1], 6.4, 0.3) << "channel " << k;
        EXPECT_NEAR(found[2], -0.9 - 0.1 * k, 0.05) << "insertion loss of channel " << k;
    }
    bench->form1().grab().save(QDir(testOutputDir()).filePath("e2e-form1-measured.png"));
    bench->form2().grab().save(QDir(testOutputDir()).filePath("e2e-form2-channels.png"));

    console("dut grating");
    f->Reflection->click();
    f->SingleMeasure->click();
    ASSERT_EQ(Module1.ChannelCount, 1) << bench->info().text().toStdString();
    EXPECT_NEAR(Module1.ChannelResults[1][0], 1300.0, kStepNm) << "the grating's dip (sim/bench_model.cpp)";
    EXPECT_NEAR(Module1.ChannelResults[1][2], -1.0, 0.05) << "the level around the dip";
    EXPECT_EQ(bench->info().text(), QStringLiteral(" Reflection channel"));
}

TEST_F(MeasureE2E, RepeatedMeasurementWritesTheRepeatabilityLog)
{
    startSweep();
    deviceSettings();
    f->CheckVXMScanMode->click();
    bench->form2().RepeatabilityTest->click();
    ASSERT_EQ(Module1.RepeatabilityOn, 1);

    // Released from the results window once three passes are plotted: during the fourth.
    const std::int32_t plotsBefore = Module1.PlotCount;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (Module1.PlotCount - plotsBefore >= 3) bench->form2().StopMeasure->click();
    });
    watch.start(20);
    f->RepeatMeasure->click();
    watch.stop();
    EXPECT_EQ(Module1.PlotCount - plotsBefore, 4);

    // The log holds its header and a line per finished pass, the statistics lie beside it; the
    // lines' format is the log's unit tests', their passes and centres ShutdownDuringRepeat's.
    const QStringList files = QDir(logs.path()).entryList({QStringLiteral("VXM_Test_*.txt")}, QDir::Files);
    ASSERT_EQ(files.size(), 2);
    ASSERT_EQ(files[1], QString(files[0]).replace(QLatin1String(".txt"), QLatin1String("_summary.txt")));
    EXPECT_EQ(fileBytes(QDir(logs.path()).filePath(files[0])).split('\n').size(), 5)
        << "header, three lines, and nothing after the last line end";
    EXPECT_TRUE(fileBytes(QDir(logs.path()).filePath(files[1])).startsWith("Repeatability statistics over 3 passes\r\n"));
    EXPECT_TRUE(f->CheckVXMScanMode->isEnabled());
}

namespace {

// A laser whose sweep-mode query answers 1: the module is to follow its sweep.
class SweepModeOneE2E : public MeasureE2E {
protected:
    QStringList simulatorArguments() const override { return {QStringLiteral("--sweep-mode"), QStringLiteral("1")}; }
};

}  // namespace

TEST_F(SweepModeOneE2E, BothScansReachTheModuleWithTheSweepFlagTrue)
{
    EXPECT_EQ(f->Text3->text(), QStringLiteral("120"));
    startSweep();
    const QString flagTrue = QStringLiteral("module sweep flag -1");
    for (QCheckBox* box : {f->CheckAlignMode, f->CheckVXMScanMode}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->click();
        f->Text7->setText(QStringLiteral("1001"));
        const std::int32_t measured = Module1.MeasureCount;
        f->SingleMeasure->click();
        ASSERT_EQ(Module1.MeasureCount, measured + 1) << bench->info().text().toStdString();
        const QString status = sim->command(QStringLiteral("status"));
        EXPECT_TRUE(status.contains(flagTrue)) << status.toStdString();
        box->click();  // each scan sets the flag anew: a 0 from the second would show
    }
}
