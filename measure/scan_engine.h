#pragma once
// One acquisition with the module, in the mode the main window's measurement boxes select:
// a power reading, an align-mode (laser power) spectrum, or a regular scan that becomes a
// background or a spectrum. The result is left in `Module1`; messages go to the information box.

#include "measure/scan_settings.h"

#include <QString>

#include <cstdint>

class DeviceLibrary;
class Form1;
class InfoBox;
class ProgressStrip;
class TlsControlController;
class Waits;

// The first ticked of Power Meter, TLS Power Spectrum, Device IL Spectrum.
ScanMode selectedScanMode(const Form1& f);

ScanSettings readScanSettings(const Form1& f);

// How long the done-poll waits before giving the scan up: twice the sweep time (span / speed,
// times the averages of a regular scan) plus 10 s for the module's set-up and transfer.
// The time the module should take (span / speed x averages; one sweep in align mode), -1 when
// unknown, and how long the wait for its end is allowed: twice that plus 10 s.
int expectedScanMs(const ScanSettings& s, ScanMode mode);
std::int64_t scanTimeoutMs(const ScanSettings& s, ScanMode mode);

// Read attempts of the power meter before the reading is given up.
inline constexpr int kMaxPowerAttempts = 200;

class ScanEngine {
public:
    // `waits` paces the polls and the laser's settling; `laser` sends the power meter's wavelength;
    // `progress` shows the scan's progress.
    ScanEngine(Form1& form, InfoBox& info, DeviceLibrary& library, Waits& waits, ProgressStrip& progress,
               TlsControlController& laser)
        : form_(form), info_(info), library_(library), waits_(waits), progress_(progress), laser_(laser)
    {
    }

    // result: 1 on success; left as passed (0) when the start is refused or fails; the data
    // call's status when that fails.
    void AcquireScan(std::int32_t& result);

    // Checks the main window's settings for the ticked mode as the acquisition would; a refusal is
    // shown in red and true returned. Nothing is sent either way.
    bool refuseSettings();

    bool busy() const { return busy_; }
    // The red message of a refusal or give-up this engine added (settings, time-out, background,
    // a second start), as shown; empty when the last acquisition ended otherwise.
    QString lastProblem() const { return problem_; }
    // The last refusal was of the settings: retrying cannot succeed.
    bool lastRefusedSettings() const { return settingsRefused_; }
    // The last power reading as shown in Text5 (dBm, or dB with Ref-0), before rounding.
    float lastPower() const { return power_; }

private:
    void acquire(std::int32_t& result);
    void readPower(std::int32_t& result);
    void alignScan(const ScanSettings& s, bool sweep, std::int32_t& result);
    void regularScan(const ScanSettings& s, bool sweep, std::int32_t& result);
    // Polls Is_Scan_Done with a 100 ms wait after every poll; false when the time-out was reached
    // (the scan is then stopped and the operator told).
    bool awaitScanDone(const ScanSettings& s, ScanMode mode);
    void reportProblem(const QString& text);
    void reportCode(const char* key, std::int32_t status, bool arialFirst);

    Form1& form_;
    InfoBox& info_;
    DeviceLibrary& library_;
    Waits& waits_;
    ProgressStrip& progress_;
    TlsControlController& laser_;
    bool busy_ = false;
    bool settingsRefused_ = false;
    float power_ = 0.0F;
    QString problem_;
};
