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

// Each option's branches set many controls; a few that tell the branches apart are checked.
TEST(ScanOptions, EachOptionTakesOverAndOpensItsControls)
{
    ConnectedBench b;
    Form1& f = b.f;
    f.CheckAlignMode->setChecked(true);
    expectEnabled(f, "CheckAlignMode -CheckPowerMeter -CheckVXMScanMode -TakeBackground SingleMeasure Text8 -Text1 -Text6");
    b.tick(f.CheckPowerMeter);
    EXPECT_TRUE(f.CheckPowerMeter->isChecked());
    EXPECT_FALSE(f.CheckAlignMode->isChecked() || f.CheckVXMScanMode->isChecked());
    // The nested untick of the laser spectrum disabled the measure buttons; the power meter enables them again.
    expectEnabled(f, "-CheckAlignMode -CheckVXMScanMode -Text1 -Text8 Text4 Text5 SingleMeasure RepeatMeasure -StartStopSweep");
    b.tick(f.CheckPowerMeter, false);
    expectEnabled(f, "-Text4 -SingleMeasure StartStopSweep Text5");  // Text5 is not named
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
    // In Chinese: a switch re-run in the wrong language shows the English caption.
    for (const auto& [option, ticked] : {std::pair{0, true}, {0, false}, {1, true}, {1, false}}) {
        ConnectedBench b(true);
        QCheckBox* box = option == 0 ? b.f.CheckAlignMode : b.f.CheckVXMScanMode;
        if (!ticked) box->setChecked(true);
        b.f.SetConnection->setText(QString::fromUtf8("VXM连接完成"));
        Module1.MeasureCount = 2;
        box->setChecked(ticked);
        EXPECT_EQ(std::tuple(b.f.SetConnection->text(), Module1.MeasureCount), std::tuple(QString::fromUtf8("设置VXM连接"), 0)) << option << ticked;
    }
}

TEST(ScanOptions, UntickingASpectrumOptionClosesMeasurementAndTheSweepFollowsTheLaser)
{
    for (const bool laser : {false, true})
        for (const bool align : {false, true}) {
            SCOPED_TRACE(testing::Message() << "laser " << laser << " align " << align);
            ConnectedBench b;
            Form1& f = b.f;
            QCheckBox* box = align ? f.CheckAlignMode : f.CheckVXMScanMode;
            Module1.BackgroundTaken = 1;
            box->setChecked(true);
            f.CheckRemoveBKG->setChecked(true);
            f.StopVXMScan->setEnabled(true);  // as a running measurement leaves it
            f.CheckTLS->setChecked(laser);
            box->setChecked(false);
            expectEnabled(f, align ? "CheckVXMScanMode -Text8 -SingleMeasure -RepeatMeasure"
                                   : "CheckAlignMode -CheckPowerMeter -TakeBackground -SingleMeasure -StopVXMScan -Text6 -Text8");
            EXPECT_EQ(std::tuple(f.CheckRemoveBKG->isChecked(), f.StartStopSweep->isEnabled()), std::tuple(align, laser));
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
            nested << QStringLiteral("single %1 device %2 count %3")
                          .arg(f.SingleMeasure->isEnabled())
                          .arg(f.CheckVXMScanMode->isChecked())
                          .arg(Module1.MeasureCount);
    });
    Module1.MeasureCount = 6;
    f.CheckVXMScanMode->setChecked(true);
    EXPECT_EQ(nested, QStringList{QStringLiteral("single 0 device 1 count 0")});
    EXPECT_TRUE(f.CheckVXMScanMode->isChecked() && !f.CheckAlignMode->isChecked());
    // The nested branch enabled the device option; its own ticked branch then disabled nothing of it.
    expectEnabled(f, "-CheckPowerMeter -CheckAlignMode TakeBackground MeasureSpectrum SingleMeasure Text6 Text8 CheckVXMScanMode");
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
    // Unticking the device option unticks every other one, the one being ticked too; the outer branch still finishes.
    const std::pair<int, const char*> rows[] = {{0, "SingleMeasure Text8 -CheckPowerMeter"}, {1, "Text4 SingleMeasure -StartStopSweep"}};
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
    const std::uint32_t transmission = backColorOf(f.Transmission);
    for (QCheckBox* box : {f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode}) {
        f.ChannelID->setCurrentText(QStringLiteral("2. Channel #2"));
        b.tick(box);
        EXPECT_EQ(Module1.ChannelIndex, 1) << qPrintable(box->objectName());
        Module1.ChannelIndex = 7;
        box->setChecked(false);  // unticked branches leave the channel alone
        EXPECT_EQ(Module1.ChannelIndex, 7) << qPrintable(box->objectName());
    }
    expectEnabled(f, "-TLSOnOff Reflection ReadVXMInfo");
    EXPECT_EQ(backColorOf(f.Transmission), transmission);
}
