// A full redraw of the results plot (grid, labels, trace) for a 20001-point spectrum into the
// design-size picture, with the trace drawn per pixel column and, for comparison, one line per
// segment; and moving a marker over that plot by one point, with the picture painted again (the
// stored trace and the marker layer over it). Run: build/bin/bench_plot (offscreen by default).

#include "core/form1.h"
#include "core/shared_state.h"
#include "results/form2.h"
#include "results/marker_controller.h"
#include "results/plot_engine.h"
#include "results/results_controller.h"
#include "results/results_window_host.h"

#include <benchmark/benchmark.h>

#include <QPainter>
#include <QRandomGenerator>

#include <cmath>

namespace {

// A noisy spectrum with a few channels: every pixel column holds ~24 points of varying value.
void loadSpectrum()
{
    constexpr int kPoints = 20001;
    QRandomGenerator rng(42);
    Module1.ScanWL.resize(kPoints);
    Module1.ScanValue.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const double wl = 1525.0 + 40.0 * i / (kPoints - 1);
        double v = -35.0 + rng.generateDouble() * 1.5;
        for (double centre : {1530.0, 1538.0, 1546.0, 1554.0}) v += 30.0 * std::exp(-std::pow((wl - centre) / 0.6, 2));
        Module1.ScanWL[i] = static_cast<float>(wl);
        Module1.ScanValue[i] = static_cast<float>(v);
    }
    Module1.LastPointIndex = kPoints - 1;
    Module1.TraceKind = 3;
}

// The two windows the plot needs, and no instruments.
struct PlotWindows {
    Form1 main;
    ResultsWindowHost results{main};
};

PlotWindows& plotWindows()
{
    static PlotWindows* windows = [] {
        resetSharedState();
        auto* w = new PlotWindows;
        // The window's load step records the plot's geometry, without which nothing is drawn.
        (new ResultsController(w->results.form2(), w->main, w->results))->Form_Load();
        loadSpectrum();
        return w;
    }();
    return *windows;
}

void redraw(benchmark::State& state, TraceDrawing how)
{
    PlotWindows& w = plotWindows();
    for (auto _ : state) {
        PlotSpectrumDrawing(w.results.form2(), w.main, how);
        benchmark::DoNotOptimize(w.results.form2().Picture1->persistentImage().constBits());
    }
    const QSize px = w.results.form2().Picture1->persistentImage().size();
    state.counters["width_px"] = px.width();
    state.counters["height_px"] = px.height();
}

void BM_PlotSpectrum_PixelColumns(benchmark::State& state) { redraw(state, TraceDrawing::Columns); }
void BM_PlotSpectrum_EverySegment(benchmark::State& state) { redraw(state, TraceDrawing::Segments); }

}  // namespace

// The marker tool over the plotted spectrum with the four channels' marks shown: each move is a
// Right or Left key on the picture (one point), then a paint of the whole picture as the window
// would repaint it.
void BM_MoveMarker(benchmark::State& state)
{
    PlotWindows& w = plotWindows();
    Form2& form = w.results.form2();
    Module1.ChannelCount = 4;
    Module1.ChannelResults = {{}, {1530.0F, 1.0F, -5.0F}, {1538.0F, 1.0F, -5.0F}, {1546.0F, 1.0F, -5.0F},
                              {1554.0F, 1.0F, -5.0F}};
    MarkerController markers(form, w.main);
    PlotSpectrum(form, w.main);
    form.AutoMarkers->setChecked(true);
    markers.MarkerPlot_Click();
    markers.Picture1_KeyDown(Qt::Key_1, 0);  // the first marker, in the middle of the plot
    markers.Picture1_KeyDown(Qt::Key_2, 0);
    PlotSurface& pic = *form.Picture1;
    // Opaque, as an opaque window's backing store is.
    QImage screen(pic.size() * pic.devicePixelRatioF(), QImage::Format_RGB32);
    screen.setDevicePixelRatio(pic.devicePixelRatioF());
    int key = Qt::Key_Right;
    for (auto _ : state) {
        markers.Picture1_KeyDown(key, 0);
        key = key == Qt::Key_Right ? Qt::Key_Left : Qt::Key_Right;
        pic.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
    state.counters["glyphs"] = static_cast<double>(pic.markerLayer().size());
    form.AutoMarkers->setChecked(false);
    Module1.PlotMode = 0;
}

BENCHMARK(BM_PlotSpectrum_PixelColumns)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_PlotSpectrum_EverySegment)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_MoveMarker)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);
