#include "sim/faults.h"

#include "laser/frame_codec.h"

#include <cstdio>
#include <cstdlib>

namespace vxmsim {

std::vector<Block> shapeReply(const FaultSet& faults, std::vector<std::uint8_t> reply)
{
    if (faults.silent) return {};
    if (faults.errorStatus && reply.size() >= 9) {
        const std::string command(reply.begin() + 1, reply.begin() + 5);
        const std::uint16_t words[] = {faults.errorCode};
        reply = frame::build(command, words);
    }
    if (faults.badChecksum && !reply.empty()) reply.back() ^= 0x5A;
    if (faults.truncated) reply.resize(reply.size() / 2);
    if (faults.extraBytes) reply.insert(reply.end(), {0x55, 0x00, 0xAA, 0x13});
    const std::int64_t start = faults.slow ? FaultSet::kSlowMs : 0;
    if (faults.split && reply.size() >= 2) {
        const auto half = reply.begin() + static_cast<std::ptrdiff_t>(reply.size() / 2);
        return {Block{start, {reply.begin(), half}},
                Block{start + FaultSet::kSplitPauseMs, {half, reply.end()}}};
    }
    return {Block{start, std::move(reply)}};
}

namespace {

std::string apply(const std::string& name, bool on, FaultSet& f)
{
    const auto eq = name.find('=');
    const std::string base = name.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : name.substr(eq + 1);
    if (base == "error-status") {
        f.errorStatus = on;
        if (!value.empty()) {
            char* end = nullptr;
            const unsigned long code = std::strtoul(value.c_str(), &end, 16);
            if (*end || code > 0xFFFF) return "bad error code: " + value;
            f.errorCode = static_cast<std::uint16_t>(code);
        }
        return {};
    }
    if (base == "unplug-after") {
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (on && (value.empty() || *end || n < 0)) return "unplug-after needs =N";
        f.unplugAfter = on ? static_cast<int>(n) : -1;
        return {};
    }
    if (!value.empty()) return "fault takes no value: " + base;
    bool FaultSet::* flag = nullptr;
    if (base == "silent") flag = &FaultSet::silent;
    else if (base == "bad-checksum") flag = &FaultSet::badChecksum;
    else if (base == "split") flag = &FaultSet::split;
    else if (base == "extra-bytes") flag = &FaultSet::extraBytes;
    else if (base == "slow") flag = &FaultSet::slow;
    else if (base == "truncated") flag = &FaultSet::truncated;
    else return "unknown fault: " + base;
    f.*flag = on;
    return {};
}

}  // namespace

std::string setFault(const std::string& name, bool on, FaultSet& laser, FaultSet& module)
{
    if (name == "module-silent") return apply("silent", on, module);
    if (name.rfind("laser:", 0) == 0) return apply(name.substr(6), on, laser);
    if (name.rfind("module:", 0) == 0) return apply(name.substr(7), on, module);
    FaultSet laserCopy = laser;  // both or neither
    if (auto error = apply(name, on, laserCopy); !error.empty()) return error;
    laser = laserCopy;
    return apply(name, on, module);
}

std::string describe(const FaultSet& f)
{
    std::string out;
    auto add = [&out](bool on, const std::string& name) {
        if (on) out += (out.empty() ? "" : " ") + name;
    };
    add(f.silent, "silent");
    add(f.badChecksum, "bad-checksum");
    if (f.errorStatus) {
        char code[8];
        std::snprintf(code, sizeof code, "%04X", f.errorCode);
        add(true, std::string("error-status=") + code);
    }
    add(f.split, "split");
    add(f.extraBytes, "extra-bytes");
    add(f.slow, "slow");
    add(f.truncated, "truncated");
    add(f.unplugAfter >= 0, "unplug-after=" + std::to_string(f.unplugAfter));
    return out.empty() ? "none" : out;
}

}  // namespace vxmsim
