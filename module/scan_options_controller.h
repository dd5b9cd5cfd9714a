#pragma once
// The three measurement options of the main window (Power Meter, TLS Power Spectrum, Device IL
// Spectrum): at most one ticked, each enabling what its measurement needs. Unticking another
// option from code runs that option's handler at once, before the next statement; settings made
// after it win where both touch the same control.

#include <QObject>

#include <functional>

class Form1;

class ScanOptionsController : public QObject {
    Q_OBJECT
public:
    // `rewriteCaptions` runs the language switch in the current language (both windows' captions).
    ScanOptionsController(Form1& form, std::function<void()> rewriteCaptions);

    void CheckPowerMeter_Click();
    void CheckAlignMode_Click();
    void CheckVXMScanMode_Click();

private:
    void selectChannel();
    // Both spectrum options start by resetting the counter and re-applying the captions.
    void restartCountAndCaptions();

    Form1& form_;
    std::function<void()> rewriteCaptions_;
};
