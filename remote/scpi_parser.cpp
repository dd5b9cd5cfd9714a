#include "remote/scpi_parser.h"

namespace scpi {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isPrintable(char c) { return c >= 0x21 && c <= 0x7E; }

// A cursor over one line; every read stops at its end.
class Reader {
public:
    explicit Reader(QByteArrayView text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void skip() { ++pos_; }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(peek())) ++pos_;
    }
    bool take(char c)
    {
        if (atEnd() || peek() != c) return false;
        ++pos_;
        return true;
    }

    // A mnemonic: a letter, then letters, digits or '_'. Empty when none starts here.
    QString mnemonic()
    {
        const qsizetype start = pos_;
        if (!isLetter(peek())) return {};
        while (!atEnd() && (isLetter(peek()) || isDigit(peek()) || peek() == '_')) ++pos_;
        return QString::fromLatin1(text_.sliced(start, pos_ - start));
    }

    // A quoted parameter starting at its quote, a doubled quote standing for one.
    std::optional<QString> quoted()
    {
        const char quote = peek();
        skip();
        QByteArray content;
        while (!atEnd()) {
            const char c = peek();
            skip();
            if (c != quote) {
                content += c;
            } else if (take(quote)) {
                content += quote;
            } else {
                return QString::fromUtf8(content);
            }
        }
        return std::nullopt;
    }

    // An unquoted parameter up to ',' or ';', trimmed; printable ASCII and inner blanks only.
    std::optional<QString> unquoted()
    {
        const qsizetype start = pos_;
        while (!atEnd() && peek() != ',' && peek() != ';') {
            const char c = peek();
            if (!isPrintable(c) && !isBlank(c)) return std::nullopt;
            if (c == '"' || c == '\'') return std::nullopt;
            ++pos_;
        }
        const QByteArray text = text_.sliced(start, pos_ - start).toByteArray().trimmed();
        if (text.isEmpty()) return std::nullopt;
        return QString::fromLatin1(text);
    }

private:
    QByteArrayView text_;
    qsizetype pos_ = 0;
};

bool readHeader(Reader& in, Command& command)
{
    if (in.take('*')) {
        const QString name = in.mnemonic();
        if (name.isEmpty()) return false;
        command.common = true;
        command.nodes << QLatin1Char('*') + name;
    } else {
        command.absolute = in.take(':');
        do {
            const QString node = in.mnemonic();
            if (node.isEmpty()) return false;
            command.nodes << node;
        } while (in.take(':'));
    }
    command.query = in.take('?');
    return in.atEnd() || isBlank(in.peek()) || in.peek() == ';';
}

bool readParameters(Reader& in, Command& command)
{
    in.skipBlanks();
    if (in.atEnd() || in.peek() == ';') return true;
    while (true) {
        in.skipBlanks();
        const bool isQuoted = in.peek() == '"' || in.peek() == '\'';
        const std::optional<QString> parameter = isQuoted ? in.quoted() : in.unquoted();
        if (!parameter) return false;
        command.parameters << *parameter;
        in.skipBlanks();
        if (!in.take(',')) return in.atEnd() || in.peek() == ';';
    }
}

}  // namespace

ParsedLine parseLine(QByteArrayView line)
{
    ParsedLine parsed;
    Reader in(line);
    while (true) {
        in.skipBlanks();
        if (in.atEnd()) break;
        if (in.take(';')) continue;  // an empty message, as in a trailing ';', is no command
        Command command;
        if (!readHeader(in, command) || !readParameters(in, command)) {
            parsed.error = Error{SyntaxError, {}};
            break;
        }
        parsed.commands.push_back(std::move(command));
        in.take(';');
    }
    return parsed;
}

ParsedLine parseLine(const ReceivedLine& line)
{
    if (!line.overlong) return parseLine(QByteArrayView(line.text));
    ParsedLine parsed;
    parsed.error = Error{CommandError, QStringLiteral("line longer than %1 bytes").arg(kMaxLineBytes)};
    return parsed;
}

std::vector<ReceivedLine> LineAssembler::feed(QByteArrayView bytes)
{
    std::vector<ReceivedLine> lines;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        // One byte of room for the CR that may end the line.
        if (!overlong_ && partial_.size() + piece.size() > kMaxLineBytes + 1) {
            overlong_ = true;
            partial_ = QByteArray();
        }
        if (!overlong_) partial_ += piece;
        if (end < 0) break;
        if (partial_.endsWith('\r')) partial_.chop(1);
        if (overlong_ || partial_.size() > kMaxLineBytes) {
            lines.push_back({{}, true});
        } else {
            lines.push_back({std::move(partial_), false});
        }
        partial_ = QByteArray();
        overlong_ = false;
        bytes = bytes.sliced(end + 1);
    }
    return lines;
}

}  // namespace scpi
