// Remote control end to end: a real VISA client (pyvisa with its pyvisa-py backend, in its own
// process) runs a background and a device measurement on the simulated bench through the
// program's SCPI server, while this test answers the script's requests to the simulator's console
// and then holds what the client read against the window's table and the CSV export; and a line
// controller runs 20 devices through a recipe, every verdict and record held against the store.

#include "e2e_bench.h"
#include "test_paths.h"

#include "remote/remote_control.h"
#include "results/form2.h"
#include "verdict/figures.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QProcess>
#include <QTableWidget>
#include <QTimer>

namespace {

class RemoteE2E : public E2eBench {
protected:
    void SetUp() override
    {
        E2eBench::SetUp();
        if (HasFatalFailure()) return;
        RemoteOptions options;
        options.enabled = true;
        options.port = 0;  // a free one
        ASSERT_TRUE(bench->startRemote(options)) << bench->remote()->errorString().toStdString();
    }

    // Runs the client script to its end, serving the window and the server meanwhile; its output
    // file as JSON. `more` follows the port and the output file on its command line.
    QJsonObject runClient(const char* script, const QStringList& more = {})
    {
        const QString output = logs.filePath(QStringLiteral("client.json"));
        QProcess client;
        client.setProgram(QStringLiteral("/usr/bin/python3"));  // the system's, where python3-pyvisa lives
        client.setArguments(QStringList{QStringLiteral(VXM_SOURCE_DIR "/tests/e2e/") + QLatin1String(script),
                                        QString::number(bench->remote()->port()), output} + more);
        QObject::connect(&client, &QProcess::readyReadStandardOutput, [&] {
            while (client.canReadLine()) {
                const QString line = QString::fromUtf8(client.readLine()).trimmed();
                if (line.startsWith(QLatin1String("console "))) {
                    sim->command(line.mid(8));
                    client.write("ok\n");
                }
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
        EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(fileBytes(output)).object();
    }
};

}  // namespace

TEST_F(RemoteE2E, PyvisaMeasuresADeviceAndReadsWhatTheWindowShows)
{
    const QJsonObject read = runClient("remote_pyvisa.py");
    ASSERT_FALSE(read.isEmpty());

    // The window went through the operator's order: a device spectrum with the background removed.
    EXPECT_TRUE(read[QStringLiteral("idn")].toString().startsWith(QLatin1String("Ostrel,VXM,VX")))
        << "the connected module's serial number";
    EXPECT_EQ(read[QStringLiteral("laser_on")].toString(), QStringLiteral("1"));
    EXPECT_TRUE(f->TLSOnOff->isChecked());
    EXPECT_TRUE(f->StartStopSweep->isChecked());
    EXPECT_EQ(read[QStringLiteral("mode")].toString(), QStringLiteral("IL;SPEC;1"));
    EXPECT_TRUE(f->CheckVXMScanMode->isChecked() && f->MeasureSpectrum->isChecked() && f->CheckRemoveBKG->isChecked());
    EXPECT_EQ(Module1.TraceKind, 3);
    EXPECT_EQ(Module1.ChannelSelect, 1);
    ASSERT_EQ(Module1.ChannelCount, 4) << infoText().toStdString();

    // The background was waited for with *OPC and the status byte: bit 5 for the operation complete
    // event *ESE enabled, bit 6 as *SRE asked; the laser swept and the module measured meanwhile.
    EXPECT_EQ(read[QStringLiteral("enables")].toString(), QStringLiteral("1;32"));
    EXPECT_EQ(read[QStringLiteral("operation_while_measuring")].toString(), QStringLiteral("24"));
    EXPECT_EQ(read[QStringLiteral("status_when_complete")].toString(), QStringLiteral("96"));
    EXPECT_EQ(read[QStringLiteral("events_when_complete")].toString(), QStringLiteral("1"));

    // The refusals' texts are the remote command tests'; here the start refused while the laser
    // sweeps is left as it was.
    EXPECT_EQ(read[QStringLiteral("start_after_refusal")].toString(), QStringLiteral("1260"));
    EXPECT_EQ(f->Text1->text(), QStringLiteral("1260"));

    // FETCh:CHANnels? is the results table, row after row, as it is written there.
    const QTableWidget& grid = *bench->form2().MSFlexGrid1;
    QStringList cells;
    for (int r = 2; r < 2 + Module1.ChannelCount; ++r)
        for (int c = 0; c < 5; ++c) cells << grid.item(r, c)->text();
    EXPECT_EQ(read[QStringLiteral("channels")].toString(), cells.join(QLatin1Char(',')));

    // FETCh:TRACe? in ASCII is the CSV export's points; in binary the measured floats themselves.
    dialogs->answer = logs.filePath(QStringLiteral("spectrum.csv"));
    bench->form2().SaveCSV->click();
    QList<QByteArray> lines = fileBytes(dialogs->answer).split('\n');
    lines.removeFirst();  // the header
    lines.removeLast();   // after the last line end
    QStringList points;
    for (const QByteArray& line : lines) points << QString::fromLatin1(line.trimmed());
    ASSERT_EQ(points.size(), 2001);
    EXPECT_EQ(read[QStringLiteral("trace_ascii")].toString(), points.join(QLatin1Char(',')));

    const QJsonArray binary = read[QStringLiteral("trace_binary")].toArray();
    ASSERT_EQ(binary.size(), 2 * 2001);
    int mismatches = 0;
    for (int i = 0; i < 2001; ++i) {
        const auto k = static_cast<std::size_t>(i);
        mismatches += static_cast<float>(binary[2 * i].toDouble()) != Module1.ScanWL[k];
        mismatches += static_cast<float>(binary[2 * i + 1].toDouble()) != Module1.ScanValue[k];
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(form().grab().save(QDir(testOutputDir()).filePath(QStringLiteral("e2e-remote-form1.png"))));
}

namespace {

// The bench keeps its records in an SQLite file and offers the CWDM4 recipe, judged by the
// demultiplexer's common-port limits (the example recipe's own fit the simulator's filter) and
// without the filter's mask.
class RemoteStationE2E : public RemoteE2E {
protected:
    QString recordsTarget() override { return logs.filePath(QStringLiteral("records.sqlite")); }

    void SetUp() override
    {
        RemoteE2E::SetUp();
        if (HasFatalFailure()) return;
        QJsonObject recipe = exampleJson("cwdm4-recipe.json");
        recipe[QStringLiteral("limits")] = exampleJson("cwdm4-demux-common-limits.json");
        recipe.remove(QStringLiteral("mask"));
        writeFileIn(logs.filePath(QStringLiteral("recipes")), "cwdm4.json", QJsonDocument(recipe).toJson());
    }
};

}  // namespace

TEST_F(RemoteStationE2E, ALineControllerRuns20DevicesThroughARecipeAndTheStoreHoldsWhatItRead)
{
    const QJsonObject read = runClient("remote_station.py", {logs.filePath(QStringLiteral("records.sqlite"))});
    ASSERT_FALSE(read.isEmpty());
    EXPECT_EQ(read[QStringLiteral("recipes")].toString(), QStringLiteral("\"CWDM4 demultiplexer, production test\""));
    EXPECT_EQ(read[QStringLiteral("recipe")].toString(), QStringLiteral("\"CWDM4 demultiplexer, production test\",1"));

    const QJsonArray devices = read[QStringLiteral("devices")].toArray();
    ASSERT_EQ(devices.size(), 20);
    QStringList uids;
    for (const QJsonValue& value : devices) {
        const QJsonObject d = value.toObject();
        const QString id = d[QStringLiteral("id")].toString();
        const bool bad = d[QStringLiteral("bad")].toBool();
        EXPECT_EQ(d[QStringLiteral("verdict")].toString(), bad ? QStringLiteral("FAIL") : QStringLiteral("PASS")) << id.toStdString();
        EXPECT_EQ(d[QStringLiteral("figures")].toInt(), 4 * verdict::kFigureCount) << id.toStdString();
        const QJsonArray failing = d[QStringLiteral("failing")].toArray();
        EXPECT_EQ(failing.size(), bad ? 2 : 0) << id.toStdString();
        if (bad) {
            EXPECT_EQ(failing.first().toString(), QStringLiteral("3 insertion_loss")) << id.toStdString();
        }
        uids << d[QStringLiteral("uid")].toString();
    }
    uids.removeDuplicates();
    EXPECT_EQ(uids.size(), 20) << "a record of its own for each device";
    EXPECT_EQ(read[QStringLiteral("stored")].toInt(), 20);
    EXPECT_TRUE(read[QStringLiteral("store_mismatches")].toArray().isEmpty())
        << QJsonDocument(read[QStringLiteral("store_mismatches")].toArray()).toJson().toStdString();
    EXPECT_EQ(read[QStringLiteral("questionable")].toString(), QStringLiteral("0")) << "a fresh background that fits";
}
