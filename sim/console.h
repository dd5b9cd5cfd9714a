#pragma once
// The simulator's operator console: one command line in, one answer line out.

#include "sim/bench_model.h"
#include "sim/faults.h"

#include <string>
#include <vector>

namespace vxmsim {

class Console {
public:
    Console(BenchModel& bench, FaultSet& laserFaults, FaultSet& moduleFaults);

    // Runs one command and returns its one-line answer (without line end).
    std::string execute(const std::string& line);
    bool quitRequested() const { return quit_; }

    std::string status() const;

private:
    // "cwdm4 port 2 in", "filter out".
    std::string dutState() const;
    // Carries out a dut command; the reason when it is refused, else empty.
    std::string dutCommand(const std::vector<std::string>& words);

    BenchModel& bench_;
    FaultSet& laserFaults_;
    FaultSet& moduleFaults_;
    bool quit_ = false;
};

inline constexpr char kConsoleHelp[] =
    "commands: dut out | dut in | dut device filter|grating|cwdm4|cwdm4-bad-loss|cwdm4-bad-center|dwdm8 | "
    "dut port N | dut mux | dut filter | dut grating | fault NAME on|off | status | count CMD | count module:CMD | quit | help";

}  // namespace vxmsim
