#pragma once
// Decoding of the laser's identity reply (the answer to SNFV), as plain text in, plain text out.
// Byte positions of the frame: P/N 9..28, S/N 29..48, M/D 49..58, F/R 59..66, H/R 67..78,
// laser state 81..82, minimum and maximum wavelength (pm) 83..86 and 87..90.

#include <QString>

#include <array>
#include <optional>

namespace identity {

inline constexpr int kFullLengthWords = 42;  // L of a complete identity reply

// The five text fields P/N, S/N, M/D, F/R, H/R. Each two-digit pair from character 19 up to
// `lastPairPosition` adds one character to the field holding its byte, except the pair "00";
// a pair beyond the end of the reply adds the character with code 0.
std::array<QString, 5> decodeTextFields(const QString& replyHex, int lastPairPosition);

// "MM/DD/YYYY" + CR LF and "YYYY年MM月DD日" + CR LF from a date field.
QString englishDate(const QString& dateField);
QString chineseDate(const QString& dateField);

// A hexadecimal field of the reply text (characters counted from 1); nothing when the characters
// are missing or not hexadecimal.
std::optional<std::uint32_t> hexField(const QString& replyHex, int position, int count);

// A wavelength in pm as nm, written without trailing zeros: 1260000 -> "1260", 1527500 -> "1527.5".
QString nmText(std::int32_t picometres);

}  // namespace identity
