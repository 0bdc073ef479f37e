#pragma once
// A record of one table put together as its stored bytes, for loops that
// append many records (Table::appendRecordBytes) without the per-field work
// of append/setString/post. Each field written gets exactly the bytes
// Table::setStringAt would give it; text copied from a field of another
// table goes from code page to code page through a 256-entry map, the same
// as a trip through UTF-8 would do.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/field_def.h"

namespace kvzt::engine {

class Table;

// Byte-for-byte translation of one code page into another: each byte's
// character, or '?' where the target page lacks it.
class CodePageMap {
public:
    CodePageMap(CodePage from, CodePage to);
    char operator[](char byte) const { return map_[static_cast<unsigned char>(byte)]; }
    bool identity() const { return identity_; }
    CodePage source() const { return from_; }

private:
    CodePage from_;
    std::array<char, 256> map_{};
    bool identity_ = true;
};

class RecordImage {
public:
    // A blank record of `table` (all spaces, not deleted).
    explicit RecordImage(Table& table);

    // Back to the blank record.
    void clear() { bytes_ = blank_; }
    // The field `field` (a field number of the table) set to UTF-8 text, as
    // Table::setStringAt does; a number the table lacks (-1 from
    // Table::fieldIndex) throws NoSuchField as it does.
    void setText(int field, std::string_view utf8);
    // The field set to text given in the source page of `map`: the same as
    // setText of that text in UTF-8. A stored field read as text loses its
    // trailing blanks and NULs first (TrimmedFieldBytes).
    void setBytes(int field, std::string_view bytes, const CodePageMap& map);

    std::string_view bytes() const { return bytes_; }
    CodePage codePage() const { return codePage_; }

private:
    const FieldDef& fieldAt(int field) const;

    std::vector<FieldDef> fields_;
    std::string path_;
    CodePage codePage_;
    std::string blank_;
    std::string bytes_;
};

// The trailing blanks and NULs of a stored text field left out, as a read of
// the field does.
std::string_view TrimmedFieldBytes(std::string_view raw);

}  // namespace kvzt::engine
