// The progress strip of the main window and the busy cursor over the results window.

#include "core/form1.h"
#include "core/progress_strip.h"
#include "bench_fixture.h"
#include "laser/tls_port_controller.h"
#include "results/form2.h"
#include "results/results_controller.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

TEST(ProgressStrip, ExpectedScanTimeFromFiguresAndFromTheMainWindow)
{
    // -1 is unknown: no speed, no average, a reversed span, or beyond what the bar can count.
    const struct { double span, speed; int averages, ms; } rows[] = {
        {40.0, 20.0, 3, 6000}, {80.0, 100.0, 1, 800}, {1.0, 3.0, 1, 333}, {0.0001, 1000.0, 1, 1},  // never 0
        {40.0, 0.0, 3, -1},    {40.0, 20.0, 0, -1},    {-40.0, 20.0, 3, -1}, {1e12, 1e-6, 254, -1}};
    for (const auto& r : rows)
        EXPECT_EQ(expectedScanMilliseconds(r.span, r.speed, r.averages), r.ms) << r.span << " " << r.speed << " " << r.averages;

    FakeBench b;
    Form1& f = b->form1();
    EXPECT_EQ(expectedScanMilliseconds(f), 800) << "1260 to 1340 nm at 100 nm/s, one average";
    f.Text1->setText(QStringLiteral("1525.5 nm"));  // boxes are read by their leading number
    f.Text2->setText(QStringLiteral("1565.5"));
    f.Text3->setText(QStringLiteral("20"));
    f.Text6->setText(QStringLiteral("3"));
    EXPECT_EQ(expectedScanMilliseconds(f), 6000);
    f.Text6->setText(QStringLiteral("x"));
    EXPECT_EQ(expectedScanMilliseconds(f), -1);
}

TEST(ProgressStrip, FollowsPortDetectionAndIsShownDuringAScanInEitherLanguageAndClearedAfter)
{
    FakeBench b;
    ProgressStrip& strip = b->progress();
    EXPECT_EQ(std::tuple(strip.active(), strip.label()->text()), std::tuple(false, QString())) << "start-up detection clears it";

    strip.beginDetection(30);
    EXPECT_EQ(strip.bar()->maximum(), 30);
    b->tlsPort().DetectComPorts();
    // Every port passed through the strip; the last one probed is COM30.
    EXPECT_EQ(std::tuple(strip.label()->text(), strip.bar()->value()), std::tuple(QStringLiteral("Probing COM30 of 30"), 29));
    strip.tick(5000);  // scan ticks do not disturb a detection
    EXPECT_EQ(strip.label()->text(), QStringLiteral("Probing COM30 of 30"));
    strip.end();

    strip.beginScan(6000);
    EXPECT_EQ(std::tuple(strip.active(), strip.bar()->maximum(), strip.label()->text()),
              std::tuple(true, 6000, QStringLiteral("Scan 0.0 s / 6.0 s")));
    strip.tick(1500);
    EXPECT_EQ(std::tuple(strip.bar()->value(), strip.label()->text()), std::tuple(1500, QStringLiteral("Scan 1.5 s / 6.0 s")));
    strip.tick(9250);  // a scan running late: the bar stays full, the time keeps counting
    EXPECT_EQ(std::tuple(strip.bar()->value(), strip.label()->text()), std::tuple(6000, QStringLiteral("Scan 9.3 s / 6.0 s")));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    strip.end();
    strip.tick(500);  // a late poll after the end shows nothing
    EXPECT_EQ(std::tuple(strip.active(), strip.label()->text()), std::tuple(false, QString()));

    strip.beginScan(-1);
    EXPECT_EQ(strip.bar()->maximum(), 0) << "no end: the busy indicator";
    strip.tick(2000);
    EXPECT_EQ(strip.label()->text(), QStringLiteral("Scan 2.0 s"));
    strip.end();
    b->form1().LanguageButton->setChecked(true);
    strip.beginScan(4000);
    strip.tick(1000);
    EXPECT_EQ(strip.label()->text(), QStringLiteral("扫描 1.0 秒 / 4.0 秒"));
}

TEST(ProgressStrip, NeverTakesTheFocusAndShowsBusyOverTheResultsWindowOnly)
{
    FakeBench b;
    Form1& f = b->form1();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.Text8->setEnabled(true);
    f.Text8->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), f.Text8);
    b->progress().beginScan(3000);
    b->progress().tick(1000);
    EXPECT_EQ(QApplication::focusWidget(), f.Text8);
    b->progress().end();
    EXPECT_EQ(QApplication::focusWidget(), f.Text8);

    // The busy cursor shows over the results window only.
    Form2& results = b->form2();
    b->results()->ZoomPlot_Click();  // the plot's own cross-hair
    EXPECT_EQ(results.cursor().shape(), Qt::ArrowCursor);
    b->progress().beginScan(1000);
    EXPECT_EQ(std::tuple(results.cursor().shape(), results.Picture1->cursor().shape()), std::tuple(Qt::BusyCursor, Qt::CrossCursor));
    b->progress().end();
    EXPECT_EQ(std::tuple(results.cursor().shape(), results.Picture1->cursor().shape()), std::tuple(Qt::ArrowCursor, Qt::CrossCursor))
        << "the window's own cursor again";
}
