// The bench model's noise and dark laser; its channels, dip and fibre losses are measured end to end.
#include "sim/bench_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using vxmsim::BenchModel;

TEST(BenchModel, NoiseRepeatsForTheSameSeedAndADarkLaserLeavesTheFloor)
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

    BenchModel bench(3);
    bench.laser.on = false;
    EXPECT_NEAR(bench.channelPowerDbm(0, 1300.0), BenchModel::kNoiseFloorDbm, 0.5);
}
