#pragma once
// The History window: filter boxes and the list of records, the opened record's settings, results
// table and figures, the plot with its overlay, the export buttons, and the Statistics view of
// the filtered records. Widgets only; the history
// controller gives them behaviour.

#include "records/history_plot.h"
#include "records/statistics_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include <vector>

// A read-only table of the History windows, selecting whole rows, Tab leaving it.
QTableWidget* historyTable(const char* name, int columns);
// Fills `table` with `rows` of texts, one item per cell.
void setTableRows(QTableWidget* table, const std::vector<QStringList>& rows);

class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget* parent = nullptr);

    // Captions in `language` (1 English, 2 Chinese).
    void retranslate(int language);

    // A date box at its earliest date reads "(any)": that end of the range stays open.
    static QDate anyDate() { return {2000, 1, 1}; }

    QLabel* DeviceIdLabel;
    QLineEdit* DeviceId;
    QLabel* FromLabel;
    QDateEdit* From;
    QLabel* ToLabel;
    QDateEdit* To;
    QLabel* VerdictLabel;
    QComboBox* Verdict;        // (any), PASS, FAIL, (none): history::VerdictChoice order
    QLabel* BenchLabel;
    QComboBox* Bench;          // (any), then the benches on record
    QLabel* RecipeLabel;
    QLineEdit* Recipe;         // a recipe's name, exactly
    QLabel* DevicePatternLabel;
    QLineEdit* DevicePattern;  // device IDs, '*' for any run of characters
    QPushButton* Search;
    QLabel* Count;
    QTableWidget* List;        // one row per record; the record id in each row's first item
    QLabel* SettingsTitle;
    QPlainTextEdit* Settings;
    QTableWidget* Channels;
    QLabel* FiguresTitle;
    QPlainTextEdit* Figures;
    HistoryPlot* Plot;
    QPushButton* Open;
    QPushButton* OverlayAdd;
    QPushButton* OverlayClear;
    QCheckBox* CurrentTrace;
    QPushButton* ExportWorkbook;
    QPushButton* ExportCsv;
    QPushButton* UseBackground;  // the opened background becomes the current one of its channel
    QPushButton* Statistics;   // shows the statistics of the records the filter selects
    QPushButton* Close;
    QLabel* Message;           // red, for what went wrong
    QLabel* SetAside;          // red, hidden while none: records the store refused, set aside
    StatisticsWindow* StatisticsView;
};
