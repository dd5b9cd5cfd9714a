#pragma once
// Faults the simulator can inject into an instrument's replies, and how a reply looks with them.

#include <cstdint>
#include <string>
#include <vector>

namespace vxmsim {

struct FaultSet {
    bool silent = false;       // no answer at all
    bool badChecksum = false;  // last checksum byte corrupted
    bool errorStatus = false;  // the reply replaced by a bare status frame carrying errorCode
    std::uint16_t errorCode = 0x0001;
    bool split = false;        // the reply in two blocks, kSplitPauseMs apart
    bool extraBytes = false;   // garbage after the frame
    bool slow = false;         // the reply only after kSlowMs
    bool truncated = false;    // only the first half of the reply
    int unplugAfter = -1;      // the port disappears after this many commands (-1: never)

    static constexpr std::int64_t kSplitPauseMs = 300;
    static constexpr std::int64_t kSlowMs = 2000;
};

// Bytes to write after a delay (from the moment the request was handled).
struct Block {
    std::int64_t delayMs = 0;
    std::vector<std::uint8_t> bytes;
};

// The blocks that carry `reply` under the faults (none when silent).
std::vector<Block> shapeReply(const FaultSet& faults, std::vector<std::uint8_t> reply);

// Switches a fault by name for the laser, the module or both: "silent", "bad-checksum",
// "error-status" or "error-status=XXXX" (hex code), "split", "extra-bytes", "slow", "truncated",
// "unplug-after=N", "module-silent"; "laser:" or "module:" in front picks one instrument.
// Returns an error text, empty on success.
std::string setFault(const std::string& name, bool on, FaultSet& laser, FaultSet& module);

// The names switched on, blank-separated ("none" when clean).
std::string describe(const FaultSet& faults);

inline constexpr char kFaultHelp[] =
    "silent, bad-checksum, error-status[=XXXX], split, extra-bytes, slow, truncated, unplug-after=N, "
    "module-silent; prefix laser: or module: to pick one instrument (default both)";

}  // namespace vxmsim
