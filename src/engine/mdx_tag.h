#pragma once
// One tag of an .mdx file: a B-tree of (key, record number) entries ordered
// by key (reversed for descending tags), equal keys by record number.
// Reading follows the dBase IV node layout of engine/mdx_layout.h; writing
// keeps every branch below the maximum key count and every separator equal to
// the highest key of its child.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/index_options.h"
#include "engine/key_expression.h"
#include "engine/production_index.h"

namespace kvzt::engine::mdx {

class MdxFile;

class MdxTag : public IndexTag {
public:
    // Reads the tag whose header block is at `headerPage`.
    static std::unique_ptr<MdxTag> load(MdxFile& file, std::uint32_t headerPage, std::string name,
                                        const std::vector<FieldDef>& fields);
    // A tag about to be bulk built (its blocks are written by bulkWrite()).
    MdxTag(MdxFile& file, std::string name, KeyExpression expression, const IndexOptions& options);

    const std::string& name() const override { return name_; }
    const KeyExpression& expression() const override { return expression_; }
    bool descending() const override { return (flags_ & kDescendingBit) != 0; }
    bool unique() const override { return (flags_ & kUniqueBit) != 0; }

    std::optional<IndexEntry> first() override;
    std::optional<IndexEntry> last() override;
    std::optional<IndexEntry> next(const IndexEntry& from) override;
    std::optional<IndexEntry> prior(const IndexEntry& from) override;
    std::optional<IndexEntry> seek(std::string_view keyPrefix) override;
    void forEach(const std::function<void(const IndexEntry&)>& visit) override;

    char keyType() const { return keyType_; }
    int keyLength() const { return keyLength_; }
    int itemLength() const { return itemLength_; }
    int maxKeys() const { return maxKeys_; }
    std::uint32_t headerPage() const { return headerPage_; }

    // Tag order of two keys (descending tags reversed); a shorter character
    // key is compared on its own length.
    int compareInTag(std::string_view a, std::string_view b) const;

    void insertEntry(std::string_view key, std::uint32_t recno);
    // Removes the entry; false when it is not in the tag.
    bool removeEntry(std::string_view key, std::uint32_t recno);

    // Writes the tag anew at the end of the file: header block, leaves, branches.
    // `keys` holds keyLength() bytes per entry, `order` the entries in tag order.
    void bulkWrite(const std::string& keys, const std::vector<std::uint32_t>& recnos,
                   const std::vector<std::uint32_t>& order);
    // Takes over the state of `loaded`, the same tag read from a new file.
    void adopt(const MdxTag& loaded);
    // Puts the header block and every node on the free list.
    void releaseBlocks();
    // Writes the root, page count and update counter into the header block.
    void flushHeader();

private:
    static constexpr std::uint8_t kDescendingBit = 0x08;
    static constexpr std::uint8_t kUniqueBit = 0x40;

    struct Step {
        std::uint32_t page;
        int idx;
    };
    using Path = std::vector<Step>;
    struct Target {
        std::string_view key;
        std::uint32_t recno;
        bool useRecno;
    };
    struct Node {  // a node unpacked for rewriting
        std::vector<std::uint32_t> ptrs;  // leaf: record numbers; branch: children (one more than keys)
        std::vector<std::string> keys;
    };

    MdxTag(MdxFile& file) : file_(file) {}

    const char* node(std::uint32_t page);
    std::uint32_t count(const char* b) const;
    bool isBranch(const char* b) const;
    std::uint32_t ptrAt(const char* b, int i) const;
    std::string_view keyAt(const char* b, int i) const;
    std::uint32_t child(const char* b, int i);
    int compareTo(std::string_view key, std::uint32_t recno, const Target& t) const;

    void descendLeftmost(std::uint32_t page, Path& path);
    void descendRightmost(std::uint32_t page, Path& path);
    bool settleForward(Path& path);
    bool settleBackward(Path& path);
    bool lastEntryOf(std::uint32_t page, std::string& key, std::uint32_t& recno);
    int childFor(const char* b, const Target& t);
    bool lowerBound(const Target& t, Path& path, bool settle);
    IndexEntry entryAt(const Path& path);
    std::optional<IndexEntry> remember(const Path& path);
    std::optional<IndexEntry> firstOfGroup(const IndexEntry& e);
    void startOperation();

    Node unpack(std::uint32_t page, bool branch);
    void pack(std::uint32_t page, const Node& n, bool branch);
    std::uint32_t allocNode();
    void freeNode(std::uint32_t page);
    void insertIntoParent(Path& path, int level, const std::string& separator, std::uint32_t right);
    void removeChild(Path& path, int level);
    void fixSeparatorsAbove(const Path& path, int level, const std::string& maxKey);
    void collapseRoot();
    void changed();

    MdxFile& file_;
    std::string name_;
    KeyExpression expression_;
    std::uint32_t headerPage_ = 0;
    std::uint32_t root_ = 0;
    std::uint32_t pagesUsed_ = 0;
    std::uint8_t flags_ = 0x10;
    char keyType_ = 'C';
    int keyLength_ = 0;
    int itemLength_ = 0;
    int maxKeys_ = 0;
    bool headerDirty_ = false;
    std::uint64_t version_ = 0;  // bumped on every change; invalidates the remembered position
    std::uint64_t stepBudget_ = 0;

    bool haveLast_ = false;
    std::uint64_t lastVersion_ = 0;
    Path lastPath_;
    IndexEntry lastEntry_;
};

}  // namespace kvzt::engine::mdx
