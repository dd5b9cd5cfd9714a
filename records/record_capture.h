#pragma once
// Turns each completed measurement into a record: the main window's settings and Device ID, the
// bench's identities, the shared spectrum and results table, the verdict when one exists. The
// copy is made on the measurement thread (a few hundred microseconds for 20001 points); storing
// happens on the writer's thread.

#include "records/measurement_record.h"
#include "verdict/device_verdict.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class Form1;
class RecordWriter;

// What the station adds to the records of its measurements.
struct StationContext {
    QString recipeName;
    QString recipeRevision;
    QString recipeHash;
    std::int32_t port = 0;       // 1..portCount for one port of a device measured port by port
    std::int32_t portCount = 0;
    QString runUid;              // the device's, shared by its port records and its device record
};

// The user's data folder: the records, their spool and the recipes folder.
QString userDataFolder();
// Where records go when nothing is set: an SQLite file in the user's data folder.
QString defaultRecordsPath();
// The local spool beside it.
QString defaultSpoolPath();
// $VXM_RECORDS_URL, else the settings' "records/url", else the default file.
QString recordsTarget();

class RecordCapture : public QObject {
    Q_OBJECT
public:
    // `programVersion` goes into every record's bench identity.
    RecordCapture(Form1& form, RecordWriter& writer, QString programVersion);

    // The module's part and serial numbers, as its information record gives them.
    void setModuleIdentity(const QString& part, const QString& serial);
    // A spectrum was analysed: the next record carries the verdict judged on it, if any.
    void spectrumAnalysed();
    // The latest verdict, judged after an analysis or again after the plan or the limits changed.
    void verdictJudged(const verdict::DeviceVerdict& verdict);

    // The spectrum and results table in the shared state, just measured: a single one (pass -1)
    // or a logged pass of a repeated measurement.
    void captureSpectrum(int pass);
    // A power reading as shown (dBm, or dB with Ref-0), with the unit the window shows beside it.
    void capturePower(double shown);

    // The record as built, without handing it over (the two calls above build it this way). A
    // record carries the figures and verdict of its own analysis only: after a background or a
    // power reading there are none.
    MeasurementRecord build(RecordKind kind, int pass) const;

    // The station's context of the records that follow; a default context ends it. With a port, the
    // spectra are held until the device is complete (submitDevice) or given up (dropHeld).
    void setStationContext(StationContext context) { station_ = std::move(context); }
    // The held port records, then the device record of `context` with `verdict` combined over the
    // ports.
    void submitDevice(const verdict::DeviceVerdict& verdict, const StationContext& context);
    void dropHeld() { held_.clear(); }

signals:
    // A record was handed to the writer (or held for its device).
    void captured(const MeasurementRecord& record);

private:
    void handOver(MeasurementRecord record);

    Form1& form_;
    RecordWriter& writer_;
    QString programVersion_;
    QString modulePart_;
    QString moduleSerial_;
    bool analysed_ = false;  // since the last record was handed over
    std::optional<verdict::DeviceVerdict> verdict_;
    StationContext station_;
    std::vector<MeasurementRecord> held_;
};
