#pragma once
// A millisecond clock the test sets: a pause serves pending events once and moves the time on,
// so waits of seconds take no real time. Start it near 2^32 to cross the wrap.

#include "laser/ms_clock.h"

#include <QCoreApplication>

class FakeClock final : public MsClock {
public:
    explicit FakeClock(std::uint32_t start = 1000) : now_(start) {}

    std::uint32_t now() const override { return now_; }
    void pause(std::uint32_t ms, bool serveInput) override
    {
        if (!serveInput) ++inputHeldBack_;
        QCoreApplication::processEvents(serveInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        now_ += ms;  // wraps at 2^32 like the real one
        paused_ += ms;
    }

    void set(std::uint32_t t) { now_ = t; }
    // Milliseconds spent in pauses since construction.
    std::uint64_t paused() const { return paused_; }
    // Pauses that held the operator's input back.
    int inputHeldBack() const { return inputHeldBack_; }

private:
    std::uint32_t now_;
    std::uint64_t paused_ = 0;
    int inputHeldBack_ = 0;
};
