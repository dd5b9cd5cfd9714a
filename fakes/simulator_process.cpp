#include "simulator_process.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>

#include <algorithm>

SimulatorProcess::SimulatorProcess(const QStringList& extraArguments, bool captureErrors)
{
    const QString program = QDir(builtDir()).filePath(QStringLiteral("vxm-simulator"));
    QStringList arguments{QStringLiteral("--com-dir"), dir_.filePath(QStringLiteral("com"))};
    arguments += extraArguments;
    process_.setProcessChannelMode(captureErrors ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
    if (!process_.waitForStarted(5000)) return;
    started_ = readLine(5000) == QStringLiteral("ready");
}

QString SimulatorProcess::builtDir()
{
    // Tests and benchmarks live beside the programs, so their own folder serves when VXM_BIN_DIR is unset.
    const QString bin = qEnvironmentVariable("VXM_BIN_DIR");
    return bin.isEmpty() ? QCoreApplication::applicationDirPath() : bin;
}

SimulatorProcess::~SimulatorProcess() { stop(); }

QString SimulatorProcess::linkPath(int comNumber) const
{
    return QDir(comDir()).filePath(QStringLiteral("com/COM%1").arg(comNumber));
}

QString SimulatorProcess::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!process_.canReadLine()) {
        if (process_.state() != QProcess::Running || deadline.hasExpired()) return {};
        process_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
    return QString::fromUtf8(process_.readLine()).trimmed();
}

QString SimulatorProcess::command(const QString& line, int timeoutMs)
{
    if (process_.state() != QProcess::Running) return {};
    process_.write((line + QLatin1Char('\n')).toUtf8());
    process_.waitForBytesWritten(timeoutMs);
    return readLine(timeoutMs);
}

QStringList SimulatorProcess::errorLines(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    process_.setReadChannel(QProcess::StandardError);
    while (!process_.canReadLine() && process_.state() == QProcess::Running && !deadline.hasExpired())
        process_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    QStringList lines;
    while (process_.canReadLine()) lines << QString::fromUtf8(process_.readLine()).trimmed();
    process_.setReadChannel(QProcess::StandardOutput);
    return lines;
}

void SimulatorProcess::exportComDir() const { qputenv("VXM_COM_DIR", dir_.filePath(QStringLiteral("com")).toUtf8()); }

void SimulatorProcess::stop()
{
    if (process_.state() == QProcess::NotRunning) return;
    command(QStringLiteral("quit"), 2000);
    if (process_.waitForFinished(3000)) return;
    process_.terminate();
    if (process_.waitForFinished(3000)) return;
    process_.kill();
    process_.waitForFinished(3000);
}
