#include "sim/dut_models.h"

#include "sim/bench_model.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace vxmsim {

namespace {

constexpr double kLightSpeedNmThz = 299792.458;

// The filter and the grating keep the noise their traces always had; the demultiplexers' ripple
// and isolation are read to thousandths of a dB, so their bench is quieter.
constexpr double kLegacyNoiseDb = 0.01;
constexpr double kDemuxNoiseDb = 0.003;

constexpr DutInfo kCatalogue[] = {
    {Dut::Filter, "filter", kLegacyNoiseDb, "OB"},
    {Dut::Grating, "grating", kLegacyNoiseDb, "OB"},
    {Dut::Cwdm4, "cwdm4", kDemuxNoiseDb, "OB"},
    {Dut::Cwdm4BadLoss, "cwdm4-bad-loss", kDemuxNoiseDb, "OB"},
    {Dut::Cwdm4BadCenter, "cwdm4-bad-center", kDemuxNoiseDb, "OB"},
    {Dut::Dwdm8, "dwdm8", kDemuxNoiseDb, "CB"},
};

struct Channel {
    double centreNm;
    double lossDb;  // at the centre
};

// A demultiplexer: each channel's passband (dB at a wavelength, 0 at its centre), how far below
// its own passband a channel leaks into the other output ports, and the floor every trace rests on.
struct Demux {
    std::span<const Channel> channels;
    double (*passbandDb)(double wavelengthNm, double centreNm);
    double adjacentIsolationDb;  // into the neighbouring ports
    double farIsolationDb;       // into the ports beyond
    double floorDb;
};

// CWDM thin-film flat top: a super-Gaussian 3 dB down at ±7.9 nm, with a cosine ripple of 0.2 dB
// peak to peak whose troughs fall on ±6.5 nm, the edges of the CWDM passband window. Inside the
// window the trace spans 0.33 dB, within 0.5 dB of its centre out to ±6.86 nm.
constexpr double kFlatTopHalfWidthNm = 7.9;
constexpr double kFlatTopOrder = 16.0;
constexpr double kRippleDb = 0.2;
constexpr double kRipplePeriodNm = 13.0 / 3.0;

double flatTopDb(double wavelengthNm, double centreNm)
{
    const double x = wavelengthNm - centreNm;
    const double ripple = 0.5 * kRippleDb * (1.0 - std::cos(2.0 * std::numbers::pi * x / kRipplePeriodNm));
    return -ripple - 3.0 * std::pow(std::abs(x) / kFlatTopHalfWidthNm, kFlatTopOrder);
}

// DWDM Gaussian, in frequency: 3 dB down at ±22 GHz, so 1 dB down at ±12.7 GHz, about the edge of
// the ±12.5 GHz passband window of the 100 GHz grid.
constexpr double kGaussianHalfWidthGhz = 22.0;

double gaussianDb(double wavelengthNm, double centreNm)
{
    const double r = (kLightSpeedNmThz / wavelengthNm - kLightSpeedNmThz / centreNm) * 1000.0 / kGaussianHalfWidthGhz;
    return -3.0 * r * r;
}

constexpr Channel kCwdm4[] = {{1271.0, 0.85}, {1291.0, 1.0}, {1311.0, 0.9}, {1331.0, 1.1}};
constexpr Channel kCwdm4BadLoss[] = {{1271.0, 0.85}, {1291.0, 1.0}, {1311.0, 2.5}, {1331.0, 1.1}};
constexpr Channel kCwdm4BadCenter[] = {{1271.0, 0.85}, {1293.0, 1.0}, {1311.0, 0.9}, {1331.0, 1.1}};
// 193.8 down to 193.1 THz on the 100 GHz grid: shortest wavelength first, as the ports count.
constexpr Channel kDwdm8[] = {
    {kLightSpeedNmThz / 193.8, 3.3}, {kLightSpeedNmThz / 193.7, 3.1}, {kLightSpeedNmThz / 193.6, 2.9},
    {kLightSpeedNmThz / 193.5, 2.8}, {kLightSpeedNmThz / 193.4, 2.8}, {kLightSpeedNmThz / 193.3, 3.0},
    {kLightSpeedNmThz / 193.2, 3.2}, {kLightSpeedNmThz / 193.1, 3.4}};

constexpr Demux kDemuxes[] = {
    {kCwdm4, flatTopDb, 35.0, 45.0, -50.0},
    {kCwdm4BadLoss, flatTopDb, 35.0, 45.0, -50.0},
    {kCwdm4BadCenter, flatTopDb, 35.0, 45.0, -50.0},
    {kDwdm8, gaussianDb, 33.0, 40.0, -50.0},
};

const Demux* demux(Dut dut)
{
    switch (dut) {
    case Dut::Cwdm4: return &kDemuxes[0];
    case Dut::Cwdm4BadLoss: return &kDemuxes[1];
    case Dut::Cwdm4BadCenter: return &kDemuxes[2];
    case Dut::Dwdm8: return &kDemuxes[3];
    case Dut::Filter:
    case Dut::Grating: break;
    }
    return nullptr;
}

// How far below its passband channel `channelPort` shows on `port`.
double leakageDb(const Demux& d, int port, int channelPort)
{
    if (port == kCommonPort || port == channelPort) return 0.0;
    return std::abs(port - channelPort) == 1 ? d.adjacentIsolationDb : d.farIsolationDb;
}

double linear(double db) { return std::pow(10.0, db / 10.0); }

}  // namespace

std::span<const DutInfo> dutCatalogue() { return kCatalogue; }

const DutInfo& dutInfo(Dut dut)
{
    for (const DutInfo& info : kCatalogue)
        if (info.dut == dut) return info;
    return kCatalogue[0];
}

std::optional<Dut> dutFromName(std::string_view name)
{
    for (const DutInfo& info : kCatalogue)
        if (name == info.name) return info.dut;
    return std::nullopt;
}

int portCount(Dut dut)
{
    const Demux* d = demux(dut);
    return d ? static_cast<int>(d->channels.size()) : 0;
}

std::vector<double> channelCentresNm(Dut dut)
{
    if (dut == Dut::Filter) return {std::begin(BenchModel::kFilterCentresNm), std::end(BenchModel::kFilterCentresNm)};
    if (dut == Dut::Grating) return {BenchModel::kGratingCentreNm};
    std::vector<double> centres;
    for (const Channel& c : demux(dut)->channels) centres.push_back(c.centreNm);
    return centres;
}

double deviceDb(Dut dut, int port, double wavelengthNm)
{
    if (dut == Dut::Filter) return BenchModel::filterDb(wavelengthNm);
    if (dut == Dut::Grating) return BenchModel::gratingDb(wavelengthNm);
    const Demux& d = *demux(dut);
    double sum = linear(d.floorDb);
    for (std::size_t k = 0; k < d.channels.size(); ++k) {
        const Channel& c = d.channels[k];
        const int channelPort = static_cast<int>(k) + 1;
        sum += linear(d.passbandDb(wavelengthNm, c.centreNm) - c.lossDb - leakageDb(d, port, channelPort));
    }
    return 10.0 * std::log10(sum);
}

}  // namespace vxmsim
