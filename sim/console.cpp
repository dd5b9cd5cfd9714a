#include "sim/console.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace vxmsim {

Console::Console(BenchModel& bench, FaultSet& laserFaults, FaultSet& moduleFaults)
    : bench_(bench), laserFaults_(laserFaults), moduleFaults_(moduleFaults)
{
}

std::string Console::status() const
{
    const LaserState& l = bench_.laser;
    char wl[32];
    std::snprintf(wl, sizeof wl, "%.3f", l.wavelengthPm / 1000.0);
    char sweep[96] = "";
    if (l.sweeping)
        std::snprintf(sweep, sizeof sweep, " sweeping %.3f-%.3f nm at %u nm/s", l.sweepStartPm / 1000.0,
                      l.sweepStopPm / 1000.0, static_cast<unsigned>(l.sweepSpeed));
    return std::string("laser ") + (l.on ? "on" : "off") + " " + wl + " nm" + sweep +
           "; dut " + (bench_.dut == Dut::Filter ? "filter" : "grating") + (bench_.dutInserted ? " in" : " out") +
           "; module sweep flag " + std::to_string(bench_.moduleSweepFlag) + "; laser faults: " + describe(laserFaults_) + "; module faults: " + describe(moduleFaults_);
}

std::string Console::execute(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty()) return "error: empty command (try help)";
    const std::string& verb = words[0];

    if (verb == "dut" && words.size() == 2) {
        const std::string& what = words[1];
        if (what == "out") bench_.dutInserted = false;
        else if (what == "in") bench_.dutInserted = true;
        else if (what == "filter") bench_.dut = Dut::Filter;
        else if (what == "grating") bench_.dut = Dut::Grating;
        else return "error: dut out|in|filter|grating";
        return std::string("ok: dut ") + (bench_.dut == Dut::Filter ? "filter" : "grating") +
               (bench_.dutInserted ? " in" : " out");
    }
    if (verb == "fault" && words.size() == 3 && (words[2] == "on" || words[2] == "off")) {
        const std::string error = setFault(words[1], words[2] == "on", laserFaults_, moduleFaults_);
        if (!error.empty()) return "error: " + error;
        return "ok: fault " + words[1] + " " + words[2];
    }
    if (verb == "status" && words.size() == 1) return status();
    if (verb == "count" && words.size() == 2) {
        // "count SCAN" asks the laser, "count module:SCAN" the module.
        const bool module = words[1].rfind("module:", 0) == 0;
        const auto& received = module ? bench_.moduleCommandsReceived : bench_.laser.commandsReceived;
        const auto it = received.find(module ? words[1].substr(7) : words[1]);
        return words[1] + " " + std::to_string(it == received.end() ? 0 : it->second);
    }
    if (verb == "help" && words.size() == 1) return kConsoleHelp;
    if (verb == "quit" && words.size() == 1) {
        quit_ = true;
        return "bye";
    }
    return "error: unknown command: " + line + " (try help)";
}

}  // namespace vxmsim
