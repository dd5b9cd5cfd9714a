// The simulated laser's replies, byte for byte.
#include "sim/console.h"
#include "sim/laser_device.h"
#include "sim_test_util.h"

#include <gtest/gtest.h>

using namespace vxmsim;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct LaserFixture : ::testing::Test {
    BenchModel bench;
    LaserDevice laser{bench};

    Bytes send(const Bytes& wire) { return laser.handle(parseWhole(wire)); }
    std::uint16_t status(const Bytes& reply) { return parseWhole(reply).words.at(0); }
};

}  // namespace

TEST_F(LaserFixture, IdentityReplyHasTheFixedLayout)
{
    const Bytes reply = send(frame::fromHex("AA534E465600010000013E"));
    ASSERT_EQ(reply.size(), 93u);
    EXPECT_EQ(frame::toHex(Bytes(reply.begin(), reply.begin() + 9)), "AA534E4656002A0000");
    const std::string pn(reply.begin() + 9, reply.begin() + 29);
    EXPECT_EQ(pn.substr(0, 3), "TLS");
    EXPECT_EQ(pn.find('\0'), laser.identity.partNumber.size());     // NUL-padded after the text
    EXPECT_EQ(std::string(reply.begin() + 49, reply.begin() + 59), "05/17/2025");
    EXPECT_EQ(frame::toHex(Bytes(reply.begin() + 79, reply.begin() + 91)), "00000001001339E000147260");
    EXPECT_TRUE(parseWhole(reply).checksumOk);

    bench.laser.on = false;
    bench.laser.minPm = 1527500;
    const Bytes off = send(frame::fromHex("AA534E465600010000013E"));
    EXPECT_EQ(frame::toHex(Bytes(off.begin() + 81, off.begin() + 87)), "000000174ECC");
}

TEST_F(LaserFixture, OnOffAnswerAStatusFrameAndSwitchTheLaser)
{
    bench.laser.on = false;
    EXPECT_EQ(frame::toHex(send(frame::fromHex("AA4C534F4E0000013C"))), "AA4C534F4E00010000013D");
    EXPECT_TRUE(bench.laser.on);
    bench.laser.sweeping = true;
    EXPECT_EQ(frame::toHex(send(frame::fromHex("AA4C534F4600000134"))), "AA4C534F46000100000135");
    EXPECT_FALSE(bench.laser.on);
    EXPECT_FALSE(bench.laser.sweeping);  // no light, no sweep
}

TEST_F(LaserFixture, GoToWavelengthChecksTheRangeBothEndsIncluded)
{
    const auto goTo = [&](std::int32_t pm) {
        return status(laser.handle(request("GOWL", words32({pm}))));
    };
    EXPECT_EQ(goTo(1550000), kOutOfRange);
    EXPECT_EQ(goTo(1259999), kOutOfRange);
    EXPECT_EQ(goTo(1340001), kOutOfRange);
    EXPECT_EQ(bench.laser.wavelengthPm, 1300000);  // refused requests leave it alone
    EXPECT_EQ(goTo(1260000), kDone);
    EXPECT_EQ(bench.laser.wavelengthPm, 1260000);
    EXPECT_EQ(goTo(1340000), kDone);
    EXPECT_EQ(bench.laser.wavelengthPm, 1340000);
    // The program's own frame for 1310 nm.
    EXPECT_EQ(frame::toHex(send(frame::fromHex("AA474F574C00020013FD30027B"))), "AA474F574C00010000013A");
    EXPECT_EQ(bench.laser.wavelengthPm, 1310000);
}

TEST_F(LaserFixture, UnknownCommandAndBadChecksumGiveTheirStatus)
{
    EXPECT_EQ(frame::toHex(send(frame::build("ABCD", std::vector<std::uint16_t>{}))), "AA4142434400010001010C");
    Bytes corrupt = frame::fromHex("AA4C534F4E0000013C");
    bench.laser.on = false;
    corrupt.back() ^= 1;
    const Bytes reply = send(corrupt);
    EXPECT_EQ(status(reply), kChecksumError);
    EXPECT_EQ(parseWhole(reply).command, "LSON");
    EXPECT_FALSE(bench.laser.on);  // a corrupted command is not carried out
}

TEST_F(LaserFixture, SweepStartStoresItsParametersAndStopEndsIt)
{
    const Bytes swst = frame::fromHex("AA53575354000B0001001339E00014726000000000000000640064000004" "37");
    EXPECT_EQ(status(send(swst)), kDone);
    EXPECT_TRUE(bench.laser.sweeping);
    EXPECT_EQ(bench.laser.sweepStartPm, 1260000);
    EXPECT_EQ(bench.laser.sweepStopPm, 1340000);
    EXPECT_EQ(bench.laser.sweepSpeed, 100);

    EXPECT_EQ(status(send(frame::fromHex("AA535753500000014D"))), kDone);
    EXPECT_FALSE(bench.laser.sweeping);
}

TEST_F(LaserFixture, SweepOutsideTheRangeOrWithoutSpeedIsRefused)
{
    auto sweep = [&](std::int32_t start, std::int32_t stop, std::uint16_t speed) {
        std::vector<std::uint16_t> w{1};
        frame::appendWord32(w, start);
        frame::appendWord32(w, stop);
        for (std::uint16_t x : {0, 0, 0, int(speed), 100, 0}) w.push_back(x);
        return status(laser.handle(request("SWST", w)));
    };
    EXPECT_EQ(sweep(1250000, 1340000, 100), kOutOfRange);
    EXPECT_EQ(sweep(1260000, 1350000, 100), kOutOfRange);
    EXPECT_EQ(sweep(1300000, 1300000, 100), kOutOfRange);
    EXPECT_EQ(sweep(1260000, 1340000, 0), kOutOfRange);
    EXPECT_FALSE(bench.laser.sweeping);
    EXPECT_EQ(sweep(1270000, 1330000, 40), kDone);
    EXPECT_EQ(bench.laser.sweepSpeed, 40);
}

TEST_F(LaserFixture, SweepModeIsReadBack)
{
    EXPECT_EQ(frame::toHex(send(frame::fromHex("AA5244535700000140"))), "AA524453570002000000000142");
    bench.laser.sweepMode = 1;
    EXPECT_EQ(parseWhole(laser.handle(request("RDSW"))).words, (std::vector<std::uint16_t>{0, 1}));
}

TEST_F(LaserFixture, ConsoleCountsTheCommandsCarriedOut)
{
    FaultSet laserFaults, moduleFaults;
    Console console(bench, laserFaults, moduleFaults);
    EXPECT_EQ(console.execute("count LSOF"), "LSOF 0");
    send(frame::fromHex("AA4C534F4600000134"));
    send(frame::fromHex("AA4C534F4600000134"));
    send(frame::fromHex("AA4C534F4E00000134"));  // bad checksum: refused, not counted
    EXPECT_EQ(console.execute("count LSOF"), "LSOF 2");
    EXPECT_EQ(console.execute("count LSON"), "LSON 0");
    EXPECT_EQ(console.execute("count").rfind("error: ", 0), 0u);
}
