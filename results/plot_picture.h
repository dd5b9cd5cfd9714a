#pragma once
// The part of the results window that shows the plot, as the operator sees it.

#include <QImage>
#include <QRect>

class Form2;

// Picture1, the tick labels, both axis titles and the channel label, in the window's pixels.
QRect plotRegion(const Form2& form);
// That region as drawn.
QImage plotPicture(Form2& form);
