// The Statistics view over a simulated shift, held to the numbers worked out from its rows without
// the store; then the exports, the device pattern, and what a screen reader and the keyboard reach.
#include "records_rig.h"

#include "core/texts.h"
#include "records/statistics_controller.h"
#include "test_paths.h"
#include "verdict/device_verdict.h"
#include "../results/test_workbook_reader.h"

#include <QAccessible>
#include <QJsonDocument>

namespace {

using verdict::Figure;

const QDateTime kShiftStart(QDate(2026, 11, 3), QTime(6, 0), Qt::UTC);

// Insertion loss at most 3 dB, ripple at most 0.5 dB, bandwidth 13..17 nm.
verdict::Limits shiftLimits()
{
    verdict::Limits l;
    l.all[Figure::InsertionLoss] = {std::nullopt, 3.0};
    l.all[Figure::Ripple] = {std::nullopt, 0.5};
    l.all[Figure::Bandwidth] = {13.0, 17.0};
    return l;
}

struct Part {
    QString device;
    double il1, il2, ripple1;  // the figures that vary; the others follow from the part's number
};

// Ten minutes apart. DUT-06 fails twice, DUT-09 passes once reworked: 12 tested, 10 passed first, 11
// in the end; insertion_loss on channel 2 fails three times (75 %), ripple on channel 1 once.
const std::vector<Part> kShift = {
    {"DUT-01", 1.10, 1.30, 0.20}, {"DUT-02", 1.15, 1.25, 0.22}, {"DUT-03", 1.05, 1.40, 0.18},
    {"DUT-04", 1.20, 1.35, 0.25}, {"DUT-05", 1.12, 1.28, 0.21}, {"DUT-06", 1.30, 3.40, 0.30},
    {"DUT-06", 1.32, 3.38, 0.70}, {"DUT-07", 1.08, 1.33, 0.19}, {"DUT-08", 1.18, 1.31, 0.23},
    {"DUT-09", 1.11, 3.20, 0.20}, {"DUT-10", 1.14, 1.29, 0.24}, {"DUT-11", 1.09, 1.36, 0.17},
    {"DUT-09", 1.13, 2.10, 0.21}, {"DUT-12", 1.16, 1.32, 0.22},
};

MeasurementRecord shiftRecord(const Part& p, int index)
{
    std::vector<verdict::ChannelFigures> channels(2);
    for (int c = 0; c < 2; ++c) {
        verdict::ChannelFigures& f = channels[static_cast<std::size_t>(c)];
        f.centerNm = 1271.0 + 20.0 * c + 0.001 * (index % 5);
        f[Figure::InsertionLoss] = c == 0 ? p.il1 : p.il2;
        f[Figure::Ripple] = c == 0 ? p.ripple1 : 0.15 + 0.01 * (index % 3);
        f[Figure::Bandwidth] = 15.0 + 0.1 * (index % 4) - 0.05 * c;
    }
    const verdict::Limits limits = shiftLimits();
    const verdict::DeviceVerdict judged = verdict::judge(channels, &limits, verdict::Plan::None, {});
    MeasurementRecord r = recordOf(p.device, kShiftStart.addSecs(600 * index), 2, 1260.0F, 40.0F, [](int) { return -40.0F; });
    r.bench.hostName = QStringLiteral("bench-1");
    r.verdict = verdict::outcomeText(judged.outcome);
    r.figuresJson = verdict::figuresJson(judged);
    r.channels = {{1271.0F, 13.0F, -1.0F}, {1291.0F, 13.0F, -1.0F}};
    return r;
}

// The values of one figure of one channel in time order, straight from the parts.
std::vector<double> valuesOf(Figure figure, int channel)
{
    std::vector<double> out;
    for (std::size_t i = 0; i < kShift.size(); ++i) {
        const MeasurementRecord r = shiftRecord(kShift[i], static_cast<int>(i));
        const QJsonValue ch = QJsonDocument::fromJson(r.figuresJson.toUtf8())[QStringLiteral("channels")][channel - 1];
        out.push_back(ch[QStringLiteral("figures")][verdict::figureKey(figure)].toDouble());
    }
    return out;
}

class StatisticsViewTest : public HistoryRig {
protected:
    void SetUp() override
    {
        std::vector<MeasurementRecord> shift;
        for (std::size_t i = 0; i < kShift.size(); ++i) shift.push_back(shiftRecord(kShift[i], static_cast<int>(i)));
        open("shift.sqlite", shift);
        view = window.StatisticsView;
    }

    int rowOf(Figure figure, int channel) const
    {
        const auto& rows = controller->statistics().rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].figure == verdict::figureKey(figure) && rows[i].channel == channel) return static_cast<int>(i);
        return -1;
    }

    StatisticsWindow* view = nullptr;
};

TEST_F(StatisticsViewTest, NumbersOfASimulatedShiftEqualThoseWorkedOutFromItsRowsAndTheFiltersNarrowThem)
{
    window.Statistics->click();
    ASSERT_TRUE(view->isVisible());
    EXPECT_TRUE(view->Message->text().isEmpty()) << qPrintable(view->Message->text());
    EXPECT_EQ(view->Yield->text(), QStringLiteral("Tested 12   Passed 11   First-pass yield 83.3 %   Final yield 91.7 %"));

    // Every figure of both channels on port 0, each of the fourteen records' values.
    StatisticsController& s = controller->statistics();
    ASSERT_EQ(s.rows().size(), 2U * verdict::kFigureCount);
    for (Figure figure : {Figure::InsertionLoss, Figure::Ripple, Figure::Bandwidth})
        for (int channel : {1, 2}) {
            const int row = rowOf(figure, channel);
            ASSERT_GE(row, 0) << verdict::figureKey(figure).toStdString() << channel;
            const history::FigureRow& shown = s.rows()[static_cast<std::size_t>(row)];
            const std::vector<double> values = valuesOf(figure, channel);
            const stats::Summary expected = stats::describe(stats::summarize(values));
            const std::string what = verdict::figureKey(figure).toStdString() + " CH" + std::to_string(channel);
            EXPECT_EQ(std::tie(shown.port, shown.summary.count), std::make_tuple(0, std::int64_t{14})) << what;
            // The cells of the rows worked out here (the store's sums have their own test).
            const verdict::Bound bound = shiftLimits().all.at(figure);
            history::FigureRow own{0, channel, verdict::figureKey(figure), {bound.min, bound.max}, expected, {}};
            own.capability = stats::capability(expected, own.limits);
            ASSERT_TRUE(own.capability && own.capability->cpk) << what;
            for (int c = 0; c < history::kStatisticsColumns; ++c)
                EXPECT_EQ(view->Table->item(row, c)->text(), history::statisticsCells(own, 1)[c]) << what << " col " << c;
        }

    ASSERT_EQ(view->Pareto->rowCount(), 2);
    const QStringList bars[] = {{"insertion_loss", "2", "3", "75.0"}, {"ripple", "1", "1", "100.0"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(view->Pareto->item(r, c)->text(), bars[r][c]);

    // The device pattern and the dates narrow them.
    window.DevicePattern->setText(QStringLiteral("DUT-0*"));
    window.Statistics->click();
    // DUT-01 .. DUT-09: nine devices, DUT-06 and DUT-09 failing first, DUT-09 passing at last.
    const stats::Yield& yield = s.line().yield;
    EXPECT_EQ(std::tie(yield.tested, yield.passedFirst, yield.passed), std::make_tuple(9, 7, 8));

    window.DevicePattern->clear();
    window.From->setDate(kShiftStart.toLocalTime().date().addDays(1));
    window.Statistics->click();
    EXPECT_EQ(s.line().yield.tested, 0);
    EXPECT_EQ(view->Table->rowCount(), 0);
    EXPECT_EQ(view->Yield->text(), QStringLiteral("Tested 0   Passed 0   First-pass yield –   Final yield –"));
}

TEST_F(StatisticsViewTest, ChoosingAFigureDrawsItsChartsAndTheExportsWriteThemAndTheSheet)
{
    window.Statistics->click();
    StatisticsController& s = controller->statistics();
    ASSERT_TRUE(s.choose(rowOf(Figure::InsertionLoss, 2)));
    EXPECT_EQ(view->Chosen->text(), QStringLiteral("insertion_loss of channel 2, port 0"));
    // Fourteen values in the bins; the limit at 3 dB drawn in both charts.
    ASSERT_TRUE(s.histogram() && s.runChart());
    double binned = 0;
    for (const plot::Bar& b : s.histogram()->bars) binned += b.height;
    EXPECT_EQ(binned, 14.0);
    EXPECT_EQ(s.histogram()->limitLines, (std::vector<double>{3.0}));
    ASSERT_EQ(s.runChart()->points.size(), 14U);
    EXPECT_EQ(s.runChart()->points[5][1], 3.40F);
    // Mean 1.805, within σ 0.6765 (moving ranges 9.92 over 13, / 1.128): 3.40 and 3.38 lie 2.36σ
    // and 2.33σ above, and the second completes two of three beyond 2σ; 3.20 (2.06σ) comes alone.
    EXPECT_EQ(s.runChart()->marked, (std::vector<std::array<float, 2>>{s.runChart()->points[6]}));

    EXPECT_GT(pixelsOf(view->Histogram->Picture->persistentImage(), history::kBarColour, 0), 200);
    EXPECT_GT(pixelsOf(view->RunChart->Picture->persistentImage(), history::kMarkColour, 0), 20);
    EXPECT_TRUE(view->RunChart->Legend->isVisibleTo(view->RunChart));

    // The sheet and both charts exported.
    dialogs->answer = dir.filePath(QStringLiteral("shift"));
    view->ExportWorkbook->click();
    const XlsxWorkbook book = readXlsx(dir.filePath(QStringLiteral("shift.xlsx")), 1);
    EXPECT_EQ(book.sheetNames, QStringList{QStringLiteral("Statistics")});
    const history::FigureRow& first = s.rows().front();
    ASSERT_NE(book.cell(2, 4), nullptr);
    EXPECT_NEAR(book.cell(2, 4)->number, *first.summary.mean, 1e-12);
    EXPECT_EQ(book.cell(2, 2)->text, first.figure);

    for (QPushButton* save : {view->SaveHistogram, view->SaveRunChart}) {
        dialogs->answer = dir.filePath(save->objectName());
        save->click();
        const QImage saved(dialogs->answer + QStringLiteral(".png"));
        EXPECT_EQ(saved.size(), (save == view->SaveHistogram ? view->Histogram : view->RunChart)->size()) << qPrintable(save->objectName());
    }
    EXPECT_TRUE(view->Message->text().isEmpty());

    // The view as the operator sees it, in both languages, for people to look at.
    view->resize(view->sizeHint().expandedTo(view->size()));
    for (int language : {1, 2}) {
        Module1.Language = language;
        controller->retranslate();
        s.choose(rowOf(Figure::InsertionLoss, 2));
        EXPECT_TRUE(view->grab().save(testOutputDir() + (language == 1 ? "/statistics-en.png" : "/statistics-zh.png")));
    }

    EXPECT_FALSE(s.choose(static_cast<int>(s.rows().size())));  // no such row: empty charts
    EXPECT_EQ(pixelsOf(view->Histogram->Picture->persistentImage(), history::kBarColour, 0), 0);
}

TEST_F(StatisticsViewTest, ScreenReadersNameEveryControlInBothLanguagesAndTabReachesTheCharts)
{
    const struct { const char* key; QWidget* control; } named[] = {
        {"stats.refresh", view->Refresh},         {"stats.exportWorkbook", view->ExportWorkbook},
        {"stats.saveHistogram", view->SaveHistogram}, {"stats.saveRunChart", view->SaveRunChart},
        {"history.close", view->Close},           {"stats.table", view->Table},
        {"stats.pareto", view->Pareto},           {"stats.histogram", view->Histogram},
        {"stats.runChart", view->RunChart},       {"stats.yieldLine", view->Yield},
        {"stats.chosenFigure", view->Chosen},     {"stats.title", view},
    };
    for (int language : {1, 2}) {
        window.retranslate(language);
        for (const auto& n : named) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(n.control);
            EXPECT_EQ(a->text(QAccessible::Name), textIn(n.key, language)) << n.key << " in " << language;
            EXPECT_EQ(a->text(QAccessible::Description), n.control->objectName()) << n.key;
        }
    }

    window.Statistics->click();
    const std::vector<QWidget*> reached = tabRound(*view, view->Refresh);
    for (QWidget* w : std::initializer_list<QWidget*>{view->Table, view->Pareto, view->Histogram, view->RunChart,
                                                      view->ExportWorkbook, view->Close})
        EXPECT_NE(std::find(reached.begin(), reached.end(), w), reached.end()) << qPrintable(w->objectName());
}

}  // namespace
