#pragma once
// The simulated spectrum module: identity, information record, power reading and scans that take
// real time, answered one frame at a time. Time comes from a clock the owner gives (tests fake it).

#include "laser/frame_codec.h"
#include "sim/bench_model.h"
#include "sim/identity.h"
#include "sim/laser_device.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vxmsim {

class ModuleDevice {
public:
    using Clock = std::function<std::int64_t()>;  // milliseconds
    ModuleDevice(BenchModel& bench, Clock clock, std::string bandCode = "OB");

    std::vector<std::uint8_t> handle(const frame::Parsed& request);

    Identity identity;
    std::uint16_t temperatureTenths = 253;
    RefusalReport onRefusal;

    bool scanRunning() const;
    std::size_t scanPoints() const { return wavelengthsPm_.size(); }

private:
    std::vector<std::uint8_t> info(const std::string& command) const;
    std::vector<std::uint8_t> power(const frame::Parsed& request);
    std::vector<std::uint8_t> startScan(const frame::Parsed& request, bool align);
    std::vector<std::uint8_t> done(const std::string& command) const;
    std::vector<std::uint8_t> data(const frame::Parsed& request);
    // Status 0002 when `refused` names an argument (told to the console), else empty.
    std::vector<std::uint8_t> refuse(const std::string& command, const std::string& refused);

    BenchModel& bench_;
    Clock clock_;
    std::int32_t bandMinPm_ = 0;
    std::int32_t bandMaxPm_ = 0;
    bool scanned_ = false;
    std::int64_t scanEndsMs_ = 0;
    int scanChannel_ = 0;
    std::vector<float> wavelengthsPm_;
    std::vector<float> powersDbm_;
};

// Band codes and their ranges in nm; false for an unknown code.
bool bandRange(const std::string& code, int& minNm, int& maxNm);

}  // namespace vxmsim
