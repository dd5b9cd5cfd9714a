#pragma once
// Start-up of the main window (`Form_Load`): the language routine once in English, the set-up
// state of the controls, the welcome line, the device library's initialisation and the detection
// of the instruments on COM1 to COM30 with the short reply time-out.

#include <QObject>

class DeviceLibrary;
class Form1;
class InfoBox;
class LanguageController;
class ProgressStrip;
class TlsPortController;

class StartupController : public QObject {
    Q_OBJECT
public:
    // `language` sets the captions; `ports` detects the instruments while `progress` shows it.
    StartupController(Form1& form, InfoBox& info, LanguageController& language, DeviceLibrary& library,
                      ProgressStrip& progress, TlsPortController& ports);

    // Runs once, after the bench is built and before the window is shown.
    void Form_Load();

signals:
    // Start-up has told its messages: what reports its own problems may start now.
    void loaded();

private:
    Form1& form_;
    InfoBox& info_;
    LanguageController& language_;
    DeviceLibrary& library_;
    ProgressStrip& progress_;
    TlsPortController& ports_;
};
