#include "engine/code_page.h"

#include <array>
#include <cstring>

#include "engine/code_page_tables.h"

namespace kvzt::engine {

namespace {

char32_t upperCodePoint(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= U'а' && c <= U'я') return c - 32;
    if (c == U'ё') return U'Ё';
    return c;
}

char* putUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | (c >> 18));
        *out++ = char(0x80 | ((c >> 12) & 0x3F));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
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

// Everything one code page needs, made once: for each byte its UTF-8 form
// (decoding is one lookup per byte), for each code point below U+2600 its
// byte (encoding is one lookup per character; every mapped character lies
// there), and the upper-case byte of each byte.
struct PageMaps {
    struct Encoded {
        char bytes[3];
        std::uint8_t length;
    };
    std::array<Encoded, 256> utf8{};
    std::array<std::uint8_t, 0x2600> byCodePoint{};  // 0 = not in the page (byte 0 is NUL, never looked up)
    std::array<unsigned char, 256> upper{};

    explicit PageMaps(const std::array<std::uint16_t, 128>& half) {
        for (int b = 0; b < 256; ++b) {
            const char32_t c = b < 0x80 ? char32_t(b) : half[b - 0x80];
            utf8[b].length = std::uint8_t(putUtf8(utf8[b].bytes, c) - utf8[b].bytes);
            if (b >= 0x80) byCodePoint[c] = std::uint8_t(b);
        }
        for (int b = 0; b < 256; ++b) {
            const char32_t c = b < 0x80 ? char32_t(b) : half[b - 0x80];
            const char32_t u = upperCodePoint(c);
            upper[b] = u < 0x80 ? static_cast<unsigned char>(u) : byCodePoint[u] ? byCodePoint[u] : static_cast<unsigned char>(b);
        }
    }
    int find(char32_t c) const {
        if (c >= byCodePoint.size()) return -1;
        return byCodePoint[c] ? byCodePoint[c] : -1;
    }
};

// The maps of all pages, made together on first use and found by the code
// page's number modulo 17 (distinct for the eight numbers), so a lookup costs
// no chain of comparisons: upper-casing a key asks for it once per byte.
struct AllMaps {
    std::array<PageMaps, 8> pages = {
        PageMaps(detail::kUpper437),  PageMaps(detail::kUpper850),  PageMaps(detail::kUpper852),
        PageMaps(detail::kUpper865),  PageMaps(detail::kUpper866),  PageMaps(detail::kUpper1250),
        PageMaps(detail::kUpper1251), PageMaps(detail::kUpper1252),
    };
    std::array<const PageMaps*, 17> bySlot{};
    AllMaps() {
        const int numbers[] = {437, 850, 852, 865, 866, 1250, 1251, 1252};
        for (int i = 0; i < 8; ++i) bySlot[std::size_t(numbers[i] % 17)] = &pages[std::size_t(i)];
    }
};

const PageMaps& maps(CodePage cp) {
    static const AllMaps all;
    return *all.bySlot[std::size_t(int(cp) % 17)];
}

}  // namespace

std::string toUtf8(std::string_view bytes, CodePage cp) {
    const PageMaps& m = maps(cp);
    std::string out(bytes.size() * 3, '\0');  // no byte takes more than three
    char* p = out.data();
    for (char ch : bytes) {
        const PageMaps::Encoded& e = m.utf8[static_cast<unsigned char>(ch)];
        // Copying all three bytes and advancing by the length avoids a branch per byte.
        std::memcpy(p, e.bytes, 3);
        p += e.length;
    }
    out.resize(std::size_t(p - out.data()));
    return out;
}

std::size_t fromUtf8Into(std::string_view utf8, CodePage cp, char* out, std::size_t capacity) {
    const PageMaps& m = maps(cp);
    std::size_t n = 0;
    for (size_t i = 0; i < utf8.size() && n < capacity;) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {  // most of the text: plain ASCII
            out[n++] = char(b);
            ++i;
            continue;
        }
        char32_t c;
        if ((b & 0xE0) == 0xC0 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            // Two-byte sequences (Cyrillic and Latin letters) decoded in place.
            c = (char32_t(b & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
            i += 2;
        } else {
            c = nextCodePoint(utf8, i);
        }
        int mapped = m.find(c);
        out[n++] = mapped < 0 ? '?' : char(mapped);
    }
    return n;
}

std::string fromUtf8(std::string_view utf8, CodePage cp) {
    std::string out(utf8.size(), '\0');  // never more bytes than the UTF-8 text has
    out.resize(fromUtf8Into(utf8, cp, out.data(), out.size()));
    return out;
}

unsigned char upperByte(unsigned char byte, CodePage cp) { return maps(cp).upper[byte]; }

std::string upperUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char buffer[4];
    for (size_t i = 0; i < utf8.size();) {
        const char32_t c = upperCodePoint(nextCodePoint(utf8, i));
        out.append(buffer, std::size_t(putUtf8(buffer, c) - buffer));
    }
    return out;
}

std::uint8_t languageDriverOf(CodePage cp) {
    switch (cp) {
        case CodePage::Cp437: return 0x01;
        case CodePage::Cp850: return 0x02;
        case CodePage::Cp852: return 0x64;
        case CodePage::Cp865: return 0x08;
        case CodePage::Cp866: return 0x26;
        case CodePage::Cp1250: return 0xC8;
        case CodePage::Cp1251: return 0xC9;
        case CodePage::Cp1252: return 0x03;
    }
    return 0;
}

std::optional<CodePage> codePageOfDriver(std::uint8_t driver) {
    // The dBase and FoxPro language-driver IDs of the single-byte code pages we
    // have maps for; several national drivers share one code page.
    switch (driver) {
        case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11:
        case 0x15: case 0x18: case 0x19: case 0x1B:
            return CodePage::Cp437;
        case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14:
        case 0x16: case 0x1A: case 0x1D: case 0x25: case 0x37:
            return CodePage::Cp850;
        case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: case 0x87:
            return CodePage::Cp852;
        case 0x08: case 0x17:
            return CodePage::Cp865;
        // 0x66 is Nordic in the dBase list, but Russian tools write it for 866
        // too, and this program's files are Russian: it stays 866.
        case 0x26: case 0x65: case 0x66:
            return CodePage::Cp866;
        case 0xC8:
            return CodePage::Cp1250;
        case 0xC9:
            return CodePage::Cp1251;
        case 0x03: case 0x57: case 0x58: case 0x59:
            return CodePage::Cp1252;
        default:
            return std::nullopt;
    }
}

std::optional<CodePage> codePageOfNumber(int number) {
    switch (number) {
        case 437: case 850: case 852: case 865: case 866: case 1250: case 1251: case 1252:
            return CodePage(number);
        default:
            return std::nullopt;
    }
}

}  // namespace kvzt::engine
