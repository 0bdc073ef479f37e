#pragma once
// The keys of an income statement in SvBase32: ID (9 characters) ties the
// statement to its incomes, deductions and objects, IDDOK (8 characters) is
// its document number. Both are decimal numbers right-aligned with blanks on
// the left; a new one is the highest stored one plus 1.

#include <QString>

namespace kvzt::engine {
class Table;
}

namespace kvzt::duplicates {

inline constexpr int kIdWidth = 9;
inline constexpr int kIdDokWidth = 8;

// `lastKey` read as an integer (leading blanks ignored, 0 when it is not a
// number) plus 1, right-aligned in `width` characters. Throws
// EngineError(ValueOutOfRange) when the number no longer fits: cutting it to
// the width would give a key that is already taken.
QString NextKeyText(const QString& lastKey, int width);

// The next key by the order of `tag` (IDX for ID, IDDOKX for IDDOK): the last
// record's `field` plus 1. The statement table's tag and position are
// restored afterwards.
QString NextStatementKey(engine::Table& statements, const char* tag, const char* field, int width);

}  // namespace kvzt::duplicates
