// Export of the plot (PNG) and the spectrum (CSV) from the results window.

#include "app/form1.h"
#include "app/module1.h"
#include "bench_fixture.h"
#include "extras_support.h"
#include "results/export.h"
#include "results/form2.h"
#include "results/plot_engine.h"
#include "results/save_controller.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void tick(QCheckBox* box, bool on)
{
    const QSignalBlocker quiet(box);
    box->setChecked(on);
}

bool isWhite(QRgb p) { return (p & 0xFFFFFF) == 0xFFFFFF; }

}  // namespace

TEST(SpectrumCsv, HeaderFollowsTheMeasurementOptions)
{
    const std::vector<float> wl{1550.0F};
    const std::vector<float> v{-3.0F};
    const auto headerOf = [&](bool align, bool scan) {
        return spectrumCsv(wl, v, 0, align, scan).split('\n').first();
    };
    EXPECT_EQ(headerOf(true, false), QByteArray("WL (nm),Power (dBm)\r"));
    EXPECT_EQ(headerOf(false, true), QByteArray("WL (nm),IL (dB)\r"));
    EXPECT_EQ(headerOf(true, true), QByteArray("WL (nm),IL (dB)\r")) << "the device spectrum wins, as in the workbook";
    EXPECT_EQ(headerOf(false, false), QByteArray("WL (nm),Value\r"));
}

TEST(SpectrumCsv, PointsRoundedToFourDecimalsWithCrLf)
{
    const std::vector<float> wl{1500.25F, 1500.5F, 1500.75F, 1501.0F, 1501.25F, 1501.5F, 1501.75F, 1502.0F};
    // 1.03125 and -1.03125 are singles exactly half-way between two four-decimal numbers.
    const std::vector<float> v{-12.34567F, 2.5e-5F, -2.5e-5F, 1.03125F, -1.03125F, std::numeric_limits<float>::quiet_NaN(),
                               99.0F};
    // Point 6 lies beyond LastPointIndex and stays out.
    const QByteArray csv = spectrumCsv(wl, v, 5, false, true);
    EXPECT_EQ(csv, QByteArray("WL (nm),IL (dB)\r\n"
                              "1500.2500,-12.3457\r\n"
                              "1500.5000,0.0000\r\n"
                              "1500.7500,0.0000\r\n"   // no "-0.0000"
                              "1501.0000,1.0313\r\n"   // half away from zero
                              "1501.2500,-1.0313\r\n"
                              "1501.5000,\r\n"))       // not a number: an empty field
        << csv.constData();
    // Fewer values than LastPointIndex asks for: only the points both arrays hold.
    EXPECT_EQ(spectrumCsv(wl, {1.0F, 2.0F}, 4, true, false).count('\n'), 3);
    EXPECT_EQ(spectrumCsv(wl, v, -1, true, false), QByteArray("WL (nm),Power (dBm)\r\n"));
}

TEST(SpectrumCsv, ProposedNames)
{
    EXPECT_EQ(proposedPlotFileName(QStringLiteral("20261206_031500")), QStringLiteral("VXM_Plot_20261206_031500.png"));
    EXPECT_EQ(proposedCsvFileName(QStringLiteral("20261206_031500")), QStringLiteral("VXM_Spectrum_20261206_031500.csv"));
}

TEST(ExportButtons, SaveCsvWritesTheShownSpectrum)
{
    extras::ScratchHome home;
    QTemporaryDir out;
    FakeBench b;
    Form2& f = b->form2();
    extras::loadSpectrum(2001);
    tick(b->form1().CheckVXMScanMode, true);
    b.dialogs->answer = out.filePath(QStringLiteral("spectrum"));  // typed without a suffix

    f.SaveCSV->click();

    EXPECT_TRUE(QRegularExpression(QStringLiteral("^VXM_Spectrum_\\d{8}_\\d{6}\\.csv$"))
                    .match(b.dialogs->lastProposedName)
                    .hasMatch())
        << qPrintable(b.dialogs->lastProposedName);
    EXPECT_EQ(b.dialogs->lastFolder, saveDialogFolder());
    EXPECT_TRUE(b.dialogs->lastFolder.startsWith(home.path()));
    EXPECT_EQ(b.dialogs->lastFilter, QStringLiteral("CSV files (*.csv)"));
    ASSERT_EQ(entries(out.path()), QStringList{QStringLiteral("spectrum.csv")}) << "no temporary left behind";

    const QList<QByteArray> lines = readAll(out.filePath(QStringLiteral("spectrum.csv"))).split('\n');
    ASSERT_EQ(lines.size(), 2001 + 2);  // header, points, and the empty rest after the last CR LF
    EXPECT_EQ(lines.first(), QByteArray("WL (nm),IL (dB)\r"));
    EXPECT_TRUE(lines.last().isEmpty());
    EXPECT_EQ(lines[1], QByteArray("1525.0000,-32.0000\r"));
    // Every point read back is the single rounded to four decimals.
    for (int i = 0; i <= Module1.LastPointIndex; i += 250) {
        const QList<QByteArray> fields = lines[i + 1].chopped(1).split(',');
        ASSERT_EQ(fields.size(), 2);
        EXPECT_NEAR(fields[0].toDouble(), Module1.ScanWL[static_cast<std::size_t>(i)], 0.00005 + 1e-9);
        EXPECT_NEAR(fields[1].toDouble(), Module1.ScanValue[static_cast<std::size_t>(i)], 0.00005 + 1e-9);
        EXPECT_EQ(fields[1].size() - fields[1].indexOf('.') - 1, 4) << fields[1].constData();
    }
}

TEST(ExportButtons, ExistingFileIsReplacedWhole)
{
    extras::ScratchHome home;
    QTemporaryDir out;
    FakeBench b;
    Form2& f = b->form2();
    Module1.ScanWL = {1550.0F};
    Module1.ScanValue = {-1.0F};
    Module1.LastPointIndex = 0;
    const QString target = out.filePath(QStringLiteral("old.csv"));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'x'));
    old.close();
    b.dialogs->answer = target;

    f.SaveCSV->click();

    EXPECT_EQ(readAll(target), QByteArray("WL (nm),Value\r\n1550.0000,-1.0000\r\n"));
    EXPECT_EQ(entries(out.path()), QStringList{QStringLiteral("old.csv")});
}

TEST(ExportButtons, CancelWritesNothing)
{
    extras::ScratchHome home;
    FakeBench b;
    Form2& f = b->form2();
    extras::loadSpectrum(101);
    PlotSpectrum(*b.bench);
    b.dialogs->answer.clear();

    f.SaveCSV->click();
    EXPECT_TRUE(b.dialogs->lastProposedName.endsWith(QStringLiteral(".csv")));
    f.SavePlot->click();
    EXPECT_TRUE(b.dialogs->lastProposedName.endsWith(QStringLiteral(".png")));

    EXPECT_TRUE(entries(saveDialogFolder()).isEmpty()) << qPrintable(entries(saveDialogFolder()).join(u' '));
    EXPECT_TRUE(entries(home.path() + QStringLiteral("/Documents")).isEmpty());
}

TEST(ExportButtons, SavePlotKeepsThePictureWithItsLabels)
{
    extras::ScratchHome home;
    QTemporaryDir out;
    FakeBench b;
    Form2& f = b->form2();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    extras::loadSpectrum();
    PlotSpectrum(*b.bench);
    b.dialogs->answer = out.filePath(QStringLiteral("plot"));

    f.SavePlot->click();

    EXPECT_TRUE(QRegularExpression(QStringLiteral("^VXM_Plot_\\d{8}_\\d{6}\\.png$"))
                    .match(b.dialogs->lastProposedName)
                    .hasMatch());
    ASSERT_EQ(entries(out.path()), QStringList{QStringLiteral("plot.png")});
    QImage png;
    ASSERT_TRUE(png.load(out.filePath(QStringLiteral("plot.png")), "PNG"));

    // The region: the picture, both rows of tick labels, both titles and the channel label, and
    // nothing of the table beside it.
    const QRect region = plotRegion(f);
    EXPECT_EQ(png.size(), region.size());
    for (const QWidget* w : std::initializer_list<const QWidget*>{f.Picture1, f.Label1[0], f.Label1[10], f.Label2[0],
                                                                   f.Label2[10], f.WLLabel, f.Label4})
        EXPECT_TRUE(region.contains(w->geometry())) << qPrintable(w->objectName());
    EXPECT_LT(region.right(), f.MSFlexGrid1->geometry().left());

    // The trace: in sampled columns, the trace's pixels on the picture are the same pixels in the
    // PNG, shifted by where the picture lies in the region.
    const QImage& picture = f.Picture1->persistentImage();
    const QPoint offset = f.Picture1->geometry().topLeft() - region.topLeft();
    int sampled = 0;
    for (int x = 40; x < picture.width() - 40; x += 97) {
        for (int y = 2; y < picture.height() - 2; ++y) {
            const QRgb p = picture.pixel(x, y);
            // The trace is drawn in a saturated colour; the grid and frame are black or grey.
            if (isWhite(p) || (qRed(p) == qGreen(p) && qGreen(p) == qBlue(p))) continue;
            EXPECT_EQ(png.pixel(x + offset.x(), y + offset.y()) & 0xFFFFFF, p & 0xFFFFFF) << x << "," << y;
            ++sampled;
            break;
        }
    }
    EXPECT_GE(sampled, 5) << "the trace crosses the sampled columns";

    // The tick labels are in the picture as text: dark pixels inside the first x label.
    const QRect tick = f.Label1[0]->geometry().translated(-region.topLeft());
    int dark = 0;
    for (int y = tick.top(); y <= tick.bottom(); ++y)
        for (int x = tick.left(); x <= tick.right(); ++x) dark += qGray(png.pixel(x, y)) < 100;
    EXPECT_GT(dark, 10) << "the label 1525.0 is drawn";
    EXPECT_FALSE(f.Label1[0]->text().isEmpty());

    png.save(testOutputDir() + QStringLiteral("/extras_saved_plot.png"));
}

TEST(ExportButtons, CaptionsAndFiltersFollowTheLanguageSwitch)
{
    extras::ScratchHome home;
    FakeBench b;
    Form2& f = b->form2();
    b->form1().LanguageButton->setChecked(true);
    EXPECT_EQ(f.SavePlot->text(), QStringLiteral("保存图形"));
    EXPECT_EQ(f.SaveCSV->text(), QStringLiteral("保存CSV"));
    EXPECT_EQ(f.RepeatStatsPanel->RepeatStatsTitle->text(), QStringLiteral("重复性统计"));
    b.dialogs->answer.clear();
    f.SaveCSV->click();
    EXPECT_EQ(b.dialogs->lastFilter, QStringLiteral("CSV 文件 (*.csv)"));
    f.SavePlot->click();
    EXPECT_EQ(b.dialogs->lastFilter, QStringLiteral("PNG 图片 (*.png)"));

    b->form1().LanguageButton->setChecked(false);
    EXPECT_EQ(f.SavePlot->text(), QStringLiteral("Save Plot"));
    EXPECT_EQ(f.SaveCSV->text(), QStringLiteral("Save CSV"));
    EXPECT_EQ(f.RepeatStatsPanel->RepeatStatsTitle->text(), QStringLiteral("Repeatability Statistics"));
}
