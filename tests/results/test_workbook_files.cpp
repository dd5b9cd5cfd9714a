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

// The cells of rows first..last, numbers as they are and texts as NaN.
std::vector<std::vector<double>> numbers(const XlsxWorkbook& book, int first, int last, int columns)
{
    std::vector<std::vector<double>> out;
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
void expectLook(const XlsxWorkbook& book, int style, const QString& horizontal, const std::string& where)
{
    const XlsxFont font = book.fontOf(style);
    EXPECT_EQ(font.name, "Courier New") << where;
    EXPECT_EQ(font.size, 12.0) << where;
    EXPECT_EQ(book.horizontalOf(style), horizontal) << where;
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

TEST(WorkbookFile, ResultsHoldHeaderNumbersAndZeroRowsInCourierNewCentredAndSized)
{
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(resultsSheet(3, threeChannels()), dir);
    EXPECT_EQ(book.sheetNames, QStringList{"VXMData"});
    const QStringList header{" # ", "Center WL (nm)", "Center FQ (THz)", " Bandwidth (nm)", "Insertion Loss (dB)"};
    EXPECT_EQ(heading(book, 5), header);  // leading and trailing blanks kept
    EXPECT_EQ(numbers(book, 2, 4, 5),
              (std::vector<std::vector<double>>{{1, 1550.0, 193.414, 0.4, -3.213}, {0, 0, 0, 0, 0}, {2, 1552.5, 193.103, 0.25, -1.0}}));
    EXPECT_EQ(book.cells.size(), 20) << "the formatting ranges add no stored cells";
    EXPECT_EQ(book.lastRow(), 4);

    for (auto it = book.cells.cbegin(); it != book.cells.cend(); ++it)
        expectLook(book, it->style, "center", "cell " + std::to_string(it.key().first) + "/" + std::to_string(it.key().second));
    const double widths[] = {8, 20, 20, 20, 25};
    for (int c = 0; c < 5; ++c) {
        expectWidth(book, c, widths[c]);
        expectLook(book, book.column(c)->style, "center", "column " + std::to_string(c));  // what empty cells show
    }
    EXPECT_FALSE(book.column(5).has_value());

    const XlsxWorkbook none = writeAndRead(resultsSheet(0, {}), dir);  // no channels: the header alone
    EXPECT_EQ(none.sheetNames, QStringList{"VXMData"});
    EXPECT_EQ(heading(none, 5), header);
    EXPECT_EQ(none.cells.size(), 5);
}

TEST(WorkbookFile, FullSpectrumFillsRows2To20002WithFourDecimalNumbers)
{
    std::vector<float> wl, value;
    spectrum(20001, wl, value);
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(spectrumSheet(wl, value, 20000, false, true), dir);
    EXPECT_EQ(book.sheetNames, QStringList{"Spectrum"});
    EXPECT_EQ(heading(book, 2), QStringList({"WL (nm)", " IL (dB)"}));
    EXPECT_EQ(book.lastRow(), 20002);
    EXPECT_EQ(book.cells.size(), 2 + 2 * 20001);
    std::vector<std::vector<double>> expected;
    for (std::size_t i = 0; i < wl.size(); ++i) expected.push_back({decimalRoundOracle(wl[i], 4), decimalRoundOracle(value[i], 4)});
    EXPECT_TRUE(numbers(book, 2, 20002, 2) == expected);
}

TEST(WorkbookFile, SpectrumFontReachesFourColumnsAndCentringTwo)
{
    std::vector<float> wl, value;
    spectrum(10, wl, value);
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(spectrumSheet(wl, value, 9, true, false), dir);
    EXPECT_EQ(heading(book, 2), QStringList({"WL (nm)", " Power (dBm)"}));
    expectWidth(book, 0, 15);
    expectWidth(book, 1, 20);
    for (int c = 0; c < 4; ++c) {
        ASSERT_TRUE(book.column(c).has_value()) << "column " << c;
        expectLook(book, book.column(c)->style, c < 2 ? "center" : "", "column " + std::to_string(c));
    }
    EXPECT_FALSE(book.column(4).has_value());
    ASSERT_NE(book.cell(5, 1), nullptr);
    expectLook(book, book.cell(5, 1)->style, "center", "B5");

    // With neither mode ticked row 1 stays empty.
    const XlsxWorkbook plain = writeAndRead(spectrumSheet({1550.0F, 1550.004F}, {-3.0F, -3.5F}, 1, false, false), dir);
    EXPECT_EQ(heading(plain, 2), QStringList({"(none)", "(none)"}));
    EXPECT_EQ(numbers(plain, 2, 3, 2), (std::vector<std::vector<double>>{{1550.0, -3.0}, {1550.004, -3.5}}));
}

TEST(WorkbookFile, NumbersASpreadsheetCannotHoldAreLeftBlank)
{
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(resultsSheet(1, {{0, 0, 0}, {1550.0F, std::nanf(""), -INFINITY}}), dir);
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
    sheet.fontColumns = sheet.fontRows = 2;
    sheet.centredColumns = 1;
    sheet.centredRows = 3;
    QTemporaryDir dir;
    const XlsxWorkbook book = writeAndRead(sheet, dir);
    const auto courier = [&](int row, int column) { return book.fontOf(book.cell(row, column)->style).name == "Courier New"; };
    const auto centred = [&](int row, int column) { return book.horizontalOf(book.cell(row, column)->style) == "center"; };
    expectLook(book, book.cell(2, 1)->style, "", "B2");
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

TEST(WorkbookSave, OnlyACompleteWriteReplacesTheChosenFileAndNoTemporaryStays)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("VXM_Test_1.xlsx");
    const auto contents = [&] {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
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
    EXPECT_EQ(contents(), "previous workbook");
    EXPECT_EQ(entries(dir.path()), QStringList{"VXM_Test_1.xlsx"});

    XlsxWorkbookWriter writer;
    EXPECT_TRUE(saveWorkbook(writer, resultsSheet(3, threeChannels()), target));
    EXPECT_EQ(readXlsx(target).sheetNames, QStringList{"VXMData"});
    EXPECT_EQ(entries(dir.path()), QStringList{"VXM_Test_1.xlsx"});
    // Unwritable places (no such folder; a name taken by a folder) fail; the button tests check no file is left.
    EXPECT_FALSE(saveWorkbook(writer, resultsSheet(0, {}), dir.filePath("missing/VXM_Test_1.xlsx")));
    ASSERT_TRUE(QDir(dir.path()).mkpath("taken/inside"));
    EXPECT_FALSE(saveWorkbook(writer, resultsSheet(0, {}), dir.filePath("taken")));
}
