// Fault shaping of replies and the operator console.
#include "sim/console.h"
#include "sim/faults.h"
#include "sim_test_util.h"

#include <gtest/gtest.h>

using namespace vxmsim;

namespace {

const std::vector<std::uint8_t> kReply = frame::build("LSON", std::vector<std::uint16_t>{0});

}  // namespace

TEST(Faults, CleanReplyIsOneImmediateBlock)
{
    const auto blocks = shapeReply(FaultSet{}, kReply);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].delayMs, 0);
    EXPECT_EQ(blocks[0].bytes, kReply);
}

TEST(Faults, EachFaultShapesTheReplyItsWay)
{
    FaultSet f;
    f.silent = true;
    EXPECT_TRUE(shapeReply(f, kReply).empty());

    f = {};
    f.badChecksum = true;
    auto blocks = shapeReply(f, kReply);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_FALSE(parseWhole(blocks[0].bytes).checksumOk);

    f = {};
    f.errorStatus = true;
    f.errorCode = 0x1234;
    const auto identity = frame::build("SNFV", std::vector<std::uint16_t>(42, 0));
    const frame::Parsed error = parseWhole(shapeReply(f, identity)[0].bytes);
    EXPECT_TRUE(error.checksumOk);
    EXPECT_EQ(error.command, "SNFV");
    EXPECT_EQ(error.words, std::vector<std::uint16_t>{0x1234});

    f = {};
    f.split = true;
    blocks = shapeReply(f, kReply);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].delayMs - blocks[0].delayMs, FaultSet::kSplitPauseMs);
    std::vector<std::uint8_t> joined = blocks[0].bytes;
    joined.insert(joined.end(), blocks[1].bytes.begin(), blocks[1].bytes.end());
    EXPECT_EQ(joined, kReply);
    EXPECT_FALSE(blocks[0].bytes.empty());

    f = {};
    f.extraBytes = true;
    blocks = shapeReply(f, kReply);
    ASSERT_GT(blocks[0].bytes.size(), kReply.size());
    EXPECT_TRUE(std::equal(kReply.begin(), kReply.end(), blocks[0].bytes.begin()));

    f = {};
    f.slow = true;
    EXPECT_EQ(shapeReply(f, kReply)[0].delayMs, FaultSet::kSlowMs);

    f = {};
    f.truncated = true;
    EXPECT_EQ(shapeReply(f, kReply)[0].bytes, std::vector<std::uint8_t>(kReply.begin(), kReply.begin() + 5));
}

TEST(Faults, NamesPickTheInstrument)
{
    FaultSet laser, module;
    EXPECT_EQ(setFault("slow", true, laser, module), "");
    EXPECT_TRUE(laser.slow && module.slow);
    EXPECT_EQ(setFault("laser:slow", false, laser, module), "");
    EXPECT_FALSE(laser.slow);
    EXPECT_TRUE(module.slow);
    EXPECT_EQ(setFault("module-silent", true, laser, module), "");
    EXPECT_TRUE(module.silent);
    EXPECT_FALSE(laser.silent);
    EXPECT_EQ(setFault("module:error-status=0009", true, laser, module), "");
    EXPECT_TRUE(module.errorStatus);
    EXPECT_EQ(module.errorCode, 0x0009);
    EXPECT_EQ(setFault("laser:unplug-after=3", true, laser, module), "");
    EXPECT_EQ(laser.unplugAfter, 3);
    EXPECT_EQ(module.unplugAfter, -1);
    EXPECT_EQ(describe(laser), "unplug-after=3");
    EXPECT_EQ(describe(FaultSet{}), "none");
}

TEST(Faults, BadNamesAreRefusedAndChangeNothing)
{
    FaultSet laser, module;
    EXPECT_NE(setFault("smoke", true, laser, module), "");
    EXPECT_NE(setFault("unplug-after", true, laser, module), "");
    EXPECT_NE(setFault("error-status=XYZ", true, laser, module), "");
    EXPECT_NE(setFault("slow=2", true, laser, module), "");
    EXPECT_EQ(describe(laser), "none");
    EXPECT_EQ(describe(module), "none");
}

TEST(Console, CommandsChangeTheBenchAndAnswerOneLine)
{
    BenchModel bench;
    FaultSet laser, module;
    Console console(bench, laser, module);
    EXPECT_EQ(console.execute("dut out"), "ok: dut filter out");
    EXPECT_FALSE(bench.dutInserted);
    EXPECT_EQ(console.execute("dut grating"), "ok: dut grating out");
    EXPECT_EQ(bench.dut, Dut::Grating);
    EXPECT_EQ(console.execute("  dut   in "), "ok: dut grating in");
    EXPECT_TRUE(bench.dutInserted);
    EXPECT_EQ(console.execute("fault module:truncated on"), "ok: fault module:truncated on");
    EXPECT_TRUE(module.truncated);
    EXPECT_EQ(console.execute("status"),
              "laser on 1300.000 nm; dut grating in; laser faults: none; module faults: truncated");
    EXPECT_EQ(console.execute("fault module:truncated off"), "ok: fault module:truncated off");
    EXPECT_FALSE(module.truncated);
    EXPECT_EQ(console.execute("help"), kConsoleHelp);
    EXPECT_FALSE(console.quitRequested());
    EXPECT_EQ(console.execute("quit"), "bye");
    EXPECT_TRUE(console.quitRequested());
}

TEST(Console, MistakesAnswerAnErrorLine)
{
    BenchModel bench;
    FaultSet laser, module;
    Console console(bench, laser, module);
    for (const char* line : {"", "dut", "dut sideways", "fault slow", "fault slow maybe", "fault smoke on", "launch"})
        EXPECT_EQ(console.execute(line).rfind("error: ", 0), 0u) << line;
    EXPECT_TRUE(bench.dutInserted);
    EXPECT_EQ(describe(laser), "none");
}
