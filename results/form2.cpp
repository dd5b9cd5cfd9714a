#include "results/form2.h"

#include "core/control_placement.h"
#include "core/units.h"

#include <QFrame>
#include <QHeaderView>

namespace {

constexpr double kStatisticsStrip = 1860;  // twips

QLabel* label(QWidget* parent, const QString& name, const QString& caption, double left, double top, double width,
              double height, int points = 12)
{
    return place(new QLabel(caption, parent), name, left, top, width, height, points);
}

QLineEdit* hiddenBox(QWidget* parent, const char* name, const char* text, double left, double top)
{
    auto* t = place(new QLineEdit(QString::fromLatin1(text), parent), QString::fromLatin1(name), left, top, 1095, 390, 12);
    t->setAccessibleName(QString::fromLatin1(name));
    return t;
}

}  // namespace

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Display Results"));
    setFont(arialFont(12));
    setBackColor(this, VbColor::White);
    // 8025 twips of the design plus the statistics strip below it.
    const QSize client(twipsToPixels(20280), twipsToPixels(8025 + kStatisticsStrip));
    resize(client);
    setMinimumSize(client);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    static_cast<QFrame*>(Shape1)->setFrameShape(QFrame::Box);
    Shape1->setGeometry(twipsRect(120, 60, 14220, 615));
    Shape2 = new QFrame(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    static_cast<QFrame*>(Shape2)->setFrameShape(QFrame::Box);
    Shape2->setGeometry(twipsRect(14880, 120, 5175, 1095));

    ZoomPlot = placeButton(this, "ZoomPlot", "Zoom In", 240, 120, 1695);
    PanPlot = placeButton(this, "PanPlot", "Pan Plot", 2040, 120, 1935);
    NormalPlot = placeButton(this, "NormalPlot", "Normal", 4080, 120, 1575);
    StopMeasure = placeButton(this, "StopMeasure", "Stop Measure", 5760, 120, 2055);
    SaveSpectrum = placeButton(this, "SaveSpectrum", "Save Spectrum", 7920, 120, 1815);
    CloseForm2 = placeButton(this, "CloseForm2", "Close Form", 12600, 120, 1575);
    Label4 = label(this, QStringLiteral("Label4"), QStringLiteral("Channel #1"), 3480, 880, 8655, 375);
    Label4->setAlignment(Qt::AlignCenter);

    Picture1 = place(new PlotSurface(this), QStringLiteral("Picture1"), 1680, 1320, 12615, 5655, 12);
    Picture1->setAccessibleName(QStringLiteral("Spectrum plot"));
    for (int i = 0; i < 11; ++i) {
        Label1[i] = label(this, QStringLiteral("Label1(%1)").arg(i), QString(), 1680 + 840 * i, 6960, 855, 375, 10);
        Label2[i] = label(this, QStringLiteral("Label2(%1)").arg(i), QString(), 600, 840 + 360 * i, 855, 375, 10);
    }
    WLLabel = label(this, QStringLiteral("WLLabel"), QStringLiteral("Wavelength (nm)"), 5040, 7320, 2775, 375);
    RotateLabel = place(new UcLabelRotate(QStringLiteral("RotateLabel"), this), QStringLiteral("RotateLabel"), 240,
                        4800, 2295, 2295, 12);
    RotateLabel->readProperties({{QStringLiteral("caption"), QStringLiteral(" Insertion Loss (dB) ")},
                                 {QStringLiteral("angledeg"), 270.0F},
                                 {QStringLiteral("backcolor"), static_cast<qulonglong>(VbColor::InfoBackground)},
                                 {QStringLiteral("font"), arialFont(12)}});
    // The title's square reaches under the y tick labels and the plot's left edge: keep it beneath
    // them so that every tick label stays readable.
    RotateLabel->lower();

    ResultLabel = label(this, QStringLiteral("ResultLabel"), QStringLiteral("Analysis Results at -0.0 dB Down"), 15000,
                        1320, 4695, 375, 14);
    MSFlexGrid1 = place(new QTableWidget(2, 5, this), QStringLiteral("MSFlexGrid1"), 14880, 1680, 5175, 5535, 12);
    MSFlexGrid1->setAccessibleName(QStringLiteral("Analysis results"));
    MSFlexGrid1->horizontalHeader()->hide();
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setFont(arialFont(10));
    MSFlexGrid1->setTextElideMode(Qt::ElideNone);  // a grid cell shows what fits, as the bench always did
    MSFlexGrid1->setWordWrap(false);
    const char* headers[] = {"# ", "Wavelength", " Frequency ", " Bandwidth ", "Insertion Loss"};
    for (int c = 0; c < 5; ++c) {
        auto* item = new QTableWidgetItem(QString::fromLatin1(headers[c]));
        item->setTextAlignment(Qt::AlignCenter);
        MSFlexGrid1->setItem(0, c, item);
    }
    MSFlexGrid1->resizeColumnsToContents();  // the empty table fits its heading without scrolling

    RepeatabilityTest = placeButton(this, "RepeatabilityTest", "Repeatability Test", 14880, 7320, 2775, true);
    SaveAnalysis = placeButton(this, "SaveAnalysis", "Save Results", 18000, 7320, 1935);

    LimitText1 = hiddenBox(this, "LimitText1", "1260.000", 16200, 240);
    LimitText2 = hiddenBox(this, "LimitText2", "1340.000", 18120, 240);
    ILText1 = hiddenBox(this, "ILText1", "0.00", 16200, 720);
    ILText2 = hiddenBox(this, "ILText2", "0.00", 18120, 720);
    WLSpan = label(this, QStringLiteral("WLSpan"), QStringLiteral("WL Points"), 15000, 240, 1215, 375);
    ILoss = label(this, QStringLiteral("ILoss"), QStringLiteral("IL Values"), 15000, 720, 1575, 255);
    const char* units[] = {"(nm)", "(nm)", "(dB)", "(dB)"};
    const double unitLeft[] = {17400, 19320, 17400, 19320};
    const double unitTop[] = {240, 240, 720, 720};
    for (int i = 0; i < 4; ++i)
        Label3[i] = label(this, QStringLiteral("Label3(%1)").arg(i), QString::fromLatin1(units[i]), unitLeft[i],
                          unitTop[i], 855, 375);

    // Between Save Spectrum (ends at 9735) and Close Form (starts at 12600).
    SavePlot = placeButton(this, "SavePlot", "Save Plot", 9840, 120, 1335);
    SaveCSV = placeButton(this, "SaveCSV", "Save CSV", 11220, 120, 1275);
    RepeatStatsPanel = place(new RepeatStatisticsPanel(this), QStringLiteral("RepeatStatsPanel"), 9840, 7980, 10215,
                             kStatisticsStrip - 180, 10);
    RepeatStatsPanel->RepeatStatsTitle->setFont(arialFont(12));

    // Below the plot's x title and left of the statistics strip; the verdict controls sit below.
    MarkerPlot = placeButton(this, "MarkerPlot", "Markers", 240, 7800, 1695);
    AutoMarkers = place(new QCheckBox(QStringLiteral("Auto markers"), this), QStringLiteral("AutoMarkers"), 2160, 7800,
                        2655, 495, 12);
    Marker1Text = label(this, QStringLiteral("Marker1Text"), QStringLiteral("M1: -"), 4920, 7740, 4800, 375);
    Marker2Text = label(this, QStringLiteral("Marker2Text"), QStringLiteral("M2: -"), 4920, 8100, 4800, 375);
    // Right of the channel label's text, ending with the plot.
    MarkerDeltaText = label(this, QStringLiteral("MarkerDeltaText"), QString(), 8640, 880, 5655, 375);
    MarkerDeltaText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QWidget* Form2::control(const QString& name) const { return findChild<QWidget*>(name); }
