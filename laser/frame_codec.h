#pragma once
// The laser's frame format, as pure functions on bytes and on the hexadecimal text the handlers
// pass around (two upper-case digits per byte). Frame: 0xAA, four ASCII letters, length L in
// 16-bit words, L data words, checksum = sum of bytes 1..6+2L modulo 65536; all big-endian.
// No I/O here: the laser link, the simulator and the device library share it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace frame {

inline constexpr std::uint8_t kHeader = 0xAA;
inline constexpr std::size_t kHeaderBytes = 7;  // header, command, length

// Two upper-case hexadecimal digits per byte.
std::string toHex(std::span<const std::uint8_t> bytes);
// Reads pairs of hexadecimal digits; a pair that is not hexadecimal reads as 0, a lone last digit
// is ignored.
std::vector<std::uint8_t> fromHex(std::string_view hex);

// Sum of bytes[first..last] modulo 65536 (inclusive bounds, clipped to the buffer).
std::uint16_t checksum(std::span<const std::uint8_t> bytes, std::size_t first, std::size_t last);
// The checksum of a hexadecimal frame text over its bytes 1..lastByte.
std::uint16_t checksumOfHex(std::string_view hex, std::size_t lastByte);

// Upper-case hexadecimal of an unsigned value, padded with "0" to `digits`, never cut: a value
// too wide for its field keeps all its digits (and so breaks the frame it goes into).
std::string hexPadded(std::uint64_t value, int digits);
// A 32-bit field: the value's two's-complement pattern, 8 digits (-1 gives FFFFFFFF).
std::string hex32(std::int32_t value);

// Nearest integer, ties to even (12.5 -> 12, 13.5 -> 14).
std::int64_t roundHalfEven(double value);

// A command's text as its sender hands it to the link, without checksum: header, the four command
// letters, the length L in words and the data words given ("AA4C534F4E0000" for LSON, 0). A
// parameter the link appends (GOWL's wavelength) counts in L but is not among `words`.
std::string commandText(std::string_view command4, std::uint16_t lengthWords,
                        std::span<const std::uint16_t> words = {});

// The text a command is sent as: `command` (frame without checksum), with the 32-bit parameter
// appended when mode is 2, then the checksum over bytes 1..lastIndex-2 appended.
std::string composeCommand(std::string command, int mode, int lastIndex, std::int32_t parameter);
// The bytes that go on the wire: bytes 0..lastIndex of the composed text.
std::vector<std::uint8_t> wireBytes(std::string_view composed, int lastIndex);

// Character positions counted from 1, as replies are parsed: `count` characters from `position`;
// characters beyond the end are simply absent.
std::string mid(std::string_view text, std::size_t position, std::size_t count);
// The value of a hexadecimal field; empty or malformed text gives 0.
std::uint32_t hexValue(std::string_view digits);

// Reply bookkeeping: L from characters 11-14, and the bytes still missing after n were read.
std::uint32_t lengthWords(std::string_view replyHex);
std::int64_t missingBytes(std::uint32_t lengthWords, std::size_t bytesRead);

// A whole frame from its command letters and data words (used by the instruments' side).
std::vector<std::uint8_t> build(std::string_view command4, std::span<const std::uint16_t> words);
// Appends a 32-bit value as two words, high word first.
void appendWord32(std::vector<std::uint16_t>& words, std::int32_t value);

// A frame found at the start of a byte stream.
struct Parsed {
    std::string command;              // four letters
    std::vector<std::uint16_t> words;  // L data words
    bool checksumOk = false;
    std::size_t size = 0;              // bytes the frame took, 9 + 2L
};
// Looks for a complete frame at the front of `bytes`, after skipping anything before a header.
// Returns nothing while the frame is incomplete; `skipped` tells how many leading bytes were junk.
std::optional<Parsed> parse(std::span<const std::uint8_t> bytes, std::size_t& skipped);

}  // namespace frame
