#pragma once
// Cutting what a remote client sends into lines, and a line into commands.
//
// A line ends in LF (a CR before it is dropped). It holds program messages separated by ';'. Each
// is a header, then optionally whitespace and parameters separated by ','. A header is either a
// common command ("*IDN?") or nodes separated by ':' ("SENS:WAV:STAR"), with a leading ':' when
// it starts at the root, and a trailing '?' for a query. Parameters are trimmed; a parameter in
// double or single quotes is taken unquoted, a doubled quote inside it standing for one. A syntax
// error ends the line: the commands before it still run, the rest is discarded.
//
// A parameter may be an IEEE 488.2 block: '#', a digit n from 1 to 9, n digits giving the byte
// count, then that many bytes of any value, LF included ("#15hello"); or "#0" and the rest of the
// line. Its bytes are taken as UTF-8 text. A block whose length digits are missing or whose bytes
// are cut short is -161 and ends the line.

#include "remote/error_queue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <optional>
#include <vector>

namespace scpi {

struct Command {
    QStringList nodes;        // header nodes as typed; a common command is one node "*IDN"
    bool absolute = false;    // the header began with ':'
    bool query = false;       // the header ended with '?'
    bool common = false;      // "*XXX"
    QStringList parameters;   // trimmed, quoted ones unquoted
    friend bool operator==(const Command&, const Command&) = default;
};

struct ParsedLine {
    std::vector<Command> commands;
    std::optional<Error> error;  // a syntax error after the commands: the rest of the line is lost
};

// A received line, without its terminator. A line longer than kMaxLineBytes is not kept: only
// the fact that it was too long.
struct ReceivedLine {
    QByteArray text;
    bool overlong = false;
};

inline constexpr qsizetype kMaxLineBytes = 64 * 1024;

ParsedLine parseLine(QByteArrayView line);
// An overlong line parses to no commands and -100 "Command error; line longer than 65536 bytes".
ParsedLine parseLine(const ReceivedLine& line);

// Collects a client's bytes into lines. At most kMaxLineBytes of an unfinished line are held: past
// that the line's bytes are dropped up to its LF, which yields it as overlong. The bytes of a
// definite-length block (a '#' and a digit after a blank or ',', outside quotes, announcing at most
// kMaxLineBytes) belong to the line whatever they are: an LF among them does not end it, nor does
// a CR as its last byte get dropped.
class LineAssembler {
public:
    std::vector<ReceivedLine> feed(QByteArrayView bytes);
    // Bytes of an unfinished line are waiting (a client that closes now leaves them unanswered).
    bool holdsPartialLine() const { return size_ > 0 || overlong_; }

private:
    // Follows the quotes and blocks of the line; false for the LF that ends it.
    bool scan(char c);
    void keep(QByteArrayView bytes);
    ReceivedLine finish();

    QByteArray partial_;
    bool overlong_ = false;
    qsizetype size_ = 0;      // the line's bytes so far, kept or not
    char last_ = '\n';        // the byte before
    char quote_ = 0;          // the open quote, 0 outside quotes
    bool blockDigit_ = false; // after a '#' that may start a block
    int lengthDigits_ = 0;    // of the block's length, still to come
    qsizetype length_ = 0;
    qsizetype blockLeft_ = 0; // the block's bytes still to come
    qsizetype blockEnd_ = 0;  // the line's size where its last block ended
};

}  // namespace scpi
