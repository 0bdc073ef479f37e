#pragma once
// Table helpers over an engine cursor: a keyed lookup through a named tag, a
// range by field values, a record-by-record search in a column, and where a
// grid cell's text starts.

#include <QRect>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace kvzt::engine {
class Table;
}

namespace kvzt::data {

struct FieldValue {
    QString field;
    QString value;
};

struct FieldRange {
    QString field;
    QString from;
    QString to;
};

// Selects `tag`, seeks the values given by field name (as many leading key
// fields as pairs are given) and returns the text of the found record's field
// number `resultField` (counted from 0), or empty text when there is no
// match. The table's previous tag is selected again afterwards. Throws
// EngineError(InvalidParam) when a named field is not among the tag's leading
// key fields.
QString LookupField(engine::Table& table, const QString& tag, const std::vector<FieldValue>& key, int resultField);

// Sets a range on the active tag from the "from" values to the "to" values
// (given by field name, as many leading key fields as triples) and goes to its
// first record.
void SetRangeByFields(engine::Table& table, const std::vector<FieldRange>& ranges);

enum class TextAlignment { Left, Right, Center };

// X position of a cell's text: left + 2 for left-aligned, right − width − 3
// for right-aligned, centred otherwise (the division truncating toward zero).
// `cell.right()` is the rectangle's right edge (left + width).
int ColumnTextLeft(const QRect& cell, int textWidth, TextAlignment alignment);

// Steps around a long search for the window that shows the table (hourglass,
// grids not repainted); either may be empty.
struct SearchHooks {
    std::function<void()> begin;
    std::function<void()> end;
};

// Moves record by record (forward: next, else prior) from the record after
// the current one to the end or the beginning, comparing the field's text,
// left-trimmed and cut to the length of `text`, with `text`, both upper-cased
// by the Windows Cyrillic rules. Stays on the first match and returns true;
// otherwise returns to the starting record and returns false.
bool FindInColumn(engine::Table& table, const QString& field, const QString& text, bool forward,
                  const SearchHooks& hooks = {});

}  // namespace kvzt::data
