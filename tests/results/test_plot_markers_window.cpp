// The marker tool in the results window with fakes: clicks and keys move the markers without a
// redraw of the trace, markers follow a zoom, the channels' marks, and Save Plot's picture.

#include "bench_fixture.h"
#include "core/form1.h"
#include "core/units.h"
#include "measure/channel_analysis_step.h"
#include "measure/results_table.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/plot_picture.h"
#include "results_support.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

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
        const auto nearer = [wl](float p, float q) { return std::abs(p - wl) < std::abs(q - wl); };
        const auto& s = Module1.ScanWL;
        return static_cast<std::size_t>(std::min_element(s.begin(), s.end(), nearer) - s.begin());
    }
    static QString reading(int number, std::size_t i)
    {
        const auto fixed = [](double v) { return QString::number(v, 'f', 3); };
        return QStringLiteral("M%1: %2 nm, %3 dB").arg(number).arg(fixed(Module1.ScanWL[i]), fixed(Module1.ScanValue[i]));
    }
    void click(int x) { QTest::mouseClick(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(x, 40)); }
    const plot::MarkerGlyph& glyph(plot::GlyphKind kind) const
    {
        const plot::MarkerLayer& glyphs = f.Picture1->markerLayer();
        return *std::find_if(glyphs.begin(), glyphs.end(), [kind](const plot::MarkerGlyph& g) { return g.kind == kind; });
    }
    // Where the trace draws a point of the scan now.
    QPoint tracePixel(std::size_t i) const
    {
        return plot::PixelMap({{Module1.AxisXMin, Module1.AxisXMax, Module1.AxisYMin, Module1.AxisYMax}, Module1.PicWidth,
                               Module1.PicHeight, f.Picture1->pixelsPerTwip()})(Module1.ScanWL[i], Module1.ScanValue[i]);
    }

    FakeBench b;
    Form2& f = b->form2();
    int width = f.Picture1->width();
};

}  // namespace

TEST_F(PlotMarkers, ClicksPlaceTheFirstThenTheSecondAndKeysMoveThemWithoutRedrawingTheTrace)
{
    f.MarkerPlot->click();
    EXPECT_EQ(f.Picture1->focusPolicy(), Qt::StrongFocus);

    const int plotCount = Module1.PlotCount;
    f.Picture1->persistentImage().setPixel(5, 5, qRgb(1, 2, 3));  // gone if anything redraws the trace
    std::size_t first = pointUnder(width / 4), second = pointUnder(width * 3 / 4);
    click(width / 4);
    EXPECT_EQ(f.Marker1Text->text(), reading(1, first));
    EXPECT_TRUE(f.MarkerDeltaText->isHidden());
    click(width * 3 / 4);
    EXPECT_EQ(f.Marker2Text->text(), reading(2, second));
    EXPECT_FALSE(f.MarkerDeltaText->isHidden());

    // The second is active: Right moves it one point; 1 picks the first, Shift+Left moves it ten.
    QTest::keyClick(f.Picture1, Qt::Key_Right);
    QTest::keyClick(f.Picture1, Qt::Key_1);
    QTest::keyClick(f.Picture1, Qt::Key_Left, Qt::ShiftModifier);
    first -= 10, second += 1;
    EXPECT_EQ(f.Marker1Text->text(), reading(1, first));
    const double dwl = static_cast<double>(Module1.ScanWL[second]) - Module1.ScanWL[first];
    EXPECT_TRUE(f.MarkerDeltaText->text().contains(QString::number(dwl, 'f', 3) + QStringLiteral(" nm")));
    // A click near the second moves it, whatever is active.
    second = pointUnder(width * 2 / 3);
    click(width * 2 / 3);
    EXPECT_EQ(f.Marker2Text->text(), reading(2, second));
    EXPECT_EQ(std::tuple(Module1.PlotCount, f.Picture1->persistentImage().pixel(5, 5)), std::tuple(plotCount, qRgb(1, 2, 3)));

    // Each marker sits on its point of the trace, also after a zoom onto the second one.
    for (int zoomed = 0; zoomed < 2; ++zoomed) {
        const plot::MarkerGlyph& m1 = glyph(plot::GlyphKind::FirstMarker);
        const plot::MarkerGlyph& m2 = glyph(plot::GlyphKind::SecondMarker);
        EXPECT_EQ(m2.at, tracePixel(second)) << zoomed;
        const QRgb p = f.Picture1->persistentImage().pixel(m2.at);
        EXPECT_FALSE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << "on the coloured trace " << zoomed;
        if (!zoomed) { EXPECT_EQ(m1.at, tracePixel(first)); }
        f.ZoomPlot->click();
        const int x = m2.at.x();
        QTest::mousePress(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(x - 60, 5));
        QTest::mouseRelease(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(x + 40, f.Picture1->height() - 5));
    }
    EXPECT_EQ(std::tuple(+Module1.ZoomCountSeen, f.Picture1->focusPolicy()), std::tuple(2, Qt::NoFocus)) << "the zoom tool takes the keyboard away";

    // Back in marker mode, Delete removes the active (second) marker.
    f.MarkerPlot->click();
    QTest::keyClick(f.Picture1, Qt::Key_Delete);
    EXPECT_EQ(std::tuple(f.Marker2Text->text(), f.MarkerDeltaText->isHidden()), std::tuple(QStringLiteral("M2: -"), true));
}

TEST_F(PlotMarkers, ChannelMarksComeWithTheirCheckBoxAndSavePlotsPictureHoldsTheMarkers)
{
    results_test::ScratchHome home;
    QTemporaryDir out;
    AnalyseChannels(b->form1(), b->info());
    FillResultsTable(b->form1(), f);
    PlotSpectrum(f, b->form1());
    ASSERT_EQ(Module1.ChannelCount, 3);
    EXPECT_TRUE(f.Picture1->markerLayer().empty()) << "off by default";
    f.AutoMarkers->click();
    EXPECT_EQ(f.Picture1->markerLayer().size(), 9U) << "two edges and a center per channel";
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.MarkerPlot->click();
    click(width / 4);
    click(width * 3 / 4);
    ASSERT_TRUE(f.grab().save(testOutputDir() + QStringLiteral("/form2-markers.png")));  // for people
    f.AutoMarkers->click();
    EXPECT_EQ(f.Picture1->markerLayer().size(), 2U) << "the placed markers stay";

    b.dialogs->answer = out.filePath(QStringLiteral("plot.png"));
    f.SavePlot->click();
    QImage png;
    ASSERT_TRUE(png.load(out.filePath(QStringLiteral("plot.png")), "PNG"));
    // Each marker's colour inside its triangle above its point, and not on the picture beneath.
    const QPoint offset = f.Picture1->geometry().topLeft() - plotRegion(f).topLeft();
    const std::pair<plot::GlyphKind, QRgb> markers[] = {{plot::GlyphKind::FirstMarker, qRgb(255, 128, 0)},
                                                        {plot::GlyphKind::SecondMarker, qRgb(160, 0, 200)}};
    for (const auto& [kind, colour] : markers) {
        const QPoint inside = glyph(kind).at + QPoint(2, -6);  // beside its dotted line
        EXPECT_EQ(png.pixel(inside + offset) & 0xFFFFFFU, colour & 0xFFFFFFU);
        EXPECT_NE(f.Picture1->persistentImage().pixel(inside) & 0xFFFFFFU, colour & 0xFFFFFFU);
    }
    // Their difference, right-aligned above the plot, is in the picture too.
    const QRect delta = f.MarkerDeltaText->geometry().translated(-plotRegion(f).topLeft());
    int dark = 0;
    for (int y = delta.top(); y <= delta.bottom(); ++y)
        for (int x = delta.right() - 150; x <= delta.right(); ++x) dark += qGray(png.pixel(x, y)) < 100;
    EXPECT_GT(dark, 30);
}
