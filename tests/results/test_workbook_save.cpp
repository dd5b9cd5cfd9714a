// The Save Results and Save Spectrum buttons of the results window, on a bench with fakes.

#include "core/form1.h"
#include "bench_fixture.h"
#include "form_checks.h"
#include "results/form2.h"
#include "results/save_controller.h"
#include "results_support.h"
#include "test_workbook_reader.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace results_test;

namespace {

QString documents() { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }

class SaveButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module1.ChannelCount = 2;
        Module1.ChannelResults = {{0, 0, 0}, {1550.0F, 0.4F, -3.0F}, {0.0F, 0.0F, 0.0F}};
        Module1.ScanWL = {1550.0F, 1550.004F, 1550.008F};
        Module1.ScanValue = {-10.0F, -10.03125F, -11.0F};
        Module1.LastPointIndex = 2;
    }
    QString target(const QString& name) const { return out_.filePath(name); }
    // Clicks `button` with the operator typing `typed`; the proposed name must carry the click's time.
    XlsxWorkbook save(QPushButton* button, const QString& typed, const QString& proposedPrefix, const QString& written)
    {
        bench.dialogs->answer = target(typed);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        button->click();
        const auto match = QRegularExpression("^" + proposedPrefix + R"((\d{8}_\d{6})\.xlsx$)").match(bench.dialogs->lastProposedName);
        EXPECT_TRUE(match.hasMatch()) << bench.dialogs->lastProposedName.toStdString();
        const qint64 stamp = QDateTime::fromString(match.captured(1), "yyyyMMdd_HHmmss").toSecsSinceEpoch();
        EXPECT_TRUE(stamp >= before && stamp <= QDateTime::currentSecsSinceEpoch()) << stamp;
        return readXlsx(target(written));
    }

    ScratchHome home;
    FakeBench bench;
    QTemporaryDir out_;
};

}  // namespace

TEST_F(SaveButtons, SaveResultsAndSaveSpectrumProposeStampedNamesInTheDocumentsFolderAndWriteTheChoiceSilently)
{
    const QString infoBefore = bench->form1().DisplayInfo->toPlainText();
    const XlsxWorkbook book = save(bench->form2().SaveAnalysis, "run7", "VXM_Test_", "run7.xlsx");  // typed without extension
    EXPECT_TRUE(documents().startsWith(home.path()));
    EXPECT_EQ(bench.dialogs->lastFolder, documents());
    EXPECT_TRUE(QDir(documents()).exists());  // created for the dialog
    EXPECT_TRUE(bench.dialogs->lastFilter.contains("*.xlsx"));
    EXPECT_EQ(entries(out_.path()), QStringList{"run7.xlsx"});
    EXPECT_EQ(book.sheetNames, QStringList{"VXMData"});
    ASSERT_NE(book.cell(2, 2), nullptr);
    EXPECT_EQ(book.cell(2, 2)->number, 193.414);
    EXPECT_TRUE(bench.dialogs->warnings.isEmpty());
    EXPECT_EQ(bench->form1().DisplayInfo->toPlainText(), infoBefore);

    // Save Spectrum heads the columns after the ticked mode.
    Form1& f = bench->form1();
    tickQuietly({{f.CheckAlignMode, true}, {f.CheckVXMScanMode, false}});
    const XlsxWorkbook spectrum = save(bench->form2().SaveSpectrum, "power.xlsx", "VXM_Spectrum_", "power.xlsx");
    EXPECT_EQ(spectrum.sheetNames, QStringList{"Spectrum"});
    ASSERT_TRUE(spectrum.cell(1, 1) && spectrum.cell(2, 0));
    EXPECT_EQ(spectrum.cell(1, 1)->text, QStringLiteral(" Power (dBm)"));
    EXPECT_EQ(spectrum.lastRow(), 4);
    EXPECT_EQ(spectrum.cell(2, 0)->number, 1550.0);
}

TEST_F(SaveButtons, CancellingOrAnUnwritableChoiceWritesNothingAndStaysSilent)
{
    bench.dialogs->answer.clear();
    bench->form2().SaveAnalysis->click();
    bench->form2().SaveSpectrum->click();
    EXPECT_EQ(bench.dialogs->lastProposedName.left(13), "VXM_Spectrum_");  // the dialog was shown
    EXPECT_TRUE(entries(documents()).isEmpty());

    bench.dialogs->answer = target("no/such/folder/VXM_Test.xlsx");
    bench->form2().SaveAnalysis->click();
    // A name taken by a folder: the finished temporary cannot take its place and is removed.
    ASSERT_TRUE(QDir(out_.path()).mkpath("taken.xlsx/inside"));
    bench.dialogs->answer = target("taken.xlsx");
    bench->form2().SaveSpectrum->click();
    EXPECT_EQ(entries(out_.path()), QStringList{"taken.xlsx"});
    EXPECT_EQ(entries(target("taken.xlsx")), QStringList{"inside"});
    EXPECT_TRUE(bench.dialogs->warnings.isEmpty());
}

TEST_F(SaveButtons, AReloadedWindowSavesThroughItsOwnButtonsOnce)
{
    bench->form2();
    bench->unloadForm2();
    Form2& fresh = bench->form2();
    EXPECT_EQ(fresh.findChildren<SaveController*>().size(), 1);
    // Counts dialog requests: a leftover controller would ask twice.
    struct Counting final : UserDialogs {
        int asked = 0;
        QString answer;
        void warning(const QString&) override {}
        QString saveFileName(const QString&, const QString&, const QString&) override { return ++asked, answer; }
    };
    auto counting = std::make_unique<Counting>();
    Counting& dialogs = *counting;
    dialogs.answer = target("again.xlsx");
    auto previous = setDialogs(std::move(counting));
    fresh.SaveAnalysis->click();
    EXPECT_EQ(dialogs.asked, 1);
    setDialogs(std::move(previous));
    EXPECT_EQ(readXlsx(target("again.xlsx")).sheetNames, QStringList{"VXMData"});
}
