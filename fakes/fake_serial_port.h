#pragma once
// A scripted serial port: the caller says which COM numbers exist, which are busy, and how the
// device on each answers a written frame (bytes arriving in chunks after delays on the fake
// clock). Every frame written is recorded, and the bytes that came in since the last write. Like
// the system's port it raises its activity wakeup when bytes come in (a chunk falls due on the
// fake clock) and when the port is lost.

#include "fake_clock.h"
#include "laser/serial_port.h"

#include <QList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

struct FakeChunk {
    std::uint32_t afterMs = 0;  // after the write that caused it
    QByteArray bytes;
};
using FakeDevice = std::function<std::vector<FakeChunk>(const QByteArray& written)>;

// A device that answers every command with the same bytes, in the given chunks.
inline FakeDevice answering(std::vector<FakeChunk> chunks)
{
    return [chunks](const QByteArray&) { return chunks; };
}

class FakeSerialPort final : public SerialPort {
public:
    explicit FakeSerialPort(FakeClock& clock)
        : clock_(clock), watcher_(std::make_shared<std::function<void()>>([this] { deliverDue(); }))
    {
        clock_.watch(watcher_);
    }

    // A port that opens; `device` answers what is written (none: a silent port).
    void addPort(int n, FakeDevice device = {}) { ports_[n] = Port{false, false, std::move(device)}; }
    void addBusyPort(int n) { ports_[n] = Port{true, false, {}}; }
    void addFaultyPort(int n) { ports_[n] = Port{false, true, {}}; }
    // The open port disappears: every later operation faults.
    void vanish()
    {
        vanished_ = true;
        activity_.raise();
    }

    struct Written {
        int port;
        QByteArray bytes;
    };
    std::vector<Written> written;
    QList<int> openAttempts;
    QString lastSettings;
    int lastInputBufferSize = 0;

    SerialOpenResult open(int n, const QString& settings, int inputBufferSize) override
    {
        openAttempts << n;
        if (open_ != 0) return SerialOpenResult::Busy;
        const auto it = ports_.find(n);
        if (it == ports_.end()) return SerialOpenResult::NoSuchPort;
        if (it->second.busy) return SerialOpenResult::Busy;
        if (it->second.faulty) return SerialOpenResult::Fault;
        lastSettings = settings;
        lastInputBufferSize = inputBufferSize;
        open_ = n;
        vanished_ = false;
        return SerialOpenResult::Ok;
    }
    void close() override
    {
        open_ = 0;
        pending_.clear();
        input_.clear();
    }
    bool isOpen() const override { return open_ != 0 && !vanished_; }
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
    void write(const QByteArray& bytes) override
    {
        require();
        written.push_back({open_, bytes});
        delivered_.clear();
        const FakeDevice& device = ports_[open_].device;
        if (!device) return;
        for (FakeChunk& c : device(bytes)) pending_.push_back({clock_.now(), std::move(c)});
    }
    void discardBuffers() override
    {
        require();
        pending_.clear();
        input_.clear();
    }

    // Every byte that came into the input since the last write, in order, read or discarded since
    // or not.
    QByteArray delivered() const { return delivered_; }

    // Frames written to port n, in order.
    std::vector<QByteArray> writtenTo(int n) const
    {
        std::vector<QByteArray> out;
        for (const Written& w : written)
            if (w.port == n) out.push_back(w.bytes);
        return out;
    }

private:
    struct Port {
        bool busy = false;
        bool faulty = false;
        FakeDevice device;
    };
    struct Pending {
        std::uint32_t writtenAt;
        FakeChunk chunk;
    };

    void require() const
    {
        if (!isOpen()) throw SerialFault("fake port not open");
    }
    // Moves the chunks that are due into the input; true if there were any.
    bool deliver()
    {
        require();
        bool any = false;
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (elapsedMs(it->writtenAt, clock_.now()) >= it->chunk.afterMs) {
                input_ += it->chunk.bytes;
                delivered_ += it->chunk.bytes;
                it = pending_.erase(it);
                any = true;
            } else {
                ++it;
            }
        }
        return any;
    }
    // On the clock's every move, as the system port's notifier would.
    void deliverDue()
    {
        if (isOpen() && deliver()) activity_.raise();
    }

    FakeClock& clock_;
    std::shared_ptr<std::function<void()>> watcher_;
    std::map<int, Port> ports_;
    std::vector<Pending> pending_;
    QByteArray input_;
    QByteArray delivered_;
    int open_ = 0;
    bool vanished_ = false;
};
