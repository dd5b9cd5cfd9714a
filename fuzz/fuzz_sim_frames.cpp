// The simulator's side of both links over any byte stream: frames are cut from the stream as the
// simulator's terminals cut them, each frame goes to the simulated laser and module, and every
// answer must be a well-formed frame with the request's command letters and a status word. The
// reply shaping under faults is exercised with a fault set taken from the input.

#include "fuzz_check.h"
#include "laser/frame_codec.h"
#include "sim/faults.h"
#include "sim/laser_device.h"
#include "sim/module_device.h"

#include <span>

namespace {

void checkAnswer(const frame::Parsed& request, const std::vector<std::uint8_t>& answer)
{
    std::size_t skipped = 0;
    const auto parsed = frame::parse(answer, skipped);
    FUZZ_CHECK(parsed.has_value());
    FUZZ_CHECK(skipped == 0 && parsed->size == answer.size());
    FUZZ_CHECK(parsed->checksumOk);
    FUZZ_CHECK(parsed->command == request.command);
    FUZZ_CHECK(!parsed->words.empty());
}

vxmsim::FaultSet faultsFrom(std::uint8_t bits)
{
    vxmsim::FaultSet f;
    f.silent = (bits & 0x01) != 0;
    f.badChecksum = (bits & 0x02) != 0;
    f.errorStatus = (bits & 0x04) != 0;
    f.split = (bits & 0x08) != 0;
    f.extraBytes = (bits & 0x10) != 0;
    f.slow = (bits & 0x20) != 0;
    f.truncated = (bits & 0x40) != 0;
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const vxmsim::FaultSet faults = faultsFrom(data[0]);
    std::int64_t nowMs = 0;
    vxmsim::BenchModel model;
    vxmsim::LaserDevice laser(model);
    vxmsim::ModuleDevice module(model, [&nowMs] { return nowMs; }, (data[0] & 0x80) != 0 ? "CB" : "OB");

    std::span<const std::uint8_t> stream(data + 1, size - 1);
    for (;;) {
        std::size_t skipped = 0;
        const auto request = frame::parse(stream, skipped);
        FUZZ_CHECK(skipped <= stream.size());
        if (!request) break;
        FUZZ_CHECK(stream[skipped] == frame::kHeader);
        FUZZ_CHECK(request->size == 9 + 2 * request->words.size());
        FUZZ_CHECK(skipped + request->size <= stream.size());
        FUZZ_CHECK(request->command.size() == 4);

        for (const auto& answer : {laser.handle(*request), module.handle(*request)}) {
            checkAnswer(*request, answer);
            std::size_t shapedBytes = 0;
            for (const vxmsim::Block& block : vxmsim::shapeReply(faults, answer)) {
                FUZZ_CHECK(block.delayMs >= 0);
                shapedBytes += block.bytes.size();
            }
            if (faults.silent) FUZZ_CHECK(shapedBytes == 0);
        }
        // The next request comes a while later, so scans started by one can finish.
        nowMs += 10 * (request->words.empty() ? 1 : request->words.back() % 1000);
        stream = stream.subspan(skipped + request->size);
    }
    return 0;
}
