#pragma once
// The production index of a table: its .mdx file with up to 47 tags, each a
// B-tree of (key, record number) entries in the dBase IV layout.
// Keys of deleted records stay in the tags until a pack (dBase does the same).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/field_def.h"
#include "engine/index_options.h"
#include "engine/key_expression.h"

namespace kvzt::engine {

// Calls its argument once for every record of the table, deleted ones too:
// (record number, record bytes with the deletion flag first).
using RecordVisitor = std::function<void(std::uint32_t, const char*)>;
using RecordSource = std::function<void(const RecordVisitor&)>;

// A tag as it is declared: name, key expression, options.
struct TagDefinition {
    std::string name;
    std::string expression;
    IndexOptions options;
};

struct IndexEntry {
    std::string key;
    std::uint32_t recno = 0;
};

class IndexTag {
public:
    virtual ~IndexTag() = default;
    virtual const std::string& name() const = 0;
    virtual const KeyExpression& expression() const = 0;
    virtual bool descending() const = 0;
    virtual bool unique() const = 0;

    // Navigation in tag order; entries with equal keys follow record numbers.
    virtual std::optional<IndexEntry> first() = 0;
    virtual std::optional<IndexEntry> last() = 0;
    virtual std::optional<IndexEntry> next(const IndexEntry& from) = 0;
    virtual std::optional<IndexEntry> prior(const IndexEntry& from) = 0;
    // The first entry whose key, compared on the prefix's length, is >= prefix.
    virtual std::optional<IndexEntry> seek(std::string_view keyPrefix) = 0;
    // Every entry in tag order (for verify and tests).
    virtual void forEach(const std::function<void(const IndexEntry&)>& visit) = 0;
};

class ProductionIndex {
public:
    virtual ~ProductionIndex() = default;

    // Opens an existing .mdx for a table with these fields; throws
    // EngineError(code::Corrupt) when the file cannot be read safely, and
    // InvalidKeyExpression when a tag's expression does not fit the table.
    static std::unique_ptr<ProductionIndex> open(const std::string& mdxPath, const std::vector<FieldDef>& fields,
                                                 CodePage cp, bool writable);
    // Writes a new .mdx without tags (replacing a file of that name).
    static std::unique_ptr<ProductionIndex> create(const std::string& mdxPath, const std::string& tableName,
                                                   const std::vector<FieldDef>& fields, CodePage cp);

    // Writes a complete new .mdx with these tags over the records to `mdxPath`
    // (replacing a file of that name) and forces it to the disk. Pack and
    // reindex build under a temporary name and rename it over the old index,
    // so that a crash leaves the old index or the new one, never a mix.
    static void build(const std::string& mdxPath, const std::string& tableName, const std::vector<FieldDef>& fields,
                      CodePage cp, const std::vector<TagDefinition>& tags, const RecordSource& records,
                      std::uint32_t recordCount = 0);

    virtual std::vector<IndexTag*> tags() = 0;
    // The declarations of the tags, in slot order.
    virtual std::vector<TagDefinition> definitions() = 0;
    virtual IndexTag* tag(std::string_view name) = 0;  // case-insensitive; nullptr when absent

    // Builds new tags over every record (bulk: keys sorted, tree written
    // bottom-up), all of them from one pass over the records; the file holds
    // the same bytes as after adding them one at a time. `recordCount` (the
    // records the source visits, 0 when unknown) sizes the key buffers.
    // Nothing is added when a name or expression is refused.
    virtual void addTags(const std::vector<TagDefinition>& tags, const RecordSource& records,
                         std::uint32_t recordCount = 0) = 0;
    // One new tag, as addTags of it alone.
    IndexTag* addTag(std::string_view name, std::string_view expression, const IndexOptions& options,
                     const RecordSource& records) {
        addTags({TagDefinition{std::string(name), std::string(expression), options}}, records);
        return tag(name);
    }
    virtual void deleteTag(std::string_view name) = 0;

    // Keep every tag up to date with one record.
    virtual void insert(std::uint32_t recno, const char* record) = 0;
    virtual void update(std::uint32_t recno, const char* oldRecord, const char* newRecord) = 0;
    // Every tag built anew from the records into `temporaryPath`, which is
    // then renamed over the index file; the tag objects stay valid. A crash
    // or a failure leaves the old index file whole.
    virtual void rebuild(const RecordSource& records, const std::string& temporaryPath) = 0;

    virtual void flush() = 0;
    // flush() and force the file to the disk.
    virtual void sync() = 0;
};

}  // namespace kvzt::engine
