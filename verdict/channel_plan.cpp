#include "verdict/channel_plan.h"

#include <algorithm>
#include <cmath>

namespace verdict {

namespace {

constexpr double kCwdmFirstNm = 1271.0;
constexpr double kCwdmSpacingNm = 20.0;
constexpr int kCwdmChannels = 18;  // 1271 .. 1611 nm
constexpr double kCwdmHalfPassbandNm = 6.5;
constexpr double kDwdmAnchorThz = 193.1;
// A DWDM passband spans a quarter of the channel spacing: ±12.5 GHz on the 100 GHz grid,
// ±6.25 GHz on the 50 GHz grid.
constexpr double kDwdmHalfPassbandFraction = 0.125;

double dwdmSpacingThz(Plan plan) { return plan == Plan::Dwdm100 ? 0.1 : 0.05; }

GridChannel cwdmChannel(int index)
{
    const double nm = kCwdmFirstNm + kCwdmSpacingNm * index;
    return {index, nm, kLightSpeedNmThz / nm, nm - kCwdmHalfPassbandNm, nm + kCwdmHalfPassbandNm};
}

GridChannel dwdmChannel(Plan plan, int index)
{
    const double spacing = dwdmSpacingThz(plan);
    const double thz = kDwdmAnchorThz + spacing * index;
    const double half = spacing * kDwdmHalfPassbandFraction;
    return {index, kLightSpeedNmThz / thz, thz, kLightSpeedNmThz / (thz + half), kLightSpeedNmThz / (thz - half)};
}

}  // namespace

QString planKey(Plan plan)
{
    switch (plan) {
    case Plan::Cwdm: return QStringLiteral("cwdm");
    case Plan::Dwdm100: return QStringLiteral("dwdm100");
    case Plan::Dwdm50: return QStringLiteral("dwdm50");
    case Plan::None: break;
    }
    return QStringLiteral("none");
}

std::optional<Plan> planFromKey(const QString& key)
{
    for (Plan p : {Plan::None, Plan::Cwdm, Plan::Dwdm100, Plan::Dwdm50})
        if (key.compare(planKey(p), Qt::CaseInsensitive) == 0) return p;
    return std::nullopt;
}

std::optional<GridChannel> gridChannel(Plan plan, int index)
{
    switch (plan) {
    case Plan::Cwdm:
        if (index < 0 || index >= kCwdmChannels) return std::nullopt;
        return cwdmChannel(index);
    case Plan::Dwdm100:
    case Plan::Dwdm50: return dwdmChannel(plan, index);
    case Plan::None: break;
    }
    return std::nullopt;
}

std::optional<GridChannel> nearestGridChannel(Plan plan, double centerNm)
{
    if (plan == Plan::None || !std::isfinite(centerNm) || centerNm <= 0.0) return std::nullopt;
    if (plan == Plan::Cwdm) {
        // Halfway rounds down: towards the shorter wavelength.
        const double k = std::ceil((centerNm - kCwdmFirstNm) / kCwdmSpacingNm - 0.5);
        return cwdmChannel(static_cast<int>(std::clamp(k, 0.0, kCwdmChannels - 1.0)));
    }
    // Halfway rounds up in frequency: towards the shorter wavelength.
    const double n = std::floor((kLightSpeedNmThz / centerNm - kDwdmAnchorThz) / dwdmSpacingThz(plan) + 0.5);
    return dwdmChannel(plan, static_cast<int>(n));
}

}  // namespace verdict
