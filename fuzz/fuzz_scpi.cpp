// What a remote client sends, through the line assembler, the parser and a command table of the
// kinds of commands the program offers (settings with numbers, choices and switches, queries
// answered with text and blocks, a text or block parameter, a refusal, a command that makes the
// line wait), with the program's own status commands (*ESE, *ESR?, *STB?, *OPC, STATus,
// SYSTem:ERRor) on a bench whose conditions the commands change: LASer:SWEep the sweeping bit, INITiate the measuring bit until a
// command has waited for it, CALCulate:MASK the failed-mask bit.
//
// Block parameters ("#15hello") carry LFs inside their line: the lines are those of the whole input
// fed at once, which must cover it.
//
// The first byte is a set of flags: bit 0 puts nearly a full line before the input, so its first
// line crosses the length limit or not; bits 1-3 cut the input into pieces of 1 << n bytes (0: whole).

#include "fuzz_check.h"
#include "remote/scpi_format.h"
#include "remote/scpi_table.h"
#include "remote/status_commands.h"

#include <algorithm>
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
    scpi::ClientStatus status;
    scpi::Conditions conditions;
    bool running = false;
    double start = 1530;
    int answered = 0;  // by the bench's own queries

    void setCondition(std::uint16_t scpi::Conditions::*reg, std::uint16_t bit, bool on)
    {
        const scpi::Conditions before = conditions;
        conditions.*reg = static_cast<std::uint16_t>(on ? conditions.*reg | bit : conditions.*reg & ~bit);
        status.latch(before, conditions);
    }
    // A line waits only for the measurement, which then ends.
    void endMeasurement()
    {
        FUZZ_CHECK(running);
        running = false;
        setCondition(&scpi::Conditions::operation, scpi::Measuring, false);
        status.pendingEnded();
    }
    Reply conditionSwitch(const Command& c, std::uint16_t scpi::Conditions::*reg, std::uint16_t bit)
    {
        const auto on = scpi::booleanParameter(c, 0);
        if (!on.ok()) return Reply::failure(*on.error);
        setCondition(reg, bit, on.value);
        return Reply::done();
    }

    Bench()
    {
        const auto answer = [this](QByteArray text) {
            ++answered;
            return Reply::text(std::move(text));
        };
        scpi::addStatusCommands(table, {[this] { return conditions; }, [this] { return running; }});
        table.add(QStringLiteral("*IDN?"), [answer](const Command&) { return answer("Maker,VXM,SN1,3.0"); });
        table.add(QStringLiteral("*RST"), [](const Command&, scpi::ClientStatus& s) {
            s.cancelOperationComplete();
            return Reply::done();
        });
        table.add(QStringLiteral("OUTPut[:STATe]"), [](const Command& c) {
            const auto on = scpi::booleanParameter(c, 0);
            return on.ok() ? Reply::done() : Reply::failure(*on.error);
        });
        table.add(QStringLiteral("LASer:SWEep[:STATe]"),
                  [this](const Command& c) { return conditionSwitch(c, &scpi::Conditions::operation, scpi::Sweeping); });
        table.add(QStringLiteral("CALCulate:MASK"),
                  [this](const Command& c) { return conditionSwitch(c, &scpi::Conditions::questionable, scpi::MaskFailed); });
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
        // Text in quotes or a block, as the station's limits and device ID take it.
        table.add(QStringLiteral("LIMits[:LOAD]"), [](const Command& c) {
            if (const auto extra = scpi::checkParameterCount(c, 1)) return Reply::failure(*extra);
            return c.parameters.isEmpty() ? Reply::failure({scpi::MissingParameter, {}}) : Reply::done();
        });
        table.add(QStringLiteral("INITiate"), [this](const Command&) {
            if (running) return Reply::failure(scpi::executionError(QStringLiteral("a measurement is running")));
            running = true;
            setCondition(&scpi::Conditions::operation, scpi::Measuring, true);
            return Reply::done();
        });
        table.add(QStringLiteral("FETCh:TRACe?"), [answer](const Command&) {
            const std::vector<float> points{1550.0F, -3.5F};
            return answer(scpi::traceBlock(points, points) + scpi::traceAscii(points, points));
        });
    }
};

// The status byte agrees with what it summarizes; the enables keep their unused bits clear.
void checkStatus(const Bench& bench)
{
    const scpi::ClientStatus& s = bench.status;
    const std::uint8_t stb = s.statusByte();
    FUZZ_CHECK(((stb & scpi::ErrorQueueNotEmpty) != 0) == (s.errorCount() > 0));
    FUZZ_CHECK(((stb & scpi::MasterSummary) != 0) == ((stb & s.serviceEnable()) != 0));
    FUZZ_CHECK((s.serviceEnable() & scpi::MasterSummary) == 0);
    scpi::ClientStatus copy = s;
    FUZZ_CHECK(copy.operation().enable() <= scpi::kRegisterBits && copy.questionable().enable() <= scpi::kRegisterBits);
    FUZZ_CHECK(((stb & scpi::EventSummary) != 0) == ((copy.takeEvents() & s.eventEnable()) != 0));
    FUZZ_CHECK(((stb & scpi::OperationSummary) != 0) == ((copy.operation().take() & copy.operation().enable()) != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const QByteArray body(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QByteArray before = flags & 1 ? QByteArray(scpi::kMaxLineBytes - 16, 'A') : QByteArray();
    const int pieceBits = (flags >> 1) & 7;
    const qsizetype piece = pieceBits == 0 ? body.size() : qsizetype{1} << pieceBits;

    // The lines as the whole input fed at once gives them; they must cover the input, each ended by
    // its LF (CR LF), and hold an LF only inside a block.
    const QByteArray input = before + body;
    scpi::LineAssembler whole;
    const std::vector<scpi::ReceivedLine> expected = whole.feed(QByteArrayView(input));
    // Where an overlong line ends is not known from its lines: the check stops there.
    qsizetype at = 0;
    for (const scpi::ReceivedLine& line : expected) {
        if (line.overlong) {
            at = -1;
            break;
        }
        FUZZ_CHECK(input.sliced(at).startsWith(line.text));
        at += line.text.size();
        if (line.text.contains('\n')) FUZZ_CHECK(line.text.contains('#'));
        if (at < input.size() && input.at(at) == '\r') ++at;
        FUZZ_CHECK(at < input.size() && input.at(at) == '\n');
        ++at;
    }
    if (at >= 0) FUZZ_CHECK(whole.holdsPartialLine() == (at < input.size()));

    std::vector<QByteArrayView> pieces{QByteArrayView(before)};
    for (qsizetype at = 0; at < body.size(); at += piece) pieces.push_back(QByteArrayView(body).sliced(at, std::min(piece, body.size() - at)));

    Bench bench;
    scpi::ClientStatus& status = bench.status;
    scpi::LineAssembler assembler;
    qsizetype lineIndex = 0;
    for (const QByteArrayView bytes : pieces) {
        for (const scpi::ReceivedLine& line : assembler.feed(bytes)) {
            FUZZ_CHECK(lineIndex < qsizetype(expected.size()));
            const scpi::ReceivedLine& want = expected[static_cast<std::size_t>(lineIndex++)];
            FUZZ_CHECK(line.overlong == want.overlong && line.text == want.text && line.text.size() <= scpi::kMaxLineBytes);
            FUZZ_CHECK(!line.overlong || line.text.isEmpty());

            const scpi::ParsedLine parsed = scpi::parseLine(line);
            if (parsed.error)
                FUZZ_CHECK(line.overlong ? parsed.error->code == scpi::CommandError
                                         : parsed.error->code == scpi::SyntaxError || parsed.error->code == scpi::InvalidBlockData);
            for (const Command& command : parsed.commands) {
                checkCommand(command);
                const scpi::ParsedLine again = scpi::parseLine(QByteArrayView(written(command)));
                FUZZ_CHECK(!again.error && again.commands.size() == 1 && again.commands[0] == command);
            }

            const int queued = status.errorCount();
            bench.answered = 0;
            scpi::LineExecution execution(bench.table, parsed);
            // A line waits once per measurement, and starts one per command at most.
            std::size_t runs = 1;
            while (!execution.run(status)) {
                FUZZ_CHECK(++runs <= 1 + parsed.commands.size());
                bench.endMeasurement();
            }
            FUZZ_CHECK(status.errorCount() <= scpi::ErrorQueue::kCapacity);
            // SYSTem:ERRor:ALL? and *CLS may empty the queue; nothing queues more than one.
            FUZZ_CHECK(status.errorCount() <= queued + static_cast<int>(parsed.commands.size()) + 1);
            if (bench.answered > 0) FUZZ_CHECK(execution.hasResponse());
            if (execution.hasResponse())
                FUZZ_CHECK(std::any_of(parsed.commands.begin(), parsed.commands.end(), [](const Command& c) { return c.query; }));
            // The syntax error is queued after every command of its line: its class bit is set.
            scpi::ClientStatus after = status;
            if (parsed.error) FUZZ_CHECK((after.takeEvents() & scpi::CommandErrorBit) != 0);
            checkStatus(bench);
        }
    }
    FUZZ_CHECK(lineIndex == qsizetype(expected.size()));
    FUZZ_CHECK(assembler.holdsPartialLine() == whole.holdsPartialLine());

    // Every queued error reads as <code>,"<text>".
    while (status.errorCount() > 0) {
        const QByteArray text = status.popErrorText();
        const qsizetype comma = text.indexOf(',');
        bool ok = false;
        FUZZ_CHECK(comma > 0 && text.left(comma).toInt(&ok) < 0 && ok);
        FUZZ_CHECK(text.at(comma + 1) == '"' && text.endsWith('"'));
    }
    return 0;
}
