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

// Significant digits of one key (leading zeros dropped, exponent adjusted).
struct Decoded {
    bool zero = true;
    bool negative = false;
    int exponent = 0;
    char digits[kMaxDigits] = {};
    int count = 0;
};

Decoded decode(std::string_view key) {
    Decoded d;
    unsigned char raw[kNumericKeyLength] = {};
    std::memcpy(raw, key.data(), key.size() < sizeof raw ? key.size() : sizeof raw);
    int exponent = int(raw[0]) - 0x34;
    int all[kMaxDigits];
    for (int i = 0; i < kMaxDigits; ++i) all[i] = i % 2 == 0 ? raw[2 + i / 2] >> 4 : raw[2 + i / 2] & 0x0F;
    int first = 0;
    while (first < kMaxDigits && all[first] == 0) ++first;
    if (first == kMaxDigits) return d;
    int last = kMaxDigits;
    while (last > first && all[last - 1] == 0) --last;
    d.zero = false;
    d.negative = (raw[1] & 0x80) != 0;
    d.exponent = exponent - first;
    for (int i = first; i < last; ++i) d.digits[d.count++] = char(all[i]);
    return d;
}

int compareMagnitude(const Decoded& a, const Decoded& b) {
    if (a.exponent != b.exponent) return a.exponent < b.exponent ? -1 : 1;
    int n = a.count > b.count ? a.count : b.count;
    for (int i = 0; i < n; ++i) {
        int x = i < a.count ? a.digits[i] : 0;
        int y = i < b.count ? b.digits[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
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

int compareNumericKeys(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return 0;
    Decoded x = decode(a);
    Decoded y = decode(b);
    if (x.zero || y.zero) {
        if (x.zero && y.zero) return 0;
        if (x.zero) return y.negative ? 1 : -1;
        return x.negative ? -1 : 1;
    }
    if (x.negative != y.negative) return x.negative ? -1 : 1;
    int r = compareMagnitude(x, y);
    return x.negative ? -r : r;
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
