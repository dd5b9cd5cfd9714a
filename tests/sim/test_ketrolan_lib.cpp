// libKetrolanLib.so against a running simulator: the calls the program makes, and its failures.
#include "module/ketrolan_lib.h"
#include "simulator_process.h"
#include "sim/bench_model.h"
#include "module/device_library.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <cstring>
#include <vector>

namespace {

constexpr int32_t kModuleIndex = 5;  // COM6
constexpr int32_t kLaserIndex = 6;   // COM7

struct LibraryFixture : ::testing::Test {
    SimulatorProcess sim;
    int32_t handle = 0;

    void SetUp() override
    {
        ASSERT_TRUE(sim.started());
        sim.exportComDir();
        Ketrolan_Initialize_Lib(0);
        handle = Ketrolan_Initialize_Port(kModuleIndex);
        ASSERT_EQ(handle, 1001 + kModuleIndex);
        ASSERT_EQ(Ketrolan_Initialize_Connection(handle), 1);
    }
    void TearDown() override
    {
        Ketrolan_Stop_All();
        Ketrolan_Release_All();
    }

    // Polls as the program does, bounded; the last answer.
    int32_t waitDone(int maxPolls = 100)
    {
        int32_t r = 0;
        for (int i = 0; i < maxPolls && (r = Ketrolan_Is_Scan_Done(handle)) == 0; ++i) QThread::msleep(100);
        return r;
    }
};

}  // namespace

TEST_F(LibraryFixture, VersionAndInformationRecord)
{
    uint8_t version[9];
    std::memset(version, 0xFF, sizeof version);
    Ketrolan_Get_Lib_Version(version);
    EXPECT_EQ(std::strlen(reinterpret_cast<char*>(version)), 8u);

    uint8_t info[151];
    std::memset(info, 0xEE, sizeof info);
    ASSERT_EQ(Ketrolan_Get_Info(handle, info), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info), 5), "VXMOB");
    EXPECT_EQ(info[19], 0);                          // NUL-padded
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info + 40), 10), "03/02/2025");
    EXPECT_EQ(info[70] * 256 + info[71], 253);       // 25.3 degrees
    EXPECT_EQ(info[150], 0);
}

TEST_F(LibraryFixture, PowerReadingOfEitherChannel)
{
    float p0 = 1, p1 = 1;
    ASSERT_EQ(Ketrolan_Read_PowerMeter(handle, 0, &p0), 1);
    ASSERT_EQ(Ketrolan_Read_PowerMeter(handle, 1, &p1), 1);
    // The laser sits at 1300 nm, between two filter channels: far below the laser's 0 dBm.
    EXPECT_NEAR(p0, vxmsim::BenchModel::laserPowerDbm(1300) - 1.5 + vxmsim::BenchModel::filterDb(1300), 0.02);
    EXPECT_NEAR(p1 - p0, 0.5, 0.03);
    EXPECT_NE(Ketrolan_Read_PowerMeter(handle, 2, &p0), 1);
}

TEST_F(LibraryFixture, FullRegularScanDeliversEveryPoint)
{
    ASSERT_EQ(Ketrolan_Start_Scan(handle, 1260, 1340, 100, 1, 20001, 1, -1), 1);
    EXPECT_EQ(Ketrolan_Is_Scan_Done(handle), 0);  // 0.8 s of scanning ahead
    ASSERT_EQ(waitDone(), 1);
    std::vector<float> wl(20001, -1), power(20001, 99);
    ASSERT_EQ(Ketrolan_Get_ScanData(handle, wl.data(), power.data(), 20001, 1), 1);
    EXPECT_EQ(wl.front(), 1260000.0f);
    EXPECT_EQ(wl[12750], 1311000.0f);
    EXPECT_EQ(wl.back(), 1340000.0f);
    EXPECT_GT(power[12750], -3.0f);              // a filter channel
    EXPECT_LT(power[10250], power[12750] - 25);  // 1301 nm, between channels
    for (float p : power) EXPECT_LT(p, 1.0f);
}

TEST_F(LibraryFixture, AlignScanLowersTheCountToThePointsDelivered)
{
    ASSERT_EQ(Ketrolan_AlignMode_Scan(handle, 1300, 1310, 20, 0, 0), 1);
    ASSERT_EQ(waitDone(), 1);
    std::vector<float> wl(20001, -1), power(20001, 99);
    int32_t count = 20001;
    ASSERT_EQ(Ketrolan_Get_AlignMode_Data(handle, wl.data(), power.data(), &count, 0), 1);
    EXPECT_EQ(count, 2501);
    EXPECT_EQ(wl[0], 1300000.0f);
    EXPECT_EQ(wl[2500], 1310000.0f);
    EXPECT_EQ(wl[2501], -1.0f);  // nothing written past the delivered points
}

TEST_F(LibraryFixture, StopDuringAScanMakesTheNextDonePollSeeTheEnd)
{
    ASSERT_EQ(Ketrolan_Start_Scan(handle, 1260, 1340, 1, 1, 1000, 0, 0), 1);  // 80 s
    EXPECT_EQ(Ketrolan_Is_Scan_Done(handle), 0);
    EXPECT_EQ(Ketrolan_Stop_Scan(handle), 1);
    EXPECT_EQ(Ketrolan_Is_Scan_Done(handle), 1);
}

TEST_F(LibraryFixture, ModuleRefusalsComeBackAsCodes)
{
    EXPECT_EQ(Ketrolan_Start_Scan(handle, 1340, 1260, 100, 1, 100, 0, 0), 102);
    std::vector<float> wl(10), power(10);
    EXPECT_EQ(Ketrolan_Get_ScanData(handle, wl.data(), power.data(), 0, 0), -7);
    EXPECT_EQ(Ketrolan_Get_ScanData(handle, nullptr, power.data(), 10, 0), -7);
    // Same port again: the same handle; the laser's port is no module.
    EXPECT_EQ(Ketrolan_Initialize_Port(kModuleIndex), handle);
    const int32_t laser = Ketrolan_Initialize_Port(kLaserIndex);
    ASSERT_GT(laser, 1000);
    EXPECT_EQ(Ketrolan_Initialize_Connection(laser), -8);
}

TEST_F(LibraryFixture, SilentModuleGivesATimeOutCodeNotAHang)
{
    EXPECT_EQ(sim.command("fault module-silent on"), "ok: fault module-silent on");
    QElapsedTimer t;
    t.start();
    const int32_t r = Ketrolan_Is_Scan_Done(handle);
    EXPECT_EQ(r, -5);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(sim.command("fault module-silent off"), "ok: fault module-silent off");
    EXPECT_EQ(Ketrolan_Is_Scan_Done(handle), 1);  // the link recovers
}

TEST_F(LibraryFixture, DamagedRepliesGiveTheirCodes)
{
    uint8_t info[151];
    const auto infoWith = [&](const QString& fault) {
        EXPECT_TRUE(sim.command("fault module:" + fault + " on").startsWith("ok"));
        const int32_t r = Ketrolan_Get_Info(handle, info);
        EXPECT_TRUE(sim.command("fault module:" + fault + " off").startsWith("ok"));
        return r;
    };
    EXPECT_EQ(infoWith("bad-checksum"), -6);
    EXPECT_EQ(infoWith("error-status=0002"), 102);
    EXPECT_EQ(infoWith("truncated"), -5);
    EXPECT_EQ(infoWith("slow"), -5);
    EXPECT_EQ(infoWith("split"), 1);
    EXPECT_EQ(infoWith("extra-bytes"), 1);
    EXPECT_EQ(Ketrolan_Get_Info(handle, info), 1);  // leftovers of damaged replies spoil nothing
}

TEST_F(LibraryFixture, UnpluggedModuleGivesALinkCode)
{
    // The connection in SetUp was the first command, this poll the second and last.
    EXPECT_EQ(sim.command("fault module:unplug-after=2 on"), "ok: fault module:unplug-after=2 on");
    EXPECT_EQ(Ketrolan_Is_Scan_Done(handle), 1);
    QThread::msleep(500);
    const int32_t r = Ketrolan_Is_Scan_Done(handle);
    EXPECT_TRUE(r == -4 || r == -5) << r;
    EXPECT_EQ(Ketrolan_Release(handle), 1);
    EXPECT_EQ(Ketrolan_Initialize_Port(kModuleIndex), 0);  // the link is gone
}

TEST(KetrolanLibWithoutPort, CallsFailWithCodesAndReturnAtOnce)
{
    Ketrolan_Release_All();
    const int32_t unknown = 4242;
    float p = 0;
    uint8_t info[151];
    std::vector<float> wl(100), power(100);
    int32_t count = 100;
    EXPECT_EQ(Ketrolan_Initialize_Connection(unknown), -3);
    EXPECT_EQ(Ketrolan_Get_Info(unknown, info), -3);
    EXPECT_EQ(Ketrolan_Read_PowerMeter(unknown, 0, &p), -3);
    EXPECT_EQ(Ketrolan_Start_Scan(unknown, 1260, 1340, 100, 1, 100, 0, 0), -3);
    EXPECT_EQ(Ketrolan_AlignMode_Scan(unknown, 1260, 1340, 100, 0, 0), -3);
    EXPECT_EQ(Ketrolan_Is_Scan_Done(unknown), -3);
    EXPECT_EQ(Ketrolan_Get_ScanData(unknown, wl.data(), power.data(), 100, 0), -3);
    EXPECT_EQ(Ketrolan_Get_AlignMode_Data(unknown, wl.data(), power.data(), &count, 0), -3);
    EXPECT_EQ(count, 100);
    EXPECT_EQ(Ketrolan_Stop_Scan(unknown), -3);
    EXPECT_EQ(Ketrolan_Release(unknown), -3);
    EXPECT_EQ(Ketrolan_Stop_All(), 1);
    EXPECT_EQ(Ketrolan_Release_All(), 1);
    EXPECT_EQ(Ketrolan_Initialize_Port(-1), 0);
    qputenv("VXM_COM_DIR", "/nonexistent-vxm-dir");
    EXPECT_EQ(Ketrolan_Initialize_Port(200), 0);  // no COM201 link, no /dev/ttyS200
}

TEST(KetrolanLibLoading, TheProgramsLoaderFindsEveryFunction)
{
    const QString path = QDir(SimulatorProcess::builtDir()).filePath(QStringLiteral("libKetrolanLib.so"));
    qputenv("VXM_MODULE_LIBRARY", path.toUtf8());
    const std::unique_ptr<DeviceLibrary> library = loadDeviceLibrary();
    qunsetenv("VXM_MODULE_LIBRARY");
    EXPECT_TRUE(library->loadProblem().isEmpty()) << library->loadProblem().toStdString();
    uint8_t version[9] = {};
    library->Get_Lib_Version(version);
    EXPECT_STREQ(reinterpret_cast<char*>(version), "01.00.00");
    EXPECT_EQ(library->Is_Scan_Done(4242), -3);
}
