#include "measure/measure_workflow.h"

#include "app/bench.h"
#include "app/form1.h"
#include "app/info_box.h"
#include "app/module1.h"
#include "app/texts.h"
#include "app/units.h"
#include "laser/tls_link.h"
#include "measure/channel_analysis.h"
#include "measure/repeat_log.h"
#include "measure/results_table.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/repeat_statistics.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QSignalBlocker>

#include <initializer_list>

namespace {
const QString kArial = QStringLiteral("Arial");
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

MeasureController::MeasureController(Bench& bench) : QObject(&bench), bench_(bench), engine_(bench)
{
    Form1& f = bench.form1();
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
    Form1& f = bench_.form1();
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
    ++Module1.MeasureCount;
    restoreControls();
}

void MeasureController::RepeatMeasure_Click()
{
    Form1& f = bench_.form1();
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
    Form1& f = bench_.form1();
    RepeatStatisticsTracker& statistics = bench_.repeatStatistics();
    statistics.begin();
    std::int32_t pass = 0;
    while (f.RepeatMeasure->isChecked()) {
        if (!acquireUntilDone()) break;
        if (isSpectrum(mode)) {
            analyseAndPlot(mode);
            if (Module1.RepeatabilityOn == 1 && LogRepeatResult(static_cast<std::int16_t>(pass), fileName)) {
                statistics.addLoggedPass(pass);
                ++pass;
            }
        }
        if (Module1.RepeatStop == 1) break;
        releaseDeferredDeletes();
    }
    // The summary follows the data lines, written by the invocation that wrote them.
    statistics.finish(QDir(logFolder()).filePath(fileName));
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
    Form1& f = bench_.form1();
    for (;;) {
        std::int32_t result = 0;
        engine_.AcquireScan(result);
        if (result == 1) return true;
        bench_.info().setFontSize(12);
        bench_.info().setColor(VbColor::Red);
        reportFailure("measure.readFailed");
        if (engine_.lastRefusedSettings()) {
            f.RepeatMeasure->setChecked(false);  // runs the released branch: options unlocked
            return false;
        }
        bench_.link().Delay(kRetryPauseMs);
        if (Module1.RepeatStop == 1 || !f.RepeatMeasure->isChecked()) return false;
    }
}

void MeasureController::analyseAndPlot(ScanMode mode)
{
    if (!isSpectrum(mode)) return;
    // Background selected: plotted, not analysed. This holds in align mode too, where the option
    // keeps its value while disabled.
    if (!bench_.form1().TakeBackground->isChecked()) {
        AnalyseChannels(bench_);
        if (Module1.ChannelCount > 0) FillResultsTable(bench_);  // no channel: the table keeps its rows
    }
    PlotSpectrum(bench_);
}

void MeasureController::showResultsWindow(ScanMode mode)
{
    if (isSpectrum(mode)) bench_.form2().show();
}

void MeasureController::lockOptions(bool locked)
{
    Form1& f = bench_.form1();
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
    Form1& f = bench_.form1();
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
        bench_.info().setText(text);
        return;
    }
    bench_.info().setText(text + QStringLiteral("\r\n") + reason);
}

void MeasureController::undoPress()
{
    Form1& f = bench_.form1();
    const QSignalBlocker quiet(f.RepeatMeasure);
    f.RepeatMeasure->setChecked(false);
}

void MeasureController::refuseWhileRunning() { bench_.info().report(kArial, VbColor::Red, T("measure.busy")); }

QString MeasureController::logFolder() const { return logFolder_.isEmpty() ? defaultRepeatLogFolder() : logFolder_; }

bool MeasureController::LogRepeatResult(std::int16_t pass, const QString& fileName)
{
    if (pass < 0) return false;
    QByteArray line;
    if (pass == 0) {
        line = repeatLogHeader();
    } else if (Module1.ChannelResults.size() < 2) {
        // Row 1 has never been written by an analysis: there is nothing to log for this pass.
        bench_.info().report(kArial, VbColor::Black, textWith("measure.noLogRow", QString::number(pass)));
        return false;
    } else {
        line = repeatLogLine(pass, Module1.ChannelResults[1]);
    }
    const QString path = QDir(logFolder()).filePath(fileName);
    if (writeRepeatLog(path, pass == 0, line) == LogWrite::Written) return true;
    bench_.info().report(kArial, VbColor::Red, textWith("measure.logFailed", QDir::toNativeSeparators(path)));
    return false;
}
