#pragma once
// Writing a SheetContent as a workbook file: a small interface (tests substitute failing
// writers), the libxlsxwriter implementation, and the save step that puts a workbook under its
// chosen name only once it is complete.

#include "results/workbook_content.h"

#include <QString>

#include <span>

class WorkbookWriter {
public:
    virtual ~WorkbookWriter() = default;
    // Writes `sheets`, in order, as the worksheets of a new workbook at `path`, replacing any file
    // there. False on any failure; the file at `path` may then be incomplete.
    virtual bool write(std::span<const SheetContent> sheets, const QString& path) = 0;
    // `sheet` as the only worksheet.
    bool write(const SheetContent& sheet, const QString& path) { return write({&sheet, 1}, path); }
};

class XlsxWorkbookWriter final : public WorkbookWriter {
public:
    using WorkbookWriter::write;
    bool write(std::span<const SheetContent> sheets, const QString& path) override;
};

// Writes through `writer` to a temporary file beside `target` and renames it to `target` when
// complete. On failure the temporary is removed and whatever was at `target` is left as it was.
bool saveWorkbook(WorkbookWriter& writer, const SheetContent& sheet, const QString& target);
bool saveWorkbook(WorkbookWriter& writer, std::span<const SheetContent> sheets, const QString& target);
