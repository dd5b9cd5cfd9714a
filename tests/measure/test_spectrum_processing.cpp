// Data steps on a delivered spectrum and the referencing state they keep.

#include "measure/spectrum_processing.h"

#include "app/texts.h"

#include <gtest/gtest.h>

#include <vector>

TEST(WavelengthConversion, PicometresBecomeNanometresUpToTheLastPoint)
{
    std::vector<float> wl = {1310000.0F, 1550123.0F, 1625000.0F, 999.0F};
    convertToNanometres(wl, 2);
    EXPECT_FLOAT_EQ(wl[0], 1310.0F);
    EXPECT_FLOAT_EQ(wl[1], 1550.123F);
    EXPECT_FLOAT_EQ(wl[2], 1625.0F);
    EXPECT_FLOAT_EQ(wl[3], 999.0F) << "points behind the last index are not delivered ones";

    SharedState s;
    s.ScanWL = {1310000.0F, 1310004.0F};
    s.LastPointIndex = 5;  // beyond the array: only what exists is converted
    ConvertScanWavelengths(s);
    EXPECT_FLOAT_EQ(s.ScanWL[1], 1310.004F);
}

TEST(AlignModeTail, TheLastElevenPointsBecomeTheSettledValueWithSmallNoise)
{
    std::vector<float> v(101);
    for (int i = 0; i < 101; ++i) v[static_cast<std::size_t>(i)] = -30.0F - static_cast<float>(i);
    v[90] = -20.0F;
    TailNoise noise;
    ASSERT_TRUE(applyAlignTail(v, 100, noise));
    for (int i = 90; i <= 100; ++i) {
        EXPECT_GE(v[static_cast<std::size_t>(i)], -20.05F) << i;
        EXPECT_LE(v[static_cast<std::size_t>(i)], -19.95F) << i;
    }
    EXPECT_FLOAT_EQ(v[89], -119.0F) << "points before the tail stay";
    // The first draw of the minimal-standard engine from its default seed is 16807, i.e.
    // r = 16806 / 2147483646, and goes to the last point.
    EXPECT_NEAR(v[100], -20.0 + (16806.0 / 2147483646.0 - 0.5) * 0.1, 1e-5);
    EXPECT_NE(v[99], v[100]);
}

TEST(AlignModeTail, TheSequenceRepeatsAfterARestartAndOnlyThen)
{
    TailNoise noise;
    std::vector<float> first(50, -10.0F), second(50, -10.0F), third(50, -10.0F);
    applyAlignTail(first, 49, noise);
    applyAlignTail(second, 49, noise);
    noise.restart();
    applyAlignTail(third, 49, noise);
    EXPECT_EQ(first, third);
    EXPECT_NE(first, second);

    TailNoise fresh;  // what the process owns after a start
    std::vector<float> fromFresh(50, -10.0F);
    applyAlignTail(fromFresh, 49, fresh);
    EXPECT_EQ(fromFresh, first);

    for (int i = 0; i < 1000; ++i) {
        const double r = fresh.next();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST(AlignModeTail, FewerThanElevenPointsAreLeftAsDelivered)
{
    TailNoise noise;
    std::vector<float> v(10, -7.0F);
    v[3] = -3.0F;
    const std::vector<float> before = v;
    EXPECT_FALSE(applyAlignTail(v, 9, noise));
    EXPECT_EQ(v, before);
    EXPECT_FALSE(applyAlignTail(v, -1, noise));
    EXPECT_FALSE(applyAlignTail(v, 20, noise)) << "last index beyond the array";
    EXPECT_EQ(v, before);

    SharedState s;
    s.ScanValue.assign(20001, -7.0F);
    s.LastPointIndex = 10;  // the library lowered the count to 11: exactly enough
    EXPECT_TRUE(ApplyAlignModeTail(s, noise));
    EXPECT_NEAR(s.ScanValue[0], -7.0F, 0.05F);
    EXPECT_FLOAT_EQ(s.ScanValue[11], -7.0F);
}

TEST(Background, EachChannelStoresAndSubtractsItsOwn)
{
    SharedState s;
    s.LastPointIndex = 2;
    s.ChannelIndex = 0;
    s.ScanValue = {-10.0F, -11.0F, -12.0F};
    StoreBackground(s);
    s.ChannelIndex = 1;
    s.ScanValue = {-1.0F, -2.0F, -3.0F};
    StoreBackground(s);
    EXPECT_EQ(s.BackgroundCh0, (std::vector<float>{-10.0F, -11.0F, -12.0F}));
    EXPECT_EQ(s.BackgroundCh1, (std::vector<float>{-1.0F, -2.0F, -3.0F}));

    s.ScanValue = {-4.0F, -4.5F, -5.0F};
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::Subtracted);
    EXPECT_EQ(s.ScanValue, (std::vector<float>{-3.0F, -2.5F, -2.0F})) << "channel 1 uses its own background";

    s.ChannelIndex = 0;
    s.ScanValue = {-10.0F, -11.0F, -12.0F};
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::Subtracted);
    EXPECT_EQ(s.ScanValue, (std::vector<float>{0.0F, 0.0F, 0.0F})) << "equal background and spectrum";
}

TEST(Background, OnlyDeliveredPointsAreStoredAndOtherChannelsStoreNothing)
{
    SharedState s;
    s.ScanValue = {-1.0F, -2.0F, -3.0F, -4.0F};
    s.LastPointIndex = 1;
    s.ChannelIndex = 0;
    StoreBackground(s);
    EXPECT_EQ(s.BackgroundCh0, (std::vector<float>{-1.0F, -2.0F}));
    s.ChannelIndex = 2;
    StoreBackground(s);
    EXPECT_EQ(s.BackgroundCh0.size(), 2U);
    EXPECT_TRUE(s.BackgroundCh1.empty());
    s.ChannelIndex = 0;
    s.ScanValue = {-3.0F, -3.0F, -3.0F};
    StoreBackground(s);
    EXPECT_EQ(s.BackgroundCh0, (std::vector<float>{-3.0F, -3.0F})) << "a new background replaces the old";
}

TEST(Background, SubtractionIsRefusedWhenTheBackgroundDoesNotCoverTheSpectrum)
{
    SharedState s;
    s.ChannelIndex = 1;
    s.LastPointIndex = 3;
    s.ScanValue = {-5.0F, -6.0F, -7.0F, -8.0F};
    const std::vector<float> before = s.ScanValue;
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::NoBackground);
    s.BackgroundCh1 = {-1.0F, -1.0F, -1.0F};  // a shorter scan's background
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::TooShort);
    EXPECT_EQ(s.ScanValue, before);
    s.ChannelIndex = 3;
    EXPECT_EQ(RemoveBackground(s), BackgroundResult::NoChannel);
    EXPECT_EQ(s.ScanValue, before);

    // A longer background is fine: points pair by index.
    std::vector<float> values = {-5.0F, -6.0F};
    const std::vector<float> longer = {-1.0F, -2.0F, -3.0F};
    EXPECT_EQ(subtractBackground(values, 1, longer), BackgroundResult::Subtracted);
    EXPECT_EQ(values, (std::vector<float>{-4.0F, -4.0F}));
}

TEST(BasePower, CaptureAfterResetTakesTheFirstSuccessfulReadingOfTheChannel)
{
    SharedState s;
    s.ChannelIndex = 0;
    CaptureBasePower(s, false, -7.0F, 1);
    EXPECT_EQ(s.BasePowerTaken0, 0) << "Base Power not ticked";
    CaptureBasePower(s, true, 123.0F, 0);
    EXPECT_EQ(s.BasePowerTaken0, 0) << "a failed attempt's output is no reading";
    CaptureBasePower(s, true, -7.0F, 1);
    CaptureBasePower(s, true, -9.0F, 1);
    EXPECT_EQ(s.BasePowerTaken0, 1);
    EXPECT_FLOAT_EQ(s.BasePower0, -7.0F) << "the first capture holds until a reset";
    EXPECT_EQ(s.BasePowerTaken1, 0);

    ResetBasePower(s, false);
    EXPECT_EQ(s.BasePowerTaken0, 1) << "reset only while Base Power is ticked";
    ResetBasePower(s, true);
    EXPECT_EQ(s.BasePowerTaken0, 0);
    CaptureBasePower(s, true, -9.0F, 1);
    EXPECT_FLOAT_EQ(s.BasePower0, -9.0F);

    s.ChannelIndex = 1;
    CaptureBasePower(s, true, -3.5F, 1);
    EXPECT_EQ(s.BasePowerTaken1, 1);
    EXPECT_FLOAT_EQ(s.BasePower1, -3.5F);
    EXPECT_FLOAT_EQ(s.BasePower0, -9.0F);
    ResetBasePower(s, true);
    EXPECT_EQ(s.BasePowerTaken1, 0);
    EXPECT_EQ(s.BasePowerTaken0, 1) << "a reset touches only the selected channel";
}

TEST(BasePower, RefZeroSubtractsTheCapturedBaseOfTheChannelOnly)
{
    SharedState s;
    s.ChannelIndex = 0;
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

TEST(Background, ARefusalHasAMessageInBothLanguages)
{
    for (BackgroundResult r : {BackgroundResult::NoBackground, BackgroundResult::TooShort}) {
        const char* key = backgroundProblemKey(r);
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(hasText(key)) << key;
    }
    EXPECT_NE(QString::fromLatin1(backgroundProblemKey(BackgroundResult::NoBackground)),
              QString::fromLatin1(backgroundProblemKey(BackgroundResult::TooShort)));
    EXPECT_EQ(backgroundProblemKey(BackgroundResult::Subtracted), nullptr);
    EXPECT_EQ(backgroundProblemKey(BackgroundResult::NoChannel), nullptr);
}
