// The bench model: the filter's channels and the grating's dip where the measurements expect them.
// Subtracting a background from a spectrum through the program is measured end to end.
#include "sim/bench_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using vxmsim::BenchModel;
using vxmsim::Dut;

namespace {

// The full width at `dropDb` below the filter's value at `centre`, on a 1 pm grid.
double filterWidth(double centre, double dropDb)
{
    const double level = BenchModel::filterDb(centre) - dropDb;
    double lo = centre, hi = centre;
    while (BenchModel::filterDb(lo) > level) lo -= 0.001;
    while (BenchModel::filterDb(hi) > level) hi += 0.001;
    return hi - lo;
}

}  // namespace

TEST(BenchModel, FilterHasFourFlatToppedPassbandsAboutOneDecibelDownWithDeepGapsBetween)
{
    for (double centre : BenchModel::kFilterCentresNm) {
        SCOPED_TRACE(centre);
        const double top = BenchModel::filterDb(centre);
        EXPECT_TRUE(top > -1.3 && top < -0.8) << top;
        for (double offset : {-2.0, -1.0, 1.0, 2.0}) EXPECT_NEAR(BenchModel::filterDb(centre + offset), top, 0.5);
        for (double offset : {-10.0, -8.0, 8.0, 10.0}) EXPECT_LT(BenchModel::filterDb(centre + offset), top - 25.0);
        EXPECT_NEAR(filterWidth(centre, 3.0), 6.0, 1.0);
        EXPECT_TRUE(centre > 1265.0 && centre < 1335.0);
    }
    EXPECT_LT(BenchModel::filterDb(1262.0), -26.0);
    EXPECT_LT(BenchModel::filterDb(1339.0), -26.0);
}

TEST(BenchModel, GratingHasOneDeepNarrowDipAt1300OnAFlatLevel)
{
    // Half depth 0.5 nm either side.
    const std::pair<double, double> rows[] = {{1300.0, -21.0}, {1299.5, -11.0}, {1300.5, -11.0}, {1260.0, -1.0},
                                              {1290.0, -1.0},  {1295.0, -1.0},  {1305.0, -1.0},  {1340.0, -1.0}};
    for (const auto& [wl, db] : rows) EXPECT_NEAR(BenchModel::gratingDb(wl), db, db == -11.0 ? 0.1 : 0.01) << wl;
    double lowest = 0, where = 0;
    for (double wl = 1260.0; wl <= 1340.0; wl += 0.004)
        if (BenchModel::gratingDb(wl) < lowest) lowest = BenchModel::gratingDb(where = wl);
    EXPECT_NEAR(where, 1300.0, 0.004);
}

TEST(BenchModel, ChannelPowerIsLaserMinusFibrePlusDeviceWithSmallNoise)
{
    for (double wl : {1265.0, 1271.0, 1300.0, 1331.0}) EXPECT_LE(std::abs(BenchModel::laserPowerDbm(wl)), 0.3) << wl;
    BenchModel bench(3);
    const double wl = 1331.0;  // a filter channel, on channel 1 behind 1 dB of fibre
    EXPECT_NEAR(bench.channelPowerDbm(1, wl), BenchModel::laserPowerDbm(wl) - 1.0 + BenchModel::filterDb(wl), 0.01);
    bench.dutInserted = false;
    EXPECT_NEAR(bench.channelPowerDbm(0, 1301.0), BenchModel::laserPowerDbm(1301.0) - 1.5, 0.01);
    bench.dut = Dut::Grating;
    bench.dutInserted = true;
    EXPECT_NEAR(bench.channelPowerDbm(0, 1300.0), BenchModel::laserPowerDbm(1300.0) - 1.5 - 21.0, 0.02);
    bench.laser.on = false;
    EXPECT_NEAR(bench.channelPowerDbm(0, 1300.0), BenchModel::kNoiseFloorDbm, 0.5);
}

TEST(BenchModel, NoiseRepeatsForTheSameSeed)
{
    const auto readings = [](unsigned seed) {
        BenchModel bench(seed);
        std::vector<double> r;
        for (int i = 0; i < 20; ++i) r.push_back(bench.channelPowerDbm(0, 1300.0));
        return r;
    };
    const std::vector<double> a = readings(7);
    EXPECT_EQ(readings(7), a);
    EXPECT_NE(readings(8), a);
    EXPECT_GT(*std::max_element(a.begin(), a.end()) - *std::min_element(a.begin(), a.end()), 0.001);
}
