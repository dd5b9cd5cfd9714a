// The verdict on the simulated bench: the simulator's four-channel filter measured, judged against
// the example CWDM limits (PASS), then against the same limits 0.1 dB tighter on insertion loss
// (FAIL on the worst channel), and saved in the workbook and beside the CSV.

#include "e2e_bench.h"
#include "test_paths.h"
#include "results/form2.h"
#include "../results/test_workbook_reader.h"
#include "verdict/figures_output.h"
#include "verdict/verdict_controller.h"

#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

using namespace verdict;

namespace {

class VerdictE2E : public LiveBench {
protected:
    // Background with the device out, then its spectrum with the background removed: the filter
    // alone (sim/bench_model.cpp), 1260 to 1340 nm in 2001 points.
    void measureFilter()
    {
        f->StartStopSweep->click();
        f->Text1->setText(QStringLiteral("1260"));
        f->Text2->setText(QStringLiteral("1340"));
        f->Text3->setText(QStringLiteral("100"));
        f->Text6->setText(QStringLiteral("1"));
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
    QString writeLimits(const QByteArray& json)
    {
        const QString path = QDir(logs.path()).filePath(QStringLiteral("tight.json"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return path;
    }
    void screenshot(const char* name) { bench->form2().grab().save(QDir(testOutputDir()).filePath(QString::fromLatin1(name))); }
    QString shown(const char* name) { return bench->form2().findChild<QLabel*>(QString::fromLatin1(name))->text(); }
};

TEST_F(VerdictE2E, ExampleLimitsPassAndATighterInsertionLossFailsTheWorstChannel)
{
    measureFilter();
    VerdictController& v = bench->verdict();
    const QString example = QStringLiteral(VXM_SOURCE_DIR "/docs/examples/cwdm4-limits.json");
    ASSERT_TRUE(v.loadLimits(example)) << infoText().toStdString();
    ASSERT_TRUE(v.latest());
    EXPECT_EQ(v.latest()->plan, Plan::Cwdm);
    EXPECT_EQ(bench->form2().findChild<QComboBox*>(QStringLiteral("ChannelPlan"))->currentIndex(), 1);
    EXPECT_EQ(v.latest()->outcome, Outcome::Pass) << verdictText(*v.latest()).toStdString();
    EXPECT_EQ(shown("DeviceVerdict"), QStringLiteral("PASS"));
    screenshot("verdict-form2-pass.png");

    // The worst channel is the last (1.2 dB); 0.1 dB off the example's limit fails it alone.
    QFile file(example);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject limits = QJsonDocument::fromJson(file.readAll()).object();
    QJsonObject all = limits[QStringLiteral("all")].toObject();
    QJsonObject il = all[QStringLiteral("insertion_loss")].toObject();
    il[QStringLiteral("max")] = il[QStringLiteral("max")].toDouble() - 0.1;
    all[QStringLiteral("insertion_loss")] = il;
    limits[QStringLiteral("all")] = all;
    ASSERT_TRUE(v.loadLimits(writeLimits(QJsonDocument(limits).toJson())));
    const DeviceVerdict& d = *v.latest();
    EXPECT_EQ(d.outcome, Outcome::Fail);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(d.channels[k].outcome, Outcome::Pass) << verdictText(d).toStdString();
    EXPECT_EQ(d.channels[3].failing, std::vector<Figure>{Figure::InsertionLoss});
    EXPECT_EQ(shown("DeviceVerdict"), QStringLiteral("FAIL"));
    EXPECT_EQ(shown("VerdictReason"), QStringLiteral("Failing: CH4 insertion_loss"));
    screenshot("verdict-form2-fail.png");

    // The results workbook: the described sheet first, then "Figures"; the figures file beside the CSV.
    dialogs->answer = QDir(logs.path()).filePath(QStringLiteral("results.xlsx"));
    bench->form2().SaveAnalysis->click();
    const XlsxWorkbook book = readXlsx(dialogs->answer);
    EXPECT_EQ(book.sheetNames, (QStringList{QStringLiteral("VXMData"), QStringLiteral("Figures")}));
    EXPECT_EQ(book.lastRow(), 5) << "the described sheet: header and four channels";
    const QString figuresSheetXml = xlsx_detail::part(dialogs->answer, "xl/worksheets/sheet2.xml").toString();
    EXPECT_TRUE(figuresSheetXml.contains(QStringLiteral(">insertion_loss<"))) << "the failing figure as text";
    EXPECT_TRUE(figuresSheetXml.contains(QStringLiteral(">1331<"))) << "the grid channel as a number";
    dialogs->answer = QDir(logs.path()).filePath(QStringLiteral("spectrum.csv"));
    bench->form2().SaveCSV->click();
    QFile figures(figuresCsvPath(dialogs->answer));
    ASSERT_TRUE(figures.open(QIODevice::ReadOnly));
    EXPECT_EQ(figures.readAll(), figuresCsv(d));
    EXPECT_EQ(QSettings(QDir(logs.path()).filePath(QStringLiteral("settings.ini")), QSettings::IniFormat)
                  .value(QStringLiteral("verdict/plan")),
              QStringLiteral("cwdm"));
}

}  // namespace
