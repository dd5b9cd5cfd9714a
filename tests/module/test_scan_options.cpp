#include "core/form1.h"
#include "core/units.h"
#include "bench_fixture.h"
#include "form_checks.h"

#include <gtest/gtest.h>

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
    void tick(QCheckBox* box, bool ticked = true)
    {
        box->setEnabled(true);  // the power meter is enabled by the laser controls once the laser is on
        box->setChecked(ticked);
    }
};

}  // namespace

TEST(CheckPowerMeter, TickedTakesOverFromLaserSpectrum)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.CheckAlignMode->setChecked(true);
    b.tick(f.CheckPowerMeter);
    EXPECT_TRUE(f.CheckPowerMeter->isChecked());
    EXPECT_FALSE(f.CheckAlignMode->isChecked() || f.CheckVXMScanMode->isChecked() || f.StartStopSweep->isChecked());
    // The nested untick of the laser spectrum disabled the measure buttons; the power meter enables them again.
    expectEnabled(f, "-CheckAlignMode -CheckVXMScanMode -CheckRemoveBKG -TakeBackground -MeasureSpectrum -Text1 -Text2 "
                     "-Text3 -Text6 -Text7 -Text8 Text4 Text5 SingleMeasure RepeatMeasure -StopVXMScan -StartStopSweep");

    b.tick(f.CheckPowerMeter, false);
    // Text5 is not named by the unticked branch.
    expectEnabled(f, "-CheckAlignMode -CheckVXMScanMode -Text4 -SingleMeasure -RepeatMeasure StartStopSweep Text5");
}

TEST(CheckPowerMeter, ReleasesARunningSweepBeforeDisablingItAndKeepsCountAndCaptions)
{
    ConnectedBench b;
    b.f.StartStopSweep->setEnabled(true);
    b.f.StartStopSweep->setChecked(true);
    Module1.MeasureCount = 4;
    QList<bool> enabledWhenReleased;
    QObject::connect(b.f.StartStopSweep, &QPushButton::toggled,
                     [&](bool pressed) { if (!pressed) enabledWhenReleased << b.f.StartStopSweep->isEnabled(); });
    b.tick(b.f.CheckPowerMeter);
    EXPECT_EQ(enabledWhenReleased, QList<bool>{true});
    EXPECT_FALSE(b.f.StartStopSweep->isChecked() || b.f.StartStopSweep->isEnabled());
    EXPECT_EQ(Module1.MeasureCount, 4) << "the power meter keeps the count";
    EXPECT_EQ(b.f.SetConnection->text(), QStringLiteral("VXM Connected")) << "and the captions";
}

TEST(ScanOptions, SpectrumOptionsReRunTheLanguageSwitchAndZeroTheCount)
{
    for (const bool chinese : {false, true}) {
        SCOPED_TRACE(chinese ? "Chinese" : "English");
        const QString connected = chinese ? QString::fromUtf8("VXM连接完成") : QStringLiteral("VXM Connected");
        const QString unconnected = chinese ? QString::fromUtf8("设置VXM连接") : QStringLiteral("Set VXM Connection");
        for (const auto& [option, ticked] : {std::pair{0, true}, {1, true}, {1, false}}) {
            ConnectedBench b(chinese);
            QCheckBox* box = option == 0 ? b.f.CheckAlignMode : b.f.CheckVXMScanMode;
            if (!ticked) box->setChecked(true);
            b.f.SetConnection->setText(connected);
            Module1.MeasureCount = 2;
            box->setChecked(ticked);
            EXPECT_EQ(b.f.SetConnection->text(), unconnected) << option << ticked;
            EXPECT_EQ(backColorOf(b.f.SetConnection), VbColor::Green);
            EXPECT_EQ(Module1.Language, chinese ? 2 : 1);
            EXPECT_EQ(Module1.MeasureCount, 0);
            if (option == 0 && ticked)  // CheckAlignMode is not named: it stays usable for unticking
                expectEnabled(b.f, "CheckAlignMode -CheckPowerMeter -CheckVXMScanMode -CheckRemoveBKG -TakeBackground "
                                   "-MeasureSpectrum SingleMeasure RepeatMeasure Text8 -StopVXMScan -StartStopSweep -Text1 "
                                   "-Text2 -Text3 -Text4 -Text5 -Text6 -Text7");
        }
    }
}

TEST(ScanOptions, UntickingASpectrumOptionClosesMeasurementAndTheSweepFollowsTheLaser)
{
    for (const bool laser : {false, true}) {
        SCOPED_TRACE(laser ? "laser" : "no laser");
        {
            ConnectedBench b;
            Form1& f = b.f;
            f.CheckAlignMode->setChecked(true);
            f.CheckTLS->setChecked(laser);
            Module1.MeasureCount = 3;
            f.CheckAlignMode->setChecked(false);
            EXPECT_EQ(Module1.MeasureCount, 0);
            expectEnabled(f, "CheckVXMScanMode -CheckPowerMeter -Text8 -SingleMeasure -RepeatMeasure -Text1 -Text2 -Text3 "
                             "-Text4 -Text5 -Text6 -Text7");
            EXPECT_EQ(f.StartStopSweep->isEnabled(), laser);
        }
        {
            ConnectedBench b;
            Form1& f = b.f;
            Module1.BackgroundTaken = 1;
            f.CheckVXMScanMode->setChecked(true);
            f.CheckRemoveBKG->setChecked(true);
            f.StopVXMScan->setEnabled(true);  // as a running measurement leaves it
            f.CheckTLS->setChecked(laser);
            f.CheckVXMScanMode->setChecked(false);
            EXPECT_FALSE(f.CheckRemoveBKG->isChecked() || f.CheckAlignMode->isChecked());
            // Text1 is not named: it keeps the connection's state.
            expectEnabled(f, "-CheckPowerMeter CheckAlignMode -CheckRemoveBKG -TakeBackground -MeasureSpectrum -SingleMeasure "
                             "-RepeatMeasure -StopVXMScan -Text6 -Text7 -Text8 Text1");
            EXPECT_EQ(f.StartStopSweep->isEnabled(), laser);
        }
    }
}

TEST(CheckVXMScanMode, TickedWhileAlignModeTickedRunsItsUntickedBranchFirst)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.CheckAlignMode->setChecked(true);
    QStringList nested;  // what the align option's unticked branch left, seen from its own signal
    QObject::connect(f.CheckAlignMode, &QCheckBox::toggled, [&](bool ticked) {
        if (!ticked)
            nested << QStringLiteral("single %1 repeat %2 device %3 count %4")
                          .arg(f.SingleMeasure->isEnabled())
                          .arg(f.RepeatMeasure->isEnabled())
                          .arg(f.CheckVXMScanMode->isChecked())
                          .arg(Module1.MeasureCount);
    });
    Module1.MeasureCount = 6;
    f.CheckVXMScanMode->setChecked(true);
    EXPECT_EQ(nested, QStringList{QStringLiteral("single 0 repeat 0 device 1 count 0")});
    EXPECT_TRUE(f.CheckVXMScanMode->isChecked());
    EXPECT_FALSE(f.CheckAlignMode->isChecked());
    // The nested branch enabled the device option; its own ticked branch then disabled nothing of it.
    expectEnabled(f, "-CheckPowerMeter -CheckAlignMode TakeBackground MeasureSpectrum SingleMeasure RepeatMeasure Text6 "
                     "Text7 Text8 -StopVXMScan -StartStopSweep CheckVXMScanMode");
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

TEST(ScanOptions, TickingAnotherOptionWhileDeviceTickedLeavesNeitherTicked)
{
    // Unticking the device option runs its unticked branch, which unticks every other option,
    // the one being ticked included; the outer ticked branch still finishes its own settings.
    const std::pair<int, const char*> rows[] = {
        {0, "SingleMeasure RepeatMeasure Text8 -CheckPowerMeter -CheckVXMScanMode"},
        {1, "Text4 Text5 SingleMeasure RepeatMeasure -CheckAlignMode -CheckVXMScanMode -StartStopSweep"},
    };
    for (const auto& [option, enables] : rows) {
        ConnectedBench b;
        QCheckBox* box = option == 0 ? b.f.CheckAlignMode : b.f.CheckPowerMeter;
        b.f.CheckVXMScanMode->setChecked(true);
        b.tick(box);
        EXPECT_FALSE(box->isChecked() || b.f.CheckVXMScanMode->isChecked()) << option;
        expectEnabled(b.f, enables);
    }
}

TEST(ScanOptions, TickedBranchesReadTheChannelAndControlsNoRoutineNamesKeepTheirState)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.TLSOnOff->setEnabled(false);
    f.BasePower->setEnabled(false);
    const std::uint32_t transmission = backColorOf(f.Transmission);
    for (QCheckBox* box : {f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode}) {
        f.ChannelID->setCurrentText(QStringLiteral("2. Channel #2"));
        b.tick(box);
        EXPECT_EQ(Module1.ChannelIndex, 1) << qPrintable(box->objectName());
        Module1.ChannelIndex = 7;
        box->setChecked(false);  // unticked branches leave the channel alone
        EXPECT_EQ(Module1.ChannelIndex, 7) << qPrintable(box->objectName());
    }
    expectEnabled(f, "-TLSOnOff -BasePower Reflection ReadVXMInfo");
    EXPECT_EQ(backColorOf(f.Transmission), transmission);
}
