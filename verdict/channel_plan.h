#pragma once
// Channel plans: the grid a WDM device's channels should sit on, and the passband window around
// each grid channel. Pure arithmetic on wavelengths (nm) and frequencies (THz).

#include <QString>

#include <optional>

namespace verdict {

enum class Plan { None, Cwdm, Dwdm100, Dwdm50 };

inline constexpr double kLightSpeedNmThz = 299792.458;  // nm x THz

// One channel of a plan's grid and its passband window.
struct GridChannel {
    int index = 0;              // CWDM 0..17 from 1271 nm; DWDM n in 193.1 THz + n x spacing
    double wavelengthNm = 0.0;
    double frequencyThz = 0.0;
    double windowLowNm = 0.0;   // the passband window, in wavelength
    double windowHighNm = 0.0;
};

// The key a plan has in limits files and the settings ("none", "cwdm", "dwdm100", "dwdm50").
QString planKey(Plan plan);
std::optional<Plan> planFromKey(const QString& key);  // case-insensitive

// The grid channel of `plan` with `index`; none outside the plan (CWDM stops at 1271 and 1611 nm,
// the DWDM grids run on without end) or for Plan::None.
std::optional<GridChannel> gridChannel(Plan plan, int index);

// The grid channel nearest to `centerNm` (nearest in wavelength for CWDM, in frequency for DWDM).
// A center exactly halfway between two grid channels belongs to the shorter-wavelength one;
// beyond the ends of the CWDM grid the end channel is nearest.
std::optional<GridChannel> nearestGridChannel(Plan plan, double centerNm);

}  // namespace verdict
