#include "sim/bench_model.h"

#include <algorithm>
#include <cmath>

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
    const double x = (wavelengthNm - 1300.0) / kSigma;
    return -1.0 - 20.0 * std::exp(-0.5 * x * x);
}

double BenchModel::dutDb(double wavelengthNm) const
{
    if (!dutInserted) return 0.0;
    return dut == Dut::Filter ? filterDb(wavelengthNm) : gratingDb(wavelengthNm);
}

double BenchModel::uniform(double halfWidth)
{
    std::uniform_real_distribution<double> d(-halfWidth, halfWidth);
    return d(noise_);
}

double BenchModel::channelPowerDbm(int channel, double wavelengthNm)
{
    if (!laser.on) return kNoiseFloorDbm + uniform(0.5);
    return laserPowerDbm(wavelengthNm) - fibreLossDb(channel) + dutDb(wavelengthNm) + uniform(0.01);
}

}  // namespace vxmsim
