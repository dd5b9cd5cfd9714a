#pragma once
// Collects the repeatability statistics of a repeated measurement as its passes are logged.

#include "results/repeat_statistics.h"

#include <array>

class ResultsWindowHost;

// What the repeated measurement calls. Updates the panel of the results window while it is loaded;
// a window loaded afresh shows the statistics at the next pass.
//
//   begin()               when a repeated measurement starts
//   addLoggedPass(pass)   after each LogRepeatResult(pass, name): takes ChannelResults(1), the row
//                         the data line holds; pass 0 (the header line) is ignored
//   finish(logFileName)   after the loop, in the invocation that ran it: writes the summary beside
//                         the log (see summaryFileName), if any pass was logged
class RepeatStatisticsTracker {
public:
    explicit RepeatStatisticsTracker(ResultsWindowHost& results);

    void begin();
    void addLoggedPass(int pass, const std::array<float, 3>& firstChannel);
    // The same with Module1.ChannelResults row 1; nothing when no analysis has filled that row.
    void addLoggedPass(int pass);
    // Writes the summary file once per begin(); true when it was written.
    bool finish(const QString& logFileName);

    const RepeatStatistics& statistics() const { return statistics_; }

private:
    void refreshPanel();

    ResultsWindowHost& results_;
    RepeatStatistics statistics_;
};
