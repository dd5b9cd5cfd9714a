#pragma once
// Writing a SheetContent as a workbook file: a small interface (tests substitute failing
// writers), the libxlsxwriter implementation, and the save step that puts a workbook under its
// chosen name only once it is complete.

#include "results/workbook_content.h"

#include <QString>

#include <vector>

class WorkbookWriter {
public:
    virtual ~WorkbookWriter() = default;
    // Writes `sheet` as the only worksheet of a new workbook at `path`, replacing any file there.
    // False on any failure; the file at `path` may then be incomplete.
    virtual bool write(const SheetContent& sheet, const QString& path) = 0;
    // Writes each of `sheets` as a worksheet of one new workbook at `path`, in order; their names
    // must differ. This default writes a single sheet through write() and refuses more.
    virtual bool writeBook(const std::vector<SheetContent>& sheets, const QString& path);
};

class XlsxWorkbookWriter final : public WorkbookWriter {
public:
    bool write(const SheetContent& sheet, const QString& path) override;
    bool writeBook(const std::vector<SheetContent>& sheets, const QString& path) override;
};

// Writes through `writer` to a temporary file beside `target` and renames it to `target` when
// complete. On failure the temporary is removed and whatever was at `target` is left as it was.
bool saveWorkbook(WorkbookWriter& writer, const SheetContent& sheet, const QString& target);
// The same for a workbook of several sheets.
bool saveWorkbook(WorkbookWriter& writer, const std::vector<SheetContent>& sheets, const QString& target);
