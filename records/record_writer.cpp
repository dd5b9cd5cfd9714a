#include "records/record_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <deque>

// Lives on the writer's thread: every store call happens there.
class RecordWriterWorker : public QObject {
    Q_OBJECT
public:
    RecordWriterWorker(QString target, QString spoolPath, int retryMs)
        : target_(std::move(target)), spoolPath_(std::move(spoolPath)), retryMs_(retryMs)
    {
        retry_.setSingleShot(true);
        connect(&retry_, &QTimer::timeout, this, &RecordWriterWorker::retry);
    }

    void begin()
    {
        QDir().mkpath(QFileInfo(spoolPath_).absolutePath());
        spoolUp_ = !spool_.open(spoolPath_);
        spoolWaiting_ = spoolUp_ ? spool_.count({}) : 0;
        connectStore();
        send();
        report();
    }

    void accept(MeasurementRecord record, std::atomic<int>* queued)
    {
        --*queued;
        // Behind records already waiting, a record waits too: they are sent in order.
        if (storeUp_ && !hasWaiting()) {
            if (const std::optional<std::int64_t> id = store_.insert(record)) {
                emit stored(record.uid, qint64(*id));
                report();
                return;
            }
            storeDown();
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
    void connectStore()
    {
        const StoreError e = store_.open(target_);
        storeUp_ = !e;
        error_ = e;
    }

    void storeDown()
    {
        storeUp_ = false;
        error_ = store_.lastError();
        store_.close();
    }

    bool hasWaiting() const { return !memory_.empty() || spoolWaiting_ > 0; }

    void keep(MeasurementRecord record)
    {
        // Without a spool (its folder cannot be written) the record waits in memory.
        if (spoolUp_ && memory_.empty() && spool_.insert(record)) {
            ++spoolWaiting_;
            return;
        }
        memory_.push_back(std::move(record));
    }

    void retry()
    {
        if (!storeUp_) connectStore();
        send();
        report();
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
                const std::optional<std::int64_t> storedId = store_.insert(*record);
                if (!storedId) {
                    storeDown();
                    break;
                }
                if (spool_.remove(id)) --spoolWaiting_;
                emit stored(record->uid, qint64(*storedId));
            }
        }
        while (storeUp_ && !memory_.empty()) {
            const std::optional<std::int64_t> storedId = store_.insert(memory_.front());
            if (!storedId) {
                storeDown();
                break;
            }
            emit stored(memory_.front().uid, qint64(*storedId));
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
        s.storeUp = storeUp_;
        s.error = storeUp_ ? StoreError{} : error_;
        emit statusChanged(s);
    }

    QString target_;
    QString spoolPath_;
    int retryMs_;
    RecordStore store_;
    RecordStore spool_;
    bool storeUp_ = false;
    bool spoolUp_ = false;
    std::int64_t spoolWaiting_ = 0;
    StoreError error_;
    std::deque<MeasurementRecord> memory_;
    QTimer retry_{this};
};

RecordWriter::RecordWriter(QString target, QString spoolPath, int retryMs, QObject* parent)
    : QObject(parent), target_(std::move(target)), thread_(new QThread(this)),
      worker_(new RecordWriterWorker(target_, std::move(spoolPath), retryMs))
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
