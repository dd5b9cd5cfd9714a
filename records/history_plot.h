#pragma once
// The History window's plot: the results window's picture, grid, tick labels and axis titles,
// drawn through the same frame, for several traces at once, with a legend in the picture's corner;
// the Statistics view's charts are plots of the same make in a size of their own.

#include "plot/plot_frame.h"
#include "records/history_content.h"

#include <QWidget>

#include <vector>

class QLabel;

class HistoryPlot : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPlot(QWidget* parent = nullptr);

    // Draws `traces` over the range they span; an empty picture and no legend when there is none.
    void draw(const std::vector<history::Trace>& traces, const QString& yTitle);

    PlotSurface* Picture;
    QLabel* Legend;

protected:
    // A plot of the window with its picture at `geometry` (twips) and its own code names.
    HistoryPlot(const plot::PictureGeometry& geometry, const QString& name, const QString& pictureName,
                QWidget* parent);
    PlotFrame& frame() { return frame_; }

private:
    FrameLabels labels_;
    PlotFrame frame_;
};
