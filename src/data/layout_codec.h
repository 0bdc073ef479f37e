#pragma once
// The texts that keep window and grid layouts in the settings file.
//
// FORMS, one key per window (component name + tag, "fmMain0"):
//   state,  top,  left,  height,  width        (at most 40 characters)
//   state 0 normal, 1 minimised, 2 maximised; the numbers in pixels.
//
// GRIDS, one or more keys per grid (component name + tag, "dbgDubl0"):
//   FIELD,  width,  Title,  FIELD,  width,  Title,  ...
//   each column in display order, every item followed by a comma and two
//   blanks. Before a column is added, a text longer than 170 characters is
//   closed with a continuation marker "~n~" (n = 1, 2, ...) and a comma and
//   two blanks, and the following columns go on under the key
//   name + marker + tag ("dbgDubl~1~0", "dbgDubl~2~0", ...). No value is
//   longer than 255 characters.
//
// Pure functions over plain structs; the windows and grids map them on
// their widgets.

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace kvzt::data {

enum class WindowState { Normal = 0, Minimised = 1, Maximised = 2 };

struct FormLayout {
    int state = 0;  // as stored: 0 normal, 1 minimised, anything else maximised
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
    bool operator==(const FormLayout&) const = default;
};

inline constexpr qsizetype kFormValueLength = 40;
inline constexpr qsizetype kGridValueLength = 255;
inline constexpr qsizetype kGridChunkLength = 170;

QString EncodeFormLayout(const FormLayout& layout);
// Nothing for "err", an empty text or a text whose five items are not whole numbers.
std::optional<FormLayout> DecodeFormLayout(const QString& value);

struct GridColumn {
    QString field;
    int width = 0;
    QString title;
    bool operator==(const GridColumn&) const = default;
};

// One key of a grid's layout and its value.
struct GridEntry {
    QString key;
    QString value;
};

// Key of the grid's n-th value: n = 0 → name + tag; n ≥ 1 → name + "~n~" + tag.
QString GridKey(const QString& gridName, int tag, int n);

// The keys and values that store `columns`.
QList<GridEntry> EncodeGridLayout(const QString& gridName, int tag, const QList<GridColumn>& columns);

// Reads a grid's layout through `read` (key → value, "err" when missing),
// following the continuation markers. Columns whose width is no number end
// the reading; nothing at all when the first key is missing.
std::optional<QList<GridColumn>> DecodeGridLayout(const QString& gridName, int tag,
                                                  const std::function<QString(const QString& key)>& read);

}  // namespace kvzt::data
