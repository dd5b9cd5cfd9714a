#include "verdict/figures_output.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace verdict {

namespace {

QString columnName(Figure f, const FigureLevels& levels)
{
    switch (f) {
    case Figure::OffsetNm: return QStringLiteral("Offset (nm)");
    case Figure::OffsetGhz: return QStringLiteral("Offset (GHz)");
    case Figure::Bandwidth: return QStringLiteral("Bandwidth (nm)");
    case Figure::BandwidthLevel1: return QStringLiteral("BW %1 dB (nm)").arg(levels.level1Db);
    case Figure::BandwidthLevel2: return QStringLiteral("BW %1 dB (nm)").arg(levels.level2Db);
    case Figure::Ripple: return QStringLiteral("Ripple (dB)");
    case Figure::InsertionLoss: return QStringLiteral("IL (dB)");
    case Figure::InsertionLossMin: return QStringLiteral("IL min (dB)");
    case Figure::InsertionLossMax: return QStringLiteral("IL max (dB)");
    case Figure::Isolation: return QStringLiteral("Isolation (dB)");
    case Figure::MaskMargin: return QStringLiteral("Mask margin (dB)");
    }
    return {};
}

struct Cell {
    double number = 0.0;
    bool isText = false;
    QString text;
};

Cell text(const QString& t) { return {0.0, true, t}; }

std::vector<std::vector<Cell>> table(const DeviceVerdict& verdict)
{
    const auto number = [](double v) { return std::isnan(v) ? text(QStringLiteral("-")) : Cell{v, false, {}}; };
    std::vector<std::vector<Cell>> rows;
    for (const ChannelVerdict& c : verdict.channels) {
        std::vector<Cell> row{number(c.number), number(c.figures.centerNm),
                              number(c.figures.grid ? c.figures.grid->wavelengthNm : NAN)};
        for (Figure f : kLeadingFigures) row.push_back(number(c.figures[f]));
        QStringList failing;
        for (Figure f : c.failing) failing << figureKey(f);
        row.push_back(text(outcomeText(c.outcome)));
        row.push_back(text(failing.join(u' ')));
        row.push_back(number(c.figures[Figure::MaskMargin]));
        rows.push_back(std::move(row));
    }
    std::vector<Cell> device(kFiguresColumns, text(QString()));
    device[0].text = QStringLiteral("Device");
    device[kVerdictColumn].text = outcomeText(verdict.outcome);
    if (verdict.channelCountFails)
        device[kFailingColumn].text =
            QStringLiteral("channels %1 of %2").arg(verdict.channels.size()).arg(*verdict.expectedChannels);
    rows.push_back(std::move(device));
    return rows;
}

}  // namespace

QStringList figuresHeader(const FigureLevels& levels)
{
    QStringList h{QStringLiteral("#"), QStringLiteral("Center WL (nm)"), QStringLiteral("Grid (nm)")};
    for (Figure f : kLeadingFigures) h << columnName(f, levels);
    h << QStringLiteral("Verdict") << QStringLiteral("Failing") << columnName(Figure::MaskMargin, levels);
    return h;
}

QString figureText(double value)
{
    return std::isnan(value) ? QStringLiteral("-") : QString::number(value, 'f', 3);
}

SheetContent figuresSheet(const DeviceVerdict& verdict)
{
    SheetContent sheet;
    sheet.sheetName = QStringLiteral("Figures");
    sheet.header = figuresHeader(verdict.levels);
    sheet.columns = static_cast<int>(sheet.header.size());
    sheet.fontColumns = sheet.columns;
    sheet.centredColumns = sheet.columns;
    sheet.columnWidths.assign(static_cast<std::size_t>(sheet.columns), 16.0);
    sheet.columnWidths.front() = 8.0;
    sheet.columnWidths[kFailingColumn] = 30.0;
    for (const std::vector<Cell>& row : table(verdict))
        for (const Cell& cell : row) {
            // An empty text stays a blank cell: a number the sheet cannot hold, with no text.
            const bool blank = cell.isText && cell.text.isEmpty();
            sheet.values.push_back(blank         ? NAN
                                   : cell.isText ? 0.0
                                                 : roundHalfAway(static_cast<float>(cell.number), 3));
            sheet.texts.push_back(cell.isText && !blank ? cell.text : QString());
        }
    sheet.fontRows = sheet.rows() + 1;
    sheet.centredRows = sheet.fontRows;
    return sheet;
}

QByteArray figuresCsv(const DeviceVerdict& verdict)
{
    QByteArray text = figuresHeader(verdict.levels).join(u',').toUtf8() + "\r\n";
    for (const std::vector<Cell>& row : table(verdict)) {
        QStringList fields;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const Cell& cell = row[c];
            fields << (cell.isText ? cell.text
                       : c == 0          ? QString::number(cell.number, 'f', 0)
                                         : figureText(cell.number));
        }
        text += fields.join(u',').toUtf8() + "\r\n";
    }
    return text;
}

QString figuresCsvPath(const QString& spectrumCsvPath)
{
    const QFileInfo info(spectrumCsvPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("_figures.csv"));
}

}  // namespace verdict
