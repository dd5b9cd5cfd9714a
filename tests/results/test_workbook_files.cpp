// Workbooks written by the libxlsxwriter writer, read back from the files as a spreadsheet
// program would read them.

#include "results/workbook_content.h"
#include "results/workbook_writer.h"
#include "test_workbook_oracle.h"
#include "test_workbook_reader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace {

std::vector<std::array<float, 3>> threeChannels()
{
    return {{0, 0, 0}, {1550.0F, 0.4004F, -3.2125F}, {0.5F, 0.2F, -7.0F}, {1552.5F, 0.25F, -1.0F}};
}

XlsxWorkbook writeAndRead(const SheetContent& sheet, const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    EXPECT_TRUE(XlsxWorkbookWriter().write(sheet, path));
    return readXlsx(path);
}

std::vector<double> numbersInRow(const XlsxWorkbook& book, int row, int columns)
{
    std::vector<double> out;
    for (int c = 0; c < columns; ++c) {
        const XlsxCell* cell = book.cell(row, c);
        out.push_back(cell != nullptr && cell->isNumber ? cell->number : std::nan(""));
    }
    return out;
}

void expectCourierNew12(const XlsxWorkbook& book, int style, const std::string& where)
{
    const XlsxFont font = book.fontOf(style);
    EXPECT_EQ(font.name, "Courier New") << where;
    EXPECT_EQ(font.size, 12.0) << where;
}

// A spreadsheet stores the width plus the cell padding, less than one character more.
void expectWidth(const XlsxWorkbook& book, int column, double characters)
{
    const auto col = book.column(column);
    ASSERT_TRUE(col.has_value()) << "column " << column;
    EXPECT_GE(col->width, characters) << "column " << column;
    EXPECT_LT(col->width, characters + 1.0) << "column " << column;
}

// A wavelength grid and a ripple as a scan produces them, in single precision.
void spectrum(int points, std::vector<float>& wl, std::vector<float>& value)
{
    for (int i = 0; i < points; ++i) {
        wl.push_back(1500.0F + 0.004F * static_cast<float>(i));
        value.push_back(-40.0F + 30.0F * std::sin(0.01F * static_cast<float>(i)));
    }
}

}  // namespace

TEST(WorkbookFile, ResultsHoldSheetHeaderNumbersAndZeroRows)
{
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(resultsSheet(3, threeChannels()), dir);

    EXPECT_EQ(book.sheetNames, QStringList{"VXMData"});
    const QStringList header{" # ", "Center WL (nm)", "Center FQ (THz)", " Bandwidth (nm)", "Insertion Loss (dB)"};
    for (int c = 0; c < 5; ++c) {
        const XlsxCell* cell = book.cell(1, c);
        ASSERT_NE(cell, nullptr);
        EXPECT_FALSE(cell->isNumber);
        EXPECT_EQ(cell->text, header[c]);  // leading and trailing blanks kept
    }
    EXPECT_EQ(numbersInRow(book, 2, 5), (std::vector<double>{1, 1550.0, 193.414, 0.4, -3.213}));
    EXPECT_EQ(numbersInRow(book, 3, 5), (std::vector<double>{0, 0, 0, 0, 0}));
    EXPECT_EQ(numbersInRow(book, 4, 5), (std::vector<double>{2, 1552.5, 193.103, 0.25, -1.0}));
    // Nothing else: the formatting ranges add no stored cells.
    EXPECT_EQ(book.cells.size(), 20);
    EXPECT_EQ(book.lastRow(), 4);
}

TEST(WorkbookFile, ResultsCarryTheFontCentringAndWidthsOnCellsAndColumns)
{
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(resultsSheet(3, threeChannels()), dir);

    for (auto it = book.cells.cbegin(); it != book.cells.cend(); ++it) {
        const std::string where = "cell " + std::to_string(it.key().first) + "/" + std::to_string(it.key().second);
        expectCourierNew12(book, it->style, where);
        EXPECT_EQ(book.horizontalOf(it->style), "center") << where;
    }
    const double widths[] = {8, 20, 20, 20, 25};
    for (int c = 0; c < 5; ++c) {
        expectWidth(book, c, widths[c]);
        const auto col = book.column(c);
        ASSERT_TRUE(col.has_value());
        // The column format is what the empty cells of A1:E10000 show.
        expectCourierNew12(book, col->style, "column " + std::to_string(c));
        EXPECT_EQ(book.horizontalOf(col->style), "center");
    }
    EXPECT_FALSE(book.column(5).has_value());
}

TEST(WorkbookFile, ResultsWithoutChannelsHoldTheHeaderOnly)
{
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(resultsSheet(0, {}), dir);
    EXPECT_EQ(book.sheetNames, QStringList{"VXMData"});
    EXPECT_EQ(book.cells.size(), 5);
    EXPECT_EQ(book.lastRow(), 1);
    ASSERT_NE(book.cell(1, 4), nullptr);
    EXPECT_EQ(book.cell(1, 4)->text, "Insertion Loss (dB)");
}

TEST(WorkbookFile, FullSpectrumFillsRows2To20002WithFourDecimalNumbers)
{
    std::vector<float> wl, value;
    spectrum(20001, wl, value);
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(spectrumSheet(wl, value, 20000, false, true), dir);

    EXPECT_EQ(book.sheetNames, QStringList{"Spectrum"});
    ASSERT_NE(book.cell(1, 1), nullptr);
    EXPECT_EQ(book.cell(1, 0)->text, "WL (nm)");
    EXPECT_EQ(book.cell(1, 1)->text, " IL (dB)");
    EXPECT_EQ(book.lastRow(), 20002);
    EXPECT_EQ(book.cells.size(), 2 + 2 * 20001);
    int mismatches = 0;
    for (int i = 0; i < 20001; ++i) {
        const auto numbers = numbersInRow(book, i + 2, 2);
        if (numbers[0] != decimalRoundOracle(wl[static_cast<std::size_t>(i)], 4) ||
            numbers[1] != decimalRoundOracle(value[static_cast<std::size_t>(i)], 4))
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(book.cell(20002, 0)->number, decimalRoundOracle(1500.0F + 0.004F * 20000.0F, 4));
}

TEST(WorkbookFile, SpectrumFontReachesFourColumnsAndCentringTwo)
{
    std::vector<float> wl, value;
    spectrum(10, wl, value);
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(spectrumSheet(wl, value, 9, true, false), dir);

    EXPECT_EQ(book.cell(1, 1)->text, " Power (dBm)");
    expectWidth(book, 0, 15);
    expectWidth(book, 1, 20);
    for (int c = 0; c < 4; ++c) {
        const auto col = book.column(c);
        ASSERT_TRUE(col.has_value()) << "column " << c;
        expectCourierNew12(book, col->style, "column " + std::to_string(c));
        EXPECT_EQ(book.horizontalOf(col->style), c < 2 ? "center" : "") << "column " << c;
    }
    EXPECT_FALSE(book.column(4).has_value());
    const XlsxCell* data = book.cell(5, 1);
    ASSERT_NE(data, nullptr);
    expectCourierNew12(book, data->style, "B5");
    EXPECT_EQ(book.horizontalOf(data->style), "center");
}

TEST(WorkbookFile, SpectrumWithNeitherModeTickedLeavesRowOneEmpty)
{
    const std::vector<float> wl{1550.0F, 1550.004F}, value{-3.0F, -3.5F};
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(spectrumSheet(wl, value, 1, false, false), dir);
    EXPECT_EQ(book.cell(1, 0), nullptr);
    EXPECT_EQ(book.cell(1, 1), nullptr);
    EXPECT_EQ(numbersInRow(book, 2, 2), (std::vector<double>{1550.0, -3.0}));
    EXPECT_EQ(numbersInRow(book, 3, 2), (std::vector<double>{1550.004, -3.5}));
}

TEST(WorkbookFile, NumbersASpreadsheetCannotHoldAreLeftBlank)
{
    std::vector<std::array<float, 3>> table{{0, 0, 0}, {1550.0F, std::nanf(""), -INFINITY}};
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(resultsSheet(1, table), dir);
    ASSERT_NE(book.cell(2, 3), nullptr);
    EXPECT_FALSE(book.cell(2, 3)->isNumber && !std::isnan(book.cell(2, 3)->number));
    EXPECT_TRUE(book.cell(2, 3)->text.isEmpty());
    EXPECT_EQ(book.cell(2, 1)->number, 1550.0);
}

TEST(WorkbookFile, WrittenCellsOutsideTheRangesKeepTheDefaultLook)
{
    SheetContent sheet;
    sheet.sheetName = "Short";
    sheet.columns = 3;
    sheet.values = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // rows 2..4
    sheet.fontColumns = 2;
    sheet.fontRows = 2;
    sheet.centredColumns = 1;
    sheet.centredRows = 3;
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(sheet, dir);

    expectCourierNew12(book, book.cell(2, 1)->style, "B2");
    EXPECT_EQ(book.horizontalOf(book.cell(2, 1)->style), "");
    EXPECT_NE(book.fontOf(book.cell(3, 0)->style).name, "Courier New");  // below the font range
    EXPECT_EQ(book.horizontalOf(book.cell(3, 0)->style), "center");      // still in the centring one
    EXPECT_NE(book.fontOf(book.cell(2, 2)->style).name, "Courier New");  // right of the font range
    EXPECT_EQ(book.horizontalOf(book.cell(4, 0)->style), "");
    EXPECT_EQ(book.cell(4, 2)->number, 9.0);
}

namespace {

// A writer that gets half way and fails, as a full disk would make it.
class FailingWriter final : public WorkbookWriter {
public:
    bool write(const SheetContent&, const QString& path) override
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write("PK\x03\x04 half a workbook");
        seenPath = path;
        return false;
    }
    QString seenPath;
};

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

TEST(WorkbookSave, AFailedWriteLeavesTheChosenNameAsItWasAndNoTemporary)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("VXM_Test_1.xlsx");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous workbook");
    }
    FailingWriter failing;
    EXPECT_FALSE(saveWorkbook(failing, resultsSheet(0, {}), target));
    // It wrote beside the target, not onto it.
    EXPECT_EQ(QFileInfo(failing.seenPath).absolutePath(), QFileInfo(target).absolutePath());
    EXPECT_NE(failing.seenPath, target);
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "previous workbook");
    EXPECT_EQ(entries(dir.path()), QStringList{"VXM_Test_1.xlsx"});
}

TEST(WorkbookSave, ACompleteWriteReplacesTheChosenFile)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("VXM_Test_1.xlsx");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous workbook");
    }
    XlsxWorkbookWriter writer;
    EXPECT_TRUE(saveWorkbook(writer, resultsSheet(3, threeChannels()), target));
    EXPECT_EQ(readXlsx(target).sheetNames, QStringList{"VXMData"});
    EXPECT_EQ(entries(dir.path()), QStringList{"VXM_Test_1.xlsx"});
}

TEST(WorkbookSave, AnUnwritablePlaceFailsWithoutLeavingFiles)
{
    QTemporaryDir dir;
    XlsxWorkbookWriter writer;
    // A folder that does not exist: nothing can be written at all.
    EXPECT_FALSE(saveWorkbook(writer, resultsSheet(0, {}), dir.filePath("missing/VXM_Test_1.xlsx")));
    EXPECT_TRUE(entries(dir.path()).isEmpty());
    // A name taken by a folder: the temporary is complete but cannot be renamed, and goes.
    ASSERT_TRUE(QDir(dir.path()).mkpath("taken/inside"));
    EXPECT_FALSE(saveWorkbook(writer, resultsSheet(0, {}), dir.filePath("taken")));
    EXPECT_EQ(entries(dir.path()), QStringList{"taken"});
    EXPECT_EQ(entries(dir.filePath("taken")), QStringList{"inside"});
}
