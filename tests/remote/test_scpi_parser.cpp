// Remote commands: lines cut up, short and long headers, relative paths, parameters, queued errors.

#include "remote/scpi_table.h"

#include <gtest/gtest.h>

namespace {

using scpi::Command;
using scpi::Error;

// Nodes joined by ':' (common ones as "*IDN"), then parameters.
Command command(const QString& nodes, bool query, QStringList parameters = {}, bool absolute = false)
{
    return Command{nodes.split(u':'), absolute, query, nodes.startsWith(u'*'), std::move(parameters)};
}

const QByteArray kJson = "{\"channels\": 4,\n \"all\": {}}\r";  // LF inside, CR last
const QByteArray kBlock = "#2" + QByteArray::number(kJson.size()) + kJson;

TEST(ScpiParser, LinesCutIntoCommandsWithTheirParameters)
{
    const std::vector<std::pair<QByteArray, std::vector<Command>>> cases{
        {"*IDN?", {command("*IDN", true)}},             {"*idn?\r\n", {command("*idn", true)}},
        {"  SENS:WAV:STAR 1530.5  ", {command("SENS:WAV:STAR", false, {"1530.5"})}},
        {":OUTPut:STATe\tON", {command("OUTPut:STATe", false, {"ON"}, true)}},
        {"MEAS:MODE?;:MEAS:MODE IL", {command("MEAS:MODE", true), command("MEAS:MODE", false, {"IL"}, true)}},
        {"FORM REAL , 32", {command("FORM", false, {"REAL", "32"})}},
        {"*RST;*CLS;", {command("*RST", false), command("*CLS", false)}},
        {";; ;", {}},                                   {"", {}},
        {"LAS:PORT \"COM;3, \"\"x\"\"\"", {command("LAS:PORT", false, {"COM;3, \"x\""})}},
        {"LAS:PORT 'it''s',\"\"", {command("LAS:PORT", false, {"it's", ""})}},
        {"SYST:LANG \"\xE4\xB8\xAD\"", {command("SYST:LANG", false, {QString::fromUtf8("\xE4\xB8\xAD")})}},
        {"SENS:WAV:STAR 1550 NM", {command("SENS:WAV:STAR", false, {"1550 NM"})}},
        {"sens2:aver_x 3", {command("sens2:aver_x", false, {"3"})}},
        // Blocks hold any bytes; a '#' that starts no block is text.
        {"LIM:LOAD " + kBlock + " ;*CLS", {command("LIM:LOAD", false, {QString::fromUtf8(kJson)}), command("*CLS", false)}},
        {"A #10,#15a;b,c,\"q\"", {command("A", false, {"", "a;b,c", "q"})}},
        {"A #0 any;, \"bytes", {command("A", false, {" any;, \"bytes"})}},
        {"A #H1F", {command("A", false, {"#H1F"})}},
    };
    for (const auto& [line, commands] : cases) {
        const scpi::ParsedLine parsed = scpi::parseLine(QByteArrayView(line));
        EXPECT_EQ(parsed.commands, commands) << line.constData();
        EXPECT_FALSE(parsed.error) << line.constData();
    }
}

TEST(ScpiParser, ASyntaxErrorKeepsTheCommandsBeforeItAndDropsTheRest)
{
    const std::vector<std::pair<QByteArray, qsizetype>> cases{
        {"SENS::WAV 1", 0},        {"SENS:WAV: 1", 0},          {":*IDN?", 0},
        {"*", 0},                  {"*1DN?", 0},                {"1SENS 2", 0},
        {"SYST:ERR?x", 0},         {"SENS:AVER 1,,2", 0},       {"SENS:AVER 1,", 0},
        {"LAS:PORT \"COM3", 0},    {"LAS:PORT \"a\"b", 0},      {"LAS:PORT a\"b\"", 0},
        {"*RST;OUTP O\x01N", 1},   {"*RST;*CLS;\xFF\xFE", 2},   {QByteArray("OUTP\0ON", 7), 0},
        {"OUTP ON;SENS$", 1},      {"OUTP \x80", 0},            {"SENS:AVER ?,", 0},
    };
    for (const auto& [line, kept] : cases) {
        const scpi::ParsedLine parsed = scpi::parseLine(QByteArrayView(line));
        EXPECT_EQ(qsizetype(parsed.commands.size()), kept) << line.toHex().constData();
        EXPECT_EQ(parsed.error, (Error{scpi::SyntaxError, {}})) << line.toHex().constData();
    }
}

TEST(ScpiParser, LinesEndAtLineFeedsAndALineOver64KiBBecomesOneCommandError)
{
    scpi::LineAssembler lines;
    const auto texts = [&](const QByteArray& bytes) {
        QByteArrayList t;
        for (const auto& line : lines.feed(bytes)) t << (line.overlong ? "(overlong)" + line.text : line.text);
        return t;
    };
    EXPECT_TRUE(lines.feed("*IDN").empty());
    EXPECT_TRUE(lines.holdsPartialLine());
    EXPECT_EQ(texts("?\r\nOUTP ON\n\nSYST"), (QByteArrayList{"*IDN?", "OUTP ON", ""}));
    EXPECT_TRUE(lines.holdsPartialLine());
    EXPECT_EQ(lines.feed(":ERR?\n").at(0).text, "SYST:ERR?");
    EXPECT_FALSE(lines.holdsPartialLine());

    // Exactly the limit passes; one byte more, fed in pieces, is one overlong line, then normal.
    const QByteArray full(scpi::kMaxLineBytes, 'A');
    EXPECT_EQ(lines.feed(full + '\n').at(0).text, full);
    EXPECT_EQ(lines.feed(full + "\r\n").at(0).text, full);
    EXPECT_TRUE(lines.feed(full + "B\r\n").at(0).overlong);
    EXPECT_TRUE(lines.feed(full).empty());
    EXPECT_TRUE(lines.feed("B").empty());
    EXPECT_TRUE(lines.feed(full).empty());
    EXPECT_EQ(texts("C\n*CLS\n"), (QByteArrayList{"(overlong)", "*CLS"}));
    const scpi::ParsedLine parsed = scpi::parseLine(lines.feed(full + "B\n").at(0));
    EXPECT_TRUE(parsed.commands.empty());
    EXPECT_EQ(parsed.error->text(), "-100,\"Command error; line longer than 65536 bytes\"");
}

TEST(ScpiParser, ABlockParameterHoldsAnyBytesAndItsLineFeedsDoNotEndTheLine)
{
    scpi::LineAssembler lines;
    std::vector<scpi::ReceivedLine> got;
    // In pieces, the quotes and a '#' that starts no block around it.
    for (const QByteArray& piece : {QByteArray("LIM:LOAD "), kBlock.left(7), kBlock.mid(7), QByteArray(";:DEV:ID \"a\n")})
        for (auto& line : lines.feed(piece)) got.push_back(line);
    for (auto& line : lines.feed("x#1\n;\"\r\nX #11\n\n")) got.push_back(line);
    ASSERT_EQ(got.size(), 4U);
    EXPECT_EQ(got[0].text, "LIM:LOAD " + kBlock + ";:DEV:ID \"a");
    EXPECT_EQ(got[1].text, "x#1");
    EXPECT_EQ(got[2].text, ";\"");
    EXPECT_EQ(got[3].text, "X #11\n");
    EXPECT_FALSE(lines.holdsPartialLine());

    const scpi::ParsedLine parsed = scpi::parseLine(QByteArrayView(got[3].text));
    EXPECT_EQ(parsed.commands, std::vector<Command>{command("X", false, {"\n"})});
    for (const char* cut : {"*RST;A #3ab", "*RST;A #2x5abcde", "*RST;A #9123"}) {
        const scpi::ParsedLine p = scpi::parseLine(QByteArrayView(cut));
        EXPECT_EQ(p.commands.size(), 1U) << cut;
        EXPECT_EQ(p.error, (Error{scpi::InvalidBlockData, {}})) << cut;
    }
    EXPECT_EQ(scpi::parseLine(QByteArrayView("A #11xy")).error, (Error{scpi::SyntaxError, {}})) << "text after the block";
    // A block longer than a line could be is none: its line ends at the next LF.
    EXPECT_EQ(lines.feed("A #6999999ab\ncd\n").size(), 2U);
}

// Handlers record what ran and answer queries with their pattern.
class ScpiTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* p : {"*IDN?", "*RST", "OUTPut[:STATe]", "OUTPut[:STATe]?", "SENSe:WAVelength:STARt",
                              "SENSe:WAVelength:STARt?", "SENSe:WAVelength:STOP", "MEASure:MODE", "[:SOURce]:POWer?",
                              "SYSTem:ERRor[:NEXT]?"}) {
            const QString name = QString::fromLatin1(p);
            table.add(name, [this, name](const Command& c) {
                ran << name + u' ' + c.parameters.join(u',');
                return c.query ? scpi::Reply::text(name.toUtf8()) : scpi::Reply::done();
            });
        }
        table.add(QStringLiteral("SENSe:AVERage"), [](const Command&) { return scpi::Reply::failure(scpi::executionError("busy")); });
        table.add(QStringLiteral("*OPC?"), [this](const Command&) { return busy ? scpi::Reply::later() : scpi::Reply::text("1"); });
    }
    // Runs a line to its end; its response, "(none)" when there is none.
    QByteArray run(const QByteArray& line)
    {
        ran.clear();
        scpi::LineExecution execution(table, scpi::parseLine(QByteArrayView(line)));
        EXPECT_TRUE(execution.run(status));
        return execution.hasResponse() ? execution.response() : QByteArray("(none)");
    }
    QStringList drainErrors()
    {
        QStringList texts;
        while (status.errorCount() > 0) texts << QString::fromUtf8(status.popErrorText());
        return texts;
    }

    scpi::CommandTable table;
    scpi::ClientStatus status;
    QStringList ran;
    bool busy = false;
};

TEST_F(ScpiTable, HeadersMatchShortAndLongFormsAnyCaseWithOptionalNodes)
{
    // An empty `ran`: the header is undefined.
    const std::vector<std::pair<QByteArray, QString>> cases{
        {"*idn?", "*IDN? "},                            {"outp on", "OUTPut[:STATe] on"},
        {"OUTPUT:STATE OFF", "OUTPut[:STATe] OFF"},     {"Outp:Stat 1", "OUTPut[:STATe] 1"},
        {"outp:stat?", "OUTPut[:STATe]? "},             {"sens:wav:star 1530", "SENSe:WAVelength:STARt 1530"},
        {":syst:err?", "SYSTem:ERRor[:NEXT]? "},        {"SYST:ERR:NEXT?", "SYSTem:ERRor[:NEXT]? "},
        {"pow?", "[:SOURce]:POWer? "},                  {"SOUR:POW?", "[:SOURce]:POWer? "},
        // Neither a form in between, nor an extra or missing node, nor the other of set/query.
        {"SENS:WAVE:STAR 1530", ""}, {"SENSE:WAV:STA 1530", ""}, {"SENS:STAR 1530", ""},
        {"SENS:WAV:STAR:STAR 1", ""}, {"OUTP:STAT:STAT ON", ""},  {"SENS:WAV:STOP?", ""},
        {"*IDN", ""},                {"SYST?", ""},              {"*ID?", ""},
    };
    for (const auto& [line, expected] : cases) {
        run(line);
        EXPECT_EQ(ran, expected.isEmpty() ? QStringList{} : QStringList{expected}) << line.constData();
        EXPECT_EQ(drainErrors(), expected.isEmpty() ? QStringList{"-113,\"Undefined header\""} : QStringList{})
            << line.constData();
    }
}

TEST_F(ScpiTable, ARelativeHeaderContinuesThePreviousPathOrElseStartsAtTheRoot)
{
    const struct { QByteArray line; QStringList ran; QByteArray response; int undefinedHeaders = 0; } cases[] = {
        {"SENS:WAV:STAR 1530;STOP 1560;STAR?",
         {"SENSe:WAVelength:STARt 1530", "SENSe:WAVelength:STOP 1560", "SENSe:WAVelength:STARt? "},
         "SENSe:WAVelength:STARt?"},
        // Common commands leave the path where it was.
        {"SENS:WAV:STAR 1;*IDN?;STOP 2", {"SENSe:WAVelength:STARt 1", "*IDN? ", "SENSe:WAVelength:STOP 2"}, "*IDN?"},
        // Not a command under SENS:WAV: taken from the root, which becomes the new path.
        {"SENS:WAV:STAR 1;MEAS:MODE IL;MODE TLS", {"SENSe:WAVelength:STARt 1", "MEASure:MODE IL", "MEASure:MODE TLS"}, "(none)"},
        // An unknown relative header still moves the path the way it was written.
        {"SENS:WAV:STAR 1;FOO 2;STOP 3", {"SENSe:WAVelength:STARt 1", "SENSe:WAVelength:STOP 3"}, "(none)", 1},
        {"OUTP ON;OUTP?;:OUTP:STAT?", {"OUTPut[:STATe] ON", "OUTPut[:STATe]? ", "OUTPut[:STATe]? "},
         "OUTPut[:STATe]?;OUTPut[:STATe]?"},
        // A leading ':' means the root even when the relative reading would exist.
        {"SENS:WAV:STAR 1;:STOP 2", {"SENSe:WAVelength:STARt 1"}, "(none)", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.line), c.response) << c.line.constData();
        EXPECT_EQ(ran, c.ran) << c.line.constData();
        EXPECT_EQ(drainErrors(), QStringList(c.undefinedHeaders, "-113,\"Undefined header\"")) << c.line.constData();
    }
}

TEST_F(ScpiTable, ErrorsAreQueuedInTheOrderOfTheLineAndRefusedQueriesGiveNoResponse)
{
    // Executed in order: the refusal, the unknown header, the answered query, then the syntax error.
    EXPECT_EQ(run("SENS:AVER 4;NOPE?;*IDN?;OUTP O\x01N;*RST"), "*IDN?");
    EXPECT_EQ(ran, QStringList{"*IDN? "});
    EXPECT_EQ(drainErrors(), (QStringList{"-200,\"Execution error; busy\"", "-113,\"Undefined header\"",
                                          "-102,\"Syntax error\""}));
    EXPECT_EQ(run("NOPE?"), "(none)");
}

TEST_F(ScpiTable, AWaitingCommandStopsTheLineAndRunsAgainWithTheSamePath)
{
    busy = true;
    scpi::LineExecution execution(table, scpi::parseLine(QByteArrayView("SENS:WAV:STAR 1;*OPC?;STOP 2;*IDN?")));
    EXPECT_FALSE(execution.run(status));
    EXPECT_FALSE(execution.run(status));
    EXPECT_EQ(ran, QStringList{"SENSe:WAVelength:STARt 1"});
    busy = false;
    EXPECT_TRUE(execution.run(status));
    EXPECT_EQ(ran, (QStringList{"SENSe:WAVelength:STARt 1", "SENSe:WAVelength:STOP 2", "*IDN? "}));
    EXPECT_EQ(execution.response(), "1;*IDN?");
    EXPECT_EQ(status.errorCount(), 0);
}

// The error code a read gave (0: none), and its value when it read one.
template <typename T, typename V>
void expectRead(const scpi::Value<T>& read, int code, V value, const QString& text)
{
    EXPECT_EQ(read.error ? read.error->code : 0, code) << qPrintable(text);
    EXPECT_TRUE(!read.ok() || read.value == static_cast<T>(value)) << qPrintable(text);
}

TEST(ScpiParameters, NumbersBooleansAndChoicesReadOrGiveTheirError)
{
    const auto with = [](QStringList parameters) { return command("X", false, std::move(parameters)); };
    const auto code = [](const std::optional<Error>& e) { return e ? e->code : 0; };
    struct Case { QString text; int code; double value; };
    for (const Case& c : std::vector<Case>{{"1550.25", 0, 1550.25}, {"+1.5e3", 0, 1500}, {" 1501", 0, 1501},
                                           {"1600", 0, 1600}, {"1600.001", -222, 0}, {"1499", -222, 0},
                                           {"15x", -220, 0}, {"ON", -220, 0}, {"nan", -220, 0}, {"1550 NM", -220, 0}})
        expectRead(scpi::numberParameter(with({c.text}), 0, 1500, 1600), c.code, c.value, c.text);
    EXPECT_EQ(code(scpi::numberParameter(with({}), 0).error), -109);
    expectRead(scpi::numberParameter(with({"1", "-3.5"}), 1), 0, -3.5, "-3.5 unbounded");
    for (const Case& c : std::vector<Case>{{"7", 0, 7}, {"7.0", 0, 7}, {"7.5", -220, 0}, {"0", -222, 0},
                                           {"1e9", -222, 0}, {"x", -220, 0}})
        expectRead(scpi::integerParameter(with({c.text}), 0, 1, 1000), c.code, c.value, c.text);
    for (const Case& c : std::vector<Case>{{"ON", 0, 1}, {"off", 0, 0}, {"1", 0, 1}, {"0", 0, 0},
                                           {"OF", -224, 0}, {"2", -224, 0}, {"TRUE", -224, 0}})
        expectRead(scpi::booleanParameter(with({c.text}), 0), c.code, c.value, c.text);
    const QStringList paths{"REFLection", "TRANsmission"};
    for (const Case& c : std::vector<Case>{{"REFL", 0, 0}, {"reflection", 0, 0}, {"Tran", 0, 1},
                                           {"TRANSMISSION", 0, 1}, {"TRANS", -224, 0}, {"R", -224, 0}, {"", -224, 0}})
        expectRead(scpi::choiceParameter(with({c.text}), 0, paths), c.code, c.value, c.text);
    EXPECT_EQ(code(scpi::choiceParameter(with({}), 0, paths).error), -109);
    EXPECT_EQ(code(scpi::checkParameterCount(with({"1", "2"}), 1)), -108);
    EXPECT_EQ(code(scpi::checkParameterCount(with({"1"}), 1)), 0);
}

}  // namespace
