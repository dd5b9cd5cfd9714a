#pragma once
// Finding the optical channels of a spectrum and measuring each one N dB below its top.
// Pure: spectra in, channels out; channel_analysis_step.h applies it to the shared state.

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

struct ResultsState;

struct ChannelRow {
    float center = 0.0F;     // nm
    float bandwidth = 0.0F;  // nm
    float peak = 0.0F;       // dBm, or dB for a device spectrum
};

enum class ChannelKind { None, Reflection, Transmission };

// What the analysis leaves in the results array besides the rows it found.
enum class ResultsUpdate {
    Keep,     // earlier rows stay (no transmission peak was accepted, or nothing was analysed)
    Cleared,  // every earlier value zeroed, then the rows found written (reflection)
    Replaced, // exactly the rows found (transmission with accepted peaks)
};

// Where a transmission channel lies in the trace, for figures measured beside this analysis: its
// peak's point index and the accepted peaks its side walks stopped at (0 and the last index at the
// ends).
struct ChannelSpan {
    int peak = 0;
    int left = 0;
    int right = 0;
};

struct ChannelAnalysis {
    ChannelKind kind = ChannelKind::None;
    ResultsUpdate update = ResultsUpdate::Keep;
    std::vector<ChannelRow> channels;
    std::vector<ChannelSpan> spans{};  // one per channel for a transmission analysis, else empty
};

// The wavelength where the trace crosses `level` between point `at` and its neighbour `towards`,
// interpolated linearly with the nominal step `step`: the edge rule of the bandwidth. Equal values
// give no slope to follow: the edge is then the point itself.
double edgeWavelength(std::span<const float> wavelengths, std::span<const float> values, double step, int at,
                      int towards, double level);

// The point just inside the last crossing of `down` dB below the top at `peak`, walking from the
// peak towards `boundary` (inclusive, `direction` -1 or +1) until the trace has fallen more than
// `down` + 5 dB; -1 when no crossing was seen. `fellAway` tells whether it fell that far.
int sideEdge(std::span<const float> values, int peak, int boundary, int direction, double down, bool* fellAway = nullptr);

// N from the text of the "Center WL & BW at" box: minus its leading number ("-3.0" gives 3).
double downLevelFromText(const QString& text8);

// Nominal point spacing: (wl(100) - wl(0)) / 100 rounded to 4 decimals (ties to even).
// Needs at least 101 points; 0 with fewer.
double nominalStep(std::span<const float> wavelengths);

// The 11-point moving mean over 0..lastIndex. Within 5 points of an end the mean runs over the
// points from that end up to the point itself (k + 1 points for the k-th point from the end).
// Needs at least 11 points; with fewer the values are returned unsmoothed.
std::vector<float> smoothSpectrum(std::span<const float> values, int lastIndex);

// The analysis of points 0..lastIndex: channelSelect 0 reflection (one dip), 1 transmission
// (every peak). Spectra shorter than 101 points give no channel.
ChannelAnalysis analyseChannels(std::span<const float> wavelengths, std::span<const float> values, int lastIndex,
                                int channelSelect, double downLevel);

// Writes an analysis into ChannelCount / ChannelResults (row 0 unused, rows 1..ChannelCount).
void storeChannelResults(ResultsState& s, const ChannelAnalysis& analysis);

