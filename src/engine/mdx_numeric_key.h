#pragma once
// Numeric and date keys of a dBase IV production index.
//
// Numeric key, 12 bytes: byte 0 = 0x34 + decimal exponent (digits before the
// point, or minus the zeros right after it when |x| < 1; zero is 0x34);
// byte 1 = 0x80 when negative, plus 4·(digit count, rounded up to even) + 1;
// bytes 2-11 = the significant digits, two per byte, high nibble first.
// Date key, 8 bytes: IEEE double of the Julian day number, 0.0 when empty.

#include <cstdint>
#include <string>
#include <string_view>

namespace kvzt::engine::mdx {

inline constexpr int kNumericKeyLength = 12;
inline constexpr int kDateKeyLength = 8;

// Key of a number written as decimal text (a field's bytes: blanks around,
// optional sign, point and exponent). Blank or unreadable text gives zero.
std::string numericKeyFromText(std::string_view text);
std::string numericKeyFromInt(std::int64_t value);
std::string numericKeyFromDouble(double value);

// Orders two numeric keys by the numbers they hold, whatever digit count the
// writer used. An empty key (a seek without value) equals everything.
int compareNumericKeys(std::string_view a, std::string_view b);

std::string dateKeyFromJulianDay(double jd);
double julianDayOfDateKey(std::string_view key);
int compareDateKeys(std::string_view a, std::string_view b);

}  // namespace kvzt::engine::mdx
