#include "measure/spectrum_processing.h"

#include <algorithm>
#include <cstddef>

namespace {
// Points 0..lastIndex that actually exist in a span.
std::size_t pointCount(std::size_t size, int lastIndex)
{
    if (lastIndex < 0) return 0;
    return std::min(size, static_cast<std::size_t>(lastIndex) + 1);
}

std::vector<float>* backgroundOf(SpectrumState& s, std::int32_t channel)
{
    if (channel == 0) return &s.BackgroundCh0;
    if (channel == 1) return &s.BackgroundCh1;
    return nullptr;
}
}  // namespace

void convertToNanometres(std::span<float> wavelengths, int lastIndex)
{
    const std::size_t n = pointCount(wavelengths.size(), lastIndex);
    for (std::size_t i = 0; i < n; ++i) wavelengths[i] = wavelengths[i] / 1000.0F;
}

double TailNoise::next()
{
    const auto x = engine_();
    return static_cast<double>(x - std::minstd_rand::min())
           / (static_cast<double>(std::minstd_rand::max() - std::minstd_rand::min()) + 1.0);
}

TailNoise& processTailNoise()
{
    static TailNoise noise;
    return noise;
}

bool applyAlignTail(std::span<float> values, int lastIndex, TailNoise& noise)
{
    if (lastIndex < 10 || static_cast<std::size_t>(lastIndex) >= values.size()) return false;
    const double v = values[static_cast<std::size_t>(lastIndex - 10)];
    for (int k = 0; k <= 10; ++k) {
        const double r = noise.next();
        values[static_cast<std::size_t>(lastIndex - k)] = static_cast<float>(v + (r - 0.5) * 0.1);
    }
    return true;
}

const char* backgroundProblemKey(BackgroundResult result)
{
    switch (result) {
    case BackgroundResult::NoBackground: return "measure.backgroundMissing";
    case BackgroundResult::TooShort: return "measure.backgroundShort";
    case BackgroundResult::Subtracted:
    case BackgroundResult::NoChannel: break;
    }
    return nullptr;
}

BackgroundResult subtractBackground(std::span<float> values, int lastIndex, std::span<const float> background)
{
    if (background.empty()) return BackgroundResult::NoBackground;
    const std::size_t n = pointCount(values.size(), lastIndex);
    if (background.size() < n) return BackgroundResult::TooShort;
    for (std::size_t i = 0; i < n; ++i) values[i] = values[i] - background[i];
    return BackgroundResult::Subtracted;
}

void ConvertScanWavelengths(SpectrumState& s) { convertToNanometres(s.ScanWL, s.LastPointIndex); }

bool ApplyAlignModeTail(SpectrumState& s, TailNoise& noise) { return applyAlignTail(s.ScanValue, s.LastPointIndex, noise); }

void StoreBackground(SpectrumState& s)
{
    std::vector<float>* background = backgroundOf(s, s.ChannelIndex);
    if (!background) return;
    const std::size_t n = pointCount(s.ScanValue.size(), s.LastPointIndex);
    background->assign(s.ScanValue.begin(), s.ScanValue.begin() + static_cast<std::ptrdiff_t>(n));
}

BackgroundResult RemoveBackground(SpectrumState& s)
{
    const std::vector<float>* background = backgroundOf(s, s.ChannelIndex);
    if (!background) return BackgroundResult::NoChannel;
    return subtractBackground(s.ScanValue, s.LastPointIndex, *background);
}

void ResetBasePower(SpectrumState& s, bool basePowerChecked)
{
    if (!basePowerChecked) return;
    if (s.ChannelIndex == 0) s.BasePowerTaken0 = 0;
    else if (s.ChannelIndex == 1) s.BasePowerTaken1 = 0;
}

void CaptureBasePower(SpectrumState& s, bool basePowerChecked, float reading, std::int32_t readStatus)
{
    if (!basePowerChecked || readStatus != 1) return;
    if (s.ChannelIndex == 0 && s.BasePowerTaken0 == 0) {
        s.BasePower0 = reading;
        s.BasePowerTaken0 = 1;
    } else if (s.ChannelIndex == 1 && s.BasePowerTaken1 == 0) {
        s.BasePower1 = reading;
        s.BasePowerTaken1 = 1;
    }
}

float Ref0Value(const SpectrumState& s, float reading, bool ref0Checked)
{
    if (ref0Checked && s.ChannelIndex == 0 && s.BasePowerTaken0 == 1) return reading - s.BasePower0;
    if (ref0Checked && s.ChannelIndex == 1 && s.BasePowerTaken1 == 1) return reading - s.BasePower1;
    return reading;
}
