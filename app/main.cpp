#include "app/bench.h"
#include "core/form1.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vxm-operator"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    Bench bench(realServices());
    bench.Form_Load();
    bench.form1().show();
    return QApplication::exec();
}
