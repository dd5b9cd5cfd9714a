// Figures of the program against a running vxm-simulator: one laser exchange (the link's fixed
// 100 ms wait plus the reply), start-up (Form_Load with its port detection), the CPU the program
// uses while it waits 10 s in Delay (the wait serves the event loop; it must not spin), and the
// CPU it uses while it waits for a laser that never answers (ReceiveTLSReply's whole time-out).
//
// The CPU figures depend on what listens to the window: run them also under X with the
// accessibility bridge on: perf/with_accessibility.sh build/bin/bench_link --benchmark_filter=Cpu

#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "laser/tls_link.h"
#include "simulator_process.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

SimulatorProcess* simulator = nullptr;  // for the whole run

std::unique_ptr<Bench> startedBench()
{
    resetSharedState();
    auto bench = std::make_unique<Bench>(realServices());
    bench->startup().Form_Load();
    return bench;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_LaserExchange(benchmark::State& state)
{
    if (!simulator->started()) return state.SkipWithError("vxm-simulator did not start");
    auto bench = startedBench();
    bench->form1().SetTLSComPort->click();
    TlsLink& link = bench->link();
    for (auto _ : state) {
        QString command = QStringLiteral("AA524453570000");  // read sweep mode
        link.SendTLSCommand(1, 8, 0, command);
        QString reply, checksum;
        link.ReceiveTLSReply(reply, checksum);
        if (reply.mid(14, 4) != QLatin1String("0000")) return state.SkipWithError("the laser did not answer");
    }
}
BENCHMARK(BM_LaserExchange)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

void BM_StartUp(benchmark::State& state)
{
    if (!simulator->started()) return state.SkipWithError("vxm-simulator did not start");
    for (auto _ : state) {
        auto bench = startedBench();
        benchmark::DoNotOptimize(bench.get());
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_DelayCpu(benchmark::State& state)
{
    auto bench = startedBench();
    double cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds();
        bench->waits().Delay(static_cast<double>(state.range(0)));
        cpu += cpuSeconds() - before;
    }
    state.counters["cpu_percent"] =
        100.0 * cpu / (static_cast<double>(state.range(0)) / 1000.0 * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_DelayCpu)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A command to the laser switched silent, then ReceiveTLSReply as every laser exchange calls it:
// the fixed 100 ms and the whole reply time-out (10 s) pass without a byte.
void BM_SilentLaserWaitCpu(benchmark::State& state)
{
    if (!simulator->started()) return state.SkipWithError("vxm-simulator did not start");
    auto bench = startedBench();
    bench->form1().SetTLSComPort->click();
    if (!bench->MSComm1().isOpen()) return state.SkipWithError("the laser's port did not open");
    if (!simulator->command(QStringLiteral("fault laser:silent on")).startsWith(QLatin1String("ok")))
        return state.SkipWithError("the laser cannot be silenced");
    TlsLink& link = bench->link();
    double cpu = 0;
    double waited = 0;
    for (auto _ : state) {
        QString command = QStringLiteral("AA524453570000");  // read sweep mode
        link.SendTLSCommand(1, 8, 0, command);
        QString reply, checksum;
        QElapsedTimer wall;
        wall.start();
        const double before = cpuSeconds();
        link.ReceiveTLSReply(reply, checksum);
        cpu += cpuSeconds() - before;
        waited += static_cast<double>(wall.nsecsElapsed()) / 1e9;
        if (!reply.isEmpty()) {
            simulator->command(QStringLiteral("fault laser:silent off"));
            return state.SkipWithError("the silenced laser answered");
        }
    }
    simulator->command(QStringLiteral("fault laser:silent off"));
    state.counters["cpu_percent"] = 100.0 * cpu / waited;
    state.counters["wait_s"] = waited / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SilentLaserWaitCpu)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SimulatorProcess sim;
    sim.exportComDir();
    const QString library = QDir(SimulatorProcess::builtDir()).filePath(QStringLiteral("libKetrolanLib.so"));
    qputenv("VXM_MODULE_LIBRARY", library.toUtf8());
    simulator = &sim;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
