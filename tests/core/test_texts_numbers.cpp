// The text catalogue's columns and the numbers read from the text boxes.

#include "core/numeric_text.h"
#include "core/texts.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(Texts, EveryEntryHasBothColumnsAndAUniqueKeyAndTheLanguageSelectsTheColumn)
{
    QSet<QString> keys;
    for (const TextEntry& e : allTexts()) {
        const QString key = QString::fromLatin1(e.key);
        EXPECT_FALSE(keys.contains(key)) << e.key;
        keys.insert(key);
        EXPECT_FALSE(QString::fromUtf8(e.english).isEmpty()) << e.key;
        EXPECT_FALSE(QString::fromUtf8(e.chinese).isEmpty()) << e.key;
    }
    // The language selects the column; other values select none.
    EXPECT_EQ(textIn("laser.isOn", 1), QStringLiteral("TLS is On"));
    EXPECT_EQ(textIn("laser.isOn", 2), QStringLiteral("激光已经打开"));
    EXPECT_TRUE(textIn("laser.isOn", 0).isNull());
    EXPECT_TRUE(textIn("laser.isOn", 3).isNull());
    EXPECT_EQ(textIn("no.such.key", 1), QStringLiteral("!no.such.key!"));
}

TEST(NumericText, ReadsTheLeadingDecimalNumberOrZero)
{
    const std::pair<const char*, double> rows[] = {
        {"1260", 1260}, {"-3.0", -3}, {"  12abc", 12}, {"1,5", 1}, {"1260.9", 1260.9}, {".5", 0.5}, {"1e3", 1000},
        {"2e", 2},      {"7", 7},     {"1550.05", 1550.05}, {"10", 10}, {"0.5", 0.5},     {"", 0},         {"abc", 0}, {"-", 0},           {".", 0},    {"1e999", 0},
        {"2e3nm", 2000}, {"1e3 dB", 1000}, {"-2.5e-1x", -0.25}, {"2e05", 200000}};
    for (const auto& [text, value] : rows) EXPECT_DOUBLE_EQ(leadingNumber(QString::fromLatin1(text)), value) << text;
    EXPECT_DOUBLE_EQ(leadingNumber(QString()), 0.0);
}

TEST(NumericText, FixedDecimalsDropTheSignOfARoundedAwayValueOnly)
{
    const struct {
        double value;
        int decimals;
        const char* text;
    } rows[] = {{-0.00004, 4, "0.0000"}, {-0.00005, 4, "-0.0001"}, {-0.4, 0, "0"},        {-0.6, 0, "-1"},
                {-12.34567, 3, "-12.346"}, {0.00049, 3, "0.000"},   {-0.0, 2, "0.00"},    {1550.06, 1, "1550.1"}};
    for (const auto& r : rows) EXPECT_EQ(fixedDecimals(r.value, r.decimals), QLatin1String(r.text)) << r.value;
}

TEST(NumericText, FloorTakesTheIntegerBelowAndStaysInRange)
{
    EXPECT_EQ(floorToInt32(1260.9), 1260);
    EXPECT_EQ(floorToInt32(-0.5), -1);
    EXPECT_EQ(floorToInt32(1e12), 2147483647);
    EXPECT_EQ(floorToInt32(-1e12), -2147483647 - 1);
}
