// The simulator's four-channel filter judged against the example CWDM limits (PASS), then 0.1 dB
// tighter on insertion loss (FAIL on the worst channel), and saved in the workbook and beside the CSV.

#include "e2e_bench.h"
#include "results/form2.h"
#include "test_paths.h"
#include "../results/test_workbook_reader.h"
#include "verdict/figures_output.h"
#include "verdict/verdict_controller.h"

#include <QComboBox>

using namespace verdict;

namespace {

class VerdictE2E : public LiveBench {
protected:
    // The background with the device out, then the device with it removed: the filter alone.
    void measureFilter()
    {
        f->StartStopSweep->click();  // over the laser's 1260-1340 nm at 100 nm/s, as the boxes stand
        f->Text7->setText(QStringLiteral("2001"));
        console("dut out");
        f->CheckVXMScanMode->click();
        f->TakeBackground->click();
        f->SingleMeasure->click();
        console("dut in");
        f->MeasureSpectrum->click();
        f->CheckRemoveBKG->click();
        f->Transmission->click();
        f->SingleMeasure->click();
        ASSERT_EQ(Module1.ChannelCount, 4) << infoText().toStdString();
    }
    QString shown(const char* name) { return bench->form2().findChild<QLabel*>(QString::fromLatin1(name))->text(); }
};

TEST_F(VerdictE2E, ExampleLimitsPassAndATighterInsertionLossFailsTheWorstChannel)
{
    measureFilter();
    VerdictController& v = bench->verdict();
    const QString example = QStringLiteral(VXM_SOURCE_DIR "/docs/examples/cwdm4-limits.json");
    ASSERT_TRUE(v.loadLimits(example)) << infoText().toStdString();
    ASSERT_TRUE(v.latest());
    EXPECT_EQ(bench->form2().findChild<QComboBox*>(QStringLiteral("ChannelPlan"))->currentIndex(), 1);
    EXPECT_EQ(shown("DeviceVerdict"), QStringLiteral("PASS")) << verdictText(*v.latest()).toStdString();

    // The worst channel is the last (1.2 dB); 0.1 dB off the example's limit fails it alone.
    const QByteArray limit = R"("insertion_loss": {"max": 1.25})";
    QByteArray json = fileBytes(example);
    ASSERT_TRUE(json.contains(limit));
    writeFileIn(logs.path(), "tight.json", json.replace(limit, R"("insertion_loss": {"max": 1.15})"));
    ASSERT_TRUE(v.loadLimits(QDir(logs.path()).filePath(QStringLiteral("tight.json"))));
    const DeviceVerdict& d = *v.latest();
    EXPECT_EQ(shown("DeviceVerdict"), QStringLiteral("FAIL"));
    EXPECT_EQ(shown("VerdictReason"), QStringLiteral("Failing: CH4 insertion_loss"));
    bench->form2().grab().save(QDir(testOutputDir()).filePath(QStringLiteral("verdict-form2-fail.png")));

    // The workbook: the described sheet, then "Figures"; the figures file beside the CSV.
    dialogs->answer = QDir(logs.path()).filePath(QStringLiteral("results.xlsx"));
    bench->form2().SaveAnalysis->click();
    const XlsxWorkbook book = readXlsx(dialogs->answer);
    EXPECT_EQ(book.sheetNames, (QStringList{QStringLiteral("VXMData"), QStringLiteral("Figures")}));
    const QString figuresSheetXml = xlsx_detail::part(dialogs->answer, "xl/worksheets/sheet2.xml").toString();
    EXPECT_TRUE(figuresSheetXml.contains(QStringLiteral(">insertion_loss<"))) << "the failing figure as text";
    EXPECT_TRUE(figuresSheetXml.contains(QStringLiteral(">1331<"))) << "the grid channel as a number";
    dialogs->answer = QDir(logs.path()).filePath(QStringLiteral("spectrum.csv"));
    bench->form2().SaveCSV->click();
    EXPECT_EQ(fileBytes(figuresCsvPath(dialogs->answer)), figuresCsv(d));
}

}  // namespace
