// The station on the fakes: a recipe sets boxes and limits, Enter measures and records the device,
// bad IDs, a busy bench and an unfit background are refused, ports are measured one by one.
#include "../measure/scan_bench.h"
#include "line_support.h"

#include "core/info_box.h"
#include "records/history_host.h"
#include "records/history_window.h"
#include "records/record_capture.h"
#include "records/record_store.h"
#include "records/record_writer.h"
#include "station/recipe_library.h"
#include "station/station_controller.h"
#include "verdict/verdict_controller.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void flat(int i, float& wavelengthPm, float& value)
{
    onePeakAt1300(i, wavelengthPm, value);
    value = 0.0F;
}

class Station : public ::testing::Test {
protected:
    void SetUp() override
    {
        target = dir.filePath(QStringLiteral("records.sqlite"));
        b = std::make_unique<FakeBench>(true, target, dir.filePath(QStringLiteral("spool.sqlite")));
        // A bench without a laser, its module connected: the measurement options open.
        form().CheckTLS->setChecked(false);
        form().SetVXMComPort->click();
        form().SetConnection->click();
        ASSERT_TRUE(form().CheckVXMScanMode->isEnabled()) << info().toStdString();
        prepareScan(*b);
        writeFileIn(folder(), "filter.json", recipeText("Fake filter", 6));
        writeFileIn(folder(), "tight.json", recipeText("Tight filter", 4));
        writeFileIn(folder(), "demux.json", recipeText("Fake demux", 6, "[1, 2]"));
        station().refreshRecipes();
        QObject::connect(capture(), &RecordCapture::captured, [this](const MeasurementRecord& r) { captured.push_back(r); });
    }

    QString folder() { return b->settingsDir.filePath(QStringLiteral("recipes")); }
    StationController& station() { return (*b)->station(); }
    Form1& form() { return (*b)->form1(); }
    RecordCapture* capture() { return form().findChild<RecordCapture*>(); }
    QString info() { return (*b)->info().text(); }
    // Enter in the device ID box, after scanning `id` into it when one is given.
    void enter(const QString& id = {})
    {
        if (!id.isNull()) form().DeviceId->setText(id);
        QTest::keyClick(form().DeviceId, Qt::Key_Return);
    }
    int scans() { return countCalls(*b, QStringLiteral("Start_Scan")); }

    // The background through the main window, with the device out.
    void takeBackground()
    {
        b->library->point = flat;
        form().TakeBackground->click();
        form().SingleMeasure->click();
        b->library->point = onePeakAt1300;
    }
    void drain()
    {
        RecordWriter* writer = (*b)->records();
        ASSERT_TRUE(QTest::qWaitFor([&] { return writer->status().storeUp && writer->status().waiting == 0; }, 10000));
    }

    QTemporaryDir dir;
    QString target;
    std::unique_ptr<FakeBench> b;
    std::vector<MeasurementRecord> captured;
};

TEST_F(Station, ARecipeSetsTheBoxesAndTheLimitsAndARefusedOneLeavesTheRecipeInUse)
{
    Form1& f = form();
    EXPECT_EQ(station().recipeNames(),
              (QStringList{QStringLiteral("Fake demux"), QStringLiteral("Fake filter"), QStringLiteral("Tight filter")}));
    f.Text7->setText(QStringLiteral("20001"));
    f.Text8->setText(QStringLiteral("-10.0"));
    ASSERT_TRUE(station().chooseRecipe(QStringLiteral("Fake filter"))) << info().toStdString();
    EXPECT_TRUE(f.CheckVXMScanMode->isChecked() && f.MeasureSpectrum->isChecked());
    EXPECT_EQ((QStringList{f.Text7->text(), f.Text8->text()}), (QStringList{"2001", "-3.0"}));
    EXPECT_EQ(Module1.ChannelSelect, 1) << "Transmission through its handler";
    ASSERT_TRUE((*b)->verdict().limits());
    EXPECT_EQ(station().widgets().RecipeName->text(), QStringLiteral("In use: Fake filter, revision 3, part FAKE-1"));
    EXPECT_EQ(station().widgets().RecipeBox->currentText(), QStringLiteral("Fake filter (r3)"));

    writeFileIn(folder(), "broken.json", recipeText("Broken", 6, nullptr, 1350));
    station().refreshRecipes();
    // Offered under its file name: it has no name that can be read.
    EXPECT_FALSE(station().chooseRecipe(QStringLiteral("broken.json")));
    EXPECT_EQ(info(), QStringLiteral("Recipe refused, line 2: The start wavelength must be below the stop wavelength"))
        << info().toStdString();
    EXPECT_EQ(station().recipe()->name, QStringLiteral("Fake filter"));
    EXPECT_EQ(station().widgets().RecipeBox->currentText(), QStringLiteral("Fake filter (r3)"));
}

// The store's newest revision wins over the folder's; the folder's are published to it.
TEST_F(Station, TheStoresNewestRevisionIsOfferedOverTheFolders)
{
    struct Shelf : RecipeShelf {
        std::vector<OfferedRecipe> published;
        void publish(const OfferedRecipe& r) override { published.push_back(r); }
        std::vector<OfferedRecipe> newest() override
        {
            QByteArray text = recipeText("Fake filter", 6);
            text.replace(R"("revision": 3)", R"("revision": 4)");
            return {{QStringLiteral("Fake filter"), 4, station::recipeHash(text), text, false}};
        }
    } shelf;
    const std::vector<OfferedRecipe> offered = offeredRecipes(folder(), &shelf);
    ASSERT_EQ(offered.size(), 3U);
    EXPECT_EQ(shelf.published.size(), 3U);
    EXPECT_EQ(shelf.published[1].revision, 3);
    EXPECT_EQ(shelf.published[1].hash, station::recipeHash(recipeText("Fake filter", 6)));
    EXPECT_EQ(std::make_tuple(offered[1].name, offered[1].revision, offered[1].fromStore),
              std::make_tuple(QStringLiteral("Fake filter"), 4, true));
    EXPECT_FALSE(offered[0].fromStore);
}

TEST_F(Station, EnterMeasuresJudgesAndRecordsTheDeviceWithItsRecipeAndBackground)
{
    Form1& f = form();
    ASSERT_TRUE(station().chooseRecipe(QStringLiteral("Fake filter")));
    takeBackground();
    ASSERT_EQ(captured.size(), 1U);
    const QString backgroundUid = captured[0].uid;

    enter(QStringLiteral("SN-001"));
    EXPECT_EQ(station().widgets().StationVerdict->text(), QStringLiteral("PASS")) << info().toStdString();
    EXPECT_TRUE(f.CheckRemoveBKG->isChecked()) << "set again by the recipe before the scan";
    EXPECT_EQ(f.DeviceId->selectedText(), QStringLiteral("SN-001")) << "ready for the next part";
    ASSERT_EQ(captured.size(), 2U);
    const MeasurementRecord& r = captured[1];
    EXPECT_EQ(std::make_tuple(r.deviceId, r.recipeName, r.recipeRevision, r.recipeHash, r.verdict, r.port, r.runUid),
              std::make_tuple(QStringLiteral("SN-001"), QStringLiteral("Fake filter"), QStringLiteral("3"),
                              station::recipeHash(recipeText("Fake filter", 6)), QStringLiteral("PASS"), 0, QString()));
    EXPECT_EQ(r.backgroundUid, backgroundUid);
    ASSERT_TRUE(r.backgroundAgeS);
    EXPECT_TRUE(*r.backgroundAgeS >= 0.0 && *r.backgroundAgeS < 5.0) << *r.backgroundAgeS;

    ASSERT_TRUE(station().chooseRecipe(QStringLiteral("Tight filter")));
    enter(QStringLiteral("SN-002"));
    EXPECT_EQ(station().widgets().StationVerdict->text(), QStringLiteral("FAIL"));
    EXPECT_EQ(station().widgets().StationReason->text(),
              QStringLiteral("Device SN-002: FAIL\nFailing: CH1 insertion_loss 5.000"));
    EXPECT_EQ(captured.back().verdict, QStringLiteral("FAIL"));
    drain();
}

TEST_F(Station, BadIdsABusyBenchAndAnUnfitBackgroundAreRefusedBeforeAnyScan)
{
    Form1& f = form();
    enter(QStringLiteral("SN-1"));
    EXPECT_EQ(info(), QStringLiteral("Choose a recipe before measuring a device"));
    ASSERT_TRUE(station().chooseRecipe(QStringLiteral("Fake filter")));
    enter();
    EXPECT_EQ(info(), QStringLiteral("No background has been taken with these settings: take a new background"))
        << info().toStdString();
    takeBackground();
    const int scansBefore = scans();

    QSignalSpy questionable(&station(), &StationController::referenceQuestionable);
    Module1.BackgroundSources[0].utcMs -= 61 * 60'000;
    enter();
    EXPECT_TRUE(info().startsWith(QStringLiteral("The background is 61.0 min old"))) << info().toStdString();
    Module1.BackgroundSources[0].utcMs += 61 * 60'000;
    Module1.BackgroundSources[0].length = 1001;
    enter();
    EXPECT_EQ(info(), QStringLiteral("The background was taken with the data length 1001, this measurement uses 2001: "
                                     "take a new background"));
    ASSERT_EQ(questionable.size(), 2);
    EXPECT_TRUE(questionable[1][0].toBool());
    Module1.BackgroundSources[0].length = 2001;

    enter(QStringLiteral("SN\x01""1"));
    EXPECT_EQ(info(), QStringLiteral("The device ID holds a control character: scan it again"));
    enter(QString(65, u'A'));
    EXPECT_TRUE(info().contains(QStringLiteral("longer than 64 characters"))) << info().toStdString();
    EXPECT_EQ(scans(), scansBefore) << "nothing was measured";

    // Enter again inside the running measurement's wait: told, and ignored.
    f.DeviceId->setText(QString(64, u'A'));
    QString toldWhileBusy;
    duringNextWait([&] {
        enter();
        toldWhileBusy = info();
    });
    enter();
    EXPECT_EQ(toldWhileBusy, QStringLiteral("A measurement is running: Enter is ignored until it ends"));
    EXPECT_EQ(scans(), scansBefore + 1);
    EXPECT_EQ(station().widgets().StationVerdict->text(), QStringLiteral("PASS"));
    ASSERT_EQ(questionable.size(), 3);
    EXPECT_FALSE(questionable[2][0].toBool());
}

TEST_F(Station, APortedDeviceIsMeasuredPortByPortAndAnAbandonedOneLeavesNoRecord)
{
    Form1& f = form();
    ASSERT_TRUE(station().chooseRecipe(QStringLiteral("Fake demux")));
    takeBackground();
    captured.clear();
    QSignalSpy prompts(&station(), &StationController::portPrompted);

    enter(QStringLiteral("DMX-1"));
    EXPECT_EQ(station().promptedPort(), 1);
    EXPECT_TRUE(station().widgets().PortPrompt->isVisibleTo(&f));
    EXPECT_EQ(station().widgets().PortPromptText->text(), QStringLiteral("Connect port 1 of 2"));
    enter();
    EXPECT_EQ(station().widgets().PortPromptText->text(), QStringLiteral("Connect port 2 of 2"));
    QTest::keyClick(f.DeviceId, Qt::Key_Escape);
    EXPECT_FALSE(station().promptedPort());
    EXPECT_FALSE(station().widgets().PortPrompt->isVisibleTo(&f));
    EXPECT_EQ(info(), QStringLiteral("Device DMX-1 abandoned: nothing was recorded for it"));
    drain();
    RecordStore store;
    ASSERT_FALSE(store.open(target));
    EXPECT_EQ(store.list({}).size(), 1U) << "the background alone";

    captured.clear();
    f.DeviceId->setText(QStringLiteral("DMX-2"));
    for (int i = 0; i < 3; ++i) enter();
    EXPECT_FALSE(station().promptedPort());
    EXPECT_EQ(station().widgets().StationVerdict->text(), QStringLiteral("PASS")) << info().toStdString();
    ASSERT_EQ(captured.size(), 3U);
    const QString run = captured[0].runUid;
    EXPECT_FALSE(run.isEmpty());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(std::make_tuple(captured[i].kind, captured[i].port, captured[i].portCount, captured[i].runUid,
                                  captured[i].wavelengthsNm.size(), captured[i].judgesDevice()),
                  std::make_tuple(RecordKind::Spectrum, i + 1, 2, run, std::size_t{2001}, false)) << i;
    const MeasurementRecord& device = captured[2];
    EXPECT_EQ(std::make_tuple(device.kind, device.port, device.runUid, device.verdict, device.wavelengthsNm.empty(),
                              device.deviceId),
              std::make_tuple(RecordKind::Device, 0, run, QStringLiteral("PASS"), true, QStringLiteral("DMX-2")));
    EXPECT_TRUE(device.figuresJson.contains(QStringLiteral("\"channel\":2"))) << device.figuresJson.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.list({}).size() == 4U; }, 10000)) << "the ports and the device";
    EXPECT_EQ(prompts.last()[0].toString(), QString()) << "the prompt closed";
}

// A recorded background opened in History becomes its channel's current one when the settings match.
TEST_F(Station, ARecordedBackgroundWithTheSameSettingsCanBeUsedAsTheBackground)
{
    Form1& f = form();
    ASSERT_TRUE(station().chooseRecipe(QStringLiteral("Fake filter")));
    takeBackground();
    RecordStore store;
    // The writer may still be creating the store's schema in its own connection.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !store.open(target); }, 10000)) << store.lastError().detail.toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.list({}).size() == 1U; }, 10000));
    const MeasurementRecord taken = captured.at(0);
    Module1 = SharedState{};  // a fresh start of the program: no background in memory
    Module1.Language = 1;
    Module1.ModuleHandle = kHandle;

    f.HistoryButton->click();
    HistoryHost& history = *(*b)->history();
    ASSERT_TRUE(history.controller()->open(store.list({}).at(0).id));
    f.Text7->setText(QStringLiteral("1001"));
    EXPECT_FALSE(history.useAsBackground());
    EXPECT_EQ(history.window()->Message->text(),
              QStringLiteral("The background was taken with the data length 2001, the main window is set to 1001"));
    EXPECT_TRUE(Module1.BackgroundCh0.empty());

    f.Text7->setText(QStringLiteral("2001"));
    EXPECT_TRUE(history.useAsBackground()) << history.window()->Message->text().toStdString();
    EXPECT_EQ(Module1.BackgroundCh0, taken.values);
    EXPECT_EQ(std::tuple(Module1.BackgroundSources[0].uid, Module1.BackgroundSources[0].utcMs),
              std::tuple(taken.uid, taken.utc.toMSecsSinceEpoch()));

    // The station measures with it, and the record names it.
    captured.clear();
    enter(QStringLiteral("SN-9"));
    ASSERT_EQ(captured.size(), 1U) << info().toStdString();
    EXPECT_EQ(captured[0].backgroundUid, taken.uid);
    EXPECT_EQ(captured[0].verdict, QStringLiteral("PASS"));
}

}  // namespace
