// Window units: twips at the screen's logical DPI and colours written &HBBGGRR.

#include "core/units.h"

#include <gtest/gtest.h>

TEST(Units, TwipsConvertAtTheScreensLogicalDpi)
{
    // 15 twips per pixel at 96 DPI, the offscreen platform's resolution.
    EXPECT_EQ(twipsToPixels(1440), 96);
    EXPECT_EQ(twipsToPixels(15), 1);
    EXPECT_DOUBLE_EQ(pixelsToTwips(841), 12615.0);
    EXPECT_EQ(twipsRect(840, 2520, 1455, 375), QRect(56, 168, 97, 25));
}

TEST(Units, ColoursAreBlueGreenRedWithRedInTheLowestByte)
{
    const std::pair<std::uint32_t, QColor> rows[] = {
        {0xFF, {255, 0, 0}},         {0xFF0000, {0, 0, 255}},       {0xFF00, {0, 255, 0}}, {0xC0FFC0, {0xC0, 0xFF, 0xC0}},
        {0x800000, {0, 0, 0x80}},    {0x8080FF, {0xFF, 0x80, 0x80}}, {16711935, {255, 0, 255}}};
    for (const auto& [bgr, colour] : rows) EXPECT_EQ(vbColor(bgr), colour) << std::hex << bgr;
}
