#include "app/form1.h"
#include "app/texts.h"
#include "bench_fixture.h"
#include "results/form2.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>

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
