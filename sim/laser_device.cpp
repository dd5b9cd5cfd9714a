#include "sim/laser_device.h"

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

LaserDevice::LaserDevice(BenchModel& bench) : bench_(bench) {}

std::vector<std::uint8_t> LaserDevice::handle(const frame::Parsed& request)
{
    const std::string& c = request.command;
    if (!request.checksumOk) return statusReply(c, kChecksumError);
    LaserState& laser = bench_.laser;
    ++laser.commandsReceived[c];
    if (c == "SNFV") {
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
    if (c == "SWSP") {
        laser.sweeping = false;
        return statusReply(c, kDone);
    }
    return statusReply(c, kUnknownCommand);
}

std::vector<std::uint8_t> LaserDevice::goToWavelength(const frame::Parsed& request)
{
    LaserState& laser = bench_.laser;
    if (request.words.size() != 2) return statusReply(request.command, kOutOfRange);
    const std::int32_t pm = word32(request.words, 0);
    if (pm < laser.minPm || pm > laser.maxPm) return statusReply(request.command, kOutOfRange);
    laser.wavelengthPm = pm;
    return statusReply(request.command, kDone);
}

std::vector<std::uint8_t> LaserDevice::startSweep(const frame::Parsed& request)
{
    // Words: 1, start pm (2), stop pm (2), 0 (2), 0, speed nm/s, 100, 0. Only the range and the
    // speed matter to this laser; the others are accepted as they come.
    LaserState& laser = bench_.laser;
    const auto& w = request.words;
    if (w.size() != 11) return statusReply(request.command, kOutOfRange);
    const std::int32_t start = word32(w, 1);
    const std::int32_t stop = word32(w, 3);
    const std::uint16_t speed = w[8];
    if (start < laser.minPm || stop > laser.maxPm || start >= stop || speed == 0)
        return statusReply(request.command, kOutOfRange);
    laser.sweepStartPm = start;
    laser.sweepStopPm = stop;
    laser.sweepSpeed = speed;
    laser.sweeping = true;
    return statusReply(request.command, kDone);
}

}  // namespace vxmsim
