#pragma once
// The single-byte code pages of dBase tables, with exact 256-entry maps so
// that every byte survives a round trip through UTF-8 unchanged. The host's
// own files are 866 and 1251; the others are read so that tables made by
// other programs (Latin and Central European language drivers) keep their
// letters.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvzt::engine {

enum class CodePage {
    Cp437 = 437,
    Cp850 = 850,
    Cp852 = 852,
    Cp865 = 865,
    Cp866 = 866,
    Cp1250 = 1250,
    Cp1251 = 1251,
    Cp1252 = 1252,
};

// Table bytes → UTF-8.
std::string toUtf8(std::string_view bytes, CodePage cp);
// UTF-8 → table bytes; a character the code page lacks becomes '?'.
std::string fromUtf8(std::string_view utf8, CodePage cp);
// The same into `out`, stopping after `capacity` bytes; returns the bytes written.
std::size_t fromUtf8Into(std::string_view utf8, CodePage cp, char* out, std::size_t capacity);

// Upper-casing of one table byte by the Windows Cyrillic rules
// (а–я → А–Я, ё → Ё, a–z → A–Z), applied in the table's own code page.
unsigned char upperByte(unsigned char byte, CodePage cp);
// The same on UTF-8 text.
std::string upperUtf8(std::string_view utf8);

// Language-driver byte of a .dbf header for a code page we write.
std::uint8_t languageDriverOf(CodePage cp);
// Code page named by a language-driver byte; nothing for 0 and unknown bytes.
std::optional<CodePage> codePageOfDriver(std::uint8_t driver);
// Code page by its number (437, 866, 1251, ...); nothing for one we lack.
std::optional<CodePage> codePageOfNumber(int number);

}  // namespace kvzt::engine
