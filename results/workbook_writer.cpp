#include "results/workbook_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <system_error>

namespace {

// The four combinations of the sheet's two formatting ranges, made once per workbook.
class SheetFormats {
public:
    SheetFormats(lxw_workbook* workbook, const SheetContent& sheet) : sheet_(sheet)
    {
        for (int font = 0; font < 2; ++font)
            for (int centred = 0; centred < 2; ++centred) {
                // The plain one is explicit too: a cell without a format would take its column's.
                lxw_format* f = workbook_add_format(workbook);
                if (font != 0) {
                    format_set_font_name(f, kWorkbookFontName);
                    format_set_font_size(f, kWorkbookFontSize);
                    format_set_font_family(f, 3);  // fixed pitch, so a substitute font is one too
                }
                if (centred != 0) format_set_align(f, LXW_ALIGN_CENTER);
                formats_[static_cast<std::size_t>(font * 2 + centred)] = f;
            }
    }

    // Format of the cell at 0-based `row`, `column`.
    lxw_format* at(int row, int column) const
    {
        const bool font = column < sheet_.fontColumns && row < sheet_.fontRows;
        const bool centred = column < sheet_.centredColumns && row < sheet_.centredRows;
        return formats_[static_cast<std::size_t>((font ? 2 : 0) + (centred ? 1 : 0))];
    }

private:
    const SheetContent& sheet_;
    std::array<lxw_format*, 4> formats_{};
};

// Widths and formats of the columns. A column format is how a spreadsheet gives a whole
// column a look without storing its empty cells: the empty cells of the font and centring ranges
// take it from there, which keeps the file small and fast to write. It reaches below the ranges'
// last row too, where every cell is empty. Written cells carry their own format (a cell's format
// is what a spreadsheet shows for it), chosen by row and column so that exactly the ranges have
// it.
bool setColumns(lxw_worksheet* worksheet, const SheetContent& sheet, const SheetFormats& formats)
{
    const int widths = static_cast<int>(sheet.columnWidths.size());
    const int count = std::max({sheet.fontColumns, sheet.centredColumns, widths});
    for (int c = 0; c < count; ++c) {
        const double width = c < widths ? sheet.columnWidths[static_cast<std::size_t>(c)] : LXW_DEF_COL_WIDTH;
        const auto col = static_cast<lxw_col_t>(c);
        if (worksheet_set_column(worksheet, col, col, width, formats.at(0, c)) != LXW_NO_ERROR) return false;
    }
    return true;
}

bool writeHeader(lxw_worksheet* worksheet, const SheetContent& sheet, const SheetFormats& formats)
{
    for (int c = 0; c < sheet.header.size(); ++c) {
        const QByteArray text = sheet.header[c].toUtf8();
        if (worksheet_write_string(worksheet, 0, static_cast<lxw_col_t>(c), text.constData(), formats.at(0, c)) !=
            LXW_NO_ERROR)
            return false;
    }
    return true;
}

bool writeTable(lxw_worksheet* worksheet, const SheetContent& sheet, const SheetFormats& formats)
{
    for (int r = 0; r < sheet.rows(); ++r) {
        const int sheetRow = r + 1;  // below the header row
        for (int c = 0; c < sheet.columns; ++c) {
            const double v = sheet.value(r, c);
            lxw_format* f = formats.at(sheetRow, c);
            const auto row = static_cast<lxw_row_t>(sheetRow);
            const auto col = static_cast<lxw_col_t>(c);
            // A number a spreadsheet cannot hold (an analysis edge over a zero step) stays blank.
            const lxw_error e = std::isfinite(v) ? worksheet_write_number(worksheet, row, col, v, f)
                                                 : worksheet_write_blank(worksheet, row, col, f);
            if (e != LXW_NO_ERROR) return false;
        }
    }
    return true;
}

// Writes through `write` to a temporary file beside `target` and renames it to `target` when
// complete; on failure the temporary is removed.
bool saveThroughTemporary(const std::function<bool(const QString&)>& write, const QString& target)
{
    const QFileInfo info(target);
    const QDir folder = info.absoluteDir();
    QString temporary;
    do {
        const QString suffix = QString::number(QRandomGenerator::global()->generate(), 16);
        temporary = folder.filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".part-") + suffix);
    } while (QFileInfo::exists(temporary));

    if (write(temporary)) {
        std::error_code error;
        // rename() replaces an existing target in one step, so a reader never sees half a file.
        std::filesystem::rename(QFile::encodeName(temporary).toStdString(), QFile::encodeName(target).toStdString(),
                                error);
        if (!error) return true;
    }
    QFile::remove(temporary);
    return false;
}

}  // namespace

bool WorkbookWriter::writeBook(const std::vector<SheetContent>& sheets, const QString& path)
{
    return sheets.size() == 1 && write(sheets.front(), path);
}

bool XlsxWorkbookWriter::write(const SheetContent& sheet, const QString& path) { return writeBook({sheet}, path); }

bool XlsxWorkbookWriter::writeBook(const std::vector<SheetContent>& sheets, const QString& path)
{
    // Constant-memory mode streams each row to disk as it is written (rows go in ascending order),
    // so a 20001-point spectrum costs neither memory nor a cell index.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new_opt(file.constData(), &options);
    if (workbook == nullptr) return false;

    bool ok = !sheets.empty();
    for (const SheetContent& sheet : sheets) {
        const QByteArray name = sheet.sheetName.toUtf8();
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, name.constData());
        ok = ok && worksheet != nullptr;
        if (!ok) break;
        const SheetFormats formats(workbook, sheet);
        ok = setColumns(worksheet, sheet, formats) && writeHeader(worksheet, sheet, formats) &&
             writeTable(worksheet, sheet, formats);
    }
    // Closing assembles and writes the file, and frees the workbook in every case.
    return workbook_close(workbook) == LXW_NO_ERROR && ok;
}

bool saveWorkbook(WorkbookWriter& writer, const SheetContent& sheet, const QString& target)
{
    return saveThroughTemporary([&](const QString& path) { return writer.write(sheet, path); }, target);
}

bool saveWorkbook(WorkbookWriter& writer, const std::vector<SheetContent>& sheets, const QString& target)
{
    return saveThroughTemporary([&](const QString& path) { return writer.writeBook(sheets, path); }, target);
}
