#pragma once
// Optical unit conversions shared by the results table, the workbooks and the log.

// Center frequency in THz of a wavelength in nm, in single precision, with the speed of light
// 299792.458 km/s held as the single 299792.46875 (how the bench has always computed it).
inline float centerFrequencyTHz(float wavelengthNm)
{
    constexpr float kSpeedOfLight = 299792.46875F;
    return kSpeedOfLight / wavelengthNm;
}
