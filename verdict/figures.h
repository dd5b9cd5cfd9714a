#pragma once
// The extended figures of each channel the channel analysis found, measured on the same trace:
// position on the plan's grid, bandwidths at two more levels, ripple, insertion loss inside the
// passband window and isolation from the neighbouring grid channels. Pure: spans in, numbers out.

#include "measure/channel_analysis.h"
#include "verdict/channel_plan.h"

#include <QString>

#include <array>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace verdict {

// The judged figures, in the order of the tables and files. Every value is a number, or NaN where
// it cannot be measured (shown "-").
enum class Figure {
    OffsetNm,        // center minus the grid channel's wavelength
    OffsetGhz,       // center frequency minus the grid channel's frequency
    Bandwidth,       // the analysis's own bandwidth, N dB down
    BandwidthLevel1, // at the first extra level (0.5 dB by default)
    BandwidthLevel2, // at the second extra level (20 dB by default)
    Ripple,          // peak-to-peak inside the passband window
    InsertionLoss,   // at the peak: minus the peak value
    InsertionLossMin,
    InsertionLossMax,
    Isolation,
    MaskMargin,      // least distance inside the mask template, negative where the trace crosses it
};
inline constexpr int kFigureCount = 11;
inline constexpr std::array<Figure, kFigureCount> kFigures{
    Figure::OffsetNm,      Figure::OffsetGhz,        Figure::Bandwidth,        Figure::BandwidthLevel1,
    Figure::BandwidthLevel2, Figure::Ripple,         Figure::InsertionLoss,    Figure::InsertionLossMin,
    Figure::InsertionLossMax, Figure::Isolation,     Figure::MaskMargin};

// The name of a figure in limits files, tables and the verdict's list of failures.
QString figureKey(Figure figure);
std::optional<Figure> figureFromKey(const QString& key);

struct FigureLevels {
    double level1Db = 0.5;
    double level2Db = 20.0;
};

struct ChannelFigures {
    double centerNm = 0.0;       // the analysis's row
    double peakValue = 0.0;
    std::optional<GridChannel> grid;
    std::array<double, kFigureCount> values{};
    // The isolation is not judged: a neighbouring window holds another channel of this trace.
    bool isolationShared = false;
    // Where the mask margin was found (nm); NaN without a mask.
    double maskWavelengthNm = std::numeric_limits<double>::quiet_NaN();

    double operator[](Figure f) const { return values[static_cast<std::size_t>(f)]; }
    double& operator[](Figure f) { return values[static_cast<std::size_t>(f)]; }
};

// The first and last of points 0..lastIndex whose wavelength lies inside [lowNm, highNm]; none
// when no point does. The wavelengths rise.
std::optional<std::pair<int, int>> pointsInside(std::span<const float> wavelengths, int lastIndex, double lowNm,
                                                double highNm);

// The figures of every channel of `analysis`, made from points 0..lastIndex of the trace it was
// made from. Insertion losses are losses (positive dB: minus the trace's values). A reflection
// channel has no passband to measure: only its grid position and insertion loss are given. The
// mask margin is left NaN: measureMask (verdict/mask.h) adds it where a recipe has a mask.
std::vector<ChannelFigures> measureFigures(std::span<const float> wavelengths, std::span<const float> values,
                                           int lastIndex, const ChannelAnalysis& analysis, Plan plan,
                                           FigureLevels levels);

}  // namespace verdict
