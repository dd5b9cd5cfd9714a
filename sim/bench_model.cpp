#include "sim/bench_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vxmsim {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

double BenchModel::laserPowerDbm(double wavelengthNm)
{
    // A slow ripple (period ~7 nm) such as a gain medium and its cavity give.
    return 0.3 * std::sin(2.0 * kPi * (wavelengthNm - 1260.0) / 7.3);
}

double BenchModel::fibreLossDb(int channel) { return channel == 0 ? 1.5 : 1.0; }

double BenchModel::filterDb(double wavelengthNm)
{
    // Four flat-topped passbands (super-Gaussian, 6 nm wide at the -3 dB points of the shape),
    // about 1 dB insertion loss, 40 dB isolation floor between them.
    constexpr double kHalfWidth = 3.4;
    constexpr double kPassLoss[4] = {0.9, 1.0, 1.1, 1.2};
    double best = -40.0;
    for (int k = 0; k < 4; ++k) {
        const double x = (wavelengthNm - kFilterCentresNm[k]) / kHalfWidth;
        const double shape = std::exp(-std::pow(x * x, 3.0));
        const double db = shape > 1e-12 ? 10.0 * std::log10(shape) : -120.0;
        best = std::max(best, db - kPassLoss[k]);
    }
    return best;
}

double BenchModel::gratingDb(double wavelengthNm)
{
    // One 20 dB deep Gaussian dip at 1300 nm, 1 nm wide at half depth, on a flat -1 dB.
    constexpr double kSigma = 1.0 / 2.3548;
    const double x = (wavelengthNm - kGratingCentreNm) / kSigma;
    return -1.0 - 20.0 * std::exp(-0.5 * x * x);
}

double BenchModel::dutDb(double wavelengthNm) const
{
    return dutInserted ? deviceDb(dut, dutPort, wavelengthNm) : 0.0;
}

std::string BenchModel::selectDut(Dut device)
{
    const std::vector<double> centres = channelCentresNm(device);
    const auto [lowest, highest] = std::minmax_element(centres.begin(), centres.end());
    if (*lowest * 1000.0 < laser.minPm || *highest * 1000.0 > laser.maxPm) {
        char reason[160];
        std::snprintf(reason, sizeof reason, "%s lies at %.3f-%.3f nm, outside the laser's %.3f-%.3f nm (a bench for it: --device %s)",
                      dutInfo(device).name, *lowest, *highest, laser.minPm / 1000.0, laser.maxPm / 1000.0,
                      dutInfo(device).name);
        return reason;
    }
    dut = device;
    dutPort = kCommonPort;
    return {};
}

std::string BenchModel::selectPort(int port)
{
    const int ports = portCount(dut);
    const std::string name = dutInfo(dut).name;
    if (ports == 0) return name + " has one trace and no ports";
    if (port != kCommonPort && (port < 1 || port > ports)) return name + " has output ports 1 to " + std::to_string(ports);
    dutPort = port;
    return {};
}

double BenchModel::uniform(double halfWidth)
{
    std::uniform_real_distribution<double> d(-halfWidth, halfWidth);
    return d(noise_);
}

double BenchModel::channelPowerDbm(int channel, double wavelengthNm)
{
    if (!laser.on) return kNoiseFloorDbm + uniform(0.5);
    return laserPowerDbm(wavelengthNm) - fibreLossDb(channel) + dutDb(wavelengthNm) + uniform(dutInfo(dut).noiseDb);
}

}  // namespace vxmsim
