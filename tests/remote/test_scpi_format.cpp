// The remote error queue and the formatting of responses: numbers, strings, blocks, the spectrum.

#include "remote/error_queue.h"
#include "remote/scpi_format.h"
#include "results/spectrum_csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

TEST(ScpiErrorQueue, OldestFirstAndAFullQueueEndsInOneOverflow)
{
    scpi::ErrorQueue queue;
    EXPECT_EQ(queue.popText(), "0,\"No error\"");
    for (int i = 1; i <= scpi::ErrorQueue::kCapacity + 5; ++i) queue.push({-200 - i, {}});
    EXPECT_EQ(queue.size(), scpi::ErrorQueue::kCapacity);
    for (int i = 1; i < scpi::ErrorQueue::kCapacity; ++i) EXPECT_EQ(queue.pop().code, -200 - i);
    EXPECT_EQ(queue.popText(), "-350,\"Queue overflow\"");
    EXPECT_EQ(queue.popText(), "0,\"No error\"");

    // Once read, an entry's room takes a new error as usual.
    for (int i = 0; i < scpi::ErrorQueue::kCapacity; ++i) queue.push({scpi::SyntaxError, {}});
    queue.pop();
    queue.push(scpi::executionError(QStringLiteral("laser \"off\"\nnow")));
    EXPECT_EQ(queue.size(), scpi::ErrorQueue::kCapacity);
    while (queue.size() > 1) queue.pop();
    EXPECT_EQ(queue.popText(), "-200,\"Execution error; laser \"\"off\"\" now\"");

    queue.push({scpi::UndefinedHeader, {}});
    queue.clear();
    EXPECT_EQ(queue.popText(), "0,\"No error\"");
}

TEST(ScpiFormat, NumbersAndStrings)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<double, QByteArray>> reals{
        {1550.5, "1550.5"}, {-3, "-3"}, {0.1, "0.1"}, {1e-7, "1e-07"}, {nan, "9.91E+37"}, {inf, "9.9E+37"}, {-inf, "-9.9E+37"}};
    for (const auto& [value, text] : reals) EXPECT_EQ(scpi::realNumber(value), text) << text.constData();

    struct Fixed { double value; int decimals; QByteArray text; };
    for (const Fixed& c : std::vector<Fixed>{{2.5, 0, "3"}, {-2.5, 0, "-3"}, {1.25, 1, "1.3"}, {0.03125, 4, "0.0313"},
                                             {-0.03125, 4, "-0.0313"}, {-0.00004, 4, "0.0000"}, {-0.0, 2, "0.00"},
                                             {123.456, 2, "123.46"}, {0.5, 3, "0.500"}, {-1234567.0, 1, "-1234567.0"},
                                             {1e20, 4, "100000000000000000000.0000"}, {nan, 4, "9.91E+37"}})
        EXPECT_EQ(scpi::fixedNumber(c.value, c.decimals), c.text) << c.text.constData();

    EXPECT_EQ(scpi::quotedString(QStringLiteral("say \"hi\"\r\nbye")), "\"say \"\"hi\"\"  bye\"");
    EXPECT_EQ(scpi::quotedString(QString()), "\"\"");
    EXPECT_EQ(scpi::definiteBlock("hello"), "#15hello");
    EXPECT_EQ(scpi::definiteBlock(QByteArray(10, 'x')), "#210" + QByteArray(10, 'x'));
}

TEST(ScpiFormat, TheSpectrumAsFloat32PairsAndAsAscii)
{
    const std::vector<float> wavelengths{1550.5F, 1550.03125F, 1e20F, 1551.0F};
    const std::vector<float> values{-3.25F, -0.03125F, std::numeric_limits<float>::quiet_NaN()};

    const QByteArray block = scpi::traceBlock(wavelengths, values);
    EXPECT_EQ(block.first(4), "#224");
    EXPECT_EQ(block.sliced(4).toHex(), "00d0c144000050c000c1c144000000bdec78ad600000c07f");

    EXPECT_EQ(scpi::traceAscii(wavelengths, values), "1550.5000,-3.2500,1550.0313,-0.0313,100000002004087734272.0000,9.91E+37");
    EXPECT_EQ(scpi::traceBlock({}, {}), "#10");
    EXPECT_EQ(scpi::traceAscii({}, values), "");
}

TEST(ScpiFormat, TheAsciiSpectrumHoldsTheNumbersOfTheCsvExport)
{
    // Random singles of many sizes, and multiples of 1/32: an odd one is a tie at the fourth decimal.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> exponent(-6.0F, 7.0F);
    std::vector<float> wavelengths, values;
    for (int i = 0; i < 5000; ++i) {
        wavelengths.push_back(std::pow(10.0F, exponent(random)) * (i % 3 == 0 ? -1.0F : 1.0F));
        values.push_back(static_cast<float>(static_cast<int>(random() % 2000001) - 1000000) / 32.0F);
    }
    QByteArray csv = spectrumCsv(wavelengths, values, static_cast<std::int32_t>(values.size()) - 1, false, true);
    csv = csv.sliced(csv.indexOf('\n') + 1).chopped(2).replace("\r\n", ",");
    EXPECT_EQ(scpi::traceAscii(wavelengths, values), csv);
}

}  // namespace
