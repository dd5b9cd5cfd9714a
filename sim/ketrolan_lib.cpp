// The project's own device library for the VXM module: the C interface of module/ketrolan_lib.h
// over the module's serial protocol (sim/module_protocol.h). Error codes are those of
// sim/module_link.h: 0 no such port, -1 cannot open, -2 busy, -3 unknown handle, -4 link lost,
// -5 no reply in time, -6 bad reply, -7 bad argument, -8 not a VXM module, 100 + s module status s.

#include "module/ketrolan_lib.h"

#include "laser/com_ports.h"
#include "sim/module_link.h"
#include "sim/module_protocol.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string>
#include <map>
#include <memory>

namespace {

using namespace ketrolan;

constexpr std::int32_t kHandleBase = 1001;  // handle = 1001 + COM index
constexpr std::int32_t kMaxComIndex = 254;

std::map<std::int32_t, std::unique_ptr<ModuleLink>>& links()
{
    static std::map<std::int32_t, std::unique_ptr<ModuleLink>> map;
    return map;
}

ModuleLink* find(std::int32_t handle)
{
    const auto it = links().find(handle);
    return it == links().end() ? nullptr : it->second.get();
}

// The library's own refusals, told on standard error as the simulator tells the module's: an
// argument that never reaches the module (a handle, a buffer, a point count).
std::int32_t refuse(const char* function, const std::string& what, std::int32_t code)
{
    std::fprintf(stderr, "libKetrolanLib: %s refused: %s\n", function, what.c_str());
    return code;
}

std::int32_t ask(std::int32_t handle, const char* command, const std::vector<std::uint16_t>& words,
                 std::vector<std::uint16_t>& reply, const char* function)
{
    ModuleLink* link = find(handle);
    if (!link) return refuse(function, "unknown handle " + std::to_string(handle), kUnknownHandle);
    return link->exchange(command, words, reply);
}

bool validCount(std::int32_t n) { return n >= 1 && n <= vxmproto::kMaxPoints; }

std::string countText(std::int32_t n) { return "data length " + std::to_string(n) + " (must be 1 to 20001)"; }

void push32(std::vector<std::uint16_t>& words, std::int32_t value) { frame::appendWord32(words, value); }

std::uint32_t read32(const std::vector<std::uint16_t>& w, std::size_t i)
{
    return (static_cast<std::uint32_t>(w[i]) << 16) | w[i + 1];
}

float readFloat(const std::vector<std::uint16_t>& w, std::size_t i) { return std::bit_cast<float>(read32(w, i)); }

// Fetches points [0, count) of the last scan in chunks.
std::int32_t fetch(const char* function, std::int32_t handle, float* wavelengthPm, float* powerDbm, std::int32_t count,
                   std::int32_t channel)
{
    std::vector<std::uint16_t> reply;
    for (std::int32_t offset = 0; offset < count; offset += vxmproto::kChunkPoints) {
        const std::int32_t n = std::min(vxmproto::kChunkPoints, count - offset);
        std::vector<std::uint16_t> request;
        push32(request, offset);
        request.push_back(static_cast<std::uint16_t>(n));
        push32(request, channel);
        if (const std::int32_t r = ask(handle, vxmproto::kData, request, reply, function); r != kOk) return r;
        if (reply.size() != static_cast<std::size_t>(4 * n)) return kBadReply;
        for (std::int32_t i = 0; i < n; ++i) {
            wavelengthPm[offset + i] = readFloat(reply, 4 * i);
            powerDbm[offset + i] = readFloat(reply, 4 * i + 2);
        }
    }
    return kOk;
}

}  // namespace

extern "C" {

int32_t Ketrolan_Initialize_Lib(int32_t) { return kOk; }

int32_t Ketrolan_Get_Lib_Version(uint8_t* version)
{
    if (!version) return refuse(__func__, "no version buffer", kBadArgument);
    std::memcpy(version, "01.00.00", 9);
    return kOk;
}

int32_t Ketrolan_Initialize_Port(int32_t comIndex)
{
    if (comIndex < 0 || comIndex > kMaxComIndex) return kNoSuchPort;
    const std::int32_t handle = kHandleBase + comIndex;
    if (find(handle)) return handle;  // already ours: the same handle again
    auto link = std::make_unique<ModuleLink>();
    if (const std::int32_t r = link->open(comports::devicePath(comIndex + 1)); r != kOk) return r;
    links()[handle] = std::move(link);
    return handle;
}

int32_t Ketrolan_Initialize_Connection(int32_t handle)
{
    std::vector<std::uint16_t> reply;
    if (const std::int32_t r = ask(handle, vxmproto::kIdentity, {0}, reply, __func__); r != kOk) return r;
    if (reply.size() < 2) return kBadReply;
    const bool vxm = reply[0] == (('V' << 8) | 'X') && (reply[1] >> 8) == 'M';
    return vxm ? kOk : kNotAModule;
}

int32_t Ketrolan_Get_Info(int32_t handle, uint8_t* info)
{
    if (!info) return refuse(__func__, "no information buffer", kBadArgument);
    std::vector<std::uint16_t> reply;
    if (const std::int32_t r = ask(handle, vxmproto::kInfo, {}, reply, __func__); r != kOk) return r;
    if (reply.size() * 2 < static_cast<std::size_t>(vxmproto::kInfoBytes)) return kBadReply;
    for (int i = 0; i < vxmproto::kInfoBytes; ++i)
        info[i] = static_cast<uint8_t>(i % 2 == 0 ? reply[i / 2] >> 8 : reply[i / 2] & 0xFF);
    return kOk;
}

int32_t Ketrolan_Read_PowerMeter(int32_t handle, int32_t channel, float* powerDbm)
{
    if (!powerDbm) return refuse(__func__, "no power variable", kBadArgument);
    std::vector<std::uint16_t> request;
    push32(request, channel);
    std::vector<std::uint16_t> reply;
    if (const std::int32_t r = ask(handle, vxmproto::kPower, request, reply, __func__); r != kOk) return r;
    if (reply.size() != 2) return kBadReply;
    *powerDbm = readFloat(reply, 0);
    return kOk;
}

// Every value goes to the module as it came: the module judges them and names what it refuses.
int32_t Ketrolan_Start_Scan(int32_t handle, int32_t startNm, int32_t stopNm, int32_t speedNmPerS, int32_t averages,
                            int32_t dataLength, int32_t channel, int32_t sweepFlag)
{
    std::vector<std::uint16_t> request;
    for (std::int32_t v : {startNm, stopNm, speedNmPerS, averages, dataLength, channel, sweepFlag}) push32(request, v);
    std::vector<std::uint16_t> reply;
    return ask(handle, vxmproto::kScan, request, reply, __func__);
}

int32_t Ketrolan_AlignMode_Scan(int32_t handle, int32_t startNm, int32_t stopNm, int32_t speedNmPerS, int32_t channel,
                                int32_t sweepFlag)
{
    std::vector<std::uint16_t> request;
    for (std::int32_t v : {startNm, stopNm, speedNmPerS, channel, sweepFlag}) push32(request, v);
    std::vector<std::uint16_t> reply;
    return ask(handle, vxmproto::kAlign, request, reply, __func__);
}

int32_t Ketrolan_Is_Scan_Done(int32_t handle)
{
    std::vector<std::uint16_t> reply;
    if (const std::int32_t r = ask(handle, vxmproto::kIsDone, {}, reply, __func__); r != kOk) return r;
    if (reply.size() != 3 || reply[0] > 1) return kBadReply;
    return reply[0];
}

int32_t Ketrolan_Get_ScanData(int32_t handle, float* wavelengthPm, float* powerDbm, int32_t dataLength, int32_t channel)
{
    if (!wavelengthPm || !powerDbm) return refuse(__func__, "no data buffer", kBadArgument);
    if (!validCount(dataLength)) return refuse(__func__, countText(dataLength), kBadArgument);
    return fetch(__func__, handle, wavelengthPm, powerDbm, dataLength, channel);
}

int32_t Ketrolan_Get_AlignMode_Data(int32_t handle, float* wavelengthPm, float* powerDbm, int32_t* count,
                                    int32_t channel)
{
    if (!wavelengthPm || !powerDbm || !count) return refuse(__func__, "no data buffer or count", kBadArgument);
    if (!validCount(*count)) return refuse(__func__, countText(*count), kBadArgument);
    std::vector<std::uint16_t> reply;
    if (const std::int32_t r = ask(handle, vxmproto::kIsDone, {}, reply, __func__); r != kOk) return r;
    if (reply.size() != 3) return kBadReply;
    if (reply[0] != 1) return kModuleStatusBase + 3;  // still scanning: no data yet
    const auto points = static_cast<std::int32_t>(std::min<std::uint32_t>(read32(reply, 1), vxmproto::kMaxPoints));
    const std::int32_t n = std::min(*count, points);
    if (n < 1) return kModuleStatusBase + 3;
    if (const std::int32_t r = fetch(__func__, handle, wavelengthPm, powerDbm, n, channel); r != kOk) return r;
    *count = n;
    return kOk;
}

int32_t Ketrolan_Stop_Scan(int32_t handle)
{
    std::vector<std::uint16_t> reply;
    return ask(handle, vxmproto::kStop, {}, reply, __func__);
}

int32_t Ketrolan_Stop_All(void)
{
    std::vector<std::uint16_t> reply;
    for (auto& [handle, link] : links()) link->exchange(vxmproto::kStop, {}, reply);
    return kOk;
}

int32_t Ketrolan_Release(int32_t handle)
{
    return links().erase(handle) ? kOk : refuse(__func__, "unknown handle " + std::to_string(handle), kUnknownHandle);
}

int32_t Ketrolan_Release_All(void)
{
    links().clear();
    return kOk;
}

}  // extern "C"
