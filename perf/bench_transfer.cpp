// Time for one 20001-point Ketrolan_Get_ScanData transfer from a running vxm-simulator: 21 data
// requests of 1000 points over the module's pseudo-terminal. The scan itself runs once, before
// the timing.

#include "module/ketrolan_lib.h"
#include "simulator_process.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

void BM_GetScanData20001(benchmark::State& state)
{
    SimulatorProcess sim;
    sim.exportComDir();
    if (!sim.started()) {
        state.SkipWithError("vxm-simulator did not start");
        return;
    }
    const int32_t handle = Ketrolan_Initialize_Port(5);
    if (handle <= 1000 || Ketrolan_Initialize_Connection(handle) != 1 ||
        Ketrolan_Start_Scan(handle, 1260, 1340, 1000, 1, 20001, 0, 0) != 1) {
        state.SkipWithError("module not reachable");
        return;
    }
    while (Ketrolan_Is_Scan_Done(handle) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));

    std::vector<float> wavelengths(20001), powers(20001);
    for (auto _ : state) {
        if (Ketrolan_Get_ScanData(handle, wavelengths.data(), powers.data(), 20001, 0) != 1) {
            state.SkipWithError("transfer failed");
            break;
        }
        benchmark::DoNotOptimize(powers.data());
    }
    state.SetItemsProcessed(state.iterations() * 20001);
    Ketrolan_Release_All();
}
BENCHMARK(BM_GetScanData20001)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
