#pragma once
// Behaviour of the results window: its load step, buttons and mouse gestures on the plot.

#include <QObject>

class Form1;
class Form2;
class ResultsWindowHost;

class ResultsController : public QObject {
    Q_OBJECT
public:
    // `main` is the window whose Repeat Measurements Stop Measure releases; `host` unloads `form`.
    ResultsController(Form2& form, Form1& main, ResultsWindowHost& host);

    // Runs once when the window is created.
    void Form_Load();

    void ZoomPlot_Click();
    void PanPlot_Click();
    void NormalPlot_Click();
    void StopMeasure_Click();
    void RepeatabilityTest_Click();
    void CloseForm2_Click();

    // Button state 1 left, 2 right, 4 middle; position in Picture1's twips.
    void Picture1_MouseDown(int button, float x, float y);
    void Picture1_MouseMove(int buttons, float x, float y);
    void Picture1_MouseUp(int button, float x, float y);

private:
    Form2& form_;
    Form1& main_;
    ResultsWindowHost& host_;
};
