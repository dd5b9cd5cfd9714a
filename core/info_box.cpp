#include "core/info_box.h"

#include "core/units.h"

#include <QPlainTextEdit>

void InfoBox::setFontName(const QString& name)
{
    QFont f = box_->font();
    f.setFamily(name);
    box_->setFont(f);
}

void InfoBox::setFontSize(int points)
{
    QFont f = box_->font();
    f.setPointSize(points);
    box_->setFont(f);
}

void InfoBox::setColor(std::uint32_t bbggrr) { setForeColor(box_, bbggrr); }

void InfoBox::setText(const QString& text)
{
    if (text.isNull()) return;
    // The box shows CR LF as one line break.
    box_->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void InfoBox::report(const QString& fontName, std::uint32_t bbggrr, const QString& text)
{
    setFontName(fontName);
    setColor(bbggrr);
    setText(text);
}

QString InfoBox::text() const { return box_->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")); }

QString InfoBox::fontName() const { return box_->font().family(); }

int InfoBox::fontSize() const { return box_->font().pointSize(); }

std::uint32_t InfoBox::color() const { return foreColorOf(box_); }
