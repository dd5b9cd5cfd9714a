#pragma once
// Turns each completed measurement into a record: the main window's settings and Device ID, the
// bench's identities, the shared spectrum and results table, the verdict when one exists. The
// copy is made on the measurement thread (a few hundred microseconds for 20001 points); storing
// happens on the writer's thread.

#include "records/measurement_record.h"

#include <QObject>
#include <QString>

#include <functional>

class Form1;
class RecordWriter;

// The extended figures (JSON text) and the verdict ("PASS", "FAIL" or empty) of the measurement
// just analysed; both empty when there are none.
struct RecordVerdict {
    QString figuresJson;
    QString verdict;
};
using VerdictProvider = std::function<RecordVerdict()>;

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

    void setVerdictProvider(VerdictProvider provider) { verdict_ = std::move(provider); }
    // The module's part and serial numbers, as its information record gives them.
    void setModuleIdentity(const QString& part, const QString& serial);

    // The spectrum and results table in the shared state, just measured (pass -1: a single one).
    void captureSpectrum(RecordKind kind, int pass);
    // A power reading as shown, with its unit "(dBm)" or "(dB)".
    void capturePower(double shown, const QString& unit);

    // The record as built, without handing it over (the two calls above build it this way).
    MeasurementRecord build(RecordKind kind, int pass) const;

private:
    Form1& form_;
    RecordWriter& writer_;
    QString programVersion_;
    VerdictProvider verdict_;
    QString modulePart_;
    QString moduleSerial_;
};
