// The marker tool in the results window on a bench with fakes: clicks and keys place and move the
// two markers without a redraw of the trace, the markers follow a zoom, the channels' marks come
// and go with their check box, and Save Plot's picture holds the markers.

#include "bench_fixture.h"
#include "core/form1.h"
#include "core/units.h"
#include "measure/channel_analysis_step.h"
#include "measure/results_table.h"
#include "results/form2.h"
#include "results/marker_controller.h"
#include "results/plot_engine.h"
#include "results/plot_picture.h"
#include "results_support.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

const QRgb kFirstColour = qRgb(255, 128, 0);
const QRgb kSecondColour = qRgb(160, 0, 200);

class PlotMarkers : public testing::Test {
protected:
    void SetUp() override
    {
        results_test::loadSpectrum(2001);
        PlotSpectrum(f, b->form1());
    }
    // The scan point nearest the wavelength under picture pixel column x, by a plain search.
    static std::size_t pointUnder(int x)
    {
        const double wl = Module1.AxisXMin + (Module1.AxisXMax - Module1.AxisXMin) * pixelsToTwips(x) / Module1.PicWidth;
        std::size_t best = 0;
        for (std::size_t i = 1; i < Module1.ScanWL.size(); ++i)
            if (std::abs(Module1.ScanWL[i] - wl) < std::abs(Module1.ScanWL[best] - wl)) best = i;
        return best;
    }
    static QString reading(int number, std::size_t i)
    {
        return QStringLiteral("M%1: %2 nm, %3 dB")
            .arg(number)
            .arg(Module1.ScanWL[i], 0, 'f', 3)
            .arg(Module1.ScanValue[i], 0, 'f', 3);
    }
    static QString difference(std::size_t first, std::size_t second)
    {
        return QString::fromUtf8("M2 - M1: Δλ = %1 nm, Δ = %2 dB")
            .arg(static_cast<double>(Module1.ScanWL[second]) - Module1.ScanWL[first], 0, 'f', 3)
            .arg(static_cast<double>(Module1.ScanValue[second]) - Module1.ScanValue[first], 0, 'f', 3);
    }
    void click(int x) { QTest::mouseClick(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(x, 40)); }
    const plot::MarkerGlyph& glyph(plot::GlyphKind kind) const
    {
        const plot::MarkerLayer& glyphs = f.Picture1->markerLayer();
        return *std::find_if(glyphs.begin(), glyphs.end(), [kind](const plot::MarkerGlyph& g) { return g.kind == kind; });
    }
    // Where the trace draws a point of the scan now.
    static QPoint tracePixel(std::size_t i, const PlotSurface& pic)
    {
        const plot::PixelMap map({Module1.AxisXMin, Module1.AxisXMax, Module1.AxisYMin, Module1.AxisYMax},
                                 Module1.PicWidth, Module1.PicHeight, pic.pixelsPerTwip());
        return map(Module1.ScanWL[i], Module1.ScanValue[i]);
    }
    static bool traceColoured(QRgb p) { return !(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)); }

    FakeBench b;
    Form2& f = b->form2();
    int width = f.Picture1->width();
};

}  // namespace

TEST_F(PlotMarkers, ClicksPlaceTheFirstThenTheSecondAndKeysMoveThemWithoutRedrawingTheTrace)
{
    EXPECT_EQ(f.Marker1Text->text(), QStringLiteral("M1: -"));
    f.MarkerPlot->click();
    EXPECT_EQ(Module1.PlotMode, MarkerController::kMarkerMode);
    EXPECT_TRUE(f.Picture1->isEnabled());
    EXPECT_EQ(f.Picture1->focusPolicy(), Qt::StrongFocus);

    const int plotCount = Module1.PlotCount;
    f.Picture1->persistentImage().setPixel(5, 5, qRgb(1, 2, 3));  // gone if anything redraws the trace
    std::size_t first = pointUnder(width / 4), second = pointUnder(width * 3 / 4);
    click(width / 4);
    EXPECT_EQ(f.Marker1Text->text(), reading(1, first));
    EXPECT_TRUE(f.MarkerDeltaText->isHidden());
    click(width * 3 / 4);
    EXPECT_EQ(f.Marker2Text->text(), reading(2, second));
    EXPECT_EQ(f.MarkerDeltaText->text(), difference(first, second));
    EXPECT_FALSE(f.MarkerDeltaText->isHidden());

    // The second is active: Right moves it one point; 1 picks the first, Shift+Left moves it ten.
    QTest::keyClick(f.Picture1, Qt::Key_Right);
    QTest::keyClick(f.Picture1, Qt::Key_1);
    QTest::keyClick(f.Picture1, Qt::Key_Left, Qt::ShiftModifier);
    first -= 10, second += 1;
    EXPECT_EQ(f.Marker1Text->text(), reading(1, first));
    EXPECT_EQ(f.MarkerDeltaText->text(), difference(first, second));
    // A click near the second moves it, whatever is active.
    second = pointUnder(width * 2 / 3);
    click(width * 2 / 3);
    EXPECT_EQ(f.Marker2Text->text(), reading(2, second));
    EXPECT_EQ(Module1.PlotCount, plotCount);
    EXPECT_EQ(f.Picture1->persistentImage().pixel(5, 5), qRgb(1, 2, 3));

    // Each marker sits on its point of the trace, also after a zoom onto the second one.
    for (int zoomed = 0; zoomed < 2; ++zoomed) {
        const plot::MarkerGlyph& m1 = glyph(plot::GlyphKind::FirstMarker);
        const plot::MarkerGlyph& m2 = glyph(plot::GlyphKind::SecondMarker);
        EXPECT_EQ(m2.at, tracePixel(second, *f.Picture1)) << zoomed;
        EXPECT_TRUE(traceColoured(f.Picture1->persistentImage().pixel(m2.at))) << zoomed;
        EXPECT_EQ(m2.label, reading(2, second));
        if (!zoomed) {
            EXPECT_EQ(m1.at, tracePixel(first, *f.Picture1));
        }
        f.ZoomPlot->click();
        const int x = m2.at.x();
        QTest::mousePress(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(x - 60, 5));
        QTest::mouseRelease(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(x + 40, f.Picture1->height() - 5));
    }
    EXPECT_EQ(Module1.ZoomCountSeen, 2);
    EXPECT_EQ(f.Picture1->focusPolicy(), Qt::NoFocus) << "the zoom tool takes the keyboard away";

    // Back in marker mode, Delete removes the active (second) marker.
    f.MarkerPlot->click();
    QTest::keyClick(f.Picture1, Qt::Key_Delete);
    EXPECT_EQ(f.Marker2Text->text(), QStringLiteral("M2: -"));
    EXPECT_TRUE(f.MarkerDeltaText->isHidden());
}

TEST_F(PlotMarkers, ChannelMarksAtEachCenterAndEdgeComeWithTheirCheckBox)
{
    AnalyseChannels(b->form1(), b->info());
    FillResultsTable(b->form1(), f);
    PlotSpectrum(f, b->form1());
    ASSERT_EQ(Module1.ChannelCount, 3);
    EXPECT_TRUE(f.Picture1->markerLayer().empty()) << "off by default";
    f.AutoMarkers->click();
    const plot::MarkerLayer& glyphs = f.Picture1->markerLayer();
    ASSERT_EQ(glyphs.size(), 9U);
    const plot::PixelMap map({Module1.AxisXMin, Module1.AxisXMax, Module1.AxisYMin, Module1.AxisYMax}, Module1.PicWidth,
                             Module1.PicHeight, f.Picture1->pixelsPerTwip());
    for (int c = 0; c < 3; ++c) {
        const auto& [center, bandwidth, peak] = Module1.ChannelResults[static_cast<std::size_t>(c) + 1];
        // The edges lie 3 dB below the channel's top, on the trace, half a bandwidth either side.
        const float edgeWl[] = {center - bandwidth / 2, center + bandwidth / 2};
        for (int e = 0; e < 2; ++e) {
            const plot::MarkerGlyph& edge = glyphs[static_cast<std::size_t>(3 * c + e)];
            EXPECT_EQ(edge.kind, plot::GlyphKind::ChannelEdge);
            const QPoint expected = map(edgeWl[e], peak - 3.0F);
            EXPECT_LE((edge.at - expected).manhattanLength(), 1) << c << e;
        }
        const plot::MarkerGlyph& middle = glyphs[static_cast<std::size_t>(3 * c + 2)];
        EXPECT_EQ(middle.kind, plot::GlyphKind::ChannelCenter);
        EXPECT_EQ(middle.at.x(), map(center, 0.0F).x());
        EXPECT_EQ(middle.label, QString::number(c + 1));
    }

    // For people: both markers and the channels' marks.
    f.resize(f.minimumSize());
    f.MarkerPlot->click();
    click(width * 24 / 100);
    click(width * 52 / 100);
    ASSERT_TRUE(f.grab().save(testOutputDir() + QStringLiteral("/form2-markers.png")));

    f.AutoMarkers->click();
    EXPECT_EQ(f.Picture1->markerLayer().size(), 2U) << "the placed markers stay";
}

TEST_F(PlotMarkers, SavePlotsPictureHoldsBothMarkers)
{
    results_test::ScratchHome home;
    QTemporaryDir out;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.MarkerPlot->click();
    click(width / 4);
    click(width * 3 / 4);
    b.dialogs->answer = out.filePath(QStringLiteral("plot.png"));
    f.SavePlot->click();
    QImage png;
    ASSERT_TRUE(png.load(out.filePath(QStringLiteral("plot.png")), "PNG"));

    // Inside each marker's triangle, a few pixels above its point, in the marker's colour; the
    // persistent picture beneath holds no marker.
    const QPoint offset = f.Picture1->geometry().topLeft() - plotRegion(f).topLeft();
    const std::pair<plot::GlyphKind, QRgb> markers[] = {{plot::GlyphKind::FirstMarker, kFirstColour},
                                                        {plot::GlyphKind::SecondMarker, kSecondColour}};
    for (const auto& [kind, colour] : markers) {
        const QPoint inside = glyph(kind).at + QPoint(2, -6);  // beside its dotted line
        EXPECT_EQ(png.pixel(inside + offset) & 0xFFFFFFU, colour & 0xFFFFFFU);
        EXPECT_NE(f.Picture1->persistentImage().pixel(inside) & 0xFFFFFFU, colour & 0xFFFFFFU);
    }
    // Their difference, right-aligned above the plot, is written into the picture too.
    ASSERT_TRUE(plotRegion(f).contains(f.MarkerDeltaText->geometry()));
    const QRect delta = f.MarkerDeltaText->geometry().translated(-plotRegion(f).topLeft());
    int dark = 0;
    for (int y = delta.top(); y <= delta.bottom(); ++y)
        for (int x = delta.right() - 150; x <= delta.right(); ++x) dark += qGray(png.pixel(x, y)) < 100;
    EXPECT_GT(dark, 30);
}
