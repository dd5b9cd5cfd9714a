#pragma once
// The processing options of the main window: base power and Ref-0 referencing of the power meter,
// and whether a regular scan stores a background or measures a spectrum.

#include <QObject>

class Form1;

class MeasureOptionsController : public QObject {
    Q_OBJECT
public:
    explicit MeasureOptionsController(Form1& form);

    void BasePower_Click();
    void Ref0Power_Click();
    void TakeBackground_Click();
    void MeasureSpectrum_Click();

private:
    Form1& form_;
};
