#pragma once
// Window controls in the tests: enable states in one line, boxes ticked behind their handlers.

#include <QCheckBox>
#include <QSignalBlocker>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

// "Text1 Text2 -Text4": Text1 and Text2 enabled, Text4 disabled.
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

// Ticks boxes with their handlers quiet, which would untick the others or release the sweep.
inline void tickQuietly(std::initializer_list<std::pair<QCheckBox*, bool>> boxes)
{
    for (auto [box, on] : boxes) {
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    }
}
