#include "../results/results_support.h"
#include "core/form1.h"
#include "core/texts.h"
#include "bench_fixture.h"
#include "measure/channel_analysis.h"
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

namespace {

QString captionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    return {};
}

// Every caption of both tables in `language` (1 English, 2 Chinese), with its font.
void expectCaptions(Bench& bench, int language)
{
    const auto check = [&](std::span<const CaptionRow> rows, auto form, bool arial) {
        for (const CaptionRow& row : rows) {
            if (QLatin1String(row.control) == QLatin1String("ResultLabel")) continue;  // holds the level: below
            QWidget* w = form().control(QString::fromLatin1(row.control));
            ASSERT_NE(w, nullptr) << row.control;
            EXPECT_EQ(captionOf(w), QString::fromUtf8(language == 1 ? row.english : row.chinese)) << row.control;
            EXPECT_EQ(w->font().pointSize(), row.fontSize) << row.control;
            if (arial) { EXPECT_EQ(w->font().family(), QStringLiteral("Arial")) << row.control; }
        }
    };
    check(form1Captions(), [&]() -> Form1& { return bench.form1(); }, true);
    check(form2Captions(), [&]() -> Form2& { return bench.form2(); }, false);
}

}  // namespace

TEST(Language, EachClickSwitchesEveryTableCaptionAndNoOther)
{
    FakeBench b;
    const struct { int language; const char *button, *title, *result; } states[] = {
        {1, nullptr, nullptr, "Analysis results at -3.0 dB down"},
        {2, "中文", "Ostrel VXM 演示操作程序", "在 -3.0 dB Down 的分析结果"},
        {1, nullptr, nullptr, "Analysis results at -3.0 dB down"}};
    for (const auto& s : states) {
        SCOPED_TRACE(s.language);
        if (&s != &states[0]) b->form1().LanguageButton->click();
        EXPECT_EQ(Module1.Language, s.language);
        expectCaptions(*b.bench, s.language);
        if (s.button != nullptr) { EXPECT_EQ(b->form1().LanguageButton->text(), QString::fromUtf8(s.button)); }
        if (s.title != nullptr) { EXPECT_EQ(b->form1().TitleLabel->text(), QString::fromUtf8(s.title)); }
        EXPECT_EQ(b->form2().ResultLabel->text(), QString::fromUtf8(s.result));
        EXPECT_EQ(b->form2().ResultLabel->font().pointSize(), 14);
        // Controls outside the tables keep their captions.
        EXPECT_EQ(b->form1().CheckTLS->text() + b->form1().RevisionLabel->text() + b->form1().PLabel->text() +
                      b->form1().Label1[2]->text(),
                  QStringLiteral("TLS?VXM Operation Program Revision 3.0C(dBm)(nm/s)"));
    }
}

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
