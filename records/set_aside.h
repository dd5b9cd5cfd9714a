#pragma once
// Records the store refuses for good (a constraint, a value a column cannot hold) are set aside
// in a folder beside the spool, one JSON file each with the reason, so that the records behind
// them flow and nothing is lost. The file holds the whole record; its spectrum is the store's
// blob in Base64 (docs/records.md). Qt Core only.

#include "records/measurement_record.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

struct SetAsideEntry {
    QString uid;
    QString deviceId;
    QDateTime measuredUtc;
    QDateTime setAsideUtc;
    QString reason;                 // the store's words
    QString file;                   // empty until written
};

// "records-spool.sqlite" -> "records-spool-set-aside/" in the same folder.
QString setAsideFolder(const QString& spoolPath);

// The file's contents: the reason and time, and the record with every field.
QByteArray setAsideDocument(const MeasurementRecord& record, const QString& reason, const QDateTime& when);
// The record a document holds; none when it is not one.
std::optional<MeasurementRecord> setAsideRecord(const QByteArray& document);
// The entry of a document; none when it is not one.
std::optional<SetAsideEntry> setAsideEntry(const QByteArray& document);

// Every set-aside record in `folder`, newest first.
std::vector<SetAsideEntry> setAsideEntries(const QString& folder);
