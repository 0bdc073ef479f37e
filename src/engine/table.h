#pragma once
// A cursor over one dBase table: navigation in natural or tag order, field
// values, editing, and the index operations. Deleted records are hidden.
// Text at this API is UTF-8; the table's bytes are in its own code page.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/dbf_file.h"
#include "engine/field_def.h"
#include "engine/index_options.h"
#include "engine/production_index.h"
#include "engine/table_storage.h"
#include "engine/value.h"

namespace kvzt::engine {

class Database;
class FileLock;

enum class EditState { Browse, Edit, Insert };

// A remembered position: the physical record number (0 = none).
struct Bookmark {
    std::uint32_t recno = 0;
};

class Table {
public:
    // Opens `path` (an existing .dbf). `defaultCodePage` is used when the
    // language-driver byte is 0 or unknown. `database` (may be null) is the
    // database object whose transactions cover this cursor's writes.
    static std::unique_ptr<Table> open(const std::string& path, OpenMode mode, CodePage defaultCodePage,
                                       Database* database = nullptr);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    void close();  // posts nothing: an open edit is cancelled

    // --- description
    const std::string& path() const;
    std::string tableName() const;  // file name without directory and extension
    OpenMode mode() const;
    CodePage codePage() const { return codePage_; }
    const std::vector<FieldDef>& fields() const;
    int fieldIndex(std::string_view name) const;  // case-insensitive; -1 when absent
    const FieldDef& field(std::string_view name) const;  // throws NoSuchField
    int fieldIndexOf(std::string_view name) const;       // as fieldIndex, but throws NoSuchField
    std::uint32_t recordCount() const;  // records in the file, deleted ones included
    std::uint8_t languageDriver() const;

    // --- navigation (natural order, or the active tag's order within the range)
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const;  // no visible record
    std::uint32_t recNo() const { return recno_; }  // 0 when not on a record
    Bookmark bookmark() const { return Bookmark{recno_}; }
    void gotoBookmark(Bookmark mark);  // throws NoCurrentRecord when the record is gone

    // --- field values of the current record (or of the edit buffer while editing)
    Value value(std::string_view field) const;
    std::string asString(std::string_view field) const;  // trailing blanks removed; numbers as stored, trimmed
    std::int64_t asInteger(std::string_view field) const;  // empty → 0; fraction truncated
    double asFloat(std::string_view field) const;          // empty → 0
    bool asBoolean(std::string_view field) const;          // T t Y y → true
    Date asDate(std::string_view field) const;             // empty → null date
    bool isNull(std::string_view field) const;             // all blanks
    // The stored bytes of a field, untouched (code-page text, blank padded).
    std::string rawField(std::string_view field) const;
    // By field number (fieldIndexOf), for loops over many records: the same
    // as asString and rawField without looking the name up; the raw bytes
    // stay valid until the cursor moves.
    std::string asStringAt(int field) const;
    std::string_view rawFieldAt(int field) const;
    bool isDeleted() const;  // only true for a record reached through a bookmark
    // The visible records in the current order (the active tag within its
    // range, or natural order), listed without moving the cursor and without
    // making any of them current: a grid learns its rows from this and reads
    // only those it shows.
    std::vector<std::uint32_t> visibleRecords();
    // Called every few thousand records during long steps inside this table
    // (tag builds, pack, listing its records), so a window can take its
    // pending events: the program is single-threaded. The hook must not use
    // this table; what it throws is ignored, since a step stopped half-way
    // could leave a tag out of step with the records.
    void setBusyHook(std::function<void()> hook) { busyHook_ = std::move(hook); }
    // How many records this cursor has made current (moves, seeks, bookmarks):
    // a cheap count that tests and benchmarks read to see what a window reads.
    std::uint64_t recordsLoaded() const { return recordsLoaded_; }

    // --- editing
    EditState state() const { return state_; }
    void append();  // a blank new record in the edit buffer
    void edit();
    void setValue(std::string_view field, const Value& value);
    void setString(std::string_view field, std::string_view utf8);  // cut to the field's width
    void setStringAt(int field, std::string_view utf8);             // by field number
    void setInteger(std::string_view field, std::int64_t v);
    void setFloat(std::string_view field, double v);  // rounded to the field's decimals
    void setBoolean(std::string_view field, bool v);
    void setDate(std::string_view field, const Date& v);
    void setNull(std::string_view field);
    void post();
    // append(), the whole record given as its stored bytes (deletion flag
    // first, recordLength bytes), and post(): for loops that put records
    // together themselves instead of field by field.
    void appendRecordBytes(std::string_view record);
    void cancel();
    void deleteRecord();  // marks it deleted; the cursor moves to the next visible record
    void emptyTable();    // needs exclusive use; keeps structure and tags (emptied)

    // --- indexes (production .mdx)
    std::vector<std::string> tagNames() const;
    void setIndex(std::string_view tag);  // "" = natural order; keeps the current record
    std::string indexName() const;
    // Key fields of the active tag, in order (the fields its expression joins).
    std::vector<std::string> keyFields() const;
    // Seek: values of the leading key fields; `fieldCount` < 0 uses as many
    // fields as values were given. True and on the first match, else false and
    // the cursor unchanged.
    bool findKey(const std::vector<Value>& values, int fieldCount = -1);
    // Inclusive range on the leading key fields; the cursor goes to its first record.
    void setRange(const std::vector<Value>& from, const std::vector<Value>& to);
    void cancelRange();
    bool hasRange() const { return range_.has_value(); }
    void addIndex(std::string_view tag, std::string_view expression, IndexOptions options = {});
    // Adds every tag of `tags` from one pass over the records: the same file
    // as adding them one by one in that order, with each record read once.
    void addIndexes(const std::vector<TagDefinition>& tags);
    void deleteIndex(std::string_view tag);
    void pack();  // needs exclusive use; removes deleted records and rebuilds every tag
    // Replaces the production index by a new one holding `tags`, built beside
    // the old one and renamed over it (engine/file_replacement.h); no tags
    // removes the index. Needs exclusive use.
    void rebuildIndex(const std::vector<TagDefinition>& tags);

    // --- for engine collaborators (journal, sql, verify)
    DbfFile& file() { return *file_; }
    ProductionIndex* productionIndex() { return storage_->index.get(); }
    TableStorage* storage() { return storage_.get(); }
    Database* database() const { return database_; }
    // The database object is going away before this cursor.
    void detachFromDatabase();
    // After a rollback rewrote the file beneath this cursor: reloads the
    // shared storage (when `reloadStorage`) and puts the cursor back in place.
    void reloadAfterRollback(bool reloadStorage = true);
    // Every record of the table, deleted ones included, for building tags.
    RecordSource recordSource();

private:
    Table() = default;
    struct Range {
        std::string low;   // key prefixes in the tag's encoding
        std::string high;
    };

    const FieldDef& fieldAt(std::string_view name) const;
    const FieldDef& fieldNumber(int field) const;  // throws NoSuchField
    const char* currentBytes() const;
    char* editBytes(std::string_view field, const FieldDef*& def);
    void requireRecord() const;
    void requireWritable() const;
    void requireNoTransaction(const char* what) const;
    void loadRecord(std::uint32_t recno);
    bool isVisible(std::uint32_t recno) const;
    void positionNatural(bool forward, std::uint32_t from);
    // Tag navigation helpers (defined with the index code).
    bool tagStep(bool forward);
    bool tagFirst();
    bool tagLast();
    bool inRange(std::string_view key) const;
    // Gives the busy hook its turn every kRecordsPerBusyCall records.
    void busy(std::uint32_t recno) const {
        if (busyHook_ && recno % kRecordsPerBusyCall == 0) callBusyHook();
    }
    void callBusyHook() const;
    static constexpr std::uint32_t kRecordsPerBusyCall = 16384;
    // Puts a table holding only `keep` (in order) and its index in place of
    // the old ones (pack, empty), by the renames of engine/file_replacement.h.
    void replaceContents(const std::vector<std::uint32_t>& keep);
    // Renames the new table `from` over this cursor's table, letting go of
    // our own handles of the old file where the system insists.
    void renameOverTable(const std::string& from);

    // Exclusive use for a while (empty, pack, tag changes): a cursor opened
    // for shared use converts its own lock, which fails while any other
    // cursor or program has the table open.
    class ExclusiveUse {
    public:
        explicit ExclusiveUse(Table& t);
        ~ExclusiveUse();
        ExclusiveUse(const ExclusiveUse&) = delete;
        ExclusiveUse& operator=(const ExclusiveUse&) = delete;

    private:
        Table& table_;
        bool converted_ = false;
    };

    std::shared_ptr<TableStorage> storage_;  // shared with the other cursors of this table
    DbfFile* file_ = nullptr;                // storage_->dbf()
    FileHandle lockFd_ = kNoFile;            // this cursor's own descriptor, holding its lock
    std::unique_ptr<FileLock> lock_;
    OpenMode mode_ = OpenMode::Shared;
    IndexTag* activeTag_ = nullptr;
    std::optional<Range> range_;
    Database* database_ = nullptr;
    CodePage codePage_ = CodePage::Cp1251;
    std::uint32_t recno_ = 0;
    std::uint64_t recordsLoaded_ = 0;
    std::function<void()> busyHook_;
    bool eof_ = true;
    bool bof_ = true;
    // Field places found by name, remembered by the address of the name's text.
    struct NameSlot {
        const char* text = nullptr;
        std::size_t index = 0;
    };
    static constexpr std::size_t kNameSlots = 64;
    mutable NameSlot nameSlots_[kNameSlots];
    std::string currentKey_;  // key of the current record in the active tag
    mutable std::string scratch_;  // a record read while looking for the next visible one
    mutable std::string blank_;  // an all-blank record for reads without a current record
    std::string record_;      // current record bytes
    std::string editBuffer_;  // while editing or inserting
    EditState state_ = EditState::Browse;
};

}  // namespace kvzt::engine
