#include "results/results_controller.h"

#include "app/bench.h"
#include "app/module1.h"
#include "app/units.h"
#include "results/form2.h"

#include <cmath>

ResultsController::ResultsController(Bench& bench, Form2& form) : QObject(&form), bench_(bench), form_(form) {}

void ResultsController::Form_Load()
{
    for (QWidget* w : {form_.Shape2, static_cast<QWidget*>(form_.LimitText1), static_cast<QWidget*>(form_.LimitText2),
                       static_cast<QWidget*>(form_.ILText1), static_cast<QWidget*>(form_.ILText2),
                       static_cast<QWidget*>(form_.WLSpan), static_cast<QWidget*>(form_.ILoss)})
        w->hide();
    for (QLabel* l : form_.Label3) l->hide();

    form_.ResultLabel->move(form_.ResultLabel->x(), twipsToPixels(280));
    form_.MSFlexGrid1->setGeometry(form_.MSFlexGrid1->x(), twipsToPixels(720), twipsToPixels(5175),
                                   twipsToPixels(6495));

    Module1.PlotMode = 0;
    Module1.RepeatabilityOn = 0;
    Module1.ZoomCount = 0;
    Module1.ZoomCountSeen = 0;
    Module1.PanCount = 0;
    Module1.PanCountSeen = 0;

    // The plot geometry in twips, as the window's coordinates are.
    const QRect g = form_.Picture1->geometry();
    Module1.PicLeft = static_cast<float>(pixelsToTwips(g.x()));
    Module1.PicTop = static_cast<float>(pixelsToTwips(g.y()));
    Module1.PicWidth = static_cast<float>(pixelsToTwips(g.width()));
    Module1.PicHeight = static_cast<std::int32_t>(std::nearbyint(pixelsToTwips(g.height())));
    Module1.PicBottom = Module1.PicHeight + static_cast<double>(Module1.PicTop);

    form_.Picture1->setEnabled(false);
}
