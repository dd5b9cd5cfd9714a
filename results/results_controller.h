#pragma once
// Behaviour of the results window: its load step, buttons and mouse gestures.

#include <QObject>

class Bench;
class Form2;

class ResultsController : public QObject {
    Q_OBJECT
public:
    ResultsController(Bench& bench, Form2& form);

    // Runs once when the window is created.
    void Form_Load();

private:
    Bench& bench_;
    Form2& form_;
};
