#pragma once
// An independent reader of one tag's B-tree in an .mdx file, from the bytes
// on disk: it checks what other dBase readers rely on when they descend the
// tree, which our own walks and seeks would not notice.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/key_expression.h"
#include "engine/mdx_layout.h"
#include "support/test_support.h"

namespace kvzt::test {

// Independent check of the on-disk tree: branch nodes below the maximum key
// count, every separator equal to the highest key of its child, all leaves
// at one depth, leaves' trailing pointer zero. Returns the tree's height.
struct MdxTreeCheck {
    std::string bytes;
    int keyLength, itemLength, maxKeys;
    char type;
    int leafDepth = -1;
    std::uint32_t at32(std::size_t off) const { return engine::mdx::get32(bytes.data() + off); }
    std::string walk(std::uint32_t page, int depth) {
        std::size_t base = std::size_t(page) * 512;
        std::uint32_t n = at32(base);
        std::uint32_t after = at32(base + 8 + n * std::size_t(itemLength));
        bool branch = int(n) < maxKeys && after != 0;
        auto key = [&](std::uint32_t i) { return bytes.substr(base + 8 + i * std::size_t(itemLength) + 4, std::size_t(keyLength)); };
        if (!branch) {
            if (leafDepth < 0) leafDepth = depth;
            EXPECT_EQ(leafDepth, depth) << "leaves at different depths";
            if (int(n) < maxKeys) {
                EXPECT_EQ(after, 0u);
            }
            return n ? key(n - 1) : std::string();
        }
        EXPECT_LT(int(n), maxKeys) << "branch holds the maximum key count";
        std::string last;
        for (std::uint32_t i = 0; i <= n; ++i) {
            std::string high = walk(at32(base + 8 + i * std::size_t(itemLength)), depth + 1);
            if (i < n) {
                EXPECT_EQ(engine::compareKeys(type, high, key(i)), 0) << "separator differs from child's highest key";
            }
            last = high;
        }
        return last;
    }
};

inline int checkMdxTree(const std::string& mdxPath, const std::string& tagName) {
    MdxTreeCheck c;
    c.bytes = kvzt::test::readFile(mdxPath);
    int tags = engine::mdx::get16(c.bytes.data() + 28);
    for (int i = 0; i < tags; ++i) {
        const char* slot = c.bytes.data() + 544 + i * 32;
        if (std::string(slot + 4) != tagName) continue;
        std::size_t h = std::size_t(engine::mdx::get32(slot)) * 512;
        c.type = c.bytes[h + 9];
        c.keyLength = engine::mdx::get16(c.bytes.data() + h + 12);
        c.maxKeys = engine::mdx::get16(c.bytes.data() + h + 14);
        c.itemLength = engine::mdx::get16(c.bytes.data() + h + 18);
        c.walk(c.at32(h), 0);
        return c.leafDepth + 1;
    }
    ADD_FAILURE() << "no tag " << tagName;
    return 0;
}

}  // namespace kvzt::test
