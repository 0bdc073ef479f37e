#pragma once
// Little-endian integers in our own files (the journal, the group record):
// appended to a byte string and read back from one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvzt::engine {

inline void putLe(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
}

// The caller has checked that `in` holds `bytes` bytes at `at`.
inline std::uint64_t getLe(std::string_view in, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t(static_cast<unsigned char>(in[at + std::size_t(i)])) << (8 * i);
    return v;
}

}  // namespace kvzt::engine
