// The laser side of the program against the simulated laser: the wavelength range ends.
// A silent laser's reply wait is the link tests', on the fake clock.

#include "e2e_bench.h"

#include "laser/tls_control_controller.h"

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

}  // namespace
