#pragma once
// A millisecond clock that moves only when the code pauses: a pause serves pending events once
// (unless made with Events::Left) and moves the time on, so waits of seconds take no real time.
// Start it near 2^32 to cross the wrap.
//
// A pause that a wakeup can cut short moves the time on a millisecond at a time and tells the
// watchers (fake devices) after each, so that a device whose bytes become due raises its wakeup
// and the pause ends at that very millisecond.

#include "laser/ms_clock.h"

#include <QCoreApplication>

#include <functional>
#include <memory>
#include <vector>

class FakeClock final : public MsClock {
public:
    // What a pause does with the pending events: serves them once, as the system clock's nested
    // loop would, or leaves them, for callers that have no window to serve or that time only the
    // code's own work.
    enum class Events { Served, Left };

    explicit FakeClock(std::uint32_t start = 1000, Events events = Events::Served) : now_(start), events_(events) {}

    std::uint32_t now() const override { return now_; }
    void pause(std::uint32_t ms, bool serveInput) override
    {
        serve(serveInput);
        advance(ms);
    }
    void pauseUntil(std::uint32_t ms, bool serveInput, Wakeup& wakeup) override
    {
        bool woken = false;
        const QMetaObject::Connection c = QObject::connect(&wakeup, &Wakeup::raised, [&woken] { woken = true; });
        serve(serveInput);
        for (std::uint32_t left = ms; left > 0 && !woken; --left) advance(1);
        QObject::disconnect(c);
    }

    void set(std::uint32_t t) { now_ = t; }
    // Called after the time moves on; held weakly, so a watcher ends with the shared_ptr its owner keeps.
    void watch(const std::shared_ptr<std::function<void()>>& watcher) { watchers_.push_back(watcher); }

    // Milliseconds spent in pauses since construction.
    std::uint64_t paused() const { return paused_; }
    // Pauses that held the operator's input back.
    int inputHeldBack() const { return inputHeldBack_; }
    // Pauses of either kind begun: how often a waiting program would have woken.
    int pauses() const { return pauses_; }

private:
    void serve(bool serveInput)
    {
        ++pauses_;
        if (!serveInput) ++inputHeldBack_;
        if (events_ == Events::Served)
            QCoreApplication::processEvents(serveInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    void advance(std::uint32_t ms)
    {
        now_ += ms;  // wraps at 2^32 like the real one
        paused_ += ms;
        std::erase_if(watchers_, [](const auto& w) { return w.expired(); });
        for (const auto& w : std::vector(watchers_))  // a copy: a watcher may add another
            if (const auto watcher = w.lock()) (*watcher)();
    }

    std::uint32_t now_;
    Events events_;
    std::uint64_t paused_ = 0;
    int inputHeldBack_ = 0;
    int pauses_ = 0;
    std::vector<std::weak_ptr<std::function<void()>>> watchers_;
};
