// Close / Exit against the simulated bench: the laser is switched off on the wire, the port is
// closed, and the simulator then ends without leaving a process or a port link behind.

#include "e2e_bench.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace {

bool linkExists(const QString& path)
{
    struct stat st {};
    return ::lstat(path.toLocal8Bit().constData(), &st) == 0;  // a dangling link counts too
}

using ShutdownE2e = E2eBench;

TEST_F(ShutdownE2e, LaserOnIsSwitchedOffTwiceAndNothingIsLeftBehind)
{
    connectModule();
    openLaserPort();
    switchLaserOn();
    ASSERT_TRUE(sim->command("status").startsWith(QStringLiteral("laser on")));
    const int offsBefore = laserCount("LSOF");

    click(form().CloseExit);
    EXPECT_EQ(endRequests, 1);
    EXPECT_EQ(laserCount("LSOF"), offsBefore + 2);
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser off")));
    EXPECT_FALSE(bench->MSComm1().isOpen());

    const QString laserLink = sim->linkPath(7);
    const QString moduleLink = sim->linkPath(6);
    ASSERT_TRUE(linkExists(laserLink));
    sim->stop();
    EXPECT_EQ(sim->process().state(), QProcess::NotRunning);
    EXPECT_EQ(sim->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim->process().exitCode(), 0);
    EXPECT_FALSE(linkExists(laserLink));
    EXPECT_FALSE(linkExists(moduleLink));
}

TEST_F(ShutdownE2e, WithoutTheLaserOnlyTheModuleIsReleased)
{
    connectModule();
    openLaserPort();
    switchLaserOn();
    form().CheckTLS->setChecked(false);
    const int offsBefore = laserCount("LSOF");

    click(form().CloseExit);
    EXPECT_EQ(endRequests, 1);
    EXPECT_EQ(laserCount("LSOF"), offsBefore);
    EXPECT_TRUE(sim->command("status").startsWith(QStringLiteral("laser on")));
    constexpr std::int32_t kUnknownHandle = -3;  // the library's answer for a handle it released
    EXPECT_EQ(bench->library().Is_Scan_Done(Module1.ModuleHandle), kUnknownHandle);
}

}  // namespace
