#pragma once
// How every window makes its controls: the windows' Arial font, a control's code name (its object
// name, and its accessible description for screen readers and GUI robots) and its place in twips.

#include <QFont>
#include <QPushButton>
#include <QString>
#include <QWidget>

QFont arialFont(int points, bool bold = false);

// The code name as object name and accessible description.
void nameControl(QWidget* w, const QString& name);
// Names the control, sets its twips rectangle and its Arial font of `points`.
void placeControl(QWidget* w, const QString& name, double left, double top, double width, double height, int points);

template <typename W>
W* named(W* w, const QString& name)
{
    nameControl(w, name);
    return w;
}

template <typename W>
W* place(W* w, const QString& name, double left, double top, double width, double height, int points)
{
    placeControl(w, name, left, top, width, height, points);
    return w;
}

// A push button of the design's height (495 twips, Arial 12) that Enter never presses by default;
// a `toggle` button stays down until clicked again.
QPushButton* placeButton(QWidget* parent, const QString& name, const char* caption, double left, double top,
                         double width, bool toggle = false);
