// The station's own time around a device's scan, on the fakes with the module's scan time taken
// out: from Enter in the device ID box to the scan's start (the recipe's boxes set, the background
// checked against its policy), and from the last of 20001 points read to the verdict shown and the
// record queued (conversion, analysis, figures, mask, verdict, results plot, record). For scale,
// the sweep they sit around: 80 nm at 100 nm/s is 0.8 s.
// Run: build/bin/bench_station (offscreen by default).

#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "sim/dut_models.h"
#include "station/station_controller.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <ctime>

namespace {

constexpr int kPoints = 20001;
constexpr double kSweepS = 80.0 / 100.0;  // the recipe's span over its speed

// This thread's CPU time: on a loaded machine the wall time also holds the other programs' turns.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct StationBench {
    FakeDeviceLibrary* library = nullptr;
    std::shared_ptr<std::function<void()>> watcher = std::make_shared<std::function<void()>>([] {});
    QTemporaryDir dir;
    std::unique_ptr<Bench> bench;
    QElapsedTimer clock;
    qint64 lastPointNs = 0;
    double lastPointCpuMs = 0;

    StationBench()
    {
        resetSharedState();
        // The example recipe at the module's longest trace.
        QFile example(QStringLiteral(VXM_SOURCE_DIR "/docs/examples/cwdm4-recipe.json"));
        example.open(QIODevice::ReadOnly);
        QDir().mkpath(dir.filePath(QStringLiteral("recipes")));
        QFile recipe(dir.filePath(QStringLiteral("recipes/cwdm4.json")));
        recipe.open(QIODevice::WriteOnly);
        recipe.write(example.readAll().replace("\"data_length\": 2001", "\"data_length\": 20001"));
        recipe.close();

        BenchServices services;
        auto lib = std::make_unique<FakeDeviceLibrary>();
        lib->keepCalls = false;
        library = lib.get();
        services.library = std::move(lib);
        auto fakeClock = std::make_unique<FakeClock>(0, FakeClock::Events::Left);
        fakeClock->watch(watcher);
        services.clock = std::move(fakeClock);
        services.settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        services.recordsTarget = dir.filePath(QStringLiteral("records.sqlite"));
        services.recordsSpool = dir.filePath(QStringLiteral("spool.sqlite"));
        services.recipesFolder = dir.filePath(QStringLiteral("recipes"));
        bench = std::make_unique<Bench>(std::move(services));
        bench->startup().Form_Load();
        clock.start();

        // A bench without a laser, its module connected.
        Form1& f = bench->form1();
        f.CheckTLS->setChecked(false);
        f.SetVXMComPort->click();
        f.SetConnection->click();
        StationController& station = bench->station();
        station.refreshRecipes();
        if (!station.chooseRecipe(QStringLiteral("CWDM4 demultiplexer, production test"))) return;
        // The background: the simulator's light without the device, then the filter in.
        library->point = [](int i, float& wavelengthPm, float& value) {
            wavelengthPm = static_cast<float>(1260000.0 + 80000.0 * i / (kPoints - 1));
            value = -1.5F;
        };
        f.TakeBackground->click();
        f.SingleMeasure->click();
        library->point = [this](int i, float& wavelengthPm, float& value) {
            const double nm = 1260.0 + 80.0 * i / (kPoints - 1);
            wavelengthPm = static_cast<float>(nm * 1000.0);
            value = static_cast<float>(-1.5 + vxmsim::deviceDb(vxmsim::Dut::Filter, 0, nm));
            if (i == kPoints - 1) {
                lastPointNs = clock.nsecsElapsed();
                lastPointCpuMs = threadCpuMs();
            }
        };
    }
};

// Enter pressed to the first wait of the scan, which follows its start at once.
void BM_EnterToScanStart(benchmark::State& state)
{
    StationBench s;
    Form1& f = s.bench->form1();
    qint64 enteredNs = 0;
    qint64 startedNs = 0;
    *s.watcher = [&] {
        if (startedNs == 0) startedNs = s.clock.nsecsElapsed();
    };
    for (auto _ : state) {
        f.DeviceId->setText(QStringLiteral("SN-%1").arg(state.iterations()));
        startedNs = 0;
        enteredNs = s.clock.nsecsElapsed();
        emit f.DeviceId->returnPressed();  // Enter, as the box tells it
        if (startedNs == 0) state.SkipWithError("no scan started");
        state.SetIterationTime(static_cast<double>(startedNs - enteredNs) / 1e9);
    }
    state.counters["sweep_s"] = kSweepS;
}

// The last point read to the verdict shown and the record handed to the writer.
void BM_LastPointToVerdictAndRecord(benchmark::State& state)
{
    StationBench s;
    Form1& f = s.bench->form1();
    qint64 recordedNs = 0;
    double cpuMs = 0;
    QObject::connect(&s.bench->station(), &StationController::deviceRecorded, [&] {
        recordedNs = s.clock.nsecsElapsed();
        cpuMs += threadCpuMs() - s.lastPointCpuMs;
    });
    QString verdict;
    for (auto _ : state) {
        f.DeviceId->setText(QStringLiteral("SN-%1").arg(state.iterations()));
        recordedNs = 0;
        emit f.DeviceId->returnPressed();  // Enter, as the box tells it
        if (recordedNs == 0) state.SkipWithError("no device recorded");
        state.SetIterationTime(static_cast<double>(recordedNs - s.lastPointNs) / 1e9);
        verdict = s.bench->station().widgets().StationVerdict->text();
    }
    if (verdict != QStringLiteral("PASS") && verdict != QStringLiteral("MARGINAL"))
        state.SkipWithError("the filter was not judged a pass");
    state.counters["sweep_s"] = kSweepS;
    state.counters["points"] = kPoints;
    state.counters["cpu_ms"] = cpuMs / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_EnterToScanStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LastPointToVerdictAndRecord)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
