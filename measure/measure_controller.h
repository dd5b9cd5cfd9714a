#pragma once
// Single Measurement and Repeat Measurements of the main window: one acquisition, or one after
// the other while the toggle stays pressed, each followed by the analysis, the results table and
// the plot on the results window; and the repeatability log a repeated measurement writes.

#include "measure/scan_engine.h"

#include <QObject>
#include <QString>

#include <cstdint>

class Form1;
class InfoBox;
class RepeatStatisticsTracker;
class ResultsWindowHost;
class Waits;

class MeasureController : public QObject {
    Q_OBJECT
public:
    // `engine` acquires, `results` holds the window the spectra go to, `statistics` follows the
    // logged passes.
    MeasureController(Form1& form, InfoBox& info, Waits& waits, ScanEngine& engine, ResultsWindowHost& results,
                      RepeatStatisticsTracker& statistics);

    void SingleMeasure_Click();
    // Runs when the toggle is pressed and again when it is released (also from inside the pressed
    // run's waits, which then finishes its pass and ends).
    void RepeatMeasure_Click();

    // Pass 0 creates (or empties) the log and writes its header; a pass above 0 appends the first
    // channel's figures; a negative pass does nothing. True when a line was written; a line that
    // cannot be written, or a pass with no channel ever found, is reported in the information box.
    bool LogRepeatResult(std::int16_t pass, const QString& fileName);

    // The module acquisition both workflows share (`AcquireScan`).
    ScanEngine& engine() { return engine_; }
    // A single or repeated measurement is under way.
    bool running() const { return running_ != Running::None; }

    // The folder relative log names lie in; the user's documents folder unless set.
    QString logFolder() const;
    void setLogFolder(const QString& folder) { logFolder_ = folder; }

signals:
    // The channel analysis of a measured spectrum has run (channels found or not).
    void channelsAnalysed();
    // A spectrum was measured and analysed: a single one (pass -1) or a logged pass of a repeated
    // measurement. The shared state still holds it.
    void spectrumMeasured(int pass);
    // A power reading was taken and shown: `shown` is Text5's value before rounding.
    void powerRead(double shown);

private:
    enum class Running { None, Single, Repeat };

    void repeatPasses(ScanMode mode, const QString& fileName);
    // Acquires until one succeeds; false when a stop was asked for meanwhile or the settings were
    // refused (retrying cannot help then).
    bool acquireUntilDone();
    // Deletes the objects handed to deleteLater() during the passes so far.
    void releaseDeferredDeletes();
    void analyseAndPlot(ScanMode mode);
    void showResultsWindow(ScanMode mode);
    // Tells who listens that a measurement completed.
    void announce(ScanMode mode, int pass);
    void lockOptions(bool locked);
    void restoreControls();
    // The workflow's failure text; when the engine gave up for a reason of its own, that reason too.
    void reportFailure(const char* key);
    void refuseWhileRunning();
    // Releases the Repeat Measurements toggle without running its handler.
    void undoPress();

    Form1& form_;
    InfoBox& info_;
    Waits& waits_;
    ScanEngine& engine_;
    ResultsWindowHost& results_;
    RepeatStatisticsTracker& statistics_;
    Running running_ = Running::None;
    QString logFolder_;
};
