#pragma once
// Process-wide state shared by the handlers of both windows. One instance, `Module1`, lives
// from start-up to exit; every member starts at zero or empty, as the handlers expect. It is made
// of slices, so that a core takes the part it works on and nothing more.

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// Shell and links.
struct LinkState {
    std::int16_t Language = 0;       // 1 English, 2 Chinese
    std::int32_t TLSTimeoutMs = 0;   // laser reply time-out: 100 while probing, 10000 after

    QString ProbePN, ProbeSN, ProbeDate, ProbeDateCN, ProbeFR, ProbeHR;
    QString TLSInfoPN, TLSInfoSN, TLSInfoDate, TLSInfoDateCN, TLSInfoFR, TLSInfoHR;
    QString TLSInfoLS;
    QString TLSInfoWL;
    float TLSWLMin = 0.0F;           // nm
    float TLSWLMax = 0.0F;           // nm
    std::int32_t TLSLaserState = 0;
    std::int32_t TLSSweepMode = 0;
    std::int16_t ChannelSelect = 0;  // 0 reflection, 1 transmission
    std::int32_t ModuleHandle = 0;
    QString LibVersion;
};

// Where a channel's stored background came from: the uid of its record (empty while none was
// made), when it was taken (UTC ms since the epoch, 0: never) and the settings it was taken with.
struct BackgroundSource {
    QString uid;
    std::int64_t utcMs = 0;
    std::int32_t start = 0;
    std::int32_t stop = 0;
    std::int32_t length = 0;
};

// The last acquisition and what the spectrum steps keep between acquisitions.
struct SpectrumState {
    std::int32_t ChannelIndex = 0;
    std::int32_t LastPointIndex = 0;
    std::vector<float> ScanWL;       // nm
    std::vector<float> ScanValue;    // dBm, or dB after background subtraction
    std::vector<float> BackgroundCh0;
    std::vector<float> BackgroundCh1;
    std::array<BackgroundSource, 2> BackgroundSources;  // of BackgroundCh0, BackgroundCh1
    std::int16_t BackgroundTaken = 0;
    std::int16_t BasePowerTaken0 = 0;
    std::int16_t BasePowerTaken1 = 0;
    float BasePower0 = 0.0F;
    float BasePower1 = 0.0F;
    std::int16_t TraceKind = 0;      // 1 TLS power spectrum, 2 background, 3 spectrum
};

// The workflows' counters and the channels the analysis found.
struct ResultsState {
    std::int16_t MeasureCount = 0;
    std::int16_t RepeatStop = 0;
    std::int32_t ChannelCount = 0;
    // Rows 1..ChannelCount are used (row 0 stays unused); columns: center nm, bandwidth nm, peak.
    std::vector<std::array<float, 3>> ChannelResults;
};

// Results window and plot.
struct PlotState {
    std::int32_t PlotCount = 0;
    std::int16_t PlotMode = 0;       // 0 normal, 1 zoom, 2 pan, 3 markers
    std::int16_t RepeatabilityOn = 0;
    float PicLeft = 0.0F;
    float PicTop = 0.0F;
    float PicWidth = 0.0F;
    std::int32_t PicHeight = 0;
    double PicBottom = 0.0;
    double AxisXMin = 0.0;
    double AxisXMax = 0.0;
    double AxisYMin = 0.0;
    float AxisYMax = 0.0F;
    std::int32_t ZoomCount = 0;
    std::int16_t ZoomCountSeen = 0;
    std::int32_t PanCount = 0;
    std::int16_t PanCountSeen = 0;
    float ZoomX1 = 0.0F;
    float ZoomY1 = 0.0F;
    float ZoomX2 = 0.0F;
    std::int32_t ZoomY2 = 0;
    float PanX1 = 0.0F;
    float PanY1 = 0.0F;
    float PanX2 = 0.0F;
    std::int32_t PanY2 = 0;
    std::vector<std::array<float, 2>> PlotData;  // rows 0..N: wavelength nm, value
};

struct SharedState : LinkState, SpectrumState, ResultsState, PlotState {};

extern SharedState Module1;

// Puts every shared variable back to its start value (tests, and nothing else, need this).
void resetSharedState();
