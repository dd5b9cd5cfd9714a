// The Statistics view's charts: a redraw of the histogram and of the run chart of a figure with
// 100 000 values (grid, tick labels, bars or the run, lines, marks), and the charts' series made
// from those values. The window over a store of 100 000 records, and its memory, is timed with
// the store in bench_records. Run: build/bin/bench_statistics (offscreen).

#include "records/statistics_window.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>


namespace {

constexpr int kValues = 100'000;

// A centre wavelength over a long run: picometre noise, a slow drift and a few excursions, so
// that the run chart has marks to draw.
std::vector<FigureValue> drifting()
{
    QRandomGenerator rng(7);
    const QDateTime start(QDate(2026, 11, 1), QTime(0, 0), Qt::UTC);
    std::vector<FigureValue> values(kValues);
    for (int i = 0; i < kValues; ++i) {
        const double noise = (rng.generateDouble() - 0.5) * 0.004;
        const double excursion = i % 5000 == 0 ? 0.02 : 0.0;
        values[static_cast<std::size_t>(i)] = {start.addSecs(30LL * i), 1271.004 + noise + 1e-8 * i + excursion};
    }
    return values;
}

struct Charts {
    history::FigureRow row;
    std::vector<FigureValue> values = drifting();
    std::vector<double> plain = history::valuesOf(values);

    Charts()
    {
        row.figure = QStringLiteral("center_nm");
        row.limits = {1270.998, 1271.010};
        row.summary = stats::describe(stats::summarize(plain));
        row.capability = stats::capability(row.summary, row.limits);
    }
};

Charts& charts()
{
    static Charts c;
    return c;
}

void BM_HistogramRedraw(benchmark::State& state)
{
    const std::optional<history::HistogramChart> chart = history::histogramChart(charts().row, charts().plain, 1);
    StatisticsChart plot(QStringLiteral("Histogram"));
    for (auto _ : state) plot.drawHistogram(&*chart, 1);
    state.counters["bins"] = static_cast<double>(chart->bars.size());
}
BENCHMARK(BM_HistogramRedraw)->Unit(benchmark::kMillisecond);

void BM_RunChartRedraw(benchmark::State& state)
{
    const std::optional<history::RunChart> chart = history::runChart(charts().row, charts().values, 1);
    StatisticsChart plot(QStringLiteral("RunChart"));
    for (auto _ : state) plot.drawRunChart(&*chart, 1);
    state.counters["points"] = static_cast<double>(chart->points.size());
    state.counters["marked"] = static_cast<double>(chart->marked.size());
}
BENCHMARK(BM_RunChartRedraw)->Unit(benchmark::kMillisecond);

// What choosing a figure costs besides the store: both charts' series from the values.
void BM_ChartSeries(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(history::histogramChart(charts().row, charts().plain, 1));
        benchmark::DoNotOptimize(history::runChart(charts().row, charts().values, 1));
    }
}
BENCHMARK(BM_ChartSeries)->Unit(benchmark::kMillisecond);

}  // namespace
