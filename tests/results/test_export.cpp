// Export of the plot (PNG) and the spectrum (CSV) from the results window.

#include "results_support.h"
#include "core/form1.h"
#include "bench_fixture.h"
#include "results/file_saving.h"
#include "results/plot_picture.h"
#include "results/spectrum_csv.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTest>

#include <limits>

using namespace results_test;

namespace {

// The proposed name is the prefix, a yyyyMMdd_HHmmss stamp and the suffix.
void expectStampedName(const QString& name, const char* prefix, const char* suffix)
{
    const QString pattern = QStringLiteral("^%1\\d{8}_\\d{6}\\.%2$").arg(QLatin1String(prefix), QLatin1String(suffix));
    EXPECT_TRUE(QRegularExpression(pattern).match(name).hasMatch()) << qPrintable(name);
}

}  // namespace

TEST(SpectrumCsv, HeaderFollowsTheOptionsPointsRoundHalfAwayWithCrLf)
{
    const std::vector<float> wl{1500.25F, 1500.5F, 1500.75F, 1501.0F, 1501.25F, 1501.5F, 1501.75F, 1502.0F};
    // 1.03125 and -1.03125 are singles exactly half-way between two four-decimal numbers.
    const std::vector<float> v{-12.34567F, 2.5e-5F, -2.5e-5F, 1.03125F, -1.03125F, std::numeric_limits<float>::quiet_NaN(),
                               99.0F};
    // Point 6 lies beyond LastPointIndex and stays out.
    EXPECT_EQ(spectrumCsv(wl, v, 5, false, true), QByteArray("WL (nm),IL (dB)\r\n"
                                                            "1500.2500,-12.3457\r\n"
                                                            "1500.5000,0.0000\r\n"
                                                            "1500.7500,0.0000\r\n"  // no "-0.0000"
                                                            "1501.0000,1.0313\r\n"
                                                            "1501.2500,-1.0313\r\n"
                                                            "1501.5000,\r\n"));  // not a number: an empty field
    // The device spectrum wins over the laser spectrum, as in the workbook.
    const struct { bool align, scan; const char* header; } headers[] = {
        {true, false, "WL (nm),Power (dBm)\r\n"}, {true, true, "WL (nm),IL (dB)\r\n"}, {false, false, "WL (nm),Value\r\n"}};
    for (const auto& h : headers) EXPECT_EQ(spectrumCsv(wl, v, -1, h.align, h.scan), QByteArray(h.header)) << h.align << h.scan;
    // Fewer values than LastPointIndex asks for: only the points both arrays hold.
    EXPECT_EQ(spectrumCsv(wl, {1.0F, 2.0F}, 4, true, false).count('\n'), 3);
}

class ExportButtons : public testing::Test {
protected:
    ScratchHome home;
    QTemporaryDir out;
    FakeBench b;
    Form2& f = b->form2();
};

TEST_F(ExportButtons, SaveCsvWritesTheShownSpectrumAndReplacesAnOldFileWholeAndCancelWritesNothing)
{
    loadSpectrum(2001);
    {
        const QSignalBlocker quiet(b->form1().CheckVXMScanMode);
        b->form1().CheckVXMScanMode->setChecked(true);
    }
    b.dialogs->answer = out.filePath(QStringLiteral("spectrum"));  // typed without a suffix
    f.SaveCSV->click();
    expectStampedName(b.dialogs->lastProposedName, "VXM_Spectrum_", "csv");
    EXPECT_TRUE(b.dialogs->lastFolder == documentsFolder() && b.dialogs->lastFolder.startsWith(home.path()));
    EXPECT_EQ(b.dialogs->lastFilter, QStringLiteral("CSV files (*.csv)"));
    ASSERT_EQ(entries(out.path()), QStringList{QStringLiteral("spectrum.csv")}) << "no temporary left behind";
    const QByteArray csv = readAll(out.filePath(QStringLiteral("spectrum.csv")));
    EXPECT_EQ(csv.count('\n'), 2002);
    EXPECT_TRUE(csv.startsWith("WL (nm),IL (dB)\r\n1525.0000,-32.0000\r\n"));
    EXPECT_TRUE(csv.endsWith("1555.0000,-29.0000\r\n"));

    const QString old = out.filePath(QStringLiteral("old.csv"));
    writeFile(old, QByteArray(10000, 'x'));
    Module1.ScanWL = {1550.0F}, Module1.ScanValue = {-1.0F}, Module1.LastPointIndex = 0;
    b.dialogs->answer = old;
    f.SaveCSV->click();
    EXPECT_EQ(readAll(old), QByteArray("WL (nm),IL (dB)\r\n1550.0000,-1.0000\r\n"));
    EXPECT_EQ(entries(out.path()), (QStringList{QStringLiteral("old.csv"), QStringLiteral("spectrum.csv")}));

    // Cancelled, either button writes nothing.
    PlotSpectrum(b->form2(), b->form1());
    b.dialogs->answer.clear();
    f.SaveCSV->click();
    EXPECT_TRUE(b.dialogs->lastProposedName.endsWith(QStringLiteral(".csv")));
    f.SavePlot->click();
    EXPECT_TRUE(b.dialogs->lastProposedName.endsWith(QStringLiteral(".png")));
    EXPECT_TRUE(entries(documentsFolder()).isEmpty()) << qPrintable(entries(documentsFolder()).join(u' '));
    EXPECT_EQ(entries(out.path()).size(), 2);
}

TEST_F(ExportButtons, SavePlotKeepsThePictureWithItsLabels)
{
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    loadSpectrum();
    PlotSpectrum(b->form2(), b->form1());
    b.dialogs->answer = out.filePath(QStringLiteral("plot"));
    f.SavePlot->click();
    expectStampedName(b.dialogs->lastProposedName, "VXM_Plot_", "png");
    ASSERT_EQ(entries(out.path()), QStringList{QStringLiteral("plot.png")});
    QImage png;
    ASSERT_TRUE(png.load(out.filePath(QStringLiteral("plot.png")), "PNG"));
    png.save(testOutputDir() + QStringLiteral("/extras_saved_plot.png"));

    // The region: the picture, both rows of tick labels, both titles and the channel label, and
    // nothing of the table beside it.
    const QRect region = plotRegion(f);
    EXPECT_EQ(png.size(), region.size());
    for (const QWidget* w : std::initializer_list<const QWidget*>{f.Picture1, f.Label1[0], f.Label1[10], f.Label2[0],
                                                                   f.Label2[10], f.WLLabel, f.Label4})
        EXPECT_TRUE(region.contains(w->geometry())) << qPrintable(w->objectName());
    EXPECT_LT(region.right(), f.MSFlexGrid1->geometry().left());

    // In sampled columns, the first trace pixel (saturated; grid and frame are grey) is the same in
    // the PNG, shifted by where the picture lies in the region.
    const QImage& picture = f.Picture1->persistentImage();
    const QPoint offset = f.Picture1->geometry().topLeft() - region.topLeft();
    int sampled = 0;
    for (int x = 40; x < picture.width() - 40; x += 97) {
        for (int y = 2; y < picture.height() - 2; ++y) {
            const QRgb p = picture.pixel(x, y);
            if (qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) continue;
            EXPECT_EQ(png.pixel(x + offset.x(), y + offset.y()) & 0xFFFFFF, p & 0xFFFFFF) << x << "," << y;
            ++sampled;
            break;
        }
    }
    EXPECT_GE(sampled, 5) << "the trace crosses the sampled columns";
    // The tick label 1525.0 is drawn into the PNG as text.
    const QRect tick = f.Label1[0]->geometry().translated(-region.topLeft());
    int dark = 0;
    for (int y = tick.top(); y <= tick.bottom(); ++y)
        for (int x = tick.left(); x <= tick.right(); ++x) dark += qGray(png.pixel(x, y)) < 100;
    EXPECT_GT(dark, 10);
}
