#include "measure/repeat_log.h"

#include "core/numeric_text.h"

#include <QFile>

QString repeatLogName(const QDateTime& started)
{
    return QStringLiteral("VXM_Test_%1.txt").arg(started.toString(QStringLiteral("yyyyMMdd_HHmmss")));
}

QByteArray repeatLogHeader() { return "Index \tCenter WL (nm)\tBandwidth (nm)\tInsertion Loss (dB)\r\n"; }

QByteArray repeatLogLine(int pass, const std::array<float, 3>& firstChannel)
{
    const auto fixed = [](float value, int decimals) { return fixedDecimals(value, decimals).toLatin1(); };
    return QByteArray::number(pass) + '\t' + fixed(firstChannel[0], 3) + '\t' + fixed(firstChannel[1], 3) + '\t' +
           fixed(firstChannel[2], 4) + "\r\n";
}

LogWrite writeRepeatLog(const QString& path, bool create, const QByteArray& line)
{
    QFile file(path);
    const QIODevice::OpenMode mode = create ? QIODevice::WriteOnly | QIODevice::Truncate
                                            : QIODevice::WriteOnly | QIODevice::Append;
    if (!file.open(mode)) return LogWrite::Failed;
    const bool complete = file.write(line) == line.size() && file.flush();
    file.close();
    return complete && file.error() == QFileDevice::NoError ? LogWrite::Written : LogWrite::Failed;
}
