// Channel analysis on full-length spectra (20001 points): a four-channel filter seen in
// transmission and a grating's reflection dip, both with measurement noise.

#include "measure/channel_analysis.h"
#include "verdict/figures.h"
#include "verdict/mask.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kPoints = 20001;
constexpr double kStartNm = 1525.0;
constexpr double kStepNm = 0.002;

struct Spectrum {
    std::vector<float> wl;
    std::vector<float> value;
};

std::vector<float> wavelengths()
{
    std::vector<float> wl(kPoints);
    for (int i = 0; i < kPoints; ++i) wl[static_cast<std::size_t>(i)] = static_cast<float>(kStartNm + i * kStepNm);
    return wl;
}

// Four flat-topped passbands (super-Gaussian, 0.8 nm wide) 10 nm apart, tops between -6 and
// -8 dBm, on a -45 dBm floor, with ±0.05 dB noise.
Spectrum fourChannelTransmission()
{
    Spectrum s{wavelengths(), std::vector<float>(kPoints)};
    const double centers[] = {1530.0, 1540.0, 1550.0, 1560.0};
    const double topsDbm[] = {-6.0, -7.2, -6.5, -8.0};
    std::minstd_rand rng(7);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    for (int i = 0; i < kPoints; ++i) {
        const double x = s.wl[static_cast<std::size_t>(i)];
        double linear = std::pow(10.0, -45.0 / 10.0);
        for (int c = 0; c < 4; ++c) {
            const double u = (x - centers[c]) / 0.4;
            linear += std::pow(10.0, topsDbm[c] / 10.0) * std::exp(-u * u * u * u);
        }
        s.value[static_cast<std::size_t>(i)] = static_cast<float>(10.0 * std::log10(linear) + noise(rng));
    }
    return s;
}

// A 25 dB dip 0.5 nm wide at 1545 nm on a -1 dB level, with ±0.05 dB noise.
Spectrum reflectionDip()
{
    Spectrum s{wavelengths(), std::vector<float>(kPoints)};
    std::minstd_rand rng(11);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    for (int i = 0; i < kPoints; ++i) {
        const double u = (s.wl[static_cast<std::size_t>(i)] - 1545.0) / 0.25;
        const double transmitted = 1.0 - (1.0 - std::pow(10.0, -2.5)) / (1.0 + u * u * u * u);
        s.value[static_cast<std::size_t>(i)] = static_cast<float>(-1.0 + 10.0 * std::log10(transmitted) + noise(rng));
    }
    return s;
}

void run(benchmark::State& state, const Spectrum& s, int channelSelect, std::size_t expectedChannels)
{
    const ChannelAnalysis check = analyseChannels(s.wl, s.value, kPoints - 1, channelSelect, 3.0);
    if (check.channels.size() != expectedChannels) {
        state.SkipWithError("unexpected channel count");
        return;
    }
    for (auto _ : state) {
        ChannelAnalysis a = analyseChannels(s.wl, s.value, kPoints - 1, channelSelect, 3.0);
        benchmark::DoNotOptimize(a);
    }
    state.counters["channels"] = static_cast<double>(check.channels.size());
    state.counters["bandwidth_nm"] = check.channels.front().bandwidth;
}

void BM_AnalyseTransmission(benchmark::State& state)
{
    static const Spectrum s = fourChannelTransmission();
    run(state, s, 1, 4);
}

void BM_AnalyseReflection(benchmark::State& state)
{
    static const Spectrum s = reflectionDip();
    run(state, s, 0, 1);
}

// The analysis followed by the extended figures of its channels on the CWDM plan, whose ±6.5 nm
// windows make the window and isolation scans long.
void BM_AnalyseWithFigures(benchmark::State& state)
{
    static const Spectrum s = fourChannelTransmission();
    const auto figuresOf = [](const Spectrum& t) {
        const ChannelAnalysis a = analyseChannels(t.wl, t.value, kPoints - 1, 1, 3.0);
        return verdict::measureFigures(t.wl, t.value, kPoints - 1, a, verdict::Plan::Cwdm, {});
    };
    const auto check = figuresOf(s);
    if (check.size() != 4 || std::isnan(check.front()[verdict::Figure::BandwidthLevel2])) {
        state.SkipWithError("unexpected figures");
        return;
    }
    for (auto _ : state) {
        auto f = figuresOf(s);
        benchmark::DoNotOptimize(f);
    }
    state.counters["bw20_nm"] = check.front()[verdict::Figure::BandwidthLevel2];
}

// Every figure of the four channels, the mask margin included, on an analysis made beforehand. The
// mask gives each channel a stopband step at ±3 nm and a 6 nm wide upper line, and a lower line
// over the top, so that about 12000 points lie under the lines.
void BM_FiguresWithMask(benchmark::State& state)
{
    static const Spectrum s = fourChannelTransmission();
    const ChannelAnalysis a = analyseChannels(s.wl, s.value, kPoints - 1, 1, 3.0);
    verdict::MaskTemplate mask;
    mask.reference = verdict::MaskReference::Absolute;
    const double centers[] = {1530.0, 1540.0, 1550.0, 1560.0};
    for (int c = 0; c < 4; ++c) {
        const double x = centers[c];
        mask.perChannel[c + 1] = {{{x - 3, -30}, {x - 0.8, -30}, {x - 0.8, 0}, {x + 0.8, 0}, {x + 0.8, -30}, {x + 3, -30}},
                                  {{x - 0.2, -10}, {x + 0.2, -10}}};
    }
    const auto figuresOf = [&] {
        auto f = verdict::measureFigures(s.wl, s.value, kPoints - 1, a, verdict::Plan::Cwdm, {});
        verdict::measureMask(s.wl, s.value, kPoints - 1, mask, f);
        return f;
    };
    const auto check = figuresOf();
    if (check.size() != 4 || std::isnan(check.front()[verdict::Figure::MaskMargin])) {
        state.SkipWithError("unexpected figures");
        return;
    }
    for (auto _ : state) {
        auto f = figuresOf();
        benchmark::DoNotOptimize(f);
    }
    state.counters["mask_margin_db"] = check.front()[verdict::Figure::MaskMargin];
}

}  // namespace

// Target: median at most 0.5 ms per analysis of 20001 points; at most 1 ms with the figures; all
// figures with the mask margin at most 0.5 ms.
BENCHMARK(BM_AnalyseTransmission)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_AnalyseReflection)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_AnalyseWithFigures)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_FiguresWithMask)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
