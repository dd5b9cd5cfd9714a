#include "measure/scan_settings.h"

#include <cmath>

const char* scanSettingsProblem(const ScanSettings& s, ScanMode mode, float laserMinNm, float laserMaxNm)
{
    if (mode != ScanMode::Align && mode != ScanMode::Regular) return nullptr;
    if (s.start >= s.stop) return "measure.badRange";
    // Whole nanometres, as the boxes are read: a range of 1527.5-1567.5 nm admits 1527-1568.
    if (laserMinNm < laserMaxNm && (s.start < std::floor(laserMinNm) || s.stop > std::ceil(laserMaxNm)))
        return "measure.outsideLaserRange";
    if (s.speed <= 0) return "measure.badSpeed";
    if (mode == ScanMode::Align) return nullptr;
    if (s.averages < 1 || s.averages > kMaxAverages) return "measure.badAverage";
    const std::int32_t shortest = s.background ? kMinBackgroundLength : kMinDataLength;
    if (s.length < shortest || s.length > kMaxDataLength)
        return s.background ? "measure.badBackgroundLength" : "measure.badLength";
    return nullptr;
}
