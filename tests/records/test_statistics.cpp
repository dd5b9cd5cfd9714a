// The line's statistics on small golden sets worked out by hand, from summaries to the Pareto.
#include "records/capability.h"
#include "records/control_chart.h"
#include "records/line_yield.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

using namespace stats;

namespace {

using Opt = std::optional<double>;
constexpr auto none = std::nullopt;

void expectNear(const Opt& actual, const Opt& expected, const char* what, double tolerance = 1e-6)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(actual.has_value(), expected.has_value());
    if (!expected) return;
    EXPECT_NEAR(*actual, *expected, tolerance);
}

void expectInterval(const std::optional<Interval>& actual, const std::optional<Interval>& expected, const char* what)
{
    expectNear(actual ? Opt(actual->low) : none, expected ? Opt(expected->low) : none, what);
    expectNear(actual ? Opt(actual->high) : none, expected ? Opt(expected->high) : none, what);
}

Summary summaryOf(const std::vector<double>& values) { return describe(summarize(values)); }

// The set most cases below share, in time order:
//   10 12 11 13 9 11: n 6, Σ 66, mean 11, min 9, max 13;
//   deviations -1 1 0 2 -2 0, squares 1 1 0 4 4 0 = 10, overall σ = √(10/5) = √2 = 1.414214;
//   moving ranges 2 1 2 4 2 = 11 over 5, MR̄ 2.2, within σ = 2.2/1.128 = 1.950355.
const std::vector<double> kSix{10, 12, 11, 13, 9, 11};

TEST(Statistics, SummaryOfGoldenSetsFromTheSumsTheStoreGives)
{
    // Shift = the first value, 10: x - 10 = 0 2 1 3 -1 1, Σ 6, Σ² 0+4+1+9+1+1 = 16.
    const Aggregates a = summarize(kSix);
    EXPECT_EQ(std::tie(a.count, a.shift, a.sum, a.sumSquares, a.minimum, a.maximum, a.movingRangeSum, a.movingRangeCount),
              std::make_tuple(6, 10.0, 6.0, 16.0, 9.0, 13.0, 11.0, 5));
    const Aggregates empty = summarize({});
    EXPECT_EQ(std::tie(empty.count, empty.movingRangeCount), std::make_tuple(0, 0));
    // 10 12 | 11 13 9 11: the second run shifted by 11, joined with the moving range 12 → 11.
    Aggregates joined = summarize(std::span(kSix).first(2));
    append(joined, summarize(std::span(kSix).last(4)));
    append(joined, empty);
    EXPECT_EQ(std::tie(joined.count, joined.shift, joined.sum, joined.sumSquares, joined.minimum, joined.maximum,
                       joined.movingRangeSum, joined.movingRangeCount, joined.last),
              std::make_tuple(6, 10.0, 6.0, 16.0, 9.0, 13.0, 11.0, 5, 11.0));

    const struct { const char* name; std::vector<double> values; Opt mean, minimum, maximum, overall, within; } cases[] = {
        {"six values (above)", kSix, 11.0, 9.0, 13.0, std::sqrt(2.0), 2.2 / 1.128},
        // 1 4: mean 2.5, deviations ±1.5, squares 4.5 over 1, σ 2.121320; one moving range 3,
        // within σ 3/1.128 = 2.659574.
        {"two values", {1, 4}, 2.5, 1.0, 4.0, 2.121320, 2.659574},
        {"two values falling", {4, 1}, 2.5, 1.0, 4.0, 2.121320, 2.659574},
        {"one value", {7}, 7.0, 7.0, 7.0, none, none},
        {"no value", {}, none, none, none, none, none},
        // 5 5 5: every deviation and moving range 0.
        {"no spread", {5, 5, 5}, 5.0, 5.0, 5.0, 0.0, 0.0},
        // -3 -1 -2: mean -2, squares 1 1 0 over 2, σ 1; moving ranges 2 1, MR̄ 1.5, within σ 1.329787.
        {"negative values", {-3, -1, -2}, -2.0, -3.0, -1.0, 1.0, 1.329787},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Summary s = summaryOf(c.values);
        EXPECT_EQ(s.count, static_cast<std::int64_t>(c.values.size()));
        const Opt got[] = {s.mean, s.minimum, s.maximum, s.overallSigma, s.withinSigma};
        const Opt want[] = {c.mean, c.minimum, c.maximum, c.overall, c.within};
        const char* names[] = {"mean", "minimum", "maximum", "overall sigma", "within sigma"};
        for (int i = 0; i < 5; ++i) expectNear(got[i], want[i], names[i]);
    }
}

TEST(Statistics, PicometreSpreadAt1271NmKeepsItsDigits)
{
    // n 1000, mean 1271.005; deviations -2 -1 0 3 pm: Σ² 3500 pm², overall σ √(3500/999) pm.
    // Moving ranges 1 1 3 pm in a block, 5 pm between: 2495 pm over 999, / 1.128 the within σ.
    // Σx² − n·mean² of the raw values would lose about four of these digits.
    std::vector<double> values;
    for (int block = 0; block < 250; ++block)
        for (double v : {1271.003, 1271.004, 1271.005, 1271.008}) values.push_back(v);
    const double overall = 1e-3 * std::sqrt(3500.0 / 999.0);
    const double within = 1e-3 * 2495.0 / 999.0 / 1.128;

    const auto expectDigitsKept = [&](const Aggregates& a) {
        const Summary s = describe(a);
        EXPECT_NEAR(*s.mean, 1271.005, 1e-9);
        EXPECT_NEAR(*s.overallSigma / overall, 1.0, 1e-9);
        EXPECT_NEAR(*s.withinSigma / within, 1.0, 1e-9);
    };
    expectDigitsKept(summarize(values));  // shifted by the first value, also the smallest
    // The store may take another value of the set as its shift: the largest, the mean.
    for (double shift : {1271.008, 1271.005}) {
        SCOPED_TRACE(shift);
        Aggregates a = summarize(values);
        a.shift = shift;
        a.sum = 0.0;
        a.sumSquares = 0.0;
        for (double v : values) {
            a.sum += v - shift;
            a.sumSquares += (v - shift) * (v - shift);
        }
        expectDigitsKept(a);
    }
}

TEST(Statistics, CapabilityAgainstLimits)
{
    // The six values: mean 11, within σ 1.950355 (3σw = 5.851064, 6σw = 11.702128), overall σ
    // √2 (3σ = 4.242641, 6σ = 8.485281). Intervals for n 6: Bissell's half width
    // 1.96·√(1/54 + Cpk²/10); Cp·√(χ²(0.025, 5)/5) .. Cp·√(χ²(0.975, 5)/5) with
    // χ²(0.025, 5) = 0.831212 and χ²(0.975, 5) = 12.832502.
    const Summary six = summaryOf(kSix);
    const struct {
        const char* name;
        SpecLimits limits;
        Opt cp, cpu, cpl, cpk, pp, ppu, ppl, ppk;
        std::optional<Interval> cpInterval, cpkInterval;
    } cases[] = {
        // 5..20: Cp 15/11.702128 = 1.281818, Cpu 9/5.851064 = 1.538182, Cpl 6/5.851064 =
        // 1.025455 = Cpk; Pp 15/8.485281 = 1.767767, Ppu 9/4.242641 = 2.121320, Ppl 6/4.242641 =
        // 1.414214 = Ppk. Cpk ± 1.96·√(0.018519 + 0.105156) = ± 0.689280; Cp·√0.166242 = 0.522633,
        // Cp·√2.566500 = 2.053511.
        {"both limits", {5.0, 20.0}, 1.281818, 1.538182, 1.025455, 1.025455, 1.767767, 2.121320, 1.414214,
         1.414214, Interval{0.522633, 2.053511}, Interval{0.336175, 1.714735}},
        // Upper only: Cpu 1.538182 is the Cpk, ± 1.96·√(0.018519 + 0.236600) = ± 0.989982.
        {"upper only", {none, 20.0}, none, 1.538182, none, 1.538182, none, 2.121320, none, 2.121320, none,
         Interval{0.548200, 2.528164}},
        // Lower only: Cpl 1.025455 is the Cpk, its interval as with both limits.
        {"lower only", {5.0, none}, none, none, 1.025455, 1.025455, none, none, 1.414214, 1.414214, none,
         Interval{0.336175, 1.714735}},
        // 12..20, the mean below the lower limit: Cp 8/11.702128 = 0.683636, Cpl -1/5.851064 =
        // -0.170909 = Cpk; Pp 8/8.485281 = 0.942809, Ppl -1/4.242641 = -0.235702. Cpk ±
        // 1.96·√(0.018519 + 0.002921) = ± 0.286988; Cp·0.407728 = 0.278738, Cp·1.602030 = 1.095206.
        {"mean outside", {12.0, 20.0}, 0.683636, 1.538182, -0.170909, -0.170909, 0.942809, 2.121320,
         -0.235702, -0.235702, Interval{0.278738, 1.095206}, Interval{-0.457897, 0.116079}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto cap = capability(six, c.limits);
        ASSERT_TRUE(cap.has_value());
        const Opt got[] = {cap->cp, cap->cpu, cap->cpl, cap->cpk, cap->pp, cap->ppu, cap->ppl, cap->ppk};
        const Opt want[] = {c.cp, c.cpu, c.cpl, c.cpk, c.pp, c.ppu, c.ppl, c.ppk};
        const char* names[] = {"Cp", "Cpu", "Cpl", "Cpk", "Pp", "Ppu", "Ppl", "Ppk"};
        for (int i = 0; i < 8; ++i) expectNear(got[i], want[i], names[i]);
        expectInterval(cap->cpInterval, c.cpInterval, "Cp interval");
        expectInterval(cap->cpkInterval, c.cpkInterval, "Cpk interval");
        EXPECT_TRUE(cap->provisional);
    }
}

TEST(Statistics, CapabilityOfALargeSetAndItsBoundaries)
{
    // n 100, mean 0, both σ 0.5, limits ±3: Cp = 6/3 = 2 = Cpk. Cpk ± 1.96·√(1/900 + 4/198)
    // = ± 0.286141; Cp·√(73.361080/99) = 1.721652, Cp·√(128.421989/99) = 2.277887.
    Summary large{100, 0.0, -1.0, 1.0, 0.5, 0.5};
    const auto cap = capability(large, {-3.0, 3.0});
    ASSERT_TRUE(cap);
    EXPECT_EQ(std::tie(*cap->cp, *cap->cpk, *cap->ppk), std::make_tuple(2.0, 2.0, 2.0));
    expectInterval(cap->cpkInterval, Interval{1.713859, 2.286141}, "Cpk interval");
    expectInterval(cap->cpInterval, Interval{1.721652, 2.277887}, "Cp interval");
    EXPECT_FALSE(cap->provisional);

    large.count = 29;
    EXPECT_TRUE(capability(large, {-3.0, 3.0})->provisional);
    large.count = 30;
    EXPECT_FALSE(capability(large, {-3.0, 3.0})->provisional);

    EXPECT_FALSE(capability(large, {}).has_value());

    for (const auto& values : {std::vector<double>{7.0}, std::vector<double>{}, std::vector<double>{5, 5, 5}}) {
        SCOPED_TRACE(values.size());
        const auto c = capability(summaryOf(values), {0.0, 10.0});
        ASSERT_TRUE(c);
        for (const Opt& index : {c->cp, c->cpu, c->cpl, c->cpk, c->pp, c->ppu, c->ppl, c->ppk})
            EXPECT_FALSE(index.has_value());
        EXPECT_TRUE(!c->cpInterval && !c->cpkInterval && c->provisional);
    }

    // A σ of 0 of one kind leaves only that kind's indices out.
    const Summary withinOnly{10, 5.0, 4.0, 6.0, 0.0, 1.0};
    const auto c = capability(withinOnly, {2.0, 8.0});
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(*c->cpk, 1.0);
    EXPECT_TRUE(!c->ppk && !c->pp);
}

TEST(Statistics, ChiSquareQuantileMatchesTheTables)
{
    const struct { double freedom, p, quantile; } table[] = {
        {1, 0.025, 0.000982069117}, {1, 0.975, 5.02388619}, {2, 0.025, 0.0506356160}, {2, 0.975, 7.37775891},
        {4, 0.025, 0.484418557}, {4, 0.975, 11.1432868}, {5, 0.025, 0.831211613}, {5, 0.975, 12.8325020},
        {9, 0.025, 2.70038950}, {9, 0.975, 19.0227678}, {29, 0.025, 16.0470717}, {29, 0.975, 45.7222858},
        {99, 0.025, 73.3610802}, {99, 0.975, 128.421989}, {9999, 0.025, 9723.73224}, {9999, 0.975, 10278.0563},
        {99999, 0.025, 99124.3777}, {99999, 0.975, 100877.411},
    };
    for (const auto& t : table) {
        SCOPED_TRACE(testing::Message() << "nu " << t.freedom << " p " << t.p);
        EXPECT_NEAR(chiSquareQuantile(t.p, t.freedom) / t.quantile, 1.0, 1e-8);
    }
    // Two degrees of freedom in closed form: x = -2·ln(1 - p).
    for (double p : {0.025, 0.5, 0.975})
        EXPECT_NEAR(chiSquareQuantile(p, 2.0), -2.0 * std::log(1.0 - p), 1e-10 * -std::log(1.0 - p));
}

constexpr RuleMarks R1 = OneBeyondThree;
constexpr RuleMarks R2 = TwoOfThreeBeyondTwo;
constexpr RuleMarks R3 = FourOfFiveBeyondOne;
constexpr RuleMarks R4 = EightOnOneSide;

TEST(Statistics, WesternElectricRulesOnGoldenSeries)
{
    // Centre 0, σ 1: a value is its distance from the centre in σ.
    const struct { const char* name; std::vector<double> values; std::vector<RuleMarks> marks; } cases[] = {
        // 3 and -3 lie on the 3σ lines, inside; 3.5 and -10 are beyond. No two beyond 2σ on one
        // side within three points: 3 (#0) and 3.5 (#3) are four apart.
        {"rule 1", {3.0, -3.0, 0.0, 3.5, 0.0, -10.0}, {0, 0, 0, R1, 0, R1}},
        // Beyond 2σ: #0 +, #2 + (two of #0..#2: marked), #3 -, #4 exactly 2 (inside), #5 + (#3..#5
        // holds one), #7 -, #8 - (two of #6..#8: marked). 1.0 (#6) is on the 1σ line. Beyond 1σ on
        // one side never reaches four of five; the sides change too often for a run.
        {"rule 2", {2.5, 0.0, 2.1, -2.5, 2.0, 2.2, 1.0, -2.1, -2.1}, {0, 0, R2, 0, 0, 0, 0, 0, R2}},
        // Beyond 2σ on opposite sides do not add up (#0 #1, #3 #4); two above with one below
        // between them do (#3 #5).
        {"rule 2 sides", {2.5, -2.5, -0.5, 2.5, -2.5, 2.5}, {0, 0, 0, 0, 0, R2}},
        // Beyond 1σ: #0 #1 #3 #4, #6 #7; #2 is below the centre, #5 exactly on the 1σ line.
        // #0..#4 holds four: #4 marked. #2..#6 holds three. #3..#7 holds four: #7 marked.
        // The longest run on one side is #3..#7, five.
        {"rule 3", {1.5, 1.2, -0.5, 1.1, 1.9, 1.0, 1.3, 1.01}, {0, 0, 0, 0, R3, 0, 0, R3}},
        // Seven above, one exactly on the centre (ends the run), then nine above: the eighth
        // and the ninth of those complete a run of eight.
        {"rule 4", {0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.0, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, R4, R4}},
        // A run of seven, a point below, a run of seven: never eight.
        {"rule 4 runs of seven", {.1, .1, .1, .1, .1, .1, .1, -.1, .1, .1, .1, .1, .1, .1, .1},
         std::vector<RuleMarks>(15, 0)},
        // At the start of the series the windows are shorter: #0 #1 beyond 2σ mark #1; #0..#3
        // beyond 1σ mark #3 (#2 is not beyond 2σ, so does not repeat rule 2).
        {"series start", {2.5, 2.5, 1.5, 1.5}, {0, R2, 0, R3}},
        // Four small values, then 1.5 1.5 2.5 3.5: #7 is beyond 3σ, the second beyond 2σ in
        // #5..#7, the fourth beyond 1σ in #3..#7, and the eighth above the centre.
        {"all four at one point", {0.2, 0.2, 0.2, 0.2, 1.5, 1.5, 2.5, 3.5}, {0, 0, 0, 0, 0, 0, 0, R1 | R2 | R3 | R4}},
        {"empty", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ruleMarks(c.values, {0.0, 1.0}), c.marks);
        // Mirrored about the centre, the same points break the same rules; centred on 10 with σ 0.5,
        // every zone line stays exact.
        std::vector<double> mirrored, scaled;
        for (double v : c.values) {
            mirrored.push_back(-v);
            scaled.push_back(10.0 + 0.5 * v);
        }
        EXPECT_EQ(ruleMarks(mirrored, {0.0, 1.0}), c.marks);
        EXPECT_EQ(ruleMarks(scaled, {10.0, 0.5}), c.marks);
    }
}

TEST(Statistics, ControlLinesComeFromTheMeanAndTheWithinSigma)
{
    // Mean 1, moving ranges 9 over 9, σ 1/1.128 = 0.886525, 3σ 2.659574; the two 3s are beyond the 2σ
    // line 2.773050, #9 completes two of three. The 1s lie on the centre, so no run forms below it.
    const std::vector<double> values{0, 1, 0, 1, 0, 1, 0, 1, 3, 3};
    const auto lines = controlLines(summaryOf(values));
    ASSERT_TRUE(lines);
    EXPECT_DOUBLE_EQ(lines->centre, 1.0);
    EXPECT_NEAR(lines->sigma, 0.886525, 1e-6);
    EXPECT_NEAR(lines->lowerLimit(), 1.0 - 2.659574, 1e-6);
    EXPECT_NEAR(lines->upperLimit(), 1.0 + 2.659574, 1e-6);
    EXPECT_EQ(ruleMarks(values, *lines), (std::vector<RuleMarks>{0, 0, 0, 0, 0, 0, 0, 0, 0, R2}));

    EXPECT_FALSE(controlLines(summaryOf({4.0})).has_value());
    EXPECT_EQ(ruleMarks(std::vector<double>(9, 5.0), *controlLines(summaryOf({5, 5}))), std::vector<RuleMarks>(9, 0));
}

TEST(Statistics, HistogramFitsTheDataAndTheLimitsInRootOfNBinsClamped)
{
    // 1 2 2 3 3 3 4 4 5 9: n 10, ceil(√10) = 4, at least 5 bins. Each bin holds its lower edge.
    const std::vector<double> values{1, 2, 2, 3, 3, 3, 4, 4, 5, 9};
    const Summary s = summaryOf(values);
    const struct { const char* name; SpecLimits limits; double low, high; std::vector<std::int64_t> counts; } cases[] = {
        // 1..9, width 1.6: [1, 2.6) 1 2 2; [2.6, 4.2) 3 3 3 4 4; [4.2, 5.8) 5; [5.8, 7.4); [7.4, 9] 9.
        {"no limits", {}, 1.0, 9.0, {3, 5, 1, 0, 1}},
        // 0..10, width 2: [0, 2) 1; [2, 4) 2 2 3 3 3; [4, 6) 4 4 5; [6, 8); [8, 10] 9.
        {"limits outside the data", {0.0, 10.0}, 0.0, 10.0, {1, 5, 3, 0, 1}},
        // 1..11, width 2: [1, 3) 1 2 2; [3, 5) 3 3 3 4 4; [5, 7) 5; [7, 9); [9, 11] 9.
        {"upper limit only", {none, 11.0}, 1.0, 11.0, {3, 5, 1, 0, 1}},
        // -9..9, width 3.6: [-9, -5.4); [-5.4, -1.8); [-1.8, 1.8) 1; [1.8, 5.4) 2 2 3 3 3 4 4 5; [5.4, 9] 9.
        {"lower limit only", {-9.0, none}, -9.0, 9.0, {0, 0, 1, 8, 1}},
        {"limits inside the data", {2.0, 8.0}, 1.0, 9.0, {3, 5, 1, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto layout = histogramLayout(s, c.limits);
        ASSERT_TRUE(layout);
        EXPECT_EQ(std::tie(layout->low, layout->high, layout->bins), std::make_tuple(c.low, c.high, 5));
        EXPECT_DOUBLE_EQ(layout->edge(5), c.high);
        EXPECT_EQ(histogramCounts(*layout, values), c.counts);
    }

    // No spread: all at 4, bins 0.2 wide from 3.5 to 4.5, the value in the middle one.
    const auto flat = histogramLayout(summaryOf({4, 4, 4}), {4.0, none});
    ASSERT_TRUE(flat);
    EXPECT_EQ(std::tie(flat->low, flat->high), std::make_tuple(3.5, 4.5));
    EXPECT_EQ(histogramCounts(*flat, std::vector<double>{4, 4, 4}), (std::vector<std::int64_t>{0, 0, 3, 0, 0}));

    EXPECT_FALSE(histogramLayout(summaryOf({}), {0.0, 1.0}).has_value());

    const HistogramLayout unit{0.0, 10.0, 5};
    EXPECT_EQ(std::make_tuple(binOf(unit, 0.0), binOf(unit, 10.0), binOf(unit, 7.9)), std::make_tuple(0, 4, 3));
    for (double outside : {-1e-9, 10.000001, std::nan("")}) EXPECT_FALSE(binOf(unit, outside).has_value());
    EXPECT_EQ(histogramCounts(unit, std::vector<double>{-1, 5, 11}), (std::vector<std::int64_t>{0, 0, 1, 0, 0}));

    // ceil(√n) bins, 5 to 30.
    const struct { std::int64_t n; int bins; } table[] = {
        {1, 5}, {25, 5}, {26, 6}, {36, 6}, {37, 7}, {400, 20}, {900, 30}, {901, 30}, {100000, 30},
    };
    for (const auto& t : table) {
        SCOPED_TRACE(t.n);
        Summary s{t.n, 0.5, 0.0, 1.0, 0.1, 0.1};
        EXPECT_EQ(histogramLayout(s, {})->bins, t.bins);
    }
}

TEST(Statistics, YieldCountsDevicesByTheirFirstAndLastJudgedVerdicts)
{
    const struct { const char* text; Judgement judgement; } judgements[] = {
        {"PASS", Judgement::Pass}, {"MARGINAL", Judgement::Pass}, {"FAIL", Judgement::Fail},
        {"", Judgement::NotJudged}, {"-", Judgement::NotJudged}, {"pass", Judgement::NotJudged},
    };
    for (const auto& t : judgements) EXPECT_EQ(judgementOf(QString::fromLatin1(t.text)), t.judgement) << t.text;

    // C is never judged; the two records without an ID are a device each. Tested 8; first pass B D F
    // and the PASS without ID: 4, 0.5; final pass A D F G and the PASS without ID: 5, 0.625.
    const std::vector<JudgedRecord> records{
        {"A", "FAIL"}, {"B", "PASS"}, {"C", ""}, {"", "FAIL"}, {"G", "FAIL"}, {"A", "PASS"},
        {"D", "MARGINAL"}, {"E", ""}, {"B", "FAIL"}, {"F", "PASS"}, {"", "PASS"}, {"C", ""},
        {"E", "FAIL"}, {"G", "FAIL"}, {"F", "PASS"}, {"G", "PASS"},
    };
    const Yield y = yieldOf(records);
    EXPECT_EQ(std::tie(y.tested, y.passedFirst, y.passed, y.firstPassYield, y.finalYield),
              std::make_tuple(8, 4, 5, Opt(0.5), Opt(0.625)));
    const Yield one = yieldOf(std::vector<JudgedRecord>{{"A", "FAIL"}, {"A", "PASS"}});
    EXPECT_EQ(std::tie(one.tested, one.firstPassYield, one.finalYield), std::make_tuple(1, Opt(0.0), Opt(1.0)));
    const Yield none = yieldOf(std::vector<JudgedRecord>{{"A", ""}, {"", ""}});
    EXPECT_EQ(std::tie(none.tested, none.firstPassYield, none.finalYield), std::make_tuple(0, Opt(), Opt()));
}

TEST(Statistics, ParetoSortsFailuresWithCumulativePercent)
{
    // ripple/1 adds up to 5; isolation/3 (0) has no bar. Total 16; the three 5s by key, then channel.
    const std::vector<FailureCount> failures{
        {"ripple", 1, 3}, {"insertion_loss", 2, 5}, {"ripple", 1, 2},
        {"bandwidth", 4, 1}, {"insertion_loss", 1, 5}, {"isolation", 3, 0},
    };
    using Bar = std::tuple<QString, int, std::int64_t, double>;
    std::vector<Bar> bars;
    for (const ParetoBar& b : pareto(failures)) bars.emplace_back(b.figure, b.channel, b.count, b.cumulativePercent);
    EXPECT_EQ(bars, (std::vector<Bar>{{"insertion_loss", 1, 5, 31.25}, {"insertion_loss", 2, 5, 62.5}, {"ripple", 1, 5, 93.75},
                                      {"bandwidth", 4, 1, 100.0}}));
    EXPECT_TRUE(pareto({}).empty());
}

}  // namespace
