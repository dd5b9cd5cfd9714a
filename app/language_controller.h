#pragma once
// The language switch: sets `Language` and rewrites the captions and fonts of both windows.

#include <QObject>

class Bench;

class LanguageController : public QObject {
    Q_OBJECT
public:
    explicit LanguageController(Bench& bench);

    void LanguageButton_Click();

private:
    Bench& bench_;
};
