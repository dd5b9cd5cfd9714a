#include "results/plot_picture.h"

#include "results/form2.h"

#include <QPixmap>

QRect plotRegion(const Form2& form)
{
    QRect region = form.Picture1->geometry();
    for (const QLabel* tick : form.Label1) region |= tick->geometry();
    for (const QLabel* tick : form.Label2) region |= tick->geometry();
    region |= form.WLLabel->geometry();
    region |= form.RotateLabel->geometry();
    region |= form.Label4->geometry();
    return region & form.rect();
}

QImage plotPicture(Form2& form) { return form.grab(plotRegion(form)).toImage(); }
