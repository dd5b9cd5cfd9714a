#pragma once
// One simulated instrument on one pseudo-terminal, linked as a COM port in the port directory.
// The simulator keeps the slave side open itself, so the terminal never hangs up and written
// replies wait there while the program has the port closed. Replies are shaped by the
// instrument's faults (delays, splits, truncation, unplugging) and written when they fall due.

#include "laser/frame_codec.h"
#include "sim/faults.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vxmsim {

// Milliseconds of a monotonic clock.
std::int64_t nowMs();

class PtyPort {
public:
    using Handler = std::function<std::vector<std::uint8_t>(const frame::Parsed&)>;

    PtyPort(std::string name, int comNumber, Handler handler, FaultSet& faults);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Opens the terminal and links it as COMn; false with `error` set when either fails.
    bool open(std::string& error);
    // Closes the terminal and removes the link, if it is still ours.
    void unplug();

    bool isOpen() const { return master_ >= 0; }
    int fd() const { return master_; }
    short events() const;
    const std::string& name() const { return name_; }

    // The monotonic time at which this port has something to do on its own (-1: nothing).
    std::int64_t nextDeadline() const;
    // Reads what the program wrote and answers every complete request.
    void readInput();
    // Drops a stale partial request and writes the replies that fell due.
    void runTimers();

private:
    struct Pending {
        std::int64_t dueMs = 0;
        std::vector<std::uint8_t> bytes;
        bool unplug = false;
    };

    void flush(bool drain);
    void answer(const frame::Parsed& request);
    void schedule(Pending p);

    std::string name_;
    int comNumber_;
    Handler handler_;
    FaultSet& faults_;
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    std::string link_;
    std::vector<std::uint8_t> in_;
    std::int64_t lastInputMs_ = 0;
    std::vector<std::uint8_t> out_;
    std::vector<Pending> pending_;
    int commands_ = 0;
};

}  // namespace vxmsim
