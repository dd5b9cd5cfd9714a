#include "results/results_controller.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "core/units.h"
#include "plot/plot_math.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/results_window_host.h"

ResultsController::ResultsController(Form2& form, Form1& main, ResultsWindowHost& host)
    : QObject(&form), form_(form), main_(main), host_(host)
{
    connect(form_.ZoomPlot, &QPushButton::clicked, this, &ResultsController::ZoomPlot_Click);
    connect(form_.PanPlot, &QPushButton::clicked, this, &ResultsController::PanPlot_Click);
    connect(form_.NormalPlot, &QPushButton::clicked, this, &ResultsController::NormalPlot_Click);
    connect(form_.StopMeasure, &QPushButton::clicked, this, &ResultsController::StopMeasure_Click);
    connect(form_.RepeatabilityTest, &QPushButton::toggled, this, &ResultsController::RepeatabilityTest_Click);
    connect(form_.CloseForm2, &QPushButton::clicked, this, &ResultsController::CloseForm2_Click);
    connect(form_.Picture1, &PlotSurface::mouseDown, this, &ResultsController::Picture1_MouseDown);
    connect(form_.Picture1, &PlotSurface::mouseMove, this, &ResultsController::Picture1_MouseMove);
    connect(form_.Picture1, &PlotSurface::mouseUp, this, &ResultsController::Picture1_MouseUp);
}

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
    Module1.PicHeight = plot::roundEven(pixelsToTwips(g.height()));
    Module1.PicBottom = Module1.PicHeight + static_cast<double>(Module1.PicTop);

    form_.Picture1->setEnabled(false);

    DrawPlotGrid(form_);
    DrawPlotAxes(form_, main_, 0.0F, 10.0F, 0.0F, 10.0F);
}

void ResultsController::ZoomPlot_Click()
{
    form_.Picture1->setEnabled(true);
    form_.Picture1->setCursor(Qt::CrossCursor);
    Module1.PlotMode = 1;
}

void ResultsController::PanPlot_Click()
{
    form_.Picture1->setEnabled(true);
    // Any hand-like drag cursor serves for pan mode.
    form_.Picture1->setCursor(Qt::OpenHandCursor);
    Module1.PlotMode = 2;
}

void ResultsController::NormalPlot_Click()
{
    form_.Picture1->setEnabled(false);
    form_.Picture1->setCursor(Qt::ArrowCursor);
    Module1.ZoomCount = 0;
    Module1.ZoomCountSeen = 0;
    Module1.PanCount = 0;
    Module1.PanCountSeen = 0;
    Module1.PlotMode = 0;
    PlotSpectrum(form_, main_);
}

void ResultsController::StopMeasure_Click() { main_.RepeatMeasure->setChecked(false); }

void ResultsController::RepeatabilityTest_Click()
{
    Module1.RepeatabilityOn = form_.RepeatabilityTest->isChecked() ? 1 : 0;
}

void ResultsController::CloseForm2_Click()
{
    // This handler runs inside the window: it is hidden now and deleted once the click is done.
    host_.unloadLater();
}

void ResultsController::Picture1_MouseDown(int, float x, float y)
{
    if (Module1.PlotMode == 1) {
        Module1.ZoomX1 = x;
        Module1.ZoomY1 = y;
    } else if (Module1.PlotMode == 2) {
        Module1.PanX1 = x;
        Module1.PanY1 = y;
    }
}

void ResultsController::Picture1_MouseMove(int buttons, float x, float y)
{
    if (Module1.PlotMode != 1) return;
    PlotSurface& pic = *form_.Picture1;
    pic.setAutoRedraw(false);
    pic.setDrawStyle(Qt::SolidLine);
    pic.setDrawWidth(2);
    if (buttons != 1) return;
    pic.Cls();
    pic.box(Module1.ZoomX1, Module1.ZoomY1, x, y, VbColor::Red);
}

void ResultsController::Picture1_MouseUp(int, float x, float y)
{
    if (Module1.PlotMode != 1 && Module1.PlotMode != 2) return;  // the marker tool redraws no trace
    if (Module1.PlotMode == 1) {
        Module1.ZoomCount += 1;
        plot::ZoomRect z{Module1.ZoomX1, Module1.ZoomY1, x, plot::roundEven(y)};
        z = plot::clampZoomRect(z, Module1.PicWidth, Module1.PicHeight);

        PlotSurface& pic = *form_.Picture1;
        pic.setAutoRedraw(false);
        pic.setDrawStyle(Qt::SolidLine);
        pic.setDrawWidth(2);
        pic.box(z.x1, z.y1, z.x2, z.y2, VbColor::Red);

        z = plot::orderZoomRect(z);
        Module1.ZoomX1 = z.x1;
        Module1.ZoomY1 = z.y1;
        Module1.ZoomX2 = z.x2;
        Module1.ZoomY2 = z.y2;
    } else if (Module1.PlotMode == 2) {
        Module1.PanCount += 1;
        Module1.PanX2 = x;
        Module1.PanY2 = plot::roundEven(y);
    }
    // While a stopped repeated measurement holds the picture, a gesture is only counted; the
    // next measurement's redraw applies it.
    if (Module1.RepeatStop == 0) PlotSpectrum(form_, main_);
}
