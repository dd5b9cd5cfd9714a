// The station against the simulator: a recipe chosen, a background taken, then a scanned ID and
// Enter judge the simulated demultiplexers (the good part passes, the bad one fails on its third
// channel's loss), and a device measured port by port gets one verdict from its four ports.

#include "e2e_bench.h"
#include "test_paths.h"

#include "records/record_capture.h"
#include "results/form2.h"
#include "station/recipe.h"
#include "station/station_controller.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

class StationE2E : public LiveBench {
protected:
    QString recordsTarget() override { return logs.filePath(QStringLiteral("records.sqlite")); }

    // A recipe for the demultiplexer from the example limits of its common port or output port.
    QByteArray writeRecipe(const char* name, const char* limitsFile, bool ports)
    {
        QJsonObject recipe = QJsonDocument::fromJson(R"({"revision": 2, "part_number": "SIM-CWDM4-DEMUX",
            "scan": {"measurement": "device_il", "start_nm": 1260, "stop_nm": 1340, "speed_nm_s": 100, "averages": 1,
                     "data_length": 20001, "channel": 1, "path": "transmission", "n_db": 3, "remove_background": true},
            "reference": {"max_age_min": 30}})").object();
        recipe[QStringLiteral("name")] = QLatin1String(name);
        QJsonObject limits = exampleJson(limitsFile);
        if (ports) {
            limits[QStringLiteral("channels")] = 4;  // one channel per port
            recipe[QStringLiteral("ports")] = QJsonArray{1, 2, 3, 4};
        } else {
            // Each passband between -1.6 and +0.5 dB within 6 nm of its grid channel.
            recipe[QStringLiteral("mask")] = QJsonDocument::fromJson(R"({"reference": "grid",
                "all": {"upper": [[-6.5, 0.5], [6.5, 0.5]], "lower": [[-6, -1.6], [6, -1.6]]}})").object();
        }
        recipe[QStringLiteral("limits")] = limits;
        const QByteArray text = QJsonDocument(recipe).toJson();
        writeFileIn(logs.filePath(QStringLiteral("recipes")), (QByteArray(name) + ".json").constData(), text);
        return text;
    }

    void chooseAndTakeBackground(const char* name)
    {
        f->StartStopSweep->click();  // the laser sweeping: the module's scan options open
        StationController& s = bench->station();
        s.refreshRecipes();
        ASSERT_TRUE(s.chooseRecipe(QLatin1String(name))) << infoText().toStdString();
        console("dut out");
        f->TakeBackground->click();
        f->SingleMeasure->click();
        console("dut in");
        ASSERT_EQ(Module1.TraceKind, 2) << infoText().toStdString();
        QObject::connect(f->findChild<RecordCapture*>(), &RecordCapture::captured,
                         [this](const MeasurementRecord& r) { captured.push_back(r); });
    }

    void scan(const char* id)
    {
        f->DeviceId->setText(QLatin1String(id));
        QTest::keyClick(f->DeviceId, Qt::Key_Return);
    }
    QString shownVerdict() { return bench->station().widgets().StationVerdict->text(); }
    // A picture for people to look at, in the build's test output.
    static void keep(QWidget& window, const char* name)
    {
        window.grab().save(QDir(testOutputDir()).filePath(QLatin1String(name)));
    }

    std::vector<MeasurementRecord> captured;
};

TEST_F(StationE2E, AScannedIdPassesTheGoodDemultiplexerAndFailsTheBadLossOnItsThirdChannel)
{
    const QByteArray text = writeRecipe("CWDM4 demux common", "cwdm4-demux-common-limits.json", false);
    chooseAndTakeBackground("CWDM4 demux common");
    const QString backgroundUid = Module1.BackgroundSources[0].uid;
    ASSERT_FALSE(backgroundUid.isEmpty());

    keep(*f, "station-recipe.png");
    console("dut device cwdm4");
    scan("CW-0001");
    EXPECT_EQ(shownVerdict(), QStringLiteral("PASS")) << infoText().toStdString();
    EXPECT_EQ(f->DeviceId->selectedText(), QStringLiteral("CW-0001"));
    keep(*f, "station-pass.png");

    console("dut device cwdm4-bad-loss");
    scan("CW-0002");
    EXPECT_EQ(shownVerdict(), QStringLiteral("FAIL"));
    const QString reason = bench->station().widgets().StationReason->text();
    // The third channel alone, its loss 2.5 dB and more against the limit of 1.5 dB.
    const QRegularExpressionMatch loss =
        QRegularExpression(QStringLiteral("^Device CW-0002: FAIL\nFailing: CH3 insertion_loss (\\d+\\.\\d+) insertion_loss_max [\\d.]+$"))
            .match(reason);
    ASSERT_TRUE(loss.hasMatch()) << reason.toStdString();
    EXPECT_GT(loss.captured(1).toDouble(), 2.5);
    keep(*f, "station-fail.png");
    keep(bench->form2(), "station-fail-plot.png");
    click(f->LanguageButton);
    keep(*f, "station-fail-zh.png");
    click(f->LanguageButton);

    // What each record holds of its recipe and background is the controller tests'.
    ASSERT_EQ(captured.size(), 2U);
    EXPECT_EQ(std::make_tuple(captured[1].recipeHash, captured[1].backgroundUid, captured[1].verdict),
              std::make_tuple(station::recipeHash(text), backgroundUid, QStringLiteral("FAIL")));
}

TEST_F(StationE2E, FourPortsMeasuredInTurnGiveOneDeviceVerdictWithEachPortsIsolation)
{
    writeRecipe("CWDM4 demux ports", "cwdm4-demux-port-limits.json", true);
    chooseAndTakeBackground("CWDM4 demux ports");
    console("dut device cwdm4");
    std::vector<verdict::DeviceVerdict> judged;
    QObject::connect(&bench->station(), &StationController::deviceJudged,
                     [&judged](const verdict::DeviceVerdict& v) { judged.push_back(v); });

    scan("CW-0100");
    for (int port = 1; port <= 4; ++port) {
        ASSERT_EQ(bench->station().promptedPort(), port) << infoText().toStdString();
        EXPECT_EQ(bench->station().widgets().PortPromptText->text(), QStringLiteral("Connect port %1 of 4").arg(port));
        if (port == 2) keep(*f, "station-port.png");
        console(QStringLiteral("dut port %1").arg(port).toLatin1().constData());
        QTest::keyClick(f->DeviceId, Qt::Key_Return);
    }
    EXPECT_FALSE(bench->station().promptedPort());
    EXPECT_EQ(shownVerdict(), QStringLiteral("PASS")) << bench->station().widgets().StationReason->text().toStdString();
    ASSERT_EQ(judged.size(), 1U);
    const verdict::DeviceVerdict& device = judged[0];
    ASSERT_EQ(device.channels.size(), 4U);
    for (const verdict::ChannelVerdict& c : device.channels)
        EXPECT_GT(c.figures[verdict::Figure::Isolation], 30.0) << "port " << c.number;

    // The ports' records and their run are the controller tests'; here the four ports, then the device.
    ASSERT_EQ(captured.size(), 5U);
    EXPECT_EQ(std::make_tuple(captured[3].port, captured[4].kind, captured[4].verdict, captured[4].deviceId),
              std::make_tuple(4, RecordKind::Device, QStringLiteral("PASS"), QStringLiteral("CW-0100")));
}

}  // namespace
