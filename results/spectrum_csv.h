#pragma once
// The spectrum as CSV text and the proposed names of the exported files.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// A header line naming the columns and units, then one line "wavelength,value" per point
// 0..lastPointIndex, each number rounded to four decimals as in the spectrum workbook. Lines end in
// CR LF. The header follows the workbook's rule ("WL (nm),Power (dBm)" for the laser's power
// spectrum, "WL (nm),IL (dB)" for the device spectrum, which wins); with neither option ticked the
// unit is unknown and the header reads "WL (nm),Value".
QByteArray spectrumCsv(const std::vector<float>& wavelengths, const std::vector<float>& values,
                       std::int32_t lastPointIndex, bool alignModeTicked, bool scanModeTicked);

QString proposedPlotFileName(const QString& timeStamp);  // "VXM_Plot_" + stamp + ".png"
QString proposedCsvFileName(const QString& timeStamp);   // "VXM_Spectrum_" + stamp + ".csv"
