#pragma once
// Runs vxm-simulator for a test or a benchmark: a fresh port directory, bounded waits, one answer
// per console command, stopped on destruction. End-to-end tests of the program drive the bench
// through it.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SimulatorProcess {
public:
    // Starts $VXM_BIN_DIR/vxm-simulator (default: this program's folder) with --com-dir <fresh dir>
    // and `extraArguments`, and waits (bounded) for its "ready" line. Check started() before use.
    // With `captureErrors` its standard error (where it names refused requests) is kept for
    // errorLines() instead of going to the test's own.
    explicit SimulatorProcess(const QStringList& extraArguments = {}, bool captureErrors = false);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The folder of the built programs and libKetrolanLib.so.
    static QString builtDir();

    bool started() const { return started_; }
    QString comDir() const { return dir_.path(); }
    QString linkPath(int comNumber) const;
    QProcess& process() { return process_; }

    // Sends one console line and returns its one-line answer (empty after a time-out).
    QString command(const QString& line, int timeoutMs = 3000);

    // Sets VXM_COM_DIR in this process to the simulator's port directory, so the program's
    // side (serial service, device library) finds the simulated instruments.
    void exportComDir() const;

    // The lines written to standard error since the last call, waiting (bounded) for at least one.
    QStringList errorLines(int timeoutMs = 3000);

    // Sends quit and waits for the exit; terminates, then kills, when it does not end.
    void stop();

private:
    QString readLine(int timeoutMs);

    QTemporaryDir dir_;
    QProcess process_;
    bool started_ = false;
};
