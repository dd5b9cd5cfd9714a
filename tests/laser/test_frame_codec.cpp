// The frame text's hexadecimal reading: a pair with a digit that is not hexadecimal reads as 0.

#include "laser/frame_codec.h"

#include <gtest/gtest.h>

TEST(FrameHex, APairWithABadDigitReadsZeroAndALoneLastDigitIsIgnored)
{
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(frame::fromHex("AA4C0F00"), (Bytes{0xAA, 0x4C, 0x0F, 0x00}));
    EXPECT_EQ(frame::fromHex("0GAA"), (Bytes{0x00, 0xAA}));
    EXPECT_EQ(frame::fromHex("G1ff"), (Bytes{0x00, 0xFF}));
    EXPECT_EQ(frame::fromHex("ZZ1"), (Bytes{0x00}));
    EXPECT_EQ(frame::toHex(Bytes{0x00, 0x0F, 0xAB}), "000FAB");
}
