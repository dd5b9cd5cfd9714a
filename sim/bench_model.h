#pragma once
// The simulated bench both instruments share: the laser's state and output, the fibre to each
// module channel, the device under test, and measurement noise. Pure arithmetic, no I/O.

#include "sim/dut_models.h"

#include <cstdint>
#include <map>
#include <random>
#include <string>

namespace vxmsim {

struct LaserState {
    bool on = true;  // the simulated laser comes up emitting, so a module-only bench measures light
    std::int32_t wavelengthPm = 1300000;
    bool sweeping = false;
    std::int32_t sweepStartPm = 0;
    std::int32_t sweepStopPm = 0;
    std::uint16_t sweepSpeed = 0;
    std::uint16_t sweepMode = 0;
    std::int32_t minPm = 1260000;
    std::int32_t maxPm = 1340000;
    // Requests with a good checksum, by command letters ("LSOF"), for the console's count query.
    std::map<std::string, int> commandsReceived;
};

class BenchModel {
public:
    explicit BenchModel(std::uint32_t seed = 1) : noise_(seed) {}

    LaserState laser;
    // The module's requests with a good checksum, by command letters ("SCAN").
    std::map<std::string, int> moduleCommandsReceived;
    // The sweep flag of the module's last started scan: -1 follows the laser's sweep, 0 does not.
    std::int32_t moduleSweepFlag = 0;
    bool dutInserted = true;
    Dut dut = Dut::Filter;
    int dutPort = kCommonPort;

    // Puts `device` in the light path, on its common port. Refused, nothing changed and the reason
    // returned, when its channels lie outside the laser's range.
    std::string selectDut(Dut device);
    // Connects an output port of the demultiplexer, or kCommonPort; refused when it has no such port.
    std::string selectPort(int port);

    // Laser output in dBm at a wavelength: about 0 dBm with a gentle ripple when on.
    static double laserPowerDbm(double wavelengthNm);
    // Loss of the fibre to a module channel (dB, positive).
    static double fibreLossDb(int channel);
    // Transmission of the filter and the grating in dB (0 or negative); deviceDb() has them all.
    static double filterDb(double wavelengthNm);
    static double gratingDb(double wavelengthNm);
    // The device on its connected port when inserted, else 0 dB.
    double dutDb(double wavelengthNm) const;

    // What a module channel reads at a wavelength, noise included: the noise floor when the laser
    // is off, else laser power minus fibre loss plus the device when it is inserted.
    double channelPowerDbm(int channel, double wavelengthNm);

    static constexpr double kNoiseFloorDbm = -70.0;
    static constexpr double kFilterCentresNm[4] = {1271.0, 1291.0, 1311.0, 1331.0};
    static constexpr double kGratingCentreNm = 1300.0;

private:
    double uniform(double halfWidth);
    std::mt19937 noise_;
};

}  // namespace vxmsim
