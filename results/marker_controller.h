#pragma once
// The plot's markers in the results window: the marker tool beside zoom and pan (a click on the
// plot places marker 1, then marker 2, then moves the nearer one; a drag with the left button
// moves it on), the keyboard while the plot has the focus (1 and 2 pick the active marker, Left and
// Right move it one point, ten with Shift, Delete removes it), the automatic marks at each
// channel's center and edges, and the readings below the plot. Markers keep their data point
// through zoom, pan and redraws; moving one repaints the marker layer only.

#include "plot/plot_markers.h"

#include <QObject>

class Form1;
class Form2;

class MarkerController : public QObject {
    Q_OBJECT
public:
    // The plot mode of the marker tool, beside 0 normal, 1 zoom and 2 pan.
    static constexpr std::int16_t kMarkerMode = 3;

    // `main` tells by its measurement boxes whether the values are dBm or dB.
    MarkerController(Form2& form, const Form1& main);

    void MarkerPlot_Click();
    void AutoMarkers_Click();
    // Button state 1 left, 2 right, 4 middle; position in Picture1's twips.
    void Picture1_MouseDown(int button, float x, float y);
    void Picture1_MouseMove(int buttons, float x, float y);
    // A Qt key; shift 1 while Shift is held.
    void Picture1_KeyDown(int key, int shift);

    // The marker layer and the readings again, for the present trace, range and language.
    void refresh();

    const plot::MarkerPair& markers() const { return markers_; }

private:
    plot::PlotRows rows() const;
    // The range the plot's frame shows.
    plot::Range range() const;
    bool canPlace() const;
    // Puts the marker on the row nearest the wavelength under x (twips) and makes it active.
    void placeAt(int which, double xTwips);

    Form2& form_;
    const Form1& main_;
    plot::MarkerPair markers_;
    bool plotted_ = false;  // the window has drawn a trace since it loaded
};
