// Export and statistics on full-size data: a 20001-point spectrum as CSV text, and the
// repeatability summary over a long test (10000 logged passes).

#include "results/spectrum_csv.h"
#include "results/repeat_statistics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kPoints = 20001;

void BM_SpectrumCsv(benchmark::State& state)
{
    std::vector<float> wl(kPoints);
    std::vector<float> value(kPoints);
    std::mt19937 noise(7);
    std::normal_distribution<float> jitter(0.0F, 0.05F);
    for (int i = 0; i < kPoints; ++i) {
        wl[static_cast<std::size_t>(i)] = 1525.0F + 0.002F * static_cast<float>(i);
        value[static_cast<std::size_t>(i)] = -30.0F + 25.0F * std::sin(0.001F * static_cast<float>(i)) + jitter(noise);
    }
    for (auto _ : state) benchmark::DoNotOptimize(spectrumCsv(wl, value, kPoints - 1, false, true));
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_RepeatSummary(benchmark::State& state)
{
    RepeatStatistics statistics;
    std::mt19937 noise(11);
    std::normal_distribution<float> jitter(0.0F, 0.002F);
    for (int pass = 0; pass < 10000; ++pass)
        statistics.add({1550.0F + jitter(noise), 0.8F + jitter(noise), -3.0F + jitter(noise)});
    for (auto _ : state) benchmark::DoNotOptimize(repeatSummaryLines(statistics));
}

}  // namespace

// Target: a 20001-point CSV in at most 20 ms of CPU time (median), far below what a click may take.
BENCHMARK(BM_SpectrumCsv)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
// Target: the summary of a 10000-pass test in at most 1 ms of CPU time (median).
BENCHMARK(BM_RepeatSummary)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
