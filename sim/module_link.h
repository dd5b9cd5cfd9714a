#pragma once
// One open serial link to a module: raw 115200 8N1, one request frame out, one reply frame back,
// every wait bounded.

#include "laser/frame_codec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ketrolan {

// Results of the library's functions. 1 is success; everything else is an error code.
enum Code : std::int32_t {
    kOk = 1,
    kNoSuchPort = 0,
    kCannotOpen = -1,
    kPortBusy = -2,
    kUnknownHandle = -3,
    kLinkLost = -4,
    kTimeout = -5,
    kBadReply = -6,
    kBadArgument = -7,
    kNotAModule = -8,
    kModuleStatusBase = 100,  // the module answered status s: 100 + s
};

// The module's status word for a refused argument (parameter out of range).
inline constexpr std::uint16_t kArgumentRefused = 0x0002;

class ModuleLink {
public:
    ModuleLink() = default;
    ModuleLink(const ModuleLink&) = delete;
    ModuleLink& operator=(const ModuleLink&) = delete;
    ~ModuleLink() { close(); }

    // Opens and sets up the terminal at `path`; a Code (kOk on success).
    std::int32_t open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Sends one request and waits for the reply with the same command letters. On kOk, `reply`
    // holds the reply's words after the status word.
    std::int32_t exchange(const char* command, const std::vector<std::uint16_t>& words,
                          std::vector<std::uint16_t>& reply);

    static constexpr int kReplyTimeoutMs = 1000;

private:
    std::int32_t writeAll(const std::vector<std::uint8_t>& bytes, std::int64_t deadline);
    int fd_ = -1;
};

}  // namespace ketrolan
