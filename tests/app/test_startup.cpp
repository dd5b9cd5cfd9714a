#include "app/form1.h"
#include "app/info_box.h"
#include "app/units.h"
#include "bench_fixture.h"
#include "results/form2.h"
#include "test_paths.h"

#include <gtest/gtest.h>

TEST(Startup, ControlsAreInTheirSetUpEnableState)
{
    FakeBench b;
    Form1& f = b->form1();
    for (QWidget* w : std::initializer_list<QWidget*>{
             f.CheckPowerMeter, f.CheckAlignMode, f.CheckVXMScanMode, f.CheckRemoveBKG, f.TakeBackground,
             f.MeasureSpectrum, f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6, f.Text7, f.Text8,
             f.StartStopSweep, f.SingleMeasure, f.RepeatMeasure, f.ReadVXMInfo, f.ReadTLSInfo, f.StopVXMScan,
             f.Reflection, f.Transmission})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{f.SetVXMComPort, f.SetConnection, f.ComboBoxVXMCOM, f.ChannelID,
                                                      f.SetTLSComPort, f.ComboBoxTLSCOM, f.CheckTLS, f.BasePower,
                                                      f.Ref0Power, f.LanguageButton, f.CloseExit, f.TLSOnOff})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
}

TEST(Startup, TogglesChecksAndListsHoldTheirDesignValues)
{
    FakeBench b;
    Form1& f = b->form1();
    EXPECT_TRUE(f.TLSOnOff->isChecked());
    EXPECT_EQ(f.TLSOnOff->text(), QStringLiteral("Set TLS On"));
    EXPECT_FALSE(f.StartStopSweep->isChecked());
    EXPECT_FALSE(f.LanguageButton->isChecked());
    EXPECT_TRUE(f.CheckTLS->isChecked());
    EXPECT_TRUE(f.MeasureSpectrum->isChecked());
    EXPECT_FALSE(f.TakeBackground->isChecked());
    EXPECT_FALSE(f.BasePower->isChecked());
    EXPECT_FALSE(f.Ref0Power->isChecked());
    ASSERT_EQ(f.ComboBoxVXMCOM->count(), 30);
    EXPECT_EQ(f.ComboBoxVXMCOM->itemText(0), QStringLiteral("COM1"));
    EXPECT_EQ(f.ComboBoxVXMCOM->itemText(29), QStringLiteral("COM30"));
    EXPECT_EQ(f.ComboBoxVXMCOM->currentText(), QStringLiteral("COM6"));
    EXPECT_EQ(f.ComboBoxTLSCOM->currentText(), QStringLiteral("COM7"));
    EXPECT_EQ(f.ChannelID->currentText(), QStringLiteral("1. Channel #1"));
    EXPECT_EQ(f.ChannelID->itemText(1), QStringLiteral("2. Channel #2"));
    EXPECT_EQ(f.Text1->text(), QStringLiteral("1260"));
    EXPECT_EQ(f.Text2->text(), QStringLiteral("1340"));
    EXPECT_EQ(f.Text3->text(), QStringLiteral("100"));
    EXPECT_EQ(f.Text4->text(), QStringLiteral("1300"));
    EXPECT_EQ(f.Text5->text(), QStringLiteral("0.000"));
    EXPECT_EQ(f.Text6->text(), QStringLiteral("1"));
    EXPECT_EQ(f.Text7->text(), QStringLiteral("20001"));
    EXPECT_EQ(f.Text8->text(), QStringLiteral("-3.0"));
    EXPECT_EQ(Module1.ChannelSelect, 1);
    EXPECT_EQ(Module1.PlotCount, 0);
    EXPECT_EQ(Module1.TLSTimeoutMs, 10000);
}

TEST(Startup, DesignColoursAreApplied)
{
    FakeBench b;
    Form1& f = b->form1();
    EXPECT_EQ(foreColorOf(f.TitleLabel), VbColor::Blue);
    EXPECT_EQ(foreColorOf(f.VXMSetting), VbColor::Blue);
    EXPECT_EQ(foreColorOf(f.VXMMeasure), VbColor::Blue);
    EXPECT_EQ(foreColorOf(f.TLSSetting), VbColor::Red);
    EXPECT_EQ(foreColorOf(f.DataSetting), VbColor::Red);
    EXPECT_EQ(backColorOf(f.SetTLSComPort), VbColor::DarkBlue);
    EXPECT_EQ(foreColorOf(f.SetTLSComPort), VbColor::White);
    EXPECT_EQ(backColorOf(f.ReadTLSInfo), VbColor::DarkBlue);
    EXPECT_EQ(backColorOf(f.Reflection), VbColor::LightGrey);
    EXPECT_EQ(backColorOf(f.Transmission), VbColor::LightGrey);
    EXPECT_EQ(backColorOf(f.StopVXMScan), VbColor::Pink);
    EXPECT_EQ(backColorOf(f.CloseExit), VbColor::LightRed);
    EXPECT_EQ(backColorOf(f.RepeatMeasure), VbColor::LightYellow);
}

TEST(Startup, ControlsSitAtTheirDesignPositions)
{
    FakeBench b;
    Form1& f = b->form1();
    EXPECT_EQ(f.SetVXMComPort->pos(), twipsRect(840, 3000, 0, 0).topLeft());
    EXPECT_EQ(f.DisplayInfo->geometry(), twipsRect(12480, 3840, 4335, 2295));
    EXPECT_EQ(f.CloseExit->pos(), twipsRect(14760, 6360, 0, 0).topLeft());
    EXPECT_EQ(f.Text5->pos(), twipsRect(10200, 3285, 0, 0).topLeft());
    EXPECT_EQ(f.DisplayInfo->font().family(), QStringLiteral("Arial"));
}

TEST(Startup, WelcomeLineIsRedArialAfterAnEmptyLine)
{
    FakeBench b;
    EXPECT_EQ(b->info().text(), QStringLiteral("\r\nWelcome to use VXM"));
    EXPECT_EQ(b->info().color(), VbColor::Red);
    EXPECT_EQ(b->info().fontName(), QStringLiteral("Arial"));
    EXPECT_EQ(b.library->calls.first(), QStringLiteral("Initialize_Lib(0)"));
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

TEST(Startup, ResultsWindowExistsHiddenAfterStart)
{
    FakeBench b;
    ASSERT_NE(b->loadedForm2(), nullptr);
    EXPECT_FALSE(b->loadedForm2()->isVisible());
    EXPECT_FALSE(b->loadedForm2()->Picture1->isEnabled());
    EXPECT_TRUE(b->loadedForm2()->LimitText1->isHidden());
    EXPECT_TRUE(b->loadedForm2()->Label3[3]->isHidden());
}

TEST(Accessibility, ControlsCarryTheirCodeNamesAndTextBoxesTheirLabels)
{
    FakeBench b;
    Form1& f = b->form1();
    EXPECT_EQ(f.SetVXMComPort->accessibleDescription(), QStringLiteral("SetVXMComPort"));
    EXPECT_EQ(f.DisplayInfo->accessibleDescription(), QStringLiteral("DisplayInfo"));
    EXPECT_EQ(f.Label1[3]->accessibleDescription(), QStringLiteral("Label1(3)"));
    EXPECT_EQ(f.Text1->accessibleName(), QStringLiteral("Start Wavelength"));
    EXPECT_EQ(f.Text7->accessibleName(), QStringLiteral("Data Length (<=20001)"));
    EXPECT_EQ(b->form2().MSFlexGrid1->accessibleDescription(), QStringLiteral("MSFlexGrid1"));
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
