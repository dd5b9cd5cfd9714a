#include "sim/pty_port.h"

#include "laser/com_ports.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace vxmsim {

namespace {

// A partial request older than this is dropped, so a half-sent frame cannot block the port.
constexpr std::int64_t kStaleInputMs = 1000;
constexpr std::int64_t kUnplugGraceMs = 200;

}  // namespace

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

PtyPort::PtyPort(std::string name, int comNumber, Handler handler, FaultSet& faults)
    : name_(std::move(name)), comNumber_(comNumber), handler_(std::move(handler)), faults_(faults)
{
}

PtyPort::~PtyPort() { unplug(); }

bool PtyPort::open(std::string& error)
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

void PtyPort::unplug()
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

short PtyPort::events() const { return static_cast<short>(POLLIN | (out_.empty() ? 0 : POLLOUT)); }

std::int64_t PtyPort::nextDeadline() const
{
    std::int64_t due = -1;
    if (!pending_.empty()) due = pending_.front().dueMs;
    if (!in_.empty()) due = due < 0 ? lastInputMs_ + kStaleInputMs : std::min(due, lastInputMs_ + kStaleInputMs);
    return due;
}

void PtyPort::readInput()
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

void PtyPort::runTimers()
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

void PtyPort::flush(bool drain)
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

void PtyPort::answer(const frame::Parsed& request)
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

void PtyPort::schedule(Pending p)
{
    const auto at = std::upper_bound(pending_.begin(), pending_.end(), p.dueMs,
                                     [](std::int64_t due, const Pending& q) { return due < q.dueMs; });
    pending_.insert(at, std::move(p));
}

}  // namespace vxmsim
