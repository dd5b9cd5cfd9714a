#include "results/repeat_statistics.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The log's own names of the three quantities: the summary file is read beside the log, in English
// whatever the window's language, as the log is.
constexpr std::array<const char*, 3> kQuantityNames{"Center WL (nm)", "Bandwidth (nm)", "Insertion Loss (dB)"};
constexpr std::array<const char*, 4> kColumnNames{"Mean", "Std dev", "Min", "Max"};
}  // namespace

QStringList statisticFigures(const SeriesStatistics& s)
{
    return {statisticText(s.mean), statisticText(s.standardDeviation), statisticText(s.minimum),
            statisticText(s.maximum)};
}

SeriesStatistics describeSeries(std::span<const double> values)
{
    SeriesStatistics s;
    s.count = static_cast<int>(values.size());
    if (values.empty()) return {0, kNaN, kNaN, kNaN, kNaN};
    double sum = 0.0;
    for (double v : values) sum += v;
    s.mean = sum / s.count;
    // Two passes over the values: the squares of deviations around the mean, not of the values,
    // so that a wavelength of 1550 nm varying by picometres keeps its digits.
    double squares = 0.0;
    for (double v : values) squares += (v - s.mean) * (v - s.mean);
    s.standardDeviation = s.count > 1 ? std::sqrt(squares / (s.count - 1)) : kNaN;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    s.minimum = *low;
    s.maximum = *high;
    return s;
}

void RepeatStatistics::add(const std::array<float, 3>& firstChannel)
{
    for (std::size_t q = 0; q < series_.size(); ++q) series_[q].push_back(static_cast<double>(firstChannel[q]));
}

void RepeatStatistics::clear()
{
    for (auto& s : series_) s.clear();
}

SeriesStatistics RepeatStatistics::of(Quantity quantity) const
{
    return describeSeries(series_[static_cast<std::size_t>(quantity)]);
}

QString statisticText(double value)
{
    return std::isnan(value) ? QStringLiteral("-") : QString::number(value, 'f', 4);
}

QStringList repeatSummaryLines(const RepeatStatistics& statistics)
{
    const QChar tab(u'\t');
    QStringList lines;
    lines << QStringLiteral("Repeatability statistics over %1 passes").arg(statistics.count());
    QStringList heading{QStringLiteral("Quantity")};
    for (const char* name : kColumnNames) heading << QString::fromLatin1(name);
    lines << heading.join(tab);
    for (std::size_t q = 0; q < kQuantityNames.size(); ++q) {
        const auto quantity = static_cast<RepeatStatistics::Quantity>(q);
        lines << (QStringList{QString::fromLatin1(kQuantityNames[q])} + statisticFigures(statistics.of(quantity))).join(tab);
    }
    return lines;
}

QString summaryFileName(const QString& logFileName)
{
    const QString suffix = QStringLiteral(".txt");
    const QString stem = logFileName.endsWith(suffix) ? logFileName.chopped(suffix.size()) : logFileName;
    return stem + QStringLiteral("_summary") + suffix;
}

bool writeTextLines(const QString& fileName, const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines) text += line.toUtf8() + "\r\n";
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}
