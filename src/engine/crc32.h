#pragma once
// CRC-32 (the polynomial of zip and Ethernet, reflected, 0xEDB88320), used to
// tell a complete journal entry or group record from a torn one.

#include <array>
#include <cstdint>
#include <string_view>

namespace kvzt::engine {

namespace detail {
constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
inline constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();
}  // namespace detail

inline std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = detail::kCrcTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

}  // namespace kvzt::engine
