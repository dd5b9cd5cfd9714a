// Mask templates: refused with line and reason, and the margin on small traces worked by hand.

#include "verdict/mask.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>
#include <vector>

using namespace verdict;

namespace {

std::variant<MaskTemplate, LimitsError> parseIn(const QByteArray& text)
{
    return parseMask(QJsonDocument::fromJson(text).object().value(QLatin1String("mask")), text,
                     {QStringLiteral("mask")});
}

TEST(MaskTemplate, RefusedWithTheLineAndTheReason)
{
    const struct { const char *name, *json; int line; LimitsProblem problem; const char* detail; } cases[] = {
        {"not an object", "{\"part\": 1,\n \"mask\": [1]}", 2, LimitsProblem::NotAnObject, "mask"},
        {"no reference", "{\n \"mask\": {\"all\": {}}}", 2, LimitsProblem::BadMaskReference, ""},
        {"unknown reference", "{\"mask\": {\n \"reference\": \"centre\"}}", 2, LimitsProblem::BadMaskReference, "centre"},
        {"unknown key", "{\"mask\": {\"reference\": \"grid\",\n \"al\": {}}}", 2, LimitsProblem::UnknownKey, "al"},
        {"one point", "{\"mask\": {\"reference\": \"grid\", \"all\": {\n \"upper\": [[0, 1]]}}}", 2,
         LimitsProblem::BadMaskLine, "upper"},
        {"a point of three numbers", "{\"mask\": {\"reference\": \"grid\", \"all\": {\n\n \"lower\": [[0, 1], [1, 2, 3]]}}}",
         3, LimitsProblem::BadMaskLine, "lower"},
        {"a point as text", "{\"mask\": {\"reference\": \"grid\", \"all\": {\"lower\": [[0, 1], [1, \"2\"]]}}}", 1,
         LimitsProblem::BadMaskLine, "lower"},
        {"nm falling", "{\"mask\": {\"reference\": \"absolute\",\n \"per_channel\": {\"2\": {\n \"lower\": [[1, 0], [0.5, 0]]}}}}",
         3, LimitsProblem::BadMaskLine, "lower"},
        {"unknown line", "{\"mask\": {\"reference\": \"grid\", \"all\": {\n \"middle\": [[0, 1], [1, 1]]}}}", 2,
         LimitsProblem::UnknownKey, "middle"},
        {"channel zero", "{\"mask\": {\"reference\": \"grid\", \"per_channel\": {\n \"0\": {}}}}", 2,
         LimitsProblem::BadChannel, "0"},
        {"channel not an object", "{\"mask\": {\"reference\": \"grid\",\n \"per_channel\": {\"1\": 5}}}", 2,
         LimitsProblem::NotAnObject, "1"},
        {"channels not an object", "{\"mask\": {\"reference\": \"grid\",\n \"per_channel\": 5}}", 2,
         LimitsProblem::NotAnObject, "per_channel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = parseIn(QByteArray(c.json));
        const auto* e = std::get_if<LimitsError>(&parsed);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->line, c.line);
        EXPECT_EQ(e->problem, c.problem);
        EXPECT_EQ(e->detail, QString::fromLatin1(c.detail));
    }
}

TEST(MaskTemplate, ChannelLinesReplaceTheCommonOnesOneByOne)
{
    const auto parsed = parseIn(R"({"mask": {"reference": "absolute", "comment": "any",
        "all": {"upper": [[-1, 0.5], [1, 0.5]], "lower": [[-1, -2], [0, -2], [0, -1], [1, -1]]},
        "per_channel": {"3": {"lower": [[-0.5, -1.5], [0.5, -1.5]]}}}})");
    const MaskTemplate* m = std::get_if<MaskTemplate>(&parsed);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->reference, MaskReference::Absolute);
    EXPECT_EQ(m->all.lower.size(), 4U) << "two points at one nm: a step";
    const ChannelMask third = m->maskFor(3);
    EXPECT_EQ(third.upper.size(), 2U) << "the common upper line stays";
    ASSERT_EQ(third.lower.size(), 2U);
    EXPECT_EQ(third.lower[0].db, -1.5);
    EXPECT_EQ(m->maskFor(1).lower.size(), 4U);
    ASSERT_TRUE(std::holds_alternative<MaskTemplate>(parseIn(R"({"mask": {"reference": "grid"}})")));
}

// Points at 1000, 1001, ... 1010 nm (exact in single precision).
struct MaskTrace {
    std::vector<float> wl;
    std::vector<float> v;
};
MaskTrace trace(std::vector<float> values)
{
    MaskTrace t{{}, std::move(values)};
    for (std::size_t i = 0; i < t.v.size(); ++i) t.wl.push_back(1000.0F + static_cast<float>(i));
    return t;
}
const MaskTrace kHill = trace({-10, -5, -2, -1, -0.5, -0.5, -0.5, -1, -2, -5, -10});

MaskResult marginOf(const MaskTrace& t, const MaskLine& upper, const MaskLine& lower, double offsetNm = 0.0,
                    int last = 10)
{
    return maskMargin(t.wl, t.v, last, {upper, lower}, offsetNm);
}

TEST(MaskMargin, WorstDistanceToTheLinesWhereTheyAreDefined)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        MaskLine upper, lower;
        double margin, atNm;
        std::vector<int> violations;
    } cases[] = {
        // Upper 0 dB over 1002..1008: least -y = 0.5 from 1004; lower -1.5 over 1003..1007: y + 1.5 =
        // 0.5 at 1003 and 1007. The tie goes to the shorter wavelength.
        {"inside both", {{1002, 0}, {1008, 0}}, {{1003, -1.5}, {1007, -1.5}}, 0.5, 1003, {}},
        {"crossing the lower line", {}, {{1002, -1.5}, {1008, -1.5}}, -0.5, 1002, {2, 8}},
        // 4 dB/nm from -9 dB at 1000.5: -7 at 1001 (y -5: -2), -3 at 1002 (y -2: -1).
        {"interpolated between points", {{1000.5, -9}, {1002.5, -1}}, {}, -2.0, 1001, {1, 2}},
        // -0.75 over 1003..1005 only: 1006 (-0.5 dB) lies past the line's end and does not cross it.
        {"only between the ends", {{1003, -0.75}, {1005, -0.75}}, {}, -0.25, 1004, {4, 5}},
        // -1 up to 1004, then 0: at 1004 both segments count, the lower one (-0.5) wins.
        {"a step counts both sides", {{1002, -1}, {1004, -1}, {1004, 0}, {1006, 0}}, {}, -0.5, 1004, {4}},
        {"upper and lower violations merge in order", {{1003, -0.75}, {1005, -0.75}}, {{1001, -4}, {1002, -4}}, -1.0,
         1001, {1, 4, 5}},
        {"no point under the lines", {{1020, 0}, {1030, 0}}, {{990, -3}, {999, -3}}, nan, nan, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MaskResult r = marginOf(kHill, c.upper, c.lower);
        if (std::isnan(c.margin)) {
            EXPECT_TRUE(std::isnan(r.marginDb) && std::isnan(r.wavelengthNm));
        } else {
            EXPECT_DOUBLE_EQ(r.marginDb, c.margin);
            EXPECT_DOUBLE_EQ(r.wavelengthNm, c.atNm);
        }
        EXPECT_EQ(r.violations, c.violations);
    }
}

TEST(MaskMargin, ShiftedByTheOffsetAndCutAtTheLastPoint)
{
    // The same lines relative to 1005 nm give the same result as absolute ones.
    const MaskResult shifted = marginOf(kHill, {{-3, 0}, {3, 0}}, {{-2, -1.5}, {2, -1.5}}, 1005.0);
    EXPECT_DOUBLE_EQ(shifted.marginDb, 0.5);
    EXPECT_DOUBLE_EQ(shifted.wavelengthNm, 1003.0);
    // Points past the last index are not part of the trace.
    const MaskTrace spike = trace({-1, -1, -1, -1, -1, 5});
    EXPECT_DOUBLE_EQ(marginOf(spike, {{1000, 0}, {1005, 0}}, {}, 0.0, 4).marginDb, 1.0);
    EXPECT_DOUBLE_EQ(marginOf(spike, {{1000, 0}, {1005, 0}}, {}, 0.0, 5).marginDb, -5.0);
}

TEST(MaskMargin, EachChannelOnItsGridChannelAndNumber)
{
    // Two channels' figures: one on the 1291 nm CWDM channel, one with no grid channel.
    std::vector<float> wl, v;
    for (int i = 0; i <= 12; ++i) {
        wl.push_back(1285.0F + static_cast<float>(i));
        v.push_back(i == 6 ? -1.0F : -3.0F);  // -1 dB at 1291, -3 dB around it
    }
    std::vector<ChannelFigures> figures(2);
    figures[0].grid = nearestGridChannel(Plan::Cwdm, 1291.0);
    MaskTemplate grid;
    grid.all.upper = {{-2, 0}, {2, 0}};
    grid.perChannel[2].upper = {{-1, -2}, {1, -2}};
    // Numbered from 1: channel 1 under the common line (least 1 dB, at 1291).
    std::vector<MaskResult> r = measureMask(wl, v, 12, grid, figures);
    ASSERT_EQ(r.size(), 2U);
    EXPECT_DOUBLE_EQ(figures[0][Figure::MaskMargin], 1.0);
    EXPECT_DOUBLE_EQ(figures[0].maskWavelengthNm, 1291.0);
    EXPECT_TRUE(std::isnan(figures[1][Figure::MaskMargin])) << "no grid channel: cannot be judged";
    EXPECT_TRUE(r[1].violations.empty());
    // Numbered from 2 (a port's trace): channel 2's own line, crossed at 1291.
    r = measureMask(wl, v, 12, grid, figures, 2);
    EXPECT_DOUBLE_EQ(figures[0][Figure::MaskMargin], -1.0);
    EXPECT_EQ(r[0].violations, std::vector<int>{6});
    // Absolute lines judge a channel without a grid channel too, the second by its own line.
    grid.reference = MaskReference::Absolute;
    grid.all.upper = {{1290, -0.5}, {1292, -0.5}};
    grid.perChannel[2].upper = {{1290, -2}, {1292, -2}};
    measureMask(wl, v, 12, grid, figures);
    EXPECT_DOUBLE_EQ(figures[0][Figure::MaskMargin], 0.5);
    EXPECT_DOUBLE_EQ(figures[1][Figure::MaskMargin], -1.0);
    EXPECT_DOUBLE_EQ(figures[1].maskWavelengthNm, 1291.0);
}

}  // namespace
