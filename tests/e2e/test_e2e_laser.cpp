// The laser side of the program against the simulated laser: wavelength limits and a silent laser.

#include "e2e_bench.h"

#include "core/units.h"
#include "laser/tls_control_controller.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

using LaserE2e = E2eBench;

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
