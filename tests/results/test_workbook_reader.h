#pragma once
// Reads a written .xlsx back without the writer: the parts are unpacked with the `unzip` tool and
// parsed as XML, so the tests see what a spreadsheet program would see.

#include <QDomDocument>
#include <QMap>
#include <QProcess>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The font and horizontal alignment ("" none) a cell or column style gives.
struct XlsxLook {
    QString font;
    double size = 0.0;
    QString horizontal;
};

struct XlsxCell {
    XlsxLook look;
    bool isNumber = false;
    double number = 0.0;
    QString text;  // strings (shared or inline)
};

struct XlsxColumn {
    int min = 0, max = 0;  // 1-based, inclusive
    double width = 0.0;
    XlsxLook look;
};

struct XlsxWorkbook {
    QStringList sheetNames;                     // in order
    QMap<std::pair<int, int>, XlsxCell> cells;  // (1-based row, 0-based column) of the sheet read
    std::vector<XlsxColumn> columns;

    const XlsxCell* cell(int row, int column) const
    {
        const auto it = cells.constFind({row, column});
        return it == cells.constEnd() ? nullptr : &*it;
    }
    std::optional<XlsxColumn> column(int zeroBasedColumn) const
    {
        for (const XlsxColumn& c : columns)
            if (c.min <= zeroBasedColumn + 1 && zeroBasedColumn + 1 <= c.max) return c;
        return std::nullopt;
    }
    int lastRow() const { return cells.isEmpty() ? 0 : cells.lastKey().first; }
};

namespace xlsx_detail {

// The named part of the zip archive (an empty document when missing or unreadable).
inline QDomDocument part(const QString& path, const char* name)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QString::fromLatin1(name)});
    QDomDocument doc;
    if (unzip.waitForFinished(30000) && unzip.exitCode() == 0) doc.setContent(unzip.readAllStandardOutput());
    return doc;
}

template <typename F>
void forEach(const QDomNode& parent, const char* tag, F f)
{
    const QDomNodeList list = parent.isDocument() ? parent.toDocument().elementsByTagName(tag)
                                                  : parent.toElement().elementsByTagName(tag);
    for (int i = 0; i < list.size(); ++i) f(list.at(i).toElement());
}

// The text of all <t> elements inside (a shared or an inline string).
inline QString texts(const QDomElement& e)
{
    QString text;
    forEach(e, "t", [&](const QDomElement& t) { text += t.text(); });
    return text;
}

// "AB12" -> (12, 27): 1-based row, 0-based column.
inline std::pair<int, int> parseRef(const QString& ref)
{
    int column = 0, i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) column = column * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    return {ref.mid(i).toInt(), column - 1};
}

// The looks of the cell formats (cellXfs), by style index.
inline std::vector<XlsxLook> cellLooks(const QDomDocument& styles)
{
    const QDomElement sheet = styles.documentElement();
    std::vector<std::pair<QString, double>> fonts;
    forEach(sheet.firstChildElement("fonts"), "font", [&](const QDomElement& f) {
        fonts.emplace_back(f.firstChildElement("name").attribute("val"), f.firstChildElement("sz").attribute("val").toDouble());
    });
    std::vector<XlsxLook> looks;
    forEach(sheet.firstChildElement("cellXfs"), "xf", [&](const QDomElement& xf) {
        const auto font = fonts.at(static_cast<std::size_t>(xf.attribute("fontId").toInt()));
        looks.push_back({font.first, font.second, xf.firstChildElement("alignment").attribute("horizontal")});
    });
    return looks;
}

}  // namespace xlsx_detail

// Parses the workbook at `path`, its cells and columns from worksheet number `sheet` (1-based); a
// part that is missing leaves its fields empty.
inline XlsxWorkbook readXlsx(const QString& path, int sheet = 1)
{
    using namespace xlsx_detail;
    XlsxWorkbook book;
    forEach(part(path, "xl/workbook.xml"), "sheet", [&](const QDomElement& e) { book.sheetNames << e.attribute("name"); });
    QStringList shared;
    forEach(part(path, "xl/sharedStrings.xml"), "si", [&](const QDomElement& si) { shared << texts(si); });
    const std::vector<XlsxLook> looks = cellLooks(part(path, "xl/styles.xml"));
    const auto look = [&](const QDomElement& e) { return looks.at(static_cast<std::size_t>(e.attribute("s", "0").toInt())); };
    const QByteArray sheetPart = QByteArray("xl/worksheets/sheet") + QByteArray::number(sheet) + ".xml";
    const QDomDocument worksheet = part(path, sheetPart.constData());
    forEach(worksheet, "col", [&](const QDomElement& e) {
        const XlsxLook style = looks.at(static_cast<std::size_t>(e.attribute("style", "0").toInt()));
        book.columns.push_back({e.attribute("min").toInt(), e.attribute("max").toInt(), e.attribute("width").toDouble(), style});
    });
    forEach(worksheet, "c", [&](const QDomElement& e) {
        XlsxCell cell;
        cell.look = look(e);
        const QString type = e.attribute("t"), v = e.firstChildElement("v").text();
        if (type == u"inlineStr") cell.text = texts(e.firstChildElement("is"));
        else if (type == u"s") cell.text = shared.value(v.toInt());
        else if (type.isEmpty() || type == u"n") cell.isNumber = !e.firstChildElement("v").isNull(), cell.number = v.toDouble();
        else cell.text = v;
        book.cells.insert(parseRef(e.attribute("r")), cell);
    });
    return book;
}
