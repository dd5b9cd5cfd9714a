#include "sim/module_link.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace ketrolan {

namespace {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int remaining(std::int64_t deadline) { return static_cast<int>(std::max<std::int64_t>(0, deadline - nowMs())); }

}  // namespace

std::int32_t ModuleLink::open(const std::string& path)
{
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A missing device node, a dangling link or a serial port without hardware behind it.
        if (errno == ENOENT || errno == ENXIO || errno == ENODEV || errno == EIO) return kNoSuchPort;
        return errno == EBUSY ? kPortBusy : kCannotOpen;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return kCannotOpen;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    ::cfsetispeed(&t, B115200);
    ::cfsetospeed(&t, B115200);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        ::close(fd);
        return kCannotOpen;
    }
    ::ioctl(fd, TIOCEXCL);  // others opening the port now get "busy"
    fd_ = fd;
    return kOk;
}

void ModuleLink::close()
{
    if (fd_ < 0) return;
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

std::int32_t ModuleLink::writeAll(const std::vector<std::uint8_t>& bytes, std::int64_t deadline)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return kLinkLost;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, remaining(deadline)) <= 0) return kTimeout;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return kLinkLost;
    }
    return kOk;
}

std::int32_t ModuleLink::exchange(const char* command, const std::vector<std::uint16_t>& words,
                                  std::vector<std::uint16_t>& reply)
{
    if (fd_ < 0) return kUnknownHandle;
    const std::int64_t deadline = nowMs() + kReplyTimeoutMs;
    ::tcflush(fd_, TCIFLUSH);  // a late reply to an earlier request must not pass for this one's
    if (const std::int32_t r = writeAll(frame::build(command, words), deadline); r != kOk) return r;

    std::vector<std::uint8_t> in;
    std::uint8_t buffer[8192];
    for (;;) {
        std::size_t skipped = 0;
        while (const auto parsed = frame::parse(in, skipped)) {
            in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(skipped + parsed->size));
            if (parsed->command != command) continue;  // someone else's reply
            if (!parsed->checksumOk || parsed->words.empty()) return kBadReply;
            // 0002: the module refused an argument, which is the caller's fault as a library check's is.
            if (parsed->words[0] == kArgumentRefused) return kBadArgument;
            if (parsed->words[0] != 0) return kModuleStatusBase + parsed->words[0];
            reply.assign(parsed->words.begin() + 1, parsed->words.end());
            return kOk;
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, remaining(deadline));
        if (ready == 0) return kTimeout;
        if (ready < 0) {
            if (errno == EINTR) continue;
            return kLinkLost;
        }
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            in.insert(in.end(), buffer, buffer + n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            return kLinkLost;  // the far end hung up
        }
    }
}

}  // namespace ketrolan
