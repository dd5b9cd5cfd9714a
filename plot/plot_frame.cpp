#include "plot/plot_frame.h"

#include "core/units.h"
#include "widgets/uc_label_rotate.h"

#include <QFontMetricsF>
#include <QLabel>

#include <algorithm>

namespace {

QLabel* hiddenLabel(QWidget& parent, const QString& name)
{
    auto* l = new QLabel(&parent);
    l->setObjectName(name);
    l->setAccessibleDescription(name);
    l->setVisible(false);
    return l;
}

// A label in the manner of the results window's tick labels and x title: font size, caption,
// visible, place, centred, transparent over the window.
void placeLabel(QLabel* label, const plot::LabelBox& box, int points)
{
    QFont f = label->font();
    f.setPointSize(points);
    label->setFont(f);
    label->setText(box.text);
    label->setVisible(true);
    label->setGeometry(twipsRect(box.left, box.top, box.width, box.height));
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(false);
}

plot::TextMeasure textMeasure(const QWidget& window)
{
    const QFontMetricsF metrics(window.font(), &window);
    return [metrics](const QString& text) {
        return QSizeF(pixelsToTwips(metrics.horizontalAdvance(text)), pixelsToTwips(metrics.height()));
    };
}

}  // namespace

FrameLabels makeFrameLabels(QWidget& parent, PlotSurface& picture)
{
    FrameLabels labels;
    for (int i = 0; i < 11; ++i) {
        labels.xTicks[i] = hiddenLabel(parent, QStringLiteral("XTick(%1)").arg(i));
        labels.yTicks[i] = hiddenLabel(parent, QStringLiteral("YTick(%1)").arg(i));
    }
    labels.xTitle = hiddenLabel(parent, QStringLiteral("XTitle"));
    labels.yTitle = new UcLabelRotate(QStringLiteral("YTitle"), &parent);
    labels.yTitle->setObjectName(QStringLiteral("YTitle"));
    labels.yTitle->setAccessibleDescription(QStringLiteral("YTitle"));
    labels.yTitle->readProperties({{QStringLiteral("angledeg"), 270.0F},
                                   {QStringLiteral("backcolor"), static_cast<qulonglong>(backColorOf(&parent))}});
    labels.yTitle->setVisible(false);
    labels.yTitle->lower();  // its square reaches under the tick labels, which stay readable

    labels.legend = hiddenLabel(picture, QStringLiteral("Legend"));
    QFont small = parent.font();
    small.setPointSize(10);
    labels.legend->setFont(small);
    labels.legend->setTextFormat(Qt::RichText);
    labels.legend->setStyleSheet(QStringLiteral("QLabel { background: white; border: 1px solid black; padding: 3px; }"));
    return labels;
}

PlotFrame::PlotFrame(PlotSurface& picture, const FrameLabels& labels, const QWidget& window,
                     const plot::PictureGeometry& geometry)
    : picture_(picture), labels_(labels), window_(window), geometry_(geometry)
{
}

plot::Viewport PlotFrame::viewport() const
{
    return {range_, geometry_.width, geometry_.height, picture_.pixelsPerTwip() * picture_.devicePixelRatioF()};
}

void PlotFrame::clear()
{
    picture_.setAutoRedraw(true);
    picture_.Cls();
}

void PlotFrame::drawGrid()
{
    const plot::GridLines g = plot::gridLines(geometry_.width, geometry_.height);
    clear();
    picture_.setDrawWidth(2);
    picture_.setDrawStyle(Qt::SolidLine);
    picture_.box(g.frame.x1, g.frame.y1, g.frame.x2, g.frame.y2, VbColor::Black);

    picture_.setForeColor(VbColor::Black);
    picture_.setDrawWidth(1);
    picture_.setDrawStyle(Qt::DotLine);
    picture_.lines(g.dotted);

    picture_.setDrawStyle(Qt::SolidLine);
    picture_.lines(g.ticks);
}

void PlotFrame::drawAxes(const plot::Extent& extent)
{
    picture_.setAutoRedraw(true);
    const plot::AxesLayout layout = plot::layoutAxes(geometry_, extent, axes_, textMeasure(window_));
    for (int i = 0; i <= 10; ++i) {
        placeLabel(labels_.xTicks[i], layout.xTicks[i], 10);
        placeLabel(labels_.yTicks[i], layout.yTicks[i], 10);
    }
    placeLabel(labels_.xTitle, layout.xTitle, 12);

    UcLabelRotate& title = *labels_.yTitle;
    title.setCaption(layout.yTitle.text);
    title.setVisible(true);
    title.setGeometry(twipsRect(layout.yTitle.left, layout.yTitle.top, layout.yTitle.width, layout.yTitle.height));
}

void PlotFrame::hideAxes()
{
    for (QLabel* l : labels_.xTicks) l->setVisible(false);
    for (QLabel* l : labels_.yTicks) l->setVisible(false);
    labels_.xTitle->setVisible(false);
    labels_.yTitle->setVisible(false);
}

void PlotFrame::drawTrace(plot::PlotRows rows, std::optional<std::uint32_t> colour, TraceDrawing how)
{
    if (colour) picture_.setForeColor(*colour);
    picture_.setDrawWidth(1);
    picture_.setDrawStyle(Qt::SolidLine);
    picture_.trace(plot::tracePixels(rows, viewport()), how);
}

void PlotFrame::drawMask(const std::vector<std::vector<std::array<float, 2>>>& lines, plot::PlotRows violations,
                         std::uint32_t lineColour, std::uint32_t markColour)
{
    const plot::Viewport v = viewport();
    picture_.setDrawStyle(Qt::SolidLine);
    picture_.setDrawWidth(2);
    picture_.setForeColor(lineColour);
    for (const auto& line : lines) picture_.trace(plot::tracePixels(line, v), TraceDrawing::Segments);
    picture_.setDrawWidth(1);
    picture_.setForeColor(markColour);
    picture_.crosses(plot::tracePixels(violations, v), 3);
}

void PlotFrame::drawBars(std::span<const plot::Bar> bars, std::uint32_t colour)
{
    const plot::PixelMap map(viewport());
    std::vector<QRect> rects;
    rects.reserve(bars.size());
    for (const plot::Bar& b : bars)
        if (b.height > 0.0)
            rects.push_back(QRect(map(static_cast<float>(b.low), static_cast<float>(b.height)),
                                  map(static_cast<float>(b.high), static_cast<float>(range_.yMin)))
                                .normalized()
                                .adjusted(0, 0, -1, -1));
    picture_.setForeColor(VbColor::Black);
    picture_.setDrawWidth(1);
    picture_.setDrawStyle(Qt::SolidLine);
    picture_.rects(rects, colour);
}

void PlotFrame::drawLevel(double value, std::uint32_t colour, Qt::PenStyle style, int width)
{
    const plot::PixelMap map(viewport());
    const auto x0 = static_cast<float>(range_.xMin);
    const auto x1 = static_cast<float>(range_.xMax);
    picture_.setForeColor(colour);
    picture_.setDrawWidth(width);
    picture_.setDrawStyle(style);
    picture_.trace({map(x0, static_cast<float>(value)), map(x1, static_cast<float>(value))}, TraceDrawing::Segments);
}

void PlotFrame::drawPosition(double x, std::uint32_t colour, Qt::PenStyle style, int width)
{
    const plot::PixelMap map(viewport());
    picture_.setForeColor(colour);
    picture_.setDrawWidth(width);
    picture_.setDrawStyle(style);
    picture_.trace({map(static_cast<float>(x), range_.yMax), map(static_cast<float>(x), static_cast<float>(range_.yMin))},
                   TraceDrawing::Segments);
}

void PlotFrame::drawMarks(plot::PlotRows points, std::uint32_t colour)
{
    picture_.setForeColor(colour);
    picture_.squares(plot::tracePixels(points, viewport()), std::max(2, plot::roundEven(45.0 * viewport().pixelsPerTwip)));
}

void PlotFrame::showMarkers(plot::PlotRows rows, const plot::MarkerPair& pair,
                            const std::vector<plot::ChannelMarks>& channels, const QString& unit, int language)
{
    picture_.setMarkerLayer(plot::markerLayer(rows, viewport(), pair, channels, unit, language));
}

void PlotFrame::showLegend(const std::vector<LegendEntry>& entries)
{
    QLabel& legend = *labels_.legend;
    QString html;
    for (const LegendEntry& e : entries) {
        if (!html.isEmpty()) html += QStringLiteral("<br>");
        html += QStringLiteral("<span style=\"color:%1\">&#9473;&#9473;&#9473;</span> %2")
                    .arg(vbColor(e.colour).name(), e.label.toHtmlEscaped());
    }
    if (legend.text() != html) {  // a redraw with the same legend does not lay its text out again
        legend.setText(html);
        legend.adjustSize();
    }
    const int margin = twipsToPixels(120);
    legend.move(picture_.width() - legend.width() - margin, margin);
    legend.setVisible(!entries.empty());
}
