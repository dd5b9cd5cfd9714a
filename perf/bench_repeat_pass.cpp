// One pass of Repeat Measurements with the module's scan time taken out: the transfer of 20001
// points from a library that has them ready, conversion, channel analysis, results table, plot and
// the log line. And the CPU the program uses while it waits 10 s for a scan to end.
// Run: build/bin/bench_repeat_pass (offscreen by default).

#include "app/bench.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "measure/channel_analysis.h"
#include "measure/channel_analysis_step.h"
#include "measure/measure_controller.h"
#include "measure/results_table.h"
#include "results/plot_engine.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cmath>

namespace {

constexpr int kPoints = 20001;

// Four channels on a noisy floor, 1260..1340 nm, as the module would read them.
void fourChannels(int i, float& wavelengthPm, float& value)
{
    const double nm = 1260.0 + 80.0 * i / (kPoints - 1);
    double v = -40.0 + 0.02 * std::sin(i * 0.7);
    for (double centre : {1271.0, 1291.0, 1311.0, 1331.0}) v += 39.0 * std::exp(-std::pow((nm - centre) / 3.0, 8));
    wavelengthPm = static_cast<float>(nm * 1000.0);
    value = static_cast<float>(v);
}

// A module whose scan is done at the first poll unless the benchmark says otherwise. Without
// `realClock` the polls' 100 ms waits pass at once and serve no events, so only the program's own
// work is timed.
struct PassBench {
    FakeDeviceLibrary* library = nullptr;
    std::unique_ptr<Bench> bench;
    QTemporaryDir logs;

    explicit PassBench(bool realClock)
    {
        resetSharedState();
        BenchServices services;
        auto lib = std::make_unique<FakeDeviceLibrary>();
        lib->portHandle = 1006;
        lib->point = fourChannels;
        library = lib.get();
        services.library = std::move(lib);
        if (!realClock) services.clock = std::make_unique<FakeClock>(0, FakeClock::Events::Left);
        bench = std::make_unique<Bench>(std::move(services));
        bench->Form_Load();
        Form1& f = bench->form1();
        f.CheckVXMScanMode->setChecked(true);
        f.Text7->setText(QString::number(kPoints));
        Module1.ModuleHandle = 1006;
        Module1.RepeatabilityOn = 1;
        bench->measure().setLogFolder(logs.path());
    }
};

void BM_RepeatPass(benchmark::State& state)
{
    PassBench p(false);
    Bench& bench = *p.bench;
    MeasureController& measure = bench.measure();
    const QString log = QStringLiteral("VXM_Test_bench.txt");
    measure.LogRepeatResult(0, log);
    std::int16_t pass = 1;
    for (auto _ : state) {
        std::int32_t result = 0;
        measure.engine().AcquireScan(result);
        AnalyseChannels(bench.form1(), bench.info());
        if (Module1.ChannelCount > 0) FillResultsTable(bench.form1(), bench.form2());
        PlotSpectrum(bench.form2(), bench.form1());
        measure.LogRepeatResult(pass++, log);
        if (result != 1 || Module1.ChannelCount != 4) state.SkipWithError("the pass did not find the four channels");
    }
}

// getrusage before and after one acquisition whose scan takes 10 s of real time: done at the
// 101st poll, 100 ms apart.
void BM_ScanWaitCpu(benchmark::State& state)
{
    PassBench p(true);
    p.library->donePollsBeforeDone = 100;
    double cpuPercent = 0;
    for (auto _ : state) {
        rusage before{}, after{};
        QElapsedTimer wall;
        getrusage(RUSAGE_SELF, &before);
        wall.start();
        std::int32_t result = 0;
        p.bench->measure().engine().AcquireScan(result);
        getrusage(RUSAGE_SELF, &after);
        const auto us = [](const timeval& t) { return t.tv_sec * 1e6 + t.tv_usec; };
        const double cpuUs = us(after.ru_utime) - us(before.ru_utime) + us(after.ru_stime) - us(before.ru_stime);
        cpuPercent = 100.0 * cpuUs / (wall.nsecsElapsed() / 1000.0);
    }
    state.counters["cpu_percent_of_one_core"] = cpuPercent;
}

}  // namespace

BENCHMARK(BM_RepeatPass)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanWaitCpu)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
