#pragma once
// Conversions between a field's stored bytes and values:
//   C  text, blank padded, in the table's code page
//   N F  ASCII number right-aligned with a fixed number of decimals; blanks = empty
//   D  YYYYMMDD; blanks = empty
//   L  T/F (t f Y y N n read too); '?' or blank = not set

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/code_page.h"
#include "engine/date.h"
#include "engine/field_def.h"
#include "engine/value.h"

namespace kvzt::engine {

bool isBlankField(std::string_view raw);

// The value of a stored field (monostate for an empty number, date or logical).
Value decodeField(const FieldDef& f, std::string_view raw, CodePage cp);
// Text form: character fields without trailing blanks, numbers as stored
// (trimmed), dates YYYYMMDD as stored, logicals T/F; empty for empty values.
std::string fieldText(const FieldDef& f, std::string_view raw, CodePage cp);

// Parses stored number text; nothing when blank or unreadable (e.g. "***").
std::optional<double> parseNumber(std::string_view raw);

// Writes `value` into `out` (the field's `f.length` bytes). Text is cut to the
// field's width; a number too wide for the field throws ValueOutOfRange.
void encodeField(const FieldDef& f, const Value& value, char* out, CodePage cp);

// Formats a number for a numeric field of this width and decimals; throws
// ValueOutOfRange when it does not fit.
std::string formatNumber(double v, const FieldDef& f);
std::string formatInteger(std::int64_t v, const FieldDef& f);

}  // namespace kvzt::engine
