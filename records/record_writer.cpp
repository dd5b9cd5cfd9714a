#include "records/record_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <deque>

// Lives on the writer's thread: every store call happens there.
class RecordWriterWorker : public QObject {
    Q_OBJECT
public:
    RecordWriterWorker(QString target, QString spoolPath, int retryMs)
        : target_(std::move(target)), spoolPath_(std::move(spoolPath)), asideFolder_(setAsideFolder(spoolPath_)),
          retryMs_(retryMs)
    {
        retry_.setSingleShot(true);
        connect(&retry_, &QTimer::timeout, this, &RecordWriterWorker::retry);
    }

    void begin()
    {
        openSpool();
        spoolWaiting_ = spoolUp_ ? spool_.count({}) : 0;
        asideStored_ = static_cast<int>(QDir(asideFolder_).entryList({QStringLiteral("*.json")}, QDir::Files).size());
        connectStore();
        send();
        report();
    }

    void accept(MeasurementRecord record, std::atomic<int>* queued)
    {
        --*queued;
        // Behind records already waiting, a record waits too: they are sent in order.
        if (storeUp_ && !hasWaiting() && give(record) != Sent::StoreDown) {
            report();
            return;
        }
        keep(std::move(record));
        scheduleRetry();
        report();
    }

    void finish()
    {
        retry_.stop();
        store_.close();
        spool_.close();
    }

signals:
    void statusChanged(const RecordWriterStatus& status);
    void stored(const QString& uid, qint64 id);

private:
    enum class Sent { Stored, SetAside, StoreDown };

    void connectStore()
    {
        const StoreError e = store_.open(target_);
        storeUp_ = !e;
        error_ = e;
    }

    void openSpool()
    {
        QDir().mkpath(QFileInfo(spoolPath_).absolutePath());
        spoolError_ = spool_.open(spoolPath_);
        spoolUp_ = !spoolError_;
    }

    void storeDown()
    {
        storeUp_ = false;
        error_ = store_.lastError();
        store_.close();
    }

    // The store takes the record, refuses it for good (it is set aside), or is down.
    Sent give(const MeasurementRecord& record)
    {
        if (const std::optional<std::int64_t> id = store_.insert(record)) {
            emit stored(record.uid, qint64(*id));
            return Sent::Stored;
        }
        if (store_.lastError().problem != StoreProblem::Refused) {
            storeDown();
            return Sent::StoreDown;
        }
        const QDateTime now = QDateTime::currentDateTimeUtc();
        latestAside_ = SetAsideEntry{record.uid, record.deviceId, record.utc, now, store_.lastError().detail, {}};
        asidePending_.push_back(setAsideDocument(record, latestAside_->reason, now));
        writeSetAside();
        return Sent::SetAside;
    }

    bool hasWaiting() const { return !memory_.empty() || spoolWaiting_ > 0; }

    void keep(MeasurementRecord record)
    {
        // Without a spool (its folder cannot be written, the disk is full) the record waits in memory.
        if (spoolUp_ && memory_.empty() && spool_.insert(record)) {
            ++spoolWaiting_;
            return;
        }
        if (spoolUp_ && memory_.empty()) spoolError_ = spool_.lastError();
        memory_.push_back(std::move(record));
    }

    void retry()
    {
        if (!storeUp_) connectStore();
        if (!spoolUp_) openSpool();
        send();
        if (!storeUp_) spoolMemory();
        writeSetAside();
        report();
    }

    // Records held in memory move to the spool, in order, as far as it takes them.
    void spoolMemory()
    {
        while (spoolUp_ && !memory_.empty()) {
            if (!spool_.insert(memory_.front())) {
                spoolError_ = spool_.lastError();
                return;
            }
            ++spoolWaiting_;
            memory_.pop_front();
        }
        if (memory_.empty() && spoolUp_) spoolError_ = {};
    }

    // One file per record, written whole or not at all; what cannot be written yet stays in memory.
    void writeSetAside()
    {
        while (!asidePending_.empty()) {
            QDir().mkpath(asideFolder_);
            QSaveFile file(QDir(asideFolder_).filePath(newRecordUid() + QStringLiteral(".json")));
            if (!file.open(QIODevice::WriteOnly) || file.write(asidePending_.front()) < 0 || !file.commit()) {
                scheduleRetry();
                return;
            }
            asidePending_.pop_front();
            ++asideStored_;
        }
    }

    // Sends the spool, then the records kept in memory, oldest first. A record leaves the spool
    // only after the store committed it; if the program dies in between, the store recognises
    // the record's uid when it is sent again.
    void send()
    {
        while (storeUp_ && spoolUp_) {
            const std::vector<std::int64_t> ids = spool_.oldestIds(64);
            if (ids.empty()) break;
            for (const std::int64_t id : ids) {
                const std::optional<MeasurementRecord> record = spool_.load(id);
                if (!record) {
                    // The spool itself failed: tried again with the next retry.
                    scheduleRetry();
                    return;
                }
                if (give(*record) == Sent::StoreDown) break;
                if (!spool_.remove(id)) {
                    // Sent already; sent once more after the retry and recognised by its uid.
                    spoolError_ = spool_.lastError();
                    scheduleRetry();
                    return;
                }
                --spoolWaiting_;
            }
        }
        while (storeUp_ && !memory_.empty()) {
            if (give(memory_.front()) == Sent::StoreDown) break;
            memory_.pop_front();
        }
        if (!storeUp_) scheduleRetry();
    }

    void scheduleRetry()
    {
        if (!retry_.isActive()) retry_.start(retryMs_);
    }

    void report()
    {
        RecordWriterStatus s;
        s.waiting = static_cast<int>(spoolWaiting_ + static_cast<std::int64_t>(memory_.size()));
        s.inMemory = static_cast<int>(memory_.size() + asidePending_.size());
        s.storeUp = storeUp_;
        s.error = storeUp_ ? StoreError{} : error_;
        s.spoolError = s.inMemory > 0 ? spoolError_ : StoreError{};
        s.setAside = asideStored_ + static_cast<int>(asidePending_.size());
        s.latestSetAside = latestAside_;
        emit statusChanged(s);
    }

    QString target_;
    QString spoolPath_;
    QString asideFolder_;
    int retryMs_;
    RecordStore store_;
    RecordStore spool_;
    bool storeUp_ = false;
    bool spoolUp_ = false;
    std::int64_t spoolWaiting_ = 0;
    StoreError error_;
    StoreError spoolError_;
    std::deque<MeasurementRecord> memory_;
    std::deque<QByteArray> asidePending_;
    int asideStored_ = 0;
    std::optional<SetAsideEntry> latestAside_;
    QTimer retry_{this};
};

RecordWriter::RecordWriter(QString target, QString spoolPath, int retryMs, QObject* parent)
    : QObject(parent), target_(std::move(target)), spoolPath_(std::move(spoolPath)), thread_(new QThread(this)),
      worker_(new RecordWriterWorker(target_, spoolPath_, retryMs))
{
    qRegisterMetaType<RecordWriterStatus>();
    thread_->setObjectName(QStringLiteral("records"));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &RecordWriterWorker::statusChanged, this, &RecordWriter::onStatus);
    connect(worker_, &RecordWriterWorker::stored, this, &RecordWriter::stored);
}

RecordWriter::~RecordWriter()
{
    if (thread_->isRunning()) {
        // Everything posted before this is handled first: queued records reach the store or spool.
        QMetaObject::invokeMethod(worker_, &RecordWriterWorker::finish, Qt::BlockingQueuedConnection);
        thread_->quit();
        thread_->wait();
    } else {
        delete worker_;
    }
}

void RecordWriter::start()
{
    thread_->start();
    QMetaObject::invokeMethod(worker_, &RecordWriterWorker::begin, Qt::QueuedConnection);
}

void RecordWriter::submit(MeasurementRecord record)
{
    ++queued_;
    QMetaObject::invokeMethod(
        worker_, [w = worker_, r = std::move(record), q = &queued_]() mutable { w->accept(std::move(r), q); },
        Qt::QueuedConnection);
}

RecordWriterStatus RecordWriter::status() const
{
    RecordWriterStatus s = status_;
    s.waiting += queued_.load();
    return s;
}

void RecordWriter::onStatus(const RecordWriterStatus& status)
{
    status_ = status;
    emit statusChanged(this->status());
}

#include "record_writer.moc"
