#include "measure/measure_controller.h"

#include "core/dialogs.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "laser/ms_clock.h"
#include "measure/channel_analysis_step.h"
#include "measure/repeat_log.h"
#include "measure/results_table.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/repeat_statistics_tracker.h"
#include "results/results_window_host.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QSignalBlocker>

#include <initializer_list>

namespace {
// Pause between failed acquisitions of a repeated measurement: the window is served meanwhile, so
// the operator can release the toggle or stop.
constexpr double kRetryPauseMs = 500;

// The text of `key` with its placeholder filled in; none in a language without texts.
QString textWith(const char* key, const QString& value)
{
    const QString t = T(key);
    return t.isNull() ? t : t.arg(value);
}

bool isSpectrum(ScanMode mode) { return mode == ScanMode::Align || mode == ScanMode::Regular; }

// Marks the workflow as running for as long as it is in scope.
template <typename T>
struct RunningScope {
    RunningScope(T& state, T value) : state_(state) { state_ = value; }
    ~RunningScope() { state_ = T::None; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;
    T& state_;
};
}  // namespace

MeasureController::MeasureController(Form1& form, InfoBox& info, Waits& waits, ScanEngine& engine,
                                     ResultsWindowHost& results, RepeatStatisticsTracker& statistics)
    : QObject(&form), form_(form), info_(info), waits_(waits), engine_(engine), results_(results), statistics_(statistics)
{
    Form1& f = form_;
    connect(f.SingleMeasure, &QPushButton::clicked, this, &MeasureController::SingleMeasure_Click);
    connect(f.RepeatMeasure, &QPushButton::toggled, this, &MeasureController::RepeatMeasure_Click);
}

void MeasureController::SingleMeasure_Click()
{
    if (running_ != Running::None) {
        refuseWhileRunning();
        return;
    }
    // A refused setting sent nothing and started nothing: every control stays as it was.
    if (engine_.refuseSettings()) return;
    RunningScope scope(running_, Running::Single);
    Form1& f = form_;
    f.TLSOnOff->setEnabled(false);
    f.StartStopSweep->setEnabled(false);
    f.StopVXMScan->setEnabled(f.CheckVXMScanMode->isChecked());  // a regular scan can be stopped

    const ScanMode mode = selectedScanMode(f);
    showResultsWindow(mode);
    std::int32_t result = 0;
    engine_.AcquireScan(result);
    if (result != 1) {
        reportFailure("measure.scanFailed");
        return;
    }
    analyseAndPlot(mode);
    announce(mode, -1);
    ++Module1.MeasureCount;
    restoreControls();
}

void MeasureController::RepeatMeasure_Click()
{
    Form1& f = form_;
    const bool pressed = f.RepeatMeasure->isChecked();
    if (pressed && running_ != Running::None) {
        // Undone quietly: the running measurement owns the shared spectrum until it returns.
        undoPress();
        refuseWhileRunning();
        return;
    }
    if (pressed && engine_.refuseSettings()) {
        undoPress();  // nothing was started: every control stays as it was
        return;
    }
    // With no measurement ticked a pass would neither measure nor wait, so the loop would hold the
    // program for good. The button is disabled then; a press from code changes nothing.
    if (pressed && selectedScanMode(f) == ScanMode::None) return;

    Module1.RepeatStop = 0;
    f.TLSOnOff->setEnabled(false);
    f.StartStopSweep->setEnabled(false);
    if (f.CheckVXMScanMode->isChecked()) f.StopVXMScan->setEnabled(true);

    const ScanMode mode = selectedScanMode(f);
    showResultsWindow(mode);
    const QString fileName = repeatLogName(QDateTime::currentDateTime());
    lockOptions(pressed);
    if (pressed) {
        RunningScope scope(running_, Running::Repeat);
        repeatPasses(mode, fileName);
    }
    restoreControls();
    ++Module1.MeasureCount;
}

void MeasureController::repeatPasses(ScanMode mode, const QString& fileName)
{
    Form1& f = form_;
    statistics_.begin();
    std::int32_t pass = 0;
    while (f.RepeatMeasure->isChecked()) {
        if (!acquireUntilDone()) break;
        if (isSpectrum(mode)) {
            analyseAndPlot(mode);
            if (Module1.RepeatabilityOn == 1 && LogRepeatResult(static_cast<std::int16_t>(pass), fileName)) {
                statistics_.addLoggedPass(pass);
                announce(mode, pass);
                ++pass;
            }
        } else {
            announce(mode, -1);
        }
        if (Module1.RepeatStop == 1) break;
        releaseDeferredDeletes();
    }
    // The summary follows the data lines, written by the invocation that wrote them.
    statistics_.finish(QDir(logFolder()).filePath(fileName));
}

void MeasureController::releaseDeferredDeletes()
{
    // A repeated measurement runs inside the toggle's handler and does not return to the event loop
    // until it ends, and the waits' nested loops leave alone what this handler hands to
    // deleteLater(): the geometry animation the main window starts whenever its layout is redone,
    // which the progress strip's coming and going does with every scan. Deleted here, between two
    // passes, where nothing of theirs is in use; kept, they add up for as long as the toggle stays
    // pressed.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool MeasureController::acquireUntilDone()
{
    Form1& f = form_;
    for (;;) {
        std::int32_t result = 0;
        engine_.AcquireScan(result);
        if (result == 1) return true;
        info_.setFontSize(12);
        info_.setColor(VbColor::Red);
        reportFailure("measure.readFailed");
        if (engine_.lastRefusedSettings()) {
            f.RepeatMeasure->setChecked(false);  // runs the released branch: options unlocked
            return false;
        }
        waits_.Delay(kRetryPauseMs);
        if (Module1.RepeatStop == 1 || !f.RepeatMeasure->isChecked()) return false;
    }
}

void MeasureController::analyseAndPlot(ScanMode mode)
{
    if (!isSpectrum(mode)) return;
    // Background selected: plotted, not analysed. This holds in align mode too, where the option
    // keeps its value while disabled.
    if (!form_.TakeBackground->isChecked()) {
        AnalyseChannels(form_, info_);
        // No channel: the table keeps its rows.
        if (Module1.ChannelCount > 0) FillResultsTable(form_, results_.form2());
        emit channelsAnalysed();
    }
    PlotSpectrum(results_.form2(), form_);
}

void MeasureController::announce(ScanMode mode, int pass)
{
    if (isSpectrum(mode)) emit spectrumMeasured(pass);
    if (mode == ScanMode::PowerMeter) emit powerRead(engine_.lastPower());
}

void MeasureController::showResultsWindow(ScanMode mode)
{
    if (isSpectrum(mode)) results_.form2().show();
}

void MeasureController::lockOptions(bool locked)
{
    Form1& f = form_;
    const auto set = [locked](std::initializer_list<QWidget*> controls) {
        for (QWidget* w : controls) w->setEnabled(!locked);
    };
    if (f.CheckPowerMeter->isChecked()) set({f.CheckPowerMeter, f.Text4});
    if (f.CheckAlignMode->isChecked()) set({f.CheckAlignMode});
    if (f.CheckVXMScanMode->isChecked())
        set({f.CheckVXMScanMode, f.CheckRemoveBKG, f.TakeBackground, f.MeasureSpectrum, f.Text6, f.Text7});
}

void MeasureController::restoreControls()
{
    Form1& f = form_;
    if (f.CheckTLS->isChecked()) {
        f.TLSOnOff->setEnabled(true);
        f.StartStopSweep->setEnabled(true);
    } else {
        for (QWidget* w : {f.Text1, f.Text2, f.Text3}) w->setEnabled(true);
    }
    f.StopVXMScan->setEnabled(false);
}

void MeasureController::reportFailure(const char* key)
{
    const QString text = T(key);
    const QString reason = engine_.lastProblem();
    if (text.isNull() || reason.isEmpty()) {
        info_.setText(text);
        return;
    }
    info_.setText(text + QStringLiteral("\r\n") + reason);
}

void MeasureController::undoPress()
{
    Form1& f = form_;
    const QSignalBlocker quiet(f.RepeatMeasure);
    f.RepeatMeasure->setChecked(false);
}

void MeasureController::refuseWhileRunning() { info_.report(kArial, VbColor::Red, T("measure.busy")); }

QString MeasureController::logFolder() const { return logFolder_.isEmpty() ? documentsFolder() : logFolder_; }

bool MeasureController::LogRepeatResult(std::int16_t pass, const QString& fileName)
{
    if (pass < 0) return false;
    QByteArray line;
    if (pass == 0) {
        line = repeatLogHeader();
    } else if (Module1.ChannelResults.size() < 2) {
        // Row 1 has never been written by an analysis: there is nothing to log for this pass.
        info_.report(kArial, VbColor::Black, textWith("measure.noLogRow", QString::number(pass)));
        return false;
    } else {
        line = repeatLogLine(pass, Module1.ChannelResults[1]);
    }
    const QString path = QDir(logFolder()).filePath(fileName);
    if (writeRepeatLog(path, pass == 0, line) == LogWrite::Written) return true;
    info_.report(kArial, VbColor::Red, textWith("measure.logFailed", QDir::toNativeSeparators(path)));
    return false;
}
