// The remote commands on a bench of fakes, through a loopback client: refusals, settings, the
// status the window's state sets, and a measurement that runs while other clients are served.

#include "measure/scan_engine.h"
#include "remote/remote_commands.h"
#include "remote/remote_control.h"
#include "remote_client.h"
#include "records/record_capture.h"
#include "verdict/verdict_controller.h"
#include "../measure/scan_bench.h"
#include "../station/line_support.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct RemoteBench {
    QTemporaryDir store;
    FakeBench b;
    Form1& f = b->form1();
    std::unique_ptr<TestClient> client;

    // With `records`, the records go to an SQLite file.
    explicit RemoteBench(bool records = false)
        : b(true, records ? store.filePath(QStringLiteral("records.sqlite")) : QString(),
            records ? store.filePath(QStringLiteral("spool.sqlite")) : QString())
    {
        RemoteOptions options;
        options.port = 0;
        EXPECT_TRUE(b->startRemote(options));
        client = std::make_unique<TestClient>(b->remote()->port());
        EXPECT_TRUE(client->connected());
    }
    // The error a command leaves in the queue.
    QByteArray errorOf(const QByteArray& command) { client->send(command + '\n'); return client->query("SYST:ERR?"); }
};

// Everything a refused command must leave as it was.
QStringList windowState(const Form1& f)
{
    QStringList s;
    for (const QLineEdit* t : {f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7, f.Text8}) s << t->text();
    for (const QAbstractButton* b : f.findChildren<QAbstractButton*>())
        s << b->objectName() + QString::number(b->isChecked()) + QString::number(b->isEnabled()) + b->text();
    s << f.ComboBoxVXMCOM->currentText() << f.ComboBoxTLSCOM->currentText() << f.ChannelID->currentText();
    s << QString::number(Module1.ChannelSelect) << QString::number(Module1.Language) << f.DisplayInfo->toPlainText();
    return s;
}

QByteArray executionError(const char* reason) { return "-200,\"Execution error; " + QByteArray(reason) + '"'; }

}  // namespace

TEST(RemoteCommands, WhatTheWindowRefusesAtStartUpIsRefusedWithItsReasonAndChangesNothing)
{
    RemoteBench r;
    const struct { const char* command; QByteArray error; } cases[] = {
        {"SENS:WAV:STAR 1300", executionError("Start Wavelength is disabled")},
        {"SENS:POIN 1001", executionError("Data Length (<=20001) is disabled")},
        {"CALC:LEV -6", executionError("Center WL & BW at is disabled")},
        {"LAS:SWE ON", executionError("Start TLS Sweep is disabled")},
        {"MEAS:MODE IL", executionError("Device IL Spectrum is disabled")},
        {"MEAS:REF BACK", executionError("Background is disabled")},
        {"MEAS:BACK:REM ON", executionError("Remove Background is disabled")},
        {"CALC:PATH REFL", executionError("Reflection is disabled")},
        {"INIT", executionError("Single Measurement is disabled")},
        {"LAS:IDN?", executionError("Read TLS Info is disabled")},
        {"MOD:IDN?", executionError("Read VXM Info is disabled")},
        {"FETC:TRAC?", executionError("no spectrum has been measured")},
        {"FETC:VERD?", executionError("no verdict")},
        {"MOD:CHAN 3", "-222,\"Data out of range\""},
        {"MEAS:MODE ALL", "-224,\"Illegal parameter value\""},
        {"FORM REAL,64", "-224,\"Illegal parameter value\""},
        {"LAS:PORT COM31", "-224,\"Illegal parameter value\""},
        {"ABOR", "0,\"No error\""},  // nothing runs: nothing to stop
    };
    const QStringList before = windowState(r.f);
    for (const auto& c : cases) {
        EXPECT_EQ(r.errorOf(c.command), c.error) << c.command;
        EXPECT_EQ(windowState(r.f), before) << c.command;
    }
}

TEST(RemoteCommands, SettingsLandInTheirControlsAndTheQueriesReadThemBack)
{
    RemoteBench r;
    Form1& f = r.f;
    // As with the laser sweeping and Device IL Spectrum ticked by the operator.
    for (QWidget* w : std::initializer_list<QWidget*>{f.Text1, f.Text2, f.Text3, f.Reflection, f.Transmission, f.CheckVXMScanMode})
        w->setEnabled(true);
    f.CheckVXMScanMode->setChecked(true);
    // `control` reads what the window shows after the command.
    const struct { const char* command; const char* query; const char* answer; std::function<QString()> control;
                   const char* shown; } cases[] = {
        {"SENS:WAV:STAR 1.5305e3", "SENS:WAV:STAR?", "1530.5", [&] { return f.Text1->text(); }, "1530.5"},
        {"sense:wavelength:stop 1560", "SENS:WAV:STOP?", "1560", [&] { return f.Text2->text(); }, "1560"},
        {"SENS:SWE:SPE 40", "SENS:SWE:SPE?", "40", [&] { return f.Text3->text(); }, "40"},
        {"SENS:AVER 4", "SENS:AVER?", "4", [&] { return f.Text6->text(); }, "4"},
        {"SENS:POIN 1001", "SENS:POIN?", "1001", [&] { return f.Text7->text(); }, "1001"},
        {"CALC:LEV -6.5", "CALC:LEV?", "-6.5", [&] { return f.Text8->text(); }, "-6.5"},
        {"MOD:CHAN 2", "MOD:CHAN?", "2", [&] { return f.ChannelID->currentText(); }, "2. Channel #2"},
        {"MEAS:REF BACK", "MEAS:REF?", "BACK", [&] { return QString::number(f.TakeBackground->isChecked()); }, "1"},
        {"CALC:PATH REFL", "CALC:PATH?", "REFL", [] { return QString::number(Module1.ChannelSelect); }, "0"},
        {"FORM REAL,32", "FORM?", "REAL,32", [] { return QString(); }, ""},
        {"SYST:LANG ZH", "SYST:LANG?", "ZH", [&] { return f.SingleMeasure->text(); }, "单次测量"},
        {"MEAS:MODE NONE", "MEAS:MODE?", "NONE", [&] { return QString::number(f.CheckVXMScanMode->isChecked()); }, "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(r.errorOf(c.command), QByteArray("0,\"No error\"")) << c.command;
        EXPECT_EQ(r.client->query(c.query), QByteArray(c.answer)) << c.command;
        EXPECT_EQ(c.control(), QString::fromUtf8(c.shown)) << c.command;
    }
    EXPECT_EQ(r.b->remote()->indicator()->text(), QStringLiteral("远程控制：127.0.0.1:%1").arg(r.b->remote()->port()));
}

TEST(RemoteCommands, TheVerdictIsTheDevicesOutcomeThenOneQuotedStringPerLine)
{
    RemoteBench r;
    Module1.ChannelSelect = 1;
    Module1.ScanWL.resize(2001);
    Module1.ScanValue.resize(2001);
    for (std::size_t i = 0; i < 2001; ++i) {
        onePeakAt1300(static_cast<int>(i), Module1.ScanWL[i], Module1.ScanValue[i]);
        Module1.ScanWL[i] /= 1000.0F;
    }
    Module1.LastPointIndex = 2000;
    VerdictController& verdict = r.b->verdict();
    verdict.evaluate();
    EXPECT_EQ(r.client->query("FETC:VERD?"), QByteArray(R"(-,"CH1 1300.000 nm -","DEVICE -")")) << "no limits loaded";
    QTemporaryDir dir;
    writeFileIn(dir.path(), "two.json", R"({"channels": 2})");
    ASSERT_TRUE(verdict.loadLimits(dir.filePath(QStringLiteral("two.json"))));
    EXPECT_EQ(r.client->query("FETC:VERD?"), QByteArray(R"(FAIL,"CH1 1300.000 nm PASS","DEVICE FAIL channels 1 of 2")"));
}

TEST(RemoteCommands, NumbersOutsideWhatTheProgramCanUseAreRefusedAtOnceAndTheLimitsAccepted)
{
    RemoteBench r;
    Form1& f = r.f;
    for (QWidget* w : std::initializer_list<QWidget*>{f.Text1, f.Text2, f.Text3, f.Text4, f.Text6, f.Text7, f.Text8})
        w->setEnabled(true);
    const QByteArray outOfRange = "-222,\"Data out of range\"";
    const QStringList before = windowState(f);
    for (const char* command : {"SENS:WAV:STAR 99999999999", "SENS:WAV:STAR 0.999", "SENS:WAV:STOP 2000.001",
                                "SENS:WAV:STOP -1550", "LAS:WAV 2001", "LAS:WAV 0", "SENS:SWE:SPE 0.5",
                                "SENS:SWE:SPE 65536", "SENS:AVER 0", "SENS:AVER 255", "SENS:POIN 1",
                                "SENS:POIN 20002", "CALC:LEV 0", "CALC:LEV 3", "CALC:LEV -100.5"}) {
        EXPECT_EQ(r.errorOf(command), outOfRange) << command;
        EXPECT_EQ(windowState(f), before) << command;
    }
    EXPECT_EQ(r.errorOf("SENS:AVER 2.5"), QByteArray("-220,\"Parameter error\""));

    const struct { const char* command; const QLineEdit* box; const char* shown; } limits[] = {
        {"SENS:WAV:STAR 1", f.Text1, "1"},     {"SENS:WAV:STOP 2000", f.Text2, "2000"},
        {"LAS:WAV 1550.125", f.Text4, "1550.125"}, {"SENS:SWE:SPE 65535", f.Text3, "65535"},
        {"SENS:AVER 254", f.Text6, "254"},     {"SENS:POIN 20001", f.Text7, "20001"},
        {"SENS:POIN 2", f.Text7, "2"},     {"CALC:LEV -100", f.Text8, "-100"},
        {"CALC:LEV -0.01", f.Text8, "-0.01"},
    };
    for (const auto& c : limits) {
        EXPECT_EQ(r.errorOf(c.command), QByteArray("0,\"No error\"")) << c.command;
        EXPECT_EQ(c.box->text(), QString::fromLatin1(c.shown)) << c.command;
    }
}

TEST(RemoteStatus, SelfTestAndOptionsAnswerAndAMissingLibraryFailsTheSelfTest)
{
    RemoteBench r;
    EXPECT_EQ(r.client->query("*TST?;*OPT?;:SYST:VERS?;ERR:COUN?"), QByteArray("0;0;1999.0;0"));
    r.b.library->problem = QStringLiteral("not found");
    EXPECT_EQ(r.client->query("*ESR?;*TST?;*ESR?"), QByteArray("128;1;8"));
    EXPECT_EQ(r.client->query("SYST:ERR?"), QByteArray("-330,\"Self-test failed; The device library "
                                                       "libKetrolanLib.so could not be loaded (not found).\""));
}

TEST(RemoteStatus, TheSweepAndTheStationsQuestionableBitsLatchInEveryClientWithItsOwnEnables)
{
    RemoteBench r;
    TestClient other(r.b->remote()->port());
    ASSERT_TRUE(other.connected());
    connectLaser(r.b);
    r.f.StartStopSweep->setEnabled(true);
    EXPECT_EQ(other.query("STAT:OPER:ENAB 8;:STAT:QUES:ENAB 1536;*SRE 136;*ESE 255;*CLS;*ESE?"), QByteArray("255"));

    EXPECT_EQ(r.errorOf("LAS:SWE ON"), QByteArray("0,\"No error\""));
    RemoteCommands& commands = r.b->remote()->commands();
    commands.setQuestionable(scpi::ReferenceQuestionable, true);
    commands.setQuestionable(scpi::MaskFailed, true);
    commands.setQuestionable(scpi::MaskFailed, false);
    EXPECT_EQ(r.client->query("STAT:OPER:COND?;:STAT:QUES:COND?;:STAT:QUES:EVEN?;*STB?"), QByteArray("8;512;1536;16"))
        << "nothing enabled for this client";
    EXPECT_EQ(other.query("*STB?;STAT:OPER?;:STAT:QUES?;:STAT:OPER?;*STB?"), QByteArray("200;8;1536;0;16"));

    EXPECT_EQ(r.errorOf("LAS:SWE OFF"), QByteArray("0,\"No error\""));
    commands.setQuestionable(scpi::ReferenceQuestionable, false);
    EXPECT_EQ(other.query("STAT:OPER:COND?;:STAT:QUES:COND?;:STAT:OPER?;:STAT:QUES?"), QByteArray("0;0;0;0"))
        << "a bit that falls latches nothing";
}

namespace {

// A device measurement of the one-peak spectrum whose scan does not end until the test says so.
struct MeasuringBench : RemoteBench {
    TestClient other{b->remote()->port()};
    QTimer watch;
    bool busyWhenAnswered = false;  // whether the scan still ran when the answers were back

    MeasuringBench()
    {
        f.CheckVXMScanMode->setChecked(true);
        prepareScan(b);
        f.Text3->setText(QStringLiteral("1"));  // a slow sweep: the scan's time-out lies far away
        b.library->point = onePeakAt1300;
        b.library->donePollsBeforeDone = std::numeric_limits<std::int32_t>::max();
        EXPECT_TRUE(other.connected());
    }
    // Once the scan runs, `lines` go from the other client; with `answers` responses back it may end.
    void duringScan(const QByteArray& lines, int answers)
    {
        QObject::connect(&watch, &QTimer::timeout, [this, lines, answers, sent = false]() mutable {
            if (!sent && b->measure().engine().busy()) {
                other.send(lines);
                sent = true;
            }
            if (sent && other.socket.bytesAvailable() > 0 && other.socket.peek(1 << 16).count('\n') >= answers) {
                busyWhenAnswered = b->measure().engine().busy();
                b.library->donePollsBeforeDone = 0;
                watch.stop();
            }
        });
        watch.start(0);
    }
};

}  // namespace

TEST(RemoteMeasurement, InitiateReturnsAtOnceOthersAreServedMeanwhileAndOpcAnswersAtTheEnd)
{
    MeasuringBench m;
    m.duringScan("*IDN?\nSENS:AVER 3\nSYST:ERR?\n", 2);
    m.client->send("INIT\n*OPC?\nFETC:CHAN?\n");
    EXPECT_EQ(m.client->line(), QByteArray("1"));
    EXPECT_TRUE(m.busyWhenAnswered) << "the other client was answered while the scan ran";
    EXPECT_EQ(m.other.line(), QByteArray("Ostrel,VXM,0,3.0C"));
    EXPECT_EQ(m.other.line(), executionError("a measurement is running"));
    EXPECT_EQ(m.f.Text6->text(), QStringLiteral("1"));
    EXPECT_EQ(Module1.MeasureCount, 1);
    EXPECT_EQ(m.client->line(), QByteArray("1,1300.000,230.610,0.300,-5.000"));

    EXPECT_TRUE(m.client->query("FETC:TRAC?").startsWith("1260.0000,-40.0000,1260.0400,-40.0000,"));
}

TEST(RemoteMeasurement, AbortClicksStopVxmScanWhileTheScanRuns)
{
    MeasuringBench m;
    m.duringScan("ABOR;:SYST:ERR?\n", 1);
    m.client->send("INIT;*OPC?\n");
    EXPECT_EQ(m.client->line(), QByteArray("1"));
    EXPECT_TRUE(m.busyWhenAnswered);
    EXPECT_EQ(m.other.line(), QByteArray("0,\"No error\""));
    EXPECT_EQ(countCalls(m.b, QStringLiteral("Stop_Scan")), 1);
    EXPECT_EQ(Module1.RepeatStop, 1);
}

TEST(RemoteMeasurement, OpcSetsTheEventBitWhenTheMeasurementEndsAndTheMeasuringBitShowsMeanwhile)
{
    MeasuringBench m;
    m.duringScan("STAT:OPER:COND?;EVEN?;*ESR?\n", 1);
    m.client->send("*CLS;:STAT:OPER:ENAB 16;*SRE 128;:INIT;*OPC;*STB?;*ESR?\n");
    EXPECT_EQ(m.client->line(), QByteArray("192;0")) << "the measuring event asks for service; not complete yet";
    EXPECT_TRUE(QTest::qWaitFor([&] { return m.client->query("*ESR?") == "1"; }, 5000));
    EXPECT_TRUE(m.busyWhenAnswered);
    EXPECT_EQ(m.other.line(), QByteArray("16;16;128")) << "its own power-on only";
    EXPECT_EQ(m.client->query("STAT:OPER:COND?;EVEN?;*ESR?"), QByteArray("0;16;0")) << "the event stays until read";
    EXPECT_EQ(Module1.MeasureCount, 1);
}

namespace {

// The station's recipes on a bench of fakes that keeps records: "Fake filter" judges the one peak
// at 1300 nm (a loss of 5 dB) against at most 6 dB, "Fake demux" measures it on ports 1 and 2.
struct StationBench : RemoteBench {
    std::vector<MeasurementRecord> captured;

    StationBench() : RemoteBench(true)
    {
        prepareScan(b);
        const QString folder = b.settingsDir.filePath(QStringLiteral("recipes"));
        writeFileIn(folder, "filter.json", recipeText("Fake filter", 6));
        writeFileIn(folder, "demux.json", recipeText("Fake demux", 6, "[1, 2]"));
        QObject::connect(f.findChild<RecordCapture*>(), &RecordCapture::captured,
                         [this](const MeasurementRecord& r) { captured.push_back(r); });
        // The laser sweeping the recipe's span, which its boxes hold from the start and keep while it sweeps.
        connectLaser(b);
        f.StartStopSweep->setEnabled(true);
        EXPECT_EQ(errorOf("LAS:SWE ON"), QByteArray("0,\"No error\""));
    }
    // The background as the line takes it through the window's own commands, with the device out.
    void takeBackground()
    {
        b.library->point = [](int i, float& wavelengthPm, float& value) {
            onePeakAt1300(i, wavelengthPm, value);
            value = 0.0F;
        };
        EXPECT_EQ(client->query("MEAS:REF BACK;:INIT;*OPC?;:SYST:ERR?"), QByteArray("1;0,\"No error\""));
        b.library->point = onePeakAt1300;
    }
    QByteArray quotedUid(std::size_t fromEnd = 1) { return '"' + captured.at(captured.size() - fromEnd).uid.toUtf8() + '"'; }
};

const QByteArray kNoError = "0,\"No error\"";

}  // namespace

TEST(RemoteStation, RecipesAreListedChosenAndRefusedWithTheirLineAndReason)
{
    StationBench s;
    EXPECT_EQ(s.client->query("RECipe?;:RECipe:LIST?"), QByteArray(R"("",0;"Fake demux","Fake filter")"));
    const struct { const char* command; QByteArray error; const char* inUse; } cases[] = {
        {"REC:LOAD \"Fake filter\"", kNoError, R"("Fake filter",3)"},
        {"REC \"Nowhere\"", R"(-200,"Execution error; The recipe ""Nowhere"" cannot be read")", R"("Fake filter",3)"},
        {"REC:LOAD", "-109,\"Missing parameter\"", R"("Fake filter",3)"},
        {"REC:LOAD \"Fake demux\",2", "-108,\"Parameter not allowed\"", R"("Fake filter",3)"},
        {"REC:LOAD \"Fake demux\"", kNoError, R"("Fake demux",3)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(s.errorOf(c.command), c.error) << c.command;
        EXPECT_EQ(s.client->query("REC?"), QByteArray(c.inUse)) << c.command;
    }
}

TEST(RemoteStation, TheDeviceIdTakesNoControlCharacterAndAtMost64Characters)
{
    StationBench s;
    const QByteArray longest(64, 'X');
    const struct { QByteArray command; QByteArray error; QByteArray shown; } cases[] = {
        {"DEV:ID \"SN 001\"", kNoError, "SN 001"},
        {"DEVICE:ID SN-002", kNoError, "SN-002"},
        {"DEV:ID #15SN\t03", "-224,\"Illegal parameter value; the device ID holds a control character\"", "SN-002"},
        {"DEV:ID " + longest + 'Y', "-223,\"Too much data; the device ID is longer than 64 characters\"", "SN-002"},
        {"DEV:ID " + longest, kNoError, longest},
        {"DEV:ID", "-109,\"Missing parameter\"", longest},
        {"DEV:ID a,b", "-108,\"Parameter not allowed\"", longest},
        {"DEV:ID \"\"", kNoError, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(s.errorOf(c.command), c.error) << c.command.constData();
        EXPECT_EQ(s.client->query("DEV:ID?"), '"' + c.shown + '"') << c.command.constData();
        EXPECT_EQ(s.f.DeviceId->text(), QString::fromLatin1(c.shown)) << c.command.constData();
    }
}

TEST(RemoteStation, ADeviceIsMeasuredByRecipeAndItsVerdictFiguresAndRecordAreRead)
{
    StationBench s;
    EXPECT_EQ(s.client->query("FETC:REC?"), QByteArray("\"\"")) << "no record yet";
    EXPECT_EQ(s.errorOf("REC:LOAD \"Fake filter\""), kNoError);
    // Refused as at Enter, queued when the operation ends: without a background, a questionable reference.
    EXPECT_EQ(s.client->query("DEV:ID \"SN-000\";MEAS;*OPC?;:SYST:ERR?;:STAT:QUES:COND?").toStdString(),
              ("1;" + executionError("No background has been taken with these settings: take a new background") + ";512")
                  .toStdString());
    s.takeBackground();
    EXPECT_EQ(s.client->query("FETC:REC?"), s.quotedUid());

    EXPECT_EQ(s.client->query("*ESE 1;*CLS;:DEV:ID \"SN-001\";MEAS;*OPC;:STAT:OPER:COND?"), QByteArray("24"))
        << "sweeping and measuring";
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.client->query("*ESR?") == "1"; }, 5000));
    EXPECT_EQ(s.client->query("SYST:ERR?;:STAT:QUES:COND?;:FETC:VERD?"),
              kNoError + R"(;0;PASS,"CH1 1300.000 nm PASS","DEVICE PASS")");
    EXPECT_EQ(s.client->query("FETC:REC?"), s.quotedUid());
    QByteArrayList figures = s.client->query("FETC:FIG?").split(',');
    ASSERT_EQ(figures.size(), 6 * verdict::kFigureCount);
    const qsizetype loss = figures.indexOf("insertion_loss");
    ASSERT_GT(loss, 0);
    EXPECT_EQ(figures.mid(loss - 1, 6).join(','), "1,insertion_loss,5,-9.9E+37,6,PASS");
    EXPECT_EQ(figures.mid(0, 6).join(','), "1,center_offset_nm,9.91E+37,-9.9E+37,9.9E+37,-") << "no plan: no grid";

    // Tighter limits sent as a block: the next device fails on its loss; refused ones change nothing.
    const QByteArray tight = R"({"all": {"insertion_loss": {"max": 4}}})";
    EXPECT_EQ(s.errorOf("LIM:LOAD #2" + QByteArray::number(tight.size()) + tight), kNoError);
    EXPECT_EQ(s.errorOf(R"(LIM:LOAD "{""all"": {""ripple"": {""min"": 2, ""max"": 1}}}")"),
              executionError("Limits file refused, line 1: min above max for \"\"ripple\"\""));
    EXPECT_EQ(s.client->query("DEV:ID \"SN-002\";MEAS;*OPC?;:FETC:VERD?"),
              QByteArray(R"(1;FAIL,"CH1 1300.000 nm FAIL insertion_loss","DEVICE FAIL")"));
    figures = s.client->query("FETC:FIG?").split(',');
    EXPECT_EQ(figures.mid(loss - 1, 6).join(','), "1,insertion_loss,5,-9.9E+37,4,FAIL");
}

TEST(RemoteStation, ADeviceWithPortsIsAskedForEachPortAndEscapeGivesItUp)
{
    StationBench s;
    EXPECT_EQ(s.errorOf("REC:LOAD \"Fake demux\""), kNoError);
    s.takeBackground();
    const std::size_t before = s.captured.size();
    EXPECT_EQ(s.client->query("DEV:PORT?;:DEV:PORT:NEXT;:SYST:ERR?"), QByteArray("0;" + executionError("no port is asked for")));
    EXPECT_EQ(s.client->query("DEV:ID \"D-1\";MEAS;PORT?;PORT:NEXT;*OPC?;:DEV:PORT?;:DEV:ABOR;PORT?"),
              QByteArray("1,2;1;2,2;0"));
    EXPECT_EQ(s.client->query("SYST:ERR?"), kNoError);
    EXPECT_EQ(s.captured.size(), before + 1) << "the first port's record, held and dropped";

    EXPECT_EQ(s.client->query("DEV:ID \"D-2\";MEAS;PORT:NEXT;*OPC?;:DEV:PORT:NEXT;*OPC?;:DEV:PORT?;:SYST:ERR?"),
              QByteArray("1;1;0;") + kNoError);
    EXPECT_EQ(s.client->query("FETC:VERD?"), QByteArray(R"(PASS,"CH1 1300.000 nm PASS","CH2 1300.000 nm PASS","DEVICE PASS")"))
        << "the device's verdict, combined over its ports";
    EXPECT_EQ(s.client->query("FETC:REC?"), s.quotedUid()) << "its device record";
    EXPECT_EQ(std::tuple(s.captured.back().kind, s.captured.back().deviceId), std::tuple(RecordKind::Device, QStringLiteral("D-2")));
}
