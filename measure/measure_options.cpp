#include "measure/measure_options.h"

#include "core/form1.h"
#include "core/shared_state.h"

MeasureOptionsController::MeasureOptionsController(Form1& form) : QObject(&form), form_(form)
{
    Form1& f = form_;
    connect(f.BasePower, &QCheckBox::toggled, this, [this] { BasePower_Click(); });
    connect(f.Ref0Power, &QCheckBox::toggled, this, [this] { Ref0Power_Click(); });
    connect(f.TakeBackground, &QRadioButton::toggled, this, [this](bool on) {
        if (on) TakeBackground_Click();
    });
    connect(f.MeasureSpectrum, &QRadioButton::toggled, this, [this](bool on) {
        if (on) MeasureSpectrum_Click();
    });
}

// "Base Power" and "Ref-0 dBm" exclude each other. Only a box that has just been ticked clears
// the other one: clearing unconditionally would run the other box's handler, which would then
// clear the box the operator has just ticked, leaving neither.
void MeasureOptionsController::BasePower_Click()
{
    Form1& f = form_;
    if (f.BasePower->isChecked()) f.Ref0Power->setChecked(false);
}

void MeasureOptionsController::Ref0Power_Click()
{
    Form1& f = form_;
    if (f.Ref0Power->isChecked()) f.BasePower->setChecked(false);
}

void MeasureOptionsController::TakeBackground_Click()
{
    Form1& f = form_;
    f.CheckRemoveBKG->setChecked(false);
    f.CheckRemoveBKG->setEnabled(false);
}

void MeasureOptionsController::MeasureSpectrum_Click()
{
    if (Module1.BackgroundTaken == 1) form_.CheckRemoveBKG->setEnabled(true);
}
