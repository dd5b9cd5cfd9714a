#pragma once
// Export of what the operator sees on the results window: the plot as a PNG picture (the picture
// as drawn, with its tick labels, titles and channel label) and the spectrum as a CSV file. The
// save habits are the workbooks': a time-stamped proposed name, the documents folder, nothing
// written on cancel, a temporary file renamed into place when complete, nothing reported.

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

class Bench;
class Form2;

// The spectrum as CSV text: a header line naming the columns and units, then one line
// "wavelength,value" per point 0..lastPointIndex, each number rounded to four decimals as in the
// spectrum workbook. Lines end in CR LF. The header follows the workbook's rule ("WL (nm),Power
// (dBm)" for the laser's power spectrum, "WL (nm),IL (dB)" for the device spectrum, which wins);
// with neither option ticked the unit is unknown and the header reads "WL (nm),Value".
QByteArray spectrumCsv(const std::vector<float>& wavelengths, const std::vector<float>& values,
                       std::int32_t lastPointIndex, bool alignModeTicked, bool scanModeTicked);

QString proposedPlotFileName(const QString& timeStamp);  // "VXM_Plot_" + stamp + ".png"
QString proposedCsvFileName(const QString& timeStamp);   // "VXM_Spectrum_" + stamp + ".csv"

// The part of the results window that shows the plot: Picture1, the tick labels, both axis titles
// and the channel label, in the window's pixels.
QRect plotRegion(const Form2& form);
// That region as drawn.
QImage plotPicture(Form2& form);

// Writes `bytes` to a temporary file beside `target` and renames it to `target` when complete;
// on failure nothing changes at `target`.
bool saveBytes(const QByteArray& bytes, const QString& target);
bool saveImage(const QImage& image, const QString& target);

// The results window's two export buttons, SavePlot and SaveCSV. Lives as long as the window.
class ExportController : public QObject {
    Q_OBJECT
public:
    ExportController(Bench& bench, Form2& form);

    void SavePlot_Click();
    void SaveCSV_Click();

private:
    // The file name the operator picks, with `suffix` added when typed without one; empty on cancel.
    QString askFileName(const QString& proposedName, const char* filterKey, const QString& suffix) const;

    Bench& bench_;
    Form2& form_;
};
