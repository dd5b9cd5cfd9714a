#pragma once
// Data steps applied to what the module delivers, and the referencing state they keep between
// measurements. The functions over spans are pure; the SharedState overloads are the thin steps
// the scan engine calls on `Module1` (they take the state by reference so tests can hand in
// their own).

#include "core/shared_state.h"

#include <cstdint>
#include <random>
#include <span>

// Picometres as delivered by the module to nanometres, points 0..lastIndex, in single precision.
void convertToNanometres(std::span<float> wavelengths, int lastIndex);

// The noise source of the align-mode tail. Deliberately never seeded from the clock: the
// minimal-standard engine starts from its default seed, so every program start draws the same
// sequence, as operators of the bench have always seen it. One instance is owned by the process.
class TailNoise {
public:
    // A uniform number in [0, 1): (x - 1) / (2^31 - 2) for the engine's x in [1, 2^31 - 2].
    double next();
    // Back to the start of the sequence (what a program restart does).
    void restart() { engine_.seed(); }

private:
    std::minstd_rand engine_;
};

TailNoise& processTailNoise();

// Replaces the 11 last points (lastIndex - 10 .. lastIndex, the last one first) by the value
// of point lastIndex - 10 plus noise within ±0.05. A spectrum with fewer than 11 points is left as
// delivered (there is no settled point to copy); the result says whether the tail was patched.
bool applyAlignTail(std::span<float> values, int lastIndex, TailNoise& noise);

// Why a background subtraction did or did not happen, for the caller to report.
enum class BackgroundResult {
    Subtracted,
    NoChannel,      // channel index other than 0 or 1: nothing to subtract, as for an unknown channel
    NoBackground,   // no background stored for this channel
    TooShort,       // the stored background has fewer points than the spectrum
};

// The catalogue key of the message that explains a refused subtraction; nullptr when there is
// nothing to explain (subtracted, or a channel that has no background by design).
const char* backgroundProblemKey(BackgroundResult result);

// values(i) -= background(i) for i = 0..lastIndex, pairing points by index. Refuses, leaving the
// spectrum untouched, when the background does not cover every point.
BackgroundResult subtractBackground(std::span<float> values, int lastIndex, std::span<const float> background);

// The steps on the shared state, as the scan engine applies them.
void ConvertScanWavelengths(SpectrumState& s);
bool ApplyAlignModeTail(SpectrumState& s, TailNoise& noise = processTailNoise());
void StoreBackground(SpectrumState& s);
BackgroundResult RemoveBackground(SpectrumState& s);

// Base power and Ref-0 referencing of the power meter.
void ResetBasePower(SpectrumState& s, bool basePowerChecked);
// `readStatus` is what Ketrolan_Read_PowerMeter returned for this attempt. Only a successful
// reading (status 1) is captured: a failed attempt leaves in its output whatever the library
// wrote there, which is no power at all and would silently offset every referenced reading.
void CaptureBasePower(SpectrumState& s, bool basePowerChecked, float reading, std::int32_t readStatus);
float Ref0Value(const SpectrumState& s, float reading, bool ref0Checked);
