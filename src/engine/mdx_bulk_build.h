#pragma once
// Keys gathered from a table for building tags in one pass (bulk build).

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/key_expression.h"

namespace kvzt::engine::mdx {

class MdxTag;

struct KeyBatch {
    std::string keys;                   // keyLength bytes per entry, in visiting order
    std::vector<std::uint32_t> recnos;  // the entries' record numbers

    // Room for `count` keys of `keyLength` bytes, so that gathering them does
    // not copy what it has gathered each time the buffer grows.
    void reserve(std::uint32_t count, int keyLength) {
        keys.reserve(std::size_t(count) * std::size_t(keyLength));
        recnos.reserve(count);
    }

    // Adds the key of one record, written straight into `keys`.
    void add(const KeyExpression& expression, std::uint32_t recno, const char* record,
             const std::vector<FieldDef>& fields, CodePage cp) {
        const std::size_t at = keys.size();
        const std::size_t len = std::size_t(expression.keyLength());
        if (keys.capacity() < at + len) keys.reserve(std::max<std::size_t>(at + len, keys.capacity() * 2));
        keys.resize(at + len);
        expression.evaluateInto(record, fields, cp, keys.data() + at);
        recnos.push_back(recno);
    }
};

// Entry numbers of `batch` in the tag's order (key, then record number).
std::vector<std::uint32_t> sortedOrder(const MdxTag& tag, const KeyBatch& batch);

}  // namespace kvzt::engine::mdx
