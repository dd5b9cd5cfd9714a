// The simulated module: identity, information record, power, scans on a fake clock, data chunks.
#include "sim/laser_device.h"
#include "sim/module_device.h"
#include "sim/module_protocol.h"
#include "sim_test_util.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

using namespace vxmsim;
using Words = std::vector<std::uint16_t>;

namespace {

struct ModuleFixture : ::testing::Test {
    BenchModel bench;
    std::int64_t now = 50000;
    ModuleDevice module{bench, [this] { return now; }};

    frame::Parsed ask(const std::string& command, Words words = {})
    {
        return parseWhole(module.handle(request(command, std::move(words))));
    }
    std::uint16_t status(const std::string& command, Words words = {})
    {
        return ask(command, std::move(words)).words.at(0);
    }

    static Words scanWords(std::int32_t start, std::int32_t stop, std::int32_t speed, std::int32_t averages,
                           std::int32_t points, std::uint16_t channel)
    {
        Words w = words32({start, stop, speed, averages, points});
        w.push_back(channel);
        w.push_back(1);
        return w;
    }
    static Words alignWords(std::int32_t start, std::int32_t stop, std::int32_t speed, std::uint16_t channel)
    {
        Words w = words32({start, stop, speed});
        w.push_back(channel);
        w.push_back(0);
        return w;
    }
    static Words dataWords(std::int32_t offset, std::uint16_t count, std::uint16_t channel)
    {
        Words w = words32({offset});
        w.push_back(count);
        w.push_back(channel);
        return w;
    }
    // Done flag and point count.
    std::pair<int, std::int32_t> done()
    {
        const Words w = ask(vxmproto::kIsDone).words;
        EXPECT_EQ(w.size(), 4u);
        return {w.at(1), static_cast<std::int32_t>((std::uint32_t(w.at(2)) << 16) | w.at(3))};
    }
    static float floatAt(const Words& w, std::size_t i)
    {
        return std::bit_cast<float>((std::uint32_t(w.at(i)) << 16) | w.at(i + 1));
    }
};

}  // namespace

TEST_F(ModuleFixture, IdentityCarriesTheBandCodeAndItsRange)
{
    const auto reply = module.handle(request("SNFV", {0}));
    ASSERT_EQ(reply.size(), 93u);
    const std::string pn(reply.begin() + 9, reply.begin() + 29);
    EXPECT_EQ(pn.substr(0, 5), "VXMOB");
    EXPECT_EQ(frame::toHex(std::vector<std::uint8_t>(reply.begin() + 83, reply.begin() + 91)), "001339E000147260");

    ModuleDevice cBand(bench, [] { return 0; }, "CB");
    const auto c = cBand.handle(request("SNFV", {0}));
    EXPECT_EQ(std::string(c.begin() + 9, c.begin() + 14), "VXMCB");
    EXPECT_EQ(frame::toHex(std::vector<std::uint8_t>(c.begin() + 83, c.begin() + 91)), "001731800017F4D0");
}

TEST_F(ModuleFixture, InformationRecordHasItsFieldsAndTemperatureHighByteFirst)
{
    module.temperatureTenths = 0x1234;
    const frame::Parsed reply = ask(vxmproto::kInfo);
    ASSERT_EQ(reply.words.size(), 77u);
    EXPECT_EQ(reply.words[0], kDone);
    std::vector<std::uint8_t> record;
    for (std::size_t i = 1; i < reply.words.size(); ++i) {
        record.push_back(reply.words[i] >> 8);
        record.push_back(reply.words[i] & 0xFF);
    }
    auto field = [&](std::size_t from, std::size_t n) {
        return std::string(record.begin() + from, record.begin() + from + n);
    };
    EXPECT_EQ(field(0, 20), std::string("VXMOB-2CH-S01") + std::string(7, '\0'));
    EXPECT_EQ(field(20, 20), std::string("VX26110815") + std::string(10, '\0'));
    EXPECT_EQ(field(40, 10), "03/02/2025");
    EXPECT_EQ(field(50, 8), std::string("3.0.12") + std::string(2, '\0'));
    EXPECT_EQ(field(58, 12), std::string("VXM-HW-B02") + std::string(2, '\0'));
    EXPECT_EQ(record[70], 0x12);
    EXPECT_EQ(record[71], 0x34);
    for (std::size_t i = 72; i < record.size(); ++i) EXPECT_EQ(record[i], 0) << i;
}

TEST_F(ModuleFixture, PowerReadingFollowsTheLaserWavelengthAndState)
{
    bench.laser.wavelengthPm = 1311000;
    const Words on = ask(vxmproto::kPower, {1}).words;
    ASSERT_EQ(on.size(), 3u);
    const double expected = BenchModel::laserPowerDbm(1311.0) - 1.0 + BenchModel::filterDb(1311.0);
    EXPECT_NEAR(floatAt(on, 1), expected, 0.011);

    bench.laser.wavelengthPm = 1301000;  // between two filter channels
    EXPECT_LT(floatAt(ask(vxmproto::kPower, {1}).words, 1), expected - 25.0);

    bench.laser.on = false;
    EXPECT_NEAR(floatAt(ask(vxmproto::kPower, {0}).words, 1), -70.0, 0.5);
    EXPECT_EQ(status(vxmproto::kPower, {2}), kOutOfRange);
}

TEST_F(ModuleFixture, RegularScanTakesSpanOverSpeedTimesAverages)
{
    ASSERT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 100, 2, 20001, 1)), kDone);
    EXPECT_EQ(done(), std::make_pair(0, 20001));
    EXPECT_EQ(status(vxmproto::kData, dataWords(0, 10, 1)), kNotReady);
    now += 1599;
    EXPECT_EQ(done().first, 0);
    now += 1;
    EXPECT_EQ(done(), std::make_pair(1, 20001));
}

TEST_F(ModuleFixture, AlignScanTakesSpanOverSpeedAndChoosesItsPointCount)
{
    ASSERT_EQ(status(vxmproto::kAlign, alignWords(1300, 1320, 10, 0)), kDone);
    EXPECT_EQ(done(), std::make_pair(0, 5001));  // every 4 pm over 20 nm
    now += 2000;
    EXPECT_EQ(done().first, 1);

    ASSERT_EQ(status(vxmproto::kAlign, alignWords(1260, 1360, 1000, 0)), kDone);
    EXPECT_EQ(done().second, vxmproto::kMaxPoints);  // 25001 capped
}

TEST_F(ModuleFixture, StopEndsARunningScanAtOnce)
{
    ASSERT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 1, 1, 1000, 0)), kDone);
    now += 10;
    EXPECT_EQ(done().first, 0);
    EXPECT_EQ(status(vxmproto::kStop), kDone);
    EXPECT_EQ(done().first, 1);
    EXPECT_EQ(ask(vxmproto::kData, dataWords(0, 1000, 0)).words.size(), 4001u);  // the scan's points stay readable
    EXPECT_EQ(status(vxmproto::kStop), kDone);                                  // stopping nothing is fine
}

TEST_F(ModuleFixture, DataComesInChunksOfWavelengthAndPowerPairs)
{
    ASSERT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 100, 1, 20001, 1)), kDone);
    now += 800;
    const Words first = ask(vxmproto::kData, dataWords(0, vxmproto::kChunkPoints, 1)).words;
    ASSERT_EQ(first.size(), 1u + 4 * vxmproto::kChunkPoints);
    EXPECT_EQ(floatAt(first, 1), 1260000.0f);
    EXPECT_EQ(floatAt(first, 5), 1260004.0f);
    EXPECT_NEAR(floatAt(first, 3), BenchModel::laserPowerDbm(1260.0) - 1.0 + BenchModel::filterDb(1260.0), 0.011);

    const Words last = ask(vxmproto::kData, dataWords(20000, 1, 1)).words;
    ASSERT_EQ(last.size(), 5u);
    EXPECT_EQ(floatAt(last, 1), 1340000.0f);
    const Words atChannel = ask(vxmproto::kData, dataWords(12750, 1, 1)).words;  // 1311 nm
    EXPECT_EQ(floatAt(atChannel, 1), 1311000.0f);
    EXPECT_GT(floatAt(atChannel, 3), -3.0f);

    EXPECT_EQ(status(vxmproto::kData, dataWords(20000, 2, 1)), kOutOfRange);  // past the end
    EXPECT_EQ(status(vxmproto::kData, dataWords(0, vxmproto::kChunkPoints + 1, 1)), kOutOfRange);
    EXPECT_EQ(status(vxmproto::kData, dataWords(0, 10, 0)), kOutOfRange);  // not the scanned channel
}

TEST_F(ModuleFixture, ScanParametersOutsideWhatTheModuleDoesAreRefused)
{
    EXPECT_EQ(status(vxmproto::kData, dataWords(0, 1, 0)), kNotReady);  // nothing scanned yet
    EXPECT_EQ(status(vxmproto::kScan, scanWords(1340, 1260, 100, 1, 100, 0)), kOutOfRange);
    EXPECT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 0, 1, 100, 0)), kOutOfRange);
    EXPECT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 100, 0, 100, 0)), kOutOfRange);
    EXPECT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 100, 1, 0, 0)), kOutOfRange);
    EXPECT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 100, 1, 20002, 0)), kOutOfRange);
    EXPECT_EQ(status(vxmproto::kScan, scanWords(1260, 1340, 100, 1, 100, 2)), kOutOfRange);
    EXPECT_EQ(status(vxmproto::kScan, {1, 2, 3}), kOutOfRange);
    EXPECT_EQ(status("XXXX"), kUnknownCommand);
    EXPECT_EQ(module.scanPoints(), 0u);
}

TEST_F(ModuleFixture, SpansBeyondThirtyTwoBitPicometresAreLaidOutWithoutOverflow)
{
    // 1000 nm to 3000000 nm is 3e9 pm, more than a 32-bit integer holds.
    ASSERT_EQ(status(vxmproto::kScan, scanWords(1000, 3000000, 1000000, 1, 3, 0)), kDone);
    now += 3000;
    ASSERT_EQ(done().first, 1);
    const Words w = ask(vxmproto::kData, dataWords(0, 3, 0)).words;
    ASSERT_EQ(w.size(), 13u);
    EXPECT_FLOAT_EQ(floatAt(w, 1), 1.0e6F);
    EXPECT_FLOAT_EQ(floatAt(w, 5), 1.5005e9F);
    EXPECT_FLOAT_EQ(floatAt(w, 9), 3.0e9F);

    // Align mode over the widest range still takes its most points.
    ASSERT_EQ(status(vxmproto::kAlign, alignWords(1, 2147483647, 2147483647, 1)), kDone);
    EXPECT_EQ(module.scanPoints(), static_cast<std::size_t>(vxmproto::kMaxPoints));
}
