#pragma once
// The two Cyrillic code pages the host's files use, with exact 256-entry maps
// so that every byte survives a round trip through UTF-8 unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvzt::engine {

enum class CodePage { Cp866 = 866, Cp1251 = 1251 };

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

}  // namespace kvzt::engine
