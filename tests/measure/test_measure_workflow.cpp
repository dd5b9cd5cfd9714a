// Single and repeated measurements through the main window's buttons, and the repeatability log they write.

#include "core/info_box.h"
#include "core/units.h"
#include "form_checks.h"
#include "measure/repeat_log.h"
#include "module/module_controller.h"
#include "results/form2.h"
#include "results/results_controller.h"
#include "scan_bench.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {
// A bench ready for Device IL Spectrum measurements of the one-peak spectrum.
struct SpectrumBench {
    FakeBench b;
    Form1& f = b->form1();
    QTemporaryDir logs;

    SpectrumBench()
    {
        f.CheckVXMScanMode->setChecked(true);
        prepareScan(b);
        b.library->point = onePeakAt1300;
        b->measure().setLogFolder(logs.path());
    }
    QString gridText(int row, int column) const
    {
        const QTableWidgetItem* item = b.bench->form2().MSFlexGrid1->item(row, column);
        return item ? item->text() : QString();
    }
    QByteArray logContents() const
    {
        const QStringList files = QDir(logs.path()).entryList(QDir::Files);
        if (files.size() != 1) return "files: " + files.join(',').toUtf8();
        QFile file(QDir(logs.path()).filePath(files.first()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
    }
    // Releases Repeat Measurements from inside a wait once `passes` data transfers have happened.
    void releaseAfterTransfers(int passes, std::function<void()> release)
    {
        b.library->point = [this, passes, release, seen = 0](int i, float& wl, float& v) mutable {
            onePeakAt1300(i, wl, v);
            if (i == 0 && ++seen == passes) duringNextWait(release);
        };
    }
};

const QByteArray kHeader = "Index \tCenter WL (nm)\tBandwidth (nm)\tInsertion Loss (dB)\r\n";
}  // namespace

// Analysed at the level in the box, 20 dB down: the peak's -25 dBm edges lie 1 nm either side.
TEST(SingleMeasure, SpectrumIsAnalysedTabulatedAndPlottedWithTheLaserLockedWhileItRuns)
{
    SpectrumBench s;
    s.b.library->donePollsBeforeDone = 2;
    s.f.Text8->setText(QStringLiteral("-20"));
    bool stopUsable = false, laserLocked = false;
    duringNextWait([&] {
        stopUsable = s.f.StopVXMScan->isEnabled();
        laserLocked = !s.f.TLSOnOff->isEnabled() && !s.f.StartStopSweep->isEnabled();
    });
    s.f.SingleMeasure->click();
    EXPECT_TRUE(stopUsable && laserLocked);
    EXPECT_EQ(Module1.ChannelCount, 1);
    EXPECT_EQ((QStringList{s.gridText(2, 1), s.gridText(2, 3), s.gridText(2, 4)}), (QStringList{"1300.000", "2.000", "-5.000"}));
    EXPECT_EQ(s.b->info().text(), QStringLiteral(" Transmission channel"));
    EXPECT_EQ(Module1.PlotData.size(), 2001U);
    EXPECT_TRUE(s.b->form2().isVisible());
    EXPECT_EQ(Module1.MeasureCount, 1);
    expectEnabled(s.f, "TLSOnOff StartStopSweep -StopVXMScan");  // the laser's controls come back
}

TEST(SingleMeasure, APassWithoutChannelABackgroundOrAnAlignScanIsPlottedButKeepsTheTable)
{
    SpectrumBench s;
    s.f.SingleMeasure->click();
    const auto resultsBefore = Module1.ChannelResults;
    const auto flat = [](float level) {
        return [level](int i, float& wl, float& v) {
            wl = 1260000.0F + static_cast<float>(i) * 40.0F;
            v = level;
        };
    };
    // The align scan keeps Background selected, its options disabled now; its peak moves to 1320 nm.
    const struct { const char* name; std::function<void()> select; std::int16_t kind; bool analysed; float wl5, value5; } passes[] = {
        {"no channel", [&] { s.b.library->point = flat(-30.0F); }, 3, true, 1260.2F, -30.0F},
        {"background", [&] { s.f.TakeBackground->setChecked(true), s.b.library->point = flat(-3.0F); }, 2, false, 1260.2F, -3.0F},
        {"align", [&] {
             selectOnly(s.b, s.f.CheckAlignMode);
             s.b.library->point = [](int i, float& wl, float& v) { onePeakAt1300(i, wl, v), wl += 20000.0F; };
         }, 1, false, 1280.2F, -40.0F}};
    for (const auto& pass : passes) {
        SCOPED_TRACE(pass.name);
        pass.select();
        s.b->info().setText(QStringLiteral("before"));
        s.f.SingleMeasure->click();
        EXPECT_EQ(std::tuple(Module1.TraceKind, Module1.ChannelCount), std::tuple(pass.kind, std::int32_t{0}));
        EXPECT_EQ(Module1.ChannelResults, resultsBefore);
        EXPECT_EQ(s.gridText(2, 1), QStringLiteral("1300.000"));
        EXPECT_EQ(s.b->info().text() != QStringLiteral("before"), pass.analysed) << "the analysis names a channel kind";
        EXPECT_NEAR(Module1.PlotData[5][0], pass.wl5, 1e-3) << "the new trace is plotted";
        EXPECT_FLOAT_EQ(Module1.PlotData[5][1], pass.value5);
    }
    EXPECT_TRUE(s.f.TakeBackground->isChecked());
}

TEST(SingleMeasure, ResultsWindowClosedDuringTheScanGetsAFreshOne)
{
    SpectrumBench s;
    s.b.library->donePollsBeforeDone = 2;
    const QPointer<Form2> shown = &s.b->form2();
    duringNextWait([&] { s.b->unloadForm2(); });
    s.f.SingleMeasure->click();
    ASSERT_NE(s.b->loadedForm2(), nullptr);
    EXPECT_TRUE(shown.isNull()) << "the window shown at the start was closed";
    EXPECT_EQ(s.gridText(2, 1), QStringLiteral("1300.000")) << "the results land in the window now loaded";
}

TEST(SingleMeasure, PowerMeterShowsTheReadingWithoutTheResultsWindowWhereverTheLaserWent)
{
    FakeBench b;
    Form1& f = b->form1();
    f.CheckPowerMeter->setChecked(true);
    prepareScan(b);
    connectLaser(b);
    f.Text4->setText(QStringLiteral("1500"));  // beyond the laser's 1340 nm
    b.library->powerReadings = {-3.25F};
    f.SingleMeasure->click();
    EXPECT_EQ(f.Text5->text(), QStringLiteral("-3.250"));
    EXPECT_EQ(b->info().text(), QStringLiteral("Wavelength is Out-Of-Range !\r\n  Please set Wavelength again !"));
    EXPECT_TRUE(b->loadedForm2() == nullptr || !b->loadedForm2()->isVisible());
    EXPECT_TRUE(Module1.PlotData.empty());
    EXPECT_EQ(Module1.MeasureCount, 1);
}

TEST(SingleMeasure, FailureNamesTheEngineReasonAfterTheWorkflowText)
{
    SpectrumBench s;
    s.b.library->startResult = 5;
    s.f.SingleMeasure->click();
    EXPECT_EQ(std::tuple(s.b->info().text(), s.b->info().color()), std::tuple(QStringLiteral("Scan data failed"), VbColor::Red))
        << "the code message is replaced";
    EXPECT_EQ(Module1.MeasureCount, 0);
    EXPECT_FALSE(s.f.TLSOnOff->isEnabled()) << "left as the failure found them";
}

TEST(SingleMeasure, SecondStartWhileOneRunsIsRefused)
{
    SpectrumBench s;
    s.b.library->donePollsBeforeDone = 3;
    QString refusal;
    bool repeatPressedAfter = true;
    duringNextWait([&] {
        s.f.SingleMeasure->click();
        refusal = s.b->info().text();
        s.f.RepeatMeasure->click();  // pressed during a single measurement: undone
        repeatPressedAfter = s.f.RepeatMeasure->isChecked();
    });
    s.f.SingleMeasure->click();
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("A measurement is running"))) << refusal.toStdString();
    EXPECT_FALSE(repeatPressedAfter);
    EXPECT_EQ(countCalls(s.b, "Start_Scan"), 1);
    EXPECT_EQ(Module1.MeasureCount, 1);
    EXPECT_TRUE(s.f.Text6->isEnabled()) << "the undone press locked nothing";
}

TEST(RepeatMeasure, OptionsAreLockedWhileItRunsAndStopMeasureOfTheResultsWindowEndsIt)
{
    SpectrumBench s;
    std::vector<bool> enabled;
    s.releaseAfterTransfers(1, [&] {
        for (QWidget* w : std::initializer_list<QWidget*>{s.f.CheckVXMScanMode, s.f.TakeBackground, s.f.Text6, s.f.Text7})
            enabled.push_back(w->isEnabled());
        enabled.push_back(!s.f.StopVXMScan->isEnabled());
        s.b->results()->StopMeasure_Click();
    });
    s.f.RepeatMeasure->click();
    EXPECT_EQ(enabled, std::vector<bool>(5, false));
    EXPECT_EQ(countCalls(s.b, "Start_Scan"), 2);
    EXPECT_TRUE(!s.f.RepeatMeasure->isChecked() && s.f.TakeBackground->isEnabled());
    EXPECT_TRUE(QDir(s.logs.path()).isEmpty()) << "no log without the repeatability test";
}

TEST(RepeatMeasure, StopVXMScanEndsItAfterThePassInProgress)
{
    SpectrumBench s;
    s.releaseAfterTransfers(2, [&] { s.b->module().StopVXMScan_Click(); });
    s.f.RepeatMeasure->click();
    EXPECT_EQ(countCalls(s.b, "Start_Scan"), 3);
    EXPECT_EQ(countCalls(s.b, "Stop_Scan"), 1);
    EXPECT_FALSE(s.f.RepeatMeasure->isChecked());
    EXPECT_EQ(Module1.MeasureCount, 2) << "the release and the pressed run each count";
}

TEST(RepeatMeasure, WhatThePassesHandToDeleteLaterIsDeletedWhileItRuns)
{
    // The waits' nested loops skip what the held toggle handler hands to deleteLater() (the shown window's progress
    // strip animation): the passes must not pile them up.
    SpectrumBench s;
    s.f.show();
    const auto animations = [&] { return s.f.findChildren<QPropertyAnimation*>().size(); };
    qsizetype atPass4 = -1, atPass20 = -1;
    s.b.library->point = [&, seen = 0](int i, float& wl, float& v) mutable {
        onePeakAt1300(i, wl, v);
        if (i != 0) return;
        ++seen;
        if (seen == 4) atPass4 = animations();
        if (seen == 20) {
            atPass20 = animations();
            duringNextWait([&] { s.f.RepeatMeasure->setChecked(false); });
        }
    };
    s.f.RepeatMeasure->click();
    EXPECT_EQ(countCalls(s.b, "Start_Scan"), 21) << "released in the scan after the 20th pass";
    EXPECT_EQ(atPass20, atPass4) << "one more kept with every pass";
}

TEST(RepeatMeasure, FailingAcquisitionsPauseAndHonourARelease)
{
    SpectrumBench s;
    s.b.library->startResult = 5;
    // Each failed start is followed by a served pause; the third pause releases the toggle.
    std::function<void()> watch = [&] {
        if (countCalls(s.b, "Start_Scan") >= 3) s.f.RepeatMeasure->setChecked(false);
        else duringNextWait(watch);
    };
    duringNextWait(watch);
    const std::uint64_t before = s.b.clock->paused();
    s.f.RepeatMeasure->click();
    EXPECT_EQ(countCalls(s.b, "Start_Scan"), 3);
    EXPECT_EQ(s.b.clock->paused() - before, 3 * 500U);
    EXPECT_EQ(std::tuple(s.b->info().text(), s.b->info().fontSize(), s.b->info().color()),
              std::tuple(QStringLiteral("Reading Data failed"), 12, VbColor::Red));
}

TEST(Measurement, ARefusedSettingChangesNoControl)
{
    SpectrumBench s;
    s.f.Text6->setText(QStringLiteral("0"));
    QList<QWidget*> controls = s.f.findChildren<QWidget*>();
    controls.removeIf([](QWidget* w) { return w->objectName().isEmpty(); });
    const auto enabledStates = [&] {
        QStringList states;
        for (QWidget* w : controls) states << w->objectName() + (w->isEnabled() ? "+" : "-");
        return states;
    };
    const QStringList before = enabledStates();
    for (QPushButton* button : {s.f.SingleMeasure, s.f.RepeatMeasure}) {
        SCOPED_TRACE(button->objectName().toStdString());
        s.b->info().setText(QString());
        button->click();
        EXPECT_TRUE(s.b.library->calls.isEmpty() && !s.f.RepeatMeasure->isChecked());
        EXPECT_EQ(enabledStates(), before);
        EXPECT_TRUE(s.b->info().text().startsWith(QStringLiteral("The average number"))) << s.b->info().text().toStdString();
        EXPECT_EQ(s.b->info().color(), VbColor::Red);
    }
    EXPECT_EQ(Module1.MeasureCount, 0);
}

TEST(RepeatMeasure, WithNoMeasurementTickedRunsNoPass)
{
    FakeBench b;
    prepareScan(b);
    Form1& f = b->form1();
    f.StartStopSweep->setEnabled(false);
    f.RepeatMeasure->setChecked(true);  // returns: no endless loop of empty passes
    EXPECT_TRUE(b.library->calls.isEmpty());
    EXPECT_EQ(Module1.MeasureCount, 0);
    EXPECT_TRUE(f.RepeatMeasure->isChecked());
    expectEnabled(f, "TLSOnOff -StartStopSweep");  // nothing locked, nor unlocked
}

TEST(RepeatabilityLog, LinesAreWrittenAsTheyComeAndWhatCannotBeLoggedIsReported)
{
    SpectrumBench s;
    MeasureController& m = s.b->measure();
    const QString name = QStringLiteral("VXM_Test_20240131_142501.txt");
    EXPECT_TRUE(m.LogRepeatResult(0, name));
    EXPECT_FALSE(m.LogRepeatResult(1, name));
    EXPECT_EQ(s.b->info().text(), QStringLiteral("No channel found yet: pass 1 is not logged"));
    Module1.ChannelResults = {{}, {1310.1234F, 0.25F, -0.00004F}};
    EXPECT_TRUE(m.LogRepeatResult(12, name));
    EXPECT_FALSE(m.LogRepeatResult(-1, name));
    EXPECT_EQ(s.logContents(), kHeader + "12\t1310.123\t0.250\t0.0000\r\n");
    EXPECT_TRUE(m.LogRepeatResult(0, name));
    EXPECT_EQ(s.logContents(), kHeader) << "pass 0 empties the file";

    const QString path = s.logs.filePath(QStringLiteral("missing-folder/log.txt"));
    EXPECT_FALSE(m.LogRepeatResult(0, path));
    EXPECT_EQ(std::tuple(s.b->info().text(), s.b->info().color()),
              std::tuple(QStringLiteral("The log line could not be written to\r\n") + path, VbColor::Red));
    // Names carry the start second; lines round their columns.
    EXPECT_EQ(repeatLogName(QDateTime(QDate(2026, 12, 6), QTime(3, 4, 5))), QStringLiteral("VXM_Test_20261206_030405.txt"));
    EXPECT_EQ(repeatLogLine(3, {-1310.0F, -0.0004F, -12.34567F}), QByteArray("3\t-1310.000\t0.000\t-12.3457\r\n"));
}
