#pragma once
// The millisecond clock the laser link and the scan polls time themselves with: a monotonic
// counter that wraps at 2^32, and the one way to pause while the window keeps being served.

#include <QObject>

#include <cstdint>

// Milliseconds from `start` to `now` on a clock that wraps at 2^32: the plain difference, plus
// 2^32 when it comes out negative.
constexpr std::int64_t elapsedMs(std::uint32_t start, std::uint32_t now)
{
    std::int64_t d = static_cast<std::int64_t>(now) - static_cast<std::int64_t>(start);
    if (d < 0) d += std::int64_t{1} << 32;
    return d;
}

// Cuts a pause short: the laser's port raises it when bytes come in or the device is lost. Raised
// from the event loop; any number of pauses, nested in each other, may wait on it at once.
class Wakeup final : public QObject {
    Q_OBJECT
public:
    void raise() { emit raised(); }

signals:
    void raised();
};

class MsClock {
public:
    virtual ~MsClock() = default;
    virtual std::uint32_t now() const = 0;
    // Lets about `ms` milliseconds pass while pending window events are processed; with
    // `serveInput` false the operator's input waits until later.
    virtual void pause(std::uint32_t ms, bool serveInput) = 0;
    // The same, but returns as soon as `wakeup` is raised. A raise is no promise that what the
    // caller waits for has come: it looks again, and pauses again for the time that is left.
    virtual void pauseUntil(std::uint32_t ms, bool serveInput, Wakeup& wakeup) = 0;
};

// The system's monotonic clock; `pause` runs a nested event loop until a timer fires (or, in
// `pauseUntil`, the wakeup is raised), so the CPU idles and window events are served meanwhile.
class SystemClock final : public MsClock {
public:
    std::uint32_t now() const override;
    void pause(std::uint32_t ms, bool serveInput) override;
    void pauseUntil(std::uint32_t ms, bool serveInput, Wakeup& wakeup) override;
};
