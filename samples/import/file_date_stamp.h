#pragma once
// Sample files carry a fixed date instead of the day they were written, so
// that a generator run makes the same bytes on every day and a committed set
// can be compared with a fresh one byte for byte.
//
// Date fields rewritten (each YY MM DD, YY counted from 1900):
//   .dbf: bytes 1-3, the last update
//   .mdx: bytes 1-3 (last reindex), 44-46 (creation), and bytes 257-259 of
//         every tag header (its creation); a tag slot is 32 bytes from byte
//         544, its first four bytes the tag header's page (512-byte pages),
//         the number of slots in use at bytes 28-29.

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kvzt::samples {

struct StampDate {
    int year;
    int month;
    int day;
};

namespace detail {

inline void putDate(std::string& bytes, std::size_t at, StampDate d) {
    if (at + 3 > bytes.size()) return;
    bytes[at] = char(d.year - 1900);
    bytes[at + 1] = char(d.month);
    bytes[at + 2] = char(d.day);
}

inline std::uint32_t le32(const std::string& bytes, std::size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}

// Only the header pages and the tag headers are read and written back.
inline void rewriteFile(const std::string& path, std::size_t headLength, const auto& change) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path);
    std::string head(headLength, '\0');
    file.read(head.data(), std::streamsize(head.size()));
    head.resize(std::size_t(file.gcount()));
    file.clear();
    change(file, head);
    file.seekp(0);
    file.write(head.data(), std::streamsize(head.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace detail

inline void StampDbfDate(const std::string& path, StampDate date) {
    detail::rewriteFile(path, 4, [&](std::fstream&, std::string& head) { detail::putDate(head, 1, date); });
}

inline void StampMdxDates(const std::string& path, StampDate date) {
    detail::rewriteFile(path, 2048, [&](std::fstream& file, std::string& head) {
        if (head.size() < 2048) return;
        detail::putDate(head, 1, date);
        detail::putDate(head, 44, date);
        const int tags = std::uint8_t(head[28]) | std::uint8_t(head[29]) << 8;
        for (int i = 0; i < tags && i < 47; ++i) {
            const std::uint32_t page = detail::le32(head, 544 + std::size_t(i) * 32);
            if (page == 0) continue;
            std::string stamp(3, '\0');
            detail::putDate(stamp, 0, date);
            file.seekp(std::streamoff(page) * 512 + 257);
            file.write(stamp.data(), 3);
        }
    });
}

}  // namespace kvzt::samples
