#pragma once
// What the fuzz targets share: a reader over the fuzzer's bytes, a clock that only moves when
// the code under test pauses (so time-outs take no real time), a serial port that delivers bytes
// scripted by the input, and a headless application for the code that needs widgets.

#include "fuzz_check.h"
#include "laser/ms_clock.h"
#include "laser/serial_port.h"

#include <QApplication>
#include <QByteArray>

#include <cstdint>
#include <functional>
#include <vector>

namespace fuzz {

// Takes the input front to back; past the end every read gives zeros or nothing.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    QByteArray bytes(std::size_t count)
    {
        const std::size_t n = count < size_ - pos_ ? count : size_ - pos_;
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(n));
        pos_ += n;
        return out;
    }
    QByteArray rest() { return bytes(size_ - pos_); }
    bool empty() const { return pos_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Time moves only when the code pauses; no event processing, no real waiting. A pause that a
// wakeup can cut short moves a millisecond at a time and asks the port after each whether bytes
// fell due, so it ends when they do.
class StepClock final : public MsClock {
public:
    std::uint32_t now() const override { return now_; }
    void pause(std::uint32_t ms, bool) override { advance(ms); }
    void pauseUntil(std::uint32_t ms, bool, Wakeup& wakeup) override
    {
        bool woken = false;
        const QMetaObject::Connection c = QObject::connect(&wakeup, &Wakeup::raised, [&woken] { woken = true; });
        for (std::uint32_t left = ms; left > 0 && !woken; --left) advance(1);
        QObject::disconnect(c);
    }
    void set(std::uint32_t t) { now_ = t; }
    std::uint64_t paused() const { return paused_; }
    void resetPaused() { paused_ = 0; }
    // Called after the time moves on (one watcher: the port).
    std::function<void()> onMove;

private:
    void advance(std::uint32_t ms)
    {
        now_ += ms;  // wraps at 2^32 as the real counter does
        paused_ += ms;
        if (onMove) onMove();
    }

    std::uint32_t now_ = 0;
    std::uint64_t paused_ = 0;
};

// One block of the instrument's answer: arrives `afterMs` after the command was written.
struct ScriptedBlock {
    std::uint32_t afterMs = 0;
    QByteArray bytes;
};

// A port on which every written command is answered by the same scripted blocks.
class ScriptedPort final : public SerialPort {
public:
    explicit ScriptedPort(StepClock& clock) : clock_(clock)
    {
        clock_.onMove = [this] {
            if (isOpen() && deliver()) activity_.raise();
        };
    }
    ~ScriptedPort() override { clock_.onMove = nullptr; }

    std::vector<ScriptedBlock> script;
    int writes = 0;

    SerialOpenResult open(int n, const QString&, int) override
    {
        open_ = n;
        return SerialOpenResult::Ok;
    }
    void close() override { open_ = 0; }
    bool isOpen() const override { return open_ != 0; }
    int portNumber() const override { return open_; }

    int bytesWaiting() override
    {
        deliver();
        return static_cast<int>(input_.size());
    }
    QByteArray readAll() override
    {
        deliver();
        QByteArray out;
        out.swap(input_);
        return out;
    }
    void write(const QByteArray&) override
    {
        require();
        ++writes;
        writtenAt_ = clock_.now();
        next_ = 0;
        delivered_.clear();
    }
    void discardBuffers() override
    {
        require();
        input_.clear();
        next_ = script.size();
    }
    // Every byte delivered since the last write, in order.
    QByteArray delivered() const { return delivered_; }

private:
    void require() const
    {
        if (!isOpen()) throw SerialFault("scripted port not open");
    }
    // Moves the blocks that are due into the input; true if there were any.
    bool deliver()
    {
        require();
        const std::int64_t since = elapsedMs(writtenAt_, clock_.now());
        const std::size_t before = next_;
        while (next_ < script.size() && since >= script[next_].afterMs) {
            input_ += script[next_].bytes;
            delivered_ += script[next_].bytes;
            ++next_;
        }
        return next_ != before;
    }

    StepClock& clock_;
    int open_ = 0;
    std::uint32_t writtenAt_ = 0;
    std::size_t next_ = 0;
    QByteArray input_;
    QByteArray delivered_;
};

// Blocks taken from the input: a delay byte (tens of milliseconds after the previous block) and
// a length byte before each block; the last block takes what is left.
inline std::vector<ScriptedBlock> scriptFrom(Input& in)
{
    std::vector<ScriptedBlock> blocks;
    std::uint32_t at = 0;
    while (!in.empty()) {
        at += 10u * in.byte();
        const std::uint8_t length = in.byte();
        blocks.push_back({at, length == 0xFF ? in.rest() : in.bytes(length)});
    }
    return blocks;
}

// The headless application that widgets need, made once per process.
inline void ensureApplication()
{
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "vxm-fuzz";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

}  // namespace fuzz
