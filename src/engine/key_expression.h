#pragma once
// dBase key expressions as the host's indexes use them: field names joined
// by "+", UPPER() over character fields or sums of them, DTOS() over a date,
// a lone numeric or date field. The key type and length follow from the fields.

#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/field_def.h"
#include "engine/value.h"

namespace kvzt::engine {

// One field of the joined key, in order: what findKey and ranges take values for.
struct KeyComponent {
    int fieldIndex = -1;  // into the table's field list
    bool upper = false;   // inside UPPER()
    bool dtos = false;    // DTOS(date): 8 characters YYYYMMDD
    int width = 0;        // characters this component adds to a character key
};

class KeyExpression {
public:
    // Throws EngineError(code::InvalidKeyExpression) for anything outside the
    // supported forms or naming a missing field.
    static KeyExpression parse(std::string_view text, const std::vector<FieldDef>& fields);

    const std::string& text() const { return text_; }
    char keyType() const { return keyType_; }   // 'C', 'N' or 'D'
    int keyLength() const { return keyLength_; }  // bytes of a key in the .mdx
    const std::vector<KeyComponent>& components() const { return components_; }
    std::vector<std::string> fieldNames(const std::vector<FieldDef>& fields) const;

    // The key of a record (record bytes with the deletion flag first) in .mdx encoding.
    std::string evaluate(const char* record, const std::vector<FieldDef>& fields, CodePage cp) const;
    // The same key written to `out` (keyLength() bytes), for building tags
    // without a string per record.
    void evaluateInto(const char* record, const std::vector<FieldDef>& fields, CodePage cp, char* out) const;
    // A key prefix from the first `count` component values (UTF-8 text, numbers,
    // dates), each padded or cut to its component's width. Text is taken as
    // given, not upper-cased, even for UPPER() components.
    std::string prefix(const std::vector<Value>& values, int count, const std::vector<FieldDef>& fields,
                       CodePage cp) const;

private:
    std::string text_;
    char keyType_ = 'C';
    int keyLength_ = 0;
    std::vector<KeyComponent> components_;
};

// Orders two keys of a tag: character keys as bytes, numeric and date keys by value.
// A shorter character key (a seek prefix) is compared on its own length only.
int compareKeys(char keyType, std::string_view a, std::string_view b);

}  // namespace kvzt::engine
