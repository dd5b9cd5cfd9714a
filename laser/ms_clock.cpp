#include "laser/ms_clock.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

// A nested event loop that ends when `ms` have passed or, given a wakeup, when it is raised.
void serveEventsFor(std::uint32_t ms, bool serveInput, Wakeup* wakeup)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (wakeup) QObject::connect(wakeup, &Wakeup::raised, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(ms));
    // Once the program has been told to quit, event loops return at once (-1): the rest of a reply
    // wait is then slept, not spun, until the waiting handler lets the program end.
    if (loop.exec(serveInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents) < 0)
        QThread::msleep(ms);
}

}  // namespace

std::uint32_t SystemClock::now() const
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());  // keeps the low 32 bits: wraps at 2^32
}

void SystemClock::pause(std::uint32_t ms, bool serveInput) { serveEventsFor(ms, serveInput, nullptr); }

void SystemClock::pauseUntil(std::uint32_t ms, bool serveInput, Wakeup& wakeup)
{
    serveEventsFor(ms, serveInput, &wakeup);
}

void Waits::Delay(double milliseconds)
{
    if (!(milliseconds > 0)) return;
    ++depth_;
    const std::uint32_t start = clock_.now();
    for (;;) {
        const auto elapsed = static_cast<double>(elapsedMs(start, clock_.now()));
        if (elapsed >= milliseconds) break;
        // Slices of at most a second keep the timer's range and the wrap rule valid for long waits.
        clock_.pause(static_cast<std::uint32_t>(std::min(std::ceil(milliseconds - elapsed), 1000.0)), servesInput());
    }
    --depth_;
}

void Waits::untilWoken(std::uint32_t milliseconds, Wakeup& wakeup)
{
    ++depth_;
    clock_.pauseUntil(milliseconds, servesInput(), wakeup);
    --depth_;
}
