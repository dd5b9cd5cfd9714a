#include "../results/results_support.h"
#include "core/form1.h"
#include "core/texts.h"
#include "bench_fixture.h"
#include "measure/channel_analysis_step.h"
#include "measure/results_table.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/repeat_statistics_panel.h"
#include "results/repeat_statistics_tracker.h"
#include "test_paths.h"
#include "widgets/uc_label_rotate.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTableWidget>

#include <algorithm>

TEST(Language, SwitchingLeavesTheResultsWindowHiddenAndReloadsItAfterClose)
{
    FakeBench b;
    b->form1().LanguageButton->click();
    ASSERT_NE(b->loadedForm2(), nullptr);
    EXPECT_FALSE(b->loadedForm2()->isVisible());
    b->unloadForm2();
    EXPECT_EQ(b->loadedForm2(), nullptr);
    b->form1().Text8->setText(QStringLiteral("-20"));
    b->form1().LanguageButton->click();
    ASSERT_NE(b->loadedForm2(), nullptr);
    EXPECT_FALSE(b->loadedForm2()->isVisible());
    EXPECT_EQ(b->loadedForm2()->ResultLabel->text(), QStringLiteral("Analysis results at -20 dB down"));
}

namespace {

// Texts the windows show alike in both languages by design: units, the revision, the table's
// headings and the channel list. Everything else visible must come from the catalogue.
const QStringList kLanguageNeutral{
    "VXM Operation Program", "Display Results", "VXM Operation Program Revision 3.0C", "TLS?", "(nm)", "(nm/s)",
    "(dBm)", "(dB)", "(THz)", "#", "# ", "1. Channel #1", "2. Channel #2", "Wavelength (nm)", "Wavelength",
    " Frequency ", "Insertion Loss", " Center WL ", " Center FQ ", " Bandwidth ", " Ins. Loss ", " Peak Power "};

// The catalogue's Chinese column as patterns: a placeholder such as %1 stands for any text.
QList<QRegularExpression> chineseColumn()
{
    QStringList texts;
    for (const CaptionRow& row : form1Captions()) texts << QString::fromUtf8(row.chinese);
    for (const CaptionRow& row : form2Captions()) texts << QString::fromUtf8(row.chinese);
    for (const TextEntry& entry : allTexts()) texts << QString::fromUtf8(entry.chinese);
    QList<QRegularExpression> patterns;
    for (const QString& text : texts) {
        QStringList literal = text.split(QRegularExpression(QStringLiteral("%\\d")));
        for (QString& part : literal) part = QRegularExpression::escape(part);
        patterns << QRegularExpression(QRegularExpression::anchoredPattern(literal.join(QStringLiteral(".*"))));
    }
    return patterns;
}

// Every text a person sees on `window`: captions, labels and table cells of the visible widgets.
QStringList visibleTexts(QWidget* window)
{
    QStringList texts{window->windowTitle()};
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
        if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
        if (auto* r = qobject_cast<UcLabelRotate*>(w)) texts << r->Caption();
        if (auto* c = qobject_cast<QComboBox*>(w)) texts << c->currentText();
        if (auto* t = qobject_cast<QTableWidget*>(w)) {
            for (int row = 0; row < t->rowCount(); ++row)
                for (int column = 0; column < t->columnCount(); ++column)
                    if (const QTableWidgetItem* item = t->item(row, column)) texts << item->text();
        }
    }
    return texts;
}

}  // namespace

TEST(Language, InChineseEveryVisibleTextOfBothWindowsComesFromTheCatalogue)
{
    FakeBench b;
    b->form1().LanguageButton->click();
    ASSERT_EQ(Module1.Language, 2);
    results_test::loadSpectrum();
    PlotSpectrum(b->form2(), b->form1());
    AnalyseChannels(b->form1(), b->info());
    FillResultsTable(b->form1(), b->form2());
    b->repeatStatistics().begin();
    b->repeatStatistics().addLoggedPass(1, {1532.0F, 0.5F, -4.0F});
    b->form1().show();
    b->form2().show();

    const QList<QRegularExpression> catalogue = chineseColumn();
    const QRegularExpression data(QStringLiteral("^(\\s*|-|-?[\\d.]+|COM\\d+)$"));
    QSet<QString> seen;
    for (QWidget* window : std::initializer_list<QWidget*>{&b->form1(), &b->form2()}) {
        for (const QString& text : visibleTexts(window)) {
            if (seen.contains(text)) continue;
            seen.insert(text);
            const bool known = kLanguageNeutral.contains(text) || data.match(text).hasMatch() ||
                               std::any_of(catalogue.begin(), catalogue.end(),
                                           [&](const QRegularExpression& p) { return p.match(text).hasMatch(); });
            EXPECT_TRUE(known) << '"' << text.toStdString() << '"';
        }
    }
    EXPECT_GT(seen.size(), 60) << "both windows' texts were read";
    EXPECT_TRUE(b->form2().grab().save(testOutputDir() + QStringLiteral("/app_form2_zh.png")));
    EXPECT_EQ(b->form2().RepeatStatsPanel->RepeatStatsCount->text(), QStringLiteral("次数 = 1"));
}
