#pragma once
// Reads a written .xlsx back without the writer: the parts are unpacked with the `unzip` tool and
// parsed as XML, so the tests see what a spreadsheet program would see.

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

#include <optional>
#include <utility>
#include <vector>

struct XlsxCell {
    int style = 0;  // index into cellXfs
    bool isNumber = false;
    double number = 0.0;
    QString text;  // strings (shared or inline)
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
    std::vector<XlsxFont> fonts;               // styles <fonts>
    std::vector<std::pair<int, QString>> xfs;  // styles <cellXfs>: font index, horizontal alignment ("" none)

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
    XlsxFont fontOf(int style) const
    {
        const int font = style >= 0 && style < static_cast<int>(xfs.size()) ? xfs[static_cast<std::size_t>(style)].first : -1;
        return font >= 0 && font < static_cast<int>(fonts.size()) ? fonts[static_cast<std::size_t>(font)] : XlsxFont{};
    }
    QString horizontalOf(int style) const
    {
        return style >= 0 && style < static_cast<int>(xfs.size()) ? xfs[static_cast<std::size_t>(style)].second : QString();
    }
    int lastRow() const { return cells.isEmpty() ? 0 : cells.lastKey().first; }
};

namespace xlsx_detail {

// The named part of the zip archive (empty when missing or unreadable).
inline QByteArray unzipPart(const QString& path, const char* part)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QString::fromLatin1(part)});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0) return {};
    return unzip.readAllStandardOutput();
}

// "AB12" -> (12, 27): 1-based row, 0-based column.
inline std::pair<int, int> parseRef(const QString& ref)
{
    int column = 0, i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) column = column * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    return {ref.mid(i).toInt(), column - 1};
}

// Calls `onStart` for every start element, with the style sheet list (fonts, cellXfs ...) it is in.
template <typename OnStart>
void forEachStart(const QByteArray& data, OnStart onStart)
{
    QXmlStreamReader xml(data);
    QString list;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == list) list.clear();
        if (token != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"fonts" || xml.name() == u"cellXfs" || xml.name() == u"cellStyleXfs") list = xml.name().toString();
        onStart(xml, list);
    }
}

// Text of all <t> elements up to the end of the current element (a shared or an inline string).
inline QString collectText(QXmlStreamReader& xml, QStringView endName)
{
    QString text;
    for (auto token = xml.readNext(); !xml.atEnd(); token = xml.readNext()) {
        if (token == QXmlStreamReader::EndElement && xml.name() == endName) break;
        if (token == QXmlStreamReader::StartElement && xml.name() == u"t") text += xml.readElementText();
    }
    return text;
}

inline XlsxCell readCell(QXmlStreamReader& xml, const QStringList& shared)
{
    XlsxCell cell;
    cell.style = xml.attributes().value("s").toInt();
    const QString type = xml.attributes().value("t").toString();
    while (xml.readNextStartElement()) {
        if (xml.name() == u"is") {
            cell.text = collectText(xml, u"is");
        } else if (xml.name() != u"v") {
            xml.skipCurrentElement();
        } else if (const QString v = xml.readElementText(); type == u"s") {
            cell.text = shared.value(v.toInt());
        } else if (type.isEmpty() || type == u"n") {
            cell.isNumber = true;
            cell.number = v.toDouble();
        } else {
            cell.text = v;
        }
    }
    return cell;
}

}  // namespace xlsx_detail

// Parses the workbook at `path`; a part that is missing leaves its fields empty.
inline XlsxWorkbook readXlsx(const QString& path)
{
    using namespace xlsx_detail;
    XlsxWorkbook book;
    QStringList shared;
    forEachStart(unzipPart(path, "xl/workbook.xml"), [&](QXmlStreamReader& xml, const QString&) {
        if (xml.name() == u"sheet") book.sheetNames << xml.attributes().value("name").toString();
    });
    forEachStart(unzipPart(path, "xl/sharedStrings.xml"), [&](QXmlStreamReader& xml, const QString&) {
        if (xml.name() == u"si") shared << collectText(xml, u"si");
    });
    forEachStart(unzipPart(path, "xl/worksheets/sheet1.xml"), [&](QXmlStreamReader& xml, const QString&) {
        const auto a = xml.attributes();
        if (xml.name() == u"col")
            book.columns.push_back({a.value("min").toInt(), a.value("max").toInt(), a.value("width").toDouble(),
                                    a.value("style").toInt()});
        else if (xml.name() == u"c")
            book.cells.insert(parseRef(a.value("r").toString()), readCell(xml, shared));
    });
    forEachStart(unzipPart(path, "xl/styles.xml"), [&](QXmlStreamReader& xml, const QString& list) {
        const QString value = xml.attributes().value("val").toString();
        if (list == u"fonts" && xml.name() == u"font") book.fonts.push_back({});
        else if (list == u"fonts" && xml.name() == u"sz" && !book.fonts.empty()) book.fonts.back().size = value.toDouble();
        else if (list == u"fonts" && xml.name() == u"name" && !book.fonts.empty()) book.fonts.back().name = value;
        else if (list == u"cellXfs" && xml.name() == u"xf") book.xfs.emplace_back(xml.attributes().value("fontId").toInt(), QString());
        else if (list == u"cellXfs" && xml.name() == u"alignment" && !book.xfs.empty())
            book.xfs.back().second = xml.attributes().value("horizontal").toString();
    });
    return book;
}
