#pragma once
// Enable states of named window controls in one line, for the module and laser tests:
// "Text1 Text2 -Text4" means Text1 and Text2 enabled, Text4 disabled.

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

inline void expectEnabled(const QWidget& form, const char* names)
{
    for (QString name : QString::fromLatin1(names).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool enabled = !name.startsWith(QLatin1Char('-'));
        if (!enabled) name.remove(0, 1);
        const auto* w = form.findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << qPrintable(name);
        EXPECT_EQ(w->isEnabled(), enabled) << qPrintable(name);
    }
}
