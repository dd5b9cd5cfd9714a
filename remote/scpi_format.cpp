#include "remote/scpi_format.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace scpi {

namespace {

constexpr std::array<double, 10> kPowersOfTen{1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
// Room for any double written with up to nine decimals (309 digits, sign, point), and for any
// float with four (39 digits, sign, point).
constexpr int kMaxNumberChars = 330;
constexpr int kMaxFloatChars = 48;

char* writeNotFinite(char* out, double value)
{
    const char* text = std::isnan(value) ? "9.91E+37" : value > 0 ? "9.9E+37" : "-9.9E+37";
    const std::size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

// Fixed decimals, half away from zero, into [out, end).
char* writeFixed(char* out, char* end, double value, int decimals)
{
    if (!std::isfinite(value)) return writeNotFinite(out, value);
    decimals = std::clamp(decimals, 0, static_cast<int>(kPowersOfTen.size()) - 1);
    const double scaled = std::round(value * kPowersOfTen[static_cast<std::size_t>(decimals)]);
    // Beyond 2^53 every double is whole: no rounding is left to do, to_chars writes it exactly.
    if (!(std::fabs(scaled) < 9.0e15))
        return std::to_chars(out, end, value, std::chars_format::fixed, decimals).ptr;
    auto units = static_cast<std::int64_t>(scaled);
    if (units < 0) {
        *out++ = '-';
        units = -units;
    }
    std::array<char, 24> digits{};
    int count = 0;
    do {
        digits[static_cast<std::size_t>(count++)] = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units != 0);
    while (count <= decimals) digits[static_cast<std::size_t>(count++)] = '0';
    for (int i = count - 1; i >= 0; --i) {
        *out++ = digits[static_cast<std::size_t>(i)];
        if (i == decimals && decimals > 0) *out++ = '.';
    }
    return out;
}

}  // namespace

QByteArray realNumber(double value)
{
    std::array<char, kMaxNumberChars> text{};
    char* end = std::isfinite(value) ? std::to_chars(text.data(), text.data() + text.size(), value).ptr
                                     : writeNotFinite(text.data(), value);
    return QByteArray(text.data(), end - text.data());
}

QByteArray fixedNumber(double value, int decimals)
{
    std::array<char, kMaxNumberChars> text{};
    char* end = writeFixed(text.data(), text.data() + text.size(), value, decimals);
    return QByteArray(text.data(), end - text.data());
}

QByteArray quotedString(const QString& text)
{
    QByteArray quoted = text.toUtf8();
    quoted.replace('"', "\"\"").replace('\n', ' ').replace('\r', ' ');  // a response is one line
    return '"' + quoted + '"';
}

QByteArray definiteBlock(QByteArrayView payload)
{
    const QByteArray length = QByteArray::number(payload.size());
    return '#' + QByteArray::number(length.size()) + length + payload.toByteArray();
}

QByteArray traceBlock(std::span<const float> wavelengths, std::span<const float> values)
{
    const std::size_t points = std::min(wavelengths.size(), values.size());
    const QByteArray length = QByteArray::number(static_cast<qulonglong>(points * 8));
    QByteArray block = '#' + QByteArray::number(length.size()) + length;
    const qsizetype header = block.size();
    block.resize(header + static_cast<qsizetype>(points * 8));
    char* out = block.data() + header;
    for (std::size_t i = 0; i < points; ++i) {
        qToLittleEndian(std::bit_cast<std::uint32_t>(wavelengths[i]), out);
        qToLittleEndian(std::bit_cast<std::uint32_t>(values[i]), out + 4);
        out += 8;
    }
    return block;
}

QByteArray traceAscii(std::span<const float> wavelengths, std::span<const float> values)
{
    const std::size_t points = std::min(wavelengths.size(), values.size());
    QByteArray text;
    text.resize(static_cast<qsizetype>(points * 2 * (kMaxFloatChars + 1)));
    char* const start = text.data();
    char* out = start;
    for (std::size_t i = 0; i < points; ++i) {
        if (i > 0) *out++ = ',';
        out = writeFixed(out, out + kMaxFloatChars, wavelengths[i], 4);
        *out++ = ',';
        out = writeFixed(out, out + kMaxFloatChars, values[i], 4);
    }
    text.truncate(out - start);
    return text;
}

}  // namespace scpi
