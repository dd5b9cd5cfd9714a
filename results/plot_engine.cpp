#include "results/plot_engine.h"

#include "core/form1.h"
#include "core/shared_state.h"
#include "core/texts.h"
#include "core/units.h"
#include "results/form2.h"
#include "plot/plot_math.h"

#include <QFontMetricsF>

#include <algorithm>

namespace {

plot::PictureGeometry geometry()
{
    return {Module1.PicLeft, Module1.PicTop, Module1.PicWidth, Module1.PicHeight, Module1.PicBottom};
}

// Width and height of a text in the window's own font, in twips.
plot::TextMeasure windowTextMeasure(const Form2& form)
{
    const QFontMetricsF metrics(form.font(), &form);
    return [metrics](const QString& text) {
        return QSizeF(pixelsToTwips(metrics.horizontalAdvance(text)), pixelsToTwips(metrics.height()));
    };
}

void placeLabel(QLabel* label, const plot::LabelBox& box, int points)
{
    QFont f = label->font();
    f.setPointSize(points);
    label->setFont(f);
    label->setText(box.text);
    label->setVisible(true);
    label->setGeometry(twipsRect(box.left, box.top, box.width, box.height));
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(false);  // transparent over the window
}

}  // namespace

void DrawPlotGrid(Form2& form)
{
    PlotSurface& pic = *form.Picture1;
    const plot::GridLines g = plot::gridLines(Module1.PicWidth, Module1.PicHeight);

    pic.setAutoRedraw(true);
    pic.Cls();
    pic.setDrawWidth(2);
    pic.setDrawStyle(Qt::SolidLine);
    pic.box(g.frame.x1, g.frame.y1, g.frame.x2, g.frame.y2, VbColor::Black);

    pic.setForeColor(VbColor::Black);
    pic.setDrawWidth(1);
    pic.setDrawStyle(Qt::DotLine);
    pic.lines(g.dotted);

    pic.setDrawStyle(Qt::SolidLine);
    pic.lines(g.ticks);
}

void DrawPlotAxes(Form2& form, const Form1& main, float xStart, float xSpan, float yStart, float ySpan)
{
    form.Picture1->setAutoRedraw(true);
    form.Label4->setText(textIn("results.channel", 1).arg(Module1.ChannelIndex + 1));

    const QString title = plot::yTitle(main.CheckAlignMode->isChecked(), main.CheckVXMScanMode->isChecked());
    const plot::AxesLayout layout =
        plot::layoutAxes(geometry(), xStart, xSpan, yStart, ySpan, title, windowTextMeasure(form));

    for (int i = 0; i <= 10; ++i) {
        placeLabel(form.Label1[i], layout.xTicks[i], 10);
        placeLabel(form.Label2[i], layout.yTicks[i], 10);
    }
    placeLabel(form.WLLabel, layout.xTitle, 12);

    UcLabelRotate& rotate = *form.RotateLabel;
    rotate.setCaption(layout.yTitle.text);
    rotate.setVisible(true);
    rotate.setGeometry(twipsRect(layout.yTitle.left, layout.yTitle.top, layout.yTitle.width, layout.yTitle.height));
}

void PlotSpectrum(Form2& form, const Form1& main) { PlotSpectrumDrawing(form, main, TraceDrawing::Columns); }

void PlotSpectrumDrawing(Form2& form, const Form1& main, TraceDrawing how)
{
    PlotSurface& pic = *form.Picture1;
    pic.setAutoRedraw(true);
    pic.Cls();

    Module1.PlotCount += 1;
    const int traceSlot = Module1.PlotCount % 2;
    if (!plot::updatePlotRange(Module1, Module1)) {
        pic.notifyRedrawn();  // degenerate range: the picture stays empty
        return;
    }

    DrawPlotGrid(form);
    DrawPlotAxes(form, main, static_cast<float>(Module1.AxisXMin), static_cast<float>(Module1.AxisXMax - Module1.AxisXMin),
                 static_cast<float>(Module1.AxisYMin),
                 static_cast<float>(static_cast<double>(Module1.AxisYMax) - Module1.AxisYMin));

    if (const auto colour = plot::traceColor(Module1.TraceKind, traceSlot)) pic.setForeColor(*colour);
    pic.setDrawWidth(1);
    const plot::Range range{Module1.AxisXMin, Module1.AxisXMax, Module1.AxisYMin, Module1.AxisYMax};
    pic.trace(plot::tracePixels(plot::plottedRows(Module1.PlotData, Module1.LastPointIndex), range, Module1.PicWidth,
                                Module1.PicHeight, pic.pixelsPerTwip() * pic.devicePixelRatioF()),
              how);

    if (Module1.PlotCount == 10) Module1.PlotCount = 0;
    pic.notifyRedrawn();
}
