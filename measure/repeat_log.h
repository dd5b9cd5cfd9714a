#pragma once
// The repeatability log: a tab-separated text file, one line per logged pass of a repeated
// measurement, CR LF line ends, opened and closed for every line.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>

// "VXM_Test_yyyymmdd_hhmmss.txt" for the moment the repeated measurement was started.
QString repeatLogName(const QDateTime& started);

// The header line and one data line (pass, center nm, bandwidth nm, insertion loss dB), CR LF
// included.
QByteArray repeatLogHeader();
QByteArray repeatLogLine(int pass, const std::array<float, 3>& firstChannel);

enum class LogWrite { Written, Failed };

// Pass 0 creates or empties the file and writes the header; pass > 0 appends `line`.
LogWrite writeRepeatLog(const QString& path, bool create, const QByteArray& line);
