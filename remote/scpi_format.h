#pragma once
// Response formatting: numbers, quoted strings, IEEE 488.2 definite-length blocks and the
// spectrum in both of its forms.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <span>

namespace scpi {

// Shortest text that reads back as the same double ("1550.5", "-3", "1e-07"). Not-a-number reads
// 9.91E+37 and infinities +-9.9E+37, the values SCPI gives them.
QByteArray realNumber(double value);
// Fixed decimals, rounded half away from zero, "-0.0000" written "0.0000"; not-finite as above.
QByteArray fixedNumber(double value, int decimals);
// A string response: in double quotes, a quote inside doubled, CR and LF made blanks, UTF-8.
QByteArray quotedString(const QString& text);

// "#<n><length><payload>": n the number of digits of the length ("#15hello", "#10" when empty).
QByteArray definiteBlock(QByteArrayView payload);

// The spectrum as a definite-length block of little-endian float32 pairs wavelength, value, for
// the points both spans hold.
QByteArray traceBlock(std::span<const float> wavelengths, std::span<const float> values);
// The same points as ASCII "w1,v1,w2,v2,...", each number with four decimals rounded half away
// from zero, as the spectrum's CSV file writes them.
QByteArray traceAscii(std::span<const float> wavelengths, std::span<const float> values);

}  // namespace scpi
