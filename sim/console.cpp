#include "sim/console.h"

#include <cstdio>
#include <cstdlib>
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
    return std::string("laser ") + (l.on ? "on" : "off") + " " + wl + " nm" + sweep + "; dut " + dutState() +
           "; module sweep flag " + std::to_string(bench_.moduleSweepFlag) + "; laser faults: " + describe(laserFaults_) + "; module faults: " + describe(moduleFaults_);
}

std::string Console::dutState() const
{
    std::string state = dutInfo(bench_.dut).name;
    if (portCount(bench_.dut) > 0)
        state += bench_.dutPort == kCommonPort ? " mux" : " port " + std::to_string(bench_.dutPort);
    return state + (bench_.dutInserted ? " in" : " out");
}

std::string Console::dutCommand(const std::vector<std::string>& words)
{
    const std::string what = words.size() > 1 ? words[1] : "";
    if (words.size() == 2 && (what == "out" || what == "in")) {
        bench_.dutInserted = what == "in";
        return {};
    }
    // The first two devices keep their short commands.
    if (words.size() == 2 && (what == "filter" || what == "grating")) return bench_.selectDut(*dutFromName(what));
    if (words.size() == 2 && what == "mux") return bench_.selectPort(kCommonPort);
    if (words.size() == 3 && what == "device") {
        if (const std::optional<Dut> device = dutFromName(words[2])) return bench_.selectDut(*device);
        std::string names;
        for (const DutInfo& info : dutCatalogue()) names += std::string(names.empty() ? "" : ", ") + info.name;
        return "unknown device " + words[2] + " (" + names + ")";
    }
    if (words.size() == 3 && what == "port") {
        char* end = nullptr;
        const long port = std::strtol(words[2].c_str(), &end, 10);
        // Anything but a whole number from 1 is no output port; selectPort names the ones there are.
        return bench_.selectPort(*end || port < 1 || port > 255 ? -1 : static_cast<int>(port));
    }
    return "dut out|in|device NAME|port N|mux|filter|grating";
}

std::string Console::execute(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty()) return "error: empty command (try help)";
    const std::string& verb = words[0];

    if (verb == "dut") {
        const std::string error = dutCommand(words);
        return error.empty() ? "ok: dut " + dutState() : "error: " + error;
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
