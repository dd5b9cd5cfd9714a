// Fault shaping of replies and the operator console.
#include "sim/console.h"
#include "sim/faults.h"
#include "sim_test_util.h"

#include <gtest/gtest.h>

using namespace vxmsim;
using Bytes = std::vector<std::uint8_t>;

// Faults that spoil a reply are seen in the device library's codes; these two leave it readable.
TEST(Faults, SplitAndExtraBytesKeepTheReplyWholeAndNamesPickTheInstrument)
{
    const Bytes reply = frame::build("LSON", std::vector<std::uint16_t>{0});
    FaultSet laser, module;
    EXPECT_EQ(shapeReply(module, reply).size(), 1u);
    ASSERT_EQ(setFault("split", true, laser, module), "");
    const std::vector<Block> b = shapeReply(module, reply);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[1].delayMs - b[0].delayMs, FaultSet::kSplitPauseMs);
    EXPECT_FALSE(b[0].bytes.empty());
    Bytes joined = b[0].bytes;
    joined.insert(joined.end(), b[1].bytes.begin(), b[1].bytes.end());
    EXPECT_EQ(joined, reply);

    ASSERT_EQ(setFault("split", false, laser, module) + setFault("extra-bytes", true, laser, module), "");
    const Bytes extra = shapeReply(module, reply).at(0).bytes;
    ASSERT_GT(extra.size(), reply.size());
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), extra.begin()));
    ASSERT_EQ(setFault("extra-bytes", false, laser, module), "");

    // Names pick the instrument; bad names change nothing.
    for (const char* bad : {"smoke", "unplug-after", "error-status=XYZ", "slow=2"})
        EXPECT_NE(setFault(bad, true, laser, module), "") << bad;
    EXPECT_EQ(describe(laser) + describe(module), "nonenone");

    EXPECT_EQ(setFault("slow", true, laser, module), "");
    EXPECT_TRUE(laser.slow && module.slow);
    EXPECT_EQ(setFault("laser:slow", false, laser, module), "");
    EXPECT_TRUE(!laser.slow && module.slow);
    EXPECT_EQ(setFault("module-silent", true, laser, module), "");
    EXPECT_TRUE(module.silent && !laser.silent);
    EXPECT_EQ(setFault("module:error-status=0009", true, laser, module), "");
    EXPECT_TRUE(module.errorStatus && module.errorCode == 0x0009) << module.errorCode;
    EXPECT_EQ(setFault("laser:unplug-after=3", true, laser, module), "");
    EXPECT_EQ(std::tuple(laser.unplugAfter, module.unplugAfter), std::tuple(3, -1));
    EXPECT_EQ(describe(laser), "unplug-after=3");
}

TEST(Console, CommandsChangeTheBenchAndAnswerOneLineAndMistakesAnError)
{
    BenchModel bench;
    FaultSet laser, module;
    Console console(bench, laser, module);
    for (const char* line : {"", "dut", "dut sideways", "fault slow", "fault slow maybe", "fault smoke on", "launch"})
        EXPECT_EQ(console.execute(line).rfind("error: ", 0), 0u) << line;
    EXPECT_TRUE(bench.dutInserted);
    EXPECT_EQ(describe(laser) + describe(module), "nonenone");
    EXPECT_FALSE(console.quitRequested());

    // Each answer tells the state the command left.
    const std::pair<const char*, std::string> dialogue[] = {
        {"dut out", "ok: dut filter out"},
        {"dut grating", "ok: dut grating out"},
        {"  dut   in ", "ok: dut grating in"},
        {"fault module:truncated on", "ok: fault module:truncated on"},
        {"status", "laser on 1300.000 nm; dut grating in; module sweep flag 0; laser faults: none; module faults: truncated"},
        {"fault module:truncated off", "ok: fault module:truncated off"}, {"help", kConsoleHelp}, {"quit", "bye"}};
    for (const auto& [line, answer] : dialogue) EXPECT_EQ(console.execute(line), answer) << line;
    EXPECT_TRUE(bench.dutInserted && bench.dut == Dut::Grating && !module.truncated && console.quitRequested());
}
