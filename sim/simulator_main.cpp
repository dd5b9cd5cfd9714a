// vxm-simulator: a laser and a module on two pseudo-terminals over one bench model, linked as
// COM ports in the port directory. A thin poll() loop over the pure devices of this folder.

#include "laser/com_ports.h"
#include "laser/frame_codec.h"
#include "sim/bench_model.h"
#include "sim/console.h"
#include "sim/faults.h"
#include "sim/laser_device.h"
#include "sim/module_device.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <iostream>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace vxmsim;

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A partial request older than this is dropped, so a half-sent frame cannot block the port.
constexpr std::int64_t kStaleInputMs = 1000;
constexpr std::int64_t kUnplugGraceMs = 200;

struct Pending {
    std::int64_t dueMs = 0;
    std::vector<std::uint8_t> bytes;
    bool unplug = false;
};

// One instrument on one pseudo-terminal. The simulator keeps the slave side open itself, so the
// terminal never hangs up and written replies wait there while the program has the port closed.
class PtyPort {
public:
    using Handler = std::function<std::vector<std::uint8_t>(const frame::Parsed&)>;

    PtyPort(std::string name, int comNumber, Handler handler, FaultSet& faults)
        : name_(std::move(name)), comNumber_(comNumber), handler_(std::move(handler)), faults_(faults)
    {
    }
    ~PtyPort() { unplug(); }

    bool open(std::string& error)
    {
        char slaveName[256] = {};
        if (::openpty(&master_, &slave_, slaveName, nullptr, nullptr) != 0) {
            error = std::string("openpty: ") + std::strerror(errno);
            return false;
        }
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B115200);
        ::cfsetospeed(&t, B115200);
        ::tcsetattr(slave_, TCSANOW, &t);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        ::fcntl(master_, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
        slaveName_ = slaveName;
        link_ = comports::linkPath(comNumber_);
        std::error_code ec;
        std::filesystem::remove(link_, ec);  // a stale link from an earlier run
        if (::symlink(slaveName_.c_str(), link_.c_str()) != 0) {
            error = "cannot link " + link_ + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }

    // Closes the terminal and removes the link, if it is still ours.
    void unplug()
    {
        if (master_ < 0) return;
        char target[256] = {};
        const ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
        if (n > 0 && slaveName_ == std::string(target, static_cast<std::size_t>(n))) ::unlink(link_.c_str());
        ::close(slave_);
        ::close(master_);
        master_ = slave_ = -1;
        pending_.clear();
        out_.clear();
    }

    bool isOpen() const { return master_ >= 0; }
    int fd() const { return master_; }
    short events() const { return static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT)); }
    const std::string& name() const { return name_; }

    // Milliseconds until this port has something to do on its own (-1: nothing).
    std::int64_t nextDeadline() const
    {
        std::int64_t due = -1;
        if (!pending_.empty()) due = pending_.front().dueMs;
        if (!in_.empty()) due = due < 0 ? lastInputMs_ + kStaleInputMs : std::min(due, lastInputMs_ + kStaleInputMs);
        return due;
    }

    void readInput()
    {
        std::uint8_t buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            in_.insert(in_.end(), buffer, buffer + n);
            lastInputMs_ = nowMs();
        }
        for (;;) {
            std::size_t skipped = 0;
            const auto parsed = frame::parse(in_, skipped);
            if (!parsed) {
                in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(skipped));
                break;
            }
            in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(skipped + parsed->size));
            answer(*parsed);
        }
    }

    void runTimers()
    {
        const std::int64_t now = nowMs();
        if (!in_.empty() && now >= lastInputMs_ + kStaleInputMs) in_.clear();
        while (!pending_.empty() && pending_.front().dueMs <= now) {
            Pending p = std::move(pending_.front());
            pending_.erase(pending_.begin());
            if (p.unplug) {
                flush(true);
                std::cerr << "vxm-simulator: " << name_ << " unplugged\n";
                unplug();
                return;
            }
            out_.insert(out_.end(), p.bytes.begin(), p.bytes.end());
        }
        flush(false);
    }

    void flush(bool drain)
    {
        while (!out_.empty() && master_ >= 0) {
            const ssize_t n = ::write(master_, out_.data(), out_.size());
            if (n > 0) {
                out_.erase(out_.begin(), out_.begin() + n);
                continue;
            }
            if (!drain || (errno != EAGAIN && errno != EINTR)) break;
            ::usleep(1000);
        }
    }

private:
    void answer(const frame::Parsed& request)
    {
        ++commands_;
        const std::int64_t now = nowMs();
        if (faults_.unplugAfter >= 0 && commands_ > faults_.unplugAfter) {  // switched on late, or N = 0
            schedule(Pending{now, {}, true});
            return;
        }
        std::int64_t last = now;
        for (Block& b : shapeReply(faults_, handler_(request))) {
            last = now + b.delayMs;
            schedule(Pending{last, std::move(b.bytes), false});
        }
        // Unplugging closes the terminal, which drops what the reader has not taken yet: leave
        // time for the last reply to be read first.
        if (faults_.unplugAfter >= 0 && commands_ >= faults_.unplugAfter)
            schedule(Pending{last + kUnplugGraceMs, {}, true});
    }

    void schedule(Pending p)
    {
        const auto at = std::upper_bound(pending_.begin(), pending_.end(), p.dueMs,
                                         [](std::int64_t due, const Pending& q) { return due < q.dueMs; });
        pending_.insert(at, std::move(p));
    }

    std::string name_;
    int comNumber_;
    Handler handler_;
    FaultSet& faults_;
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    std::string link_;
    std::vector<std::uint8_t> in_;
    std::int64_t lastInputMs_ = 0;
    std::vector<std::uint8_t> out_;
    std::vector<Pending> pending_;
    int commands_ = 0;
};

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
    "  --laser-range MIN MAX    laser range in pm (default 1260000 1340000)\n"
    "  --sweep-mode N           the laser's sweep mode word (default 0)\n"
    "  --band CODE              the module's band code (default OB)\n"
    "  --seed N                 noise seed (default 1)\n"
    "  --help                   this text\n"
    "Prints 'ready' once the links exist, then reads one console command per line on stdin:\n"
    "  dut out | dut in | dut filter | dut grating | fault NAME on|off | status | count CMD | quit | help\n";

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
    std::int32_t minPm = 1260000;
    std::int32_t maxPm = 1340000;
    int sweepMode = 0;
    std::string band = "OB";
    std::uint32_t seed = 1;
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
        } else if (a == "--laser-range" && next(v) && next(w)) {
            o.minPm = std::atoi(v.c_str());
            o.maxPm = std::atoi(w.c_str());
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
    bench.laser.minPm = options.minPm;
    bench.laser.maxPm = options.maxPm;
    bench.laser.wavelengthPm = options.minPm + (options.maxPm - options.minPm) / 2;
    bench.laser.sweepMode = static_cast<std::uint16_t>(options.sweepMode);
    FaultSet laserFaults, moduleFaults;
    for (const std::string& f : options.faults) {
        if (const std::string error = setFault(f, true, laserFaults, moduleFaults); !error.empty()) {
            std::cerr << "vxm-simulator: " << error << "\n";
            return 2;
        }
    }
    LaserDevice laser(bench);
    ModuleDevice module(bench, nowMs, options.band);
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
