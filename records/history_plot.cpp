#include "records/history_plot.h"

#include "core/units.h"

#include <QLabel>

namespace {

// The picture's place in the plot widget, in twips: the results window's picture size.
constexpr plot::PictureGeometry kSpectrumPicture{1680.0F, 240.0F, 12615.0F, 5655, 240.0 + 5655};

QFont arial(int points)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(points);
    return f;
}

// Sets up the plot widget itself (its font and white background are taken by the frame's labels,
// made next) and makes its picture.
PlotSurface* setUpWithPicture(QWidget& plot, const plot::PictureGeometry& g, const QString& name,
                              const QString& pictureName)
{
    plot.setObjectName(name);
    plot.setFont(arial(12));
    setBackColor(&plot, VbColor::White);
    plot.setAutoFillBackground(true);
    // Room at the right for half of the last tick label.
    plot.setFixedSize(twipsToPixels(g.left + g.width + 600), twipsToPixels(g.bottom + 840));

    auto* picture = new PlotSurface(&plot);
    picture->setObjectName(pictureName);
    picture->setAccessibleName(QStringLiteral("Spectrum plot"));
    picture->setGeometry(twipsRect(g.left, g.top, g.width, g.height));
    return picture;
}

}  // namespace

HistoryPlot::HistoryPlot(QWidget* parent)
    : HistoryPlot(kSpectrumPicture, QStringLiteral("HistoryPlot"), QStringLiteral("HistoryPicture"), parent)
{
}

HistoryPlot::HistoryPlot(const plot::PictureGeometry& geometry, const QString& name, const QString& pictureName,
                         QWidget* parent)
    : QWidget(parent), Picture(setUpWithPicture(*this, geometry, name, pictureName)),
      labels_(makeFrameLabels(*this, *Picture)), frame_(*Picture, labels_, *this, geometry)
{
    Legend = labels_.legend;
}

void HistoryPlot::draw(const std::vector<history::Trace>& traces, const QString& yTitle)
{
    const std::optional<plot::Range> range = history::overlayRange(traces);
    std::vector<LegendEntry> legend;
    if (range)
        for (const history::Trace& t : traces) legend.push_back({t.label, t.colour});
    frame_.showLegend(legend);
    if (!range) {
        frame_.clear();
        frame_.hideAxes();
        return;
    }
    frame_.setRange(*range);
    frame_.setAxesText(plot::spectrumAxes(yTitle));
    frame_.drawGrid();
    frame_.drawAxes(plot::extentOf(*range));
    for (const history::Trace& t : traces) frame_.drawTrace(t.points, t.colour);
}
