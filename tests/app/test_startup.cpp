#include "core/form1.h"
#include "core/info_box.h"
#include "core/units.h"
#include "bench_fixture.h"
#include "form_checks.h"
#include "results/form2.h"
#include "test_paths.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

TEST(Startup, ControlsAreInTheirSetUpEnableState)
{
    FakeBench b;
    expectEnabled(b->form1(), "-CheckPowerMeter -CheckAlignMode -CheckVXMScanMode -CheckRemoveBKG -TakeBackground "
                              "-MeasureSpectrum -Text1 -Text2 -Text3 -Text4 -Text5 -Text6 -Text7 -Text8 -StartStopSweep "
                              "-SingleMeasure -RepeatMeasure -ReadVXMInfo -ReadTLSInfo -StopVXMScan -Reflection -Transmission "
                              "SetVXMComPort SetConnection ComboBoxVXMCOM ChannelID SetTLSComPort ComboBoxTLSCOM CheckTLS "
                              "BasePower Ref0Power LanguageButton CloseExit TLSOnOff");
}

TEST(Startup, TogglesChecksListsAndColoursHoldTheirDesignValues)
{
    FakeBench b;
    Form1& f = b->form1();
    const std::pair<QAbstractButton*, bool> checked[] = {
        {f.TLSOnOff, true},      {f.StartStopSweep, false}, {f.LanguageButton, false}, {f.CheckTLS, true},
        {f.MeasureSpectrum, true}, {f.TakeBackground, false}, {f.BasePower, false},    {f.Ref0Power, false}};
    for (const auto& [button, on] : checked) EXPECT_EQ(button->isChecked(), on) << button->objectName().toStdString();
    ASSERT_EQ(f.ComboBoxVXMCOM->count(), 30);
    const std::pair<QString, QString> texts[] = {
        {f.ComboBoxVXMCOM->itemText(0), "COM1"}, {f.ComboBoxVXMCOM->itemText(29), "COM30"},
        {f.ComboBoxVXMCOM->currentText(), "COM6"}, {f.ComboBoxTLSCOM->currentText(), "COM7"},
        {f.ChannelID->currentText(), "1. Channel #1"}, {f.ChannelID->itemText(1), "2. Channel #2"},
        {f.Text1->text(), "1260"}, {f.Text2->text(), "1340"}, {f.Text3->text(), "100"}, {f.Text4->text(), "1300"},
        {f.Text5->text(), "0.000"}, {f.Text6->text(), "1"}, {f.Text7->text(), "20001"}, {f.Text8->text(), "-3.0"}};
    for (const auto& [shown, expected] : texts) EXPECT_EQ(shown, expected);
    EXPECT_EQ(Module1.ChannelSelect, 1);
    EXPECT_EQ(Module1.PlotCount, 0);
    EXPECT_EQ(Module1.TLSTimeoutMs, 10000);

    const std::pair<QWidget*, std::uint32_t> fore[] = {{f.TitleLabel, VbColor::Blue}, {f.VXMSetting, VbColor::Blue},
        {f.VXMMeasure, VbColor::Blue}, {f.TLSSetting, VbColor::Red}, {f.DataSetting, VbColor::Red},
        {f.SetTLSComPort, VbColor::White}};
    const std::pair<QWidget*, std::uint32_t> back[] = {{f.SetTLSComPort, VbColor::DarkBlue}, {f.ReadTLSInfo, VbColor::DarkBlue},
        {f.Reflection, VbColor::LightGrey}, {f.Transmission, VbColor::LightGrey}, {f.StopVXMScan, VbColor::Pink},
        {f.CloseExit, VbColor::LightRed}, {f.RepeatMeasure, VbColor::LightYellow}};
    for (const auto& [w, colour] : fore) EXPECT_EQ(foreColorOf(w), colour) << w->objectName().toStdString();
    for (const auto& [w, colour] : back) EXPECT_EQ(backColorOf(w), colour) << w->objectName().toStdString();
}

TEST(Startup, ControlsSitAtTheirPlacesWithTheirNamesAndTheWelcomeLineIsRedArial)
{
    FakeBench b;
    Form1& f = b->form1();
    EXPECT_EQ(f.SetVXMComPort->pos(), twipsRect(840, 3000, 0, 0).topLeft());
    EXPECT_EQ(f.DisplayInfo->geometry(), twipsRect(12480, 3840, 4335, 2295));
    EXPECT_EQ(f.CloseExit->pos(), twipsRect(14760, 6360, 0, 0).topLeft());
    EXPECT_EQ(f.Text5->pos(), twipsRect(10200, 3285, 0, 0).topLeft());
    EXPECT_EQ(f.DisplayInfo->font().family(), QStringLiteral("Arial"));
    // Code names for accessibility tools; text boxes carry their labels.
    EXPECT_EQ(f.SetVXMComPort->accessibleDescription(), QStringLiteral("SetVXMComPort"));
    EXPECT_EQ(f.DisplayInfo->accessibleDescription(), QStringLiteral("DisplayInfo"));
    EXPECT_EQ(f.Label1[3]->accessibleDescription(), QStringLiteral("Label1(3)"));
    EXPECT_EQ(f.Text1->accessibleName(), QStringLiteral("Start Wavelength"));
    EXPECT_EQ(f.Text7->accessibleName(), QStringLiteral("Data Length (<=20001)"));
    EXPECT_EQ(b->form2().MSFlexGrid1->accessibleDescription(), QStringLiteral("MSFlexGrid1"));

    EXPECT_EQ(b->info().text(), QStringLiteral("\r\nWelcome to use VXM"));
    EXPECT_EQ(b->info().color(), VbColor::Red);
    EXPECT_EQ(b->info().fontName(), QStringLiteral("Arial"));
    EXPECT_EQ(b.library->calls.first(), QStringLiteral("Initialize_Lib(0)"));
    // The results window exists, hidden.
    Form2* results = b->loadedForm2();
    ASSERT_NE(results, nullptr);
    EXPECT_FALSE(results->isVisible());
    EXPECT_FALSE(results->Picture1->isEnabled());
    EXPECT_TRUE(results->LimitText1->isHidden());
    EXPECT_TRUE(results->Label3[3]->isHidden());
}

TEST(Startup, MissingLibraryIsNamedInRedAndLaterCallsFailQuietly)
{
    qputenv("VXM_MODULE_LIBRARY", "/nonexistent/libKetrolanLib.so");
    resetSharedState();
    BenchServices services = realServices();
    qunsetenv("VXM_MODULE_LIBRARY");
    ASSERT_FALSE(services.library->loadProblem().isEmpty());
    DeviceLibrary* lib = services.library.get();
    Bench bench(std::move(services));
    bench.Form_Load();
    const QString text = bench.info().text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("\r\nWelcome to use VXM\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("libKetrolanLib.so could not be loaded"))) << text.toStdString();
    EXPECT_EQ(bench.info().color(), VbColor::Red);
    std::int32_t count = 20001;
    EXPECT_EQ(lib->Initialize_Port(5), kLibraryUnavailable);
    EXPECT_EQ(lib->Get_AlignMode_Data(1001, nullptr, nullptr, &count, 0), kLibraryUnavailable);
    EXPECT_EQ(lib->Stop_All(), kLibraryUnavailable);
}

TEST(Screenshots, MainWindowInBothLanguages)
{
    FakeBench b;
    Form1& f = b->form1();
    f.show();
    ASSERT_TRUE(f.grab().save(testOutputDir() + QStringLiteral("/form1-english.png")));
    f.LanguageButton->click();
    ASSERT_TRUE(f.grab().save(testOutputDir() + QStringLiteral("/form1-chinese.png")));
    f.hide();
}
