// Workbooks written by the libxlsxwriter writer, read back from the files as a spreadsheet
// program would read them.

#include "results/workbook_content.h"
#include "results/workbook_writer.h"
#include "results_support.h"
#include "test_workbook_oracle.h"
#include "test_workbook_reader.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace results_test;

namespace {

using Table = std::vector<std::vector<double>>;

const std::vector<std::array<float, 3>> kThreeChannels = {
    {0, 0, 0}, {1550.0F, 0.4004F, -3.2125F}, {0.5F, 0.2F, -7.0F}, {1552.5F, 0.25F, -1.0F}};

class WorkbookFile : public testing::Test {
protected:
    XlsxWorkbook writeAndRead(const SheetContent& sheet)
    {
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        EXPECT_TRUE(XlsxWorkbookWriter().write(sheet, path));
        return readXlsx(path);
    }
    QTemporaryDir dir;
};

// The cells of rows first..last, numbers as they are and texts as NaN.
Table numbers(const XlsxWorkbook& book, int first, int last, int columns)
{
    Table out;
    for (int r = first; r <= last; ++r) {
        out.emplace_back();
        for (int c = 0; c < columns; ++c) {
            const XlsxCell* cell = book.cell(r, c);
            out.back().push_back(cell != nullptr && cell->isNumber ? cell->number : std::nan(""));
        }
    }
    return out;
}

// The texts of row 1; "(number)" or "(none)" where a cell is not text.
QStringList heading(const XlsxWorkbook& book, int columns)
{
    QStringList out;
    for (int c = 0; c < columns; ++c) {
        const XlsxCell* cell = book.cell(1, c);
        out << (cell == nullptr ? "(none)" : cell->isNumber ? "(number)" : cell->text);
    }
    return out;
}

// Courier New 12 with the given horizontal alignment ("" none).
void expectLook(const XlsxLook& look, const QString& horizontal, const std::string& where)
{
    EXPECT_EQ(std::tuple(look.font, look.size, look.horizontal), std::tuple(QStringLiteral("Courier New"), 12.0, horizontal)) << where;
}

// Column `column`'s style looks as given; its stored width is the characters plus the cell
// padding, less than one character more.
void expectColumn(const XlsxWorkbook& book, int column, double characters, const QString& horizontal)
{
    const auto col = book.column(column);
    ASSERT_TRUE(col.has_value()) << "column " << column;
    if (characters > 0) { EXPECT_TRUE(col->width >= characters && col->width < characters + 1.0) << "column " << column << ": " << col->width; }
    expectLook(col->look, horizontal, "column " + std::to_string(column));  // what empty cells show
}

}  // namespace

TEST_F(WorkbookFile, ResultsHoldHeaderNumbersAndZeroRowsInCourierNewCentredAndSized)
{
    const XlsxWorkbook book = writeAndRead(resultsSheet(3, kThreeChannels));
    EXPECT_EQ(book.sheetNames, QStringList{"VXMData"});
    const QStringList header{" # ", "Center WL (nm)", "Center FQ (THz)", " Bandwidth (nm)", "Insertion Loss (dB)"};
    EXPECT_EQ(heading(book, 5), header);  // leading and trailing blanks kept
    EXPECT_EQ(numbers(book, 2, 4, 5), (Table{{1, 1550.0, 193.414, 0.4, -3.213}, {0, 0, 0, 0, 0}, {2, 1552.5, 193.103, 0.25, -1.0}}));
    EXPECT_EQ(book.cells.size(), 20) << "the formatting ranges add no stored cells";
    for (auto it = book.cells.cbegin(); it != book.cells.cend(); ++it)
        expectLook(it->look, "center", "cell " + std::to_string(it.key().first) + "/" + std::to_string(it.key().second));
    const double widths[] = {8, 20, 20, 20, 25};
    for (int c = 0; c < 5; ++c) expectColumn(book, c, widths[c], "center");
    EXPECT_FALSE(book.column(5).has_value());

    // Numbers a spreadsheet cannot hold are left blank.
    const XlsxWorkbook odd = writeAndRead(resultsSheet(1, {{0, 0, 0}, {1550.0F, std::nanf(""), -INFINITY}}));
    ASSERT_NE(odd.cell(2, 3), nullptr);
    EXPECT_FALSE(odd.cell(2, 3)->isNumber && !std::isnan(odd.cell(2, 3)->number));
    EXPECT_TRUE(odd.cell(2, 3)->text.isEmpty());
    EXPECT_EQ(odd.cell(2, 1)->number, 1550.0);
}

TEST_F(WorkbookFile, FullSpectrumFillsRows2To20002WithFourDecimalNumbers)
{
    std::vector<float> wl, value;
    for (int i = 0; i < 20001; ++i) {
        wl.push_back(1500.0F + 0.004F * static_cast<float>(i));
        value.push_back(-40.0F + 30.0F * std::sin(0.01F * static_cast<float>(i)));
    }
    const XlsxWorkbook book = writeAndRead(spectrumSheet(wl, value, 20000, false, true));
    EXPECT_EQ(book.sheetNames, QStringList{"Spectrum"});
    EXPECT_EQ(heading(book, 2), QStringList({"WL (nm)", " IL (dB)"}));
    EXPECT_EQ(book.cells.size(), 2 + 2 * 20001);
    Table expected;
    for (std::size_t i = 0; i < wl.size(); ++i) expected.push_back({decimalRoundOracle(wl[i], 4), decimalRoundOracle(value[i], 4)});
    EXPECT_TRUE(numbers(book, 2, 20002, 2) == expected);
}

TEST_F(WorkbookFile, SpectrumFontReachesFourColumnsAndCentringTwo)
{
    const XlsxWorkbook book = writeAndRead(spectrumSheet({1550.0F, 1550.004F}, {-3.0F, -3.5F}, 1, true, false));
    expectColumn(book, 0, 15, "center");
    expectColumn(book, 1, 20, "center");
    for (int c : {2, 3}) expectColumn(book, c, 0, "");
    EXPECT_FALSE(book.column(4).has_value());
    expectLook(book.cell(3, 1)->look, "center", "B3");
    EXPECT_EQ(numbers(book, 2, 3, 2), (Table{{1550.0, -3.0}, {1550.004, -3.5}}));
    // With neither mode ticked row 1 stays empty.
    EXPECT_EQ(heading(writeAndRead(spectrumSheet({1550.0F}, {-3.0F}, 0, false, false)), 2), QStringList({"(none)", "(none)"}));
}

TEST_F(WorkbookFile, WrittenCellsOutsideTheRangesKeepTheDefaultLook)
{
    SheetContent sheet;
    sheet.sheetName = "Short";
    sheet.columns = 3;
    sheet.values = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // rows 2..4
    sheet.fontColumns = sheet.fontRows = 2;
    sheet.centredColumns = 1;
    sheet.centredRows = 3;
    const XlsxWorkbook book = writeAndRead(sheet);
    const auto courier = [&](int row, int column) { return book.cell(row, column)->look.font == "Courier New"; };
    const auto centred = [&](int row, int column) { return book.cell(row, column)->look.horizontal == "center"; };
    expectLook(book.cell(2, 1)->look, "", "B2");
    EXPECT_FALSE(courier(3, 0)) << "below the font range";
    EXPECT_TRUE(centred(3, 0)) << "still in the centring one";
    EXPECT_FALSE(courier(2, 2)) << "right of the font range";
    EXPECT_FALSE(centred(4, 0));
    EXPECT_EQ(book.cell(4, 2)->number, 9.0);
}

namespace {

// A writer that gets half way and fails, as a full disk would make it.
class FailingWriter final : public WorkbookWriter {
public:
    bool write(std::span<const SheetContent>, const QString& path) override
    {
        writeFile(path, "PK\x03\x04 half a workbook");
        seenPath = path;
        return false;
    }
    QString seenPath;
};

}  // namespace

TEST(WorkbookSave, OnlyACompleteWriteReplacesTheChosenFileAndNoTemporaryStays)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("VXM_Test_1.xlsx");
    writeFile(target, "previous workbook");
    FailingWriter failing;
    EXPECT_FALSE(saveWorkbook(failing, resultsSheet(0, {}), target));
    // It wrote beside the target, not onto it.
    EXPECT_EQ(QFileInfo(failing.seenPath).absolutePath(), QFileInfo(target).absolutePath());
    EXPECT_NE(failing.seenPath, target);
    EXPECT_EQ(readAll(target), "previous workbook");
    EXPECT_EQ(entries(dir.path()), QStringList{"VXM_Test_1.xlsx"});

    XlsxWorkbookWriter writer;
    EXPECT_TRUE(saveWorkbook(writer, resultsSheet(3, kThreeChannels), target));
    EXPECT_EQ(readXlsx(target).sheetNames, QStringList{"VXMData"});
    EXPECT_EQ(entries(dir.path()), QStringList{"VXM_Test_1.xlsx"});
    // Unwritable places (no such folder; a name taken by a folder) fail; the button tests check no file is left.
    EXPECT_FALSE(saveWorkbook(writer, resultsSheet(0, {}), dir.filePath("missing/VXM_Test_1.xlsx")));
    ASSERT_TRUE(QDir(dir.path()).mkpath("taken/inside"));
    EXPECT_FALSE(saveWorkbook(writer, resultsSheet(0, {}), dir.filePath("taken")));
}
