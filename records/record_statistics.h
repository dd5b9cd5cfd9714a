#pragma once
// What the store's SQL gives the line's statistics for one filter: the yield counts, the
// aggregates of every figure of every port and channel with the recipe's bounds, and the count of
// failures per figure. Computed in SQL over the figure rows, never from the spectra; the pure
// functions of capability.h, control_chart.h and line_yield.h turn them into indices and charts.
#include "records/capability.h"
#include "records/line_yield.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

struct FigureStatistics {
    std::int32_t port = 0;          // 0: the device's common trace, or no ports
    std::int32_t channel = 0;       // 1-based, as the results table numbers them
    QString figure;                 // the figure's key, e.g. "insertion_loss"
    stats::Aggregates aggregates;   // over the values in time order
    stats::SpecLimits limits;       // the bounds of the newest row of the figure
};

struct LineStatistics {
    stats::Yield yield;             // over the records that judge a device
    std::vector<FigureStatistics> figures;      // by port, channel, figure key
    std::vector<stats::FailureCount> failures;  // figures that failed, for the Pareto
};

// One value of a figure, for the run chart and the histogram.
struct FigureValue {
    QDateTime utc;
    double value = 0.0;
};
