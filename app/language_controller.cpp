#include "app/language_controller.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "results/form2.h"
#include "results/repeat_statistics_panel.h"
#include "results/results_window_host.h"

#include <QAbstractButton>
#include <QLabel>

namespace {

void applyCaption(QWidget* w, const QString& caption, int points)
{
    if (!w) return;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(caption);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(caption);
    QFont f = w->font();
    f.setFamily(QStringLiteral("Arial"));
    f.setPointSize(points);
    w->setFont(f);
}

}  // namespace

LanguageController::LanguageController(Form1& form, ResultsWindowHost& results)
    : QObject(&form), form_(form), results_(results)
{
    connect(form_.LanguageButton, &QPushButton::toggled, this, &LanguageController::LanguageButton_Click);
}

void LanguageController::LanguageButton_Click()
{
    const int language = form_.LanguageButton->isChecked() ? 2 : 1;
    Module1.Language = static_cast<std::int16_t>(language);

    for (const CaptionRow& row : form1Captions())
        applyCaption(form_.control(QString::fromLatin1(row.control)),
                     QString::fromUtf8(language == 1 ? row.english : row.chinese), row.fontSize);

    Form2& results = results_.form2();  // reaching its controls loads the window, hidden
    for (const CaptionRow& row : form2Captions()) {
        const QString name = QString::fromLatin1(row.control);
        const QString caption = name == QLatin1String("ResultLabel")
                                    ? resultLabelCaption(form_.Text8->text(), language)
                                    : QString::fromUtf8(language == 1 ? row.english : row.chinese);
        applyCaption(results.control(name), caption, row.fontSize);
    }
    results.RepeatStatsPanel->retranslate();
}
