// The remote spectrum response of 20001 points, as a float32 block and as ASCII, and one short
// command line through the parser and the command table (the core's share of a round trip).

#include "remote/scpi_format.h"
#include "remote/scpi_table.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kPoints = 20001;

struct Spectrum {
    std::vector<float> wavelengths = std::vector<float>(kPoints);
    std::vector<float> values = std::vector<float>(kPoints);
    Spectrum()
    {
        std::mt19937 noise(7);
        std::normal_distribution<float> jitter(0.0F, 0.05F);
        for (int i = 0; i < kPoints; ++i) {
            wavelengths[static_cast<std::size_t>(i)] = 1525.0F + 0.002F * static_cast<float>(i);
            values[static_cast<std::size_t>(i)] = -30.0F + 25.0F * std::sin(0.001F * static_cast<float>(i)) + jitter(noise);
        }
    }
};

void BM_TraceBlock(benchmark::State& state)
{
    const Spectrum spectrum;
    for (auto _ : state) benchmark::DoNotOptimize(scpi::traceBlock(spectrum.wavelengths, spectrum.values));
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_TraceAscii(benchmark::State& state)
{
    const Spectrum spectrum;
    for (auto _ : state) benchmark::DoNotOptimize(scpi::traceAscii(spectrum.wavelengths, spectrum.values));
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_IdentityLine(benchmark::State& state)
{
    scpi::CommandTable table;
    for (const char* pattern : {"SENSe:WAVelength:STARt", "SENSe:WAVelength:STOP", "OUTPut[:STATe]", "MEASure:MODE",
                                "SYSTem:ERRor[:NEXT]?", "FETCh:TRACe?", "*RST", "*CLS", "*OPC?"})
        table.add(QString::fromLatin1(pattern), [](const scpi::Command&) { return scpi::Reply::done(); });
    table.add(QStringLiteral("*IDN?"), [](const scpi::Command&) { return scpi::Reply::text("Maker,VXM,SN1,3.0"); });
    scpi::ClientStatus status;
    scpi::LineAssembler lines;
    for (auto _ : state) {
        for (const scpi::ReceivedLine& line : lines.feed("*IDN?\n")) {
            scpi::LineExecution execution(table, scpi::parseLine(line));
            execution.run(status);
            benchmark::DoNotOptimize(execution.response());
        }
    }
}

}  // namespace

// Target: the binary form in at most 10 ms of CPU time (median).
BENCHMARK(BM_TraceBlock)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
// No goal of its own: the ASCII form is reported beside the binary one.
BENCHMARK(BM_TraceAscii)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
// Part of the 1 ms round-trip goal of *IDN?, which the server's benchmark measures whole.
BENCHMARK(BM_IdentityLine)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
