#include "measure/scan_engine.h"

#include "core/progress_strip.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "core/numeric_text.h"
#include "core/texts.h"
#include "core/units.h"
#include "laser/ms_clock.h"
#include "laser/tls_control_controller.h"
#include "measure/results_table.h"
#include "measure/spectrum_processing.h"
#include "module/device_library.h"
#include "module/module_record.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const QString kArial = QStringLiteral("Arial");
constexpr std::int32_t kAlignPoints = 20001;
constexpr double kPollWaitMs = 100;
constexpr double kPowerSettleMs = 200;

// The text of `key` with the number filled in; none in a language without texts.
QString textWithNumber(const char* key, std::int64_t number)
{
    const QString t = T(key);
    return t.isNull() ? t : t.arg(number);
}

// The library's boolean: -1 is true.
constexpr std::int32_t sweepFlag(bool sweep) { return sweep ? -1 : 0; }

// Clears `busy` however the acquisition ends.
struct BusyScope {
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    bool& busy_;
};
}  // namespace

ScanMode selectedScanMode(const Form1& f)
{
    if (f.CheckPowerMeter->isChecked()) return ScanMode::PowerMeter;
    if (f.CheckAlignMode->isChecked()) return ScanMode::Align;
    if (f.CheckVXMScanMode->isChecked()) return ScanMode::Regular;
    return ScanMode::None;
}

ScanSettings readScanSettings(const Form1& f)
{
    const auto whole = [](const QLineEdit* box) { return floorToInt32(leadingNumber(box->text())); };
    return {whole(f.Text1), whole(f.Text2), whole(f.Text3), whole(f.Text6), whole(f.Text7), f.TakeBackground->isChecked()};
}

int expectedScanMs(const ScanSettings& s, ScanMode mode)
{
    const int sweeps = mode == ScanMode::Regular ? s.averages : 1;
    return expectedScanMilliseconds(static_cast<double>(s.stop) - s.start, s.speed, sweeps);
}

std::int64_t scanTimeoutMs(const ScanSettings& s, ScanMode mode)
{
    return 2 * static_cast<std::int64_t>(std::max(expectedScanMs(s, mode), 0)) + 10000;
}

void ScanEngine::AcquireScan(std::int32_t& result)
{
    problem_.clear();
    settingsRefused_ = false;
    // The arrays and counters are shared: a second acquisition from inside this one's waits
    // would pull them from under it.
    if (busy_) {
        reportProblem(T("measure.busy"));
        return;
    }
    BusyScope scope(busy_);
    acquire(result);
}

void ScanEngine::acquire(std::int32_t& result)
{
    Form1& f = form_;
    const bool sweep = Module1.TLSSweepMode == 1;
    Module1.ChannelIndex = module_record::channelIndex(f.ChannelID->currentText());
    ResetBasePower(Module1, f.BasePower->isChecked());

    if (refuseSettings()) return;
    const ScanMode mode = selectedScanMode(f);
    const ScanSettings settings = readScanSettings(f);
    switch (mode) {
    case ScanMode::None: result = 1; break;
    case ScanMode::PowerMeter: readPower(result); break;
    case ScanMode::Align: alignScan(settings, sweep, result); break;
    case ScanMode::Regular: regularScan(settings, sweep, result); break;
    }
}

bool ScanEngine::refuseSettings()
{
    const Form1& f = form_;
    // Without the laser (TLS? unticked) only the module's band presets fill the wavelength boxes.
    const bool laserInUse = f.CheckTLS->isChecked();
    const char* problem = scanSettingsProblem(readScanSettings(f), selectedScanMode(f),
                                              laserInUse ? Module1.TLSWLMin : 0.0F, laserInUse ? Module1.TLSWLMax : 0.0F);
    settingsRefused_ = problem != nullptr;
    if (problem) reportProblem(T(problem));
    return settingsRefused_;
}

void ScanEngine::readPower(std::int32_t& result)
{
    Form1& f = form_;
    // Out of range or refused, the reading still follows: the information box says in red why the
    // laser is not at Text4's wavelength.
    laser_.SetTLSWavelength();
    waits_.Delay(kPowerSettleMs);

    // The library is asked again at once after a failed reading, but not for ever: a module that
    // never answers would otherwise hold the program with no window served.
    float power = 0.0F;
    std::int32_t status = 0;
    for (int attempt = 0; attempt < kMaxPowerAttempts && status != 1; ++attempt) {
        status = library_.Read_PowerMeter(Module1.ModuleHandle, Module1.ChannelIndex, &power);
        CaptureBasePower(Module1, f.BasePower->isChecked(), power, status);
    }
    if (status != 1) {
        reportProblem(textWithNumber("measure.powerTimeout", kMaxPowerAttempts));
        return;
    }
    const bool ref0 = f.Ref0Power->isChecked();
    const float shown = Ref0Value(Module1, power, ref0);
    power_ = shown;
    f.PLabel->setText(ref0 ? QStringLiteral("(dB)") : QStringLiteral("(dBm)"));
    f.Text5->setText(formatResult(shown));
    result = 1;
}

void ScanEngine::alignScan(const ScanSettings& s, bool sweep, std::int32_t& result)
{
    DeviceLibrary& lib = library_;
    const std::int32_t handle = Module1.ModuleHandle;
    const std::int32_t channel = Module1.ChannelIndex;
    std::int32_t status = lib.AlignMode_Scan(handle, s.start, s.stop, s.speed, channel, sweepFlag(sweep));
    if (status != 1) {
        reportCode("measure.scanRawCode", status, false);
        return;
    }
    if (!awaitScanDone(s, ScanMode::Align)) return;

    Module1.ScanWL.assign(kAlignPoints, 0.0F);
    Module1.ScanValue.assign(kAlignPoints, 0.0F);
    std::int32_t count = kAlignPoints;
    status = lib.Get_AlignMode_Data(handle, Module1.ScanWL.data(), Module1.ScanValue.data(), &count, channel);
    if (status != 1) {
        reportCode("measure.scanRawCode", status, true);
        result = status;
        return;
    }
    // The arrays hold 20001 points whatever count the library claims; a spectrum with no point
    // cannot be processed or plotted.
    if (count < 1) {
        reportProblem(T("measure.noPoints"));
        return;
    }
    Module1.LastPointIndex = std::min(count, kAlignPoints) - 1;
    ConvertScanWavelengths(Module1);
    ApplyAlignModeTail(Module1);
    Module1.TraceKind = 1;
    result = 1;
}

void ScanEngine::regularScan(const ScanSettings& s, bool sweep, std::int32_t& result)
{
    Form1& f = form_;
    DeviceLibrary& lib = library_;
    const std::int32_t handle = Module1.ModuleHandle;
    const std::int32_t channel = Module1.ChannelIndex;
    std::int32_t status =
        lib.Start_Scan(handle, s.start, s.stop, s.speed, s.averages, s.length, channel, sweepFlag(sweep));
    if (status != 1) {
        reportCode("measure.scanVxmCode", status, false);
        return;
    }
    if (!awaitScanDone(s, ScanMode::Regular)) return;

    Module1.ScanWL.assign(static_cast<std::size_t>(s.length), 0.0F);
    Module1.ScanValue.assign(static_cast<std::size_t>(s.length), 0.0F);
    status = lib.Get_ScanData(handle, Module1.ScanWL.data(), Module1.ScanValue.data(), s.length, channel);
    if (status != 1) {
        reportCode("measure.scanVxmCode", status, true);
        result = status;
        return;
    }
    Module1.LastPointIndex = s.length - 1;
    ConvertScanWavelengths(Module1);

    if (f.TakeBackground->isChecked()) {
        StoreBackground(Module1);
        if (channel == 0 || channel == 1)  // its record's uid is added when the record is made
            Module1.BackgroundSources[static_cast<std::size_t>(channel)] = {
                {}, QDateTime::currentMSecsSinceEpoch(), s.start, s.stop, s.length};
        Module1.TraceKind = 2;
        Module1.BackgroundTaken = 1;
    } else if (f.MeasureSpectrum->isChecked()) {
        if (f.CheckRemoveBKG->isChecked()) {
            // A background that does not cover the spectrum is refused, not read past its end.
            if (const char* key = backgroundProblemKey(RemoveBackground(Module1))) {
                reportProblem(T(key));
                return;
            }
        }
        Module1.TraceKind = 3;
    }
    result = 1;
}

bool ScanEngine::awaitScanDone(const ScanSettings& s, ScanMode mode)
{
    const std::int64_t timeoutMs = scanTimeoutMs(s, mode);
    ProgressStrip& progress = progress_;
    progress.beginScan(expectedScanMs(s, mode));
    const std::uint32_t started = waits_.clock().now();
    for (;;) {
        const std::int32_t done = library_.Is_Scan_Done(Module1.ModuleHandle);
        waits_.Delay(kPollWaitMs);
        const std::int64_t elapsed = elapsedMs(started, waits_.clock().now());
        progress.tick(static_cast<int>(std::min<std::int64_t>(elapsed, std::numeric_limits<int>::max())));
        if (done == 1) {
            progress.end();
            return true;
        }
        if (elapsed >= timeoutMs) break;
    }
    progress.end();
    library_.Stop_Scan(Module1.ModuleHandle);
    reportProblem(textWithNumber("measure.scanTimeout", (timeoutMs + 999) / 1000));
    return false;
}

void ScanEngine::reportProblem(const QString& text)
{
    problem_ = text;
    info_.report(kArial, VbColor::Red, text);
}

void ScanEngine::reportCode(const char* key, std::int32_t status, bool arialFirst)
{
    InfoBox& info = info_;
    if (arialFirst) info.setFontName(kArial);
    info.setColor(VbColor::Red);
    info.setText(textWithNumber(key, status));
}
