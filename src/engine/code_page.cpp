#include "engine/code_page.h"

#include <array>

#include "engine/code_page_tables.h"

namespace kvzt::engine {

namespace {

const std::array<std::uint16_t, 128>& upperHalf(CodePage cp) {
    return cp == CodePage::Cp866 ? detail::kUpper866 : detail::kUpper1251;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`, advancing it; malformed bytes yield U+FFFD.
char32_t nextCodePoint(std::string_view s, size_t& i) {
    unsigned char b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80) return b;
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t c = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return c;
}

// Reverse maps built once: code point → byte.
struct ReverseMap {
    std::array<std::uint8_t, 0x2600> byCodePoint{};  // every mapped character lies below U+2600
    explicit ReverseMap(CodePage cp) {
        const auto& half = upperHalf(cp);
        for (int i = 0; i < 128; ++i) byCodePoint[half[i]] = std::uint8_t(0x80 + i);
    }
    int find(char32_t c) const {
        if (c >= byCodePoint.size()) return -1;
        return byCodePoint[c] ? byCodePoint[c] : -1;
    }
};

const ReverseMap& reverseMap(CodePage cp) {
    static const ReverseMap m866(CodePage::Cp866);
    static const ReverseMap m1251(CodePage::Cp1251);
    return cp == CodePage::Cp866 ? m866 : m1251;
}

char32_t upperCodePoint(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= U'а' && c <= U'я') return c - 32;
    if (c == U'ё') return U'Ё';
    return c;
}

}  // namespace

std::string toUtf8(std::string_view bytes, CodePage cp) {
    const auto& half = upperHalf(cp);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else
            appendUtf8(out, half[b - 0x80]);
    }
    return out;
}

std::size_t fromUtf8Into(std::string_view utf8, CodePage cp, char* out, std::size_t capacity) {
    const auto& rev = reverseMap(cp);
    std::size_t n = 0;
    for (size_t i = 0; i < utf8.size() && n < capacity;) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {  // most of the text: plain ASCII
            out[n++] = char(b);
            ++i;
            continue;
        }
        char32_t c = nextCodePoint(utf8, i);
        int mapped = rev.find(c);
        out[n++] = mapped < 0 ? '?' : char(mapped);
    }
    return n;
}

std::string fromUtf8(std::string_view utf8, CodePage cp) {
    std::string out(utf8.size(), '\0');  // never more bytes than the UTF-8 text has
    out.resize(fromUtf8Into(utf8, cp, out.data(), out.size()));
    return out;
}

unsigned char upperByte(unsigned char byte, CodePage cp) {
    // A table per code page, made once from the code-point rule.
    static const auto makeTable = [](CodePage page) {
        std::array<unsigned char, 256> t{};
        const auto& half = upperHalf(page);
        const auto& rev = reverseMap(page);
        for (int b = 0; b < 256; ++b) {
            char32_t c = b < 0x80 ? char32_t(b) : half[b - 0x80];
            int u = rev.find(upperCodePoint(c));
            t[b] = b < 0x80 ? static_cast<unsigned char>(upperCodePoint(c)) : static_cast<unsigned char>(u < 0 ? b : u);
        }
        return t;
    };
    static const auto t866 = makeTable(CodePage::Cp866);
    static const auto t1251 = makeTable(CodePage::Cp1251);
    return (cp == CodePage::Cp866 ? t866 : t1251)[byte];
}

std::string upperUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) appendUtf8(out, upperCodePoint(nextCodePoint(utf8, i)));
    return out;
}

std::uint8_t languageDriverOf(CodePage cp) { return cp == CodePage::Cp866 ? 0x26 : 0xC9; }

std::optional<CodePage> codePageOfDriver(std::uint8_t driver) {
    switch (driver) {
        case 0x26:
        case 0x65:
        case 0x66:
            return CodePage::Cp866;
        case 0xC9:
            return CodePage::Cp1251;
        default:
            return std::nullopt;
    }
}

}  // namespace kvzt::engine
