#pragma once
// What goes into the two saved workbooks, as plain data: sheet name, header texts, the table of
// numbers below it and the ranges that carry the font, the widths and the centring. No file
// handling here; a WorkbookWriter turns a SheetContent into a file.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

struct SheetContent {
    QString sheetName;
    QStringList header;          // row 1, from column A; empty: row 1 stays empty
    int columns = 0;             // columns of the number table, from column A
    std::vector<double> values;  // the number table, row-major, its first row in sheet row 2
    // Texts in the number table, row-major like `values` (or empty): a cell with a non-null text
    // holds that text instead of its number.
    std::vector<QString> texts;

    // Formatting ranges, all starting at A1: the font "Courier New" 12 on fontColumns x fontRows,
    // horizontal centring on centredColumns x centredRows.
    int fontColumns = 0;
    int fontRows = 0;
    int centredColumns = 0;
    int centredRows = 0;
    std::vector<double> columnWidths;  // characters, from column A; columns beyond keep the default

    int rows() const { return columns > 0 ? static_cast<int>(values.size()) / columns : 0; }
    double value(int row, int column) const { return values[static_cast<std::size_t>(row * columns + column)]; }
    QString text(int row, int column) const
    {
        return texts.empty() ? QString() : texts[static_cast<std::size_t>(row * columns + column)];
    }
};

inline constexpr char kWorkbookFontName[] = "Courier New";
constexpr double kWorkbookFontSize = 12.0;

// `value` rounded to `decimals` (0..4) decimal places, half away from zero, as the number a
// "0.000"-style format shows and reads back: decided on the single's exact decimal value.
double roundHalfAway(float value, int decimals);

// A number of a sheet as a CSV field: four decimals, as the spectrum sheet rounds them; a number a
// spreadsheet cannot hold stays an empty field, as it stays a blank cell.
QByteArray csvNumber(double value);

// The results workbook: one row per channel 1..channelCount of `channelResults` (row 0 unused;
// columns center nm, bandwidth nm, peak value). A channel below 1.0 nm gives a row of zeros.
SheetContent resultsSheet(std::int32_t channelCount, const std::vector<std::array<float, 3>>& channelResults);

// The spectrum workbook: points 0..lastPointIndex of the wavelength and value arrays.
SheetContent spectrumSheet(const std::vector<float>& wavelengths, const std::vector<float>& values,
                           std::int32_t lastPointIndex, bool alignModeTicked, bool scanModeTicked);

// "yyyyMMdd_HHmmss" of the moment a save button is clicked.
QString saveTimeStamp(const QDateTime& moment);
QString proposedResultsFileName(const QString& timeStamp);
QString proposedSpectrumFileName(const QString& timeStamp);
