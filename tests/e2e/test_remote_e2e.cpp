// Remote control end to end: pyvisa, in its own process, measures a background and a device on the
// simulated bench through the program's server; what it read is held against the window.

#include "e2e_bench.h"

#include "core/shared_state.h"
#include "remote/remote_control.h"
#include "results/form2.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTableWidget>
#include <QTimer>

using RemoteE2E = E2eBench;

TEST_F(RemoteE2E, PyvisaMeasuresADeviceAndReadsWhatTheWindowShows)
{
    RemoteOptions options;
    options.port = 0;  // a free one
    ASSERT_TRUE(bench->startRemote(options)) << bench->remote()->errorString().toStdString();
    // The client runs to its end while the window and the server are served; "console <command>"
    // lines it writes are typed at the simulator's console.
    const QString output = logs.filePath(QStringLiteral("client.json"));
    QProcess client;
    client.setProgram(QStringLiteral("/usr/bin/python3"));  // the system's, where python3-pyvisa lives
    client.setArguments({QStringLiteral(VXM_SOURCE_DIR "/tests/e2e/remote_pyvisa.py"),
                         QString::number(bench->remote()->port()), output});
    QObject::connect(&client, &QProcess::readyReadStandardOutput, [&] {
        while (client.canReadLine()) {
            sim->command(QString::fromUtf8(client.readLine()).trimmed().mid(8));
            client.write("ok\n");
        }
    });
    QEventLoop loop;
    QObject::connect(&client, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    client.start();
    loop.exec();
    EXPECT_EQ(client.state(), QProcess::NotRunning) << "the client did not end";
    client.kill();
    client.waitForFinished(3000);
    ASSERT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject read = QJsonDocument::fromJson(file.readAll()).object();

    // The window went through the operator's order: a device spectrum with the background removed.
    EXPECT_TRUE(read[QStringLiteral("idn")].toString().startsWith(QLatin1String("Ostrel,VXM,VX"))) << "its serial number";
    EXPECT_EQ(read[QStringLiteral("laser_on")].toString(), QStringLiteral("1"));
    EXPECT_TRUE(f->TLSOnOff->isChecked() && f->StartStopSweep->isChecked());
    EXPECT_EQ(read[QStringLiteral("mode")].toString(), QStringLiteral("IL;SPEC;1"));
    EXPECT_TRUE(f->CheckVXMScanMode->isChecked() && f->MeasureSpectrum->isChecked() && f->CheckRemoveBKG->isChecked());
    EXPECT_EQ(Module1.TraceKind, 3);
    EXPECT_EQ(Module1.ChannelSelect, 1);
    ASSERT_EQ(Module1.ChannelCount, 4) << infoText().toStdString();

    // FETCh:CHANnels? is the results table, row after row, as it is written there.
    const QTableWidget& grid = *bench->form2().MSFlexGrid1;
    QStringList cells;
    for (int r = 2; r < 2 + Module1.ChannelCount; ++r)
        for (int c = 0; c < 5; ++c) cells << grid.item(r, c)->text();
    EXPECT_EQ(read[QStringLiteral("channels")].toString(), cells.join(QLatin1Char(',')));

    // FETCh:TRACe? in binary: the measured floats themselves.
    std::vector<float> received, measured;
    for (const QJsonValue& v : read[QStringLiteral("trace_binary")].toArray()) received.push_back(float(v.toDouble()));
    for (std::size_t i = 0; i < 2001; ++i) measured.insert(measured.end(), {Module1.ScanWL[i], Module1.ScanValue[i]});
    EXPECT_TRUE(received == measured) << received.size() << " numbers";
}
