// One pass of Repeat Measurements with the module's scan time taken out: the transfer of 20001
// points from a library that has them ready, conversion, channel analysis, results table, plot and
// the log line. The CPU the program uses while it waits 10 s for a scan to end. And a soak: 2000
// passes of the repeated measurement as the operator runs it, with the memory it keeps per pass.
// Run: build/bin/bench_repeat_pass (offscreen by default; QT_QPA_PLATFORM=xcb under Xvfb with
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and an accessibility bus runs the soak with the bridge on).

#include "app/bench.h"
#include "core/form1.h"
#include "core/shared_state.h"
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

// A module whose scan is done at once (or after `scanMs` of real time) and whose data are four
// channels on a noisy floor, 1260..1340 nm.
class ReadyLibrary final : public DeviceLibrary {
public:
    std::int64_t scanMs = 0;
    std::int64_t scans = 0;  // Get_ScanData calls so far

    std::int32_t Initialize_Lib(std::int32_t) override { return 1; }
    std::int32_t Get_Lib_Version(std::uint8_t* v) override { v[0] = 0; return 1; }
    std::int32_t Initialize_Port(std::int32_t) override { return 1006; }
    std::int32_t Initialize_Connection(std::int32_t) override { return 1; }
    std::int32_t Get_Info(std::int32_t, std::uint8_t*) override { return 1; }
    std::int32_t Read_PowerMeter(std::int32_t, std::int32_t, float* p) override { *p = -1.0F; return 1; }
    std::int32_t Start_Scan(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                            std::int32_t, std::int32_t) override
    {
        started_.start();
        return 1;
    }
    std::int32_t AlignMode_Scan(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                std::int32_t) override
    {
        started_.start();
        return 1;
    }
    std::int32_t Is_Scan_Done(std::int32_t) override { return started_.elapsed() >= scanMs ? 1 : 0; }
    std::int32_t Get_ScanData(std::int32_t, float* wl, float* value, std::int32_t length, std::int32_t) override
    {
        ++scans;
        for (int i = 0; i < length; ++i) {
            const double nm = 1260.0 + 80.0 * i / (length - 1);
            double v = -40.0 + 0.02 * std::sin(i * 0.7);
            for (double centre : {1271.0, 1291.0, 1311.0, 1331.0}) v += 39.0 * std::exp(-std::pow((nm - centre) / 3.0, 8));
            wl[i] = static_cast<float>(nm * 1000.0);
            value[i] = static_cast<float>(v);
        }
        return 1;
    }
    std::int32_t Get_AlignMode_Data(std::int32_t, float*, float*, std::int32_t* count, std::int32_t) override
    {
        *count = 0;
        return 1;
    }
    std::int32_t Stop_Scan(std::int32_t) override { return 1; }
    std::int32_t Stop_All() override { return 1; }
    std::int32_t Release(std::int32_t) override { return 1; }
    std::int32_t Release_All() override { return 1; }

private:
    QElapsedTimer started_;
};

// The poll's 100 ms waits pass at once, so only the program's own work is timed.
class InstantClock final : public MsClock {
public:
    std::uint32_t now() const override { return now_; }
    void pause(std::uint32_t ms, bool) override { now_ += ms; }
    void pauseUntil(std::uint32_t ms, bool, Wakeup&) override { now_ += ms; }

private:
    std::uint32_t now_ = 0;
};

// The poll's waits run a nested event loop, as the program's own waits do (paints, layouts,
// deferred deletes, what the accessibility bridge queued), but it ends once the pending events are
// served: no real time passes. Then `afterPause` runs.
class ServingClock final : public MsClock {
public:
    std::function<void()> afterPause;

    std::uint32_t now() const override { return now_; }
    void pause(std::uint32_t ms, bool serveInput) override
    {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec(serveInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        now_ += ms;
        if (afterPause) afterPause();
    }
    // The scripted library never talks through the laser's port: nothing wakes a pause early.
    void pauseUntil(std::uint32_t ms, bool serveInput, Wakeup&) override { pause(ms, serveInput); }

private:
    std::uint32_t now_ = 0;
};

struct PassBench {
    ReadyLibrary* library = nullptr;
    std::unique_ptr<Bench> bench;
    QTemporaryDir logs;

    explicit PassBench(bool realClock, std::unique_ptr<MsClock> clock = nullptr)
    {
        resetSharedState();
        BenchServices services;
        auto lib = std::make_unique<ReadyLibrary>();
        library = lib.get();
        services.library = std::move(lib);
        if (clock) services.clock = std::move(clock);
        else if (!realClock) services.clock = std::make_unique<InstantClock>();
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

// getrusage before and after one acquisition whose scan takes 10 s of real time.
void BM_ScanWaitCpu(benchmark::State& state)
{
    PassBench p(true);
    p.library->scanMs = 10000;
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
    auto clock = std::make_unique<ServingClock>();
    ServingClock& serving = *clock;
    PassBench p(false, std::move(clock));
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
        const std::int64_t first = p.library->scans;
        const qsizetype loggedBefore = loggedLines(p.logs.path());
        double heapBefore = 0, rssBefore = 0, heapAfter = 0, rssAfter = 0;
        serving.afterPause = [&] {
            const std::int64_t done = p.library->scans - first;
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
        serving.afterPause = nullptr;

        const std::int64_t passes = p.library->scans - first;
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
