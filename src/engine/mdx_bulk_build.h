#pragma once
// Keys gathered from a table for building tags in one pass (bulk build).

#include <cstdint>
#include <string>
#include <vector>

namespace kvzt::engine::mdx {

class MdxTag;

struct KeyBatch {
    std::string keys;                   // keyLength bytes per entry, in visiting order
    std::vector<std::uint32_t> recnos;  // the entries' record numbers
};

// Entry numbers of `batch` in the tag's order (key, then record number).
std::vector<std::uint32_t> sortedOrder(const MdxTag& tag, const KeyBatch& batch);

}  // namespace kvzt::engine::mdx
