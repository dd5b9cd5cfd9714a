#include "results/workbook_content.h"

#include "core/optics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::array<double, 5> kPowersOfTen{1.0, 10.0, 100.0, 1000.0, 10000.0};

void appendRow(std::vector<double>& values, std::initializer_list<double> row)
{
    values.insert(values.end(), row.begin(), row.end());
}

}  // namespace

double roundHalfAway(float value, int decimals)
{
    const double scale = kPowersOfTen.at(static_cast<std::size_t>(decimals));
    // A single carries 24 significant bits and 10^4 needs 14, so the product is exact in a double:
    // the tie test below sees the single's true decimal value, not a rounded one. Dividing the
    // integer back gives the double nearest to the shown decimal, as reading the text back would.
    const double rounded = std::round(static_cast<double>(value) * scale) / scale;
    return rounded == 0.0 ? 0.0 : rounded;  // "-0.000" reads back as 0
}

QByteArray csvNumber(double value)
{
    return std::isfinite(value) ? QByteArray::number(value, 'f', 4) : QByteArray();
}

SheetContent resultsSheet(std::int32_t channelCount, const std::vector<std::array<float, 3>>& channelResults)
{
    SheetContent sheet;
    sheet.sheetName = QStringLiteral("VXMData");
    sheet.header = {QStringLiteral(" # "), QStringLiteral("Center WL (nm)"), QStringLiteral("Center FQ (THz)"),
                    QStringLiteral(" Bandwidth (nm)"), QStringLiteral("Insertion Loss (dB)")};
    sheet.columns = 5;
    sheet.fontColumns = 5;
    sheet.fontRows = 10000;
    sheet.centredColumns = 5;
    sheet.centredRows = 10000;
    sheet.columnWidths = {8, 20, 20, 20, 25};

    // Rows 1..channelCount, as far as the analysis filled them.
    const std::size_t filled = channelResults.empty() ? 0 : channelResults.size() - 1;
    const auto count = static_cast<int>(std::min(static_cast<std::size_t>(std::max(channelCount, 0)), filled));
    sheet.values.reserve(static_cast<std::size_t>(count) * 5);
    int written = 0;
    for (int i = 1; i <= count; ++i) {
        const std::array<float, 3>& channel = channelResults[static_cast<std::size_t>(i)];
        if (channel[0] >= 1.0F) {
            ++written;
            appendRow(sheet.values, {static_cast<double>(written), roundHalfAway(channel[0], 3),
                                     roundHalfAway(centerFrequencyTHz(channel[0]), 3), roundHalfAway(channel[1], 3),
                                     roundHalfAway(channel[2], 3)});
        } else {
            appendRow(sheet.values, {0, 0, 0, 0, 0});
        }
    }
    return sheet;
}

SheetContent spectrumSheet(const std::vector<float>& wavelengths, const std::vector<float>& values,
                           std::int32_t lastPointIndex, bool alignModeTicked, bool scanModeTicked)
{
    SheetContent sheet;
    sheet.sheetName = QStringLiteral("Spectrum");
    // The scan-mode header is written after the align-mode one, so it wins when both are ticked.
    if (alignModeTicked) sheet.header = {QStringLiteral("WL (nm)"), QStringLiteral(" Power (dBm)")};
    if (scanModeTicked) sheet.header = {QStringLiteral("WL (nm)"), QStringLiteral(" IL (dB)")};
    sheet.columns = 2;
    sheet.fontColumns = 4;
    sheet.fontRows = 20002;
    sheet.centredColumns = 2;
    sheet.centredRows = 20002;
    sheet.columnWidths = {15, 20};

    // Points 0..lastPointIndex, as far as both arrays hold them.
    const auto available = std::min(wavelengths.size(), values.size());
    const auto wanted = static_cast<std::size_t>(std::max<std::int64_t>(std::int64_t{lastPointIndex} + 1, 0));
    const auto count = std::min(wanted, available);
    sheet.values.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i)
        appendRow(sheet.values, {roundHalfAway(wavelengths[i], 4), roundHalfAway(values[i], 4)});
    return sheet;
}

QString saveTimeStamp(const QDateTime& moment) { return moment.toString(QStringLiteral("yyyyMMdd_HHmmss")); }

QString proposedResultsFileName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Test_") + timeStamp + QStringLiteral(".xlsx");
}

QString proposedSpectrumFileName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Spectrum_") + timeStamp + QStringLiteral(".xlsx");
}
