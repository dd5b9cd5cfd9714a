#include "results/repeat_statistics.h"

#include "app/bench.h"
#include "app/module1.h"
#include "app/texts.h"
#include "results/form2.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The log's own names of the three quantities: the summary file is read beside the log, in English
// whatever the window's language, as the log is.
constexpr std::array<const char*, 3> kQuantityNames{"Center WL (nm)", "Bandwidth (nm)", "Insertion Loss (dB)"};
constexpr std::array<const char*, 4> kColumnNames{"Mean", "Std dev", "Min", "Max"};
// The panel's names, from the catalogue.
constexpr std::array<const char*, 3> kQuantityKeys{"extras.statsCenter", "extras.statsBandwidth", "extras.statsPeak"};
constexpr std::array<const char*, 4> kColumnKeys{"extras.statsMean", "extras.statsStdDev", "extras.statsMin",
                                                  "extras.statsMax"};

QStringList figures(const SeriesStatistics& s)
{
    return {statisticText(s.mean), statisticText(s.standardDeviation), statisticText(s.minimum),
            statisticText(s.maximum)};
}

}  // namespace

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
        lines << (QStringList{QString::fromLatin1(kQuantityNames[q])} + figures(statistics.of(quantity))).join(tab);
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

RepeatStatisticsPanel::RepeatStatisticsPanel(QWidget* parent) : QWidget(parent)
{
    RepeatStatsTitle = new QLabel(QStringLiteral("Repeatability Statistics"), this);
    RepeatStatsTitle->setObjectName(QStringLiteral("RepeatStatsTitle"));
    RepeatStatsTitle->setAccessibleDescription(RepeatStatsTitle->objectName());
    RepeatStatsCount = new QLabel(this);
    RepeatStatsCount->setObjectName(QStringLiteral("RepeatStatsCount"));
    RepeatStatsCount->setAccessibleDescription(RepeatStatsCount->objectName());
    RepeatStatsCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    RepeatStatsGrid = new QTableWidget(4, 5, this);
    RepeatStatsGrid->setObjectName(QStringLiteral("RepeatStatsGrid"));
    RepeatStatsGrid->setAccessibleDescription(RepeatStatsGrid->objectName());
    RepeatStatsGrid->horizontalHeader()->hide();
    RepeatStatsGrid->verticalHeader()->hide();
    RepeatStatsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RepeatStatsGrid->setFocusPolicy(Qt::NoFocus);
    RepeatStatsGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RepeatStatsGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const auto cell = [this](int row, int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        RepeatStatsGrid->setItem(row, column, item);
    };
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 5; ++c) cell(r, c, r > 0 && c > 0 ? QStringLiteral("-") : QString());
    }
    // The names take what they need, the four figures share the rest; the rows fill the height.
    RepeatStatsGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    RepeatStatsGrid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    RepeatStatsGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    auto* heading = new QHBoxLayout;
    heading->addWidget(RepeatStatsTitle, 1);
    heading->addWidget(RepeatStatsCount);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(heading);
    layout->addWidget(RepeatStatsGrid, 1);
    retranslate();
}

void RepeatStatisticsPanel::retranslate()
{
    RepeatStatsGrid->setAccessibleName(T("extras.statsTitle"));
    for (std::size_t c = 0; c < kColumnKeys.size(); ++c)
        RepeatStatsGrid->item(0, static_cast<int>(c) + 1)->setText(T(kColumnKeys[c]));
    for (std::size_t q = 0; q < kQuantityKeys.size(); ++q)
        RepeatStatsGrid->item(static_cast<int>(q) + 1, 0)->setText(T(kQuantityKeys[q]));
    showCount();
}

void RepeatStatisticsPanel::showCount() { RepeatStatsCount->setText(T("extras.statsCount").arg(count_)); }

void RepeatStatisticsPanel::showStatistics(const RepeatStatistics& statistics)
{
    count_ = statistics.count();
    showCount();
    for (int q = 0; q < 3; ++q) {
        const QStringList values = figures(statistics.of(static_cast<RepeatStatistics::Quantity>(q)));
        for (int c = 0; c < 4; ++c) RepeatStatsGrid->item(q + 1, c + 1)->setText(values[c]);
    }
}

RepeatStatisticsTracker::RepeatStatisticsTracker(Bench& bench) : bench_(bench) {}

void RepeatStatisticsTracker::begin()
{
    statistics_.clear();
    refreshPanel();
}

void RepeatStatisticsTracker::addLoggedPass(int pass, const std::array<float, 3>& firstChannel)
{
    if (pass < 1) return;  // pass 0 wrote the header line only
    statistics_.add(firstChannel);
    refreshPanel();
}

void RepeatStatisticsTracker::addLoggedPass(int pass)
{
    if (Module1.ChannelResults.size() < 2) return;
    addLoggedPass(pass, Module1.ChannelResults[1]);
}

bool RepeatStatisticsTracker::finish(const QString& logFileName)
{
    if (statistics_.count() == 0) return false;
    const bool written = writeTextLines(summaryFileName(logFileName), repeatSummaryLines(statistics_));
    // The panel keeps showing the finished test until the next one begins.
    statistics_.clear();
    return written;
}

void RepeatStatisticsTracker::refreshPanel()
{
    if (Form2* form = bench_.loadedForm2()) form->RepeatStatsPanel->showStatistics(statistics_);
}
