#include "records/history_plot.h"

#include "core/units.h"
#include "plot/plot_math.h"

#include <QFontMetricsF>

namespace {

// The picture's place in the plot widget, in twips: the results window's picture size.
constexpr float kLeft = 1680.0F;
constexpr float kTop = 240.0F;
constexpr float kWidth = 12615.0F;
constexpr std::int32_t kHeight = 5655;
constexpr double kBottom = kTop + kHeight;

QFont arial(int points)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(points);
    return f;
}

QLabel* label(QWidget* parent, const QString& name, int points)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFont(arial(points));
    l->setAlignment(Qt::AlignCenter);
    l->setVisible(false);
    return l;
}

void placeLabel(QLabel* l, const plot::LabelBox& box)
{
    l->setText(box.text);
    l->setGeometry(twipsRect(box.left, box.top, box.width, box.height));
    l->setVisible(true);
}

}  // namespace

HistoryPlot::HistoryPlot(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HistoryPlot"));
    setFont(arial(12));
    setBackColor(this, VbColor::White);
    setAutoFillBackground(true);
    // Room at the right for half of the last tick label.
    setFixedSize(twipsToPixels(kLeft + kWidth + 600), twipsToPixels(kBottom + 840));

    Picture = new PlotSurface(this);
    Picture->setObjectName(QStringLiteral("HistoryPicture"));
    Picture->setAccessibleName(QStringLiteral("Spectrum plot"));
    Picture->setGeometry(twipsRect(kLeft, kTop, kWidth, kHeight));
    for (int i = 0; i < 11; ++i) {
        XTicks[i] = label(this, QStringLiteral("XTick(%1)").arg(i), 10);
        YTicks[i] = label(this, QStringLiteral("YTick(%1)").arg(i), 10);
    }
    XTitle = label(this, QStringLiteral("XTitle"), 12);
    YTitle = new UcLabelRotate(QStringLiteral("YTitle"), this);
    YTitle->readProperties({{QStringLiteral("angledeg"), 270.0F},
                            {QStringLiteral("backcolor"), static_cast<qulonglong>(VbColor::White)},
                            {QStringLiteral("font"), arial(12)}});
    YTitle->setVisible(false);
    YTitle->lower();  // beneath the tick labels, as in the results window

    Legend = new QLabel(Picture);
    Legend->setObjectName(QStringLiteral("Legend"));
    Legend->setFont(arial(10));
    Legend->setTextFormat(Qt::RichText);
    Legend->setStyleSheet(QStringLiteral("QLabel { background: white; border: 1px solid black; padding: 3px; }"));
    Legend->setVisible(false);
}

void HistoryPlot::draw(const std::vector<history::Trace>& traces, const QString& yTitle)
{
    PlotSurface& pic = *Picture;
    pic.setAutoRedraw(true);
    pic.Cls();
    const std::optional<plot::Range> range = history::overlayRange(traces);
    for (QLabel* l : XTicks) l->setVisible(range.has_value());
    for (QLabel* l : YTicks) l->setVisible(range.has_value());
    XTitle->setVisible(range.has_value());
    YTitle->setVisible(range.has_value());
    showLegend(range ? traces : std::vector<history::Trace>{});
    if (!range) return;

    drawGrid();
    placeAxes(*range, yTitle);
    pic.setDrawWidth(1);
    pic.setDrawStyle(Qt::SolidLine);
    const double scale = pic.pixelsPerTwip() * pic.devicePixelRatioF();
    for (const history::Trace& t : traces) {
        pic.setForeColor(t.colour);
        pic.trace(plot::tracePixels(t.points, *range, kWidth, kHeight, scale));
    }
}

void HistoryPlot::drawGrid()
{
    PlotSurface& pic = *Picture;
    const plot::GridLines g = plot::gridLines(kWidth, kHeight);
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

void HistoryPlot::placeAxes(const plot::Range& r, const QString& yTitle)
{
    const QFontMetricsF metrics(font(), this);
    const plot::TextMeasure measure = [metrics](const QString& text) {
        return QSizeF(pixelsToTwips(metrics.horizontalAdvance(text)), pixelsToTwips(metrics.height()));
    };
    const plot::AxesLayout layout =
        plot::layoutAxes({kLeft, kTop, kWidth, kHeight, kBottom}, static_cast<float>(r.xMin),
                         static_cast<float>(r.xMax - r.xMin), static_cast<float>(r.yMin),
                         static_cast<float>(static_cast<double>(r.yMax) - r.yMin), yTitle, measure);
    for (int i = 0; i <= 10; ++i) {
        placeLabel(XTicks[i], layout.xTicks[i]);
        placeLabel(YTicks[i], layout.yTicks[i]);
    }
    placeLabel(XTitle, layout.xTitle);
    YTitle->setCaption(layout.yTitle.text);
    YTitle->setGeometry(twipsRect(layout.yTitle.left, layout.yTitle.top, layout.yTitle.width, layout.yTitle.height));
}

void HistoryPlot::showLegend(const std::vector<history::Trace>& traces)
{
    QString html;
    for (const history::Trace& t : traces) {
        if (!html.isEmpty()) html += QStringLiteral("<br>");
        html += QStringLiteral("<span style=\"color:%1\">&#9473;&#9473;&#9473;</span> %2")
                    .arg(vbColor(t.colour).name(), t.label.toHtmlEscaped());
    }
    Legend->setText(html);
    Legend->adjustSize();
    const int margin = twipsToPixels(120);
    Legend->move(Picture->width() - Legend->width() - margin, margin);
    Legend->setVisible(!traces.empty());
}
