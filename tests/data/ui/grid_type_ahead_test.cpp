// The type-ahead search in a grid title, offscreen: Cyrillic characters move
// to the first matching name whatever its letter case and show in the title
// on the given colours; a character that matches nothing is dropped;
// Backspace shortens without moving; other keys, Esc and a move by the user
// end the search and give the title back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

#include <memory>
#include <string>

#include "data/ui/grid_type_ahead.h"
#include "data/ui/table_model.h"
#include "engine/database.h"
#include "engine/table.h"
#include "support/qt_app_support.h"
#include "support/test_support.h"

using kvzt::data::GridTypeAhead;
using kvzt::data::TypeAheadColumn;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// A key as the keyboard gives it: the character's text with its key code.
bool type(QTableView* grid, const QString& character, const TypeAheadColumn& column) {
    const int key = character.isEmpty() ? 0 : int(character.at(0).toUpper().unicode());
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, character);
    return GridTypeAhead(event, grid, column);
}

bool press(QTableView* grid, Qt::Key key, const QString& text, const TypeAheadColumn& column) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    return GridTypeAhead(event, grid, column);
}

class TypeAhead : public ::testing::Test {
protected:
    void SetUp() override {
        kvzt::test::qtApp();
        dir = std::make_unique<kvzt::engine::Database>("T", dirPath.path(), kvzt::engine::CodePage::Cp1251);
        dir->createTable("names", {{"FAM", 'C', 25, 0, 0}, {"FIOI", 'C', 40, 0, 0}});
        table = dir->openTable("names");
        for (const char* name : {"Абрамов", "петров", "иванов", "Иваненко", "Яковлев"}) {
            table->append();
            table->setString("FAM", name);
            table->setString("FIOI", std::string(name) + " И.О.");
            table->post();
        }
        table->first();
        std::vector<kvzt::data::TableColumn> columns{
            {QStringLiteral("FIOI"), u("Фамилия И.О."), Qt::AlignLeft, {}},
            {QStringLiteral("NOM"), u("Номер"), Qt::AlignRight, {}},
        };
        model = std::make_unique<kvzt::data::TableModel>(table.get(), std::move(columns));
        grid.setModel(model.get());
        grid.setSelectionBehavior(QAbstractItemView::SelectRows);
        grid.setColumnWidth(0, 180);
        grid.setCurrentIndex(model->index(0, 1));
        kvzt::test::showActive(grid);
    }
    void TearDown() override { kvzt::data::EndTypeAhead(); }

    QString title() const { return model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(); }
    int row() const { return grid.currentIndex().row(); }

    QApplication& app = kvzt::test::qtApp();  // before any widget
    kvzt::test::TempDir dirPath;
    std::unique_ptr<kvzt::engine::Database> dir;
    std::unique_ptr<kvzt::engine::Table> table;
    std::unique_ptr<kvzt::data::TableModel> model;
    QTableView grid;
    TypeAheadColumn column{QStringLiteral("FAM"), QStringLiteral("FIOI"), 40, QColor(255, 255, 0), Qt::black};
};

}  // namespace

TEST_F(TypeAhead, CyrillicCharactersFindTheFirstNameInAnyCaseAndShowInTheTitle) {
    EXPECT_TRUE(type(&grid, u("и"), column));
    EXPECT_EQ(row(), 2);  // "иванов": the first in grid order beginning with "И"
    EXPECT_EQ(grid.currentIndex().column(), 0);  // the title's column is selected
    EXPECT_TRUE(type(&grid, u("В"), column));
    EXPECT_EQ(row(), 2);  // it already matches: no move
    EXPECT_EQ(title(), u("иВ"));
    EXPECT_TRUE(kvzt::data::TypeAheadActive());

    const QVariant background = model->headerData(0, Qt::Horizontal, Qt::BackgroundRole);
    const QVariant foreground = model->headerData(0, Qt::Horizontal, Qt::ForegroundRole);
    EXPECT_EQ(background.value<QBrush>().color(), QColor(255, 255, 0));
    EXPECT_EQ(foreground.value<QBrush>().color(), QColor(Qt::black));

    // "ИВАНЕ" is only matched by the later record.
    for (const char* c : {"А", "Н", "Е"}) EXPECT_TRUE(type(&grid, u(c), column));
    EXPECT_EQ(row(), 3);
    EXPECT_EQ(title(), u("иВАНЕ"));

    // A character that matches nothing is dropped again; the record stays.
    EXPECT_TRUE(type(&grid, u("Щ"), column));
    EXPECT_EQ(title(), u("иВАНЕ"));
    EXPECT_EQ(row(), 3);

    // Backspace shortens the title without moving.
    EXPECT_TRUE(press(&grid, Qt::Key_Backspace, u("\b"), column));
    EXPECT_EQ(title(), u("иВАН"));
    EXPECT_EQ(row(), 3);
}

TEST_F(TypeAhead, EndingTheSearchGivesTheTitleBack) {
    const int width = grid.columnWidth(0);
    ASSERT_TRUE(type(&grid, u("П"), column));
    EXPECT_EQ(row(), 1);

    // A modifier alone (Shift for a capital) changes nothing.
    EXPECT_FALSE(press(&grid, Qt::Key_Shift, QString(), column));
    EXPECT_EQ(title(), u("П"));

    // Tab: the search ends and the key goes on.
    EXPECT_FALSE(press(&grid, Qt::Key_Tab, u("\t"), column));
    EXPECT_FALSE(kvzt::data::TypeAheadActive());
    EXPECT_EQ(title(), u("Фамилия И.О."));
    EXPECT_FALSE(model->headerData(0, Qt::Horizontal, Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model->headerData(0, Qt::Horizontal, Qt::ForegroundRole).isValid());
    EXPECT_EQ(grid.columnWidth(0), width);

    // Esc ends it and is consumed; Backspace with no search is passed on.
    ASSERT_TRUE(type(&grid, u("Я"), column));
    EXPECT_TRUE(press(&grid, Qt::Key_Escape, u("\x1b"), column));
    EXPECT_EQ(title(), u("Фамилия И.О."));
    EXPECT_FALSE(press(&grid, Qt::Key_Backspace, u("\b"), column));

    // Backspace over the last character ends the search.
    ASSERT_TRUE(type(&grid, u("А"), column));
    EXPECT_TRUE(press(&grid, Qt::Key_Backspace, u("\b"), column));
    EXPECT_FALSE(kvzt::data::TypeAheadActive());
    EXPECT_EQ(title(), u("Фамилия И.О."));

    // A first character that matches nothing leaves no search behind.
    EXPECT_TRUE(type(&grid, u("Ъ"), column));
    EXPECT_FALSE(kvzt::data::TypeAheadActive());
    EXPECT_EQ(title(), u("Фамилия И.О."));
}

TEST_F(TypeAhead, TheSearchSurvivesItsOwnMovesButNotTheUsers) {
    // A window ends the search whenever the current row changes.
    QObject::connect(grid.selectionModel(), &QItemSelectionModel::currentRowChanged,
                     [] { kvzt::data::EndTypeAhead(); });
    ASSERT_TRUE(type(&grid, u("Я"), column));
    EXPECT_EQ(row(), 4);
    EXPECT_EQ(title(), u("Я"));  // moved by the search itself: still on

    grid.setCurrentIndex(model->index(0, 0));
    EXPECT_FALSE(kvzt::data::TypeAheadActive());
    EXPECT_EQ(title(), u("Фамилия И.О."));
}

TEST_F(TypeAhead, AFullTitleTakesNoMoreCharacters) {
    column.titleWidth = 3;
    for (const char* c : {"И", "В", "А"}) ASSERT_TRUE(type(&grid, u(c), column));
    EXPECT_EQ(title(), u("ИВА"));
    EXPECT_TRUE(type(&grid, u("Н"), column));  // consumed and ignored
    EXPECT_EQ(title(), u("ИВА"));
    EXPECT_TRUE(kvzt::data::TypeAheadActive());
    EXPECT_EQ(row(), 2);
}
