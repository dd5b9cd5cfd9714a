// The verdict on the results window with fakes: figures, the plan remembered, limits taken or refused.

#include "bench_fixture.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "measure/measure_controller.h"
#include "results/form2.h"
#include "../results/results_support.h"
#include "test_paths.h"
#include "verdict/figures_output.h"
#include "verdict/verdict_controller.h"

#include <QComboBox>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace verdict;

namespace {

class VerdictOnWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        results_test::loadSpectrum();  // three channels, 1532 to 1548 nm
        Module1.ChannelSelect = 1;
    }
    VerdictController& verdict() { return bench->verdict(); }
    QString limitsFile(const char* name, const QByteArray& json)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        results_test::writeFile(path, json);
        return path;
    }
    template <typename W>
    W* control(const char* name) { return bench->form2().findChild<W*>(QString::fromLatin1(name)); }

    FakeBench bench;
    QTemporaryDir dir;
};

TEST_F(VerdictOnWindow, FiguresFollowTheAnalysisLimitsAreTakenOrRefusedAndThePlanIsRemembered)
{
    QSignalSpy evaluated(&verdict(), &VerdictController::evaluated);
    emit bench->measure().channelsAnalysed();
    ASSERT_EQ(evaluated.size(), 1);
    EXPECT_EQ(verdict().latest()->outcome, Outcome::NotJudged);
    auto* grid = control<QTableWidget>("FiguresGrid");
    EXPECT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("-")) << "no plan, no grid channel";
    EXPECT_TRUE(control<QLabel>("DeviceVerdict")->text().isEmpty());

    ASSERT_TRUE(verdict().loadLimits(limitsFile("three.json", R"({"plan": "none", "channels": 3,
        "all": {"insertion_loss": {"max": 40}}})")));
    EXPECT_EQ(verdict().latest()->outcome, Outcome::Pass);
    EXPECT_EQ(control<QLabel>("LimitsName")->text(), QStringLiteral("Limits: three.json"));

    // Refused: the reason and line in the information box, the previous limits still in force.
    EXPECT_FALSE(verdict().loadLimits(limitsFile("bad.json", "{\n \"all\": {\n  \"ripple\": {\"min\": 2, \"max\": 1}\n }\n}")));
    EXPECT_EQ(bench->info().text(), QStringLiteral("Limits file refused, line 3: min above max for \"ripple\""));
    EXPECT_FALSE(verdict().loadLimits(dir.filePath(QStringLiteral("missing.json"))));
    EXPECT_TRUE(bench->info().text().startsWith(QStringLiteral("The limits file cannot be read:")));
    EXPECT_EQ(verdict().latest()->outcome, Outcome::Pass);

    // Through the button, in Chinese.
    bench.dialogs->answer = limitsFile("four.json", R"({"channels": 4})");
    bench->form1().LanguageButton->click();
    control<QPushButton>("LoadLimits")->click();
    EXPECT_EQ(verdict().latest()->outcome, Outcome::Fail);
    EXPECT_EQ(control<QLabel>("VerdictReason")->text(), QStringLiteral("不合格项：找到 3 个通道，应为 4 个"));
    bench->form2().grab().save(QDir(testOutputDir()).filePath(QStringLiteral("verdict-form2-chinese.png")));

    // The plan by hand: the same trace judged again, and remembered.
    const auto judged = evaluated.size();
    control<QComboBox>("ChannelPlan")->setCurrentIndex(2);  // DWDM 100 GHz
    EXPECT_EQ(evaluated.size(), judged + 1);
    EXPECT_EQ(verdict().latest()->plan, Plan::Dwdm100);
    EXPECT_NE(control<QTableWidget>("FiguresGrid")->item(0, 2)->text(), QStringLiteral("-"));

    bench->unloadForm2();
    EXPECT_EQ(control<QComboBox>("ChannelPlan")->currentIndex(), 2);
    QSettings same(bench.settingsDir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    const VerdictController again(bench->form1(), bench->info(), same);
    EXPECT_EQ(again.plan(), Plan::Dwdm100);
}

TEST_F(VerdictOnWindow, MarginalFiguresAreListedBelowTheFailuresAndTheMaskMarginIsTheLastColumn)
{
    emit bench->measure().channelsAnalysed();
    // Every channel's loss meets the 40 dB limit but lies within its 39.99 dB guard.
    ASSERT_TRUE(verdict().loadLimits(limitsFile("guard.json", R"({"channels": 4,
        "all": {"insertion_loss": {"max": 40, "guard": 39.99}}})")));
    EXPECT_EQ(control<QLabel>("VerdictReason")->text(),
              QStringLiteral("Failing: 3 of 4 channels found\nMarginal: CH1 insertion_loss; CH2 insertion_loss; "
                             "CH3 insertion_loss"));
    auto* grid = control<QTableWidget>("FiguresGrid");
    EXPECT_EQ(grid->horizontalHeaderItem(grid->columnCount() - 1)->text(), QStringLiteral("Mask margin (dB)"));
    EXPECT_EQ(grid->item(0, grid->columnCount() - 1)->text(), QStringLiteral("-")) << "no mask";
    EXPECT_EQ(grid->item(0, kVerdictColumn)->text(), QStringLiteral("PASS")) << "the device fails on its count";
}

}  // namespace
