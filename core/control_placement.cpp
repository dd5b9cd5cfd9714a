#include "core/control_placement.h"

#include "core/units.h"

QFont arialFont(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(points);
    if (bold) f.setBold(true);  // an unset weight is still taken from the parent's font
    return f;
}

void nameControl(QWidget* w, const QString& name)
{
    w->setObjectName(name);
    w->setAccessibleDescription(name);
}

void placeControl(QWidget* w, const QString& name, double left, double top, double width, double height, int points)
{
    nameControl(w, name);
    w->setGeometry(twipsRect(left, top, width, height));
    w->setFont(arialFont(points));
}

QPushButton* placeButton(QWidget* parent, const QString& name, const char* caption, double left, double top,
                         double width, bool toggle)
{
    auto* b = place(new QPushButton(QString::fromUtf8(caption), parent), name, left, top, width, 495, 12);
    b->setCheckable(toggle);
    b->setAutoDefault(false);
    return b;
}
