// The simulated devices under test: their passbands, the console picking them, and the program's analysis of their
// traces held to the example limits in docs/examples.
#include "measure/channel_analysis.h"
#include "measure/spectrum_processing.h"
#include "sim/bench_model.h"
#include "sim/console.h"
#include "sim/module_device.h"
#include "verdict/device_verdict.h"
#include "verdict/limits.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace vxmsim;
using verdict::Figure;
using verdict::Plan;

namespace {

constexpr double kC = verdict::kLightSpeedNmThz;

// A bench whose laser covers the device's band, as --device gives it, holding the device.
BenchModel benchFor(Dut dut, std::uint32_t seed = 1)
{
    BenchModel bench(seed);
    int minNm = 0, maxNm = 0;
    EXPECT_TRUE(bandRange(dutInfo(dut).bandCode, minNm, maxNm));
    bench.laser.minPm = minNm * 1000;
    bench.laser.maxPm = maxNm * 1000;
    EXPECT_EQ(bench.selectDut(dut), "");
    return bench;
}

// The passband window of the grid channel nearest `centreNm` on a port's trace, and its neighbours' highest points.
struct WindowShape {
    double highDb = -1e9;
    double lowDb = 1e9;
    double neighbourHighDb = -1e9;
};

void sample(Dut dut, int port, double lowNm, double highNm, double& lowest, double& highest)
{
    constexpr int kSamples = 5000;
    for (int i = 0; i <= kSamples; ++i) {
        const double db = deviceDb(dut, port, lowNm + (highNm - lowNm) * i / kSamples);
        lowest = std::min(lowest, db);
        highest = std::max(highest, db);
    }
}

WindowShape windowShape(Dut dut, int port, Plan plan, double centreNm)
{
    WindowShape s;
    const auto grid = verdict::nearestGridChannel(plan, centreNm);
    sample(dut, port, grid->windowLowNm, grid->windowHighNm, s.lowDb, s.highDb);
    double ignored = 0.0;
    for (int side : {-1, +1})
        if (const auto n = verdict::gridChannel(plan, grid->index + side))
            sample(dut, port, n->windowLowNm, n->windowHighNm, ignored, s.neighbourHighDb);
    return s;
}

// Where a port's trace falls 3 dB below its level at `fromNm`, walking `direction` up to 30 nm, to a millionth nm.
double threeDbEdgeNm(Dut dut, int port, double fromNm, int direction)
{
    const double level = deviceDb(dut, port, fromNm) - 3.0;
    double inside = fromNm, outside = fromNm;
    for (int step = 0; step < 3000 && deviceDb(dut, port, outside) > level; ++step) {
        inside = outside;
        outside += direction * 0.01;
    }
    while (std::abs(outside - inside) > 1e-6) {
        const double middle = 0.5 * (inside + outside);
        (deviceDb(dut, port, middle) > level ? inside : outside) = middle;
    }
    return inside;
}

TEST(DutModels, PassbandsSitOnTheirChannelsFlatInTheWindowAndIsolatedFromTheNeighbours)
{
    const std::vector<double> cwdm{1271.0, 1291.0, 1311.0, 1331.0};
    std::vector<double> dwdm;
    for (double thz = 193.8; thz > 193.05; thz -= 0.1) dwdm.push_back(kC / thz);
    // Each good port of a device: where it lies, the loss range and ripple inside its window.
    const struct Row {
        Dut dut;
        Plan plan;
        std::vector<double> centresNm;
        double lossLow, lossHigh, ripple, isolationLow, isolationHigh, farIsolation;
    } rows[] = {
        {Dut::Cwdm4, Plan::Cwdm, cwdm, 0.8, 1.5, 0.332, 34.5, 35.5, 45.0},
        {Dut::Cwdm4BadLoss, Plan::Cwdm, cwdm, 0.8, 1.5, 0.332, 33.0, 36.7, 45.0},
        {Dut::Cwdm4BadCenter, Plan::Cwdm, {1271.0, 1293.0, 1311.0, 1331.0}, 0.8, 1.5, 0.332, 34.5, 35.5, 45.0},
        {Dut::Dwdm8, Plan::Dwdm100, dwdm, 2.7, 4.5, 0.969, 32.5, 33.5, 40.0},
    };
    const auto bad = [](Dut dut, int port) {
        return (dut == Dut::Cwdm4BadLoss && port == 3) || (dut == Dut::Cwdm4BadCenter && port == 2);
    };
    for (const Row& r : rows) {
        ASSERT_EQ(portCount(r.dut), static_cast<int>(r.centresNm.size())) << dutInfo(r.dut).name;
        for (int port = 1; port <= portCount(r.dut); ++port) {
            SCOPED_TRACE(std::string(dutInfo(r.dut).name) + " port " + std::to_string(port));
            const double centre = r.centresNm[port - 1];
            EXPECT_NEAR(channelCentresNm(r.dut).at(port - 1), centre, 1e-9);
            // A DWDM passband is symmetric in frequency, a CWDM one in wavelength.
            const double low = threeDbEdgeNm(r.dut, port, centre, -1), high = threeDbEdgeNm(r.dut, port, centre, +1);
            if (r.plan == Plan::Cwdm)
                EXPECT_NEAR(0.5 * (low + high), centre, 1e-5);
            else
                EXPECT_NEAR(0.5 * (kC / low + kC / high), kC / centre, 1e-6) << "THz";
            const WindowShape own = windowShape(r.dut, port, r.plan, centre);
            const double isolation = own.highDb - own.neighbourHighDb;
            EXPECT_TRUE(isolation > r.isolationLow && isolation < r.isolationHigh) << "adjacent isolation " << isolation;
            // The common port holds the same passband, its neighbours' leakage aside.
            const WindowShape common = windowShape(r.dut, kCommonPort, r.plan, centre);
            EXPECT_NEAR(common.highDb, own.highDb, 0.01);
            EXPECT_NEAR(common.lowDb, own.lowDb, 0.01);
            if (bad(r.dut, port)) continue;
            EXPECT_NEAR(verdict::nearestGridChannel(r.plan, centre)->wavelengthNm, centre, 1e-9) << "on the grid";
            EXPECT_GE(-own.highDb, r.lossLow);
            EXPECT_LE(-own.lowDb, r.lossHigh);
            EXPECT_NEAR(own.highDb - own.lowDb, r.ripple, 0.002);
        }
    }
    // The bad channels: 2.5 dB at the 1311 nm window's centre; 2 nm off, spoiling the 1291 nm window's flatness.
    EXPECT_NEAR(deviceDb(Dut::Cwdm4BadLoss, 3, 1311.0), -2.5, 1e-3);
    const WindowShape shifted = windowShape(Dut::Cwdm4BadCenter, 2, Plan::Cwdm, 1293.0);
    EXPECT_GT(shifted.highDb - shifted.lowDb, 5.0);
    // Between the CWDM channels and far from all channels every trace rests on the floor.
    for (int port : {kCommonPort, 1, 4}) EXPECT_NEAR(deviceDb(Dut::Cwdm4, port, 1301.0), -50.0, 0.01) << port;
    for (const Row& r : rows) {
        for (int port = kCommonPort; port <= portCount(r.dut); ++port)
            EXPECT_NEAR(deviceDb(r.dut, port, r.centresNm.front() - 20.0), -50.0, 1e-6) << dutInfo(r.dut).name << port;
        // Two ports away a channel leaks less: port 1 shows the third its far isolation below the common port, over the floor.
        const double third = deviceDb(r.dut, kCommonPort, r.centresNm[2]);
        EXPECT_NEAR(deviceDb(r.dut, 1, r.centresNm[2]), 10.0 * std::log10(std::pow(10.0, (third - r.farIsolation) / 10.0) + 1e-5),
                    0.01) << dutInfo(r.dut).name;
    }
}

TEST(DutModels, NoiseIsAFewThousandthsOfADbAndTheFilterAndGratingKeepTheirs)
{
    for (const DutInfo& info : dutCatalogue()) {
        BenchModel bench = benchFor(info.dut, 5);
        const double nm = channelCentresNm(info.dut).front();
        double low = 1e9, high = -1e9;
        for (int i = 0; i < 400; ++i) {
            const double noise = bench.channelPowerDbm(1, nm) - (BenchModel::laserPowerDbm(nm) - BenchModel::fibreLossDb(1) +
                                                                 deviceDb(info.dut, kCommonPort, nm));
            low = std::min(low, noise);
            high = std::max(high, noise);
        }
        const bool legacy = info.dut == Dut::Filter || info.dut == Dut::Grating;
        EXPECT_NEAR(high - low, legacy ? 0.02 : 0.006, legacy ? 0.002 : 0.0006) << info.name;
    }
}

TEST(DutModels, ConsolePicksDevicesAndPortsAndRefusesWithOneLine)
{
    BenchModel bench;  // the O band, as the simulator starts without --device
    FaultSet laser, module;
    Console console(bench, laser, module);
    const std::pair<const char*, std::string> oBand[] = {
        {"dut port 1", "error: filter has one trace and no ports"},
        {"dut mux", "error: filter has one trace and no ports"},
        {"dut device cwdm4", "ok: dut cwdm4 mux in"},
        {"dut port 2", "ok: dut cwdm4 port 2 in"},
        {"dut out", "ok: dut cwdm4 port 2 out"},
        {"dut port 0", "error: cwdm4 has output ports 1 to 4"},
        {"dut port 5", "error: cwdm4 has output ports 1 to 4"},
        {"dut port 2x", "error: cwdm4 has output ports 1 to 4"},
        {"dut port", "error: dut out|in|device NAME|port N|mux|filter|grating"},
        {"status", "laser on 1300.000 nm; dut cwdm4 port 2 out; module sweep flag 0; laser faults: none; module faults: none"},
        {"dut device prism", "error: unknown device prism (filter, grating, cwdm4, cwdm4-bad-loss, cwdm4-bad-center, dwdm8)"},
        {"dut device dwdm8", "error: dwdm8 lies at 1546.917-1552.524 nm, outside the laser's 1260.000-1340.000 nm "
                             "(a bench for it: --device dwdm8)"},
        {"dut port 4", "ok: dut cwdm4 port 4 out"},
        {"dut device cwdm4-bad-center", "ok: dut cwdm4-bad-center mux out"},
        {"dut in", "ok: dut cwdm4-bad-center mux in"},
        {"dut grating", "ok: dut grating in"},
    };
    for (const auto& [line, answer] : oBand) EXPECT_EQ(console.execute(line), answer) << line;
    EXPECT_EQ(bench.dut, Dut::Grating);

    BenchModel cBand = benchFor(Dut::Dwdm8);
    Console cConsole(cBand, laser, module);
    EXPECT_EQ(cConsole.execute("dut port 8"), "ok: dut dwdm8 port 8 in");
    EXPECT_EQ(cConsole.execute("dut port 9"), "error: dwdm8 has output ports 1 to 8");
    EXPECT_EQ(cConsole.execute("dut filter").rfind("error: filter lies at 1271.000-1331.000 nm", 0), 0u);
    EXPECT_EQ(cBand.dutDb(1546.9167), deviceDb(Dut::Dwdm8, 8, 1546.9167)) << "the refusal changed nothing";

    // Help names every device.
    std::string names;
    for (const DutInfo& info : dutCatalogue()) names += std::string(names.empty() ? "" : "|") + info.name;
    EXPECT_NE(std::string(kConsoleHelp).find("dut device " + names + " |"), std::string::npos) << names;
}

// The program's side of a measurement: a background with the device out, a spectrum with it in, background removed.
struct Scan {
    int startNm, stopNm, points;
};

struct Measured {
    std::vector<float> wl, v;
    int last = 0;
};

Measured measure(Dut dut, int port, const Scan& scan)
{
    BenchModel bench = benchFor(dut);
    EXPECT_EQ(bench.selectPort(port), "");
    Measured m;
    m.last = scan.points - 1;
    const double stepPm = (scan.stopNm - scan.startNm) * 1000.0 / m.last;
    const auto read = [&](bool inserted) {
        bench.dutInserted = inserted;
        std::vector<float> values;
        for (int i = 0; i <= m.last; ++i)
            values.push_back(static_cast<float>(bench.channelPowerDbm(0, (scan.startNm * 1000.0 + i * stepPm) / 1000.0)));
        return values;
    };
    for (int i = 0; i <= m.last; ++i) m.wl.push_back(static_cast<float>(scan.startNm * 1000.0 + i * stepPm));
    convertToNanometres(m.wl, m.last);
    const std::vector<float> background = read(false);
    m.v = read(true);
    EXPECT_EQ(subtractBackground(m.v, m.last, background), BackgroundResult::Subtracted);
    return m;
}

verdict::Limits exampleLimits(const std::string& file)
{
    QFile f(QStringLiteral(VXM_SOURCE_DIR "/docs/examples/") + QString::fromStdString(file));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file;
    const auto parsed = verdict::parseLimits(f.readAll());
    EXPECT_TRUE(std::holds_alternative<verdict::Limits>(parsed)) << file;
    return std::holds_alternative<verdict::Limits>(parsed) ? std::get<verdict::Limits>(parsed) : verdict::Limits{};
}

// "CH3 insertion_loss insertion_loss_max" for every failing channel, one per line.
std::string failures(const verdict::DeviceVerdict& d)
{
    std::string text;
    for (const verdict::ChannelVerdict& c : d.channels) {
        if (c.outcome != verdict::Outcome::Fail) continue;
        text += "CH" + std::to_string(c.number);
        for (Figure f : c.failing) text += " " + verdict::figureKey(f).toStdString();
        text += "\n";
    }
    return text;
}

TEST(DutModels, ProgramAnalysisFindsEachIntendedChannelAndTheExampleLimitsJudgeIt)
{
    const Scan oBand{1260, 1340, 20001};  // the OB preset at the default data length
    const Scan cBand{1520, 1570, 20001};  // the CB preset
    const Scan dwdmSpan{1540, 1560, 20001};
    struct Row {
        Dut dut;
        int port;
        Scan scan;
        std::string failing;  // empty: PASS
    };
    std::vector<Row> rows{
        {Dut::Cwdm4, kCommonPort, oBand, ""},
        {Dut::Cwdm4BadLoss, kCommonPort, oBand, "CH3 insertion_loss insertion_loss_max\n"},
        {Dut::Cwdm4BadLoss, 3, oBand, "CH1 insertion_loss insertion_loss_max\n"},
        {Dut::Cwdm4BadLoss, 2, oBand, ""},
        {Dut::Cwdm4BadCenter, kCommonPort, oBand, "CH2 center_offset_nm ripple insertion_loss_max\n"},
        {Dut::Cwdm4BadCenter, 2, oBand, "CH1 center_offset_nm ripple insertion_loss_max\n"},
        {Dut::Dwdm8, kCommonPort, cBand, ""},
        {Dut::Dwdm8, kCommonPort, dwdmSpan, ""},
    };
    for (int port = 1; port <= 4; ++port) rows.push_back({Dut::Cwdm4, port, oBand, ""});
    for (int port = 1; port <= 8; ++port) rows.push_back({Dut::Dwdm8, port, cBand, ""});

    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(dutInfo(r.dut).name) + " port " + std::to_string(r.port) + " " +
                     std::to_string(r.scan.startNm) + "-" + std::to_string(r.scan.stopNm) + " nm");
        const Measured m = measure(r.dut, r.port, r.scan);
        const ChannelAnalysis analysis = analyseChannels(m.wl, m.v, m.last, 1, 3.0);
        // Exactly the intended channels: all on the common port, the port's own on an output port.
        std::vector<double> intended = channelCentresNm(r.dut);
        if (r.port != kCommonPort) intended = {intended.at(r.port - 1)};
        ASSERT_EQ(analysis.channels.size(), intended.size());
        for (std::size_t k = 0; k < intended.size(); ++k)
            EXPECT_NEAR(analysis.channels[k].center, intended[k], 0.01) << "channel " << k + 1;

        // The example limits of the device's plan, for its common port or for one output port.
        const verdict::Limits limits = exampleLimits(std::string(r.dut == Dut::Dwdm8 ? "dwdm8" : "cwdm4") + "-demux-" +
                                                     (r.port == kCommonPort ? "common" : "port") + "-limits.json");
        const verdict::FigureLevels levels = limits.levels.value_or(verdict::FigureLevels{});
        const verdict::DeviceVerdict d =
            verdict::judge(verdict::measureFigures(m.wl, m.v, m.last, analysis, *limits.plan, levels), &limits,
                           *limits.plan, levels);
        EXPECT_EQ(failures(d), r.failing) << verdict::verdictText(d).toStdString();
        EXPECT_EQ(d.outcome, r.failing.empty() ? verdict::Outcome::Pass : verdict::Outcome::Fail);
        if (r.port != kCommonPort) { EXPECT_GT(d.channels.at(0).figures[Figure::Isolation], 30.0); }
    }
}

}  // namespace
