// Encoding and comparison of numeric (BCD) and date (double) index keys.

#include "engine/mdx_numeric_key.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace kvzt::engine::mdx {

namespace {

constexpr int kMaxDigits = 20;  // ten bytes of two digits

std::string encode(bool negative, int exponent, const std::string& digits) {
    std::string key(kNumericKeyLength, '\0');
    if (digits.empty()) {
        key[0] = char(0x34);
        key[1] = char(0x01);
        return key;
    }
    int count = int(digits.size());
    int stored = (count + 1) / 2 * 2;
    if (exponent > 0x7F - 0x34) exponent = 0x7F - 0x34;
    if (exponent < -0x34) exponent = -0x34;
    key[0] = char(0x34 + exponent);
    key[1] = char((negative ? 0x80 : 0) + 4 * stored + 1);
    for (int i = 0; i < count; ++i) {
        int d = digits[i] - '0';
        key[2 + i / 2] = char(key[2 + i / 2] | (i % 2 == 0 ? d << 4 : d));
    }
    return key;
}

}  // namespace

std::string numericKeyFromText(std::string_view text) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\0')) ++i;
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    skipBlanks();
    std::string digits;       // significant digits, leading zeros dropped
    int intDigits = 0;        // digits before the point, counted after the first non-zero
    int leadingFraction = 0;  // zeros after the point before the first non-zero
    bool seenPoint = false;
    bool any = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' || c == ',') {
            if (seenPoint) break;
            seenPoint = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        any = true;
        if (digits.empty() && c == '0') {
            if (seenPoint) ++leadingFraction;
            continue;
        }
        if (int(digits.size()) < kMaxDigits) digits.push_back(c);
        if (!seenPoint) ++intDigits;
    }
    if (!any) return encode(false, 0, {});
    int exponent = digits.empty() ? 0 : (intDigits > 0 ? intDigits : -leadingFraction);
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) expNegative = text[i++] == '-';
        int e = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && e < 1000) e = e * 10 + (text[i++] - '0');
        exponent += expNegative ? -e : e;
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) return encode(false, 0, {});
    return encode(negative, exponent, digits);
}

std::string numericKeyFromInt(std::int64_t value) { return numericKeyFromText(std::to_string(value)); }

std::string numericKeyFromDouble(double value) {
    if (!std::isfinite(value)) return numericKeyFromText({});
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return numericKeyFromText(buf);
}

namespace {

__extension__ typedef unsigned __int128 Mantissa;

// One key as (sign, exponent, twenty digits left-aligned): what ordering by
// value needs, computed without per-digit arrays (sorting and tree descents
// compare keys millions of times).
struct Canonical {
    int sign = 0;  // -1, 0, +1
    int exponent = 0;
    Mantissa digits = 0;
};

Canonical canonical(std::string_view key) {
    unsigned char raw[kNumericKeyLength] = {};
    std::memcpy(raw, key.data(), key.size() < sizeof raw ? key.size() : sizeof raw);
    Mantissa m = 0;
    for (int i = 2; i < kNumericKeyLength; ++i) m = m * 100 + Mantissa((raw[i] >> 4) * 10 + (raw[i] & 0x0F));
    Canonical c;
    if (m == 0) return c;
    // Left-align the digits so that keys written with leading zeros compare right.
    static const Mantissa top = [] {
        Mantissa t = 1;
        for (int i = 0; i < kMaxDigits - 1; ++i) t *= 10;
        return t;
    }();
    int shifted = 0;
    while (m < top) {
        m *= 10;
        ++shifted;
    }
    c.sign = (raw[1] & 0x80) ? -1 : 1;
    c.exponent = int(raw[0]) - 0x34 - shifted;
    c.digits = m;
    return c;
}

}  // namespace

int compareNumericKeys(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return 0;
    // The usual case: both keys start with a significant digit, so sign,
    // exponent byte and the digit bytes order them as they stand.
    if (a.size() >= std::size_t(kNumericKeyLength) && b.size() >= std::size_t(kNumericKeyLength) &&
        (static_cast<unsigned char>(a[2]) >> 4) != 0 && (static_cast<unsigned char>(b[2]) >> 4) != 0) {
        const bool na = (static_cast<unsigned char>(a[1]) & 0x80) != 0;
        const bool nb = (static_cast<unsigned char>(b[1]) & 0x80) != 0;
        if (na != nb) return na ? -1 : 1;
        int r = static_cast<unsigned char>(a[0]) - static_cast<unsigned char>(b[0]);
        if (r == 0) r = std::memcmp(a.data() + 2, b.data() + 2, kNumericKeyLength - 2);
        r = r < 0 ? -1 : (r > 0 ? 1 : 0);
        return na ? -r : r;
    }
    Canonical x = canonical(a);
    Canonical y = canonical(b);
    if (x.sign != y.sign) return x.sign < y.sign ? -1 : 1;
    if (x.sign == 0) return 0;
    int r = x.exponent != y.exponent ? (x.exponent < y.exponent ? -1 : 1)
                                     : (x.digits == y.digits ? 0 : (x.digits < y.digits ? -1 : 1));
    return x.sign < 0 ? -r : r;
}

std::string dateKeyFromJulianDay(double jd) {
    std::string key(kDateKeyLength, '\0');
    std::uint64_t bits;
    std::memcpy(&bits, &jd, sizeof bits);
    for (int i = 0; i < 8; ++i) key[i] = char((bits >> (8 * i)) & 0xFF);
    return key;
}

double julianDayOfDateKey(std::string_view key) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8 && i < key.size(); ++i) bits |= std::uint64_t(static_cast<unsigned char>(key[i])) << (8 * i);
    double jd;
    std::memcpy(&jd, &bits, sizeof jd);
    return jd;
}

int compareDateKeys(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return 0;
    double x = julianDayOfDateKey(a);
    double y = julianDayOfDateKey(b);
    if (x < y) return -1;
    if (x > y) return 1;
    return 0;
}

}  // namespace kvzt::engine::mdx
