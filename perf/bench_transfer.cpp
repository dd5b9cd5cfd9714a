// Time for one 20001-point Ketrolan_Get_ScanData transfer from a running vxm-simulator: 21 data
// requests of 1000 points over the module's pseudo-terminal. The scan itself runs once, before
// the timing.

#include "module/ketrolan_lib.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// vxm-simulator beside this program, in a fresh port directory; stopped on destruction.
class Simulator {
public:
    Simulator()
    {
        char dirTemplate[] = "/tmp/vxm-bench-XXXXXX";
        dir_ = ::mkdtemp(dirTemplate);
        const std::string program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vxm-simulator";
        const std::string comDir = dir_ + "/com";
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", 0, 0);
        std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>("--com-dir"),
                                const_cast<char*>(comDir.c_str()), nullptr};
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        char line[16] = {};
        ready_ = pid_ > 0 && ::read(out[0], line, sizeof line - 1) > 0 && std::string(line) == "ready\n";
        ::close(out[0]);
        ::setenv("VXM_COM_DIR", comDir.c_str(), 1);
    }
    ~Simulator()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    bool ready() const { return ready_; }

private:
    std::string dir_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

void BM_GetScanData20001(benchmark::State& state)
{
    Simulator sim;
    if (!sim.ready()) {
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

BENCHMARK_MAIN();
