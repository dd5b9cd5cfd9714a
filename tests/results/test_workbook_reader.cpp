#include "test_workbook_reader.h"

#include <QProcess>
#include <QXmlStreamReader>

namespace {

// "AB12" -> (12, 27): 1-based row, 0-based column.
std::pair<int, int> parseRef(const QString& ref)
{
    int column = 0;
    int i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i) column = column * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    return {ref.mid(i).toInt(), column - 1};
}

// Text of all <t> elements up to the end of the current element (a shared or an inline string).
QString collectText(QXmlStreamReader& xml, QStringView endName)
{
    QString text;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == endName) break;
        if (token == QXmlStreamReader::StartElement && xml.name() == u"t") text += xml.readElementText();
    }
    return text;
}

QStringList readSharedStrings(const QByteArray& data)
{
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            strings << collectText(xml, u"si");
    }
    return strings;
}

void readSheet(const QByteArray& data, const QStringList& shared, XlsxWorkbook& book)
{
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        if (xml.name() == u"col") {
            book.columns.push_back({a.value("min").toInt(), a.value("max").toInt(), a.value("width").toDouble(),
                                    a.value("style").toInt()});
        } else if (xml.name() == u"c") {
            XlsxCell cell;
            cell.style = a.value("s").toInt();
            const auto type = a.value("t").toString();
            const auto where = parseRef(a.value("r").toString());
            while (xml.readNextStartElement()) {
                if (xml.name() == u"v") {
                    const QString v = xml.readElementText();
                    if (type == u"s") {
                        cell.text = shared.value(v.toInt());
                    } else if (type.isEmpty() || type == u"n") {
                        cell.isNumber = true;
                        cell.number = v.toDouble();
                    } else {
                        cell.text = v;
                    }
                } else if (xml.name() == u"is") {
                    cell.text = collectText(xml, u"is");
                } else {
                    xml.skipCurrentElement();
                }
            }
            book.cells.insert(where, cell);
        }
    }
}

void readStyles(const QByteArray& data, XlsxWorkbook& book)
{
    QXmlStreamReader xml(data);
    QString section;  // the list we are in: fonts, cellXfs or another
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && (xml.name() == u"fonts" || xml.name() == u"cellXfs"))
            section.clear();
        if (token != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        if (xml.name() == u"fonts" || xml.name() == u"cellXfs" || xml.name() == u"cellStyleXfs") {
            section = xml.name().toString();
        } else if (section == u"fonts" && xml.name() == u"font") {
            book.fonts.push_back({});
        } else if (section == u"fonts" && xml.name() == u"sz" && !book.fonts.empty()) {
            book.fonts.back().size = a.value("val").toDouble();
        } else if (section == u"fonts" && xml.name() == u"name" && !book.fonts.empty()) {
            book.fonts.back().name = a.value("val").toString();
        } else if (section == u"cellXfs" && xml.name() == u"xf") {
            book.xfFont.push_back(a.value("fontId").toInt());
            book.xfHorizontal.push_back(QString());
        } else if (section == u"cellXfs" && xml.name() == u"alignment" && !book.xfHorizontal.empty()) {
            book.xfHorizontal.back() = a.value("horizontal").toString();
        }
    }
}

QStringList readSheetNames(const QByteArray& data)
{
    QStringList names;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet")
            names << xml.attributes().value("name").toString();
    }
    return names;
}

}  // namespace

QByteArray unzipPart(const QString& path, const QString& part)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, part});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0) return {};
    return unzip.readAllStandardOutput();
}

XlsxWorkbook readXlsx(const QString& path)
{
    XlsxWorkbook book;
    book.sheetNames = readSheetNames(unzipPart(path, QStringLiteral("xl/workbook.xml")));
    const QStringList shared = readSharedStrings(unzipPart(path, QStringLiteral("xl/sharedStrings.xml")));
    readSheet(unzipPart(path, QStringLiteral("xl/worksheets/sheet1.xml")), shared, book);
    readStyles(unzipPart(path, QStringLiteral("xl/styles.xml")), book);
    return book;
}

const XlsxCell* XlsxWorkbook::cell(int row, int column) const
{
    const auto it = cells.constFind({row, column});
    return it == cells.constEnd() ? nullptr : &*it;
}

std::optional<XlsxColumn> XlsxWorkbook::column(int zeroBasedColumn) const
{
    for (const XlsxColumn& c : columns)
        if (c.min <= zeroBasedColumn + 1 && zeroBasedColumn + 1 <= c.max) return c;
    return std::nullopt;
}

XlsxFont XlsxWorkbook::fontOf(int style) const
{
    if (style < 0 || style >= static_cast<int>(xfFont.size())) return {};
    const int font = xfFont[static_cast<std::size_t>(style)];
    return font >= 0 && font < static_cast<int>(fonts.size()) ? fonts[static_cast<std::size_t>(font)] : XlsxFont{};
}

QString XlsxWorkbook::horizontalOf(int style) const
{
    return style >= 0 && style < static_cast<int>(xfHorizontal.size()) ? xfHorizontal[static_cast<std::size_t>(style)]
                                                                         : QString();
}

int XlsxWorkbook::lastRow() const { return cells.isEmpty() ? 0 : cells.lastKey().first; }
