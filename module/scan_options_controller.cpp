#include "module/scan_options_controller.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "module/module_record.h"

#include <initializer_list>
#include <utility>

namespace {

void setEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* w : widgets) w->setEnabled(enabled);
}

}  // namespace

ScanOptionsController::ScanOptionsController(Form1& form, std::function<void()> rewriteCaptions)
    : QObject(&form), form_(form), rewriteCaptions_(std::move(rewriteCaptions))
{
    Form1& f = form_;
    // toggled, not clicked: a change made from code must run the handler too.
    connect(f.CheckPowerMeter, &QCheckBox::toggled, this, &ScanOptionsController::CheckPowerMeter_Click);
    connect(f.CheckAlignMode, &QCheckBox::toggled, this, &ScanOptionsController::CheckAlignMode_Click);
    connect(f.CheckVXMScanMode, &QCheckBox::toggled, this, &ScanOptionsController::CheckVXMScanMode_Click);
}

void ScanOptionsController::selectChannel()
{
    Module1.ChannelIndex = module_record::channelIndex(form_.ChannelID->currentText());
}

void ScanOptionsController::restartCountAndCaptions()
{
    Module1.MeasureCount = 0;
    rewriteCaptions_();
}

void ScanOptionsController::CheckPowerMeter_Click()
{
    Form1& f = form_;
    if (!f.CheckPowerMeter->isChecked()) {
        setEnabled({f.Text4, f.SingleMeasure, f.RepeatMeasure}, false);
        f.StartStopSweep->setEnabled(true);
        return;
    }
    selectChannel();
    f.CheckAlignMode->setChecked(false);
    f.CheckVXMScanMode->setChecked(false);
    setEnabled({f.CheckAlignMode, f.CheckVXMScanMode, f.CheckRemoveBKG, f.TakeBackground, f.MeasureSpectrum}, false);
    setEnabled({f.Text1, f.Text2, f.Text3}, false);
    setEnabled({f.Text4, f.Text5}, true);
    setEnabled({f.Text6, f.Text7, f.Text8}, false);
    setEnabled({f.SingleMeasure, f.RepeatMeasure}, true);
    f.StopVXMScan->setEnabled(false);
    f.StartStopSweep->setChecked(false);  // stops a running sweep through its handler
    f.StartStopSweep->setEnabled(false);
}

void ScanOptionsController::CheckAlignMode_Click()
{
    Form1& f = form_;
    restartCountAndCaptions();
    if (!f.CheckAlignMode->isChecked()) {
        f.CheckVXMScanMode->setEnabled(true);
        setEnabled({f.Text8, f.SingleMeasure, f.RepeatMeasure}, false);
        if (f.CheckTLS->isChecked()) f.StartStopSweep->setEnabled(true);
        return;
    }
    selectChannel();
    f.CheckPowerMeter->setChecked(false);
    f.CheckVXMScanMode->setChecked(false);
    setEnabled({f.CheckPowerMeter, f.CheckVXMScanMode, f.CheckRemoveBKG, f.TakeBackground, f.MeasureSpectrum},
               false);
    setEnabled({f.SingleMeasure, f.RepeatMeasure}, true);
    setEnabled({f.StopVXMScan, f.StartStopSweep}, false);
    setEnabled({f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7}, false);
    f.Text8->setEnabled(true);
}

void ScanOptionsController::CheckVXMScanMode_Click()
{
    Form1& f = form_;
    restartCountAndCaptions();
    if (!f.CheckVXMScanMode->isChecked()) {
        f.CheckPowerMeter->setChecked(false);
        f.CheckAlignMode->setChecked(false);
        f.CheckRemoveBKG->setChecked(false);
        f.CheckPowerMeter->setEnabled(false);
        f.CheckAlignMode->setEnabled(true);
        setEnabled({f.CheckRemoveBKG, f.TakeBackground, f.MeasureSpectrum, f.SingleMeasure, f.RepeatMeasure}, false);
        if (f.CheckTLS->isChecked()) f.StartStopSweep->setEnabled(true);
        setEnabled({f.StopVXMScan, f.Text6, f.Text7, f.Text8}, false);
        return;
    }
    selectChannel();
    f.CheckPowerMeter->setChecked(false);
    f.CheckAlignMode->setChecked(false);
    setEnabled({f.CheckPowerMeter, f.CheckAlignMode}, false);
    if (Module1.BackgroundTaken == 1) f.CheckRemoveBKG->setEnabled(true);
    setEnabled({f.TakeBackground, f.MeasureSpectrum, f.SingleMeasure, f.RepeatMeasure}, true);
    setEnabled({f.StopVXMScan, f.StartStopSweep}, false);
    setEnabled({f.Text6, f.Text7, f.Text8}, true);
}
