#include "results/repeat_statistics_tracker.h"

#include "core/shared_state.h"
#include "results/form2.h"
#include "results/repeat_statistics_panel.h"
#include "results/results_window_host.h"

RepeatStatisticsTracker::RepeatStatisticsTracker(ResultsWindowHost& results) : results_(results) {}

void RepeatStatisticsTracker::begin()
{
    statistics_.clear();
    refreshPanel();
}

void RepeatStatisticsTracker::addLoggedPass(int pass, const std::array<float, 3>& firstChannel)
{
    if (pass < 1) return;  // pass 0 wrote the header line only
    statistics_.add(firstChannel);
    refreshPanel();
}

void RepeatStatisticsTracker::addLoggedPass(int pass)
{
    if (Module1.ChannelResults.size() < 2) return;
    addLoggedPass(pass, Module1.ChannelResults[1]);
}

bool RepeatStatisticsTracker::finish(const QString& logFileName)
{
    if (statistics_.count() == 0) return false;
    const bool written = writeTextLines(summaryFileName(logFileName), repeatSummaryLines(statistics_));
    // The panel keeps showing the finished test until the next one begins.
    statistics_.clear();
    return written;
}

void RepeatStatisticsTracker::refreshPanel()
{
    if (Form2* form = results_.loaded()) form->RepeatStatsPanel->showStatistics(statistics_);
}
