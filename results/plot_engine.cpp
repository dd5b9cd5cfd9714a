#include "results/plot_engine.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "plot/plot_math.h"
#include "results/form2.h"

PlotFrame resultsFrame(Form2& form)
{
    PlotFrame frame(*form.Picture1, {form.Label1, form.Label2, form.WLLabel, form.RotateLabel, nullptr}, form,
                    {Module1.PicLeft, Module1.PicTop, Module1.PicWidth, Module1.PicHeight, Module1.PicBottom});
    frame.setRange({Module1.AxisXMin, Module1.AxisXMax, Module1.AxisYMin, Module1.AxisYMax});
    return frame;
}

void DrawPlotGrid(Form2& form) { resultsFrame(form).drawGrid(); }

void DrawPlotAxes(Form2& form, const Form1& main, float xStart, float xSpan, float yStart, float ySpan)
{
    form.Label4->setText(textIn("results.channel", 1).arg(Module1.ChannelIndex + 1));
    PlotFrame frame = resultsFrame(form);
    frame.setAxesText(
        plot::spectrumAxes(plot::yTitle(main.CheckAlignMode->isChecked(), main.CheckVXMScanMode->isChecked())));
    frame.drawAxes({xStart, xSpan, yStart, ySpan});
}

void PlotSpectrum(Form2& form, const Form1& main) { PlotSpectrumDrawing(form, main, TraceDrawing::Columns); }

void PlotSpectrumDrawing(Form2& form, const Form1& main, TraceDrawing how)
{
    resultsFrame(form).clear();

    Module1.PlotCount += 1;
    const int traceSlot = Module1.PlotCount % 2;
    if (!plot::updatePlotRange(Module1, Module1)) {
        form.Picture1->notifyRedrawn();  // degenerate range: the picture stays empty
        return;
    }

    PlotFrame frame = resultsFrame(form);  // over the range just updated
    DrawPlotGrid(form);
    const plot::Extent e = plot::extentOf(frame.viewport().range);
    DrawPlotAxes(form, main, e.xStart, e.xSpan, e.yStart, e.ySpan);
    frame.drawTrace(plot::plottedRows(Module1.PlotData, Module1.LastPointIndex),
                    plot::traceColor(Module1.TraceKind, traceSlot), how);

    if (Module1.PlotCount == 10) Module1.PlotCount = 0;
    form.Picture1->notifyRedrawn();
}
