#include "engine/record_image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/errors.h"
#include "engine/field_codec.h"
#include "engine/table.h"
#include "engine/value.h"

namespace kvzt::engine {

namespace {

// Text fields up to this width take text straight, as in Table::setStringAt;
// wider ones and other types go through the field encoder.
constexpr int kDirectTextWidth = 256;

bool direct(const FieldDef& f) { return f.type == 'C' && f.length <= kDirectTextWidth; }

}  // namespace

CodePageMap::CodePageMap(CodePage from, CodePage to) : from_(from) {
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const std::string text = toUtf8(std::string_view(&byte, 1), from);
        char out = '?';
        fromUtf8Into(text, to, &out, 1);
        map_[std::size_t(b)] = out;
        identity_ = identity_ && out == byte;
    }
}

std::string_view TrimmedFieldBytes(std::string_view raw) {
    // Names fill a third of their field: the blanks go eight at a time first.
    constexpr std::uint64_t kBlanks = 0x2020202020202020ull;
    while (raw.size() >= 8) {
        std::uint64_t tail;
        std::memcpy(&tail, raw.data() + raw.size() - 8, 8);
        if (tail != kBlanks) break;
        raw.remove_suffix(8);
    }
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\0')) raw.remove_suffix(1);
    return raw;
}

RecordImage::RecordImage(Table& table)
    : fields_(table.fields()), path_(table.path()), codePage_(table.codePage()), blank_(std::size_t(table.file().recordLength()), ' '),
      bytes_(blank_) {}

const FieldDef& RecordImage::fieldAt(int field) const {
    if (field < 0 || std::size_t(field) >= fields_.size())
        throw EngineError(code::NoSuchField, "Нет поля №" + std::to_string(field) + " в таблице " + path_);
    return fields_[std::size_t(field)];
}

void RecordImage::setText(int field, std::string_view utf8) {
    const FieldDef& f = fieldAt(field);
    char* out = bytes_.data() + f.offset;
    if (direct(f)) {
        char scratch[kDirectTextWidth];
        std::memset(scratch, ' ', std::size_t(f.length));
        fromUtf8Into(utf8, codePage_, scratch, std::size_t(f.length));
        std::memcpy(out, scratch, std::size_t(f.length));
        return;
    }
    // Through a scratch copy, so a value that does not fit leaves the field as it was.
    std::string scratch(std::size_t(f.length), ' ');
    encodeField(f, Value(std::string(utf8)), scratch.data(), codePage_);
    std::memcpy(out, scratch.data(), scratch.size());
}

void RecordImage::setBytes(int field, std::string_view bytes, const CodePageMap& map) {
    const FieldDef& f = fieldAt(field);
    if (!direct(f)) {
        setText(field, toUtf8(bytes, map.source()));
        return;
    }
    char* out = bytes_.data() + f.offset;
    const std::size_t n = std::min(bytes.size(), std::size_t(f.length));
    if (map.identity()) {
        std::memcpy(out, bytes.data(), n);
    } else {
        for (std::size_t i = 0; i < n; ++i) out[i] = map[bytes[i]];
    }
    std::memset(out + n, ' ', std::size_t(f.length) - n);
}

}  // namespace kvzt::engine
