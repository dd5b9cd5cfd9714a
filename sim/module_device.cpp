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

std::vector<std::uint8_t> ModuleDevice::refuse(const std::string& command, const std::string& refused)
{
    if (refused.empty()) return {};
    if (onRefusal) onRefusal("module refused " + command + ": " + refused);
    return statusReply(command, kOutOfRange);
}

namespace {

constexpr char kChannelRule[] = "must be 0 or 1";

ArgumentCheck wordCount(const frame::Parsed& request, std::size_t expected, const char* rule)
{
    const auto n = static_cast<std::int64_t>(request.words.size());
    return {"data words", n, n == static_cast<std::int64_t>(expected), rule};
}

}  // namespace

std::vector<std::uint8_t> ModuleDevice::power(const frame::Parsed& request)
{
    const auto& w = request.words;
    if (auto r = refuse(request.command, firstRefused({wordCount(request, 2, "must be 2")})); !r.empty()) return r;
    const std::int32_t channel = word32(w, 0);
    if (auto r = refuse(request.command, firstRefused({{"channel", channel, channel == 0 || channel == 1, kChannelRule}}));
        !r.empty())
        return r;
    const double nm = bench_.laser.wavelengthPm / 1000.0;
    std::vector<std::uint16_t> words{kDone};
    appendFloat(words, static_cast<float>(bench_.channelPowerDbm(channel, nm)));
    return frame::build(request.command, words);
}

std::vector<std::uint8_t> ModuleDevice::startScan(const frame::Parsed& request, bool align)
{
    const auto& w = request.words;
    const std::size_t words = align ? 10 : 14;
    if (auto r = refuse(request.command, firstRefused({wordCount(request, words, align ? "must be 10" : "must be 14")}));
        !r.empty())
        return r;
    const std::int32_t startNm = word32(w, 0);
    const std::int32_t stopNm = word32(w, 2);
    const std::int32_t speed = word32(w, 4);
    const std::int32_t averages = align ? 1 : word32(w, 6);
    // 64 bits: a request may carry any two 32-bit values, and only the checks below refuse them.
    const std::int64_t spanPm = (std::int64_t{stopNm} - startNm) * 1000;
    const std::int64_t points = align ? std::min<std::int64_t>(vxmproto::kMaxPoints, spanPm / vxmproto::kAlignStepPm + 1)
                                      : word32(w, 8);
    const std::int32_t channel = word32(w, words - 4);
    const std::int32_t sweep = word32(w, words - 2);
    const std::string refused = firstRefused({
        {"start wavelength", startNm, startNm > 0, "must be above 0 nm"},
        {"stop wavelength", stopNm, stopNm > startNm, "must be above the start"},
        {"sweep speed", speed, speed > 0, "must be above 0 nm/s"},
        {"average number", averages, averages >= 1 && averages <= 255, "must be 1 to 255"},
        {"data length", points, points >= 1 && points <= vxmproto::kMaxPoints, "must be 1 to 20001"},
        {"channel", channel, channel == 0 || channel == 1, kChannelRule},
        {"sweep flag", sweep, sweep == -1 || sweep == 0, "must be -1 or 0"},
    });
    if (auto r = refuse(request.command, refused); !r.empty()) return r;

    // The sweep flag tells a real module to follow the laser's sweep trigger; the simulated
    // laser's light is there at every wavelength, so it changes no point here.
    bench_.moduleSweepFlag = sweep;
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

std::vector<std::uint8_t> ModuleDevice::data(const frame::Parsed& request)
{
    const auto& w = request.words;
    if (auto r = refuse(request.command, firstRefused({wordCount(request, 5, "must be 5")})); !r.empty()) return r;
    const std::int64_t offset = word32(w, 0);
    const std::int64_t count = w[2];
    const std::int32_t channel = word32(w, 3);
    if (auto r = refuse(request.command, firstRefused({{"channel", channel, channel == 0 || channel == 1, kChannelRule}}));
        !r.empty())
        return r;
    if (!scanned_ || scanRunning()) return statusReply(request.command, kNotReady);
    if (offset < 0 || count < 1 || count > vxmproto::kChunkPoints ||
        offset + count > static_cast<std::int64_t>(scanPoints()) || channel != scanChannel_)
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
