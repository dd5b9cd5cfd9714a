// The operator's end of a day, as a program of its own: on the simulated bench whose port folder
// is in VXM_COM_DIR, a repeated measurement logs its passes into the folder argv[1], and Close /
// Exit is clicked while pass argv[2] + 1 is being scanned. Close / Exit ends the process from
// inside the measurement's wait, so this runs apart from the test that checks the log it leaves.
// Exit codes other than the program's own 0: 2 usage, 3 a step of the set-up failed, 4 the
// measurement ended without Close / Exit ending the program.

#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/form1.h"
#include "core/shared_state.h"
#include "measure/measure_controller.h"
#include "recording_dialogs.h"
#include "results/form2.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace {

bool choose(QComboBox* box, const char* text)
{
    box->setCurrentIndex(box->findText(QLatin1String(text)));
    return box->currentIndex() >= 0;
}

// Data lines written so far: every line of the log but its header.
int loggedPasses(const QString& folder)
{
    const QStringList logs = QDir(folder).entryList({QStringLiteral("VXM_Test_*.txt")}, QDir::Files);
    QFile file(logs.isEmpty() ? QString() : QDir(folder).filePath(logs.first()));
    return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) - 1 : 0;
}

bool connectAndSweep(Bench& bench)
{
    Form1& f = bench.form1();
    if (!choose(f.ComboBoxVXMCOM, "COM6")) return false;
    f.SetVXMComPort->click();
    f.SetConnection->click();
    if (!choose(f.ComboBoxTLSCOM, "COM7")) return false;
    f.SetTLSComPort->click();
    f.TLSOnOff->click();  // pressed at start: released (off), then pressed (on)
    f.TLSOnOff->click();
    f.StartStopSweep->click();
    if (!f.CheckVXMScanMode->isEnabled()) return false;
    f.CheckVXMScanMode->click();
    f.Text7->setText(QStringLiteral("1001"));
    bench.form2().RepeatabilityTest->click();
    return Module1.RepeatabilityOn == 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LOG_FOLDER PASSES\n", argv[0]);
        return 2;
    }
    const QString logFolder = QString::fromLocal8Bit(argv[1]);
    const int passes = QByteArray(argv[2]).toInt();
    DialogsGuard dialogs;  // a warning must not wait for a click nobody makes
    resetSharedState();
    Bench bench(realServices());
    bench.startup().Form_Load();
    bench.measure().setLogFolder(logFolder);
    if (!connectAndSweep(bench)) {
        std::fprintf(stderr, "set-up failed\n");
        return 3;
    }

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (loggedPasses(logFolder) >= passes) bench.form1().CloseExit->click();
    });
    watch.start(20);
    bench.form1().RepeatMeasure->click();
    return 4;
}
