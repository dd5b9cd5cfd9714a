// Recipes: each refusal with its line and reason, the example, the text's hash, the window's controls.

#include "station/recipe.h"

#include "line_support.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace station;

namespace {

// Line numbers below count from the first line of this text.
const QByteArray kRecipe = R"({
  "name": "CWDM4 demux",
  "revision": 3,
  "part_number": "DMX-4-1271",
  "scan": {
    "measurement": "device_il",
    "start_nm": 1260, "stop_nm": 1340, "speed_nm_s": 100,
    "averages": 4, "data_length": 20001,
    "channel": 2, "path": "transmission", "n_db": 3,
    "remove_background": true
  },
  "limits": {
    "plan": "cwdm",
    "channels": 4,
    "all": {
      "insertion_loss": {"max": 1.25, "guard": 0.1},
      "ripple": {"min": 0, "max": 0.5}
    }
  },
  "mask": {
    "reference": "grid",
    "all": {"upper": [[-6.5, 0.5], [6.5, 0.5]],
            "lower": [[-3, -1.5], [3, -1.5]]}
  },
  "reference": {"max_age_min": 30, "match": ["start_nm", "stop_nm"]},
  "ports": [1, 2, 3, 4]
})";

// The recipe with `from` replaced once by `to`. A value of the wrong kind is written followed by
// "description", which takes any value, to hold what followed it.
QByteArray edited(const char* from, const char* to)
{
    QByteArray text = kRecipe;
    const qsizetype at = text.indexOf(from);
    EXPECT_GE(at, 0) << from;
    return at < 0 ? text : text.replace(at, qstrlen(from), to);
}

TEST(Recipe, RefusedWithTheLineAndTheReason)
{
    using P = RecipeProblem;
    const struct { const char *name, *from, *to; int line; P problem; const char* detail; } cases[] = {
        {"not json", "\"revision\": 3,", "\"revision\": 3", 4, P::NotJson, nullptr},
        {"unknown key", "\"ports\": [1, 2, 3, 4]", "\"ports\": [1, 2, 3, 4], \"colour\": 1", 26, P::UnknownKey, "colour"},
        {"unknown scan key", "\"n_db\": 3,", "\"n_db\": 3, \"gain\": 2,", 9, P::UnknownKey, "gain"},
        {"name missing", "  \"name\": \"CWDM4 demux\",\n", "", 1, P::MissingKey, "name"},
        {"name empty", "\"CWDM4 demux\"", "\"\"", 2, P::NotText, "name"},
        {"part number a number", "\"DMX-4-1271\"", "4", 4, P::NotText, "part_number"},
        {"revision as text", "\"revision\": 3", "\"revision\": \"3\"", 3, P::NotWholeNumber, "revision"},
        {"revision fractional", "\"revision\": 3", "\"revision\": 2.5", 3, P::NotWholeNumber, "revision"},
        {"revision zero", "\"revision\": 3", "\"revision\": 0", 3, P::NotPositive, "revision"},
        {"scan not an object", "\"scan\": {", "\"scan\": 1, \"description\": {", 5, P::NotAnObject, "scan"},
        {"unknown measurement", "\"device_il\"", "\"osa\"", 6, P::UnknownChoice, "measurement"},
        {"start beyond 32 bits", "\"start_nm\": 1260", "\"start_nm\": 3000000000", 7, P::NotWholeNumber, "start_nm"},
        {"averages missing", "\"averages\": 4, ", "", 5, P::MissingKey, "averages"},
        {"channel 3", "\"channel\": 2", "\"channel\": 3", 9, P::UnknownChoice, "channel"},
        {"unknown path", "\"transmission\"", "\"both\"", 9, P::UnknownChoice, "path"},
        {"level zero", "\"n_db\": 3", "\"n_db\": 0", 9, P::NotPositive, "n_db"},
        {"level as text", "\"n_db\": 3", "\"n_db\": \"3\"", 9, P::NotANumber, "n_db"},
        {"removal as text", "\"remove_background\": true", "\"remove_background\": \"yes\"", 10, P::NotBoolean,
         "remove_background"},
        {"wavelength for a spectrum", "\"remove_background\": true", "\"remove_background\": true, \"wavelength_nm\": 1310",
         10, P::NotUsed, "wavelength_nm"},
        {"averages for a power spectrum", "\"device_il\"", "\"tls_power\"", 8, P::NotUsed, "averages"},
        {"start for a power reading", "\"device_il\"", "\"power_meter\"", 7, P::NotUsed, "start_nm"},
        {"start not below stop", "\"start_nm\": 1260", "\"start_nm\": 1340", 7, P::BadSetting, "measure.badRange"},
        {"speed zero", "\"speed_nm_s\": 100", "\"speed_nm_s\": 0", 7, P::BadSetting, "measure.badSpeed"},
        {"averages 255", "\"averages\": 4", "\"averages\": 255", 8, P::BadSetting, "measure.badAverage"},
        {"data length 100", "\"data_length\": 20001", "\"data_length\": 100", 8, P::BadSetting, "measure.badLength"},
        {"limits min above max", "\"min\": 0, \"max\": 0.5", "\"min\": 1, \"max\": 0.5", 17, P::InLimits, "ripple"},
        {"limits not an object", "\"limits\": {", "\"limits\": [], \"description\": {", 12, P::NotAnObject, "limits"},
        {"mask line falling", "[[-3, -1.5], [3, -1.5]]", "[[3, -1.5], [-3, -1.5]]", 23, P::InLimits, "lower"},
        {"grid mask without a plan", "\"plan\": \"cwdm\",", "\"plan\": \"none\",", 21, P::MaskNeedsPlan, nullptr},
        {"limits for a power reading", "\"measurement\": \"device_il\",\n    \"start_nm\": 1260, \"stop_nm\": 1340, "
         "\"speed_nm_s\": 100,\n    \"averages\": 4, \"data_length\": 20001,\n    \"channel\": 2, \"path\": "
         "\"transmission\", \"n_db\": 3,\n    \"remove_background\": true",
         "\"measurement\": \"power_meter\", \"channel\": 1, \"wavelength_nm\": 1310", 8, P::NotUsed, "limits"},
        {"reference age zero", "\"max_age_min\": 30", "\"max_age_min\": 0", 25, P::NotPositive, "max_age_min"},
        {"reference age as text", "\"max_age_min\": 30", "\"max_age_min\": \"30\"", 25, P::NotANumber, "max_age_min"},
        {"reference age missing", "\"max_age_min\": 30, ", "", 25, P::MissingKey, "max_age_min"},
        {"reference unknown setting", "\"stop_nm\"]", "\"speed_nm_s\"]", 25, P::UnknownChoice, "match"},
        {"reference match not a list", "[\"start_nm\", \"stop_nm\"]", "\"start_nm\"", 25, P::UnknownChoice, "match"},
        {"reference unknown key", "\"max_age_min\": 30", "\"max_age_min\": 30, \"max_age_h\": 1", 25, P::UnknownKey,
         "max_age_h"},
        {"reference not an object", "\"reference\": {\"max_age_min\"", "\"reference\": 1, \"description\": {\"max_age_min\"", 25,
         P::NotAnObject, "reference"},
        {"reference without removal", "\"remove_background\": true", "\"remove_background\": false", 25, P::NotUsed,
         "reference"},
        {"reference missing", "  \"reference\": {\"max_age_min\": 30, \"match\": [\"start_nm\", \"stop_nm\"]},\n", "", 10,
         P::MissingKey, "reference"},
        {"ports repeated", "[1, 2, 3, 4]", "[1, 2, 2, 4]", 26, P::BadPorts, nullptr},
        {"port zero", "[1, 2, 3, 4]", "[0, 1, 2, 3]", 26, P::BadPorts, nullptr},
        {"port fractional", "[1, 2, 3, 4]", "[1, 2.5, 3, 4]", 26, P::BadPorts, nullptr},
        {"no ports", "[1, 2, 3, 4]", "[]", 26, P::BadPorts, nullptr},
        {"ports unlike the channel count", "\"channels\": 4", "\"channels\": 3", 14, P::PortCount, "4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto parsed = parseRecipe(edited(c.from, c.to));
        const auto* e = std::get_if<RecipeError>(&parsed);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->line, c.line);
        EXPECT_EQ(e->problem, c.problem);
        if (c.detail) { EXPECT_EQ(e->detail, QString::fromLatin1(c.detail)); }  // nullptr: not checked
    }
    const auto array = parseRecipe("\n[1]");
    ASSERT_TRUE(std::holds_alternative<RecipeError>(array));
    EXPECT_EQ(std::get<RecipeError>(array).problem, RecipeProblem::NotAnObject);
    EXPECT_EQ(std::get<RecipeError>(array).line, 1) << "the file as a whole";
}

TEST(Recipe, RefusalsReadInBothLanguages)
{
    const auto refusal = [](const QByteArray& text) {
        const auto parsed = parseRecipe(text);
        return std::holds_alternative<RecipeError>(parsed) ? recipeRefusal(std::get<RecipeError>(parsed)) : QString();
    };
    LanguageScope english(1);
    EXPECT_EQ(refusal(edited("\"min\": 0, \"max\": 0.5", "\"min\": 1, \"max\": 0.5")),
              QStringLiteral("Recipe refused, line 17: min above max for \"ripple\""));
    EXPECT_EQ(refusal(edited("\"device_il\"", "\"osa\"")),
              QStringLiteral("Recipe refused, line 6: \"measurement\" must be one of \"device_il\", \"tls_power\", "
                             "\"power_meter\""));
    EXPECT_EQ(refusal(edited("\"channels\": 4", "\"channels\": 3")),
              QStringLiteral("Recipe refused, line 14: the limits' \"channels\" must equal the number of ports (4)"));
    LanguageScope chinese(2);
    EXPECT_EQ(refusal(edited("\"n_db\": 3", "\"n_db\": 0")), QStringLiteral("配方被拒绝，第 9 行：\"n_db\" 必须大于 0"));
}

TEST(Recipe, ReadWholeWithTheHashOfItsExactBytes)
{
    const auto parsed = parseRecipe(kRecipe);
    const Recipe* r = std::get_if<Recipe>(&parsed);
    ASSERT_NE(r, nullptr) << recipeRefusal(std::get<RecipeError>(parsed)).toStdString();
    EXPECT_EQ(std::tuple(r->name, r->revision, r->partNumber, r->scan.mode),
              std::tuple(QStringLiteral("CWDM4 demux"), 3, QStringLiteral("DMX-4-1271"), ScanMode::Regular));
    const ScanSettings& s = r->scan.settings;
    EXPECT_EQ(std::tuple(s.start, s.stop, s.speed, s.averages, s.length), std::tuple(1260, 1340, 100, 4, 20001));
    EXPECT_EQ(std::tuple(r->scan.channel, r->scan.reflection, r->scan.nDb, r->scan.removeBackground),
              std::tuple(2, false, 3.0, true));
    ASSERT_TRUE(r->limits && r->mask && r->reference);
    EXPECT_EQ(r->limits->boundsFor(2).at(verdict::Figure::InsertionLoss).guard, 0.1);
    EXPECT_EQ(r->mask->all.lower.size(), 2U);
    EXPECT_EQ(r->reference->maxAgeMin, 30.0);
    EXPECT_EQ(r->reference->match, (std::vector{MatchedSetting::Start, MatchedSetting::Stop}));
    EXPECT_EQ(r->ports, (std::vector{1, 2, 3, 4}));
    // The hash is that of the exact bytes: the standard SHA-256 test vector, and one more byte.
    EXPECT_EQ(recipeHash("abc"), QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(r->hash, recipeHash(kRecipe));
    const auto longer = parseRecipe(kRecipe + "\n");
    ASSERT_TRUE(std::holds_alternative<Recipe>(longer));
    EXPECT_NE(std::get<Recipe>(longer).hash, r->hash);

    // Without "match" every setting must match; without ports, limits, mask: none.
    const auto plain = parseRecipe(R"({"name": "n", "revision": 1, "part_number": "p", "description": 5,
        "scan": {"measurement": "device_il", "start_nm": 1500, "stop_nm": 1600, "speed_nm_s": 40,
                 "averages": 1, "data_length": 101, "channel": 1, "path": "reflection", "n_db": 0.5,
                 "remove_background": true},
        "reference": {"max_age_min": 0.5}})");
    const Recipe* p = std::get_if<Recipe>(&plain);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->reference->match, ReferencePolicy{}.match);
    EXPECT_EQ(p->reference->match.size(), 4U);
    EXPECT_TRUE(p->scan.reflection);
    EXPECT_FALSE(p->limits || p->mask || !p->ports.empty());
}

TEST(Recipe, TheExampleForTheSimulatedFilterIsRead)
{
    QFile file(QStringLiteral(VXM_SOURCE_DIR "/docs/examples/cwdm4-recipe.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto parsed = parseRecipe(file.readAll());
    const Recipe* r = std::get_if<Recipe>(&parsed);
    ASSERT_NE(r, nullptr) << recipeRefusal(std::get<RecipeError>(parsed)).toStdString();
    EXPECT_EQ(r->limits->channelCount, 4);
    EXPECT_EQ(r->limits->plan, verdict::Plan::Cwdm);
    EXPECT_EQ(r->limits->all.count(verdict::Figure::MaskMargin), 1U);
    EXPECT_EQ(r->mask->all.upper.size(), 6U);
    EXPECT_TRUE(r->ports.empty());
}

TEST(Recipe, SetsTheMainWindowsControls)
{
    const Recipe r = std::get<Recipe>(parseRecipe(kRecipe));
    const WindowControls background = windowControls(r.scan, Acquisition::Background);
    EXPECT_EQ((QStringList{background.text1, background.text2, background.text3, background.text6, background.text7,
                           background.text8}),
              (QStringList{"1260", "1340", "100", "4", "20001", "-3.0"}));
    EXPECT_TRUE(background.text4.isNull()) << "the power meter's box is left as it is";
    // A background is never corrected.
    EXPECT_EQ(std::tuple(background.channelIndex, background.option, background.takeBackground,
                         background.removeBackground, background.reflection),
              std::tuple(1, ScanMode::Regular, true, false, false));
    const WindowControls spectrum = windowControls(r.scan, Acquisition::Spectrum);
    EXPECT_TRUE(!spectrum.takeBackground && spectrum.removeBackground);

    RecipeScan align = r.scan;
    align.mode = ScanMode::Align;
    align.reflection = true;
    align.nDb = 2.25;
    const WindowControls a = windowControls(align, Acquisition::Background);
    EXPECT_EQ(a.text8, QStringLiteral("-2.25"));
    EXPECT_TRUE(a.text6.isNull() && a.text7.isNull() && a.text4.isNull());
    EXPECT_FALSE(a.takeBackground || a.removeBackground) << "only a regular scan takes a background";
    EXPECT_EQ(std::tuple(a.reflection, a.option), std::tuple(true, ScanMode::Align));

    const RecipeScan power{ScanMode::PowerMeter, {}, 1, false, 3.0, false, 1310.5};
    const WindowControls p = windowControls(power, Acquisition::Spectrum);
    EXPECT_EQ(p.text4, QStringLiteral("1310.5"));
    EXPECT_TRUE(p.text1.isNull() && p.text8.isNull());
    EXPECT_EQ(std::tuple(p.channelIndex, p.option), std::tuple(0, ScanMode::PowerMeter));
}

}  // namespace
