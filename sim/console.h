#pragma once
// The simulator's operator console: one command line in, one answer line out.

#include "sim/bench_model.h"
#include "sim/faults.h"

#include <string>

namespace vxmsim {

class Console {
public:
    Console(BenchModel& bench, FaultSet& laserFaults, FaultSet& moduleFaults);

    // Runs one command and returns its one-line answer (without line end).
    std::string execute(const std::string& line);
    bool quitRequested() const { return quit_; }

    std::string status() const;

private:
    BenchModel& bench_;
    FaultSet& laserFaults_;
    FaultSet& moduleFaults_;
    bool quit_ = false;
};

inline constexpr char kConsoleHelp[] =
    "commands: dut out | dut in | dut filter | dut grating | fault NAME on|off | status | count CMD | count module:CMD | quit | help";

}  // namespace vxmsim
