#include "verdict/json_lines.h"

#include <QChar>

#include <algorithm>

namespace verdict {

namespace {

qsizetype skipSpace(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && QChar::isSpace(static_cast<uchar>(text[at]))) ++at;
    return at;
}

// The index just past the string whose opening quote is at `at`.
qsizetype pastString(const QByteArray& text, qsizetype at)
{
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\') ++at;
        else if (text[at] == '"') return at + 1;
    }
    return text.size();
}

// The position of `key` among the keys of the object that is the value at `from` (after the colon
// of its own key, or the document), not among those of objects nested in it; -1 when that value is
// not an object or has no such key.
qsizetype findKey(const QByteArray& text, qsizetype from, const QByteArray& key)
{
    qsizetype at = skipSpace(text, from);
    if (at < text.size() && text[at] == ':') at = skipSpace(text, at + 1);
    if (at >= text.size() || text[at] != '{') return -1;
    int depth = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"') {
            const qsizetype past = pastString(text, at);
            const qsizetype next = skipSpace(text, past);
            const bool isKey = next < text.size() && text[next] == ':';
            if (depth == 1 && isKey && text.mid(at + 1, past - at - 2) == key) return at;
            at = past;
            continue;
        }
        if (c == '{' || c == '[') ++depth;
        if ((c == '}' || c == ']') && --depth == 0) break;
        ++at;
    }
    return -1;
}

}  // namespace

int lineAt(const QByteArray& text, qsizetype offset)
{
    return static_cast<int>(text.left(std::clamp<qsizetype>(offset, 0, text.size())).count('\n')) + 1;
}

int lineOfKey(const QByteArray& text, const QStringList& path)
{
    qsizetype at = 0;
    qsizetype from = 0;
    for (const QString& key : path) {
        const qsizetype found = findKey(text, from, key.toUtf8());
        if (found < 0) break;
        at = found;
        from = pastString(text, found);
    }
    return lineAt(text, at);
}

}  // namespace verdict
