// The History window in the whole program: devices measured under their IDs, the window opened
// from the main window, one ID filtered, its two traces overlaid on the current one and exported.
#include "../measure/scan_bench.h"
#include "../results/test_workbook_reader.h"

#include "records/history_host.h"
#include "records/history_window.h"
#include "records/record_writer.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

TEST(HistoryWorkflow, MeasuredDevicesAreFilteredOverlaidAndExported)
{
    QTemporaryDir dir;
    FakeBench b(true, dir.filePath(QStringLiteral("records.sqlite")), dir.filePath(QStringLiteral("spool.sqlite")));
    Form1& f = b->form1();
    EXPECT_TRUE(f.HistoryButton->isEnabled());
    f.CheckVXMScanMode->setChecked(true);
    prepareScan(b);
    b.library->point = onePeakAt1300;
    for (const char* device : {"DUT-1", "DUT-2", "DUT-1", "DUT-3"}) {
        f.DeviceId->setText(QString::fromLatin1(device));
        f.SingleMeasure->click();
    }
    RecordWriter* writer = b->records();
    ASSERT_TRUE(writer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return writer->status().storeUp && writer->status().waiting == 0; }, 10000));

    f.HistoryButton->click();
    HistoryWindow* w = b->history()->window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->List->rowCount(), 4);
    w->DeviceId->setText(QStringLiteral("DUT-1"));
    w->Search->click();
    ASSERT_EQ(w->List->rowCount(), 2);
    EXPECT_EQ(w->Count->text(), QStringLiteral("2 records"));

    w->List->selectAll();
    EXPECT_TRUE(b->history()->controller()->addSelectedToOverlay());
    const std::vector<history::Trace> traces = b->history()->controller()->plottedTraces();
    ASSERT_EQ(traces.size(), 3U);  // both DUT-1 records and the last spectrum measured (DUT-3's)
    EXPECT_EQ(traces[2].colour, history::kCurrentTraceColour);
    EXPECT_EQ(traces[2].points.size(), static_cast<std::size_t>(Module1.LastPointIndex + 1));
    EXPECT_EQ(traces[0].points, traces[2].points);  // the fake module measures the same spectrum each time

    b.dialogs->answer = dir.filePath(QStringLiteral("dut1.xlsx"));
    w->ExportWorkbook->click();
    const QStringList sheets = readXlsx(b.dialogs->answer).sheetNames;
    ASSERT_EQ(sheets.size(), 2);
    for (const QString& name : sheets) EXPECT_TRUE(name.endsWith(QStringLiteral(" DUT-1"))) << name.toStdString();
    EXPECT_EQ(readXlsx(b.dialogs->answer, 2).lastRow(), 2002);  // the header and 2001 points
}
