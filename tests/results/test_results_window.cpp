// The results window on a bench with fakes: its load, the plot drawn for a spectrum, the mouse
// gestures, the buttons, closing and reloading; pictures for people to look at.

#include "app/form1.h"
#include "app/units.h"
#include "bench_fixture.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/results_controller.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalBlocker>
#include <QTest>

#include <cmath>

namespace {

// A synthetic transmission spectrum: three channels over a gentle slope.
void loadSpectrum(int points = 2001, std::int16_t kind = 3)
{
    Module1.ScanWL.resize(points);
    Module1.ScanValue.resize(points);
    for (int i = 0; i < points; ++i) {
        const double wl = 1525.0 + 30.0 * i / (points - 1);
        double v = -32.0 + 0.1 * (wl - 1525.0);
        for (double centre : {1532.0, 1540.0, 1548.0}) v += 28.0 * std::exp(-std::pow((wl - centre) / 0.8, 2));
        Module1.ScanWL[i] = static_cast<float>(wl);
        Module1.ScanValue[i] = static_cast<float>(v);
    }
    Module1.LastPointIndex = points - 1;
    Module1.TraceKind = kind;
}

QPoint pixelOf(Form2& f, double xTwips, double yTwips)
{
    const double s = f.Picture1->pixelsPerTwip();
    return {static_cast<int>(std::lround(xTwips * s)), static_cast<int>(std::lround(yTwips * s))};
}

bool isRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }

int redPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 0 && isRed(image.pixel(x, y));
    return n;
}

void dragOn(Form2& f, Qt::MouseButton button, QPoint from, QPoint to)
{
    QTest::mousePress(f.Picture1, button, Qt::NoModifier, from);
    QTest::mouseMove(f.Picture1, (from + to) / 2);
    QTest::mouseMove(f.Picture1, to);
    QTest::mouseRelease(f.Picture1, button, Qt::NoModifier, to);
}

}  // namespace

TEST(ResultsWindow, LoadsWithAnEmptyGridAndLabelsZeroToTen)
{
    FakeBench b;
    Form2& f = b->form2();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.Picture1->isEnabled());
    EXPECT_EQ(Module1.PlotMode, 0);
    EXPECT_NEAR(Module1.PicWidth, pixelsToTwips(f.Picture1->width()), 1e-3);
    EXPECT_DOUBLE_EQ(Module1.PicBottom, Module1.PicTop + Module1.PicHeight);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(f.Label1[i]->text(), QString::number(i) + QStringLiteral(".0"));
        EXPECT_EQ(f.Label2[i]->text(), QString::number(10 - i) + QStringLiteral(".000"));
        // Each x label is centred under its grid line, each y label beside its line.
        const int lineX = f.Picture1->x() + pixelOf(f, Module1.PicWidth * i / 10, 0).x();
        EXPECT_NEAR(f.Label1[i]->x() + f.Label1[i]->width() / 2.0, lineX, 1.0);
        const int lineY = f.Picture1->y() + pixelOf(f, 0, Module1.PicHeight * i / 10.0).y();
        EXPECT_NEAR(f.Label2[i]->y() + f.Label2[i]->height() / 2.0, lineY, 1.0);
        EXPECT_LT(f.Label2[i]->geometry().right(), f.Picture1->x());
    }
    EXPECT_EQ(f.WLLabel->text(), QStringLiteral(" Wavelength (nm) "));
    EXPECT_EQ(f.Label4->text(), QStringLiteral("Channel #1"));
    // The frame's top-left corner and a dotted grid line are drawn.
    const QImage& pic = f.Picture1->persistentImage();
    EXPECT_EQ(qGray(pic.pixel(0, 0)), 0);
    int dark = 0;
    const int gridRow = pixelOf(f, 0, Module1.PicHeight * 3 / 10.0).y();
    for (int x = 20; x < 60; ++x) dark += qGray(pic.pixel(x, gridRow)) < 128;
    EXPECT_GT(dark, 10);
    EXPECT_LT(dark, 30) << "dotted, not solid";
}

TEST(ResultsWindow, TickLabelsAndTitlesForASpectrum)
{
    FakeBench b;
    Form2& f = b->form2();
    Module1.ScanWL = {1500.0F, 1510.0F, 1520.0F, 1530.0F, 1540.0F};
    Module1.ScanValue = {-30.0F, -10.0F, -20.0F, -5.0F, -25.0F};
    Module1.LastPointIndex = 4;
    Module1.TraceKind = 3;
    Module1.ChannelIndex = 2;
    PlotSpectrum(*b.bench);
    EXPECT_EQ(f.Label1[0]->text(), QStringLiteral("1500.0"));
    EXPECT_EQ(f.Label1[1]->text(), QStringLiteral("1504.0"));
    EXPECT_EQ(f.Label1[10]->text(), QStringLiteral("1540.0"));
    EXPECT_EQ(f.Label2[0]->text(), QStringLiteral("-4.000"));   // top: yStart + ySpan
    EXPECT_EQ(f.Label2[5]->text(), QStringLiteral("-17.500"));
    EXPECT_EQ(f.Label2[10]->text(), QStringLiteral("-31.000"));
    EXPECT_EQ(f.Label4->text(), QStringLiteral("Channel #3"));
}

TEST(ResultsWindow, YTitleFollowsTheMeasurementOptions)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum();
    Form1& m = b->form1();
    const auto plotWith = [&](bool align, bool il) {
        const QSignalBlocker quietA(m.CheckAlignMode);
        const QSignalBlocker quietB(m.CheckVXMScanMode);
        m.CheckAlignMode->setChecked(align);
        m.CheckVXMScanMode->setChecked(il);
        PlotSpectrum(*b.bench);
        return f.RotateLabel->Caption();
    };
    EXPECT_EQ(plotWith(true, false), QStringLiteral(" Power (dBm) "));
    EXPECT_EQ(plotWith(true, true), QStringLiteral(" Insertion Loss (dB) "));
    EXPECT_EQ(plotWith(true, false), QStringLiteral(" Power (dBm) "));
    EXPECT_EQ(plotWith(false, false), QStringLiteral(" Insertion Loss (dB) "));
    // The title's square sits left of the plot, centred on its height.
    const QRect r = f.RotateLabel->geometry();
    EXPECT_EQ(r.width(), r.height());
    EXPECT_LT(r.left(), f.Label2[0]->geometry().left());
    EXPECT_NEAR(r.center().y(), f.Picture1->geometry().center().y(), 2);
}

TEST(ResultsWindow, TraceColoursAlternateBetweenRedraws)
{
    FakeBench b;
    Form2& f = b->form2();
    const auto sampleAfterRedraw = [&](std::int16_t kind) {
        Module1.ScanWL = {1500.0F, 1520.0F, 1540.0F};
        Module1.ScanValue = {-7.0F, -7.0F, -7.0F};  // flat: a line through the middle
        Module1.LastPointIndex = 2;
        Module1.TraceKind = kind;
        PlotSpectrum(*b.bench);
        // The trace is the solid row near the middle; its colour is the pen's.
        const QImage& pic = f.Picture1->persistentImage();
        const int middle = pixelOf(f, 0, Module1.PicHeight / 2.0).y();
        int bestRow = middle;
        int bestCount = -1;
        for (int y = middle - 3; y <= middle + 3; ++y) {
            int count = 0;
            for (int x = 250; x < 300; ++x) count += pic.pixel(x, y) != qRgb(255, 255, 255);
            if (count > bestCount) bestCount = count, bestRow = y;
        }
        EXPECT_EQ(bestCount, 50) << "a solid line";
        return pic.pixel(277, bestRow);
    };
    Module1.PlotCount = 0;
    EXPECT_EQ(sampleAfterRedraw(3) & 0xFFFFFF, 0x0000FFU);  // PlotCount 1: blue
    EXPECT_EQ(sampleAfterRedraw(3) & 0xFFFFFF, 0xFF0000U);  // PlotCount 2: red
    EXPECT_EQ(sampleAfterRedraw(2) & 0xFFFFFF, 0x00FFFFU);  // PlotCount 3: cyan
    EXPECT_EQ(sampleAfterRedraw(2) & 0xFFFFFF, 0x00FF00U);  // green
    EXPECT_EQ(sampleAfterRedraw(1) & 0xFFFFFF, 0xFF00FFU);  // magenta
    EXPECT_EQ(sampleAfterRedraw(0) & 0xFFFFFF, 0x000000U);  // unknown kind: black, as the grid
    for (int i = 0; i < 4; ++i) sampleAfterRedraw(3);
    EXPECT_EQ(Module1.PlotCount, 0) << "reset after the tenth redraw";
}

TEST(ResultsWindow, ZoomGestureNarrowsTheRange)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum();
    PlotSpectrum(*b.bench);
    const double xMin = Module1.AxisXMin, xMax = Module1.AxisXMax;

    f.ZoomPlot->click();
    EXPECT_EQ(Module1.PlotMode, 1);
    EXPECT_TRUE(f.Picture1->isEnabled());
    EXPECT_EQ(f.Picture1->cursor().shape(), Qt::CrossCursor);

    // Dragged from lower right to upper left, a quarter to a half of the picture.
    const QSize px = f.Picture1->size();
    QTest::mousePress(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(px.width() / 2, px.height() / 2));
    QTest::mouseMove(f.Picture1, QPoint(px.width() / 3, px.height() / 3));
    EXPECT_GT(redPixels(f.Picture1->overlayImage()), 100) << "rubber band while the left button is held";
    QTest::mouseRelease(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(px.width() / 4, px.height() / 4));

    EXPECT_EQ(Module1.ZoomCount, 1);
    EXPECT_EQ(Module1.ZoomCountSeen, 1);
    EXPECT_LT(Module1.ZoomX1, Module1.ZoomX2);
    EXPECT_LT(Module1.ZoomY1, static_cast<float>(Module1.ZoomY2));
    EXPECT_NEAR(Module1.AxisXMin, xMin + (xMax - xMin) / 4, 0.1);
    EXPECT_NEAR(Module1.AxisXMax, xMin + (xMax - xMin) / 2, 0.1);
    EXPECT_EQ(f.Label1[0]->text(), QString::number(Module1.AxisXMin, 'f', 1));
    EXPECT_EQ(redPixels(f.Picture1->overlayImage()), 0) << "the redraw covers the rectangle";

    // Normal returns to the whole scan at once.
    f.NormalPlot->click();
    EXPECT_EQ(Module1.PlotMode, 0);
    EXPECT_EQ(Module1.ZoomCount, 0);
    EXPECT_FALSE(f.Picture1->isEnabled());
    EXPECT_DOUBLE_EQ(Module1.AxisXMin, xMin);
    EXPECT_DOUBLE_EQ(Module1.AxisXMax, xMax);
}

TEST(ResultsWindow, RightButtonDrawsNoBandButCompletesTheRectangle)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum();
    PlotSpectrum(*b.bench);
    const double xMax = Module1.AxisXMax;
    f.ZoomPlot->click();
    const QSize px = f.Picture1->size();
    QTest::mousePress(f.Picture1, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(f.Picture1, QPoint(px.width() / 2, px.height() / 2));
    EXPECT_EQ(redPixels(f.Picture1->overlayImage()), 0);
    QTest::mouseRelease(f.Picture1, Qt::RightButton, Qt::NoModifier, QPoint(px.width() / 2, px.height() / 2));
    EXPECT_EQ(Module1.ZoomCount, 1);
    EXPECT_LT(Module1.AxisXMax, xMax);
}

TEST(ResultsWindow, GesturesAfterAStoppedRepeatAreOnlyCounted)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum();
    PlotSpectrum(*b.bench);
    const double xMin = Module1.AxisXMin;
    Module1.RepeatStop = 1;

    f.PanPlot->click();
    EXPECT_EQ(Module1.PlotMode, 2);
    EXPECT_EQ(f.Picture1->cursor().shape(), Qt::OpenHandCursor);
    const QSize px = f.Picture1->size();
    dragOn(f, Qt::LeftButton, QPoint(100, 100), QPoint(100 + px.width() / 10, 100));
    EXPECT_EQ(Module1.PanCount, 1);
    EXPECT_EQ(Module1.PanCountSeen, 0);
    EXPECT_DOUBLE_EQ(Module1.AxisXMin, xMin);

    // The next measurement's redraw applies the drag: the picture follows the mouse to the right.
    PlotSpectrum(*b.bench);
    EXPECT_LT(Module1.AxisXMin, xMin);
    EXPECT_EQ(Module1.PanCountSeen, 1);

    // A zoom rectangle while stopped stays red on the picture until the next redraw.
    f.ZoomPlot->click();
    dragOn(f, Qt::LeftButton, QPoint(50, 50), QPoint(300, 200));
    EXPECT_GT(redPixels(f.Picture1->overlayImage()), 100);
    EXPECT_EQ(Module1.ZoomCountSeen, 0);
}

TEST(ResultsWindow, ButtonsStopRepeatAndToggleRepeatability)
{
    FakeBench b;
    Form2& f = b->form2();
    Form1& m = b->form1();
    {
        const QSignalBlocker quiet(m.RepeatMeasure);
        m.RepeatMeasure->setChecked(true);
    }
    int released = 0;
    QObject::connect(m.RepeatMeasure, &QPushButton::toggled, [&](bool on) { released += on ? 0 : 1; });
    f.StopMeasure->click();
    EXPECT_FALSE(m.RepeatMeasure->isChecked());
    EXPECT_EQ(released, 1) << "the main window's toggle handler runs";

    f.RepeatabilityTest->click();
    EXPECT_EQ(Module1.RepeatabilityOn, 1);
    f.RepeatabilityTest->click();
    EXPECT_EQ(Module1.RepeatabilityOn, 0);
}

TEST(ResultsWindow, CloseUnloadsAndTheNextUseLoadsAfresh)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum();
    PlotSpectrum(*b.bench);
    f.ZoomPlot->click();
    dragOn(f, Qt::LeftButton, QPoint(100, 50), QPoint(400, 200));
    ASSERT_EQ(Module1.ZoomCount, 1);
    f.RepeatabilityTest->click();

    QPointer<Form2> old(&f);
    f.CloseForm2->click();
    EXPECT_EQ(b->loadedForm2(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());

    Form2& fresh = b->form2();
    EXPECT_EQ(Module1.ZoomCount, 0);
    EXPECT_EQ(Module1.ZoomCountSeen, 0);
    EXPECT_EQ(Module1.PlotMode, 0);
    EXPECT_EQ(Module1.RepeatabilityOn, 0);
    EXPECT_FALSE(fresh.Picture1->isEnabled());
    EXPECT_EQ(fresh.Label1[10]->text(), QStringLiteral("10.0"));
    ASSERT_NE(b->results(), nullptr);
    // The first redraw of the new window scales automatically again.
    PlotSpectrum(*b.bench);
    EXPECT_DOUBLE_EQ(Module1.AxisXMin, 1525.0);
}

TEST(ResultsWindow, PicturesForPeople)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum(20001);
    PlotSpectrum(*b.bench);
    f.resize(f.minimumSize());
    const QString dir = testOutputDir();
    ASSERT_TRUE(f.grab().save(dir + QStringLiteral("/form2-spectrum.png")));

    f.ZoomPlot->click();
    const QSize px = f.Picture1->size();
    dragOn(f, Qt::LeftButton, QPoint(px.width() * 45 / 100, px.height() / 20),
           QPoint(px.width() * 58 / 100, px.height() * 9 / 10));
    ASSERT_EQ(Module1.ZoomCountSeen, 1);
    ASSERT_TRUE(f.grab().save(dir + QStringLiteral("/form2-zoomed.png")));
}

TEST(ResultsWindow, PixelColumnTraceMatchesEverySegmentDrawn)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum(20001);
    // Noise on top, so that each pixel column holds a vertical span of many points.
    for (std::size_t i = 0; i < Module1.ScanValue.size(); ++i) Module1.ScanValue[i] += static_cast<float>((i * 7919) % 13) * 0.1F;

    const auto pictureWith = [&](TraceDrawing how) {
        Module1.PlotCount = 0;
        PlotSpectrumDrawing(*b.bench, how);
        return f.Picture1->persistentImage().copy();
    };
    const QImage columns = pictureWith(TraceDrawing::Columns);
    const QImage segments = pictureWith(TraceDrawing::Segments);
    ASSERT_EQ(columns.size(), segments.size());
    int differing = 0;
    int traced = 0;
    for (int y = 0; y < columns.height(); ++y)
        for (int x = 0; x < columns.width(); ++x) {
            differing += columns.pixel(x, y) != segments.pixel(x, y);
            traced += (columns.pixel(x, y) & 0xFFFFFF) == 0x0000FFU;  // blue trace
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(traced, 2000);
}

TEST(ResultsWindow, DegenerateRangeLeavesThePictureEmptyAndLabelsAsTheyWere)
{
    FakeBench b;
    Form2& f = b->form2();
    loadSpectrum();
    PlotSpectrum(*b.bench);
    const QString bottomLeft = f.Label1[0]->text();
    Module1.ScanWL = {1550.0F};
    Module1.ScanValue = {-3.0F};
    Module1.LastPointIndex = 0;
    PlotSpectrum(*b.bench);
    const QImage& pic = f.Picture1->persistentImage();
    int marked = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) marked += pic.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_EQ(marked, 0);
    EXPECT_EQ(f.Label1[0]->text(), bottomLeft);
}
