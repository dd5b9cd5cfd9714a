#pragma once
// The verdict on a measured device: each channel's figures held to the limits, PASS or FAIL per
// channel with the failing figures named, and one verdict for the whole device. This is the result
// other subsystems read (records, remote control); it is plain data.

#include "verdict/figures.h"
#include "verdict/limits.h"

#include <QString>

#include <vector>

namespace verdict {

enum class Outcome { NotJudged, Pass, Fail };

struct ChannelVerdict {
    int number = 0;                // 1 for the first channel found
    ChannelFigures figures;
    Outcome outcome = Outcome::NotJudged;
    std::vector<Figure> failing;   // in figure order
    // Figures that meet their bound but lie within its guard band: a pass that warns.
    std::vector<Figure> marginal;  // in figure order
    FigureBounds bounds;           // what the channel was held to, for the record
};

struct DeviceVerdict {
    Plan plan = Plan::None;
    FigureLevels levels;
    std::vector<ChannelVerdict> channels;
    std::optional<int> expectedChannels;  // from the limits
    bool channelCountFails = false;
    Outcome outcome = Outcome::NotJudged;  // NotJudged while no limits are loaded
    bool marginal = false;                 // some channel has a marginal figure
};

// Judges the channels of `device`, each held to the bounds of its number, and the device: it
// passes when every channel passes and, if `expectedChannels` is given, that many were found.
void judgeChannels(DeviceVerdict& device, const Limits& limits, std::optional<int> expectedChannels);

// Judges `figures` against `limits` (none: every outcome is NotJudged). A figure that cannot be
// measured fails a limit set on it, except an isolation a neighbouring channel of the same trace
// makes meaningless, which is not judged. A bound is met on equality. A value less than the bound's
// guard inside it is marginal.
DeviceVerdict judge(std::vector<ChannelFigures> figures, const Limits* limits, Plan plan, FigureLevels levels);

// "PASS", "FAIL" or "-".
QString outcomeText(Outcome outcome);

// Plain text, one line per channel and a last line for the device, for logs and remote queries:
//   CH1 1271.012 nm PASS
//   CH2 1291.004 nm PASS MARGINAL insertion_loss
//   CH4 1331.004 nm FAIL insertion_loss ripple
//   DEVICE FAIL
// A wrong channel count adds "channels 3 of 4" to the device line; a passing device with a
// marginal channel reads "DEVICE PASS MARGINAL".
QString verdictText(const DeviceVerdict& verdict);

// Compact JSON for records, keys in alphabetical order: {"channels": [{"center_nm", "channel",
// "failing": [...], "figures": {key: value}, "grid_nm", "mask_nm", "verdict"}], "levels_db", "plan",
// "verdict"}. A figure that could not be measured is null. A judged channel adds "bounds":
// {key: [min, max]} for its bounded figures, a missing side null. Marginal figures add "marginal": [...]
// to their channel and "marginal": true to the device; without them the keys are left out.
QString figuresJson(const DeviceVerdict& verdict);

}  // namespace verdict
