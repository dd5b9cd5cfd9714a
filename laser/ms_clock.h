#pragma once
// The millisecond clock the laser link and the scan polls time themselves with: a monotonic
// counter that wraps at 2^32, and the one way to pause while the window keeps being served.

#include <cstdint>

// Milliseconds from `start` to `now` on a clock that wraps at 2^32: the plain difference, plus
// 2^32 when it comes out negative.
constexpr std::int64_t elapsedMs(std::uint32_t start, std::uint32_t now)
{
    std::int64_t d = static_cast<std::int64_t>(now) - static_cast<std::int64_t>(start);
    if (d < 0) d += std::int64_t{1} << 32;
    return d;
}

class MsClock {
public:
    virtual ~MsClock() = default;
    virtual std::uint32_t now() const = 0;
    // Lets about `ms` milliseconds pass while pending window events are processed; with
    // `serveInput` false the operator's input waits until later.
    virtual void pause(std::uint32_t ms, bool serveInput) = 0;
};

// The system's monotonic clock; `pause` runs a nested event loop until a timer fires, so the CPU
// idles and window events are served meanwhile.
class SystemClock final : public MsClock {
public:
    std::uint32_t now() const override;
    void pause(std::uint32_t ms, bool serveInput) override;
};
