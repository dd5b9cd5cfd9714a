// The laser side of the program against the simulated laser: detection at start-up, the port and
// identity, output and sweep states, wavelength limits, error replies and a silent laser.

#include "e2e_bench.h"

#include "core/units.h"
#include "laser/tls_control_controller.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>

namespace {

QStringList itemsOf(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

using LaserE2e = E2eBench;

TEST_F(LaserE2e, StartUpListsOnlyTheSimulatorsPortsInBlue)
{
    EXPECT_EQ(itemsOf(form().ComboBoxVXMCOM), QStringList{"COM6"});
    EXPECT_EQ(itemsOf(form().ComboBoxTLSCOM), QStringList{"COM7"});
    EXPECT_EQ(form().ComboBoxVXMCOM->currentText(), QStringLiteral("COM6"));
    EXPECT_EQ(form().ComboBoxTLSCOM->currentText(), QStringLiteral("COM7"));
    EXPECT_EQ(foreColorOf(form().ComboBoxVXMCOM), VbColor::Blue);
    EXPECT_EQ(foreColorOf(form().ComboBoxTLSCOM), VbColor::Blue);
    EXPECT_EQ(Module1.TLSTimeoutMs, 10000);
    EXPECT_FALSE(bench->MSComm1().isOpen()) << "detection leaves the port closed";
    EXPECT_EQ(requestCount("SNFV"), 1) << "the laser is asked for its identity once";
}

TEST_F(LaserE2e, SetTlsComPortListsTheIdentityAndFillsTheWavelengthBoxes)
{
    openLaserPort();
    const QString listing = infoText();
    EXPECT_TRUE(listing.contains(QStringLiteral("1. P/N: TLS-OB-2611-S"))) << listing.toStdString();
    EXPECT_TRUE(listing.contains(QStringLiteral("3. M/D: 05/17/2025"))) << listing.toStdString();
    EXPECT_TRUE(listing.contains(QStringLiteral("7. W/L: 1260-1340 (nm)"))) << listing.toStdString();
    EXPECT_EQ(info().fontName(), QStringLiteral("Courier New"));
    EXPECT_EQ(form().Text1->text(), QStringLiteral("1260"));
    EXPECT_EQ(form().Text2->text(), QStringLiteral("1340"));
    EXPECT_EQ(form().Text4->text(), QStringLiteral("1300"));
    EXPECT_EQ(backColorOf(form().SetTLSComPort), VbColor::LightGreen);
    EXPECT_TRUE(form().TLSOnOff->isEnabled());
    EXPECT_TRUE(form().ReadTLSInfo->isEnabled());
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

TEST_F(LaserE2e, OutputAndSweepWalkTheEnableStatesWithTheLaserFollowing)
{
    openLaserPort();
    Form1& f = form();

    click(f.TLSOnOff);  // starts pressed: the first click switches off
    EXPECT_EQ(infoText(), QStringLiteral("TLS is Off"));
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser off")));
    EXPECT_FALSE(f.StartStopSweep->isEnabled());

    click(f.TLSOnOff);
    EXPECT_EQ(infoText(), QStringLiteral("TLS is On"));
    EXPECT_EQ(f.TLSOnOff->text(), QStringLiteral("Set TLS Off"));
    EXPECT_EQ(backColorOf(f.TLSOnOff), VbColor::Green);
    EXPECT_TRUE(f.StartStopSweep->isEnabled());
    EXPECT_TRUE(f.CheckPowerMeter->isEnabled());
    EXPECT_FALSE(f.CheckVXMScanMode->isEnabled());
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser on")));
    EXPECT_EQ(requestCount("RDSW"), 1);

    click(f.StartStopSweep);
    EXPECT_EQ(f.StartStopSweep->text(), QStringLiteral("Stop TLS Sweep"));
    EXPECT_TRUE(f.CheckVXMScanMode->isEnabled());
    EXPECT_TRUE(f.CheckAlignMode->isEnabled());
    EXPECT_FALSE(f.CheckPowerMeter->isEnabled());
    EXPECT_FALSE(f.Text1->isEnabled());
    EXPECT_EQ(info().color(), VbColor::Black) << "a sweep the laser accepted reports no error";
    EXPECT_TRUE(sim->command("status").contains(QStringLiteral("sweeping")));

    click(f.StartStopSweep);
    EXPECT_EQ(infoText(), QStringLiteral("TLS stops sweeping"));
    EXPECT_EQ(f.StartStopSweep->text(), QStringLiteral("Start TLS Sweep"));
    EXPECT_TRUE(f.CheckPowerMeter->isEnabled());
    EXPECT_FALSE(f.CheckVXMScanMode->isEnabled());
    EXPECT_TRUE(f.Text1->isEnabled());
    EXPECT_FALSE(sim->command("status").contains(QStringLiteral("sweeping")));

    // Off while sweeping: the sweep is stopped inside the laser-off step.
    click(f.StartStopSweep);
    ASSERT_TRUE(f.StartStopSweep->isChecked());
    const int stopsBefore = requestCount("SWSP");
    click(f.TLSOnOff);
    EXPECT_EQ(requestCount("SWSP"), stopsBefore + 1);
    EXPECT_FALSE(f.StartStopSweep->isChecked());
    EXPECT_FALSE(f.StartStopSweep->isEnabled());
    EXPECT_TRUE(f.CheckPowerMeter->isEnabled()) << "the stop step re-enables the power meter";
    EXPECT_TRUE(f.Text1->isEnabled());
    EXPECT_FALSE(f.Text4->isEnabled());
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser off")));
    EXPECT_TRUE(dialogs->warnings.isEmpty());
}

TEST_F(LaserE2e, WavelengthAtTheRangeEndsIsSentAndOnePicometreOutsideIsRefused)
{
    openLaserPort();
    TlsControlController& control = bench->tlsControl();
    Form1& f = form();

    for (const char* nm : {"1260", "1340"}) {
        f.Text4->setText(QString::fromLatin1(nm));
        control.SetTLSWavelength();
        EXPECT_TRUE(sim->command("status").contains(QStringLiteral("%1.000 nm").arg(nm))) << nm;
    }
    const int sent = requestCount("GOWL");
    EXPECT_EQ(sent, 2);

    for (const char* nm : {"1259.999", "1340.001"}) {
        f.Text4->setText(QString::fromLatin1(nm));
        control.SetTLSWavelength();
        EXPECT_EQ(infoText(), QStringLiteral("Wavelength is Out-Of-Range !\r\n  Please set Wavelength again !")) << nm;
        EXPECT_EQ(info().color(), VbColor::Red);
    }
    EXPECT_EQ(requestCount("GOWL"), sent) << "a refused wavelength is not sent";
    EXPECT_TRUE(sim->command("status").contains(QStringLiteral("1340.000 nm")));
}

// Runs `operation` while the laser is silent and a 50 ms timer is due; returns how long it took
// and whether the timer fired before the operation returned.
struct SilentRun {
    qint64 elapsedMs = 0;
    bool timerServed = false;
};

template <typename Operation>
SilentRun runWithTimer(Operation operation)
{
    SilentRun run;
    QTimer::singleShot(50, [&run] { run.timerServed = true; });
    QElapsedTimer clock;
    clock.start();
    operation();
    run.elapsedMs = clock.elapsed();
    return run;
}

TEST_F(LaserE2e, ASilentLaserEndsTheReplyWaitAfterTheTimeOutWhileTheWindowIsServed)
{
    openLaserPort();
    ASSERT_TRUE(sim->command("fault laser:silent on").startsWith(QStringLiteral("ok")));
    Module1.TLSTimeoutMs = 400;
    form().Text4->setText(QStringLiteral("1310"));

    const SilentRun run = runWithTimer([this] { bench->tlsControl().SetTLSWavelength(); });
    EXPECT_TRUE(run.timerServed);
    EXPECT_GE(run.elapsedMs, 100 + 400) << "the fixed wait, then the whole time-out";
    EXPECT_LT(run.elapsedMs, 5000) << "the wait ends";
    // The silent laser still carried the command out; the empty reply reads as an unknown code.
    EXPECT_TRUE(sim->command("status").contains(QStringLiteral("1310.000 nm")));
    EXPECT_TRUE(infoText().contains(QStringLiteral("Unknown error code."))) << infoText().toStdString();
    EXPECT_EQ(info().color(), VbColor::Red);
}

TEST_F(LaserE2e, ASilentLaserHoldsTheLaserOffStepForTheFullTenSeconds)
{
    openLaserPort();
    ASSERT_TRUE(sim->command("fault laser:silent on").startsWith(QStringLiteral("ok")));
    ASSERT_EQ(Module1.TLSTimeoutMs, 10000);

    const SilentRun run = runWithTimer([this] { click(form().TLSOnOff); });
    EXPECT_TRUE(run.timerServed);
    EXPECT_GE(run.elapsedMs, 10000);
    EXPECT_LT(run.elapsedMs, 20000);
    EXPECT_EQ(infoText(), QStringLiteral("TLS is Off")) << "laser on and off replies are not examined";
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser off")));
}

}  // namespace
