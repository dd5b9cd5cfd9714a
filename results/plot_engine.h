#pragma once
// The plot engine: draws the current spectrum into the results window's picture with its grid,
// ticks, tick labels and titles, over the range it keeps in Module1 (automatic, zoomed or panned).
// All of it is drawn through the results plot's frame (plot/plot_frame.h).
//
//   DrawPlotGrid(form)        frame, dotted 10 x 10 grid and ticks; clears the picture first
//   DrawPlotAxes(form, main, ...)  tick labels, channel label and both axis titles for a range
//                             (wavelength at the left edge and span, value at the bottom and span)
//   PlotSpectrum(form, main)  updates the range and PlotData from ScanWL/ScanValue and the zoom and
//                             pan counts, then draws grid, labels and the trace, and tells the
//                             picture it was redrawn (its markers follow the new trace and range).
//                             The measurement workflows call this after a pass.
//
// All positions are twips inside Picture1 (W = PicWidth, H = PicHeight) or in the window.

#include "plot/plot_frame.h"

class Form1;
class Form2;

// The frame of the results plot: Picture1, Label1(0..10), Label2(0..10), WLLabel and RotateLabel,
// at the geometry and over the range kept in Module1.
PlotFrame resultsFrame(Form2& form);

// `main` tells by its measurement boxes which value the vertical axis shows.
void DrawPlotGrid(Form2& form);
void DrawPlotAxes(Form2& form, const Form1& main, float xStart, float xSpan, float yStart, float ySpan);
void PlotSpectrum(Form2& form, const Form1& main);

// PlotSpectrum with a choice of how the trace is put on the picture (benchmarks compare the two).
void PlotSpectrumDrawing(Form2& form, const Form1& main, TraceDrawing how);
