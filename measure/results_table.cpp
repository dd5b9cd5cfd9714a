#include "measure/results_table.h"

#include "core/control_placement.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "core/units.h"
#include "results/form2.h"

#include <QLabel>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kMinimumRows = 24;
constexpr double kColumnWidthsTwips[kResultColumns] = {500, 950, 950, 950, 1000};

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

void writeRow(QTableWidget& grid, int row, const ResultRowText& texts, std::uint32_t colour = 0, bool ownColour = false)
{
    for (int c = 0; c < kResultColumns; ++c) grid.setItem(row, c, cell(texts[static_cast<std::size_t>(c)], colour, ownColour));
}

}  // namespace

void fillResultsTable(QTableWidget& grid, QLabel& resultLabel, const ResultsTableInput& in)
{
    const QString caption = resultCaption(in);
    if (!caption.isNull()) resultLabel.setText(caption);

    clearBelowHeading(grid);
    grid.setColumnCount(kResultColumns);
    grid.setRowCount(std::max(in.channelCount + 1, kMinimumRows) + 1);
    grid.setFont(arialFont(10));
    for (int c = 0; c < kResultColumns; ++c) grid.setColumnWidth(c, twipsToPixels(kColumnWidthsTwips[c]));

    if (const auto heading = resultHeading(in)) writeRow(grid, 0, *heading);

    // Cells without a colour of their own take the grid's black; the units row keeps its blue.
    // The table is complete before anything is drawn, so a passing colour while it is written would
    // never show. Setting the same black again leaves the grid's palette as it is: a palette that
    // changes with every pass makes the grid's scroll bars draw, and the style cache keep, new
    // pictures each time.
    writeRow(grid, 1, resultUnits(in), VbColor::Blue, true);
    int r = 2;
    for (const ResultRowText& row : resultRows(in)) writeRow(grid, r++, row);
    setForeColor(&grid, VbColor::Black);
}

void FillResultsTable(const Form1& main, Form2& results)
{
    ResultsTableInput in;
    in.language = Module1.Language;
    in.text8 = main.Text8->text();
    in.alignMode = main.CheckAlignMode->isChecked();
    in.vxmScanMode = main.CheckVXMScanMode->isChecked();
    in.channelCount = Module1.ChannelCount;
    in.results = &Module1.ChannelResults;
    fillResultsTable(*results.MSFlexGrid1, *results.ResultLabel, in);
}
