#include "engine/date.h"

#include <cstdio>

namespace kvzt::engine {

namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Reads exactly `n` decimal digits; -1 when any is not a digit.
int digits(std::string_view s, size_t pos, size_t n) {
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

}  // namespace

bool Date::isValid() const {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

Date Date::fromDbf(std::string_view text) {
    if (text.size() < 8) return {};
    Date d{digits(text, 0, 4), digits(text, 4, 2), digits(text, 6, 2)};
    return d.isValid() ? d : Date{};
}

std::string Date::toDbf() const {
    if (isNull() || !isValid()) return std::string(8, ' ');
    std::string s(8, '0');
    int v = year * 10000 + month * 100 + day;
    for (int i = 7; i >= 0; --i, v /= 10) s[size_t(i)] = char('0' + v % 10);
    return s;
}

std::string Date::toDisplay() const {
    if (isNull() || !isValid()) return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", day, month, year);
    return buf;
}

Date Date::fromDisplay(std::string_view text) {
    if (text.size() != 10 || text[2] != '.' || text[5] != '.') return {};
    Date d{digits(text, 6, 4), digits(text, 3, 2), digits(text, 0, 2)};
    return d.isValid() ? d : Date{};
}

// Proleptic Gregorian calendar (Fliegel & Van Flandern).
long Date::julianDay() const {
    if (isNull()) return 0;
    long a = (14 - month) / 12;
    long y = year + 4800 - a;
    long m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

Date Date::fromJulianDay(long jd) {
    if (jd <= 0) return {};
    long a = jd + 32044;
    long b = (4 * a + 3) / 146097;
    long c = a - 146097 * b / 4;
    long d = (4 * c + 3) / 1461;
    long e = c - 1461 * d / 4;
    long m = (5 * e + 2) / 153;
    Date r{int(100 * b + d - 4800 + m / 10), int(m + 3 - 12 * (m / 10)), int(e - (153 * m + 2) / 5 + 1)};
    return r.isValid() ? r : Date{};
}

}  // namespace kvzt::engine
