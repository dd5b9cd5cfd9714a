#include "laser/frame_codec.h"

#include <cmath>
#include <cstdio>

namespace frame {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

int digitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

std::string toHex(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::vector<std::uint8_t> fromHex(std::string_view hex)
{
    std::vector<std::uint8_t> out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int hi = digitValue(hex[i]);
        const int lo = digitValue(hex[i + 1]);
        out.push_back(hi < 0 || lo < 0 ? 0 : static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return out;
}

std::uint16_t checksum(std::span<const std::uint8_t> bytes, std::size_t first, std::size_t last)
{
    std::uint32_t sum = 0;
    for (std::size_t i = first; i <= last && i < bytes.size(); ++i) sum += bytes[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::uint16_t checksumOfHex(std::string_view hex, std::size_t lastByte)
{
    const std::vector<std::uint8_t> bytes = fromHex(hex);
    return checksum(bytes, 1, lastByte);
}

std::string hexPadded(std::uint64_t value, int digits)
{
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(out.size()) < digits) out.insert(0, static_cast<std::size_t>(digits) - out.size(), '0');
    return out;
}

std::string hex32(std::int32_t value) { return hexPadded(static_cast<std::uint32_t>(value), 8); }

std::int64_t roundHalfEven(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

std::string commandText(std::string_view command4, std::uint16_t lengthWords, std::span<const std::uint16_t> words)
{
    std::string text = "AA";
    for (char c : command4) text += hexPadded(static_cast<unsigned char>(c), 2);
    text += hexPadded(lengthWords, 4);
    for (std::uint16_t w : words) text += hexPadded(w, 4);
    return text;
}

std::string composeCommand(std::string command, int mode, int lastIndex, std::int32_t parameter)
{
    if (mode == 2) command += hex32(parameter);
    const std::size_t last = lastIndex >= 2 ? static_cast<std::size_t>(lastIndex - 2) : 0;
    command += hexPadded(checksumOfHex(command, last), 4);
    return command;
}

std::vector<std::uint8_t> wireBytes(std::string_view composed, int lastIndex)
{
    std::vector<std::uint8_t> bytes = fromHex(composed);
    bytes.resize(static_cast<std::size_t>(lastIndex + 1), 0);
    return bytes;
}

std::string mid(std::string_view text, std::size_t position, std::size_t count)
{
    if (position == 0 || position > text.size()) return {};
    return std::string(text.substr(position - 1, count));
}

std::uint32_t hexValue(std::string_view digits)
{
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = digitValue(c);
        if (d < 0) return 0;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

std::uint32_t lengthWords(std::string_view replyHex) { return hexValue(mid(replyHex, 11, 4)); }

std::int64_t missingBytes(std::uint32_t lengthWords, std::size_t bytesRead)
{
    return (static_cast<std::int64_t>(lengthWords) + 1) * 2 - (static_cast<std::int64_t>(bytesRead) - 7);
}

std::vector<std::uint8_t> build(std::string_view command4, std::span<const std::uint16_t> words)
{
    std::vector<std::uint8_t> out;
    out.reserve(9 + 2 * words.size());
    out.push_back(kHeader);
    for (std::size_t i = 0; i < 4; ++i) out.push_back(i < command4.size() ? static_cast<std::uint8_t>(command4[i]) : ' ');
    const auto length = static_cast<std::uint16_t>(words.size());
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length & 0xFF));
    for (std::uint16_t w : words) {
        out.push_back(static_cast<std::uint8_t>(w >> 8));
        out.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    const std::uint16_t sum = checksum(out, 1, out.size() - 1);
    out.push_back(static_cast<std::uint8_t>(sum >> 8));
    out.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return out;
}

void appendWord32(std::vector<std::uint16_t>& words, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    words.push_back(static_cast<std::uint16_t>(u >> 16));
    words.push_back(static_cast<std::uint16_t>(u & 0xFFFF));
}

std::optional<Parsed> parse(std::span<const std::uint8_t> bytes, std::size_t& skipped)
{
    skipped = 0;
    while (skipped < bytes.size() && bytes[skipped] != kHeader) ++skipped;
    const std::span<const std::uint8_t> f = bytes.subspan(skipped);
    if (f.size() < kHeaderBytes) return std::nullopt;
    const std::size_t length = (static_cast<std::size_t>(f[5]) << 8) | f[6];
    const std::size_t size = 9 + 2 * length;
    if (f.size() < size) return std::nullopt;
    Parsed p;
    p.command.assign(f.begin() + 1, f.begin() + 5);
    p.words.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        p.words.push_back(static_cast<std::uint16_t>((f[7 + 2 * i] << 8) | f[8 + 2 * i]));
    const std::uint16_t received = static_cast<std::uint16_t>((f[size - 2] << 8) | f[size - 1]);
    p.checksumOk = received == checksum(f, 1, size - 3);
    p.size = size;
    return p;
}

}  // namespace frame
