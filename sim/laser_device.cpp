#include "sim/laser_device.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vxmsim {

std::vector<std::uint8_t> statusReply(const std::string& command, std::uint16_t status)
{
    const std::uint16_t words[] = {status};
    return frame::build(command, words);
}

std::int32_t word32(const std::vector<std::uint16_t>& words, std::size_t i)
{
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(words[i]) << 16) | words[i + 1]);
}

std::string firstRefused(std::initializer_list<ArgumentCheck> checks)
{
    for (const ArgumentCheck& c : checks) {
        if (!c.ok) return std::string(c.name) + " " + std::to_string(c.value) + " (" + c.rule + ")";
    }
    return {};
}

namespace {

constexpr char kWordCounts[] = "SNFV 1, GOWL 2, SWST 11, the others none";

// Data words a laser command carries, -1 for a command the laser does not know.
int expectedWords(const std::string& command)
{
    static const std::pair<const char*, int> kCommands[] = {{"SNFV", 1}, {"GOWL", 2}, {"SWST", 11}, {"LSON", 0},
                                                             {"LSOF", 0}, {"RDSW", 0}, {"SWSP", 0}};
    const auto* it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                  [&](const auto& entry) { return command == entry.first; });
    return it == std::end(kCommands) ? -1 : it->second;
}

}  // namespace

LaserDevice::LaserDevice(BenchModel& bench) : bench_(bench) {}

std::vector<std::uint8_t> LaserDevice::refuse(const std::string& command, const std::string& what)
{
    if (onRefusal) onRefusal("laser refused " + command + ": " + what);
    return statusReply(command, kOutOfRange);
}

std::vector<std::uint8_t> LaserDevice::handle(const frame::Parsed& request)
{
    const std::string& c = request.command;
    if (!request.checksumOk) return statusReply(c, kChecksumError);
    LaserState& laser = bench_.laser;
    ++laser.commandsReceived[c];
    const int expected = expectedWords(c);
    if (expected < 0) return statusReply(c, kUnknownCommand);
    const auto count = static_cast<std::int64_t>(request.words.size());
    if (count != expected) return refuse(c, firstRefused({{"data words", count, false, kWordCounts}}));
    if (c == "SNFV") {
        if (request.words[0] != 0) return refuse(c, firstRefused({{"word 1", request.words[0], false, "must be 0"}}));
        const auto words = identityWords(identity, laser.on ? 1 : 0, laser.minPm, laser.maxPm);
        return frame::build(c, words);
    }
    if (c == "LSON" || c == "LSOF") {
        laser.on = c == "LSON";
        if (!laser.on) laser.sweeping = false;
        return statusReply(c, kDone);
    }
    if (c == "RDSW") {
        const std::uint16_t words[] = {kDone, laser.sweepMode};
        return frame::build(c, words);
    }
    if (c == "GOWL") return goToWavelength(request);
    if (c == "SWST") return startSweep(request);
    laser.sweeping = false;  // SWSP
    return statusReply(c, kDone);
}

std::vector<std::uint8_t> LaserDevice::goToWavelength(const frame::Parsed& request)
{
    LaserState& laser = bench_.laser;
    const std::int32_t pm = word32(request.words, 0);
    if (pm < laser.minPm || pm > laser.maxPm) return statusReply(request.command, kOutOfRange);
    laser.wavelengthPm = pm;
    return statusReply(request.command, kDone);
}

std::vector<std::uint8_t> LaserDevice::startSweep(const frame::Parsed& request)
{
    // Words: 1, start pm (2), stop pm (2), 0 (2), 0, speed nm/s, 100, 0. The fixed words must be as
    // the frame defines them; the range and the speed are this laser's own limits.
    LaserState& laser = bench_.laser;
    const auto& w = request.words;
    const std::int32_t start = word32(w, 1);
    const std::int32_t stop = word32(w, 3);
    const std::uint16_t speed = w[8];
    const std::string refused = firstRefused({
        {"word 1", w[0], w[0] == 1, "must be 1"},
        {"words 6-7", word32(w, 5), word32(w, 5) == 0, "must be 0"},
        {"word 8", w[7], w[7] == 0, "must be 0"},
        {"word 10", w[9], w[9] == 100, "must be 100"},
        {"word 11", w[10], w[10] == 0, "must be 0"},
    });
    if (!refused.empty()) return refuse(request.command, refused);
    if (start < laser.minPm || stop > laser.maxPm || start >= stop || speed == 0)
        return statusReply(request.command, kOutOfRange);
    laser.sweepStartPm = start;
    laser.sweepStopPm = stop;
    laser.sweepSpeed = speed;
    laser.sweeping = true;
    return statusReply(request.command, kDone);
}

}  // namespace vxmsim
