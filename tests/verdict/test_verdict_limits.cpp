// Limits files refused with line and reason, bounds per channel, the verdict at its limits and as saved.

#include "verdict/device_verdict.h"
#include "verdict/figures_output.h"
#include "verdict/json_lines.h"
#include "verdict/limits.h"
#include "../station/line_support.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace verdict;

namespace {

TEST(LimitsFile, RefusedWithTheLineAndTheReason)
{
    const struct { const char *name, *json; int line; LimitsProblem problem; const char* detail; } cases[] = {
        {"unterminated", "{\n  \"plan\": \"cwdm\",\n  \"all\": {\n", 4, LimitsProblem::NotJson, nullptr},
        {"missing comma", "{\n  \"plan\": \"cwdm\"\n  \"channels\": 4\n}", 3, LimitsProblem::NotJson, nullptr},
        {"an array", "[1, 2]", 1, LimitsProblem::NotAnObject, nullptr},
        {"unknown figure", "{\n \"all\": {\n  \"ripple\": {\"max\": 0.5},\n  \"colour\": {\"max\": 1}\n }\n}", 4,
         LimitsProblem::UnknownFigure, "colour"},
        {"min above max, under its channel", "{\n \"per_channel\": {\n  \"2\": {\n   \"ripple\": {\"min\": 2, \"max\": 1}}}}",
         4, LimitsProblem::MinAboveMax, "ripple"},
        {"unknown plan", "{\n\n \"plan\": \"cwdm8\"\n}", 3, LimitsProblem::UnknownPlan, "cwdm8"},
        {"bound as text", "{\"all\": {\n \"isolation\": {\n  \"min\": \"30\"}}}", 3, LimitsProblem::NotANumber, "min"},
        {"unknown bound", "{\"all\": {\"isolation\": {\"minimum\": 30}}}", 1, LimitsProblem::UnknownKey, "minimum"},
        {"unknown top key", "{\n \"limits\": {}\n}", 2, LimitsProblem::UnknownKey, "limits"},
        {"channel zero", "{\"per_channel\": {\n \"0\": {}}}", 2, LimitsProblem::BadChannel, "0"},
        {"fractional count", "{\n \"channels\": 2.5}", 2, LimitsProblem::BadChannel, "channels"},
        {"one level", "{\n\n \"levels_db\": [0.5]}", 3, LimitsProblem::BadLevels, nullptr},
        {"a level of 0", "{\n \"levels_db\": [0, 20]}", 2, LimitsProblem::BadLevels, nullptr},
        {"a level as text", "{\n \"levels_db\": [\"0.5\", 20]}", 2, LimitsProblem::BadLevels, nullptr},
        {"figure not an object", "{\"all\": {\n \"ripple\": 0.5}}", 2, LimitsProblem::NotAnObject, "ripple"},
        {"negative guard", "{\"all\": {\n \"ripple\": {\"max\": 1, \"guard\": -0.1}}}", 2, LimitsProblem::BadGuard,
         "ripple"},
        {"guard alone", "{\"all\": {\"ripple\": {\"guard\": 0.1}}}", 1, LimitsProblem::BadGuard, "ripple"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = parseLimits(QByteArray(c.json));
        const auto* e = std::get_if<LimitsError>(&parsed);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->line, c.line);
        EXPECT_EQ(e->problem, c.problem);
        if (c.detail) { EXPECT_EQ(e->detail, QString::fromLatin1(c.detail)); }  // nullptr: not checked
    }
}

TEST(JsonLines, AKeyIsFoundAmongItsParentsKeysOnly)
{
    const QByteArray text = "{\n"
                            " \"comment\": \"see \\\"reference\\\": below\",\n"
                            " \"mask\": {\"reference\": \"grid\"},\n"
                            " \"channels\": 4,\n"
                            " \"all\": {\n"
                            "  \"reference\": 1},\n"
                            " \"reference\" : {}\n"
                            "}";
    const std::pair<QStringList, int> cases[] = {
        {{"reference"}, 7},       {{"mask", "reference"}, 3},     {{"all", "reference"}, 6},
        {{"channels", "reference"}, 4}, {{"all", "missing"}, 5}, {{"missing"}, 1}, {{}, 1},
    };
    for (const auto& [path, line] : cases) EXPECT_EQ(lineOfKey(text, path), line) << path.join(u'/').toStdString();
}

TEST(LimitsFile, ChannelBoundsReplaceTheCommonOnes)
{
    const auto parsed = parseLimits(R"({"plan": "CWDM", "levels_db": [1, 25], "channels": 4,
        "all": {"insertion_loss": {"max": 1.5, "guard": 0.1}, "ripple": {"max": 0.5}},
        "per_channel": {"3": {"insertion_loss": {"min": 0.2}}}})");
    const Limits* l = std::get_if<Limits>(&parsed);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(std::tuple(l->plan, l->channelCount), std::tuple(Plan::Cwdm, std::optional<int>(4)));
    EXPECT_DOUBLE_EQ(l->levels->level2Db, 25.0);
    const FigureBounds third = l->boundsFor(3);
    EXPECT_EQ(third.at(Figure::InsertionLoss).min, 0.2);
    EXPECT_FALSE(third.at(Figure::InsertionLoss).max) << "the channel's own entry replaces the whole bound";
    EXPECT_EQ(third.at(Figure::Ripple).max, 0.5);
    const Bound first = l->boundsFor(1).at(Figure::InsertionLoss);
    EXPECT_EQ(std::tuple(first.max, first.guard), std::tuple(std::optional(1.5), 0.1));
    EXPECT_EQ(third.at(Figure::Ripple).guard, 0.0) << "no guard given: none";
    const auto one = parseLimits(R"({"channels": 1})");
    ASSERT_TRUE(std::holds_alternative<Limits>(one));
    EXPECT_EQ(std::get<Limits>(one).channelCount, 1);
}

Limits limitsOn(Figure figure, Bound bound)
{
    Limits l;
    l.all[figure] = bound;
    return l;
}

TEST(Verdict, FlipsExactlyAtTheLimitAndIsMarginalInsideTheGuardBandOnBothSides)
{
    // Bounds 1 and 2 with a 0.25 guard: 1 <= v < 1.25 and 1.75 < v <= 2 pass as marginal.
    const Bound guarded{1.0, 2.0, 0.25};
    const double il = 1.2345, above = std::nextafter(il, 10.0), below = std::nextafter(il, 0.0);
    const struct { const char* name; Bound bound; double value; Outcome outcome; bool marginal; } cases[] = {
        {"on max alone", {std::nullopt, il}, il, Outcome::Pass, false},
        {"above max alone", {std::nullopt, below}, il, Outcome::Fail, false},
        {"on min alone", {il, std::nullopt}, il, Outcome::Pass, false},
        {"below min alone", {above, std::nullopt}, il, Outcome::Fail, false},
        {"on min and max", {il, il}, il, Outcome::Pass, false},
        {"below min", guarded, std::nextafter(1.0, 0.0), Outcome::Fail, false},
        {"on min", guarded, 1.0, Outcome::Pass, true},
        {"just inside the lower band", guarded, std::nextafter(1.25, 0.0), Outcome::Pass, true},
        {"on the lower band's edge", guarded, 1.25, Outcome::Pass, false},
        {"clear", guarded, 1.5, Outcome::Pass, false},
        {"on the upper band's edge", guarded, 1.75, Outcome::Pass, false},
        {"just inside the upper band", guarded, std::nextafter(1.75, 2.0), Outcome::Pass, true},
        {"on max", guarded, 2.0, Outcome::Pass, true},
        {"above max", guarded, std::nextafter(2.0, 3.0), Outcome::Fail, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Limits l = limitsOn(Figure::InsertionLoss, c.bound);
        const DeviceVerdict d = judge({channelAt(1271, c.value)}, &l, Plan::Cwdm, {});
        EXPECT_EQ(std::tuple(d.outcome, d.channels[0].outcome), std::tuple(c.outcome, c.outcome));
        EXPECT_EQ(d.channels[0].failing.size(), c.outcome == Outcome::Fail ? 1U : 0U);
        EXPECT_EQ(d.channels[0].marginal, c.marginal ? std::vector<Figure>{Figure::InsertionLoss} : std::vector<Figure>{});
        EXPECT_EQ(d.marginal, c.marginal);
    }
    const Limits noGuard = limitsOn(Figure::InsertionLoss, {1.0, 2.0});
    EXPECT_FALSE(judge({channelAt(1271, 1.0)}, &noGuard, Plan::Cwdm, {}).marginal) << "on the bound, no guard";
}


TEST(Verdict, AnUnmeasuredFigureFailsExceptASharedIsolation)
{
    Limits l = limitsOn(Figure::Isolation, {30.0, std::nullopt});
    l.all[Figure::Ripple] = {std::nullopt, 0.5};
    l.channelCount = 2;
    ChannelFigures shared = channelAt(1291, 1.0);
    shared.isolationShared = true;
    const DeviceVerdict d = judge({channelAt(1271, 1.0), shared}, &l, Plan::Cwdm, {});
    EXPECT_EQ(verdictText(d), QStringLiteral("CH1 1271.000 nm FAIL isolation\nCH2 1291.000 nm PASS\nDEVICE FAIL\n"));

    l.channelCount = 3;
    EXPECT_EQ(verdictText(judge({shared}, &l, Plan::Cwdm, {})),
              QStringLiteral("CH1 1291.000 nm PASS\nDEVICE FAIL channels 1 of 3\n"));
}

TEST(Verdict, MarginalFiguresAreNamedInTheTextAndTheRecord)
{
    Limits l = limitsOn(Figure::InsertionLoss, {std::nullopt, 1.25, 0.1});
    l.all[Figure::Ripple] = {std::nullopt, 0.2};
    l.perChannel[1][Figure::Ripple] = {std::nullopt, 0.5};
    const DeviceVerdict d = judge({channelAt(1271, 1.2), channelAt(1291.004, 1.2)}, &l, Plan::Cwdm, {});
    EXPECT_EQ(verdictText(d), QStringLiteral("CH1 1271.000 nm PASS MARGINAL insertion_loss\n"
                                             "CH2 1291.004 nm FAIL ripple MARGINAL insertion_loss\nDEVICE FAIL\n"));
    l.all.erase(Figure::Ripple);
    const DeviceVerdict pass = judge({channelAt(1271, 1.0), channelAt(1291.004, 1.2)}, &l, Plan::Cwdm, {});
    EXPECT_TRUE(verdictText(pass).endsWith(
        QStringLiteral("CH2 1291.004 nm PASS MARGINAL insertion_loss\nDEVICE PASS MARGINAL\n")));

    const QJsonObject json = QJsonDocument::fromJson(figuresJson(pass).toUtf8()).object();
    EXPECT_EQ(json[QStringLiteral("marginal")], QJsonValue(true));
    const QJsonArray channels = json[QStringLiteral("channels")].toArray();
    EXPECT_FALSE(channels[0].toObject().contains(QStringLiteral("marginal")));
    EXPECT_EQ(channels[1].toObject()[QStringLiteral("marginal")], QJsonArray{QStringLiteral("insertion_loss")});

    // Without a guard nothing marginal is written.
    const Limits plain = limitsOn(Figure::InsertionLoss, {std::nullopt, 1.25});
    const QString unguarded = figuresJson(judge({channelAt(1271, 1.25)}, &plain, Plan::Cwdm, {}));
    EXPECT_FALSE(unguarded.contains(QStringLiteral("marginal"))) << unguarded.toStdString();
    EXPECT_TRUE(unguarded.contains(QStringLiteral("\"mask_margin_db\":null"))) << unguarded.toStdString();
}

TEST(Verdict, SavedAsTheFiguresSheetAndFile)
{
    Limits l = limitsOn(Figure::InsertionLoss, {std::nullopt, 1.1});
    l.channelCount = 2;
    ChannelFigures second = channelAt(1291.0004, 1.25);
    second.grid = nearestGridChannel(Plan::Cwdm, 1291.0);
    second[Figure::MaskMargin] = -0.125;
    const DeviceVerdict d = judge({channelAt(1271, 0.9), second}, &l, Plan::Cwdm, {});

    EXPECT_EQ(figuresHeader({}).mid(12), (QStringList{QStringLiteral("Isolation (dB)"), QStringLiteral("Verdict"),
                                                      QStringLiteral("Failing"), QStringLiteral("Mask margin (dB)")}));
    const QList<QByteArray> lines = figuresCsv(d).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], "1,1271.000,-,-,-,-,-,-,0.250,0.900,-,-,-,PASS,,-\r");
    EXPECT_EQ(lines[2], "2,1291.000,1291.000,-,-,-,-,-,0.250,1.250,-,-,-,FAIL,insertion_loss,-0.125\r");
    EXPECT_EQ(lines[3], "Device,,,,,,,,,,,,,FAIL,,\r");

    const SheetContent sheet = figuresSheet(d);
    ASSERT_EQ(sheet.rows(), 3);
    EXPECT_EQ(sheet.value(1, 9), 1.25);
    EXPECT_EQ(sheet.text(1, 14), QStringLiteral("insertion_loss"));
    EXPECT_EQ(sheet.value(1, 15), -0.125);
    EXPECT_EQ(sheet.columnWidths[14], 30.0) << "the failing figures' column is the wide one";
    EXPECT_TRUE(std::isnan(sheet.value(2, 1)) && sheet.text(2, 1).isNull()) << "a blank cell";
}

}  // namespace
