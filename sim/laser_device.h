#pragma once
// The simulated tunable laser: one reply frame for each request frame. It keeps its state in the
// bench model, where the module sees it.

#include "laser/frame_codec.h"
#include "sim/bench_model.h"
#include "sim/identity.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace vxmsim {

// Status words both instruments answer with.
enum Status : std::uint16_t {
    kDone = 0x0000,
    kUnknownCommand = 0x0001,
    kOutOfRange = 0x0002,
    kNotReady = 0x0003,  // module: no scan data to deliver yet
    kChecksumError = 0x0009,
};

// A reply holding only a status word, with the request's command letters.
std::vector<std::uint8_t> statusReply(const std::string& command, std::uint16_t status);

// Where an instrument tells why it refused a request (the simulator's console).
using RefusalReport = std::function<void(const std::string&)>;

// One argument of a request and whether it is acceptable; `rule` says what would be.
struct ArgumentCheck {
    const char* name;
    std::int64_t value;
    bool ok;
    const char* rule;
};

// "name value (rule)" of the first refused argument; empty when all are acceptable.
std::string firstRefused(std::initializer_list<ArgumentCheck> checks);

class LaserDevice {
public:
    explicit LaserDevice(BenchModel& bench);

    std::vector<std::uint8_t> handle(const frame::Parsed& request);

    Identity identity{"TLS-OB-2611-S", "TL26110047", "05/17/2025", "2.1.07", "TLS-HW-A03"};
    RefusalReport onRefusal;

private:
    std::vector<std::uint8_t> goToWavelength(const frame::Parsed& request);
    std::vector<std::uint8_t> startSweep(const frame::Parsed& request);
    // Status 0002, and a line naming `what` for the console.
    std::vector<std::uint8_t> refuse(const std::string& command, const std::string& what);

    BenchModel& bench_;
};

// The 32-bit value of words[i], words[i+1], high word first.
std::int32_t word32(const std::vector<std::uint16_t>& words, std::size_t i);

}  // namespace vxmsim
