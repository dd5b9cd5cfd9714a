// The simulated laser's replies, byte for byte.
#include "sim/console.h"
#include "sim/laser_device.h"
#include "sim_test_util.h"

#include <gtest/gtest.h>

using namespace vxmsim;

namespace {

struct LaserFixture : ::testing::Test {
    BenchModel bench;
    LaserDevice laser{bench};

    std::string send(const std::string& hex) { return frame::toHex(laser.handle(parseWhole(frame::fromHex(hex)))); }
    std::uint16_t status(const std::string& command, const std::vector<std::uint16_t>& words)
    {
        return parseWhole(laser.handle(request(command, words))).words.at(0);
    }
    // SWST words: `first` (1), start and stop in pm, three zeros, the speed, `tenth` (100), a zero.
    static std::vector<std::uint16_t> sweepWords(std::int32_t start, std::int32_t stop, int speed, int first = 1, int tenth = 100)
    {
        std::vector<std::uint16_t> w = words32({start, stop});
        w.insert(w.begin(), static_cast<std::uint16_t>(first));
        for (int x : {0, 0, 0, speed, tenth, 0}) w.push_back(static_cast<std::uint16_t>(x));
        return w;
    }
};

}  // namespace

TEST_F(LaserFixture, CommandsAnswerAStatusFrameActOnTheLaserAndAreCounted)
{
    // Switching on and off and going to a wavelength are seen in the simulator's status end to end.
    bench.laser.sweeping = true;
    EXPECT_EQ(send("AA4C534F4600000134"), "AA4C534F46000100000135");
    EXPECT_FALSE(bench.laser.on || bench.laser.sweeping);  // no light, no sweep
    EXPECT_EQ(send("AA5244535700000140"), "AA524453570002000000000142");
    bench.laser.sweepMode = 1;
    EXPECT_EQ(parseWhole(laser.handle(request("RDSW"))).words, (std::vector<std::uint16_t>{0, 1}));

    EXPECT_EQ(frame::toHex(laser.handle(request("ABCD"))), "AA4142434400010001010C");
    std::string corrupt = "AA4C534F4E0000013D";  // LSON with its checksum one off
    const frame::Parsed reply = parseWhole(frame::fromHex(send(corrupt)));
    EXPECT_EQ(reply.command, "LSON");
    EXPECT_EQ(reply.words.at(0), kChecksumError);
    EXPECT_FALSE(bench.laser.on);  // a corrupted command is not carried out

    // The console counts the commands carried out.
    FaultSet laserFaults, moduleFaults;
    Console console(bench, laserFaults, moduleFaults);
    EXPECT_EQ(console.execute("count LSOF"), "LSOF 1");
    send("AA4C534F4600000134");
    send("AA4C534F4E00000134");  // bad checksum: refused, not counted
    EXPECT_EQ(console.execute("count LSOF"), "LSOF 2");
    EXPECT_EQ(console.execute("count LSON"), "LSON 0");
    EXPECT_EQ(console.execute("count").rfind("error: ", 0), 0u);
}

TEST_F(LaserFixture, GoToWavelengthChecksTheRangeBothEndsIncluded)
{
    // The ends themselves are sent end to end.
    const std::pair<std::int32_t, std::uint16_t> rows[] = {{1259999, kOutOfRange}, {1340001, kOutOfRange}, {1300000, kDone}};
    bench.laser.wavelengthPm = 1290000;
    for (const auto& [pm, expected] : rows) {
        const std::int32_t before = bench.laser.wavelengthPm;
        EXPECT_EQ(status("GOWL", words32({pm})), expected) << pm;
        EXPECT_EQ(bench.laser.wavelengthPm, expected == kDone ? pm : before) << pm;  // refused requests leave it
    }
}

TEST_F(LaserFixture, SweepStartChecksAndStoresItsParametersAndStopEndsIt)
{
    for (const auto& [start, stop, speed] : {std::tuple(1250000, 1340000, 100), std::tuple(1260000, 1350000, 100),
                                             std::tuple(1300000, 1300000, 100), std::tuple(1260000, 1340000, 0)})
        EXPECT_EQ(status("SWST", sweepWords(start, stop, speed)), kOutOfRange) << start << '-' << stop << ' ' << speed;
    EXPECT_FALSE(bench.laser.sweeping);
    EXPECT_EQ(status("SWST", sweepWords(1270000, 1330000, 40)), kDone);  // the program's own frame is stored end to end
    EXPECT_EQ(std::tuple(bench.laser.sweeping, bench.laser.sweepStartPm, bench.laser.sweepStopPm, bench.laser.sweepSpeed),
              std::tuple(true, 1270000, 1330000, 40));
    EXPECT_EQ(send("AA535753500000014D"), "AA5357535000010000014E");
    EXPECT_FALSE(bench.laser.sweeping);
}

TEST_F(LaserFixture, FramesOutsideTheProtocolAreRefusedAndNamed)
{
    std::vector<std::string> told;
    laser.onRefusal = [&](const std::string& line) { told.push_back(line); };
    const std::pair<std::string, std::vector<std::uint16_t>> frames[] = {{"LSON", {1}}, {"GOWL", {0x0013}}, {"SNFV", {1}},
        {"SWST", sweepWords(1260000, 1340000, 100, 2)}, {"SWST", sweepWords(1260000, 1340000, 100, 1, 99)}};
    bench.laser.on = false;
    for (const auto& [command, words] : frames) EXPECT_EQ(status(command, words), kOutOfRange) << command;
    EXPECT_EQ(told, (std::vector<std::string>{
                        "laser refused LSON: data words 1 (SNFV 1, GOWL 2, SWST 11, the others none)",
                        "laser refused GOWL: data words 1 (SNFV 1, GOWL 2, SWST 11, the others none)",
                        "laser refused SNFV: word 1 1 (must be 0)", "laser refused SWST: word 1 2 (must be 1)",
                        "laser refused SWST: word 10 99 (must be 100)"}));
    EXPECT_FALSE(bench.laser.on || bench.laser.sweeping) << "nothing refused was carried out";
    EXPECT_EQ(status("SWST", sweepWords(1260000, 1340000, 100)), kDone);
}
