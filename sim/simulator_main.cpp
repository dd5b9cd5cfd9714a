// vxm-simulator: a laser and a module on two pseudo-terminals over one bench model, linked as
// COM ports in the port directory: options, the console, and a thin poll() loop over the ports.

#include "laser/com_ports.h"
#include "laser/frame_codec.h"
#include "sim/bench_model.h"
#include "sim/console.h"
#include "sim/faults.h"
#include "sim/laser_device.h"
#include "sim/module_device.h"
#include "sim/pty_port.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <poll.h>
#include <optional>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace vxmsim;

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 's';
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

const char kUsage[] =
    "usage: vxm-simulator [options]\n"
    "  --com-dir DIR            port directory for the COMn links (default $VXM_COM_DIR or\n"
    "                           ~/.local/share/ostrel-vxm/com)\n"
    "  --laser COMn             the laser's port (default COM7)\n"
    "  --module COMn            the module's port (default COM6)\n"
    "  --fault NAME             switch a fault on at start; repeatable. Names:\n"
    "                           silent, bad-checksum, error-status[=XXXX] (hex, default 0001),\n"
    "                           split, extra-bytes, slow, truncated, unplug-after=N, module-silent;\n"
    "                           prefix laser: or module: for one instrument (default both)\n"
    "  --device NAME            the device under test (default filter): filter, grating, cwdm4,\n"
    "                           cwdm4-bad-loss, cwdm4-bad-center, dwdm8 (C band: the laser range\n"
    "                           and the band default to 1520000 1570000 and CB)\n"
    "  --laser-range MIN MAX    laser range in pm (default 1260000 1340000, or the device's band)\n"
    "  --sweep-mode N           the laser's sweep mode word (default 0)\n"
    "  --band CODE              the module's band code (default OB, or the device's band)\n"
    "  --seed N                 noise seed (default 1)\n"
    "  --help                   this text\n"
    "Prints 'ready' once the links exist, then reads one console command per line on stdin:\n"
    "  dut out | dut in | dut device NAME | dut port N | dut mux | dut filter | dut grating |\n"
    "  fault NAME on|off | status | count CMD | quit | help\n";

int comNumber(const std::string& text)
{
    if (text.size() < 4 || text.compare(0, 3, "COM") != 0) return -1;
    char* end = nullptr;
    const long n = std::strtol(text.c_str() + 3, &end, 10);
    return *end || n < 1 || n > 255 ? -1 : static_cast<int>(n);
}

struct Options {
    int laserCom = 7;
    int moduleCom = 6;
    std::vector<std::string> faults;
    Dut device = Dut::Filter;
    // Unless given, the laser range and the band are those of the device's band.
    std::optional<std::pair<std::int32_t, std::int32_t>> laserRangePm;
    int sweepMode = 0;
    std::optional<std::string> band;
    std::uint32_t seed = 1;

    std::string bandCode() const { return band.value_or(dutInfo(device).bandCode); }
    std::pair<std::int32_t, std::int32_t> laserRange() const
    {
        int minNm = 0, maxNm = 0;
        bandRange(dutInfo(device).bandCode, minNm, maxNm);
        return laserRangePm.value_or(std::pair{minNm * 1000, maxNm * 1000});
    }
};

bool parseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](std::string& value) {
            if (i + 1 >= argc) return false;
            value = argv[++i];
            return true;
        };
        std::string v, w;
        if (a == "--help") {
            std::cout << kUsage;
            std::exit(0);
        } else if (a == "--com-dir" && next(v)) {
            ::setenv("VXM_COM_DIR", v.c_str(), 1);
        } else if (a == "--laser" && next(v) && comNumber(v) > 0) {
            o.laserCom = comNumber(v);
        } else if (a == "--module" && next(v) && comNumber(v) > 0) {
            o.moduleCom = comNumber(v);
        } else if (a == "--fault" && next(v)) {
            o.faults.push_back(v);
        } else if (a == "--device" && next(v) && dutFromName(v)) {
            o.device = *dutFromName(v);
        } else if (a == "--laser-range" && next(v) && next(w)) {
            o.laserRangePm = {std::atoi(v.c_str()), std::atoi(w.c_str())};
        } else if (a == "--sweep-mode" && next(v)) {
            o.sweepMode = std::atoi(v.c_str());
        } else if (a == "--band" && next(v) && v.size() == 2) {
            o.band = v;
        } else if (a == "--seed" && next(v)) {
            o.seed = static_cast<std::uint32_t>(std::strtoul(v.c_str(), nullptr, 10));
        } else {
            std::cerr << "vxm-simulator: bad argument " << a << "\n" << kUsage;
            return false;
        }
    }
    if (o.laserCom == o.moduleCom) {
        std::cerr << "vxm-simulator: laser and module need different ports\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) return 2;

    BenchModel bench(options.seed);
    std::tie(bench.laser.minPm, bench.laser.maxPm) = options.laserRange();
    bench.laser.wavelengthPm = bench.laser.minPm + (bench.laser.maxPm - bench.laser.minPm) / 2;
    bench.laser.sweepMode = static_cast<std::uint16_t>(options.sweepMode);
    if (const std::string error = bench.selectDut(options.device); !error.empty()) {
        std::cerr << "vxm-simulator: " << error << "\n";
        return 2;
    }
    FaultSet laserFaults, moduleFaults;
    for (const std::string& f : options.faults) {
        if (const std::string error = setFault(f, true, laserFaults, moduleFaults); !error.empty()) {
            std::cerr << "vxm-simulator: " << error << "\n";
            return 2;
        }
    }
    LaserDevice laser(bench);
    ModuleDevice module(bench, nowMs, options.bandCode());
    // Refused requests are named on standard error, beside the links' own events.
    laser.onRefusal = module.onRefusal = [](const std::string& line) { std::cerr << "vxm-simulator: " << line << std::endl; };
    Console console(bench, laserFaults, moduleFaults);

    std::error_code ec;
    std::filesystem::create_directories(comports::portDirectory(), ec);
    PtyPort ports[] = {
        PtyPort("laser", options.laserCom, [&](const frame::Parsed& r) { return laser.handle(r); }, laserFaults),
        PtyPort("module", options.moduleCom, [&](const frame::Parsed& r) { return module.handle(r); }, moduleFaults),
    };
    if (::pipe(signalPipe) != 0) return 1;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    for (PtyPort& p : ports) {
        std::string error;
        if (!p.open(error)) {
            std::cerr << "vxm-simulator: " << error << "\n";
            return 1;
        }
    }
    std::cout << "ready" << std::endl;

    bool stdinOpen = true;
    std::string console_line;
    for (;;) {
        std::vector<pollfd> fds{{signalPipe[0], POLLIN, 0}};
        if (stdinOpen) fds.push_back({STDIN_FILENO, POLLIN, 0});
        const std::size_t firstPort = fds.size();
        std::int64_t deadline = -1;
        for (PtyPort& p : ports) {
            if (!p.isOpen()) continue;
            fds.push_back({p.fd(), p.events(), 0});
            const std::int64_t d = p.nextDeadline();
            if (d >= 0) deadline = deadline < 0 ? d : std::min(deadline, d);
        }
        const int timeout = deadline < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(0, deadline - nowMs()));
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
        if (fds[0].revents) break;
        if (stdinOpen && fds[1].revents) {
            char buffer[1024];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                stdinOpen = false;  // run on in the background until quit or a signal
            } else {
                console_line.append(buffer, static_cast<std::size_t>(n));
                for (auto eol = console_line.find('\n'); eol != std::string::npos; eol = console_line.find('\n')) {
                    std::string line = console_line.substr(0, eol);
                    console_line.erase(0, eol + 1);
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    std::cout << console.execute(line) << std::endl;
                }
                if (console.quitRequested()) break;
            }
        }
        std::size_t k = firstPort;
        for (PtyPort& p : ports) {
            if (!p.isOpen()) continue;
            if (fds[k].revents & POLLIN) p.readInput();
            ++k;
            p.runTimers();
        }
    }
    for (PtyPort& p : ports) p.unplug();
    return 0;
}
