#include "results/spectrum_csv.h"

#include "results/workbook_content.h"

#include <QStringList>

QByteArray spectrumCsv(const std::vector<float>& wavelengths, const std::vector<float>& values,
                       std::int32_t lastPointIndex, bool alignModeTicked, bool scanModeTicked)
{
    // The workbook's sheet already holds the header rule and the rounded numbers.
    const SheetContent sheet = spectrumSheet(wavelengths, values, lastPointIndex, alignModeTicked, scanModeTicked);
    QStringList header;
    for (const QString& name : sheet.header) header << name.trimmed();
    if (header.isEmpty()) header = QStringList{QStringLiteral("WL (nm)"), QStringLiteral("Value")};

    QByteArray text = header.join(u',').toUtf8() + "\r\n";
    text.reserve(text.size() + sheet.rows() * 22);
    for (int r = 0; r < sheet.rows(); ++r) text += csvNumber(sheet.value(r, 0)) + ',' + csvNumber(sheet.value(r, 1)) + "\r\n";
    return text;
}

QString proposedPlotFileName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Plot_") + timeStamp + QStringLiteral(".png");
}

QString proposedCsvFileName(const QString& timeStamp)
{
    return QStringLiteral("VXM_Spectrum_") + timeStamp + QStringLiteral(".csv");
}
