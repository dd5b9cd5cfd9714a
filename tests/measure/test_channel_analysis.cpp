// Channel analysis on spectra whose edges are worked out by hand.

#include "measure/channel_analysis.h"

#include "app/form1.h"
#include "app/info_box.h"
#include "bench_fixture.h"
#include "measure/results_table.h"
#include "results/form2.h"
#include "spectra.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kStep = 0.004;
constexpr double kNmTolerance = 1e-4;  // a single-precision wavelength near 1550 nm

ChannelAnalysis transmission(const std::vector<float>& wl, const std::vector<float>& v, double n = 3.0)
{
    return analyseChannels(wl, v, static_cast<int>(v.size()) - 1, 1, n);
}

ChannelAnalysis reflection(const std::vector<float>& wl, const std::vector<float>& v, double n = 3.0)
{
    return analyseChannels(wl, v, static_cast<int>(v.size()) - 1, 0, n);
}

// A reflection spectrum: flat at -1 dB with a 20 dB dip at `m` whose -4 dB crossings lie half a
// step inside points m - 4 and m + 4.
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

}  // namespace

TEST(ChannelAnalysisPreparation, DownLevelIsMinusTheLeadingNumberOfTheText)
{
    EXPECT_DOUBLE_EQ(downLevelFromText(QStringLiteral("-3.0")), 3.0);
    EXPECT_DOUBLE_EQ(downLevelFromText(QStringLiteral("-20")), 20.0);
    EXPECT_DOUBLE_EQ(downLevelFromText(QStringLiteral(" -0.5 dB")), 0.5);
    EXPECT_DOUBLE_EQ(downLevelFromText(QStringLiteral("abc")), 0.0);
}

TEST(ChannelAnalysisPreparation, NominalStepIsTheMeanOfTheFirstHundredStepsToFourDecimals)
{
    // 1550 + 100 x 0.004 in single precision is 1550.39990..., not 1550.4: rounding hides that.
    EXPECT_DOUBLE_EQ(nominalStep(axis(101, 1550.0, 0.004)), 0.004);
    EXPECT_DOUBLE_EQ(nominalStep(axis(20001, 1260.0, 0.0064)), 0.0064);
    std::vector<float> wl(101, 1550.0F);
    wl[100] = 1550.0123F;  // 0.000123 per step
    EXPECT_DOUBLE_EQ(nominalStep(wl), 0.0001);
    wl[100] = 1550.0149F;  // 0.000149
    EXPECT_DOUBLE_EQ(nominalStep(wl), 0.0001);
    wl[100] = 1550.0F;
    EXPECT_DOUBLE_EQ(nominalStep(wl), 0.0);
    wl[100] = 1549.6F;  // a descending axis keeps its sign
    EXPECT_NEAR(nominalStep(wl), -0.004, 1e-12);
    EXPECT_DOUBLE_EQ(nominalStep(axis(100, 1550.0, 0.004)), 0.0) << "point 100 does not exist";
}

TEST(ChannelAnalysisPreparation, SmoothingIsAnElevenPointMeanWithShorterMeansAtTheEnds)
{
    // Squares make every mean different: 0, 1, 4, 9, ..., 400 (21 points, last index 20).
    std::vector<float> v;
    for (int i = 0; i <= 20; ++i) v.push_back(static_cast<float>(i * i));
    const std::vector<float> s = smoothSpectrum(v, 20);
    ASSERT_EQ(s.size(), 21U);
    // Start: mean of points 0..k.
    EXPECT_FLOAT_EQ(s[0], 0.0F);
    EXPECT_FLOAT_EQ(s[1], 0.5F);
    EXPECT_FLOAT_EQ(s[2], 5.0F / 3.0F);
    EXPECT_FLOAT_EQ(s[3], 14.0F / 4.0F);
    EXPECT_FLOAT_EQ(s[4], 30.0F / 5.0F);
    // Centre: 0 + 1 + ... + 100 = 385 over 11 points, then the window moves by one.
    EXPECT_FLOAT_EQ(s[5], 385.0F / 11.0F);
    EXPECT_FLOAT_EQ(s[6], (385.0F + 121.0F) / 11.0F);
    EXPECT_FLOAT_EQ(s[15], (100 + 121 + 144 + 169 + 196 + 225 + 256 + 289 + 324 + 361 + 400) / 11.0F);
    // End: mean of points L - k .. L.
    EXPECT_FLOAT_EQ(s[20], 400.0F);
    EXPECT_FLOAT_EQ(s[19], (361.0F + 400.0F) / 2.0F);
    EXPECT_FLOAT_EQ(s[16], (256.0F + 289.0F + 324.0F + 361.0F + 400.0F) / 5.0F);
    // Too short to smooth: returned as it is.
    EXPECT_EQ(smoothSpectrum(std::vector<float>{1.0F, 5.0F, 3.0F}, 2), (std::vector<float>{1.0F, 5.0F, 3.0F}));
}

TEST(TransmissionAnalysis, OnePeakIsMeasuredBetweenItsInterpolatedCrossings)
{
    // Top -5 dBm, sides falling 0.8 dB per point to a -40 dBm floor: the -8 dBm crossings lie
    // 3.75 points from the top, i.e. 0.75 of a step beyond points 997 and 1003.
    const auto wl = axis(2001, 1550.0, kStep);
    const auto v = peaks(2001, -40.0, {{1000, -5.0, 0.8}});
    const ChannelAnalysis a = transmission(wl, v);
    EXPECT_EQ(a.kind, ChannelKind::Transmission);
    EXPECT_EQ(a.update, ResultsUpdate::Replaced);
    ASSERT_EQ(a.channels.size(), 1U);
    const double lower = at(wl, 997) - 0.003;
    const double upper = at(wl, 1003) + 0.003;
    EXPECT_NEAR(a.channels[0].center, (lower + upper) / 2, kNmTolerance);
    EXPECT_NEAR(a.channels[0].bandwidth, upper - lower, 1e-6);
    EXPECT_NEAR(a.channels[0].bandwidth, 0.030, 1e-4);
    EXPECT_FLOAT_EQ(a.channels[0].peak, -5.0F);
}

TEST(TransmissionAnalysis, EdgesInterpolateWithTheNominalStep)
{
    // Top -5, N = 3 (threshold -8): on the left -7.5 at lo with -8.5 outside it, on the right
    // -7.0 at hi with -9.0 outside it. Point c - 5 at -30 keeps the smoothed top on point c.
    const int c = 500;
    std::vector<float> v(1001, -40.0F);
    const std::pair<int, float> shape[] = {{-5, -30.0F}, {-4, -20.0F}, {-3, -8.5F}, {-2, -7.5F}, {-1, -6.0F},
                                           {0, -5.0F},   {1, -6.0F},   {2, -7.0F},  {3, -9.0F},  {4, -20.0F}};
    for (const auto& [offset, value] : shape) v[static_cast<std::size_t>(c + offset)] = value;
    const auto wl = axis(1001, 1550.0, kStep);

    const ChannelAnalysis a = transmission(wl, v);
    ASSERT_EQ(a.channels.size(), 1U);
    const double lower = at(wl, c - 2) - 0.002;
    const double upper = at(wl, c + 2) + 0.002;
    EXPECT_NEAR(a.channels[0].center, (lower + upper) / 2, kNmTolerance);
    EXPECT_NEAR(a.channels[0].bandwidth, upper - lower, 1e-6);
    EXPECT_FLOAT_EQ(a.channels[0].peak, -5.0F);
}

TEST(TransmissionAnalysis, APeakMustStandOutByMoreThanOneDecibelFromThePreviousOne)
{
    const auto wl = axis(2001, 1550.0, kStep);

    // Equal tops at 1000 and 1020 over a 0.8 dB dip: one channel from the first peak's left side
    // to the second peak's right side (both at 37.5 points from their top), centred between them.
    const auto shallow = peaks(2001, -40.0, {{1000, -5.0, 0.08}, {1020, -5.0, 0.08}});
    ChannelAnalysis a = transmission(wl, shallow);
    ASSERT_EQ(a.channels.size(), 1U);
    EXPECT_NEAR(a.channels[0].center, at(wl, 1010), kNmTolerance);
    EXPECT_NEAR(a.channels[0].bandwidth, (20 + 75) * kStep, 1e-4);
    EXPECT_FLOAT_EQ(a.channels[0].peak, -5.0F);

    // A 12 dB dip: two channels, each measured on its own, 7.5 points wide.
    const auto deep = peaks(2001, -40.0, {{1000, -5.0, 0.8}, {1030, -5.0, 0.8}});
    a = transmission(wl, deep);
    ASSERT_EQ(a.channels.size(), 2U);
    EXPECT_NEAR(a.channels[0].center, at(wl, 1000), kNmTolerance);
    EXPECT_NEAR(a.channels[1].center, at(wl, 1030), kNmTolerance);
    EXPECT_NEAR(a.channels[0].bandwidth, 7.5 * kStep, 1e-4);
    EXPECT_NEAR(a.channels[1].bandwidth, 7.5 * kStep, 1e-4);

    // A 1.5 dB dip: both peaks are accepted, but neither falls N + 5 = 8 dB before the other.
    const auto ridge = peaks(2001, -40.0, {{1000, -5.0, 0.1}, {1030, -5.0, 0.1}});
    a = transmission(wl, ridge);
    EXPECT_TRUE(a.channels.empty());
    EXPECT_EQ(a.update, ResultsUpdate::Replaced);
}

TEST(TransmissionAnalysis, OnlyPeaksWithinFiveDecibelsOfTheMaximumAreCandidates)
{
    const auto wl = axis(4001, 1550.0, kStep);
    const ChannelAnalysis far = transmission(wl, peaks(4001, -40.0, {{1000, -5.0, 0.8}, {3000, -11.0, 0.8}}));
    ASSERT_EQ(far.channels.size(), 1U);
    EXPECT_NEAR(far.channels[0].center, at(wl, 1000), kNmTolerance);

    const ChannelAnalysis near = transmission(wl, peaks(4001, -40.0, {{1000, -5.0, 0.8}, {3000, -9.5, 0.8}}));
    ASSERT_EQ(near.channels.size(), 2U);
    EXPECT_NEAR(near.channels[1].center, at(wl, 3000), kNmTolerance);
    EXPECT_FLOAT_EQ(near.channels[1].peak, -9.5F);
}

TEST(TransmissionAnalysis, SidesMustFallMoreThanNPlusFiveDecibels)
{
    const auto wl = axis(2001, 1550.0, kStep);
    const auto shallowFloor = peaks(2001, -28.0, {{1000, -5.0, 0.8}});  // sides fall 23 dB
    EXPECT_EQ(transmission(wl, shallowFloor, 3.0).channels.size(), 1U);
    EXPECT_TRUE(transmission(wl, shallowFloor, 20.0).channels.empty()) << "N = 20 needs more than 25 dB";

    const auto deepFloor = peaks(2001, -35.0, {{1000, -5.0, 0.8}});  // sides fall 30 dB
    const ChannelAnalysis a = transmission(wl, deepFloor, 20.0);
    ASSERT_EQ(a.channels.size(), 1U);
    EXPECT_NEAR(a.channels[0].bandwidth, 2 * (20.0 / 0.8) * kStep, 1e-4);  // -25 dBm at 25 points
}

TEST(TransmissionAnalysis, ASpectrumWithoutPeaksKeepsTheEarlierResults)
{
    const auto wl = axis(1001, 1550.0, kStep);
    const ChannelAnalysis a = transmission(wl, std::vector<float>(1001, -12.0F));
    EXPECT_TRUE(a.channels.empty());
    EXPECT_EQ(a.update, ResultsUpdate::Keep);
}

TEST(ReflectionAnalysis, TheDipIsMeasuredAtNBelowTheHighestPointWithinTenNanometres)
{
    // 6001 points at 0.004 nm: +5 dB beyond 10 nm (2500 points) from the dip must not count.
    const int m = 3000;
    auto v = dipSpectrum(6001, m);
    for (int i = 0; i < 450; ++i) v[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(6000 - i)] = 5.0F;
    const auto wl = axis(6001, 1550.0, kStep);

    const ChannelAnalysis a = reflection(wl, v);
    EXPECT_EQ(a.kind, ChannelKind::Reflection);
    EXPECT_EQ(a.update, ResultsUpdate::Cleared);
    ASSERT_EQ(a.channels.size(), 1U);
    // Lower edge between m - 4 (-3.5) and m - 3 (-4.5); upper between m + 4 (-3) and m + 3 (-5).
    const double lower = at(wl, m - 4) + 0.002;
    const double upper = at(wl, m + 4) - 0.002;
    EXPECT_FLOAT_EQ(a.channels[0].peak, -1.0F);
    EXPECT_NEAR(a.channels[0].center, (lower + upper) / 2, kNmTolerance);
    EXPECT_NEAR(a.channels[0].bandwidth, upper - lower, 1e-6);
}

TEST(ReflectionAnalysis, TheWindowCounterRoundsHalfToEven)
{
    // With a 0.0064 nm step the window starts 1562.5 points before the dip: the counter runs
    // through x.5 values, which round to even indices only, so odd points are never looked at.
    const int m = 2000;
    const auto wl = axis(4001, 1500.0, 0.0064);
    auto v = dipSpectrum(4001, m);
    v[2501] = -0.5F;
    EXPECT_FLOAT_EQ(reflection(wl, v).channels.at(0).peak, -1.0F) << "odd point inside the window skipped";
    v[2501] = -1.0F;
    v[2502] = -0.5F;
    EXPECT_FLOAT_EQ(reflection(wl, v).channels.at(0).peak, -0.5F) << "even point inside the window counted";
}

TEST(ReflectionAnalysis, TheDipIsTheFirstLowestPointOfTheCentralRange)
{
    const auto wl = axis(6001, 1550.0, kStep);
    // Two equal dips 12 nm apart: the first one is measured.
    auto twin = dipSpectrum(6001, 1500);
    const auto second = dipSpectrum(6001, 4500);
    for (int i = 4490; i <= 4510; ++i) twin[static_cast<std::size_t>(i)] = second[static_cast<std::size_t>(i)];
    ChannelAnalysis a = reflection(wl, twin);
    ASSERT_EQ(a.channels.size(), 1U);
    EXPECT_NEAR(a.channels[0].center, at(wl, 1500), kNmTolerance);

    // A lower value among the five end points changes the minimum but not where the dip is.
    auto lowEnd = dipSpectrum(6001, 3000);
    lowEnd[1] = -30.0F;
    lowEnd[5998] = -30.0F;
    a = reflection(wl, lowEnd);
    ASSERT_EQ(a.channels.size(), 1U);
    EXPECT_NEAR(a.channels[0].center, at(wl, 3000), kNmTolerance);
}

TEST(TransmissionAnalysis, TheMaximumIncludesTheEndPoints)
{
    // A +1 dBm spike on point 2 lifts the maximum: the -5 dBm peak is 6 dB below it and only
    // the spike itself is measured.
    const auto wl = axis(2001, 1550.0, kStep);
    auto v = peaks(2001, -40.0, {{1000, -5.0, 0.8}});
    v[2] = 1.0F;
    ChannelAnalysis a = transmission(wl, v);
    ASSERT_EQ(a.channels.size(), 1U);
    EXPECT_NEAR(a.channels[0].center, at(wl, 2), kNmTolerance);
    EXPECT_FLOAT_EQ(a.channels[0].peak, 1.0F);

    v[2] = -1.0F;  // 4 dB above the peak: the peak stays a candidate
    a = transmission(wl, v);
    ASSERT_EQ(a.channels.size(), 2U);
    EXPECT_NEAR(a.channels[1].center, at(wl, 1000), kNmTolerance);
}

TEST(ReflectionAnalysis, NoEdgeNoChannel)
{
    const int m = 3000;
    const auto wl = axis(6001, 1550.0, kStep);
    auto noRise = dipSpectrum(6001, m);
    for (int i = m + 3; i <= 6000; ++i) noRise[static_cast<std::size_t>(i)] = -10.0F;  // never back to -4
    const ChannelAnalysis a = reflection(wl, noRise);
    EXPECT_TRUE(a.channels.empty());
    EXPECT_EQ(a.update, ResultsUpdate::Cleared);

    // The left crossing falling on point 0 counts as no edge.
    auto atStart = std::vector<float>(201, -10.0F);
    atStart[0] = -1.0F;
    atStart[100] = -21.0F;
    for (int i = 150; i <= 200; ++i) atStart[static_cast<std::size_t>(i)] = -1.0F;
    EXPECT_TRUE(reflection(axis(201, 1550.0, kStep), atStart).channels.empty());
}

TEST(ChannelAnalysisGuards, UnanalysableInputsGiveNoChannelAndNoFault)
{
    const auto wl = axis(100, 1550.0, kStep);
    const auto v = peaks(100, -40.0, {{50, -5.0, 0.8}});
    EXPECT_TRUE(analyseChannels(wl, v, 99, 1, 3.0).channels.empty()) << "fewer than 101 points";
    EXPECT_TRUE(analyseChannels(wl, v, 99, 0, 3.0).channels.empty());
    EXPECT_TRUE(analyseChannels({}, {}, -1, 1, 3.0).channels.empty());
    EXPECT_TRUE(analyseChannels(wl, v, 5000, 1, 3.0).channels.empty()) << "last index beyond the arrays";
    EXPECT_EQ(analyseChannels(wl, v, 99, 1, 3.0).update, ResultsUpdate::Keep);

    const auto wl2 = axis(2001, 1550.0, kStep);
    const auto v2 = peaks(2001, -40.0, {{1000, -5.0, 0.8}});
    EXPECT_EQ(analyseChannels(wl2, v2, 2000, 7, 3.0).kind, ChannelKind::None);
    EXPECT_TRUE(analyseChannels(wl2, v2, 2000, 1, std::nan("")).channels.empty());
    EXPECT_TRUE(analyseChannels(wl2, v2, 2000, 1, -5.0).channels.empty()) << "N below 0: no crossing";
    EXPECT_TRUE(analyseChannels(wl2, dipSpectrum(2001, 1000), 2000, 0, -5.0).channels.empty());
}

TEST(ChannelAnalysisGuards, ALevelOfZeroMeasuresAFlatTopAtItsOwnEnds)
{
    // Flat top -5 over points 997..1003, sides 1 dB per point: N = 0 puts the edges on the
    // last flat points.
    const auto wl = axis(2001, 1550.0, kStep);
    std::vector<float> v = peaks(2001, -40.0, {{997, -5.0, 1.0}, {1003, -5.0, 1.0}});
    for (int i = 997; i <= 1003; ++i) v[static_cast<std::size_t>(i)] = -5.0F;
    const ChannelAnalysis a = transmission(wl, v, 0.0);
    ASSERT_EQ(a.channels.size(), 1U);
    EXPECT_NEAR(a.channels[0].center, at(wl, 1000), kNmTolerance);
    EXPECT_NEAR(a.channels[0].bandwidth, at(wl, 1003) - at(wl, 997), 1e-6);
}

TEST(ChannelAnalysisGuards, AZeroStepGivesFiniteResults)
{
    // Every wavelength equal: the reflection window spans the whole spectrum and the edges
    // cannot move off their points.
    const std::vector<float> wl(2001, 1550.0F);
    const ChannelAnalysis r = reflection(wl, dipSpectrum(2001, 1000));
    ASSERT_EQ(r.channels.size(), 1U);
    EXPECT_FLOAT_EQ(r.channels[0].center, 1550.0F);
    EXPECT_FLOAT_EQ(r.channels[0].bandwidth, 0.0F);
    const ChannelAnalysis t = transmission(wl, peaks(2001, -40.0, {{1000, -5.0, 0.8}}));
    ASSERT_EQ(t.channels.size(), 1U);
    EXPECT_FLOAT_EQ(t.channels[0].center, 1550.0F);
}

TEST(ChannelResultsStore, RowsStartAtOneAndEachKindTreatsEarlierRowsItsOwnWay)
{
    SharedState s;
    s.ChannelResults = {{0, 0, 0}, {1550.0F, 0.4F, -5.0F}, {1551.0F, 0.4F, -6.0F}};
    s.ChannelCount = 2;

    ChannelAnalysis keep;
    keep.update = ResultsUpdate::Keep;
    storeChannelResults(s, keep);
    EXPECT_EQ(s.ChannelCount, 0);
    EXPECT_FLOAT_EQ(s.ChannelResults.at(1)[0], 1550.0F) << "a transmission without peaks leaves the rows";

    ChannelAnalysis replaced;
    replaced.update = ResultsUpdate::Replaced;
    replaced.channels = {{1552.0F, 0.3F, -4.0F}};
    storeChannelResults(s, replaced);
    EXPECT_EQ(s.ChannelCount, 1);
    ASSERT_EQ(s.ChannelResults.size(), 2U);
    EXPECT_FLOAT_EQ(s.ChannelResults[1][0], 1552.0F);
    EXPECT_FLOAT_EQ(s.ChannelResults[1][1], 0.3F);
    EXPECT_FLOAT_EQ(s.ChannelResults[1][2], -4.0F);

    s.ChannelResults = {{0, 0, 0}, {1550.0F, 0.4F, -5.0F}, {1551.0F, 0.4F, -6.0F}};
    ChannelAnalysis cleared;
    cleared.update = ResultsUpdate::Cleared;
    storeChannelResults(s, cleared);
    EXPECT_EQ(s.ChannelCount, 0);
    ASSERT_EQ(s.ChannelResults.size(), 3U);
    for (const auto& row : s.ChannelResults)
        for (float x : row) EXPECT_EQ(x, 0.0F) << "a reflection without a dip leaves zeros";
}

TEST(AnalyseChannelsStep, ReadsTheSharedSpectrumAndLevelAndNamesTheChannelKind)
{
    FakeBench b;
    Module1.Language = 1;
    Module1.ScanWL = axis(2001, 1550.0, kStep);
    Module1.ScanValue = peaks(2001, -35.0, {{1000, -5.0, 0.8}});
    Module1.LastPointIndex = 2000;
    Module1.ChannelSelect = 1;
    b->form1().Text8->setText(QStringLiteral("-20"));

    AnalyseChannels(*b.bench);
    EXPECT_EQ(b->info().text(), QStringLiteral(" Transmission channel"));
    ASSERT_EQ(Module1.ChannelCount, 1);
    ASSERT_EQ(Module1.ChannelResults.size(), 2U);
    EXPECT_NEAR(Module1.ChannelResults[1][1], 0.2, 1e-4);  // edges at -25 dBm, 25 points each side

    Module1.ChannelSelect = 0;
    Module1.Language = 2;
    Module1.ScanValue = dipSpectrum(2001, 1000);
    b->form1().Text8->setText(QStringLiteral("-3.0"));
    AnalyseChannels(*b.bench);
    EXPECT_EQ(b->info().text(), QStringLiteral(" Reflection channel"));
    EXPECT_EQ(Module1.ChannelCount, 1);
    EXPECT_FLOAT_EQ(Module1.ChannelResults[1][2], -1.0F);
}

TEST(AnalyseChannelsStep, OnePeakReachesTheResultsTable)
{
    FakeBench b;
    Module1.Language = 1;
    Module1.ScanWL = axis(2001, 1550.0, kStep);  // point 1000 at 1554.000 nm
    Module1.ScanValue = peaks(2001, -40.0, {{1000, -5.0, 0.8}});
    Module1.LastPointIndex = 2000;
    Module1.ChannelSelect = 1;
    b->form1().CheckVXMScanMode->setChecked(true);

    AnalyseChannels(*b.bench);
    FillResultsTable(*b.bench);
    const QTableWidget* grid = b->form2().MSFlexGrid1;
    ASSERT_NE(grid->item(2, 0), nullptr);
    EXPECT_EQ(grid->item(2, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(grid->item(2, 1)->text(), QStringLiteral("1554.000"));
    EXPECT_EQ(grid->item(2, 2)->text(), QStringLiteral("192.917"));  // 299792.458 / 1554 = 192.91664
    EXPECT_EQ(grid->item(2, 3)->text(), QStringLiteral("0.030"));
    EXPECT_EQ(grid->item(2, 4)->text(), QStringLiteral("-5.000"));
    EXPECT_EQ(grid->item(3, 0), nullptr);
}
