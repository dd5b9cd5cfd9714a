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

void expectCaptions(Bench& bench, int language)
{
    for (const CaptionRow& row : form1Captions()) {
        QWidget* w = bench.form1().control(QString::fromLatin1(row.control));
        ASSERT_NE(w, nullptr) << row.control;
        EXPECT_EQ(captionOf(w), QString::fromUtf8(language == 1 ? row.english : row.chinese)) << row.control;
        EXPECT_EQ(w->font().family(), QStringLiteral("Arial")) << row.control;
        EXPECT_EQ(w->font().pointSize(), row.fontSize) << row.control;
    }
    for (const CaptionRow& row : form2Captions()) {
        if (QLatin1String(row.control) == QLatin1String("ResultLabel")) continue;
        QWidget* w = bench.form2().control(QString::fromLatin1(row.control));
        ASSERT_NE(w, nullptr) << row.control;
        EXPECT_EQ(captionOf(w), QString::fromUtf8(language == 1 ? row.english : row.chinese)) << row.control;
        EXPECT_EQ(w->font().pointSize(), row.fontSize) << row.control;
    }
}
}  // namespace

TEST(Language, StartUpIsEnglish)
{
    FakeBench b;
    EXPECT_EQ(Module1.Language, 1);
    expectCaptions(*b.bench, 1);
    EXPECT_EQ(b->form2().ResultLabel->text(), QStringLiteral("Analysis results at -3.0 dB down"));
    EXPECT_EQ(b->form2().ResultLabel->font().pointSize(), 14);
}

TEST(Language, OneClickGivesChineseCaptionsAndSizes)
{
    FakeBench b;
    b->form1().LanguageButton->click();
    EXPECT_EQ(Module1.Language, 2);
    expectCaptions(*b.bench, 2);
    EXPECT_EQ(b->form1().LanguageButton->text(), QStringLiteral("中文"));
    EXPECT_EQ(b->form1().TitleLabel->text(), QStringLiteral("Ostrel VXM 演示操作程序"));
    EXPECT_EQ(b->form2().ResultLabel->text(), QStringLiteral("在 -3.0 dB Down 的分析结果"));
}

TEST(Language, TwoClicksReturnEverythingToEnglish)
{
    FakeBench b;
    b->form1().LanguageButton->click();
    b->form1().LanguageButton->click();
    EXPECT_EQ(Module1.Language, 1);
    expectCaptions(*b.bench, 1);
}

TEST(Language, ControlsOutsideTheTablesKeepTheirCaptions)
{
    FakeBench b;
    b->form1().LanguageButton->click();
    EXPECT_EQ(b->form1().CheckTLS->text(), QStringLiteral("TLS?"));
    EXPECT_EQ(b->form1().RevisionLabel->text(), QStringLiteral("VXM Operation Program Revision 3.0C"));
    EXPECT_EQ(b->form1().PLabel->text(), QStringLiteral("(dBm)"));
    EXPECT_EQ(b->form1().Label1[2]->text(), QStringLiteral("(nm/s)"));
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
