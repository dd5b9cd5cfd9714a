#include "measure/results_table.h"

#include "app/bench.h"
#include "app/optics.h"
#include "app/form1.h"
#include "app/module1.h"
#include "app/texts.h"
#include "app/units.h"
#include "results/form2.h"

#include <QLabel>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kColumns = 5;
constexpr int kMinimumRows = 24;
constexpr double kColumnWidthsTwips[kColumns] = {500, 950, 950, 950, 1000};
constexpr float kSmallestCenterNm = 1.0F;     // rows with a smaller center hold no channel

QTableWidgetItem* cell(const QString& text, std::uint32_t colour = 0, bool ownColour = false)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    if (ownColour) item->setForeground(vbColor(colour));
    return item;
}

// Clears every cell but the heading row, whose texts stay until a new heading is written.
void clearBelowHeading(QTableWidget& grid)
{
    for (int r = 1; r < grid.rowCount(); ++r)
        for (int c = 0; c < grid.columnCount(); ++c) delete grid.takeItem(r, c);
}

void writeHeading(QTableWidget& grid, const QString& lastColumn)
{
    const QString texts[kColumns] = {QStringLiteral("      "), QStringLiteral(" Center WL "),
                                     QStringLiteral(" Center FQ "), QStringLiteral(" Bandwidth "), lastColumn};
    for (int c = 0; c < kColumns; ++c) grid.setItem(0, c, cell(texts[c]));
}

void writeUnits(QTableWidget& grid, const ResultsTableInput& in)
{
    QString power;
    if (in.alignMode) power = QStringLiteral("(dBm)");
    else if (in.vxmScanMode) power = QStringLiteral("(dB)");
    const QString units[kColumns] = {QStringLiteral("#"), QStringLiteral("(nm)"), QStringLiteral("(THz)"),
                                     QStringLiteral("(nm)"), power};
    for (int c = 0; c < kColumns; ++c) grid.setItem(1, c, cell(units[c], VbColor::Blue, true));
}

void writeRows(QTableWidget& grid, const ResultsTableInput& in)
{
    if (!in.results) return;
    const auto& results = *in.results;
    const auto last = std::min<std::size_t>(static_cast<std::size_t>(std::max(in.channelCount, 0)),
                                            results.empty() ? 0 : results.size() - 1);
    int shown = 0;
    for (std::size_t i = 1; i <= last; ++i) {
        const auto& row = results[i];
        if (!(row[0] >= kSmallestCenterNm)) continue;
        ++shown;
        const int r = shown + 1;
        grid.setItem(r, 0, cell(QString::number(shown)));
        grid.setItem(r, 1, cell(formatResult(row[0])));
        grid.setItem(r, 2, cell(formatResult(centerFrequencyTHz(row[0]))));
        grid.setItem(r, 3, cell(formatResult(row[1])));
        grid.setItem(r, 4, cell(formatResult(row[2])));
    }
}

}  // namespace

QString formatResult(double value)
{
    QString text = QString::number(value, 'f', 3);
    if (text == QLatin1String("-0.000")) text.remove(0, 1);  // a rounded-away sign means nothing
    return text;
}

void fillResultsTable(QTableWidget& grid, QLabel& resultLabel, const ResultsTableInput& in)
{
    const QString pattern = textIn("measure.resultLabel", in.language);
    if (!pattern.isNull()) resultLabel.setText(pattern.arg(in.text8));

    clearBelowHeading(grid);
    grid.setColumnCount(kColumns);
    grid.setRowCount(std::max(in.channelCount + 1, kMinimumRows) + 1);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    grid.setFont(font);
    for (int c = 0; c < kColumns; ++c) grid.setColumnWidth(c, twipsToPixels(kColumnWidthsTwips[c]));

    if (in.alignMode) writeHeading(grid, QStringLiteral(" Peak Power "));
    else if (in.vxmScanMode) writeHeading(grid, QStringLiteral(" Ins. Loss "));

    // Cells without a colour of their own take the grid's black; the units row keeps its blue.
    // The table is complete before anything is drawn, so a passing colour while it is written would
    // never show. Setting the same black again leaves the grid's palette as it is: a palette that
    // changes with every pass makes the grid's scroll bars draw, and the style cache keep, new
    // pictures each time.
    writeUnits(grid, in);
    writeRows(grid, in);
    setForeColor(&grid, VbColor::Black);
}

void FillResultsTable(Bench& bench)
{
    Form1& f = bench.form1();
    Form2& results = bench.form2();
    ResultsTableInput in;
    in.language = Module1.Language;
    in.text8 = f.Text8->text();
    in.alignMode = f.CheckAlignMode->isChecked();
    in.vxmScanMode = f.CheckVXMScanMode->isChecked();
    in.channelCount = Module1.ChannelCount;
    in.results = &Module1.ChannelResults;
    fillResultsTable(*results.MSFlexGrid1, *results.ResultLabel, in);
}
