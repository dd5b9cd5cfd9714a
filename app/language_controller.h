#pragma once
// The language switch: sets `Language` and rewrites the captions and fonts of both windows.

#include <QObject>

class Form1;
class ResultsWindowHost;

class LanguageController : public QObject {
    Q_OBJECT
public:
    LanguageController(Form1& form, ResultsWindowHost& results);

    void LanguageButton_Click();

private:
    Form1& form_;
    ResultsWindowHost& results_;
};
