#pragma once
// The progress strip at the bottom of the main window: a progress bar and an "elapsed / expected"
// label while a scan runs, and the port being probed during start-up detection. It never takes
// the focus and never blocks: the stop buttons stay usable while it shows. During a scan the
// results window shows a busy cursor (its plot keeps its own zoom and pan cursors).
//
// The scan engine calls beginScan(expected ms) before it polls the module, tick(elapsed ms) after
// every poll and end() when the wait ends, however it ends.

#include <QObject>
#include <QPointer>

#include <functional>

class Form1;
class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;

// Time a scan is expected to take: span / speed x averages seconds, in milliseconds. -1 (unknown)
// when any of them is not positive or the result is not a finite time.
int expectedScanMilliseconds(double spanNm, double speedNmPerSecond, int averages);
// The same from the main window's boxes: start and stop wavelength (Text1, Text2), sweep speed
// (Text3) and average number (Text6), read as the scan reads them.
int expectedScanMilliseconds(const Form1& form);

class ProgressStrip : public QObject {
    Q_OBJECT
public:
    // The strip goes into `main`'s status bar; `scanWindow` names the window a scan draws into,
    // which shows the busy cursor meanwhile (none: nullptr).
    ProgressStrip(Form1& main, std::function<QWidget*()> scanWindow);

    // A scan starts; `expectedMs` below 1 shows a bar without an end (indeterminate).
    void beginScan(int expectedMs);
    void tick(int elapsedMs);

    // Start-up detection of `ports` ports, then one call per port probed (1..ports).
    void beginDetection(int ports);
    void probing(int port);

    // Hides the bar, clears the label and gives the results window its cursor back.
    void end();

    bool active() const;
    QProgressBar* bar() const { return bar_; }
    QLabel* label() const { return label_; }

private:
    void show(int maximum);

    std::function<QWidget*()> scanWindow_;
    QStatusBar* strip_;
    QProgressBar* bar_;
    QLabel* label_;
    int expectedMs_ = 0;
    int ports_ = 0;
    QPointer<QWidget> busyWindow_;  // the results window given the busy cursor
};
