#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/form1.h"
#include "remote/remote_control.h"
#include "remote/scpi_server.h"
#include "records/record_capture.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstdio>

int main(int argc, char* argv[])
{
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
