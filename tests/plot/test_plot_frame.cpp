// The plot frame on a picture and labels of its own: axes that read what the caller sets (a run
// chart's seconds and centre wavelengths), and layers (trace, markers, legend) in the frame's range.

#include "core/units.h"
#include "plot/plot_frame.h"
#include "widgets/uc_label_rotate.h"

#include <gtest/gtest.h>

#include <QLabel>

#include <memory>

namespace {

constexpr plot::PictureGeometry kGeometry{1680.0F, 240.0F, 12615.0F, 5655, 240.0 + 5655};

// A window in Arial 12 on white, as the labels made for it take both.
std::unique_ptr<QWidget> window()
{
    auto w = std::make_unique<QWidget>();
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(12);
    w->setFont(arial);
    setBackColor(w.get(), VbColor::White);
    w->resize(twipsToPixels(15000), twipsToPixels(7000));
    return w;
}

PlotSurface* pictureIn(QWidget& window)
{
    auto* p = new PlotSurface(&window);
    p->setGeometry(twipsRect(kGeometry.left, kGeometry.top, kGeometry.width, kGeometry.height));
    return p;
}

class PlotFrameTest : public testing::Test {
protected:
    std::unique_ptr<QWidget> host = window();
    PlotSurface* picture = pictureIn(*host);
    FrameLabels labels = makeFrameLabels(*host, *picture);
    PlotFrame frame{*picture, labels, *host, kGeometry};
};

}  // namespace

TEST_F(PlotFrameTest, AxesReadTheCallersTitlesAndDecimalsOnTheGridLinesAndHideAgain)
{
    frame.setAxesText({{QStringLiteral("Time (s)"), 0}, {QStringLiteral("Center (nm)"), 2}});
    frame.setRange({0.0, 3600.0, 1549.5, 1550.5F});
    frame.drawGrid();
    frame.drawAxes(plot::extentOf({0.0, 3600.0, 1549.5, 1550.5F}));

    const QRect pic = picture->geometry();
    for (int i = 0; i <= 10; ++i) {
        SCOPED_TRACE(i);
        const QLabel& x = *labels.xTicks[i];
        const QLabel& y = *labels.yTicks[i];
        EXPECT_EQ(QStringList({x.text(), y.text()}), QStringList({QString::number(360 * i), QString::number(1550.5 - 0.1 * i, 'f', 2)}));
        EXPECT_FALSE(x.isHidden() || y.isHidden());
        EXPECT_EQ(std::pair(x.font().pointSize(), y.font().pointSize()), std::pair(10, 10));
        // Each tick label is centred on its grid line: below the picture, and left of it.
        EXPECT_NEAR(x.geometry().center().x(), pic.left() + pic.width() * i / 10.0, 1.5);
        EXPECT_GT(x.geometry().top(), pic.bottom());
        EXPECT_NEAR(y.geometry().center().y(), pic.top() + pic.height() * i / 10.0, 1.5);
        EXPECT_LT(y.geometry().right(), pic.left());
    }
    EXPECT_EQ(std::tuple(labels.xTitle->text(), labels.xTitle->font().pointSize()), std::tuple(QStringLiteral("Time (s)"), 12));
    EXPECT_NEAR(labels.xTitle->geometry().center().x(), pic.center().x(), 12);
    EXPECT_GT(labels.xTitle->geometry().top(), labels.xTicks[5]->geometry().top());
    EXPECT_EQ(labels.yTitle->Caption(), QStringLiteral("Center (nm)"));
    EXPECT_LT(labels.yTitle->geometry().center().x(), labels.yTicks[5]->geometry().center().x());
    EXPECT_EQ(labels.yTitle->BackColor(), VbColor::White) << "on the window's background";

    // The set is 22 ticks, the x title and the legend, each found by its name.
    EXPECT_EQ(host->findChildren<QLabel*>().size(), 24);
    for (const int i : {0, 10}) {
        EXPECT_EQ(host->findChild<QLabel*>(QStringLiteral("XTick(%1)").arg(i)), labels.xTicks[i]);
        EXPECT_EQ(host->findChild<QLabel*>(QStringLiteral("YTick(%1)").arg(i)), labels.yTicks[i]);
    }

    frame.hideAxes();
    for (std::size_t i = 0; i < labels.xTicks.size(); ++i) EXPECT_TRUE(labels.xTicks[i]->isHidden() && labels.yTicks[i]->isHidden()) << i;
    EXPECT_TRUE(labels.xTitle->isHidden() && labels.yTitle->isHidden());
}

TEST_F(PlotFrameTest, LayersFollowTheFramesRangeAndTheLegendNamesEachTraceInItsCorner)
{
    // value = 1500 - wl over 1500 .. 1510 nm, one row per nm.
    std::vector<std::array<float, 2>> rows;
    for (int i = 0; i <= 10; ++i) rows.push_back({1500.0F + i, -static_cast<float>(i)});
    const plot::MarkerPair pair{{plot::markerOn(rows, 4), std::nullopt}, 0};
    const plot::Range ranges[] = {{1500.0, 1510.0, -10.0, 0.0F}, {1503.0, 1506.0, -7.0, -2.0F}};
    for (const plot::Range& range : ranges) {
        SCOPED_TRACE(range.xMin);
        frame.setRange(range);
        frame.drawGrid();
        frame.drawTrace(rows, VbColor::Blue);
        frame.showMarkers(rows, pair, {}, QStringLiteral("dB"), 1);

        const QPoint point = plot::PixelMap(frame.viewport())(1504.0F, -4.0F);
        EXPECT_EQ(picture->persistentImage().pixel(point) & 0xFFFFFFU, 0x0000FFU) << "the trace passes its point";
        ASSERT_EQ(picture->markerLayer().size(), 1U);
        EXPECT_EQ(picture->markerLayer()[0].at, point) << "the marker sits on it";
    }

    frame.showLegend({{QStringLiteral("#1 <DUT-A>"), VbColor::Blue}, {QStringLiteral("#2 DUT-B"), VbColor::Red}});
    const QLabel& legend = *labels.legend;
    EXPECT_FALSE(legend.isHidden());
    EXPECT_EQ(legend.text(), QStringLiteral("<span style=\"color:#0000ff\">&#9473;&#9473;&#9473;</span> #1 &lt;DUT-A&gt;<br>"
                                            "<span style=\"color:#ff0000\">&#9473;&#9473;&#9473;</span> #2 DUT-B"));
    EXPECT_EQ(legend.parentWidget(), picture);
    EXPECT_EQ(picture->width() - legend.geometry().right() - 1, twipsToPixels(120));
    EXPECT_EQ(legend.y(), twipsToPixels(120));
    frame.showLegend({});
    EXPECT_TRUE(legend.isHidden());
}
