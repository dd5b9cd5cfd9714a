#pragma once
// The verdict as saved: the "Figures" sheet of the results workbook and the figures CSV file.
// Every figure of every channel, its verdict and failing figures, and a last row for the device.

#include "results/workbook_content.h"
#include "verdict/device_verdict.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace verdict {

// Column headings, the same in the sheet and the file: "#", "Center WL (nm)", "Grid (nm)", then one
// per figure (the extra bandwidths name their levels), "Verdict", "Failing".
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
