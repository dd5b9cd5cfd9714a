#include "sim/module_device.h"

#include "sim/laser_device.h"
#include "sim/module_protocol.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace vxmsim {

namespace {

void appendFloat(std::vector<std::uint16_t>& words, float value)
{
    frame::appendWord32(words, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

}  // namespace

bool bandRange(const std::string& code, int& minNm, int& maxNm)
{
    static const struct { const char* code; int min, max; } kBands[] = {
        {"OB", 1260, 1340}, {"EB", 1350, 1450}, {"SB", 1450, 1530}, {"CB", 1520, 1570},
        {"LB", 1570, 1610}, {"OE", 1260, 1450}, {"FB", 1250, 1650}};
    for (const auto& b : kBands) {
        if (code == b.code) {
            minNm = b.min;
            maxNm = b.max;
            return true;
        }
    }
    return false;
}

ModuleDevice::ModuleDevice(BenchModel& bench, Clock clock, std::string bandCode)
    : identity{"VXM" + bandCode + "-2CH-S01", "VX26110815", "03/02/2025", "3.0.12", "VXM-HW-B02"},
      bench_(bench),
      clock_(std::move(clock))
{
    int minNm = 0, maxNm = 0;
    bandRange(bandCode, minNm, maxNm);
    bandMinPm_ = minNm * 1000;
    bandMaxPm_ = maxNm * 1000;
}

bool ModuleDevice::scanRunning() const { return scanned_ && clock_() < scanEndsMs_; }

std::vector<std::uint8_t> ModuleDevice::handle(const frame::Parsed& request)
{
    using namespace vxmproto;
    const std::string& c = request.command;
    if (!request.checksumOk) return statusReply(c, kChecksumError);
    ++bench_.moduleCommandsReceived[c];
    if (c == kIdentity) return frame::build(c, identityWords(identity, 1, bandMinPm_, bandMaxPm_));
    if (c == kInfo) return info(c);
    if (c == kPower) return power(request);
    if (c == kScan) return startScan(request, false);
    if (c == kAlign) return startScan(request, true);
    if (c == kIsDone) return done(c);
    if (c == kData) return data(request);
    if (c == kStop) {
        if (scanRunning()) scanEndsMs_ = clock_();
        return statusReply(c, kDone);
    }
    return statusReply(c, kUnknownCommand);
}

std::vector<std::uint8_t> ModuleDevice::info(const std::string& command) const
{
    std::vector<std::uint8_t> record;
    appendIdentityText(record, identity);
    record.push_back(static_cast<std::uint8_t>(temperatureTenths >> 8));
    record.push_back(static_cast<std::uint8_t>(temperatureTenths & 0xFF));
    record.resize(vxmproto::kInfoBytes, 0);
    std::vector<std::uint16_t> words{kDone};
    for (std::uint16_t w : packWords(record)) words.push_back(w);
    return frame::build(command, words);
}

std::vector<std::uint8_t> ModuleDevice::power(const frame::Parsed& request)
{
    if (request.words.size() != 1 || request.words[0] > 1) return statusReply(request.command, kOutOfRange);
    const double nm = bench_.laser.wavelengthPm / 1000.0;
    std::vector<std::uint16_t> words{kDone};
    appendFloat(words, static_cast<float>(bench_.channelPowerDbm(request.words[0], nm)));
    return frame::build(request.command, words);
}

std::vector<std::uint8_t> ModuleDevice::startScan(const frame::Parsed& request, bool align)
{
    const auto& w = request.words;
    if (w.size() != (align ? 8u : 12u)) return statusReply(request.command, kOutOfRange);
    const std::int32_t startNm = word32(w, 0);
    const std::int32_t stopNm = word32(w, 2);
    const std::int32_t speed = word32(w, 4);
    const std::int32_t averages = align ? 1 : word32(w, 6);
    // 64 bits: a request may carry any two 32-bit values, and only the test below refuses them.
    const std::int64_t spanPm = (std::int64_t{stopNm} - startNm) * 1000;
    const std::int64_t points =
        align ? std::min<std::int64_t>(vxmproto::kMaxPoints, spanPm / vxmproto::kAlignStepPm + 1) : word32(w, 8);
    const int channel = align ? w[6] : w[10];
    // The sweep flag (last word) tells a real module to follow the laser's sweep trigger; the
    // simulated laser's light is there at every wavelength, so it changes nothing here.
    if (startNm <= 0 || stopNm <= startNm || speed <= 0 || averages < 1 || averages > 255 || points < 1 ||
        points > vxmproto::kMaxPoints || channel > 1)
        return statusReply(request.command, kOutOfRange);

    wavelengthsPm_.assign(static_cast<std::size_t>(points), 0.0f);
    powersDbm_.assign(static_cast<std::size_t>(points), 0.0f);
    const double stepPm = points > 1 ? double(spanPm) / (points - 1) : 0.0;
    for (int i = 0; i < points; ++i) {
        const double pm = startNm * 1000.0 + i * stepPm;
        wavelengthsPm_[i] = static_cast<float>(pm);
        powersDbm_[i] = static_cast<float>(bench_.channelPowerDbm(channel, pm / 1000.0));
    }
    const double seconds = double(stopNm - startNm) / speed * averages;
    scanned_ = true;
    scanChannel_ = channel;
    scanEndsMs_ = clock_() + static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    return statusReply(request.command, kDone);
}

std::vector<std::uint8_t> ModuleDevice::done(const std::string& command) const
{
    std::vector<std::uint16_t> words{kDone, static_cast<std::uint16_t>(scanRunning() ? 0 : 1)};
    frame::appendWord32(words, static_cast<std::int32_t>(scanPoints()));
    return frame::build(command, words);
}

std::vector<std::uint8_t> ModuleDevice::data(const frame::Parsed& request) const
{
    const auto& w = request.words;
    if (!scanned_ || scanRunning()) return statusReply(request.command, kNotReady);
    if (w.size() != 4) return statusReply(request.command, kOutOfRange);
    const std::int64_t offset = word32(w, 0);
    const std::int64_t count = w[2];
    if (offset < 0 || count < 1 || count > vxmproto::kChunkPoints ||
        offset + count > static_cast<std::int64_t>(scanPoints()) || w[3] != scanChannel_)
        return statusReply(request.command, kOutOfRange);
    std::vector<std::uint16_t> words{kDone};
    words.reserve(1 + 4 * count);
    for (std::int64_t i = offset; i < offset + count; ++i) {
        appendFloat(words, wavelengthsPm_[i]);
        appendFloat(words, powersDbm_[i]);
    }
    return frame::build(request.command, words);
}

}  // namespace vxmsim
