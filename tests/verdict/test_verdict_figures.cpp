// Channel plans at their grid edges and the channel figures on traces known in closed form.

#include "verdict/channel_plan.h"
#include "verdict/figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using namespace verdict;

namespace {

constexpr double kC = kLightSpeedNmThz;

TEST(ChannelPlan, NearestChannelAndPassbandAtTheGridEdges)
{
    const struct { const char* name; Plan plan; double centerNm, gridNm; } cases[] = {
        {"cwdm on grid", Plan::Cwdm, 1311.0, 1311.0},
        {"cwdm just below halfway", Plan::Cwdm, 1280.999, 1271.0},
        {"cwdm halfway goes to the shorter", Plan::Cwdm, 1281.0, 1271.0},
        {"cwdm just above halfway", Plan::Cwdm, 1281.001, 1291.0},
        {"cwdm below the first", Plan::Cwdm, 1200.0, 1271.0},
        {"cwdm beyond the last", Plan::Cwdm, 1700.0, 1611.0},
        {"dwdm100 anchor", Plan::Dwdm100, kC / 193.1, kC / 193.1},
        {"dwdm100 just short of halfway", Plan::Dwdm100, kC / 193.14999, kC / 193.1},
        {"dwdm100 just past halfway", Plan::Dwdm100, kC / 193.15001, kC / 193.2},
        {"dwdm100 below the anchor", Plan::Dwdm100, kC / 192.96, kC / 193.0},
        {"dwdm50 just short of halfway", Plan::Dwdm50, kC / 193.12499, kC / 193.1},
        {"dwdm50 just past halfway", Plan::Dwdm50, kC / 193.12501, kC / 193.15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto g = nearestGridChannel(c.plan, c.centerNm);
        ASSERT_TRUE(g.has_value());
        EXPECT_NEAR(g->wavelengthNm, c.gridNm, 1e-9);
        EXPECT_NEAR(g->frequencyThz * g->wavelengthNm, kC, 1e-6);
    }
    EXPECT_FALSE(nearestGridChannel(Plan::None, 1311.0).has_value());

    const auto cwdm = gridChannel(Plan::Cwdm, 1);
    ASSERT_TRUE(cwdm);
    EXPECT_EQ(std::pair(cwdm->windowLowNm, cwdm->windowHighNm), std::pair(1284.5, 1297.5));
    EXPECT_FALSE(gridChannel(Plan::Cwdm, -1) || gridChannel(Plan::Cwdm, 18));
    EXPECT_NEAR(gridChannel(Plan::Cwdm, 17)->wavelengthNm, 1611.0, 1e-12);
    // A quarter of the spacing either side of the grid frequency.
    for (auto [plan, half] : {std::pair{Plan::Dwdm100, 0.0125}, std::pair{Plan::Dwdm50, 0.00625}}) {
        const auto g = gridChannel(plan, 2);
        EXPECT_NEAR(g->windowLowNm, kC / (g->frequencyThz + half), 1e-9);
        EXPECT_NEAR(g->windowHighNm, kC / (g->frequencyThz - half), 1e-9);
    }
}

struct Trace { std::vector<float> wl, v; };

Trace makeTrace(double startNm, double stepNm, int points, const std::function<double(double)>& shape)
{
    Trace t;
    for (int i = 0; i < points; ++i) {
        t.wl.push_back(static_cast<float>(startNm + stepNm * i));
        t.v.push_back(static_cast<float>(shape(startNm + stepNm * i)));
    }
    return t;
}

std::vector<ChannelFigures> figuresOf(const Trace& t, Plan plan, FigureLevels levels = {})
{
    const int last = static_cast<int>(t.wl.size()) - 1;
    return measureFigures(t.wl, t.v, last, analyseChannels(t.wl, t.v, last, 1, 3.0), plan, levels);
}

TEST(ChannelFigures, FlatTopWithAKnownRipple)
{
    // -1 dB ± 0.2 dB (a 2 nm sine) over 1311 ± 8 nm, sides falling 10 dB/nm to a -50 dB floor.
    const Trace t = makeTrace(1290.0, 0.01, 4001, [](double x) {
        const double d = std::abs(x - 1311.0);
        if (d <= 8.0) return -1.0 + 0.2 * std::sin(M_PI * (x - 1311.0));
        return std::max(-1.0 - 10.0 * (d - 8.0), -50.0);
    });
    const auto f = figuresOf(t, Plan::Cwdm);
    ASSERT_EQ(f.size(), 1U);
    const ChannelFigures& c = f[0];
    EXPECT_NEAR(c[Figure::Ripple], 0.4, 1e-5);
    EXPECT_NEAR(c[Figure::InsertionLossMin], 0.8, 1e-5);
    EXPECT_NEAR(c[Figure::InsertionLossMax], 1.2, 1e-5);
    EXPECT_NEAR(c[Figure::InsertionLoss], 0.8, 0.01);
    // Straight sides: the interpolated edges are exact, `down` dB below the reported top.
    const double top = c.peakValue;
    for (auto [figure, down] : {std::pair{Figure::BandwidthLevel1, 0.5}, std::pair{Figure::BandwidthLevel2, 20.0}})
        EXPECT_NEAR(c[figure], 2.0 * (8.0 + (-1.0 - (top - down)) / 10.0), 3e-4) << figureKey(figure).toStdString();
    EXPECT_NEAR(c[Figure::Isolation], top + 50.0, 1e-5) << "the floor fills both neighbour windows";
    EXPECT_NEAR(c[Figure::OffsetNm], c.centerNm - 1311.0, 1e-9);

    // Without a plan only the trace's own figures.
    const ChannelFigures none = figuresOf(t, Plan::None).at(0);
    for (Figure g : {Figure::OffsetNm, Figure::OffsetGhz, Figure::Ripple, Figure::InsertionLossMin,
                     Figure::InsertionLossMax, Figure::Isolation})
        EXPECT_TRUE(std::isnan(none[g])) << figureKey(g).toStdString();
    EXPECT_NEAR(none[Figure::BandwidthLevel1], c[Figure::BandwidthLevel1], 1e-9);
}

TEST(ChannelFigures, GaussianWidthAtEveryLevel)
{
    // A parabola in dB, 2·sqrt(L/k) wide at L dB down, 0.05 nm off the 193.4 THz channel.
    const double center = kC / 193.4 + 0.05;
    constexpr double k = 75.0;  // dB/nm², 0.4 nm wide at 3 dB
    const Trace t = makeTrace(center - 1.5, 0.001, 3001,
                              [&](double x) { return std::max(-2.0 - k * (x - center) * (x - center), -80.0); });
    for (FigureLevels levels : {FigureLevels{0.5, 20.0}, FigureLevels{1.0, 10.0}}) {
        const auto f = figuresOf(t, Plan::Dwdm100, levels);
        ASSERT_EQ(f.size(), 1U);
        // Single-precision wavelengths near 1550 nm are 1.2e-4 nm apart.
        EXPECT_NEAR(f[0][Figure::Bandwidth], 2.0 * std::sqrt(3.0 / k), 3e-4);
        EXPECT_NEAR(f[0][Figure::BandwidthLevel1], 2.0 * std::sqrt(levels.level1Db / k), 3e-4);
        EXPECT_NEAR(f[0][Figure::BandwidthLevel2], 2.0 * std::sqrt(levels.level2Db / k), 3e-4);
        EXPECT_NEAR(f[0][Figure::OffsetNm], 0.05, 2e-4);
        EXPECT_NEAR(f[0][Figure::OffsetGhz], (kC / center - 193.4) * 1000.0, 0.03);
        EXPECT_NEAR(f[0][Figure::InsertionLoss], 2.0, 1e-4);
    }
}

// Flat-topped channels (±5 nm) on CWDM slots with sides of 10 dB/nm to a -60 dB floor, and flat
// leakage across whole empty slots' windows.
Trace cwdmTrace(const std::vector<std::pair<double, double>>& channels,
                const std::vector<std::pair<double, double>>& leaks)
{
    return makeTrace(1262.0, 0.02, 7001, [&](double x) {
        double v = -60.0;
        for (auto [nm, top] : channels) v = std::max(v, top - 10.0 * std::max(std::abs(x - nm) - 5.0, 0.0));
        for (auto [nm, level] : leaks)
            if (std::abs(x - nm) <= 6.5) v = std::max(v, level);
        return v;
    });
}

TEST(ChannelFigures, NeighbourLeakageGivesTheIsolationOfTheWorseSide)
{
    const std::vector<std::pair<double, double>> channels{{1271, -1.0}, {1311, -1.5}, {1351, -0.8}, {1391, -1.2}};
    const Trace t = cwdmTrace(channels, {{1291, -35.0}, {1331, -30.0}, {1371, -40.0}});
    const auto f = figuresOf(t, Plan::Cwdm);
    ASSERT_EQ(f.size(), 4U);
    // 1271 has no slot below it; 1391's upper neighbour (1411) lies beyond the trace.
    const double expected[] = {-1.0 + 35.0, -1.5 + 30.0, -0.8 + 30.0, -1.2 + 40.0};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(f[i][Figure::Isolation], expected[i], 1e-5) << "channel " << i + 1;
        EXPECT_FALSE(f[i].isolationShared);
        EXPECT_NEAR(f[i][Figure::Ripple], 15.0, 1e-4) << "the sides fall 15 dB by the window's edges";
    }

    // A channel in the 1371 slot: its neighbours' isolation means nothing in this trace.
    auto withFifth = channels;
    withFifth.push_back({1371, -1.0});
    const auto g = figuresOf(cwdmTrace(withFifth, {{1291, -35.0}, {1331, -30.0}}), Plan::Cwdm);
    ASSERT_EQ(g.size(), 5U);
    const bool shared[] = {false, false, true, true, true};  // 1271, 1311, 1351, 1371, 1391
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(g[i].isolationShared, shared[i]) << "channel " << i + 1;
        EXPECT_EQ(std::isnan(g[i][Figure::Isolation]), shared[i]) << "channel " << i + 1;
    }
}

}  // namespace
