#include "sim/identity.h"

#include "laser/frame_codec.h"

namespace vxmsim {

void appendText(std::vector<std::uint8_t>& bytes, const std::string& text, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        bytes.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

std::vector<std::uint16_t> packWords(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint16_t> words;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint8_t low = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        words.push_back(static_cast<std::uint16_t>((bytes[i] << 8) | low));
    }
    return words;
}

void appendIdentityText(std::vector<std::uint8_t>& bytes, const Identity& id)
{
    appendText(bytes, id.partNumber, 20);
    appendText(bytes, id.serialNumber, 20);
    appendText(bytes, id.date, 10);
    appendText(bytes, id.firmware, 8);
    appendText(bytes, id.hardware, 12);
}

std::vector<std::uint16_t> identityWords(const Identity& id, std::uint16_t stateWord, std::int32_t minPm,
                                         std::int32_t maxPm)
{
    std::vector<std::uint8_t> text;
    appendIdentityText(text, id);
    text.push_back(0);  // two bytes nobody reads
    text.push_back(0);
    std::vector<std::uint16_t> words{0};
    for (std::uint16_t w : packWords(text)) words.push_back(w);
    words.push_back(stateWord);
    frame::appendWord32(words, minPm);
    frame::appendWord32(words, maxPm);
    return words;
}

}  // namespace vxmsim
