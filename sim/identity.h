#pragma once
// The identity reply both instruments give to SNFV: 42 data words, 93 bytes on the wire.

#include <cstdint>
#include <string>
#include <vector>

namespace vxmsim {

struct Identity {
    std::string partNumber;    // 20 characters on the wire, NUL-padded
    std::string serialNumber;  // 20
    std::string date;          // 10, "MM/DD/YYYY"
    std::string firmware;      // 8
    std::string hardware;      // 12
};

// Status, the text fields, two unused bytes, the state word and the range in pm.
std::vector<std::uint16_t> identityWords(const Identity& id, std::uint16_t stateWord, std::int32_t minPm,
                                         std::int32_t maxPm);

// Appends text as bytes padded with NUL to `width` (cut when longer).
void appendText(std::vector<std::uint8_t>& bytes, const std::string& text, std::size_t width);
// Appends the five text fields, 70 bytes, as both the identity reply and the module's record hold them.
void appendIdentityText(std::vector<std::uint8_t>& bytes, const Identity& id);
// Packs bytes into big-endian words; an odd last byte is padded with 0.
std::vector<std::uint16_t> packWords(const std::vector<std::uint8_t>& bytes);

}  // namespace vxmsim
