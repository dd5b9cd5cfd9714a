// The History window on a few records: filters, opening, the overlay's cap, exports, screen readers, Tab.
#include "records_rig.h"

#include "core/texts.h"
#include "records/history_host.h"
#include "../results/test_workbook_reader.h"

#include <QAccessible>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

const QDateTime kStart(QDate(2026, 11, 2), QTime(8, 0), Qt::UTC);

// A device's insertion-loss dip centred on `centre`, 401 points over 1530..1550 nm.
MeasurementRecord dip(const char* device, const char* host, const char* verdict, int minutesLater, double centre)
{
    const auto loss = [centre](int i) {
        return static_cast<float>(-2.0 - 10.0 * std::exp(-std::pow((1530.0 + 0.05 * i - centre) / 1.5, 2)));
    };
    MeasurementRecord r = recordOf(QString::fromLatin1(device), kStart.addSecs(60 * minutesLater), 401, 1530.0F, 0.05F, loss);
    r.bench.hostName = QString::fromLatin1(host);
    r.verdict = QString::fromLatin1(verdict);
    r.channels = {{static_cast<float>(centre), 0.4F, -12.5F}};
    return r;
}

// What a screen reader calls a control: the text of the label that labels it, else its name.
QString spokenName(QAccessibleInterface* control)
{
    const auto labels = control->relations(QAccessible::Label);
    return labels.isEmpty() ? control->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name);
}

// The first control from `root` down that a screen reader calls `name`; labels are passed over.
QObject* accessibleNamed(QAccessibleInterface* root, const QString& name)
{
    if (root->role() != QAccessible::StaticText && spokenName(root) == name) return root->object();
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* child = root->child(i))
            if (QObject* found = accessibleNamed(child, name)) return found;
    return nullptr;
}

class HistoryWindowTest : public HistoryRig {
protected:
    void SetUp() override
    {
        open("records.sqlite", {dip("DUT-A", "bench-1", "PASS", 0, 1536.0), dip("DUT-B", "bench-2", "FAIL", 10, 1540.0),
                                dip("DUT-A", "bench-2", "", 20, 1538.0), dip("DUT-C", "bench-1", "PASS", 30, 1542.0),
                                dip("DUT-A", "bench-1", "FAIL", 40, 1544.0), dip("DUT-D", "bench-2", "PASS", 50, 1546.0)});
        window.CurrentTrace->setChecked(false);
    }

    // Lists every record (newest first) and selects the rows of `which`.
    void select(std::initializer_list<std::int64_t> which)
    {
        controller->search();
        for (int row = 0; row < window.List->rowCount(); ++row)
            if (std::find(which.begin(), which.end(), ids[ids.size() - 1 - static_cast<std::size_t>(row)]) != which.end())
                window.List->selectionModel()->select(window.List->model()->index(row, 0),
                                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
};

TEST_F(HistoryWindowTest, FiltersListTheRightRecordsNewestFirstWithTheirCount)
{
    const QDate any = HistoryWindow::anyDate(), day = kStart.toLocalTime().date();
    struct Case {
        const char *device, *bench;
        int verdict;                // (any), PASS, FAIL, (none)
        QDate from, to;             // whole local days
        std::vector<int> expected;  // indices into ids, newest first
    };
    const Case cases[] = {
        {"DUT-A", nullptr, 0, any, any, {4, 2, 0}},      {" DUT-A ", nullptr, 2, any, any, {4}},
        {"", nullptr, 3, any, any, {2}},                 {"", "bench-1", 1, any, any, {3, 0}},
        {"DUT-Z", nullptr, 0, any, any, {}},             {"", nullptr, 0, any, day.addDays(-1), {}},
        {"", nullptr, 0, day, day, {5, 4, 3, 2, 1, 0}},  {"", nullptr, 0, day.addDays(1), any, {}},
    };
    controller->refreshBenches();
    ASSERT_EQ(window.Bench->count(), 3);  // (any), bench-1, bench-2
    for (const Case& c : cases) {
        window.DeviceId->setText(QString::fromLatin1(c.device));
        window.Verdict->setCurrentIndex(c.verdict);
        window.Bench->setCurrentIndex(c.bench ? window.Bench->findText(QString::fromLatin1(c.bench)) : 0);
        window.From->setDate(c.from);
        window.To->setDate(c.to);
        window.Search->click();
        ASSERT_EQ(window.List->rowCount(), static_cast<int>(c.expected.size())) << c.device;
        for (int row = 0; row < window.List->rowCount(); ++row)  // each its own minute, at offset 0
            EXPECT_EQ(window.List->item(row, 0)->text(),
                      kStart.addSecs(600 * c.expected[row]).toString("yyyy-MM-dd HH:mm:ss")) << c.device;
        EXPECT_EQ(window.Count->text(), QStringLiteral("%1 records").arg(c.expected.size())) << c.device;
    }
}

TEST_F(HistoryWindowTest, OpeningARecordShowsAndPlotsItAndTheOverlayTakesFourInDistinctColoursBesideTheCurrentTrace)
{
    const QImage blank = window.Plot->Picture->persistentImage().copy();
    ASSERT_TRUE(controller->open(ids[1]));
    EXPECT_TRUE(window.Settings->toPlainText().contains(QStringLiteral("Device ID: DUT-B")));
    ASSERT_EQ(window.Channels->rowCount(), 1);
    EXPECT_EQ(window.Channels->item(0, 1)->text(), QStringLiteral("1540.000"));
    EXPECT_EQ(window.Figures->toPlainText(), QStringLiteral("Verdict: FAIL"));

    EXPECT_EQ(pixelsOf(blank, history::kOpenedColour), 0);
    EXPECT_GT(pixelsOf(window.Plot->Picture->persistentImage(), history::kOpenedColour), window.Plot->Picture->width() / 2);
    EXPECT_TRUE(window.Plot->Legend->text().contains(QStringLiteral("#%1 DUT-B").arg(ids[1])));

    EXPECT_FALSE(controller->open(ids.back() + 100));  // no such record
    EXPECT_EQ(controller->openedId(), ids[1]);

    // The overlay takes four records, the opened one among them drawn once, beside the current trace.
    current.points = {{1531.0F, -5.0F}, {1549.0F, -6.0F}};
    window.CurrentTrace->setChecked(true);
    select({ids[0], ids[1], ids[2], ids[3], ids[4]});
    ASSERT_EQ(controller->selectedIds().size(), 5U);
    EXPECT_FALSE(controller->addSelectedToOverlay());
    EXPECT_EQ(controller->overlay().size(), 4);
    EXPECT_EQ(window.Message->text(), QStringLiteral("At most four records can be overlaid"));

    const std::vector<history::Trace> traces = controller->plottedTraces();
    ASSERT_EQ(traces.size(), 5U);
    EXPECT_EQ(traces.back().colour, history::kCurrentTraceColour);
    // Each trace is drawn in its own colour (the overlay's colours are told apart in its own test).
    for (const history::Trace& t : traces) EXPECT_GT(pixelsOf(window.Plot->Picture->persistentImage(), t.colour), 50) << std::hex << t.colour;

    controller->clearOverlay();
    window.CurrentTrace->setChecked(false);
    EXPECT_EQ(pixelsOf(window.Plot->Picture->persistentImage(), history::kCurrentTraceColour), 0);
}

TEST_F(HistoryWindowTest, ExportsWriteOneSheetPerSelectedRecordAndOneCsv)
{
    select({ids[0], ids[3]});
    const MeasurementRecord newer = *store.load(ids[3]);
    const MeasurementRecord older = *store.load(ids[0]);

    dialogs->answer = dir.filePath(QStringLiteral("two"));
    window.ExportWorkbook->click();
    const QString book = dir.filePath(QStringLiteral("two.xlsx"));
    EXPECT_EQ(readXlsx(book, 1).sheetNames, (QStringList{history::sheetName(newer), history::sheetName(older)}));
    for (int sheet : {1, 2}) {
        const MeasurementRecord& r = sheet == 1 ? newer : older;
        const XlsxWorkbook read = readXlsx(book, sheet);
        ASSERT_EQ(read.lastRow(), 402) << sheet;  // the header and 401 points
        EXPECT_EQ(read.cell(202, 1)->number, roundHalfAway(r.values[200], 4)) << sheet;
    }

    dialogs->answer = dir.filePath(QStringLiteral("two.csv"));
    window.ExportCsv->click();
    QFile csv(dialogs->answer);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll(), history::recordsCsv({newer, older}));
    EXPECT_TRUE(window.Message->text().isEmpty());

    dialogs->answer = dir.filePath(QStringLiteral("missing/folder.xlsx"));
    window.ExportWorkbook->click();
    EXPECT_EQ(window.Message->text(), QStringLiteral("The export could not be written to\r\n%1").arg(dialogs->answer));
}

TEST_F(HistoryWindowTest, HistoryButtonOpensTheWindowOnTheStoreAndABadAddressIsNamed)
{
    Form1 main;
    HistoryHost host(main, dir.filePath(QStringLiteral("records.sqlite")));
    EXPECT_EQ(host.window(), nullptr);  // nothing is made before the first click
    main.HistoryButton->click();
    ASSERT_NE(host.window(), nullptr);
    EXPECT_EQ(host.window()->List->rowCount(), 6);

    Module1.Language = 2;
    main.LanguageButton->setChecked(true);  // the language switch itself is not wired here
    EXPECT_EQ(host.window()->Count->text(), QStringLiteral("共 6 条记录"));

    Form1 other;
    HistoryHost broken(other, QStringLiteral("postgresql://bench@:notaport/vxm"));
    other.HistoryButton->click();
    EXPECT_TRUE(broken.window()->Message->text().startsWith(textIn("history.storeFailed", 2).arg(QString())));
    EXPECT_FALSE(broken.window()->Message->text().endsWith(u'：'));  // the cause is named
    EXPECT_EQ(broken.window()->List->rowCount(), 0);
}

TEST_F(HistoryWindowTest, ScreenReadersFindEveryControlByNameAndTabReachesTheListAndThePlot)
{
    const struct { const char* key; QWidget* control; } named[] = {
        {"history.deviceId", window.DeviceId},      {"history.from", window.From},
        {"history.to", window.To},                  {"history.verdict", window.Verdict},
        {"history.bench", window.Bench},            {"history.search", window.Search},
        {"history.list", window.List},              {"history.settings", window.Settings},
        {"history.channelTable", window.Channels},  {"history.figures", window.Figures},
        {"history.plot", window.Plot},              {"history.open", window.Open},
        {"history.overlayAdd", window.OverlayAdd},  {"history.overlayClear", window.OverlayClear},
        {"history.currentTrace", window.CurrentTrace}, {"history.exportWorkbook", window.ExportWorkbook},
        {"history.exportCsv", window.ExportCsv},    {"history.close", window.Close},
        {"history.recipe", window.Recipe},          {"history.devicePattern", window.DevicePattern},
        {"history.statistics", window.Statistics},
    };
    for (int language : {1, 2}) {
        window.retranslate(language);
        for (const auto& n : named)
            EXPECT_EQ(accessibleNamed(QAccessible::queryAccessibleInterface(&window), textIn(n.key, language)), n.control)
                << n.key << " in language " << language;
    }
    // Every control, labels included, carries its code name as description; all but the two
    // message labels (empty until there is something to say) have a name to read.
    for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QString code = w->objectName();
        EXPECT_FALSE(code.isEmpty()) << w->metaObject()->className();
        EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description), code);
        const bool silent = w == window.Count || w == window.Message;
        EXPECT_TRUE(silent || !spokenName(QAccessible::queryAccessibleInterface(w)).isEmpty())
            << qPrintable(code);
    }

    // A listed and selected record must not hold Tab in the list.
    select({ids[0]});
    const std::vector<QWidget*> reached = tabRound(window, window.DeviceId);
    // Where the focus first lands in `w` (a date box's editing field, say).
    const auto at = [&reached](QWidget* w) {
        return std::ranges::find_if(reached, [w](QWidget* f) { return f == w || w->isAncestorOf(f); }) - reached.begin();
    };
    EXPECT_LT(at(window.Search), at(window.List));
    EXPECT_LT(at(window.List), at(window.Plot));
    EXPECT_LT(at(window.Plot), at(window.Close));
}

}  // namespace
