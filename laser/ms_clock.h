#pragma once
// The millisecond clock the laser link and the scan polls time themselves with: a monotonic
// counter that wraps at 2^32, the one way to pause while the window keeps being served, and the
// waits built on it (`Delay`).

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

// The program's waits over one clock: `Delay` and the pauses a port's wakeup ends. Every wait
// serves window events, so a handler clicked meanwhile runs inside it; the waits in progress are
// counted. The composition root makes one and hands it to everything that waits: the laser link,
// the scan engine, the controllers that pause between steps, and shutdown, which must know whether
// it was clicked from inside a wait.
class Waits {
public:
    explicit Waits(MsClock& clock) : clock_(clock) {}

    MsClock& clock() const { return clock_; }

    // Waits at least `milliseconds` while window events are served.
    void Delay(double milliseconds);
    // Serves window events for at most `milliseconds`; ends as soon as `wakeup` is raised.
    void untilWoken(std::uint32_t milliseconds, Wakeup& wakeup);

    // Nested waits in progress: a handler that runs inside another's wait sees more than one.
    int depth() const { return depth_; }
    // Beyond this many nested waits the operator's clicks are held back until the inner waits end,
    // so that clicks piling handlers into each other's waits cannot exhaust the stack.
    static constexpr int kMaxServedDepth = 32;

private:
    bool servesInput() const { return depth_ <= kMaxServedDepth; }

    MsClock& clock_;
    int depth_ = 0;
};
