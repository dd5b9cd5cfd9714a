// What a remote client sends, through the line assembler, the parser and a command table of the
// kinds of commands the program offers (settings with numbers, choices and switches, queries
// answered with text and blocks, a refusal, a command that makes the line wait).
//
// The first byte is a set of flags: bit 0 puts nearly a full line before the input, so its first
// line crosses the length limit or not; bits 1-3 cut the input into pieces of 1 << n bytes (0: whole).

#include "fuzz_check.h"
#include "remote/scpi_format.h"
#include "remote/scpi_table.h"

#include <cmath>
#include <vector>

namespace {

using scpi::Command;
using scpi::Reply;

bool isMnemonic(const QString& node)
{
    if (node.isEmpty() || !node[0].isLetter()) return false;
    for (const QChar c : node)
        if (c.unicode() > 0x7E || !(c.isLetterOrNumber() || c == u'_')) return false;
    return true;
}

// A command written back as text: reading it again gives the same command.
QByteArray written(const Command& command)
{
    QByteArray text = command.absolute ? ":" : "";
    text += command.nodes.join(u':').toLatin1();
    if (command.query) text += '?';
    for (qsizetype i = 0; i < command.parameters.size(); ++i)
        text += (i == 0 ? " \"" : ",\"") + command.parameters[i].toUtf8().replace('"', "\"\"") + '"';
    return text;
}

void checkCommand(const Command& command)
{
    FUZZ_CHECK(!command.nodes.isEmpty());
    if (command.common) {
        FUZZ_CHECK(command.nodes.size() == 1 && !command.absolute && command.nodes[0].startsWith(u'*'));
        FUZZ_CHECK(isMnemonic(command.nodes[0].mid(1)));
    } else {
        for (const QString& node : command.nodes) FUZZ_CHECK(isMnemonic(node));
    }
}

struct Bench {
    scpi::CommandTable table;
    bool running = false;
    bool waitedOnce = false;
    double start = 1530;
    int answered = 0;

    Bench()
    {
        const auto answer = [this](QByteArray text) {
            ++answered;
            return Reply::text(std::move(text));
        };
        table.add(QStringLiteral("*IDN?"), [answer](const Command&) { return answer("Maker,VXM,SN1,3.0"); });
        table.add(QStringLiteral("*RST"), [this](const Command&) {
            running = false;
            return Reply::done();
        });
        table.add(QStringLiteral("*CLS"), [](const Command&, scpi::ErrorQueue& errors) {
            errors.clear();
            return Reply::done();
        });
        table.add(QStringLiteral("*OPC?"), [this, answer](const Command&) {
            if (running && !waitedOnce) {
                waitedOnce = true;
                return Reply::later();
            }
            running = false;
            return answer("1");
        });
        table.add(QStringLiteral("SYSTem:ERRor[:NEXT]?"),
                  [answer](const Command&, scpi::ErrorQueue& errors) { return answer(errors.popText()); });
        table.add(QStringLiteral("OUTPut[:STATe]"), [](const Command& c) {
            const auto on = scpi::booleanParameter(c, 0);
            return on.ok() ? Reply::done() : Reply::failure(*on.error);
        });
        table.add(QStringLiteral("SENSe:WAVelength:STARt"), [this](const Command& c) {
            if (const auto extra = scpi::checkParameterCount(c, 1)) return Reply::failure(*extra);
            const auto nm = scpi::numberParameter(c, 0, 1260, 1640);
            if (!nm.ok()) return Reply::failure(*nm.error);
            FUZZ_CHECK(nm.value >= 1260 && nm.value <= 1640);
            start = nm.value;
            return Reply::done();
        });
        table.add(QStringLiteral("SENSe:WAVelength:STARt?"), [this, answer](const Command&) { return answer(scpi::fixedNumber(start, 3)); });
        table.add(QStringLiteral("SENSe:AVERage"), [](const Command& c) {
            const auto n = scpi::integerParameter(c, 0, 1, 100);
            if (n.ok()) FUZZ_CHECK(n.value >= 1 && n.value <= 100);
            return n.ok() ? Reply::done() : Reply::failure(*n.error);
        });
        table.add(QStringLiteral("MEASure:MODE"), [](const Command& c) {
            const auto mode = scpi::choiceParameter(c, 0, {QStringLiteral("POWer"), QStringLiteral("TLS"), QStringLiteral("IL")});
            if (mode.ok()) FUZZ_CHECK(mode.value >= 0 && mode.value < 3);
            return mode.ok() ? Reply::done() : Reply::failure(*mode.error);
        });
        table.add(QStringLiteral("LASer:PORT"), [](const Command& c) {
            return c.parameters.size() == 1 ? Reply::done() : Reply::failure({scpi::ParameterError, {}});
        });
        table.add(QStringLiteral("INITiate"), [this](const Command&) {
            if (running) return Reply::failure(scpi::executionError(QStringLiteral("a measurement is running")));
            running = true;
            waitedOnce = false;
            return Reply::done();
        });
        table.add(QStringLiteral("FETCh:TRACe?"), [answer](const Command&) {
            const std::vector<float> points{1550.0F, -3.5F};
            return answer(scpi::traceBlock(points, points) + scpi::traceAscii(points, points));
        });
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const QByteArray body(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QByteArray before = flags & 1 ? QByteArray(scpi::kMaxLineBytes - 16, 'A') : QByteArray();
    const int pieceBits = (flags >> 1) & 7;
    const qsizetype piece = pieceBits == 0 ? body.size() : qsizetype{1} << pieceBits;

    // The lines as a plain split at LF says they are.
    const QByteArray input = before + body;
    QList<QByteArray> expected = input.split('\n');
    expected.removeLast();  // the unfinished rest

    std::vector<QByteArrayView> pieces{QByteArrayView(before)};
    for (qsizetype at = 0; at < body.size(); at += piece) pieces.push_back(QByteArrayView(body).sliced(at, std::min(piece, body.size() - at)));

    Bench bench;
    scpi::ErrorQueue errors;
    scpi::LineAssembler assembler;
    qsizetype lineIndex = 0;
    for (const QByteArrayView bytes : pieces) {
        for (const scpi::ReceivedLine& line : assembler.feed(bytes)) {
            FUZZ_CHECK(lineIndex < expected.size());
            QByteArray want = expected[lineIndex++];
            if (want.endsWith('\r')) want.chop(1);
            FUZZ_CHECK(line.overlong == (want.size() > scpi::kMaxLineBytes));
            FUZZ_CHECK(line.overlong ? line.text.isEmpty() : line.text == want);

            const scpi::ParsedLine parsed = scpi::parseLine(line);
            if (parsed.error) FUZZ_CHECK(parsed.error->code == (line.overlong ? scpi::CommandError : scpi::SyntaxError));
            for (const Command& command : parsed.commands) {
                checkCommand(command);
                const scpi::ParsedLine again = scpi::parseLine(QByteArrayView(written(command)));
                FUZZ_CHECK(!again.error && again.commands.size() == 1 && again.commands[0] == command);
            }

            const int queued = errors.size();
            bench.answered = 0;
            scpi::LineExecution execution(bench.table, parsed);
            // *OPC? waits once per measurement, and a line starts one per command at most.
            std::size_t runs = 1;
            while (!execution.run(errors)) FUZZ_CHECK(++runs <= 1 + parsed.commands.size());
            FUZZ_CHECK(errors.size() <= scpi::ErrorQueue::kCapacity);
            FUZZ_CHECK(errors.size() <= queued + static_cast<int>(parsed.commands.size()) + 1);
            FUZZ_CHECK(execution.hasResponse() == (bench.answered > 0));
        }
    }
    FUZZ_CHECK(lineIndex == expected.size());
    FUZZ_CHECK(assembler.holdsPartialLine() == (!input.isEmpty() && !input.endsWith('\n')));

    // Every queued error reads as <code>,"<text>".
    while (errors.size() > 0) {
        const QByteArray text = errors.popText();
        const qsizetype comma = text.indexOf(',');
        bool ok = false;
        FUZZ_CHECK(comma > 0 && text.left(comma).toInt(&ok) < 0 && ok);
        FUZZ_CHECK(text.at(comma + 1) == '"' && text.endsWith('"'));
    }
    return 0;
}
