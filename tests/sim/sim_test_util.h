#pragma once
// Request frames and reply parsing for the simulator's device tests.

#include "laser/frame_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

inline frame::Parsed parseWhole(const std::vector<std::uint8_t>& bytes)
{
    std::size_t skipped = 0;
    const auto parsed = frame::parse(bytes, skipped);
    EXPECT_TRUE(parsed.has_value());
    EXPECT_EQ(skipped, 0u);
    if (!parsed) return {};
    EXPECT_EQ(parsed->size, bytes.size());
    return *parsed;
}

inline frame::Parsed request(const std::string& command, std::vector<std::uint16_t> words = {})
{
    return parseWhole(frame::build(command, words));
}

inline std::vector<std::uint16_t> words32(std::initializer_list<std::int32_t> values)
{
    std::vector<std::uint16_t> words;
    for (std::int32_t v : values) frame::appendWord32(words, v);
    return words;
}
