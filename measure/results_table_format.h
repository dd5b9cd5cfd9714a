#pragma once
// What the results table shows, as text: its caption, heading, units row and one row per channel
// found. The table widget itself is filled by results_table.h.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct ResultsTableInput {
    int language = 1;
    QString text8;                 // the dB-down level as typed
    bool alignMode = false;        // a laser power spectrum: the last column is a peak power
    bool vxmScanMode = false;      // a device spectrum: the last column is an insertion loss
    std::int32_t channelCount = 0;
    const std::vector<std::array<float, 3>>* results = nullptr;  // rows 1..channelCount
};

inline constexpr int kResultColumns = 5;
using ResultRowText = std::array<QString, kResultColumns>;

// The number as the table, the log and the workbooks show results: three decimals.
QString formatResult(double value);

// "Analysis results at <Text8> dB down" in the language; null for a language without texts.
QString resultCaption(const ResultsTableInput& in);
// The heading row; none when neither spectrum box is ticked (the old heading then stays).
std::optional<ResultRowText> resultHeading(const ResultsTableInput& in);
ResultRowText resultUnits(const ResultsTableInput& in);
// One row per channel whose center is at least 1 nm, numbered from 1: number, center nm, center
// THz, bandwidth nm, peak value.
std::vector<ResultRowText> resultRows(const ResultsTableInput& in);
