#pragma once
// Byte layout of a dBase IV production index (.mdx). All integers
// little-endian; a "page" is 512 bytes and every pointer counts pages.
//
//   File header, pages 0-3 (2048 bytes):
//     0 version 2 | 1-3 last reindex YY MM DD | 4-19 table name, NUL padded
//     20-21 pages per block (2) | 22-23 bytes per block (1024) | 24 production 1
//     25 tag slots (48) | 26 slot length (32) | 28-29 tags in use
//     32-35 next page to allocate | 36-39 head of the free-block list
//     44-46 creation date | 529 = 1 | tag slots from 544, 32 bytes each:
//       0-3 tag header page | 4-14 name | 15 0x10 | 16/17/18 left/right/parent
//       slot of a binary search tree over the names | 19 0x02 | 20 key type
//   Tag header (one block): 0-3 root page | 4-7 pages used | 8 flags
//     (0x10, +0x08 descending, +0x40 unique) | 9 key type | 12-13 key length
//     14-15 max keys per node | 16-17 1 for date keys | 18-19 item length
//     20 update counter | 24.. expression (NUL ended) | 246 1
//     248-251 first leaf | 252-255 last leaf | 257-259 creation date | 480 1
//   Node (one block): 0-3 entry count | 4-7 chain (or next free block)
//     8.. entries: 4-byte pointer (leaf: record number, branch: child page)
//     + key, padded to the item length; then 4 bytes: 0 in a leaf, the
//     rightmost child in a branch.

#include <cstdint>
#include <cstring>

namespace kvzt::engine::mdx {

inline constexpr int kPageSize = 512;
inline constexpr int kBlockSize = 1024;
inline constexpr int kPagesPerBlock = 2;
inline constexpr int kHeaderSize = 2048;
inline constexpr std::uint32_t kFirstDataPage = kHeaderSize / kPageSize;  // 4
inline constexpr int kSlotOffset = 544;
inline constexpr int kSlotLength = 32;
inline constexpr int kMaxTags = 47;
inline constexpr int kNodeHeader = 8;
inline constexpr int kMaxKeyLength = 100;
inline constexpr int kMaxExpressionLength = 220;

// File header offsets.
inline constexpr int kHdrVersion = 0;
inline constexpr int kHdrReindexDate = 1;
inline constexpr int kHdrTableName = 4;
inline constexpr int kHdrPagesPerBlock = 20;
inline constexpr int kHdrBlockBytes = 22;
inline constexpr int kHdrProduction = 24;
inline constexpr int kHdrSlotCount = 25;
inline constexpr int kHdrSlotLength = 26;
inline constexpr int kHdrTagsInUse = 28;
inline constexpr int kHdrNextPage = 32;
inline constexpr int kHdrFreeHead = 36;
inline constexpr int kHdrCreationDate = 44;
inline constexpr int kHdrReservedFlag = 529;

// Tag header offsets.
inline constexpr int kTagRoot = 0;
inline constexpr int kTagPagesUsed = 4;
inline constexpr int kTagFlags = 8;
inline constexpr int kTagKeyType = 9;
inline constexpr int kTagKeyLength = 12;
inline constexpr int kTagMaxKeys = 14;
inline constexpr int kTagDateFlag = 16;
inline constexpr int kTagItemLength = 18;
inline constexpr int kTagCounter = 20;
inline constexpr int kTagExpression = 24;
inline constexpr int kTagHasFilter = 245;
inline constexpr int kTagOne = 246;
inline constexpr int kTagFirstLeaf = 248;
inline constexpr int kTagLastLeaf = 252;
inline constexpr int kTagCreationDate = 257;
inline constexpr int kTagTrailerFlag = 480;

inline constexpr std::uint8_t kFlagBase = 0x10;
inline constexpr std::uint8_t kFlagDescending = 0x08;
inline constexpr std::uint8_t kFlagUnique = 0x40;

inline std::uint32_t get32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 | std::uint32_t(u[3]) << 24;
}
inline std::uint16_t get16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(u[0] | u[1] << 8);
}
inline void put32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
inline void put16(char* p, std::uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

// Bytes one entry takes in a node: pointer + key, rounded up to 4.
inline int itemLengthFor(int keyLength) { return (keyLength + 4 + 3) / 4 * 4; }
// Entries a node can hold.
inline int maxKeysFor(int itemLength) { return (kBlockSize - 12) / itemLength; }

}  // namespace kvzt::engine::mdx
