#pragma once
// The History window's plot: the results window's picture, grid, tick labels and axis titles,
// drawn the same way, for several traces at once, with a legend in the picture's corner.

#include "plot/plot_surface.h"
#include "records/history_content.h"
#include "widgets/uc_label_rotate.h"

#include <QLabel>
#include <QWidget>

#include <array>
#include <vector>

class HistoryPlot : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPlot(QWidget* parent = nullptr);

    // Draws `traces` over the range they span; an empty picture and no legend when there is none.
    void draw(const std::vector<history::Trace>& traces, const QString& yTitle);

    PlotSurface* Picture;
    std::array<QLabel*, 11> XTicks{};
    std::array<QLabel*, 11> YTicks{};
    QLabel* XTitle;
    UcLabelRotate* YTitle;
    QLabel* Legend;

private:
    void drawGrid();
    void placeAxes(const plot::Range& range, const QString& yTitle);
    void showLegend(const std::vector<history::Trace>& traces);
};
