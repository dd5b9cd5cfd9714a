// Data steps on a delivered spectrum and the referencing state they keep.

#include "measure/spectrum_processing.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using Floats = std::vector<float>;

TEST(WavelengthConversion, PicometresBecomeNanometresUpToTheLastPoint)
{
    Floats wl = {1310000.0F, 1550123.0F, 1625000.0F, 999.0F};
    convertToNanometres(wl, 2);
    const float nm[] = {1310.0F, 1550.123F, 1625.0F, 999.0F};  // point 3 lies behind the last index
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(wl[static_cast<std::size_t>(i)], nm[i]) << i;

    SharedState s;
    s.ScanWL = {1310000.0F, 1310004.0F};
    s.LastPointIndex = 5;  // beyond the array: only what exists is converted
    ConvertScanWavelengths(s);
    EXPECT_FLOAT_EQ(s.ScanWL[1], 1310.004F);
}

TEST(AlignModeTail, TheLastElevenPointsBecomeTheSettledValueWithSmallNoiseWhenThereAreEleven)
{
    Floats v(101);
    for (int i = 0; i < 101; ++i) v[static_cast<std::size_t>(i)] = -30.0F - static_cast<float>(i);
    v[90] = -20.0F;
    TailNoise noise;
    ASSERT_TRUE(applyAlignTail(v, 100, noise));
    for (std::size_t i = 90; i <= 100; ++i) EXPECT_NEAR(v[i], -20.0F, 0.05F) << i;
    EXPECT_FLOAT_EQ(v[89], -119.0F) << "points before the tail stay";
    // The minimal-standard engine's first draw from its default seed, 16807 (r = 16806 / 2147483646), is the last point's.
    EXPECT_NEAR(v[100], -20.0 + (16806.0 / 2147483646.0 - 0.5) * 0.1, 1e-5);
    EXPECT_NE(v[99], v[100]);

    // Fewer than eleven points are left as delivered; eleven are enough.
    Floats few(10, -7.0F);
    few[3] = -3.0F;
    const Floats before = few;
    for (int last : {9, -1, 20}) EXPECT_FALSE(applyAlignTail(few, last, noise)) << last;  // 20: beyond the array
    EXPECT_EQ(few, before);
    SharedState s;
    s.ScanValue.assign(20001, -7.0F);
    s.LastPointIndex = 10;  // the library lowered the count to 11
    EXPECT_TRUE(ApplyAlignModeTail(s, noise));
    EXPECT_NEAR(s.ScanValue[0], -7.0F, 0.05F);
    EXPECT_FLOAT_EQ(s.ScanValue[11], -7.0F);
}

TEST(AlignModeTail, TheSequenceRepeatsAfterARestartOrInAFreshProcessAndOnlyThen)
{
    TailNoise noise, fresh;
    const auto tail = [](TailNoise& n) {
        Floats v(50, -10.0F);
        applyAlignTail(v, 49, n);
        return v;
    };
    const Floats first = tail(noise), second = tail(noise);
    noise.restart();
    EXPECT_EQ(tail(noise), first);
    EXPECT_NE(second, first);
    EXPECT_EQ(tail(fresh), first);
    for (int i = 0; i < 1000; ++i) {
        const double r = fresh.next();
        ASSERT_TRUE(r >= 0.0 && r < 1.0) << r;
    }
}

TEST(Background, EachChannelStoresItsDeliveredPointsAndSubtractsItsOwn)
{
    SharedState s;
    const auto store = [&](int channel, Floats values, int last) {
        s.ChannelIndex = channel;
        s.ScanValue = std::move(values);
        s.LastPointIndex = last;
        StoreBackground(s);
    };
    store(0, {-1.0F, -2.0F, -3.0F, -4.0F}, 1);
    EXPECT_EQ(s.BackgroundCh0, (Floats{-1.0F, -2.0F})) << "only the delivered points";
    store(0, {-10.0F, -11.0F, -12.0F}, 2);
    store(1, {-1.0F, -2.0F, -3.0F}, 2);
    store(2, {-9.0F, -9.0F, -9.0F}, 2);  // no such channel: stores nothing
    EXPECT_EQ(s.BackgroundCh0, (Floats{-10.0F, -11.0F, -12.0F})) << "a new background replaces the old";
    EXPECT_EQ(s.BackgroundCh1, (Floats{-1.0F, -2.0F, -3.0F}));

    s.ChannelIndex = 1;
    s.ScanValue = {-4.0F, -4.5F, -5.0F};
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::Subtracted);
    EXPECT_EQ(s.ScanValue, (Floats{-3.0F, -2.5F, -2.0F}));
    s.ChannelIndex = 0;
    s.ScanValue = {-10.0F, -11.0F, -12.0F};
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::Subtracted);
    EXPECT_EQ(s.ScanValue, (Floats{0.0F, 0.0F, 0.0F}));
}

TEST(Background, SubtractionIsRefusedWhenTheBackgroundDoesNotCoverTheSpectrum)
{
    SharedState s;
    s.ChannelIndex = 1;
    s.LastPointIndex = 3;
    s.ScanValue = {-5.0F, -6.0F, -7.0F, -8.0F};
    const Floats before = s.ScanValue;
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::NoBackground);
    s.BackgroundCh1 = {-1.0F, -1.0F, -1.0F};  // a shorter scan's background
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::TooShort);
    s.ChannelIndex = 3;
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::NoChannel);
    EXPECT_EQ(s.ScanValue, before);

    Floats values = {-5.0F, -6.0F};
    EXPECT_EQ(subtractBackground(values, 1, Floats{-1.0F, -2.0F, -3.0F}), BackgroundResult::Subtracted);
    EXPECT_EQ(values, (Floats{-4.0F, -4.0F})) << "a longer background is fine: points pair by index";

    // The engine tests see the other results' messages; a channel with no background slot is no operator's refusal.
    EXPECT_EQ(backgroundProblemKey(BackgroundResult::NoChannel), nullptr);
}

TEST(BasePower, CaptureAfterResetTakesTheFirstSuccessfulReadingOfTheChannel)
{
    SharedState s;
    const auto base = [&] { return std::tuple(s.BasePowerTaken0, s.BasePower0, s.BasePowerTaken1, s.BasePower1); };
    s.ChannelIndex = 0;
    CaptureBasePower(s, false, -7.0F, 1);  // Base Power not ticked
    CaptureBasePower(s, true, 123.0F, 0);  // a failed attempt's output is no reading
    EXPECT_EQ(s.BasePowerTaken0, 0);
    CaptureBasePower(s, true, -7.0F, 1);
    CaptureBasePower(s, true, -9.0F, 1);
    EXPECT_EQ(base(), std::tuple(1, -7.0F, 0, 0.0F)) << "the first capture holds until a reset";
    ResetBasePower(s, false);
    EXPECT_EQ(s.BasePowerTaken0, 1) << "reset only while Base Power is ticked";
    ResetBasePower(s, true);
    EXPECT_EQ(s.BasePowerTaken0, 0);
    CaptureBasePower(s, true, -9.0F, 1);
    s.ChannelIndex = 1;
    CaptureBasePower(s, true, -3.5F, 1);
    EXPECT_EQ(base(), std::tuple(1, -9.0F, 1, -3.5F));
    ResetBasePower(s, true);
    EXPECT_EQ(base(), std::tuple(1, -9.0F, 0, -3.5F)) << "a reset touches only the selected channel";
}

TEST(BasePower, RefZeroSubtractsTheCapturedBaseOfTheChannelOnly)
{
    SharedState s;
    EXPECT_FLOAT_EQ(Ref0Value(s, -12.5F, true), -12.5F) << "no base captured yet: the reading itself";
    s.BasePower0 = -10.0F;
    s.BasePowerTaken0 = 1;
    EXPECT_FLOAT_EQ(Ref0Value(s, -12.5F, true), -2.5F);
    EXPECT_FLOAT_EQ(Ref0Value(s, -12.5F, false), -12.5F);
    s.ChannelIndex = 1;
    EXPECT_FLOAT_EQ(Ref0Value(s, -12.5F, true), -12.5F) << "channel 1 has no base of its own";
    s.BasePower1 = -2.0F;
    s.BasePowerTaken1 = 1;
    EXPECT_FLOAT_EQ(Ref0Value(s, -12.5F, true), -10.5F);
}
