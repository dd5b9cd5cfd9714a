#pragma once
// Repeatability statistics of a repeated measurement: count, mean, sample standard deviation,
// minimum and maximum of the first channel's center wavelength, bandwidth and peak value over the
// logged passes. The pure part (SeriesStatistics, RepeatStatistics, repeatSummaryLines) takes
// numbers and returns numbers and text; RepeatStatisticsPanel shows them on the results window;
// RepeatStatisticsTracker is what the repeated measurement calls:
//
//   bench.repeatStatistics().begin();                        when a repeated measurement starts
//   bench.repeatStatistics().addLoggedPass(pass);            after each LogRepeatResult(pass, name):
//                                                            takes ChannelResults(1), the row the
//                                                            data line holds; pass 0 (the header
//                                                            line) is ignored
//   bench.repeatStatistics().finish(fileName);               after the loop, in the invocation that
//                                                            ran it: writes the summary beside the
//                                                            log (see summaryFileName), if any pass
//                                                            was logged

#include <QLabel>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

#include <array>
#include <span>
#include <vector>

class Bench;

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

// The panel beside the results table: a title and a grid with a heading row and one row per
// quantity (mean, standard deviation, minimum, maximum).
class RepeatStatisticsPanel : public QWidget {
    Q_OBJECT
public:
    explicit RepeatStatisticsPanel(QWidget* parent = nullptr);

    void showStatistics(const RepeatStatistics& statistics);
    // Sets the headings and the count in the current language.
    void retranslate();

    QLabel* RepeatStatsTitle;
    QLabel* RepeatStatsCount;
    QTableWidget* RepeatStatsGrid;

private:
    void showCount();
    int count_ = 0;
};

// What the repeated measurement calls (see the top of this file). Updates the panel of the results
// window while it is loaded; a window loaded afresh shows the statistics at the next pass.
class RepeatStatisticsTracker {
public:
    explicit RepeatStatisticsTracker(Bench& bench);

    void begin();
    void addLoggedPass(int pass, const std::array<float, 3>& firstChannel);
    // The same with Module1.ChannelResults row 1; nothing when no analysis has filled that row.
    void addLoggedPass(int pass);
    // Writes the summary file once per begin(); true when it was written.
    bool finish(const QString& logFileName);

    const RepeatStatistics& statistics() const { return statistics_; }

private:
    void refreshPanel();

    Bench& bench_;
    RepeatStatistics statistics_;
};
