// The Save Results and Save Spectrum buttons of the results window, on a bench with fakes.

#include "app/form1.h"
#include "app/info_box.h"
#include "bench_fixture.h"
#include "results/form2.h"
#include "results/save_controller.h"
#include "test_workbook_reader.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Points the user's home at a scratch folder, so the documents folder is one the test owns.
class ScratchHome {
public:
    ScratchHome()
    {
        qputenv("HOME", home_.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~ScratchHome()
    {
        qputenv("HOME", oldHome_);
        if (!oldConfig_.isEmpty()) qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
    QString path() const { return home_.path(); }

private:
    QTemporaryDir home_;
    QByteArray oldHome_ = qgetenv("HOME"), oldConfig_ = qgetenv("XDG_CONFIG_HOME");
};

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

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
    // Clicks `button` with the operator choosing `name`; the proposed name must carry the click's time.
    XlsxWorkbook save(QPushButton* button, const QString& name, const QString& proposedPrefix)
    {
        bench.dialogs->answer = target(name);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        button->click();
        const auto match = QRegularExpression("^" + proposedPrefix + R"((\d{8}_\d{6})\.xlsx$)").match(bench.dialogs->lastProposedName);
        EXPECT_TRUE(match.hasMatch()) << bench.dialogs->lastProposedName.toStdString();
        const qint64 stamp = QDateTime::fromString(match.captured(1), "yyyyMMdd_HHmmss").toSecsSinceEpoch();
        EXPECT_GE(stamp, before);
        EXPECT_LE(stamp, QDateTime::currentSecsSinceEpoch());
        return readXlsx(target(name));
    }

    FakeBench bench;
    ScratchHome home;
    QTemporaryDir out_;
};

}  // namespace

TEST_F(SaveButtons, SaveResultsProposesAStampedNameInTheDocumentsFolderAndWritesTheChoice)
{
    const QString infoBefore = bench->form1().DisplayInfo->toPlainText();
    const XlsxWorkbook book = save(bench->form2().SaveAnalysis, "chosen.xlsx", "VXM_Test_");
    EXPECT_TRUE(documents().startsWith(home.path()));
    EXPECT_EQ(bench.dialogs->lastFolder, documents());
    EXPECT_TRUE(QDir(documents()).exists());  // created for the dialog
    EXPECT_TRUE(bench.dialogs->lastFilter.contains("*.xlsx"));
    EXPECT_EQ(book.sheetNames, QStringList{"VXMData"});
    ASSERT_NE(book.cell(2, 2), nullptr);
    EXPECT_EQ(book.cell(2, 2)->number, 193.414);
    EXPECT_EQ(book.cell(3, 0)->number, 0.0);
    // Nothing is told to the operator.
    EXPECT_TRUE(bench.dialogs->warnings.isEmpty());
    EXPECT_EQ(bench->form1().DisplayInfo->toPlainText(), infoBefore);
}

TEST_F(SaveButtons, SaveSpectrumNamesItsFileAndHeadsTheColumnsAfterTheTickedMode)
{
    Form1& f = bench->form1();
    const struct { bool align, scan; const char* file; const char* heading; } rows[] = {
        {true, false, "power.xlsx", " Power (dBm)"}, {true, true, "both.xlsx", " IL (dB)"},
        {false, false, "neither.xlsx", nullptr}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        for (auto [box, on] : {std::pair(f.CheckAlignMode, r.align), std::pair(f.CheckVXMScanMode, r.scan)}) {
            const QSignalBlocker quiet(box);
            box->setChecked(on);
        }
        const XlsxWorkbook book = save(bench->form2().SaveSpectrum, r.file, "VXM_Spectrum_");
        EXPECT_EQ(book.sheetNames, QStringList{"Spectrum"});
        const XlsxCell* heading = book.cell(1, 1);
        EXPECT_EQ(heading == nullptr ? "(no cell)" : heading->text, r.heading == nullptr ? "(no cell)" : r.heading);
        EXPECT_EQ(book.lastRow(), 4);
        ASSERT_NE(book.cell(3, 1), nullptr);
        EXPECT_EQ(book.cell(3, 1)->number, -10.0313);
        EXPECT_EQ(book.cell(2, 0)->number, 1550.0);
    }
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

TEST_F(SaveButtons, ANameTypedWithoutExtensionGetsTheWorkbookOne)
{
    bench.dialogs->answer = target("run7");
    bench->form2().SaveAnalysis->click();
    EXPECT_EQ(entries(out_.path()), QStringList{"run7.xlsx"});
    EXPECT_EQ(readXlsx(target("run7.xlsx")).sheetNames, QStringList{"VXMData"});
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
