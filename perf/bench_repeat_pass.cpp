// One pass of Repeat Measurements with the module's scan time taken out: the transfer of 20001
// points from a library that has them ready, conversion, channel analysis, results table, plot and
// the log line. The CPU the program uses while it waits 10 s for a scan to end. And a soak: 2000
// passes of the repeated measurement as the operator runs it, with the memory it keeps per pass.
// Run: build/bin/bench_repeat_pass (offscreen by default; QT_QPA_PLATFORM=xcb under Xvfb with
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and an accessibility bus runs the soak with the bridge on).

#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "measure/channel_analysis.h"
#include "measure/channel_analysis_step.h"
#include "measure/measure_controller.h"
#include "measure/results_table.h"
#include "results/form2.h"
#include "results/plot_engine.h"

#include <benchmark/benchmark.h>

#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <functional>

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

    explicit PassBench(bool realClock, std::unique_ptr<MsClock> clock = nullptr)
    {
        resetSharedState();
        BenchServices services;
        auto lib = std::make_unique<FakeDeviceLibrary>();
        lib->portHandle = 1006;
        lib->point = fourChannels;
        library = lib.get();
        services.library = std::move(lib);
        if (clock) services.clock = std::move(clock);
        else if (!realClock) services.clock = std::make_unique<FakeClock>(0, FakeClock::Events::Left);
        bench = std::make_unique<Bench>(std::move(services));
        bench->startup().Form_Load();
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

// Bytes malloc has handed out and not had back, over all arenas and mmapped blocks: every
// allocation of the program and of Qt and the libraries under it, whatever allocates it.
double heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) : 0;
}

// Data lines in the repeatability logs of `folder`.
qsizetype loggedLines(const QString& folder)
{
    qsizetype lines = 0;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("VXM_Test_*.txt")}, QDir::Files)) {
        if (name.endsWith(QLatin1String("_summary.txt"))) continue;
        QFile log(QDir(folder).filePath(name));
        if (log.open(QIODevice::ReadOnly)) lines += log.readAll().count('\n') - 1;  // less the header
    }
    return lines;
}

// The soak: Repeat Measurements pressed from the event loop with the Repeatability Test on and
// both windows shown, as the operator runs it, for kWarmUp + kSoakPasses passes of the whole
// workflow (transfer, analysis, results table, plot, log line, statistics panel). The heap in use
// and the resident size are taken in a scan's wait after the warm-up and again kSoakPasses passes
// later, both times with the passes before complete and their events served; Stop Measure, clicked
// in the next wait, ends the run. heap_bytes_per_pass is the heap's growth over those passes per
// pass: the statistics keep three doubles a pass (24 bytes, more while their vectors stand
// half-empty after growing), anything above that is memory the passes keep.
// VXM_SOAK_EXIT_AFTER=N ends the process at once after N passes, so that heaptrack lists what the
// passes hold as leaked (run it twice with two Ns and compare the files).
constexpr int kWarmUp = 200;
constexpr int kSoakPasses = 2000;

void BM_RepeatSoak(benchmark::State& state)
{
    // The scans' waits serve the pending events as the program's do (paints, layouts, what the
    // accessibility bridge queued) but take no real time; `afterPause` runs after each.
    auto clock = std::make_unique<FakeClock>(0, FakeClock::Events::Served);
    std::function<void()> afterPause;
    const auto watcher = std::make_shared<std::function<void()>>([&afterPause] {
        if (afterPause) afterPause();
    });
    clock->watch(watcher);
    PassBench p(false, std::move(clock));
    p.library->keepCalls = false;
    Bench& bench = *p.bench;
    Form1& f = bench.form1();
    f.MeasureSpectrum->setChecked(true);
    f.RepeatMeasure->setEnabled(true);
    f.show();
    Form2& results = bench.form2();
    results.show();
    results.RepeatabilityTest->click();
    const bool exitEarly = qEnvironmentVariableIsSet("VXM_SOAK_EXIT_AFTER");
    const int exitAfter = qEnvironmentVariableIntValue("VXM_SOAK_EXIT_AFTER");

    for (auto _ : state) {
        const std::int64_t first = p.library->dataTransfers;
        const qsizetype loggedBefore = loggedLines(p.logs.path());
        double heapBefore = 0, rssBefore = 0, heapAfter = 0, rssAfter = 0;
        afterPause = [&] {
            const std::int64_t done = p.library->dataTransfers - first;
            if (exitEarly && done == exitAfter) _exit(0);
            if (done == kWarmUp && heapBefore == 0) {
                heapBefore = heapInUse();
                rssBefore = residentBytes();
            } else if (done == kWarmUp + kSoakPasses && heapAfter == 0) {
                heapAfter = heapInUse();
                rssAfter = residentBytes();
                QTimer::singleShot(0, results.StopMeasure, &QPushButton::click);
            }
        };
        QEventLoop operatorLoop;
        QTimer::singleShot(0, &operatorLoop, [&] {
            f.RepeatMeasure->click();  // returns when the repeated measurement has ended
            operatorLoop.quit();
        });
        operatorLoop.exec();
        afterPause = nullptr;

        const std::int64_t passes = p.library->dataTransfers - first;
        if (heapAfter == 0) {
            state.SkipWithError("the repeated measurement ended early");
            break;
        }
        // The first pass writes the log's header, every later one a data line.
        if (loggedLines(p.logs.path()) - loggedBefore != passes - 1) {
            state.SkipWithError("a pass wrote no log line");
            break;
        }
        state.counters["heap_bytes_per_pass"] = (heapAfter - heapBefore) / kSoakPasses;
        state.counters["rss_bytes_per_pass"] = (rssAfter - rssBefore) / kSoakPasses;
        state.counters["passes"] = static_cast<double>(passes);
        // 1 when an accessibility bridge was on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on xcb).
        state.counters["accessibility_active"] = QAccessible::isActive() ? 1 : 0;
    }
    if (Module1.ChannelCount != 4) state.SkipWithError("the passes did not find the four channels");
}

}  // namespace

BENCHMARK(BM_RepeatSoak)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RepeatPass)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanWaitCpu)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
