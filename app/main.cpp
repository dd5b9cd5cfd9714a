#include "app/bench.h"
#include "core/form1.h"
#include "records/record_capture.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vxm-operator"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    BenchServices services = realServices();
    services.recordsTarget = recordsTarget();
    services.recordsSpool = defaultSpoolPath();
    Bench bench(std::move(services));
    bench.Form_Load();
    bench.form1().show();
    return QApplication::exec();
}
