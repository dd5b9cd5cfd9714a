// libKetrolanLib.so against a running simulator: the calls the program makes, and its failures.
#include "module/ketrolan_lib.h"
#include "simulator_process.h"
#include "sim/bench_model.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

namespace {

constexpr int32_t kModuleIndex = 5;  // COM6
constexpr int32_t kLaserIndex = 6;   // COM7

struct LibraryFixture : ::testing::Test {
    SimulatorProcess sim{{}, true};
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

TEST_F(LibraryFixture, PowerOfEitherChannelAndScansDeliverTheirPointsAndAlignDataNoMore)
{
    float p0 = 1, p1 = 1;
    ASSERT_EQ(Ketrolan_Read_PowerMeter(handle, 0, &p0), 1);
    ASSERT_EQ(Ketrolan_Read_PowerMeter(handle, 1, &p1), 1);
    // The laser sits at 1300 nm, between two filter channels: far below the laser's 0 dBm.
    EXPECT_NEAR(p0, vxmsim::BenchModel::laserPowerDbm(1300) - 1.5 + vxmsim::BenchModel::filterDb(1300), 0.02);
    EXPECT_NEAR(p1 - p0, 0.5, 0.03);
    EXPECT_NE(Ketrolan_Read_PowerMeter(handle, 2, &p0), 1);

    ASSERT_EQ(Ketrolan_Start_Scan(handle, 1260, 1340, 100, 1, 20001, 1, -1), 1);
    EXPECT_EQ(Ketrolan_Is_Scan_Done(handle), 0);  // 0.8 s of scanning ahead
    ASSERT_EQ(waitDone(), 1);
    std::vector<float> wl(20001, -1), power(20001, 99);
    ASSERT_EQ(Ketrolan_Get_ScanData(handle, wl.data(), power.data(), 20001, 1), 1);
    EXPECT_EQ(std::tuple(wl.front(), wl[12750], wl.back()), std::tuple(1260000.0f, 1311000.0f, 1340000.0f));
    EXPECT_GT(power[12750], -3.0f);              // a filter channel
    EXPECT_LT(*std::max_element(power.begin(), power.end()), 1.0f);

    // An align scan lowers the count to the points delivered and writes nothing past them.
    ASSERT_EQ(Ketrolan_AlignMode_Scan(handle, 1300, 1310, 20, 0, 0), 1);
    ASSERT_EQ(waitDone(), 1);
    std::fill(wl.begin(), wl.end(), -1.0f);
    int32_t count = 20001;
    ASSERT_EQ(Ketrolan_Get_AlignMode_Data(handle, wl.data(), power.data(), &count, 0), 1);
    EXPECT_EQ(count, 2501);
    EXPECT_EQ(std::tuple(wl[0], wl[2500], wl[2501]), std::tuple(1300000.0f, 1310000.0f, -1.0f));
}

TEST_F(LibraryFixture, ArgumentsOutsideTheInterfaceAreRefusedWithANegativeCodeAndNamed)
{
    // The module names what reaches it on the simulator's console; the library what never does, on standard error.
    float p = 0;
    std::vector<float> wl(10), power(10);
    const int32_t h = handle;
    // What is refused, by whom (after "vxm-simulator: module refused " or "libKetrolanLib: ").
    const struct {
        std::function<int32_t()> call;
        int32_t code;
        bool byLibrary;
        const char* line;
    } rows[] = {
        {[&] { return Ketrolan_Start_Scan(h, 1260, 1340, 100, 1, 2001, 0, 1); }, -7, false, "SCAN: sweep flag 1 (must be -1 or 0)"},
        {[&] { return Ketrolan_AlignMode_Scan(h, 1260, 1340, 100, 0, 1); }, -7, false, "ALGN: sweep flag 1 (must be -1 or 0)"},
        {[&] { return Ketrolan_Start_Scan(h, 1260, 1340, 100, 1, 2001, 2, 0); }, -7, false, "SCAN: channel 2 (must be 0 or 1)"},
        {[&] { return Ketrolan_Read_PowerMeter(h, -1, &p); }, -7, false, "RDPW: channel -1 (must be 0 or 1)"},
        {[&] { return Ketrolan_Get_ScanData(h, wl.data(), power.data(), 10, 2); }, -7, false, "DATA: channel 2 (must be 0 or 1)"},
        {[&] { return Ketrolan_Start_Scan(h, 1260, 1340, 100, 1, 0, 0, 0); }, -7, false, "SCAN: data length 0 (must be 1 to 20001)"},
        {[&] { return Ketrolan_Start_Scan(h, 1260, 1340, 100, 1, 20002, 0, -1); }, -7, false,
         "SCAN: data length 20002 (must be 1 to 20001)"},
        {[&] { return Ketrolan_AlignMode_Scan(h, 1340, 1340, 100, 0, 0); }, -7, false,
         "ALGN: stop wavelength 1340 (must be above the start)"},
        {[&] { return Ketrolan_Get_ScanData(h, wl.data(), power.data(), 0, 0); }, -7, true,
         "Ketrolan_Get_ScanData refused: data length 0 (must be 1 to 20001)"},
        {[&] { return Ketrolan_Get_ScanData(h, nullptr, power.data(), 10, 0); }, -7, true,
         "Ketrolan_Get_ScanData refused: no data buffer"},
        {[&] { return Ketrolan_Start_Scan(h + 1, 1260, 1340, 100, 1, 2001, 0, 0); }, -3, true,
         "Ketrolan_Start_Scan refused: unknown handle 1007"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        testing::internal::CaptureStderr();
        EXPECT_EQ(r.call(), r.code);
        const QString libraryLines = QString::fromStdString(testing::internal::GetCapturedStderr()).trimmed();
        const QStringList told = r.byLibrary ? QStringList{libraryLines} : sim.errorLines();
        const char* by = r.byLibrary ? "libKetrolanLib: " : "vxm-simulator: module refused ";
        EXPECT_EQ(told, QStringList{QLatin1String(by) + QLatin1String(r.line)});
        EXPECT_TRUE(r.byLibrary || libraryLines.isEmpty());
    }
    EXPECT_EQ(sim.command(QStringLiteral("count module:SCAN")), QStringLiteral("module:SCAN 4"));
    EXPECT_TRUE(sim.command(QStringLiteral("status")).contains(QStringLiteral("module sweep flag 0")))
        << "no refused scan started";

    // Same port again: the same handle; the laser's port is no module.
    EXPECT_EQ(Ketrolan_Initialize_Port(kModuleIndex), handle);
    const int32_t laser = Ketrolan_Initialize_Port(kLaserIndex);
    ASSERT_GT(laser, 1000);
    EXPECT_EQ(Ketrolan_Initialize_Connection(laser), -8);
}

TEST_F(LibraryFixture, DamagedRepliesGiveTheirCodesAndASilentModuleATimeOutNotAHang)
{
    uint8_t info[151];
    // Silent first: a slow reply arrives after its time-out and would answer the next request.
    const std::pair<const char*, int32_t> rows[] = {{"silent", -5}, {"bad-checksum", -6}, {"error-status=0007", 107},
        {"truncated", -5}, {"slow", -5}, {"split", 1}, {"extra-bytes", 1}};
    for (const auto& [fault, code] : rows) {
        const QString name = QStringLiteral("module:") + QLatin1String(fault);
        EXPECT_EQ(sim.command("fault " + name + " on"), "ok: fault " + name + " on");
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(Ketrolan_Get_Info(handle, info), code) << fault;
        EXPECT_LT(t.elapsed(), 3000) << fault;
        EXPECT_TRUE(sim.command("fault " + name + " off").startsWith("ok"));
    }
    EXPECT_EQ(Ketrolan_Get_Info(handle, info), 1);  // leftovers of damaged replies spoil nothing: the link recovers
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
    int call = 0;  // in the order listed
    for (const int32_t code : {Ketrolan_Initialize_Connection(unknown), Ketrolan_Get_Info(unknown, info),
                               Ketrolan_Read_PowerMeter(unknown, 0, &p), Ketrolan_Start_Scan(unknown, 1260, 1340, 100, 1, 100, 0, 0),
                               Ketrolan_AlignMode_Scan(unknown, 1260, 1340, 100, 0, 0), Ketrolan_Is_Scan_Done(unknown),
                               Ketrolan_Get_ScanData(unknown, wl.data(), power.data(), 100, 0),
                               Ketrolan_Get_AlignMode_Data(unknown, wl.data(), power.data(), &count, 0),
                               Ketrolan_Stop_Scan(unknown), Ketrolan_Release(unknown)})
        EXPECT_EQ(code, -3) << call++;
    EXPECT_EQ(count, 100);
    EXPECT_EQ(Ketrolan_Stop_All() + Ketrolan_Release_All(), 2);
    EXPECT_EQ(Ketrolan_Initialize_Port(-1), 0);
    qputenv("VXM_COM_DIR", "/nonexistent-vxm-dir");
    EXPECT_EQ(Ketrolan_Initialize_Port(200), 0);  // no COM201 link, no /dev/ttyS200
}
