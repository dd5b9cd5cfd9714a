#pragma once
// The devices under test the simulated bench can hold, each a closed-form transmission in dB, so a
// test can hold a figure measured on a simulated trace against its exact value. Pure arithmetic.
// sim/README.md gives every device's formula and parameters.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vxmsim {

enum class Dut { Filter, Grating, Cwdm4, Cwdm4BadLoss, Cwdm4BadCenter, Dwdm8 };

// A demultiplexer's common port: every channel in one trace. Output ports are 1..ports.
inline constexpr int kCommonPort = 0;

struct DutInfo {
    Dut dut;
    const char* name;      // as typed after `dut device` and --device
    double noiseDb;        // half-width of the bench's uniform reading noise with this device
    const char* bandCode;  // the module band whose range the bench's laser needs for it
};

// Every device, in the order the console's help and --help list them.
std::span<const DutInfo> dutCatalogue();
const DutInfo& dutInfo(Dut dut);
std::optional<Dut> dutFromName(std::string_view name);

// Output ports of a demultiplexer, one per channel; 0 for a device with one trace.
int portCount(Dut dut);

// Where the device's channels lie (nm), shortest first; output port N holds the N-th.
std::vector<double> channelCentresNm(Dut dut);

// Transmission in dB (0 or negative) of `port` at a wavelength: kCommonPort or an output port of a
// demultiplexer; a device with one trace has no ports and ignores it.
double deviceDb(Dut dut, int port, double wavelengthNm);

}  // namespace vxmsim
