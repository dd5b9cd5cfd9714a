// The simulated module: identity, information record, power, scans on a fake clock, data chunks.
#include "sim/module_device.h"
#include "sim/module_protocol.h"
#include "sim_test_util.h"

#include <gtest/gtest.h>

#include <bit>

using namespace vxmsim;
using namespace vxmproto;
using Words = std::vector<std::uint16_t>;

namespace {

struct ModuleFixture : ::testing::Test {
    BenchModel bench;
    std::int64_t now = 50000;
    ModuleDevice module{bench, [this] { return now; }};

    Words ask(const std::string& command, Words words = {})
    {
        return parseWhole(module.handle(request(command, std::move(words)))).words;
    }
    std::uint16_t status(const std::string& command, Words words = {}) { return ask(command, std::move(words)).at(0); }
    static Words data(std::int32_t offset, std::uint16_t count, std::int32_t channel)
    {
        Words w = words32({offset});
        w.push_back(count);
        for (std::uint16_t word : words32({channel})) w.push_back(word);
        return w;
    }
    // Done flag and point count.
    std::pair<int, std::int32_t> done()
    {
        const Words w = ask(kIsDone);
        EXPECT_EQ(w.size(), 4u);
        return {w.at(1), static_cast<std::int32_t>((std::uint32_t(w.at(2)) << 16) | w.at(3))};
    }
    static float floatAt(const Words& w, std::size_t i)
    {
        return std::bit_cast<float>((std::uint32_t(w.at(i)) << 16) | w.at(i + 1));
    }
};

}  // namespace

TEST_F(ModuleFixture, ScansTakeSpanOverSpeedTimesAveragesStopEndsThemAtOnceAndWideSpansDoNotOverflow)
{
    // Scan words, 32 bits each: start, stop, speed, (regular only) averages and points, channel, sweep flag.
    ASSERT_EQ(status(kScan, words32({1260, 1340, 100, 2, 20001, 1, -1})), kDone);
    EXPECT_EQ(done(), std::make_pair(0, 20001));
    EXPECT_EQ(status(kData, data(0, 10, 1)), kNotReady);
    now += 1599;
    EXPECT_EQ(done().first, 0);
    now += 1;
    EXPECT_EQ(done(), std::make_pair(1, 20001));

    ASSERT_EQ(status(kAlign, words32({1300, 1320, 10, 0, 0})), kDone);
    EXPECT_EQ(done(), std::make_pair(0, 5001));  // every 4 pm over 20 nm
    now += 2000;
    EXPECT_EQ(done().first, 1);
    ASSERT_EQ(status(kAlign, words32({1260, 1360, 1000, 0, 0})), kDone);
    EXPECT_EQ(done().second, kMaxPoints);  // 25001 capped

    ASSERT_EQ(status(kScan, words32({1260, 1340, 1, 1, 1000, 0, -1})), kDone);
    now += 10;
    EXPECT_EQ(done().first, 0);
    EXPECT_EQ(status(kStop), kDone);
    EXPECT_EQ(done().first, 1);
    EXPECT_EQ(ask(kData, data(0, 1000, 0)).size(), 4001u);  // the scan's points stay readable
    EXPECT_EQ(status(kStop), kDone);                         // stopping nothing is fine

    // 1000 nm to 3000000 nm is 3e9 pm, more than a 32-bit integer holds: laid out without overflow.
    ASSERT_EQ(status(kScan, words32({1000, 3000000, 1000000, 1, 3, 0, -1})), kDone);
    now += 3000;
    ASSERT_EQ(done().first, 1);
    const Words w = ask(kData, data(0, 3, 0));
    ASSERT_EQ(w.size(), 13u);
    for (const auto& [at, pm] : {std::tuple(1, 1.0e6F), {5, 1.5005e9F}, {9, 3.0e9F}}) EXPECT_FLOAT_EQ(floatAt(w, at), pm) << at;
    // Align mode over the widest range still takes its most points.
    ASSERT_EQ(status(kAlign, words32({1, 2147483647, 2147483647, 1, 0})), kDone);
    EXPECT_EQ(module.scanPoints(), static_cast<std::size_t>(kMaxPoints));
}

TEST_F(ModuleFixture, RefusedRequestsAreNamedAndLeaveNothingToRead)
{
    // Whole scans read in chunks, and the refusals of what the library sends, are checked through it.
    std::vector<std::string> told;
    module.onRefusal = [&](const std::string& line) { told.push_back(line); };
    EXPECT_EQ(status(kData, data(0, 1, 0)), kNotReady);  // nothing scanned yet
    EXPECT_EQ(status(kAlign, {1, 2, 3}), kOutOfRange);
    EXPECT_EQ(told, std::vector<std::string>{"module refused ALGN: data words 3 (must be 10)"});
    EXPECT_EQ(status("XXXX"), kUnknownCommand);
    EXPECT_EQ(module.scanPoints(), 0u);
    ASSERT_EQ(status(kScan, words32({1260, 1340, 100, 1, 20001, 1, -1})), kDone);
    now += 800;
    // Past the end, too many points, not the scanned channel.
    for (const Words& w : {data(20000, 2, 1), data(0, kChunkPoints + 1, 1), data(0, 10, 0)})
        EXPECT_EQ(status(kData, w), kOutOfRange);
}
