#include "records/history_window.h"

#include "core/control_placement.h"
#include "core/texts.h"
#include "core/units.h"
#include "records/history_content.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace {

// QDateEdit keeps Tab while it shows its special text ("(any)" here): this one lets it go on to
// the next control then, as it does from the last part of a date.
class DateBox : public QDateEdit {
protected:
    bool focusNextPrevChild(bool next) override
    {
        return date() == minimumDate() ? QAbstractSpinBox::focusNextPrevChild(next) : QDateEdit::focusNextPrevChild(next);
    }
};

QDateEdit* dateBox(const char* name)
{
    auto* d = named(new DateBox, name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setMinimumDate(HistoryWindow::anyDate());
    d->setDate(HistoryWindow::anyDate());
    return d;
}

QPlainTextEdit* textPane(const char* name)
{
    auto* p = named(new QPlainTextEdit, name);
    p->setReadOnly(true);
    p->setLineWrapMode(QPlainTextEdit::NoWrap);
    return p;
}

}  // namespace

QTableWidget* historyTable(const char* name, int columns)
{
    auto* t = named(new QTableWidget(0, columns), name);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    t->setWordWrap(false);
    t->setTabKeyNavigation(false);  // Tab goes on to the next control; the arrow keys move in the table
    return t;
}

void setTableRows(QTableWidget* table, const std::vector<QStringList>& rows)
{
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < rows[static_cast<std::size_t>(r)].size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(rows[static_cast<std::size_t>(r)][c]));
}

HistoryWindow::HistoryWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setFont(arialFont(10));
    setBackColor(this, VbColor::White);

    DeviceIdLabel = named(new QLabel, "DeviceIdLabel");
    DeviceId = named(new QLineEdit, "DeviceId");
    DeviceId->setClearButtonEnabled(true);
    FromLabel = named(new QLabel, "FromLabel");
    From = dateBox("From");
    ToLabel = named(new QLabel, "ToLabel");
    To = dateBox("To");
    VerdictLabel = named(new QLabel, "VerdictLabel");
    Verdict = named(new QComboBox, "Verdict");
    BenchLabel = named(new QLabel, "BenchLabel");
    Bench = named(new QComboBox, "Bench");
    Bench->setMinimumContentsLength(14);
    RecipeLabel = named(new QLabel, "RecipeLabel");
    Recipe = named(new QLineEdit, "Recipe");
    Recipe->setClearButtonEnabled(true);
    DevicePatternLabel = named(new QLabel, "DevicePatternLabel");
    DevicePattern = named(new QLineEdit, "DevicePattern");
    DevicePattern->setClearButtonEnabled(true);
    Search = named(new QPushButton, "Search");
    Search->setDefault(true);
    Count = named(new QLabel, "Count");

    List = historyTable("List", history::kListColumns);
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    SettingsTitle = named(new QLabel, "SettingsTitle");
    Settings = textPane("Settings");
    Channels = historyTable("Channels", 5);
    Channels->setHorizontalHeaderLabels(
        {QStringLiteral("#"), QStringLiteral("Wavelength"), QStringLiteral("Frequency"), QStringLiteral("Bandwidth"),
         QStringLiteral("Insertion Loss")});
    Channels->setSelectionMode(QAbstractItemView::NoSelection);
    FiguresTitle = named(new QLabel, "FiguresTitle");
    Figures = textPane("Figures");

    Plot = new HistoryPlot;
    Plot->setAccessibleDescription(Plot->objectName());
    Plot->setFocusPolicy(Qt::StrongFocus);  // so that a screen reader's user can reach it by Tab
    Open = named(new QPushButton, "Open");
    OverlayAdd = named(new QPushButton, "OverlayAdd");
    OverlayClear = named(new QPushButton, "OverlayClear");
    CurrentTrace = named(new QCheckBox, "CurrentTrace");
    CurrentTrace->setChecked(true);
    ExportWorkbook = named(new QPushButton, "ExportWorkbook");
    ExportCsv = named(new QPushButton, "ExportCsv");
    UseBackground = named(new QPushButton, "UseBackground");
    Statistics = named(new QPushButton, "Statistics");
    Close = named(new QPushButton, "Close");
    Message = named(new QLabel, "Message");
    setForeColor(Message, VbColor::Red);
    Message->setWordWrap(true);
    SetAside = named(new QLabel, "SetAside");
    setForeColor(SetAside, VbColor::Red);
    SetAside->setWordWrap(true);
    SetAside->hide();

    auto* filters = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{DeviceIdLabel, DeviceId, FromLabel, From, ToLabel, To,
                                                      VerdictLabel, Verdict, BenchLabel, Bench, RecipeLabel, Recipe,
                                                      DevicePatternLabel, DevicePattern, Search, Count})
        filters->addWidget(w);
    filters->setStretchFactor(DeviceId, 1);
    filters->setStretchFactor(Recipe, 1);
    filters->setStretchFactor(DevicePattern, 1);
    filters->setStretchFactor(Count, 1);

    auto* details = new QGridLayout;
    details->addWidget(SettingsTitle, 0, 0);
    details->addWidget(Settings, 1, 0, 3, 1);
    details->addWidget(Channels, 1, 1);
    details->addWidget(FiguresTitle, 2, 1);
    details->addWidget(Figures, 3, 1);
    details->setColumnStretch(0, 1);
    details->setColumnStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(List, 1);
    top->addLayout(details, 1);

    auto* buttons = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Open, OverlayAdd, OverlayClear, CurrentTrace, ExportWorkbook,
                                                      ExportCsv, UseBackground, Statistics})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(SetAside);
    buttons->addWidget(Message);
    buttons->addWidget(Close);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Plot);
    bottom->addLayout(buttons, 1);

    auto* all = new QVBoxLayout(this);
    all->addLayout(filters);
    all->addLayout(top, 1);
    all->addLayout(bottom);
    resize(Plot->width() + 260, Plot->height() + 380);
    StatisticsView = new StatisticsWindow(this);
    retranslate(1);
}

void HistoryWindow::retranslate(int language)
{
    const auto t = [language](const char* key) { return textIn(key, language); };
    setWindowTitle(t("history.title"));
    DeviceIdLabel->setText(t("history.deviceId"));
    FromLabel->setText(t("history.from"));
    ToLabel->setText(t("history.to"));
    From->setSpecialValueText(t("history.any"));
    To->setSpecialValueText(t("history.any"));
    VerdictLabel->setText(t("history.verdict"));
    const int verdict = std::max(Verdict->currentIndex(), 0);
    Verdict->clear();
    Verdict->addItems({t("history.any"), QStringLiteral("PASS"), QStringLiteral("FAIL"), t("history.noVerdict")});
    Verdict->setCurrentIndex(verdict);
    BenchLabel->setText(t("history.bench"));
    RecipeLabel->setText(t("history.recipe"));
    DevicePatternLabel->setText(t("history.devicePattern"));
    if (Bench->count() == 0) Bench->addItem(QString());
    Bench->setItemText(0, t("history.any"));
    Search->setText(t("history.search"));
    List->setHorizontalHeaderLabels(history::listHeader(language));
    SettingsTitle->setText(t("history.settings"));
    FiguresTitle->setText(t("history.figures"));
    Open->setText(t("history.open"));
    OverlayAdd->setText(t("history.overlayAdd"));
    OverlayClear->setText(t("history.overlayClear"));
    CurrentTrace->setText(t("history.currentTrace"));
    ExportWorkbook->setText(t("history.exportWorkbook"));
    ExportCsv->setText(t("history.exportCsv"));
    UseBackground->setText(t("history.useBackground"));
    Statistics->setText(t("history.statistics"));
    Close->setText(t("history.close"));
    // Boxes and panes take their label's text as accessible name; buttons and the check box read
    // their captions.
    const std::pair<QWidget*, QLabel*> labelled[] = {{DeviceId, DeviceIdLabel}, {From, FromLabel}, {To, ToLabel},
                                                     {Verdict, VerdictLabel},   {Bench, BenchLabel},
                                                     {Recipe, RecipeLabel},     {DevicePattern, DevicePatternLabel},
                                                     {Settings, SettingsTitle}, {Figures, FiguresTitle}};
    for (const auto& [control, label] : labelled) {
        control->setAccessibleName(label->text());
        label->setBuddy(control);  // screen readers on Linux name a combo box by the label it has
    }
    List->setAccessibleName(t("history.list"));
    Channels->setAccessibleName(t("history.channelTable"));
    Plot->setAccessibleName(t("history.plot"));
    SetAside->setAccessibleName(t("history.setAsideName"));
    StatisticsView->retranslate(language);
}
