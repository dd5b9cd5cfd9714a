#pragma once
// How the bench reads a number out of a text box: the leading decimal number of the text
// (leading blanks skipped; reading stops at the first character that cannot continue the number);
// a text with no readable number reads 0. "1,5" reads 1, " 12abc" reads 12, "-3.0" reads -3.

#include <QString>

#include <cstdint>

double leadingNumber(const QString& text);

// Largest integer not above the value (the bench's "integer part"), clamped to 32 bits.
std::int32_t floorToInt32(double value);

// `value` with `decimals` fixed decimals, as the bench shows its figures; a value that rounds to
// zero has no sign ("-0.0001" at three decimals is "0.000").
QString fixedDecimals(double value, int decimals);
