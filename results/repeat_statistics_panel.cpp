#include "results/repeat_statistics_panel.h"

#include "core/control_placement.h"
#include "core/texts.h"
#include "results/repeat_statistics.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr std::array<const char*, 3> kQuantityKeys{"extras.statsCenter", "extras.statsBandwidth", "extras.statsPeak"};
constexpr std::array<const char*, 4> kColumnKeys{"extras.statsMean", "extras.statsStdDev", "extras.statsMin",
                                                  "extras.statsMax"};

}  // namespace

RepeatStatisticsPanel::RepeatStatisticsPanel(QWidget* parent) : QWidget(parent)
{
    RepeatStatsTitle =
        named(new QLabel(QStringLiteral("Repeatability Statistics"), this), QStringLiteral("RepeatStatsTitle"));
    RepeatStatsCount = named(new QLabel(this), QStringLiteral("RepeatStatsCount"));
    RepeatStatsCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    RepeatStatsGrid = named(new QTableWidget(4, 5, this), QStringLiteral("RepeatStatsGrid"));
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
        const QStringList values = statisticFigures(statistics.of(static_cast<RepeatStatistics::Quantity>(q)));
        for (int c = 0; c < 4; ++c) RepeatStatsGrid->item(q + 1, c + 1)->setText(values[c]);
    }
}

