#pragma once
// The results window "Display Results": plot area, tick labels, axis titles, results table and
// its buttons. Widgets only; the results controller gives them behaviour.

#include "plot/plot_surface.h"
#include "results/repeat_statistics_panel.h"
#include "widgets/uc_label_rotate.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include <array>

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    QWidget* control(const QString& name) const;

    QPushButton* ZoomPlot;
    QPushButton* PanPlot;
    QPushButton* NormalPlot;
    QPushButton* StopMeasure;
    QPushButton* SaveSpectrum;
    QPushButton* CloseForm2;
    QLabel* Label4;
    PlotSurface* Picture1;
    std::array<QLabel*, 11> Label1{};  // x tick labels
    std::array<QLabel*, 11> Label2{};  // y tick labels
    QLabel* WLLabel;
    UcLabelRotate* RotateLabel;
    QLabel* ResultLabel;
    QTableWidget* MSFlexGrid1;
    QPushButton* RepeatabilityTest;    // toggle
    QPushButton* SaveAnalysis;
    QLineEdit* LimitText1;
    QLineEdit* LimitText2;
    QLineEdit* ILText1;
    QLineEdit* ILText2;
    QLabel* WLSpan;
    QLabel* ILoss;
    std::array<QLabel*, 4> Label3{};
    QWidget* Shape1;
    QWidget* Shape2;

    // Beyond the window's design: export of the plot and the spectrum, in the free space of the
    // button row, and the repeatability statistics in a strip the window grows by, below the table.
    QPushButton* SavePlot;
    QPushButton* SaveCSV;
    RepeatStatisticsPanel* RepeatStatsPanel;

    // Also beyond the design, below the plot: the marker tool, the automatic channel marks and
    // the two markers' readings; above the plot's right end (inside what Save Plot saves) their
    // difference, shown while both are placed.
    QPushButton* MarkerPlot;
    QCheckBox* AutoMarkers;
    QLabel* Marker1Text;
    QLabel* Marker2Text;
    QLabel* MarkerDeltaText;
};
