#pragma once
// Repeatability statistics of a repeated measurement: count, mean, sample standard deviation,
// minimum and maximum of the first channel's center wavelength, bandwidth and peak value over the
// logged passes, and their summary file beside the repeatability log. Numbers in, numbers and
// text out: the panel (repeat_statistics_panel.h) shows them, the tracker
// (repeat_statistics_tracker.h) collects them during a repeated measurement.

#include <QString>
#include <QStringList>

#include <array>
#include <span>
#include <vector>

struct SeriesStatistics {
    int count = 0;
    double mean = 0.0;
    double standardDeviation = 0.0;  // sample (n - 1); NaN below two values
    double minimum = 0.0;
    double maximum = 0.0;
};

// Statistics of `values`; an empty series gives count 0 and NaN everywhere else.
SeriesStatistics describeSeries(std::span<const double> values);

// The three series of the first channel over the logged passes.
class RepeatStatistics {
public:
    enum Quantity { CenterWavelength = 0, Bandwidth = 1, PeakValue = 2 };

    // One pass: center nm, bandwidth nm, peak value dB or dBm (a ChannelResults row).
    void add(const std::array<float, 3>& firstChannel);
    void clear();
    int count() const { return static_cast<int>(series_[0].size()); }
    SeriesStatistics of(Quantity quantity) const;

private:
    std::array<std::vector<double>, 3> series_;
};

// The summary: a title line, a heading and one TAB-separated line per quantity, without line ends.
QStringList repeatSummaryLines(const RepeatStatistics& statistics);

// Where the summary of the log `logFileName` goes: the same name with "_summary" before ".txt".
QString summaryFileName(const QString& logFileName);

// Writes `lines`, each ended by CR LF, to `fileName`, replacing what it held. False on failure.
bool writeTextLines(const QString& fileName, const QStringList& lines);

// A number of the panel and the summary: four decimals, "-" for NaN.
QString statisticText(double value);
// Mean, standard deviation, minimum and maximum as statisticText writes them.
QStringList statisticFigures(const SeriesStatistics& s);

// The panel beside the results table: a title and a grid with a heading row and one row per
// quantity (mean, standard deviation, minimum, maximum).
