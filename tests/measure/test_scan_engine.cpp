// One acquisition in each mode against a scripted device library.

#include "core/info_box.h"
#include "core/units.h"
#include "measure/scan_engine.h"
#include "form_checks.h"
#include "scan_bench.h"

#include <gtest/gtest.h>

namespace {

const QString kPleaseCheck = QStringLiteral("\r\nPlease check status");

struct Engine : ::testing::Test {
    FakeBench b;
    Form1& f = b->form1();

    void SetUp() override { prepareScan(b); }
    void expectRedText(const QString& text)
    {
        EXPECT_EQ(b->info().text(), text);
        EXPECT_EQ(b->info().color(), VbColor::Red);
    }
};

}  // namespace

TEST_F(Engine, NoBoxTouchesNothingAndTheFirstTickedBoxWinsPowerMeterThenAlignThenRegular)
{
    connectLaser(b);
    Module1.LastPointIndex = 7;
    EXPECT_EQ(acquire(b), 1);
    EXPECT_TRUE(b.library->calls.isEmpty());
    EXPECT_EQ(Module1.LastPointIndex, 7);
    EXPECT_TRUE(Module1.ScanWL.empty());

    tickQuietly({{f.CheckPowerMeter, true}, {f.CheckAlignMode, true}, {f.CheckVXMScanMode, true}});
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(b.library->calls, QStringList{"Read_PowerMeter(1234,0)"});
    b.library->calls.clear();
    tickQuietly({{f.CheckPowerMeter, false}});
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(b.library->calls.first(), QStringLiteral("AlignMode_Scan(1234,1260,1340,100,0,0)"));
}

TEST_F(Engine, RegularArraysTakeTheDataLengthWavelengthsBecomeNanometresAndEveryPollWaits)
{
    f.CheckVXMScanMode->setChecked(true);
    prepareScan(b, QStringLiteral("500"));
    b.library->donePollsBeforeDone = 3;
    const std::uint64_t before = b.clock->paused();
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(b.library->calls.first(), QStringLiteral("Start_Scan(1234,1260,1340,100,1,500,0,0)"));
    EXPECT_EQ(b.library->calls.last(), QStringLiteral("Get_ScanData(1234,500,0)"));
    EXPECT_EQ(countCalls(b, "Is_Scan_Done"), 4);
    EXPECT_EQ(b.clock->paused() - before, 400U) << "a hundred milliseconds after every poll, the last included";
    EXPECT_EQ(std::tuple(Module1.ScanWL.size(), Module1.ScanValue.size(), Module1.LastPointIndex), std::tuple(500U, 500U, 499));
    EXPECT_FLOAT_EQ(Module1.ScanWL[1], 1260.004F);
    EXPECT_EQ(Module1.TraceKind, 3) << "Spectrum is the option selected at start";
}

TEST_F(Engine, AlignLoweredCountKeepsFullArraysAndPatchesTheTail)
{
    f.CheckAlignMode->setChecked(true);
    b.library->alignCount = 5000;
    b.library->point = [](int i, float& wl, float& v) {
        wl = 1260000.0F + static_cast<float>(i) * 4.0F;
        v = i < 4990 ? -20.0F : -60.0F;  // a tail that has not settled
    };
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(b.library->calls.last(), QStringLiteral("Get_AlignMode_Data(1234,20001,0)"));
    EXPECT_EQ(std::tuple(Module1.ScanWL.size(), Module1.ScanValue.size(), Module1.LastPointIndex, Module1.TraceKind),
              std::tuple(20001U, 20001U, 4999, std::int16_t{1}));
    EXPECT_FLOAT_EQ(Module1.ScanWL[4999], 1279.996F);
    for (int i = 4989; i <= 4999; ++i) EXPECT_NEAR(Module1.ScanValue[static_cast<std::size_t>(i)], -20.0F, 0.05F) << i;
}

TEST_F(Engine, ChannelAndSweepFlagReachEveryCall)
{
    // The sweep flag is the library's true, -1, for sweep mode 1 only.
    const struct { bool align; int channel, sweepMode; const char *first, *last; } rows[] = {
        {false, 1, 0, "Start_Scan(1234,1260,1340,100,1,2001,1,0)", "Get_ScanData(1234,2001,1)"},
        {false, 0, 1, "Start_Scan(1234,1260,1340,100,1,2001,0,-1)", "Get_ScanData(1234,2001,0)"},
        {false, 0, 100, "Start_Scan(1234,1260,1340,100,1,2001,0,0)", "Get_ScanData(1234,2001,0)"},
        {true, 1, 1, "AlignMode_Scan(1234,1260,1340,100,1,-1)", "Get_AlignMode_Data(1234,20001,1)"},
        {true, 0, 0, "AlignMode_Scan(1234,1260,1340,100,0,0)", "Get_AlignMode_Data(1234,20001,0)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.first);
        selectOnly(b, r.align ? f.CheckAlignMode : f.CheckVXMScanMode);
        f.ChannelID->setCurrentIndex(r.channel);
        Module1.ChannelIndex = 1 - r.channel;  // read from the list at the start
        Module1.TLSSweepMode = r.sweepMode;
        prepareScan(b);
        EXPECT_EQ(acquire(b), 1);
        EXPECT_EQ(Module1.ChannelIndex, r.channel);
        EXPECT_EQ(b.library->calls.first(), QString::fromLatin1(r.first));
        EXPECT_EQ(b.library->calls.last(), QString::fromLatin1(r.last));
    }
}

TEST_F(Engine, ModuleCodesAreShownAndTheSpectrumKept)
{
    f.CheckVXMScanMode->setChecked(true);
    prepareScan(b, QStringLiteral("300"));
    Module1.LastPointIndex = 41;
    Module1.TraceKind = 2;
    b.library->startResult = 5;
    EXPECT_EQ(acquire(b), 0);
    expectRedText(QStringLiteral("Scan VXM Code = 5") + kPleaseCheck);
    EXPECT_EQ(countCalls(b, "Is_Scan_Done"), 0);

    // The data call's code is the result; the arrays were sized for it.
    b.library->startResult = 1;
    b.library->dataResult = 7;
    b->info().setFontName(QStringLiteral("Courier New"));
    EXPECT_EQ(acquire(b), 7);
    expectRedText(QStringLiteral("Scan VXM Code = 7") + kPleaseCheck);
    EXPECT_EQ(b->info().fontName(), QStringLiteral("Arial"));
    EXPECT_EQ(std::tuple(Module1.ScanWL.size(), Module1.LastPointIndex, Module1.TraceKind), std::tuple(300U, 41, std::int16_t{2}));

    selectOnly(b, f.CheckAlignMode);
    b.library->startResult = 5;
    Module1.Language = 2;
    EXPECT_EQ(acquire(b), 0);
    EXPECT_EQ(b->info().text(), QStringLiteral("Scan Raw Code = 5\r\n请检查状态"));
}

TEST_F(Engine, PowerMeterReadsUntilSuccessThenShowsDbmOrReferencedDbAndGivesUpAfterBoundedAttempts)
{
    f.CheckPowerMeter->setChecked(true);
    f.BasePower->setChecked(true);
    prepareScan(b);
    connectLaser(b);
    b.library->powerResults = {0, 0, 1};
    b.library->powerReadings = {-99.0F, -98.0F, -12.5F};
    const std::uint64_t before = b.clock->paused();
    EXPECT_EQ(acquire(b), 1);
    EXPECT_GE(b.clock->paused() - before, 200U) << "the laser settles first";
    EXPECT_EQ(b.library->calls, QStringList(3, QStringLiteral("Read_PowerMeter(1234,0)")));
    EXPECT_EQ(std::tuple(f.Text5->text(), f.PLabel->text()), std::tuple(QStringLiteral("-12.500"), QStringLiteral("(dBm)")));
    EXPECT_EQ(Module1.BasePowerTaken0, 1);
    EXPECT_FLOAT_EQ(Module1.BasePower0, -12.5F) << "the successful reading is the base";

    f.Ref0Power->setChecked(true);  // unticks Base Power: the base stays
    b.library->powerResults = {1};
    b.library->powerReadings = {-10.25F};
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(std::tuple(f.Text5->text(), f.PLabel->text()), std::tuple(QStringLiteral("2.250"), QStringLiteral("(dB)")));

    b.library->powerResults = {0};
    prepareScan(b);
    EXPECT_EQ(acquire(b), 0);
    EXPECT_EQ(countCalls(b, "Read_PowerMeter"), kMaxPowerAttempts);
    EXPECT_EQ(f.Text5->text(), QStringLiteral("2.250"));
    expectRedText(QStringLiteral("No power reading after 200 attempts\r\nPlease check the module"));
}

// Out of range nothing is sent (the measurement tests see that); a refusal is reported; either way the power is read.
TEST_F(Engine, PowerMeterReadsAfterTheLaserRefusedTheWavelength)
{
    f.CheckPowerMeter->setChecked(true);
    connectLaser(b, 0x0002);
    b.library->powerReadings = {-12.5F};
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(b.serial->writtenTo(7).size(), 1U);
    expectRedText(QStringLiteral("  Error Warning!\r\n\r\n  Error Code = 0002\r\n  TLS received data is Out-Of-Range."));
    EXPECT_EQ(b.library->calls, QStringList{"Read_PowerMeter(1234,0)"});
    EXPECT_EQ(f.Text5->text(), QStringLiteral("-12.500"));
}

TEST_F(Engine, SettingsThatCannotWorkAreRefusedBeforeAnyCall)
{
    // Start, stop, speed, averages, data length; the beginning of the message or nullptr: accepted.
    const struct { const char *start, *stop, *speed, *averages, *length, *expected; } cases[] = {
        {"1340", "1260", "100", "1", "2001", "The start wavelength must be below"},
        {"1300", "1300", "100", "1", "2001", "The start wavelength must be below"},
        {"", "1340", "100", "1", "2001", nullptr},  // an empty start reads 0: 0 < 1340
        {"1260", "1340", "0", "1", "2001", "The sweep speed must be above 0"},
        {"1260", "1340", "0.5", "1", "2001", "The sweep speed must be above 0"},  // integer part 0
        {"1260", "1340", "100", "0", "2001", "The average number must lie between 1 and 254"},
        {"1260", "1340", "100", "255", "2001", "The average number must lie between 1 and 254"},
        {"1260", "1340", "100", "254", "2001", nullptr},
        {"1260", "1340", "100", "1", "100", "The data length must lie between 101 and 20001"},
        {"1260", "1340", "100", "1", "20002", "The data length must lie between 101 and 20001"},
        {"1260", "1340", "100", "1", "101", nullptr},
    };
    f.CheckVXMScanMode->setChecked(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << ' ' << c.stop << ' ' << c.speed << ' ' << c.averages << ' ' << c.length);
        f.Text1->setText(QString::fromLatin1(c.start));
        f.Text2->setText(QString::fromLatin1(c.stop));
        f.Text3->setText(QString::fromLatin1(c.speed));
        f.Text6->setText(QString::fromLatin1(c.averages));
        prepareScan(b, QString::fromLatin1(c.length));
        EXPECT_EQ(acquire(b), c.expected ? 0 : 1);
        EXPECT_EQ(b->measure().engine().lastRefusedSettings(), c.expected != nullptr);
        if (c.expected == nullptr) continue;
        EXPECT_TRUE(b.library->calls.isEmpty());
        EXPECT_TRUE(b->info().text().startsWith(QLatin1String(c.expected))) << b->info().text().toStdString();
        EXPECT_EQ(b->info().color(), VbColor::Red);
    }
    // The analysis reads point 100 of a spectrum; a background is stored and plotted, never analysed.
    const char* background = "The data length of a background must lie between 2 and 20001 points";
    const struct { bool background; const char* length; const char* expected; } lengths[] = {
        {true, "2", nullptr},         {true, "100", nullptr},  {true, "1", background},
        {true, "20002", background},  {false, "100", "The data length must lie between 101 and 20001 points"},
    };
    for (const auto& c : lengths) {
        SCOPED_TRACE(testing::Message() << (c.background ? "background of " : "spectrum of ") << c.length);
        (c.background ? f.TakeBackground : f.MeasureSpectrum)->setChecked(true);
        prepareScan(b, QString::fromLatin1(c.length));
        EXPECT_EQ(acquire(b), c.expected ? 0 : 1);
        if (c.expected) {
            EXPECT_TRUE(b.library->calls.isEmpty());
            EXPECT_TRUE(b->info().text().startsWith(QLatin1String(c.expected))) << b->info().text().toStdString();
        } else {
            EXPECT_EQ(Module1.LastPointIndex, QByteArray(c.length).toInt() - 1);
            EXPECT_EQ(Module1.BackgroundTaken, 1);
        }
    }
    // An align scan checks only what it sends: average and data length are not used.
    selectOnly(b, f.CheckAlignMode);
    f.Text6->setText(QStringLiteral("0"));
    prepareScan(b, QStringLiteral("5"));
    EXPECT_EQ(acquire(b), 1);
    f.Text3->setText(QStringLiteral("-5"));
    prepareScan(b);
    EXPECT_EQ(acquire(b), 0);
    EXPECT_TRUE(b.library->calls.isEmpty() && b->info().text().startsWith(QStringLiteral("The sweep speed must be above 0")));
}

TEST_F(Engine, TheLasersRangeBoundsTheScanInWholeNanometresOnlyWhileTheLaserTakesPart)
{
    const struct { std::int32_t start, stop; float min, max; const char* expected; } cases[] = {
        {1527, 1568, 1527.5F, 1567.5F, nullptr},  // the boxes' whole numbers around a fractional range
        {1526, 1568, 1527.5F, 1567.5F, "measure.outsideLaserRange"},
        {1527, 1569, 1527.5F, 1567.5F, "measure.outsideLaserRange"},
        {1260, 2147483647, 1260.0F, 1340.0F, "measure.outsideLaserRange"},
        {0, 99999, 0.0F, 0.0F, nullptr},  // no range read: nothing to hold them to
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << '-' << c.stop << " in " << c.min << '-' << c.max);
        for (const ScanMode mode : {ScanMode::Regular, ScanMode::Align}) {
            const char* problem = scanSettingsProblem({c.start, c.stop, 100, 1, 2001}, mode, c.min, c.max);
            EXPECT_STREQ(problem, c.expected);
        }
    }
    // A laser's range was read, then TLS? unticked and a C-band module's presets typed in.
    Module1.TLSWLMin = 1260.0F;
    Module1.TLSWLMax = 1340.0F;
    f.Text1->setText(QStringLiteral("1527"));
    f.Text2->setText(QStringLiteral("1568"));
    f.CheckVXMScanMode->setChecked(true);
    for (const bool laser : {true, false}) {
        SCOPED_TRACE(laser ? "TLS? ticked" : "TLS? unticked");
        f.CheckTLS->setChecked(laser);
        prepareScan(b);
        b->info().setText(QStringLiteral("before"));
        EXPECT_EQ(acquire(b), laser ? 0 : 1);
        EXPECT_EQ(b.library->calls.isEmpty(), laser);
        EXPECT_EQ(b->info().text().startsWith(QStringLiteral("The start and stop wavelengths must lie within")), laser);
    }
}

TEST_F(Engine, TimeOutFollowsSpanSpeedAndAveragesAndAnEndlessScanIsStopped)
{
    EXPECT_EQ(scanTimeoutMs({1260, 1340, 100, 3, 2001}, ScanMode::Regular), 2 * 2400 + 10000);
    EXPECT_EQ(scanTimeoutMs({1260, 1340, 100, 3, 2001}, ScanMode::Align), 2 * 800 + 10000) << "one sweep";
    EXPECT_EQ(scanTimeoutMs({1260, 1340, 1, 1, 2001}, ScanMode::Regular), 2 * 80000 + 10000);

    f.CheckVXMScanMode->setChecked(true);
    Module1.LastPointIndex = 41;
    b.library->donePollsBeforeDone = 1000000;
    const std::uint32_t started = b.clock->now();
    EXPECT_EQ(acquire(b), 0);
    const std::int64_t waited = elapsedMs(started, b.clock->now());
    EXPECT_GE(waited, 11600);
    EXPECT_LT(waited, 11600 + 200);
    EXPECT_EQ(b.library->calls.last(), QStringLiteral("Stop_Scan(1234)"));
    EXPECT_EQ(countCalls(b, "Get_ScanData"), 0);
    EXPECT_EQ(Module1.LastPointIndex, 41);
    expectRedText(QStringLiteral("The scan did not end within 12 s and was stopped\r\nPlease check the module"));
    EXPECT_EQ(b->measure().engine().lastProblem(), b->info().text());
}

TEST_F(Engine, BackgroundStoredPerChannelAndRefusedWhenItDoesNotCoverTheSpectrum)
{
    f.CheckVXMScanMode->setChecked(true);
    f.TakeBackground->setChecked(true);
    prepareScan(b, QStringLiteral("500"));
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(std::tuple(Module1.BackgroundCh0.size(), Module1.TraceKind, Module1.BackgroundTaken), std::tuple(500U, std::int16_t{2}, std::int16_t{1}));

    f.MeasureSpectrum->setChecked(true);
    f.CheckRemoveBKG->setChecked(true);
    prepareScan(b, QStringLiteral("500"));
    b.library->point = [](int i, float& wl, float& v) {
        wl = 1260000.0F + static_cast<float>(i) * 4.0F;
        v = -7.0F;
    };
    EXPECT_EQ(acquire(b), 1);
    EXPECT_FLOAT_EQ(Module1.ScanValue[499], 3.0F) << "-7 dBm over a -10 dBm background";
    EXPECT_EQ(Module1.TraceKind, 3);

    prepareScan(b, QStringLiteral("600"));
    EXPECT_EQ(acquire(b), 0);
    EXPECT_TRUE(b->info().text().startsWith(QStringLiteral("The background has fewer points")));
    EXPECT_EQ(b->info().color(), VbColor::Red);
    f.ChannelID->setCurrentIndex(1);
    prepareScan(b, QStringLiteral("500"));
    EXPECT_EQ(acquire(b), 0);
    EXPECT_TRUE(b->info().text().startsWith(QStringLiteral("No background stored for this channel")));
}

TEST_F(Engine, SecondAcquisitionFromInsideAWaitIsRefused)
{
    f.CheckVXMScanMode->setChecked(true);
    b.library->donePollsBeforeDone = 2;
    std::int32_t nested = -1;
    QString nestedMessage;
    duringNextWait([&] {
        nested = 0;
        b->measure().engine().AcquireScan(nested);
        nestedMessage = b->info().text();
    });
    EXPECT_EQ(acquire(b), 1);
    EXPECT_EQ(nested, 0);
    EXPECT_TRUE(nestedMessage.startsWith(QStringLiteral("A measurement is running")));
    EXPECT_EQ(countCalls(b, "Start_Scan"), 1);
}
