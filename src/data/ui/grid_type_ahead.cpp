#include "data/ui/grid_type_ahead.h"

#include <QBrush>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QTableView>
#include <QVariant>

#include <string>

#include "data/ui/form_layout.h"
#include "data/ui/table_model.h"
#include "engine/code_page.h"
#include "engine/table.h"

namespace kvzt::data {

namespace {

// The one search of the program.
struct SearchState {
    bool on = false;
    bool moving = false;  // the search itself is moving the grid
    QPointer<QTableView> grid;
    int section = -1;
    QString text;
    // The column's title as it was before the search.
    QVariant caption;
    QVariant alignment;
    QVariant background;
    QVariant foreground;
    int width = 0;
};

SearchState& state() {
    static SearchState s;
    return s;
}

QString upper(const QString& text) { return QString::fromStdString(engine::upperUtf8(text.toStdString())); }

int sectionOf(const QAbstractItemModel& model, const QString& field) {
    for (int c = 0; c < model.columnCount(); ++c) {
        if (model.headerData(c, Qt::Horizontal, FieldNameRole).toString().compare(field, Qt::CaseInsensitive) == 0) {
            return c;
        }
    }
    return -1;
}

void endSearch() {
    SearchState& s = state();
    if (!s.on) return;
    s.on = false;
    s.text.clear();
    if (QTableView* grid = s.grid.data(); grid && grid->model() && s.section < grid->model()->columnCount()) {
        QAbstractItemModel* model = grid->model();
        model->setHeaderData(s.section, Qt::Horizontal, s.caption, Qt::DisplayRole);
        model->setHeaderData(s.section, Qt::Horizontal, s.alignment, Qt::TextAlignmentRole);
        model->setHeaderData(s.section, Qt::Horizontal, s.background, Qt::BackgroundRole);
        model->setHeaderData(s.section, Qt::Horizontal, s.foreground, Qt::ForegroundRole);
        grid->setColumnWidth(s.section, s.width);
    }
    s.grid.clear();
    s.section = -1;
}

void startSearch(QTableView* grid, int section) {
    SearchState& s = state();
    QAbstractItemModel* model = grid->model();
    s.grid = grid;
    s.section = section;
    s.caption = model->headerData(section, Qt::Horizontal, Qt::DisplayRole);
    s.alignment = model->headerData(section, Qt::Horizontal, Qt::TextAlignmentRole);
    s.background = model->headerData(section, Qt::Horizontal, Qt::BackgroundRole);
    s.foreground = model->headerData(section, Qt::Horizontal, Qt::ForegroundRole);
    s.width = grid->columnWidth(section);
    s.text.clear();
    model->setHeaderData(section, Qt::Horizontal, QString(), Qt::DisplayRole);
    s.on = true;
}

void showText(const TypeAheadColumn& column) {
    SearchState& s = state();
    QTableView* grid = s.grid.data();
    auto* model = static_cast<TableModel*>(grid->model());
    model->setHeaderData(s.section, Qt::Horizontal, s.text, Qt::DisplayRole);
    model->setHeaderData(s.section, Qt::Horizontal, QVariant::fromValue(model->column(s.section).alignment | Qt::AlignVCenter),
                         Qt::TextAlignmentRole);
    model->setHeaderData(s.section, Qt::Horizontal, QBrush(column.titleColour), Qt::BackgroundRole);
    model->setHeaderData(s.section, Qt::Horizontal, QBrush(column.titleFontColour), Qt::ForegroundRole);
}

// The grid's focus on the title column, in the current row.
void selectColumn(QTableView* grid, int section) {
    grid->setFocus();
    const int row = grid->currentIndex().isValid() ? grid->currentIndex().row() : 0;
    if (grid->model()->rowCount() > 0 && grid->currentIndex().column() != section) {
        grid->setCurrentIndex(grid->model()->index(row, section));
    }
}

// Whether the record's search field begins with `text`, ignoring case.
bool recordMatches(const engine::Table& table, const std::string& field, const QString& text) {
    const QString value = QString::fromStdString(table.asString(field));
    return upper(value.left(text.size())) == upper(text);
}

// The first row whose record matches; -1 when none does. The cursor is left
// where it was.
int firstMatchingRow(TableModel& model, const std::string& field, const QString& text) {
    engine::Table* table = model.table();
    const engine::Bookmark remembered = table->bookmark();
    int found = -1;
    for (int row = 0; row < model.rowCount() && found < 0; ++row) {
        if (model.seekRow(row) && recordMatches(*table, field, text)) found = row;
    }
    if (remembered.recno != 0) table->gotoBookmark(remembered);
    return found;
}

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

bool typeCharacter(QChar c, QTableView* grid, TableModel& model, int section, const TypeAheadColumn& column) {
    SearchState& s = state();
    selectColumn(grid, section);
    if (s.on && (s.grid != grid || s.section != section)) endSearch();
    if (!s.on) startSearch(grid, section);

    if (s.text.size() >= column.titleWidth) return true;  // the title is full: the character is ignored
    QString candidate = s.text + c;

    engine::Table* table = model.table();
    const std::string field = column.searchField.toStdString();
    const int current = grid->currentIndex().row();
    const bool currentMatches = model.seekRow(current) && recordMatches(*table, field, candidate);
    if (!currentMatches) {
        const int row = firstMatchingRow(model, field, candidate);
        if (row >= 0) {
            s.moving = true;
            grid->setCurrentIndex(model.index(row, section));
            grid->scrollTo(model.index(row, section));
            s.moving = false;
            model.seekRow(row);
        } else {
            candidate.chop(1);
        }
    }
    if (candidate.isEmpty()) {
        endSearch();
    } else {
        s.text = candidate;
        showText(column);
    }
    return true;
}

}  // namespace

bool GridTypeAhead(const QKeyEvent& key, QTableView* grid, const TypeAheadColumn& column) {
    if (isModifierKey(key.key())) return false;
    auto* model = grid ? dynamic_cast<TableModel*>(grid->model()) : nullptr;
    const int section = model ? sectionOf(*model, column.titleField) : -1;
    if (!model || !model->table() || section < 0) return false;

    SearchState& s = state();
    const QString text = key.text();
    if (key.key() == Qt::Key_Escape) {
        endSearch();
        return true;
    }
    if (key.key() == Qt::Key_Backspace) {
        if (!s.on) return false;  // an ordinary key: the search is off already
        selectColumn(grid, s.section);
        s.text.chop(1);
        if (s.text.isEmpty()) {
            endSearch();
        } else {
            showText(column);
        }
        return true;
    }
    if (text.size() == 1 && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127) {
        try {
            return typeCharacter(text.at(0), grid, *model, section, column);
        } catch (...) {
            s.moving = false;
            endSearch();
            throw;
        }
    }
    endSearch();
    return false;
}

void EndTypeAhead() {
    if (state().moving) return;
    endSearch();
}

bool TypeAheadActive() { return state().on; }

QString TypeAheadText() { return state().text; }

}  // namespace kvzt::data
