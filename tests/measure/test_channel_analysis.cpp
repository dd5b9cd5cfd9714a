// Channel analysis on spectra whose edges are worked out by hand.

#include "measure/channel_analysis.h"

#include "core/shared_state.h"
#include "spectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

constexpr double kStep = 0.004;
// Two single-precision steps near 1550 nm: far below a tenth of a 0.004 nm point spacing.
constexpr double kNmTolerance = 2.5e-4;
const std::vector<float> kWl = axis(6001, 1550.0, kStep);

// channelSelect 1 is transmission, 0 reflection; the last index is the spectrum's last point.
ChannelAnalysis analyse(const std::vector<float>& v, int select, double n = 3.0, const std::vector<float>& wl = kWl)
{
    return analyseChannels(wl, v, static_cast<int>(v.size()) - 1, select, n);
}

// Reflection: flat at -1 dB, a 20 dB dip at `m`, its -4 dB crossings half a step inside points m - 4 and m + 4.
std::vector<float> dipSpectrum(int points, int m)
{
    std::vector<float> v(static_cast<std::size_t>(points), -1.0F);
    const float left[] = {-21.0F, -15.0F, -8.0F, -4.5F, -3.5F, -2.0F};   // m, m - 1, ...
    const float right[] = {-21.0F, -15.0F, -8.0F, -5.0F, -3.0F, -2.0F};  // m, m + 1, ...
    for (int k = 0; k < 6; ++k) {
        v[static_cast<std::size_t>(m - k)] = left[k];
        v[static_cast<std::size_t>(m + k)] = right[k];
    }
    return v;
}

void expectChannel(const ChannelRow& row, double center, double bandwidth, float peak)
{
    EXPECT_NEAR(row.center, center, kNmTolerance);
    EXPECT_NEAR(row.bandwidth, bandwidth, kNmTolerance);
    EXPECT_FLOAT_EQ(row.peak, peak);
}

}  // namespace

TEST(ChannelAnalysisPreparation, DownLevelIsMinusTheLeadingNumberOfTheText)
{
    const std::pair<const char*, double> rows[] = {{"-3.0", 3.0}, {"-20", 20.0}, {" -0.5 dB", 0.5}, {"abc", 0.0}};
    for (const auto& [text, n] : rows) EXPECT_DOUBLE_EQ(downLevelFromText(QString::fromLatin1(text)), n) << text;
}

TEST(ChannelAnalysisPreparation, NominalStepIsTheMeanOfTheFirstHundredStepsToFourDecimals)
{
    const auto lastAt = [](float wl100) {
        std::vector<float> wl(101, 1550.0F);
        wl[100] = wl100;
        return wl;
    };
    // Rounding hides that 1550 + 100 x 0.004 is 1550.39990... in floats; no point 100 gives 0; descending keeps its sign.
    const std::pair<std::vector<float>, double> rows[] = {
        {axis(101, 1550.0, 0.004), 0.004}, {axis(20001, 1260.0, 0.0064), 0.0064}, {axis(100, 1550.0, 0.004), 0.0},
        {lastAt(1550.0123F), 0.0001}, {lastAt(1550.0149F), 0.0001}, {lastAt(1550.0F), 0.0}, {lastAt(1549.6F), -0.004}};
    for (const auto& [wl, step] : rows) EXPECT_NEAR(nominalStep(wl), step, 1e-12) << wl.size() << " " << wl.back();
}

TEST(ChannelAnalysisPreparation, SmoothingIsAnElevenPointMeanWithShorterMeansAtTheEnds)
{
    // Squares make every mean different: 0, 1, 4, 9, ..., 400 (21 points, last index 20).
    std::vector<float> v;
    for (int i = 0; i <= 20; ++i) v.push_back(static_cast<float>(i * i));
    const std::vector<float> s = smoothSpectrum(v, 20);
    ASSERT_EQ(s.size(), 21U);
    // Ends: the mean of the points from the end to the point; centre: 11 points about it.
    const std::pair<int, float> rows[] = {
        {0, 0.0F}, {1, 0.5F}, {2, 5.0F / 3}, {3, 14.0F / 4}, {4, 30.0F / 5}, {5, 385.0F / 11}, {6, 506.0F / 11},
        {15, 2585.0F / 11}, {16, 1630.0F / 5}, {19, 761.0F / 2}, {20, 400.0F}};
    for (const auto& [i, mean] : rows) EXPECT_FLOAT_EQ(s[static_cast<std::size_t>(i)], mean) << i;
    EXPECT_EQ(smoothSpectrum(std::vector<float>{1.0F, 5.0F, 3.0F}, 2), (std::vector<float>{1.0F, 5.0F, 3.0F}))
        << "too short to smooth";
}

TEST(TransmissionAnalysis, EveryPeakStandingOutIsMeasuredBetweenItsInterpolatedCrossings)
{
    // Peaks on a floor, some points then set by hand; channels by centre point, width in steps, top.
    struct Expected { double centerPoint, widthSteps; float peak; };
    struct Case {
        const char* name;
        double floor, n;
        std::vector<Triangle> peaks;
        std::vector<Expected> found;
        std::vector<std::pair<int, float>> set = {};
    };
    const Case cases[] = {
        // -8 dBm crossings 3.75 points from the top, i.e. 0.75 of a step beyond points 997 and 1003.
        {"one peak", -40.0, 3.0, {{1000, -5.0, 0.8}}, {{1000, 7.5, -5.0F}}},
        // The -8 threshold is crossed beyond 498 and 502, unevenly; the -30 at 495 keeps the smoothed top on point 500.
        {"uneven sides", -40.0, 3.0, {}, {{500, 5, -5.0F}},
         {{495, -30.0F}, {496, -20.0F}, {497, -8.5F}, {498, -7.5F}, {499, -6.0F}, {500, -5.0F}, {501, -6.0F},
          {502, -7.0F}, {503, -9.0F}, {504, -20.0F}}},
        // N = 0 puts the edges of a flat top on its last flat points.
        {"flat top, N 0", -40.0, 0.0, {{997, -5, 1}, {998, -5, 1}, {999, -5, 1}, {1000, -5, 1}, {1001, -5, 1},
         {1002, -5, 1}, {1003, -5, 1}}, {{1000, 6, -5.0F}}},
        // Equal tops over a 0.8 dB dip: one channel from the first's left to the second's right side.
        {"shallow dip joins", -40.0, 3.0, {{1000, -5.0, 0.08}, {1020, -5.0, 0.08}}, {{1010, 20 + 75, -5.0F}}},
        {"deep dip parts", -40.0, 3.0, {{1000, -5, 0.8}, {1030, -5, 0.8}}, {{1000, 7.5, -5.0F}, {1030, 7.5, -5.0F}}},
        // A 1.5 dB dip: both peaks accepted, but neither falls N + 5 = 8 dB before the other.
        {"ridge", -40.0, 3.0, {{1000, -5.0, 0.1}, {1030, -5.0, 0.1}}, {}},
        {"6 dB below the top", -40.0, 3.0, {{1000, -5.0, 0.8}, {3000, -11.0, 0.8}}, {{1000, 7.5, -5.0F}}},
        {"4.5 dB below", -40.0, 3.0, {{1000, -5.0, 0.8}, {3000, -9.5, 0.8}}, {{1000, 7.5, -5.0F}, {3000, 7.5, -9.5F}}},
        // A side counts once it has fallen more than N + 5 dB: 8.5 dB does, 7.5 dB does not.
        {"sides fall 8.5 dB, N 3", -13.5, 3.0, {{1000, -5.0, 0.8}}, {{1000, 7.5, -5.0F}}},
        {"sides fall 7.5 dB, N 3", -12.5, 3.0, {{1000, -5.0, 0.8}}, {}},
        {"sides fall 23 dB, N 3", -28.0, 3.0, {{1000, -5.0, 0.8}}, {{1000, 7.5, -5.0F}}},
        {"sides fall 23 dB, N 20", -28.0, 20.0, {{1000, -5.0, 0.8}}, {}},
        {"sides fall 30 dB, N 20", -35.0, 20.0, {{1000, -5.0, 0.8}}, {{1000, 50, -5.0F}}},
        // The maximum includes the ends: a spike 6 dB above the peak hides it, 4 dB not; its crossings lie 3/41 (3/39) step out.
        {"spike 6 dB above", -40.0, 3.0, {{1000, -5.0, 0.8}}, {{2, 6.0 / 41, 1.0F}}, {{2, 1.0F}}},
        // A peak on point 1, the first one the search looks at, is a channel like any other.
        {"spike 4 dB above", -40.0, 3.0, {{1000, -5.0, 0.8}}, {{1, 6.0 / 39, -1.0F}, {1000, 7.5, -5.0F}}, {{1, -1.0F}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> v = peaks(4001, c.floor, c.peaks);
        for (const auto& [i, value] : c.set) v[static_cast<std::size_t>(i)] = value;
        const ChannelAnalysis a = analyse(v, 1, c.n);
        EXPECT_EQ(a.kind, ChannelKind::Transmission);
        EXPECT_EQ(a.update, ResultsUpdate::Replaced);
        ASSERT_EQ(a.channels.size(), c.found.size());
        for (std::size_t i = 0; i < c.found.size(); ++i)
            expectChannel(a.channels[i], at(kWl, 0) + c.found[i].centerPoint * kStep, c.found[i].widthSteps * kStep,
                          c.found[i].peak);
    }
    const ChannelAnalysis flat = analyse(std::vector<float>(1001, -12.0F), 1);
    EXPECT_TRUE(flat.channels.empty());
    EXPECT_EQ(flat.update, ResultsUpdate::Keep) << "a spectrum without peaks keeps the earlier results";
}

TEST(ReflectionAnalysis, TheFirstLowestDipIsMeasuredAtNBelowTheHighestPointWithinTenNanometres)
{
    // Each case edits the dip at point 3000 of 6001, its edges 7 steps apart; a centre of -1 means no channel.
    using Edit = std::function<void(std::vector<float>&)>;
    const struct { const char* name; Edit edit; int center; } cases[] = {
        {"+5 dB beyond 10 nm does not count",
         [](auto& v) { std::fill_n(v.begin(), 450, 5.0F), std::fill_n(v.rbegin(), 450, 5.0F); }, 3000},
        {"a lower end point moves the minimum, not the dip", [](auto& v) { v[1] = v[5998] = -30.0F; }, 3000},
        {"of two equal dips the first",
         [](auto& v) { std::copy_n(dipSpectrum(6001, 1500).begin() + 1490, 21, v.begin() + 1490); }, 1500},
        {"never back to -4 on the right", [](auto& v) { std::fill(v.begin() + 3003, v.end(), -10.0F); }, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto v = dipSpectrum(6001, 3000);
        c.edit(v);
        const ChannelAnalysis a = analyse(v, 0);
        EXPECT_EQ(a.kind, ChannelKind::Reflection);
        EXPECT_EQ(a.update, ResultsUpdate::Cleared);
        ASSERT_EQ(a.channels.size(), c.center < 0 ? 0U : 1U);
        if (c.center >= 0) expectChannel(a.channels[0], at(kWl, c.center), 7 * kStep, -1.0F);
    }
    // The left crossing falling on point 0 counts as no edge.
    std::vector<float> atStart(201, -1.0F);
    std::fill(atStart.begin() + 1, atStart.begin() + 150, -10.0F);
    atStart[100] = -21.0F;
    EXPECT_TRUE(analyse(atStart, 0).channels.empty());
}

TEST(ReflectionAnalysis, TheTenNanometreWindowHoldsBothEndsAndItsCounterRoundsHalfToEven)
{
    // At a 0.0064 nm step the window starts 1562.5 points before the dip: its x.5 counter rounds to even points only.
    const auto wl = axis(4001, 1500.0, 0.0064);
    auto v = dipSpectrum(4001, 2000);
    v[2501] = -0.5F;
    EXPECT_FLOAT_EQ(analyse(v, 0, 3.0, wl).channels.at(0).peak, -1.0F) << "odd point inside the window skipped";
    v[2501] = -1.0F;
    v[2502] = -0.5F;
    EXPECT_FLOAT_EQ(analyse(v, 0, 3.0, wl).channels.at(0).peak, -0.5F) << "even point inside the window counted";

    // Both window ends count, nothing beyond: 10 nm are 2500 steps, so around the dip at 3000 it runs from 500 to 5500.
    const struct { int at; float top; } cases[] = {{500, -0.5F}, {5500, -0.5F}, {499, -1.0F}, {5501, -1.0F}};
    for (const auto& c : cases) {
        auto raised = dipSpectrum(6001, 3000);
        raised[static_cast<std::size_t>(c.at)] = -0.5F;
        EXPECT_FLOAT_EQ(analyse(raised, 0).channels.at(0).peak, c.top) << "raised point " << c.at;
    }
}

TEST(ChannelAnalysisGuards, UnanalysableInputsGiveNoChannelAndNoFault)
{
    const auto shortWl = axis(100, 1550.0, kStep);
    const auto shortPeak = peaks(100, -40.0, {{50, -5.0, 0.8}});
    EXPECT_TRUE(analyseChannels(shortWl, shortPeak, 99, 0, 3.0).channels.empty()) << "fewer than 101 points";
    EXPECT_EQ(analyseChannels(shortWl, shortPeak, 99, 1, 3.0).update, ResultsUpdate::Keep);
    EXPECT_TRUE(analyseChannels(shortWl, shortPeak, 99, 1, 3.0).channels.empty());
    EXPECT_TRUE(analyseChannels({}, {}, -1, 1, 3.0).channels.empty());
    EXPECT_TRUE(analyseChannels(shortWl, shortPeak, 5000, 1, 3.0).channels.empty()) << "last index beyond the arrays";

    const auto peak = peaks(2001, -40.0, {{1000, -5.0, 0.8}});
    EXPECT_EQ(analyse(peak, 7).kind, ChannelKind::None);
    EXPECT_TRUE(analyse(peak, 1, std::nan("")).channels.empty());
    EXPECT_TRUE(analyse(peak, 1, -5.0).channels.empty()) << "N below 0: no crossing";
    // A raw point above the top gives only the right side a crossing at N below 0; a channel needs both.
    std::vector<float> oneSided = peaks(2001, -40.0, {{1000, -5.0, 0.5}});
    oneSided[1002] = -3.5F;
    EXPECT_TRUE(analyse(oneSided, 1, -1.0).channels.empty());
    EXPECT_TRUE(analyse(dipSpectrum(2001, 1000), 0, -5.0).channels.empty());

    // Every wavelength equal: the window spans all, edges cannot move off their points, yet the results are finite.
    const std::vector<float> same(2001, 1550.0F);
    const ChannelAnalysis r = analyse(dipSpectrum(2001, 1000), 0, 3.0, same);
    const ChannelAnalysis t = analyse(peak, 1, 3.0, same);
    ASSERT_EQ(r.channels.size(), 1U);
    ASSERT_EQ(t.channels.size(), 1U);
    expectChannel(r.channels[0], 1550.0, 0.0, -1.0F);
    expectChannel(t.channels[0], 1550.0, 0.0, -5.0F);
}

TEST(ChannelResultsStore, RowsStartAtOneAndEachKindTreatsEarlierRowsItsOwnWay)
{
    using Rows = std::vector<std::array<float, 3>>;
    const Rows earlier = {{0, 0, 0}, {1550.0F, 0.4F, -5.0F}, {1551.0F, 0.4F, -6.0F}};
    struct Case { ResultsUpdate update; std::vector<ChannelRow> found; int count; Rows results; const char* why; };
    const Case cases[] = {
        {ResultsUpdate::Keep, {}, 0, earlier, "a transmission without peaks leaves the rows"},
        {ResultsUpdate::Replaced, {{1552.0F, 0.3F, -4.0F}}, 1, {{0, 0, 0}, {1552.0F, 0.3F, -4.0F}}, "the rows found"},
        {ResultsUpdate::Cleared, {}, 0, Rows(3), "a reflection without a dip leaves zeros"}};
    for (const auto& c : cases) {
        SharedState s;
        s.ChannelResults = earlier;
        s.ChannelCount = 2;
        storeChannelResults(s, ChannelAnalysis{ChannelKind::None, c.update, c.found});
        EXPECT_EQ(s.ChannelCount, c.count) << c.why;
        EXPECT_EQ(s.ChannelResults, c.results) << c.why;
    }
}
