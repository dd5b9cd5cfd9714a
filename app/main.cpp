#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/form1.h"
#include "remote/remote_control.h"
#include "remote/scpi_server.h"
#include "records/record_capture.h"
#include "records/record_store.h"

#include <QApplication>
#include <QStyleFactory>
#include <QThread>

#include <cstdio>
#include <cstring>

namespace {

// --records-prune DAYS: the spectra of records older than DAYS days leave the store, the records
// and their figures stay. Runs without a window, beside benches that keep writing.
int pruneRecords(int argc, char* argv[], int option)
{
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vxm-operator"));
    bool ok = false;
    const int days = option + 1 < argc ? QString::fromLocal8Bit(argv[option + 1]).toInt(&ok) : 0;
    if (!ok || days < 0) {
        std::fprintf(stderr, "vxm-operator: --records-prune needs a number of days, 0 or more\n");
        return 2;
    }
    const QString target = recordsTarget();
    RecordStore store;
    StoreError e = store.open(target);
    // Benches writing meanwhile may hold the lock past the wait for it.
    for (int attempt = 1; e && e.detail.contains(QLatin1String("lock")) && attempt < 20; ++attempt) {
        QThread::msleep(100);
        e = store.open(target);
    }
    if (e) {
        std::fprintf(stderr, "vxm-operator: %s: %s\n", qPrintable(displayTarget(target)), qPrintable(e.detail));
        return 1;
    }
    const QDateTime before = QDateTime::currentDateTimeUtc().addDays(-days);
    const std::optional<std::int64_t> pruned = store.pruneSpectra(before);
    if (!pruned) {
        std::fprintf(stderr, "vxm-operator: %s: %s\n", qPrintable(displayTarget(target)),
                     qPrintable(store.lastError().detail));
        return 1;
    }
    std::printf("%lld spectra pruned (records measured before %s UTC) in %s\n", static_cast<long long>(*pruned),
                qPrintable(before.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))), qPrintable(displayTarget(target)));
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--records-prune") == 0) return pruneRecords(argc, argv, i);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vxm-operator"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const RemoteOptionsResult remote = remoteOptions(QApplication::arguments(), qEnvironmentVariable("VXM_REMOTE"),
                                                     qEnvironmentVariable("VXM_REMOTE_ALLOW"));
    if (!remote.error.isEmpty()) {
        std::fprintf(stderr, "vxm-operator: %s\n", qPrintable(remote.error));
        return 2;
    }
    BenchServices services = realServices();
    services.recordsTarget = recordsTarget();
    services.recordsSpool = defaultSpoolPath();
    Bench bench(std::move(services));
    bench.startup().Form_Load();
    bench.form1().show();
    if (remote.options.enabled) {
        // The window works without it: a busy port is reported, not fatal.
        if (bench.startRemote(remote.options))
            std::printf("Remote control listening on %s (TCPIP::%s::%u::SOCKET)\n",
                        qPrintable(bench.remote()->endpoint()), qPrintable(bench.remote()->server().address().toString()),
                        unsigned{bench.remote()->port()});
        else
            std::fprintf(stderr, "vxm-operator: remote control cannot listen on %s:%u: %s\n",
                         qPrintable(remote.options.address), unsigned{remote.options.port},
                         qPrintable(bench.remote()->errorString()));
        std::fflush(stdout);
    }
    return QApplication::exec();
}
