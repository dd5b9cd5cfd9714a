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
    ScratchHome() : oldHome_(qgetenv("HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", home_.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~ScratchHome()
    {
        qputenv("HOME", oldHome_);
        if (oldConfig_.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
        else qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
    QString path() const { return home_.path(); }

private:
    QTemporaryDir home_;
    QByteArray oldHome_, oldConfig_;
};

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void setQuietly(QCheckBox* box, bool on)
{
    const QSignalBlocker quiet(box);
    box->setChecked(on);
}

// The time stamp inside a proposed name, checked to lie within the click.
void expectStampedName(const QString& name, const QString& prefix, const QDateTime& before, const QDateTime& after)
{
    const QRegularExpression pattern("^" + prefix + R"((\d{8}_\d{6})\.xlsx$)");
    const auto match = pattern.match(name);
    ASSERT_TRUE(match.hasMatch()) << name.toStdString();
    const QDateTime stamp = QDateTime::fromString(match.captured(1), "yyyyMMdd_HHmmss");
    EXPECT_GE(stamp.toSecsSinceEpoch(), before.toSecsSinceEpoch());
    EXPECT_LE(stamp.toSecsSinceEpoch(), after.toSecsSinceEpoch());
}

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

    FakeBench bench;
    ScratchHome home;
    QTemporaryDir out_;
};

}  // namespace

TEST_F(SaveButtons, SaveResultsProposesAStampedNameInTheDocumentsFolderAndWritesTheChoice)
{
    bench.dialogs->answer = target("chosen.xlsx");
    const QString infoBefore = bench->form1().DisplayInfo->toPlainText();
    const QDateTime before = QDateTime::currentDateTime();
    bench->form2().SaveAnalysis->click();
    const QDateTime after = QDateTime::currentDateTime();

    expectStampedName(bench.dialogs->lastProposedName, "VXM_Test_", before, after);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_TRUE(documents.startsWith(home.path()));
    EXPECT_EQ(bench.dialogs->lastFolder, documents);
    EXPECT_TRUE(QDir(documents).exists());  // created for the dialog
    EXPECT_TRUE(bench.dialogs->lastFilter.contains("*.xlsx"));

    const XlsxWorkbook book = readXlsx(target("chosen.xlsx"));
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
    setQuietly(f.CheckAlignMode, true);
    setQuietly(f.CheckVXMScanMode, false);
    bench.dialogs->answer = target("power.xlsx");
    const QDateTime before = QDateTime::currentDateTime();
    bench->form2().SaveSpectrum->click();
    expectStampedName(bench.dialogs->lastProposedName, "VXM_Spectrum_", before, QDateTime::currentDateTime());
    XlsxWorkbook book = readXlsx(target("power.xlsx"));
    EXPECT_EQ(book.sheetNames, QStringList{"Spectrum"});
    ASSERT_NE(book.cell(1, 1), nullptr);
    EXPECT_EQ(book.cell(1, 1)->text, " Power (dBm)");
    EXPECT_EQ(book.lastRow(), 4);
    EXPECT_EQ(book.cell(3, 1)->number, -10.0313);

    setQuietly(f.CheckVXMScanMode, true);
    bench.dialogs->answer = target("both.xlsx");
    bench->form2().SaveSpectrum->click();
    book = readXlsx(target("both.xlsx"));
    ASSERT_NE(book.cell(1, 1), nullptr);
    EXPECT_EQ(book.cell(1, 1)->text, " IL (dB)");

    setQuietly(f.CheckAlignMode, false);
    setQuietly(f.CheckVXMScanMode, false);
    bench.dialogs->answer = target("neither.xlsx");
    bench->form2().SaveSpectrum->click();
    book = readXlsx(target("neither.xlsx"));
    EXPECT_EQ(book.cell(1, 0), nullptr);
    ASSERT_NE(book.cell(2, 0), nullptr);
    EXPECT_EQ(book.cell(2, 0)->number, 1550.0);
}

TEST_F(SaveButtons, CancellingTheDialogWritesNothing)
{
    bench.dialogs->answer.clear();
    bench->form2().SaveAnalysis->click();
    bench->form2().SaveSpectrum->click();
    EXPECT_EQ(bench.dialogs->lastProposedName.left(13), "VXM_Spectrum_");  // the dialog was shown
    EXPECT_TRUE(entries(out_.path()).isEmpty());
    EXPECT_TRUE(entries(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).isEmpty());
    EXPECT_TRUE(bench.dialogs->warnings.isEmpty());
}

TEST_F(SaveButtons, AnUnwritableChoiceWritesNothingAndStaysSilent)
{
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
    int asked = 0;
    class Counting final : public UserDialogs {
    public:
        Counting(int& n, QString a) : n_(n), answer_(std::move(a)) {}
        void warning(const QString&) override {}
        QString saveFileName(const QString&, const QString&, const QString&) override { return ++n_, answer_; }

    private:
        int& n_;
        QString answer_;
    };
    auto previous = setDialogs(std::make_unique<Counting>(asked, target("again.xlsx")));
    fresh.SaveAnalysis->click();
    setDialogs(std::move(previous));

    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readXlsx(target("again.xlsx")).sheetNames, QStringList{"VXMData"});
}
