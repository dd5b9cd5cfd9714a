#pragma once
// The results table of the results window: its caption, heading, units row and one row per
// channel found.

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class Bench;
class QLabel;
class QTableWidget;

struct ResultsTableInput {
    int language = 1;
    QString text8;                 // the dB-down level as typed
    bool alignMode = false;        // a laser power spectrum: the last column is a peak power
    bool vxmScanMode = false;      // a device spectrum: the last column is an insertion loss
    std::int32_t channelCount = 0;
    const std::vector<std::array<float, 3>>* results = nullptr;  // rows 1..channelCount
};

// The number as the table, the log and the workbooks show results: three decimals.
QString formatResult(double value);

void fillResultsTable(QTableWidget& grid, QLabel& resultLabel, const ResultsTableInput& in);

// The measurement step: the table of the results window from the shared results and the main
// window's settings.
void FillResultsTable(Bench& bench);
