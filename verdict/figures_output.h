#pragma once
// The verdict as saved: the "Figures" sheet of the results workbook and the figures CSV file.
// Every figure of every channel, its verdict and failing figures, and a last row for the device.

#include "results/workbook_content.h"
#include "verdict/device_verdict.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <span>

namespace verdict {

// The figures in the columns before "Verdict" and "Failing". The mask margin, the youngest figure,
// comes after them, last, so that files read by column position keep every earlier column.
inline constexpr std::span<const Figure, kFigureCount - 1> kLeadingFigures =
    std::span(kFigures).first<kFigureCount - 1>();
static_assert(kFigures.back() == Figure::MaskMargin);

// The columns after "#", "Center WL (nm)", "Grid (nm)" and the leading figures.
inline constexpr int kVerdictColumn = 3 + static_cast<int>(kLeadingFigures.size());
inline constexpr int kFailingColumn = kVerdictColumn + 1;
inline constexpr int kMaskColumn = kVerdictColumn + 2;
inline constexpr int kFiguresColumns = kMaskColumn + 1;

// Column headings, the same in the sheet and the file: "#", "Center WL (nm)", "Grid (nm)", then one
// per leading figure (the extra bandwidths name their levels), "Verdict", "Failing" and
// "Mask margin (dB)".
QStringList figuresHeader(const FigureLevels& levels);

// The number shown for a figure: three decimals, "-" where it cannot be measured.
QString figureText(double value);

// The sheet "Figures": numbers as numbers rounded to three decimals, "-", the verdicts and the
// failing figures as texts. The device row reads "Device" in column A, its verdict under
// "Verdict" and a wrong channel count ("channels 3 of 4") under "Failing".
SheetContent figuresSheet(const DeviceVerdict& verdict);

// The same table as CSV, lines ending in CR LF.
QByteArray figuresCsv(const DeviceVerdict& verdict);

// The figures file saved beside a spectrum CSV: "<name>_figures.csv" in its folder.
QString figuresCsvPath(const QString& spectrumCsvPath);

}  // namespace verdict
