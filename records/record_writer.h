#pragma once
// Hands records to a store on a thread of its own, so that the measurement loop only copies and
// posts. When the store cannot take a record (a server away, a bad URL, a read-only file) the
// record waits in a local SQLite spool and is sent, oldest first and once, when the store comes
// back; a timer retries. A spool left by an earlier run is sent the same way. A record the store
// refuses for good is set aside (records/set_aside.h) and the records behind it go on. When the
// spool itself cannot be written (a read-only folder, a full disk) records wait in memory and
// move to the spool at a retry once it can be written.

#include "records/measurement_record.h"
#include "records/record_store.h"
#include "records/set_aside.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;
class RecordWriterWorker;

struct RecordWriterStatus {
    int waiting = 0;                // records not yet in the store (spooled, in memory or queued)
    int inMemory = 0;               // records lost if the program ends now: waiting or set aside,
                                    // held in memory because the spool folder cannot be written
    bool storeUp = false;           // the last attempt at the store succeeded
    StoreError error;               // why the store is not up
    StoreError spoolError;          // why the spool cannot be written, while it cannot
    int setAside = 0;               // records the store refused, in the set-aside folder or memory
    std::optional<SetAsideEntry> latestSetAside;  // the last one set aside since the start
};

class RecordWriter : public QObject {
    Q_OBJECT
public:
    // `target`: URL or file path of the store; `spoolPath`: the local SQLite spool file.
    // `retryMs`: the pause before the store is tried again after a failure.
    RecordWriter(QString target, QString spoolPath, int retryMs = 5000, QObject* parent = nullptr);
    // Finishes the record being written, then stops; queued records stay in the spool.
    ~RecordWriter() override;

    // Starts the thread: opens the spool and the store, sends what the spool holds.
    void start();
    // Thread-safe and cheap: the record is moved into an event for the writer thread.
    void submit(MeasurementRecord record);

    RecordWriterStatus status() const;
    QString target() const { return target_; }
    QString spoolPath() const { return spoolPath_; }

signals:
    // Queued to the thread that owns the writer whenever the count or the store's state changes.
    void statusChanged(const RecordWriterStatus& status);
    // A record reached the store (its uid and the store's id).
    void stored(const QString& uid, qint64 id);

private:
    void onStatus(const RecordWriterStatus& status);

    QString target_;
    QString spoolPath_;
    QThread* thread_ = nullptr;
    RecordWriterWorker* worker_ = nullptr;  // lives on thread_
    RecordWriterStatus status_;
    std::atomic<int> queued_{0};
};

Q_DECLARE_METATYPE(RecordWriterStatus)
