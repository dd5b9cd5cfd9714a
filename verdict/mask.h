#pragma once
// Mask templates, the go/no-go lines of a spectrum: per channel an upper and a lower polyline of
// [nm, dB] points, placed relative to the channel's grid wavelength or on the absolute axis. The
// figure mask_margin_db is the trace's least distance inside them. docs/limits.md describes the
// format. Pure: JSON and spans in, numbers and point indices out.

#include "verdict/figures.h"
#include "verdict/limits.h"

#include <QByteArray>
#include <QJsonValue>
#include <QStringList>

#include <limits>
#include <map>
#include <span>
#include <variant>
#include <vector>

namespace verdict {

struct MaskPoint {
    double nm = 0.0;  // relative to the grid wavelength, or absolute
    double db = 0.0;
};

// A polyline with nm never falling (two points at one nm make a step); empty when not given.
using MaskLine = std::vector<MaskPoint>;

struct ChannelMask {
    MaskLine upper;  // the trace must stay at or below it
    MaskLine lower;  // the trace must stay at or above it
};

enum class MaskReference { Grid, Absolute };

struct MaskTemplate {
    MaskReference reference = MaskReference::Grid;
    ChannelMask all;
    std::map<int, ChannelMask> perChannel;  // by channel number, 1 for the first found

    // The lines channel `number` is held to: its own upper or lower line replaces the common one.
    ChannelMask maskFor(int number) const;
};

// The template in `value`, found in the JSON `text` under the keys `path`; a problem is reported
// with its line in `text`, in the terms of the limits reader.
std::variant<MaskTemplate, LimitsError> parseMask(const QJsonValue& value, const QByteArray& text,
                                                  const QStringList& path);

struct MaskResult {
    // The least of upper(x) - y and y - lower(x) over the trace points where a line is defined
    // (between its first and last point); negative where the trace crosses. NaN where no line
    // covers a point, or a grid template meets a channel without a grid channel.
    double marginDb = std::numeric_limits<double>::quiet_NaN();
    double wavelengthNm = std::numeric_limits<double>::quiet_NaN();  // where the least was found
    std::vector<int> violations;  // trace points beyond a line, ascending, for the plot to mark
};

// The margin of points 0..lastIndex of a trace (wavelengths rising) to `mask`, its lines shifted
// by `offsetNm`.
MaskResult maskMargin(std::span<const float> wavelengths, std::span<const float> values, int lastIndex,
                      const ChannelMask& mask, double offsetNm);

// The margin of every channel of `figures` (made from this trace), numbered from `firstNumber`
// (a port's number when its trace holds one channel): written into each channel's mask margin
// figure and mask wavelength, and returned with the violating points for the plot.
std::vector<MaskResult> measureMask(std::span<const float> wavelengths, std::span<const float> values,
                                    int lastIndex, const MaskTemplate& mask, std::vector<ChannelFigures>& figures,
                                    int firstNumber = 1);

}  // namespace verdict
