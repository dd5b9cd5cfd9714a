#pragma once
// An independent reference for the workbook rounding: the single's exact decimal expansion
// (printed digit by digit) rounded half away from zero by hand, then read back as a number.

#include <QString>

#include <cstdio>
#include <string>

inline double decimalRoundOracle(float value, int decimals)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.200f", static_cast<double>(value));  // exact for any single
    std::string text(buffer);
    const bool negative = text.front() == '-';
    if (negative) text.erase(0, 1);
    const auto point = text.find('.');
    std::string digits = text.substr(0, point) + text.substr(point + 1, static_cast<std::size_t>(decimals));
    const bool away = text[point + 1 + static_cast<std::size_t>(decimals)] >= '5';
    if (away) {
        int i = static_cast<int>(digits.size()) - 1;
        for (; i >= 0 && digits[static_cast<std::size_t>(i)] == '9'; --i) digits[static_cast<std::size_t>(i)] = '0';
        if (i < 0) digits.insert(digits.begin(), '1');
        else ++digits[static_cast<std::size_t>(i)];
    }
    const std::size_t intDigits = digits.size() - static_cast<std::size_t>(decimals);
    const std::string shown =
        (negative ? "-" : "") + digits.substr(0, intDigits) + "." + digits.substr(intDigits) + "0";
    return QString::fromStdString(shown).toDouble();
}
