#include "records/history_plot.h"

#include "core/units.h"

#include <QLabel>

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

// Sets up the plot widget itself (its font and white background are taken by the frame's labels,
// made next) and makes its picture.
PlotSurface* setUpWithPicture(QWidget& plot)
{
    plot.setObjectName(QStringLiteral("HistoryPlot"));
    plot.setFont(arial(12));
    setBackColor(&plot, VbColor::White);
    plot.setAutoFillBackground(true);
    // Room at the right for half of the last tick label.
    plot.setFixedSize(twipsToPixels(kLeft + kWidth + 600), twipsToPixels(kBottom + 840));

    auto* picture = new PlotSurface(&plot);
    picture->setObjectName(QStringLiteral("HistoryPicture"));
    picture->setAccessibleName(QStringLiteral("Spectrum plot"));
    picture->setGeometry(twipsRect(kLeft, kTop, kWidth, kHeight));
    return picture;
}

}  // namespace

HistoryPlot::HistoryPlot(QWidget* parent)
    : QWidget(parent), Picture(setUpWithPicture(*this)), labels_(makeFrameLabels(*this, *Picture)),
      frame_(*Picture, labels_, *this, {kLeft, kTop, kWidth, kHeight, kBottom})
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
