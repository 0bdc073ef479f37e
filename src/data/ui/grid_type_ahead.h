#pragma once
// Type-ahead search in a grid: characters typed over a grid collect in the
// title of one of its columns, and the grid moves to the first record whose
// search field begins with them (ignoring letter case). One search state is
// kept for the whole program: which grid and column show the text, and that
// column's title caption, alignment, colours and width as they were before,
// so that ending the search gives them back.
//
// The grid must be a QTableView over a data::TableModel; its cursor is read
// to compare the search field.

#include <QColor>
#include <QString>

class QKeyEvent;
class QTableView;

namespace kvzt::data {

struct TypeAheadColumn {
    QString searchField;  // the table field the typed text is compared with
    QString titleField;   // the column (by its field name) whose title shows the text
    int titleWidth = 0;   // the most characters the title takes
    QColor titleColour;   // the title's background while the search is on
    QColor titleFontColour;
};

// Hands one key to the search; true when the key was consumed.
// - A character (code 32 or above): focuses the grid on the title column,
//   extends the text by it and moves to the first matching record; when no
//   record matches the character is dropped again. The current record stays
//   when it already matches. Once the text holds titleWidth characters
//   further characters are ignored (the text is kept).
// - Backspace while the search is on: removes the last character without
//   moving; an emptied text ends the search.
// - Esc: ends the search.
// - Modifier keys alone (Shift, Ctrl …) are passed on and change nothing.
// - Any other key ends the search and is passed on.
bool GridTypeAhead(const QKeyEvent& key, QTableView* grid, const TypeAheadColumn& column);

// Ends the search: the column gets back its saved title, alignment, colours
// and width. Nothing when the search is off, and nothing while the search
// itself is moving the grid (so a window may call it from its "current row
// changed" handler).
void EndTypeAhead();

// Whether a search is on, and its text.
bool TypeAheadActive();
QString TypeAheadText();

}  // namespace kvzt::data
