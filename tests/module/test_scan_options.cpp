#include "app/form1.h"
#include "app/units.h"
#include "bench_fixture.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

// A bench whose module was connected without a laser: the two spectrum options are usable.
struct ConnectedBench : FakeBench {
    Form1& f;
    explicit ConnectedBench(bool chinese = false) : f(bench->form1())
    {
        if (chinese) f.LanguageButton->setChecked(true);
        Module1.ProbePN = QStringLiteral("VXMCB01\r\n");
        f.CheckTLS->setChecked(false);
        f.SetVXMComPort->click();
        f.SetConnection->click();
    }
};

void expectEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets) EXPECT_EQ(w->isEnabled(), enabled) << w->objectName().toStdString();
}

}  // namespace

// ---- Power Meter

TEST(CheckPowerMeter, TickedTakesOverFromLaserSpectrum)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.ChannelID->setCurrentIndex(1);
    f.CheckAlignMode->setChecked(true);
    f.CheckPowerMeter->setEnabled(true);  // the laser controls do this once the laser is on
    f.CheckPowerMeter->setChecked(true);

    EXPECT_EQ(Module1.ChannelIndex, 1);
    EXPECT_TRUE(f.CheckPowerMeter->isChecked());
    EXPECT_FALSE(f.CheckAlignMode->isChecked());
    EXPECT_FALSE(f.CheckVXMScanMode->isChecked());
    expectEnabled({f.CheckAlignMode, f.CheckVXMScanMode, f.CheckRemoveBKG, f.TakeBackground, f.MeasureSpectrum}, false);
    expectEnabled({f.Text1, f.Text2, f.Text3, f.Text6, f.Text7, f.Text8}, false);
    expectEnabled({f.Text4, f.Text5}, true);
    // The nested untick of the laser spectrum disabled them; the power meter enables them again.
    expectEnabled({f.SingleMeasure, f.RepeatMeasure}, true);
    expectEnabled({f.StopVXMScan, f.StartStopSweep}, false);
    EXPECT_FALSE(f.StartStopSweep->isChecked());
}

TEST(CheckPowerMeter, ReleasesARunningSweepBeforeDisablingIt)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.StartStopSweep->setEnabled(true);
    f.StartStopSweep->setChecked(true);
    QList<bool> enabledWhenReleased;
    QObject::connect(f.StartStopSweep, &QPushButton::toggled,
                     [&](bool pressed) { if (!pressed) enabledWhenReleased << f.StartStopSweep->isEnabled(); });
    f.CheckPowerMeter->setEnabled(true);
    f.CheckPowerMeter->setChecked(true);
    EXPECT_EQ(enabledWhenReleased, QList<bool>{true});
    EXPECT_FALSE(f.StartStopSweep->isChecked());
    EXPECT_FALSE(f.StartStopSweep->isEnabled());
}

TEST(CheckPowerMeter, UntickedLeavesTheOtherOptionsDisabled)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.CheckPowerMeter->setEnabled(true);
    f.CheckPowerMeter->setChecked(true);
    f.CheckPowerMeter->setChecked(false);
    expectEnabled({f.CheckAlignMode, f.CheckVXMScanMode}, false);
    expectEnabled({f.Text4, f.SingleMeasure, f.RepeatMeasure}, false);
    EXPECT_TRUE(f.StartStopSweep->isEnabled());
    EXPECT_TRUE(f.Text5->isEnabled());  // not named by the unticked branch
}

TEST(CheckPowerMeter, DoesNotResetTheCountOrCaptions)
{
    ConnectedBench b;
    Module1.MeasureCount = 4;
    b.f.CheckPowerMeter->setEnabled(true);
    b.f.CheckPowerMeter->setChecked(true);
    EXPECT_EQ(Module1.MeasureCount, 4);
    EXPECT_EQ(b.f.SetConnection->text(), QStringLiteral("VXM Connected"));
}

// ---- TLS Power Spectrum

TEST(CheckAlignMode, TickedEnablesMeasurementAndOnlyTheDbDownBox)
{
    ConnectedBench b;
    Form1& f = b.f;
    Module1.MeasureCount = 9;
    f.CheckAlignMode->setChecked(true);

    EXPECT_EQ(Module1.MeasureCount, 0);
    EXPECT_EQ(Module1.ChannelIndex, 0);
    EXPECT_TRUE(f.CheckAlignMode->isChecked());
    expectEnabled({f.CheckPowerMeter, f.CheckVXMScanMode, f.CheckRemoveBKG, f.TakeBackground, f.MeasureSpectrum}, false);
    expectEnabled({f.SingleMeasure, f.RepeatMeasure, f.Text8}, true);
    expectEnabled({f.StopVXMScan, f.StartStopSweep}, false);
    expectEnabled({f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7}, false);
    EXPECT_TRUE(f.CheckAlignMode->isEnabled());  // not named: stays usable for unticking
}

TEST(CheckAlignMode, ReRunsTheLanguageSwitchKeepingColours)
{
    for (const bool chinese : {false, true}) {
        ConnectedBench b(chinese);
        ASSERT_EQ(b.f.SetConnection->text(), chinese ? QString::fromUtf8("VXM连接完成") : QStringLiteral("VXM Connected"));
        b.f.CheckAlignMode->setChecked(true);
        EXPECT_EQ(b.f.SetConnection->text(),
                  chinese ? QString::fromUtf8("设置VXM连接") : QStringLiteral("Set VXM Connection"));
        EXPECT_EQ(backColorOf(b.f.SetConnection), VbColor::Green);
        EXPECT_EQ(Module1.Language, chinese ? 2 : 1);
    }
}

TEST(CheckAlignMode, UntickedReopensDeviceOptionAndKeepsBoxesDisabled)
{
    for (const bool laser : {false, true}) {
        ConnectedBench b;
        Form1& f = b.f;
        f.CheckAlignMode->setChecked(true);
        f.CheckTLS->setChecked(laser);
        Module1.MeasureCount = 3;
        f.CheckAlignMode->setChecked(false);
        EXPECT_EQ(Module1.MeasureCount, 0);
        EXPECT_TRUE(f.CheckVXMScanMode->isEnabled());
        expectEnabled({f.Text8, f.SingleMeasure, f.RepeatMeasure}, false);
        expectEnabled({f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7}, false);
        EXPECT_FALSE(f.CheckPowerMeter->isEnabled());
        EXPECT_EQ(f.StartStopSweep->isEnabled(), laser) << "laser " << laser;
    }
}

// ---- Device IL Spectrum

TEST(CheckVXMScanMode, TickedWhileAlignModeTickedRunsItsUntickedBranchFirst)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.CheckAlignMode->setChecked(true);
    Module1.MeasureCount = 6;

    struct Seen {
        bool single, repeat, deviceTicked;
        std::int16_t count;
    };
    QList<Seen> nested;
    QObject::connect(f.CheckAlignMode, &QCheckBox::toggled, [&](bool ticked) {
        if (!ticked)
            nested << Seen{f.SingleMeasure->isEnabled(), f.RepeatMeasure->isEnabled(), f.CheckVXMScanMode->isChecked(),
                           Module1.MeasureCount};
    });
    Module1.MeasureCount = 6;
    f.CheckVXMScanMode->setChecked(true);

    ASSERT_EQ(nested.size(), 1);
    EXPECT_FALSE(nested[0].single);
    EXPECT_FALSE(nested[0].repeat);
    EXPECT_TRUE(nested[0].deviceTicked);
    EXPECT_EQ(nested[0].count, 0);

    EXPECT_TRUE(f.CheckVXMScanMode->isChecked());
    EXPECT_FALSE(f.CheckAlignMode->isChecked());
    expectEnabled({f.CheckPowerMeter, f.CheckAlignMode}, false);
    expectEnabled({f.TakeBackground, f.MeasureSpectrum, f.SingleMeasure, f.RepeatMeasure}, true);
    expectEnabled({f.Text6, f.Text7, f.Text8}, true);
    expectEnabled({f.StopVXMScan, f.StartStopSweep}, false);
    // The nested branch enabled the device option; its own ticked branch then disabled nothing of it.
    EXPECT_TRUE(f.CheckVXMScanMode->isEnabled());
}

TEST(CheckVXMScanMode, RemoveBackgroundOnlyOnceABackgroundWasTaken)
{
    for (const std::int16_t taken : {0, 1, 2}) {
        ConnectedBench b;
        Module1.BackgroundTaken = taken;
        b.f.CheckVXMScanMode->setChecked(true);
        EXPECT_EQ(b.f.CheckRemoveBKG->isEnabled(), taken == 1) << "BackgroundTaken " << taken;
    }
}

TEST(CheckVXMScanMode, UntickedClearsOptionsAndClosesMeasurement)
{
    for (const bool laser : {false, true}) {
        ConnectedBench b;
        Form1& f = b.f;
        Module1.BackgroundTaken = 1;
        f.CheckVXMScanMode->setChecked(true);
        f.CheckRemoveBKG->setChecked(true);
        f.StopVXMScan->setEnabled(true);  // as a running measurement leaves it
        f.CheckTLS->setChecked(laser);
        f.CheckVXMScanMode->setChecked(false);

        EXPECT_FALSE(f.CheckRemoveBKG->isChecked());
        EXPECT_FALSE(f.CheckPowerMeter->isEnabled());
        EXPECT_TRUE(f.CheckAlignMode->isEnabled());
        EXPECT_FALSE(f.CheckAlignMode->isChecked());
        expectEnabled({f.CheckRemoveBKG, f.TakeBackground, f.MeasureSpectrum, f.SingleMeasure, f.RepeatMeasure}, false);
        expectEnabled({f.StopVXMScan, f.Text6, f.Text7, f.Text8}, false);
        EXPECT_EQ(f.StartStopSweep->isEnabled(), laser) << "laser " << laser;
        EXPECT_TRUE(f.Text1->isEnabled());  // not named: keeps the connection's state
    }
}

TEST(CheckVXMScanMode, ReRunsTheLanguageSwitchInBothStates)
{
    ConnectedBench b;
    Module1.MeasureCount = 2;
    b.f.CheckVXMScanMode->setChecked(true);
    EXPECT_EQ(b.f.SetConnection->text(), QStringLiteral("Set VXM Connection"));
    EXPECT_EQ(Module1.MeasureCount, 0);
    b.f.SetConnection->setText(QStringLiteral("VXM Connected"));
    Module1.MeasureCount = 2;
    b.f.CheckVXMScanMode->setChecked(false);
    EXPECT_EQ(b.f.SetConnection->text(), QStringLiteral("Set VXM Connection"));
    EXPECT_EQ(Module1.MeasureCount, 0);
}

// ---- All three

TEST(ScanOptions, EveryTickedBranchReadsTheChannel)
{
    for (int option = 0; option < 3; ++option) {
        ConnectedBench b;
        Form1& f = b.f;
        QCheckBox* box = std::array{f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode}[option];
        box->setEnabled(true);
        f.ChannelID->setCurrentText(QStringLiteral("2. Channel #2"));
        box->setChecked(true);
        EXPECT_EQ(Module1.ChannelIndex, 1) << option;
        Module1.ChannelIndex = 7;
        box->setChecked(false);  // unticked branches leave the channel alone
        EXPECT_EQ(Module1.ChannelIndex, 7) << option;
    }
}

TEST(ScanOptions, TickingAnotherOptionWhileDeviceTickedLeavesNeitherTicked)
{
    // Unticking the device option runs its unticked branch, which unticks every other option,
    // the one being ticked included; the outer ticked branch still finishes its own settings.
    {
        ConnectedBench b;
        Form1& f = b.f;
        f.CheckVXMScanMode->setChecked(true);
        f.CheckAlignMode->setEnabled(true);
        f.CheckAlignMode->setChecked(true);
        EXPECT_FALSE(f.CheckAlignMode->isChecked());
        EXPECT_FALSE(f.CheckVXMScanMode->isChecked());
        expectEnabled({f.SingleMeasure, f.RepeatMeasure, f.Text8}, true);
        expectEnabled({f.CheckPowerMeter, f.CheckVXMScanMode}, false);
    }
    {
        ConnectedBench b;
        Form1& f = b.f;
        f.CheckVXMScanMode->setChecked(true);
        f.CheckPowerMeter->setEnabled(true);
        f.CheckPowerMeter->setChecked(true);
        EXPECT_FALSE(f.CheckPowerMeter->isChecked());
        EXPECT_FALSE(f.CheckVXMScanMode->isChecked());
        expectEnabled({f.Text4, f.Text5, f.SingleMeasure, f.RepeatMeasure}, true);
        expectEnabled({f.CheckAlignMode, f.CheckVXMScanMode, f.StartStopSweep}, false);
    }
}

TEST(ScanOptions, ControlsNoRoutineNamesKeepTheirState)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.TLSOnOff->setEnabled(false);
    f.BasePower->setEnabled(false);
    const std::uint32_t transmission = backColorOf(f.Transmission);
    f.CheckPowerMeter->setEnabled(true);
    for (QCheckBox* box : {f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode}) {
        box->setEnabled(true);
        box->setChecked(true);
        box->setChecked(false);
    }
    EXPECT_FALSE(f.TLSOnOff->isEnabled());
    EXPECT_FALSE(f.BasePower->isEnabled());
    EXPECT_TRUE(f.Reflection->isEnabled());
    EXPECT_TRUE(f.ReadVXMInfo->isEnabled());
    EXPECT_EQ(backColorOf(f.Transmission), transmission);
}
