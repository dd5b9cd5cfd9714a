#pragma once
// The repeatability statistics on the results window, below the results table.

#include <QLabel>
#include <QTableWidget>
#include <QWidget>

class RepeatStatistics;

class RepeatStatisticsPanel : public QWidget {
    Q_OBJECT
public:
    explicit RepeatStatisticsPanel(QWidget* parent = nullptr);

    void showStatistics(const RepeatStatistics& statistics);
    // Sets the headings and the count in the current language.
    void retranslate();

    QLabel* RepeatStatsTitle;
    QLabel* RepeatStatsCount;
    QTableWidget* RepeatStatsGrid;

private:
    void showCount();
    int count_ = 0;
};
