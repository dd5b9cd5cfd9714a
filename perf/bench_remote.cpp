// Remote control over loopback, client and program in one process as pyvisa and the program would
// be on one machine: the round trip of *IDN?, and FETCh:TRACe? of a 20001-point spectrum as an
// IEEE 488.2 block of float32 pairs and as ASCII pairs, each from the command sent to the last
// byte of the response received. The program is the whole bench on fakes, its server on a free
// port. Run: build/bin/bench_remote

#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/shared_state.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "fake_serial_port.h"
#include "remote/remote_control.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>

#include <memory>

namespace {

constexpr int kPoints = 20001;

struct RemoteFixture {
    std::unique_ptr<Bench> bench;
    QTcpSocket client;

    RemoteFixture()
    {
        resetSharedState();
        BenchServices services;
        services.library = std::make_unique<FakeDeviceLibrary>();
        auto clock = std::make_unique<FakeClock>();
        services.serial = std::make_unique<FakeSerialPort>(*clock);
        services.clock = std::move(clock);
        bench = std::make_unique<Bench>(std::move(services));
        bench->startup().Form_Load();
        RemoteOptions options;
        options.port = 0;
        bench->startRemote(options);
        // A measured spectrum: 1260..1340 nm in 4 pm steps, values with all their digits.
        Module1.ScanWL.assign(kPoints, 0.0F);
        Module1.ScanValue.assign(kPoints, 0.0F);
        for (int i = 0; i < kPoints; ++i) {
            Module1.ScanWL[static_cast<std::size_t>(i)] = 1260.0F + 0.004F * static_cast<float>(i);
            Module1.ScanValue[static_cast<std::size_t>(i)] = -40.0F + 0.0013F * static_cast<float>(i % 997);
        }
        Module1.LastPointIndex = kPoints - 1;
        Module1.TraceKind = 3;
        client.connectToHost(QHostAddress::LocalHost, bench->remote()->port());
        client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        while (client.state() != QAbstractSocket::ConnectedState) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    // Sends a line and waits, serving the program's events, until `bytes` of response are in.
    QByteArray exchange(const QByteArray& line, qint64 bytes)
    {
        client.write(line);
        client.flush();
        while (client.bytesAvailable() < bytes) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return client.readAll();
    }
    // The length of the response to `line`, learnt once.
    qint64 responseBytes(const QByteArray& line)
    {
        client.write(line);
        client.flush();
        QByteArray response;
        while (!response.endsWith('\n') || (response.startsWith('#') && response.size() < 8)) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            response += client.readAll();
        }
        if (response.startsWith('#')) {
            const int digits = response[1] - '0';
            const qint64 total = 2 + digits + response.mid(2, digits).toLongLong() + 1;
            while (response.size() < total) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                response += client.readAll();
            }
        }
        return response.size();
    }
};

RemoteFixture* gFixture = nullptr;

// Made on first use and ended with the application, while its event dispatcher still exists.
RemoteFixture& fixture()
{
    if (!gFixture) {
        gFixture = new RemoteFixture;
        qAddPostRoutine([] {
            delete gFixture;
            gFixture = nullptr;
        });
    }
    return *gFixture;
}

void timeExchange(benchmark::State& state, const QByteArray& setup, const QByteArray& line)
{
    RemoteFixture& f = fixture();
    if (!setup.isEmpty()) f.exchange(setup, 0);
    const qint64 bytes = f.responseBytes(line);
    for (auto _ : state) benchmark::DoNotOptimize(f.exchange(line, bytes));
    state.counters["response_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_IdnRoundTrip(benchmark::State& state) { timeExchange(state, {}, "*IDN?\n"); }
void BM_TraceBinary20001(benchmark::State& state) { timeExchange(state, "FORM REAL,32\n", "FETC:TRAC?\n"); }
void BM_TraceAscii20001(benchmark::State& state) { timeExchange(state, "FORM ASC\n", "FETC:TRAC?\n"); }

}  // namespace

BENCHMARK(BM_IdnRoundTrip)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TraceBinary20001)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TraceAscii20001)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
