#pragma once
// The numbers a scan starts with and the program's own rules for them: plain data, no window.

#include <cstdint>

enum class ScanMode { None, PowerMeter, Align, Regular };

// The numbers a scan is started with, read from the main window (integer parts).
struct ScanSettings {
    std::int32_t start = 0;     // nm
    std::int32_t stop = 0;      // nm
    std::int32_t speed = 0;     // nm/s
    std::int32_t averages = 0;
    std::int32_t length = 0;    // points
    bool background = false;    // Background selected: the scan is stored, not analysed
};

// Limits of a regular scan: the analysis reads point 100 (a background, never analysed, needs two
// points to span a range), the arrays hold 20001 points, and the module averages at most 254 sweeps.
inline constexpr std::int32_t kMinDataLength = 101;
inline constexpr std::int32_t kMinBackgroundLength = 2;
inline constexpr std::int32_t kMaxDataLength = 20001;
inline constexpr std::int32_t kMaxAverages = 254;

// The catalogue key of the first setting the mode cannot start with, nullptr when all are
// usable. Align mode uses neither the average number nor the data length. The module measures the
// laser's sweep, so a known laser range (min < max, nm) bounds the start and stop wavelengths.
const char* scanSettingsProblem(const ScanSettings& s, ScanMode mode, float laserMinNm = 0, float laserMaxNm = 0);
