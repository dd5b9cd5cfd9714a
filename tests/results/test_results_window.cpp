// The results window on a bench with fakes: its load, the plot drawn for a spectrum, the mouse
// gestures, the buttons, closing and reloading.

#include "core/form1.h"
#include "core/units.h"
#include "bench_fixture.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "plot/plot_math.h"
#include "results/results_controller.h"
#include "results_support.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QTest>

#include <cmath>

namespace {

int countPixels(const QImage& image, const std::function<bool(QRgb)>& which)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += which(image.pixel(x, y)) ? 1 : 0;
    return n;
}

int redPixels(const QImage& image)
{
    return countPixels(image, [](QRgb p) { return qAlpha(p) > 0 && qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; });
}

class ResultsWindow : public testing::Test {
protected:
    void plotSpectrum(int points = 2001)
    {
        results_test::loadSpectrum(points);
        PlotSpectrum(b->form2(), b->form1());
    }
    void setScan(std::vector<float> wl, std::vector<float> value, std::int16_t kind = 3)
    {
        Module1.LastPointIndex = static_cast<std::int32_t>(wl.size()) - 1;
        Module1.ScanWL = std::move(wl);
        Module1.ScanValue = std::move(value);
        Module1.TraceKind = kind;
    }
    QPoint pixelOf(double xTwips, double yTwips) const
    {
        const double s = f.Picture1->pixelsPerTwip();
        return {static_cast<int>(std::lround(xTwips * s)), static_cast<int>(std::lround(yTwips * s))};
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(f.Picture1, button, Qt::NoModifier, from);
        QTest::mouseMove(f.Picture1, (from + to) / 2);
        QTest::mouseMove(f.Picture1, to);
        QTest::mouseRelease(f.Picture1, button, Qt::NoModifier, to);
    }
    QSize px() const { return f.Picture1->size(); }

    FakeBench b;
    Form2& f = b->form2();
};

}  // namespace

TEST_F(ResultsWindow, LoadsWithAnEmptyGridAndLabelsZeroToTen)
{
    EXPECT_FALSE(f.isVisible() || f.Picture1->isEnabled());
    EXPECT_EQ(Module1.PlotMode, 0);
    EXPECT_NEAR(Module1.PicWidth, pixelsToTwips(f.Picture1->width()), 1e-3);
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(f.Label1[i]->text(), QString::number(i) + QStringLiteral(".0"));
        EXPECT_EQ(f.Label2[i]->text(), QString::number(10 - i) + QStringLiteral(".000"));
    }
    // The frame's top-left corner and a dotted grid line are drawn.
    const QImage& pic = f.Picture1->persistentImage();
    EXPECT_EQ(qGray(pic.pixel(0, 0)), 0);
    const QImage gridRow = pic.copy(20, pixelOf(0, Module1.PicHeight * 3 / 10.0).y(), 40, 1);
    const int dark = countPixels(gridRow, [](QRgb p) { return qGray(p) < 128; });
    EXPECT_TRUE(dark > 10 && dark < 30) << dark << ": dotted, not solid";
}

TEST_F(ResultsWindow, TraceColoursAlternateBetweenRedrawsAndADegenerateRangeDrawsNothing)
{
    const auto colourAfterRedraw = [&](std::int16_t kind) {
        setScan({1500, 1520, 1540}, {-7, -7, -7}, kind);  // flat: a line through the middle
        PlotSpectrum(b->form2(), b->form1());
        // The trace is the solid row near the middle; its colour is the pen's.
        const QImage& pic = f.Picture1->persistentImage();
        const int middle = pixelOf(0, Module1.PicHeight / 2.0).y();
        int bestRow = middle, bestCount = -1;
        for (int y = middle - 3; y <= middle + 3; ++y) {
            const int count = countPixels(pic.copy(250, y, 50, 1), [](QRgb p) { return p != qRgb(255, 255, 255); });
            if (count > bestCount) bestCount = count, bestRow = y;
        }
        EXPECT_EQ(bestCount, 50) << "a solid line";
        return pic.pixel(277, bestRow) & 0xFFFFFFU;
    };
    Module1.PlotCount = 0;
    const std::pair<std::int16_t, QRgb> redraws[] = {
        {3, 0x0000FF}, {3, 0xFF0000}, {2, 0x00FFFF}, {2, 0x00FF00}, {1, 0xFF00FF},
        {0, 0x000000},  // unknown kind: black, as the grid
    };
    for (const auto& [kind, colour] : redraws) EXPECT_EQ(colourAfterRedraw(kind), colour) << "kind " << kind;
    for (int i = 0; i < 4; ++i) colourAfterRedraw(3);
    EXPECT_EQ(Module1.PlotCount, 0) << "reset after the tenth redraw";

    // A degenerate range draws nothing and leaves the labels as they were.
    const QString bottomLeft = f.Label1[0]->text();
    setScan({1550}, {-3});
    PlotSpectrum(b->form2(), b->form1());
    EXPECT_EQ(countPixels(f.Picture1->persistentImage(), [](QRgb p) { return p != qRgb(255, 255, 255); }), 0);
    EXPECT_EQ(f.Label1[0]->text(), bottomLeft);
}

TEST_F(ResultsWindow, ZoomGestureNarrowsTheRangeAndNormalRestoresIt)
{
    plotSpectrum();
    const double xMin = Module1.AxisXMin, xMax = Module1.AxisXMax;
    f.ZoomPlot->click();
    EXPECT_EQ(std::tuple(+Module1.PlotMode, f.Picture1->isEnabled(), f.Picture1->cursor().shape()), std::tuple(1, true, Qt::CrossCursor));

    // Dragged from the middle to the upper left, a quarter to a half of the picture.
    QTest::mousePress(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(px().width() / 2, px().height() / 2));
    QTest::mouseMove(f.Picture1, QPoint(px().width() / 3, px().height() / 3));
    EXPECT_GT(redPixels(f.Picture1->overlayImage()), 100) << "rubber band while the left button is held";
    QTest::mouseRelease(f.Picture1, Qt::LeftButton, Qt::NoModifier, QPoint(px().width() / 4, px().height() / 4));
    EXPECT_EQ(Module1.ZoomCountSeen, 1);
    EXPECT_TRUE(Module1.ZoomX1 < Module1.ZoomX2 && Module1.ZoomY1 < static_cast<float>(Module1.ZoomY2));
    EXPECT_NEAR(Module1.AxisXMin, xMin + (xMax - xMin) / 4, 0.1);
    EXPECT_NEAR(Module1.AxisXMax, xMin + (xMax - xMin) / 2, 0.1);
    EXPECT_EQ(f.Label1[0]->text(), QString::number(Module1.AxisXMin, 'f', 1));
    EXPECT_EQ(redPixels(f.Picture1->overlayImage()), 0) << "the redraw covers the rectangle";

    f.NormalPlot->click();  // back to the whole scan at once
    EXPECT_EQ(std::pair(+Module1.PlotMode, +Module1.ZoomCount), std::pair(0, 0));
    EXPECT_FALSE(f.Picture1->isEnabled());
    EXPECT_EQ(std::pair(Module1.AxisXMin, Module1.AxisXMax), std::pair(xMin, xMax));

    // The right button draws no band but completes the rectangle too.
    f.ZoomPlot->click();
    QTest::mousePress(f.Picture1, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(f.Picture1, QPoint(px().width() / 2, px().height() / 2));
    EXPECT_EQ(redPixels(f.Picture1->overlayImage()), 0);
    QTest::mouseRelease(f.Picture1, Qt::RightButton, Qt::NoModifier, QPoint(px().width() / 2, px().height() / 2));
    EXPECT_EQ(std::tuple(+Module1.ZoomCount, Module1.AxisXMax < xMax), std::tuple(1, true));
}

TEST_F(ResultsWindow, GesturesAfterAStoppedRepeatAreOnlyCounted)
{
    plotSpectrum();
    const double xMin = Module1.AxisXMin;
    Module1.RepeatStop = 1;
    f.PanPlot->click();
    EXPECT_EQ(std::tuple(+Module1.PlotMode, f.Picture1->cursor().shape()), std::tuple(2, Qt::OpenHandCursor));
    drag(QPoint(100, 100), QPoint(100 + px().width() / 10, 100));
    EXPECT_EQ(std::tuple(Module1.PanCount, Module1.PanCountSeen), std::tuple(1, 0));
    EXPECT_DOUBLE_EQ(Module1.AxisXMin, xMin);
    // The next measurement's redraw applies the drag: the picture follows the mouse to the right.
    PlotSpectrum(b->form2(), b->form1());
    EXPECT_EQ(std::tuple(Module1.AxisXMin < xMin, Module1.PanCountSeen), std::tuple(true, 1));
    // A zoom rectangle while stopped stays red on the picture until the next redraw.
    f.ZoomPlot->click();
    drag(QPoint(50, 50), QPoint(300, 200));
    EXPECT_GT(redPixels(f.Picture1->overlayImage()), 100);
    EXPECT_EQ(Module1.ZoomCountSeen, 0);
}

TEST_F(ResultsWindow, ButtonsStopRepeatToggleRepeatabilityAndCloseUnloads)
{
    Form1& m = b->form1();
    {
        const QSignalBlocker quiet(m.RepeatMeasure);
        m.RepeatMeasure->setChecked(true);
    }
    int released = 0;
    QObject::connect(m.RepeatMeasure, &QPushButton::toggled, [&](bool on) { released += on ? 0 : 1; });
    f.StopMeasure->click();
    EXPECT_EQ(std::tuple(m.RepeatMeasure->isChecked(), released), std::tuple(false, 1)) << "the main window's toggle handler runs";
    for (const std::int16_t expected : {1, 0, 1}) {
        f.RepeatabilityTest->click();
        EXPECT_EQ(Module1.RepeatabilityOn, expected);
    }

    plotSpectrum();
    f.ZoomPlot->click();
    drag(QPoint(100, 50), QPoint(400, 200));
    ASSERT_EQ(Module1.ZoomCount, 1);
    QPointer<Form2> old(&f);
    f.CloseForm2->click();
    EXPECT_EQ(b->loadedForm2(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());

    Form2& fresh = b->form2();
    for (const int value : {+Module1.ZoomCount, +Module1.ZoomCountSeen, +Module1.PlotMode, +Module1.RepeatabilityOn})
        EXPECT_EQ(value, 0);
    EXPECT_FALSE(fresh.Picture1->isEnabled());
    EXPECT_EQ(fresh.Label1[10]->text(), QStringLiteral("10.0"));
    ASSERT_NE(b->results(), nullptr);
    PlotSpectrum(b->form2(), b->form1());  // the first redraw of the new window scales automatically again
    EXPECT_DOUBLE_EQ(Module1.AxisXMin, 1525.0);
}

// The per-column reduction of a trace draws the very pixels of drawing every segment.
TEST(ColumnReduction, SamePixelsAsEverySegment)
{
    const QSize size(841, 377);
    const auto drawn = [&](const std::vector<QPoint>& points, bool reduced) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setPen(QPen(Qt::red, 1));
        if (reduced) {
            const plot::ColumnTrace c = plot::reduceToColumns(points, size.width(), size.height());
            p.drawLines(c.spans.data(), static_cast<int>(c.spans.size()));
            p.drawLines(c.joins.data(), static_cast<int>(c.joins.size()));
        } else {
            for (std::size_t i = 0; i < points.size(); ++i) p.drawLine(points[i == 0 ? 0 : i - 1], points[i]);
        }
        return image;
    };
    // Dense noisy spectrum, points outside the picture on every side, and a sparse zoomed one.
    QRandomGenerator rng(7);
    std::vector<QPoint> dense, wild, sparse;
    for (int i = 0; i < 20001; ++i)
        dense.emplace_back(i * 841 / 20000, 150 + static_cast<int>(rng.bounded(60)) - (i % 977 == 0 ? 140 : 0));
    for (int i = 0; i < 3000; ++i) wild.emplace_back(-200 + i * 1300 / 3000, static_cast<int>(rng.bounded(800)) - 200);
    for (int i = 0; i < 40; ++i) sparse.emplace_back(i * 37 - 100, 20 + (i * i) % 300);
    // A first column that reaches into the picture by its top row only, the rest above it.
    std::vector<QPoint> grazing{{3, 0}, {3, -6}, {4, -6}, {9, -2}};
    for (const auto* points : {&dense, &wild, &sparse, &grazing})
        EXPECT_TRUE(drawn(*points, false) == drawn(*points, true));
    const plot::ColumnTrace c = plot::reduceToColumns(dense, size.width(), size.height());
    EXPECT_LE(c.spans.size() + c.joins.size(), 2U * 842U);
}

// An align-mode scan returns fewer points than its arrays hold. While zoomed or panned the plotted
// table keeps the rows of the longer scan before it, and only the scanned points may be drawn.
TEST_F(ResultsWindow, AScanShorterThanItsArraysDrawsOnlyTheScannedPoints)
{
    const auto coloured = [](QRgb p) { return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)}) > 100; };
    const struct { const char* gesture; std::int32_t zooms, pans; } redraws[] = {{"zoomed", 1, 0}, {"panned", 0, 1}};
    for (const auto& r : redraws) {
        SCOPED_TRACE(r.gesture);
        Module1.ZoomCount = Module1.ZoomCountSeen = Module1.PanCount = Module1.PanCountSeen = 0;
        plotSpectrum(2001);  // 1525 .. 1555 nm
        // The whole picture as the zoom rectangle, or a drag without movement: the range stays.
        Module1.ZoomX1 = Module1.ZoomY1 = 0.0F;
        Module1.ZoomX2 = Module1.PicWidth;
        Module1.ZoomY2 = Module1.PicHeight;
        Module1.PanX1 = Module1.PanX2 = Module1.PanY1 = 100.0F;
        Module1.PanY2 = 100;
        Module1.ZoomCount = r.zooms, Module1.PanCount = r.pans;
        Module1.LastPointIndex = 1000;  // up to 1540 nm; the arrays still hold the longer scan's points
        PlotSpectrum(b->form2(), b->form1());
        ASSERT_EQ(Module1.PlotData.size(), 2001U) << "the table keeps the longer scan's rows";

        const double lastX = (Module1.ScanWL[1000] - Module1.AxisXMin) / (Module1.AxisXMax - Module1.AxisXMin);
        const int end = pixelOf(lastX * Module1.PicWidth, 0).x() + 2;
        const QImage& pic = f.Picture1->persistentImage();
        EXPECT_GT(countPixels(pic.copy(0, 0, end, pic.height()), coloured), 300);
        EXPECT_EQ(countPixels(pic.copy(end, 0, pic.width() - end, pic.height()), coloured), 0);
    }
}
