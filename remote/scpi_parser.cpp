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

    // A block starts here: '#' and a digit.
    bool atBlock() const { return peek() == '#' && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1]); }

    // A block starting at its '#': "#<n><n digits: the length><length bytes>", or "#0" and the rest
    // of the line. None when its length digits are missing or its bytes are cut short.
    std::optional<QString> block()
    {
        skip();
        const int digits = peek() - '0';
        skip();
        if (digits == 0) {
            const QByteArrayView rest = text_.sliced(pos_);
            pos_ = text_.size();
            return QString::fromUtf8(rest);
        }
        qsizetype length = 0;
        for (int i = 0; i < digits; ++i) {
            if (!isDigit(peek())) return std::nullopt;
            length = length * 10 + (peek() - '0');
            skip();
        }
        if (length > text_.size() - pos_) return std::nullopt;
        const QByteArrayView payload = text_.sliced(pos_, length);
        pos_ += length;
        return QString::fromUtf8(payload);
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

// The parameters up to the end of the command; the code of the error that stops the line, else 0.
int readParameters(Reader& in, Command& command)
{
    in.skipBlanks();
    if (in.atEnd() || in.peek() == ';') return NoError;
    while (true) {
        in.skipBlanks();
        const bool isBlock = in.atBlock();
        const bool isQuoted = in.peek() == '"' || in.peek() == '\'';
        const std::optional<QString> parameter = isBlock ? in.block() : isQuoted ? in.quoted() : in.unquoted();
        if (!parameter) return isBlock ? InvalidBlockData : SyntaxError;
        command.parameters << *parameter;
        in.skipBlanks();
        if (!in.take(',')) return in.atEnd() || in.peek() == ';' ? NoError : SyntaxError;
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
        const int code = readHeader(in, command) ? readParameters(in, command) : SyntaxError;
        if (code != NoError) {
            parsed.error = Error{code, {}};
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

bool LineAssembler::scan(char c)
{
    const char before = last_;
    last_ = c;
    ++size_;
    if (blockLeft_ > 0) {
        if (--blockLeft_ == 0) blockEnd_ = size_;
        return true;
    }
    if (lengthDigits_ > 0 && isDigit(c)) {
        length_ = length_ * 10 + (c - '0');
        // A length the line could not hold is no block: its bytes end at the next LF.
        if (--lengthDigits_ == 0 && length_ <= kMaxLineBytes) blockLeft_ = length_;
        return true;
    }
    lengthDigits_ = 0;
    if (blockDigit_) {
        blockDigit_ = false;
        if (c >= '1' && c <= '9') {
            lengthDigits_ = c - '0';
            length_ = 0;
            return true;
        }
    }
    if (c == '\n') {
        --size_;
        return false;
    }
    if (quote_ != 0) {
        if (c == quote_) quote_ = 0;
    } else if (c == '"' || c == '\'') {
        quote_ = c;
    } else if (c == '#' && (before == ' ' || before == '\t' || before == ',')) {
        blockDigit_ = true;
    }
    return true;
}

void LineAssembler::keep(QByteArrayView bytes)
{
    // One byte of room for the CR that may end the line.
    if (!overlong_ && partial_.size() + bytes.size() > kMaxLineBytes + 1) {
        overlong_ = true;
        partial_ = QByteArray();
    }
    if (!overlong_) partial_ += bytes;
}

ReceivedLine LineAssembler::finish()
{
    if (partial_.endsWith('\r') && partial_.size() > blockEnd_) partial_.chop(1);
    ReceivedLine line = overlong_ || partial_.size() > kMaxLineBytes ? ReceivedLine{{}, true}
                                                                     : ReceivedLine{std::move(partial_), false};
    *this = LineAssembler();
    return line;
}

std::vector<ReceivedLine> LineAssembler::feed(QByteArrayView bytes)
{
    std::vector<ReceivedLine> lines;
    qsizetype from = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (scan(bytes[i])) continue;
        keep(bytes.sliced(from, i - from));
        lines.push_back(finish());
        from = i + 1;
    }
    keep(bytes.sliced(from));
    return lines;
}

}  // namespace scpi
