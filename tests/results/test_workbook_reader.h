#pragma once
// Reads a written .xlsx back without the writer: the parts are unpacked with the `unzip` tool and
// parsed as XML, so the tests see what a spreadsheet program would see.

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

struct XlsxCell {
    int style = 0;  // index into cellXfs
    bool isNumber = false;
    double number = 0.0;
    QString text;   // strings (shared or inline)
};

struct XlsxColumn {
    int min = 0, max = 0;  // 1-based, inclusive
    double width = 0.0;
    int style = 0;
};

struct XlsxFont {
    QString name;
    double size = 0.0;
};

struct XlsxWorkbook {
    QStringList sheetNames;                     // xl/workbook.xml, in order
    QMap<std::pair<int, int>, XlsxCell> cells;  // (1-based row, 0-based column) of the first sheet
    std::vector<XlsxColumn> columns;
    std::vector<XlsxFont> fonts;                // styles <fonts>
    std::vector<std::pair<int, QString>> xfs;   // styles <cellXfs>: font index, horizontal alignment ("" none)

    const XlsxCell* cell(int row, int column) const;
    std::optional<XlsxColumn> column(int zeroBasedColumn) const;
    XlsxFont fontOf(int style) const;
    QString horizontalOf(int style) const;
    int lastRow() const;  // 0 when no cell
};

// Parses the workbook at `path`; a part that is missing leaves its fields empty.
XlsxWorkbook readXlsx(const QString& path);
