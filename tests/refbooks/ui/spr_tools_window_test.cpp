// The reference-book tuning window, offscreen: its three modes, the marking
// keys and buttons, the flag button that follows the selected entry, the
// cell colours and the layouts each mode keeps for itself.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QHelpEvent>
#include <QTableView>
#include <QToolTip>

#include <memory>
#include <vector>

#include "data/settings_file.h"
#include "data/table_component.h"
#include "data/ui/form_layout.h"
#include "data/ui/table_model.h"
#include "engine/session.h"
#include "engine/table.h"
#include "support/qt_app_support.h"
#include "refbooks/ui/spr_tools_window.h"
#include "refbooks/usage_flags.h"
#include "schema/reference_books.h"
#include "support/catalogue_database.h"
#include "support/test_support.h"

using kvzt::refbooks::ui::TfmSprTools;
using kvzt::test::keyClick;
using kvzt::test::mouseClick;
using kvzt::test::showActive;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// A scratch database with the three books filled from the shipped data (or
// left empty) and a settings file of its own.
struct Books {
    kvzt::test::CatalogueDatabase db;
    kvzt::test::TempDir iniDir;
    QStringList errors;

    explicit Books(bool fill = true) {
        kvzt::test::qtApp();
        if (fill) {
            const QString dir = QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks");
            for (const char* name : {"kldoc30", "kldox31", "klvic30"}) {
                kvzt::schema::FillReferenceBook(*db.session, "VX_S", QString::fromLatin1(name).toUpper() + ".DBF",
                                                dir + "/" + name + ".csv");
            }
        }
        kvzt::data::OpenSettings(QString::fromStdString(iniDir.file("KvZt32")));
    }
    ~Books() { kvzt::data::CloseSettings(); }

    std::unique_ptr<TfmSprTools> window(quint8 mode) {
        auto w = std::make_unique<TfmSprTools>(*db.session, mode);
        w->setErrorHandler([this](const QString& message) { errors << message; });
        return w;
    }

    // The flags of a book as a fresh cursor reads them from disk, in key order.
    std::vector<bool> stored(quint8 mode) {
        const auto& book = kvzt::refbooks::UsageBookOf(mode);
        auto t = db.session->openTable("VX_S", book.tableName, kvzt::engine::OpenMode::ReadOnly);
        t->setIndex(book.tag);
        std::vector<bool> flags;
        for (t->first(); !t->eof(); t->next()) flags.push_back(t->asBoolean("USED"));
        return flags;
    }
};

int currentRow(const TfmSprTools& w) { return w.dbgSpr->currentIndex().row(); }

void selectRow(TfmSprTools& w, int row) { w.dbgSpr->setCurrentIndex(w.model()->index(row, 0)); }

bool rowUsed(const TfmSprTools& w, int row) {
    return w.model()->index(row, 0).data(kvzt::data::RowValueRole).toBool();
}

// A double click in the middle of a row's name cell.
void doubleClickRow(QTableView* view, int row) {
    kvzt::test::doubleClickCell(view, row, 1);
}

// Whether any pixel of the area has the colour of flagged text (yellow) or
// of plain text (silver); antialiased edges are left out by the thresholds.
struct TextColours {
    bool yellow = false;
    bool silver = false;
};

TextColours textColoursIn(const QImage& image, const QRect& area) {
    TextColours found;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() < 80) found.yellow = true;
            if (c.red() > 150 && qAbs(c.red() - c.green()) < 16 && qAbs(c.red() - c.blue()) < 16) found.silver = true;
        }
    }
    return found;
}

}  // namespace

TEST(SprToolsWindow, EachModeListsItsBookUnderItsCaption) {
    Books books;
    const struct {
        quint8 mode;
        const char* caption;
        const char* codeField;
        const char* nameField;
        const char* firstCode;
    } modes[] = {
        {0, "Справочник - Документы, удостоверяющие личность", "CODE", "NAMEM", "01"},
        {1, "Справочник - Виды доходов", "KOD", "NAME", "1010"},
        {2, "Справочник - Виды вычетов", "KOD", "NAME", "01"},
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(int(m.mode));
        auto w = books.window(m.mode);
        EXPECT_EQ(w->windowTitle(), u(m.caption));
        EXPECT_EQ(kvzt::data::WidgetTag(w.get()), m.mode);
        EXPECT_EQ(kvzt::data::WidgetTag(w->dbgSpr), m.mode);
        EXPECT_EQ(w->currentTable().name(), QString::fromLatin1(kvzt::refbooks::UsageBookOf(m.mode).componentName));

        const QAbstractItemModel* model = w->dbgSpr->model();
        ASSERT_EQ(model->columnCount(), 3);
        const QStringList titles = {u("Код"), u("Наименование"), u("Использ.")};
        const QStringList fields = {QString::fromLatin1(m.codeField), QString::fromLatin1(m.nameField),
                                    QStringLiteral("SUSED")};
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
            EXPECT_EQ(model->headerData(c, Qt::Horizontal, kvzt::data::FieldNameRole).toString(), fields[c]);
        }
        EXPECT_EQ(w->dbgSpr->columnWidth(0), 42);
        EXPECT_EQ(w->dbgSpr->columnWidth(1), 300);
        EXPECT_EQ(size_t(model->rowCount()), books.stored(m.mode).size());
        EXPECT_EQ(model->index(0, 0).data().toString(), QString::fromLatin1(m.firstCode));
        EXPECT_EQ(model->index(0, 2).data().toString(), u("*****"));
    }
}

TEST(SprToolsWindow, DoubleClickInsertAndSpaceEachToggleOnce) {
    Books books;
    auto w = books.window(2);
    showActive(*w);
    ASSERT_EQ(currentRow(*w), 0);
    std::vector<bool> expected = books.stored(2);
    const int last = int(expected.size()) - 1;
    ASSERT_GE(last, 3);

    doubleClickRow(w->dbgSpr, 0);
    expected[0] = !expected[0];
    EXPECT_EQ(books.stored(2), expected);
    EXPECT_EQ(currentRow(*w), 0);
    EXPECT_EQ(w->dbgSpr->model()->index(0, 2).data().toString(), u("     "));

    keyClick(w->dbgSpr, Qt::Key_Insert);
    expected[0] = !expected[0];
    EXPECT_EQ(books.stored(2), expected);
    EXPECT_EQ(currentRow(*w), 1);

    keyClick(w->dbgSpr, Qt::Key_Space);
    expected[1] = !expected[1];
    EXPECT_EQ(books.stored(2), expected);
    EXPECT_EQ(currentRow(*w), 2);

    // The preview sees Space before a focused button: the entry toggles and
    // the button is not pressed.
    keyClick(w->bbnUnSelAll, Qt::Key_Space);
    expected[2] = !expected[2];
    EXPECT_EQ(books.stored(2), expected);
    EXPECT_EQ(currentRow(*w), 3);

    // On the last entry the toggle happens and the selection stays.
    selectRow(*w, last);
    keyClick(w->dbgSpr, Qt::Key_Space);
    expected[size_t(last)] = !expected[size_t(last)];
    EXPECT_EQ(books.stored(2), expected);
    EXPECT_EQ(currentRow(*w), last);
    EXPECT_TRUE(books.errors.isEmpty());
}

TEST(SprToolsWindow, KeypadPlusAndMinusSwitchTheWholeBook) {
    Books books;
    auto w = books.window(1);
    showActive(*w);
    selectRow(*w, 5);
    const size_t count = books.stored(1).size();

    keyClick(w->dbgSpr, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(books.stored(1), std::vector<bool>(count, false));
    EXPECT_EQ(currentRow(*w), 5);
    EXPECT_FALSE(rowUsed(*w, 0));

    // The "+" of the main keyboard is no marking key.
    keyClick(w->dbgSpr, Qt::Key_Plus);
    EXPECT_EQ(books.stored(1), std::vector<bool>(count, false));

    keyClick(w->dbgSpr, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(books.stored(1), std::vector<bool>(count, true));
    EXPECT_EQ(currentRow(*w), 5);
    EXPECT_TRUE(rowUsed(*w, int(count) - 1));
}

TEST(SprToolsWindow, TheFlagButtonFollowsTheSelectedEntry) {
    Books books;
    auto w = books.window(0);
    showActive(*w);
    // At first the first entry is selected and in use.
    EXPECT_TRUE(w->bbnEdit->isHidden());
    EXPECT_FALSE(w->bbnEdNot->isHidden());
    EXPECT_EQ(w->bbnEdNot->text(), u("Исключить"));
    EXPECT_EQ(w->bbnEdNot->toolTip(), u("Исключить из использования"));

    mouseClick(w->bbnEdNot);
    EXPECT_FALSE(books.stored(0)[0]);
    EXPECT_FALSE(w->bbnEdit->isHidden());
    EXPECT_TRUE(w->bbnEdNot->isHidden());
    EXPECT_TRUE(w->dbgSpr->hasFocus());

    // Moving between an entry out of use and one in use swaps the buttons.
    keyClick(w->dbgSpr, Qt::Key_Down);
    EXPECT_TRUE(w->bbnEdit->isHidden());
    keyClick(w->dbgSpr, Qt::Key_Up);
    EXPECT_TRUE(w->bbnEdNot->isHidden());

    mouseClick(w->bbnEdit);
    EXPECT_TRUE(books.stored(0)[0]);
    EXPECT_TRUE(w->bbnEdit->isHidden());

    mouseClick(w->bbnUnSelAll);
    EXPECT_EQ(books.stored(0), std::vector<bool>(books.stored(0).size(), false));
    EXPECT_FALSE(w->bbnEdit->isHidden());
    EXPECT_TRUE(w->bbnEdNot->isHidden());

    mouseClick(w->bbnSelAll);
    EXPECT_EQ(books.stored(0), std::vector<bool>(books.stored(0).size(), true));
    EXPECT_TRUE(w->bbnEdit->isHidden());
    EXPECT_FALSE(w->bbnEdNot->isHidden());
    EXPECT_EQ(currentRow(*w), 0);
}

TEST(SprToolsWindow, AnEmptyBookStaysEmptyAndTheWindowUsable) {
    Books books(false);
    auto w = books.window(1);
    showActive(*w);
    EXPECT_EQ(w->dbgSpr->model()->rowCount(), 0);

    mouseClick(w->bbnSelAll);
    keyClick(w->dbgSpr, Qt::Key_Space);
    keyClick(w->dbgSpr, Qt::Key_Insert);
    doubleClickRow(w->dbgSpr, 0);
    keyClick(w->dbgSpr, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(books.stored(1).empty());
    EXPECT_TRUE(w->bbnEdit->isHidden());
    EXPECT_TRUE(w->bbnEdNot->isHidden());
    EXPECT_TRUE(books.errors.isEmpty());

    keyClick(w->dbgSpr, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Rejected);
}

TEST(SprToolsWindow, EachModeKeepsItsOwnWindowAndGridLayout) {
    Books books;
    const struct {
        quint8 mode;
        QSize size;
        int nameWidth;
    } layouts[] = {{0, {600, 420}, 250}, {1, {500, 300}, 180}, {2, {640, 380}, 330}};
    for (const auto& l : layouts) {
        auto w = books.window(l.mode);
        showActive(*w);
        w->resize(l.size);
        w->dbgSpr->setColumnWidth(1, l.nameWidth);
        mouseClick(w->bbnExit);
        EXPECT_FALSE(w->isVisible());
    }
    const QString ini = QString::fromStdString(kvzt::test::readFile(books.iniDir.file("KvZt32.ini")));
    for (const char* key : {"fmSprTools0=", "fmSprTools1=", "fmSprTools2=", "dbgSpr0=", "dbgSpr1=", "dbgSpr2="}) {
        EXPECT_TRUE(ini.contains(QString::fromLatin1(key))) << key;
    }
    for (const auto& l : layouts) {
        SCOPED_TRACE(int(l.mode));
        auto w = books.window(l.mode);
        EXPECT_EQ(w->size(), l.size);
        EXPECT_EQ(w->dbgSpr->columnWidth(1), l.nameWidth);
        EXPECT_EQ(w->dbgSpr->model()->headerData(2, Qt::Horizontal).toString(), u("Использ."));
    }
}

TEST(SprToolsWindow, CellsAreColouredBySelectionAndFlag) {
    Books books;
    auto w = books.window(2);
    showActive(*w);
    // Entry 0 out of use, entry 1 in use and selected.
    w->bbnEditClick();
    selectRow(*w, 1);
    QApplication::processEvents();

    const QImage image = w->dbgSpr->viewport()->grab().toImage();
    const QRect plainCode = w->dbgSpr->visualRect(w->model()->index(0, 0));
    const QRect selectedCode = w->dbgSpr->visualRect(w->model()->index(1, 0));
    EXPECT_EQ(image.pixelColor(plainCode.topLeft() + QPoint(1, 1)), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(image.pixelColor(selectedCode.topLeft() + QPoint(1, 1)), QColor(0x00, 0x80, 0x80));

    const TextColours plain = textColoursIn(image, w->dbgSpr->visualRect(w->model()->index(0, 1)));
    EXPECT_TRUE(plain.silver);
    EXPECT_FALSE(plain.yellow);
    const TextColours flagged = textColoursIn(image, w->dbgSpr->visualRect(w->model()->index(1, 1)));
    EXPECT_TRUE(flagged.yellow);
    EXPECT_FALSE(flagged.silver);
    // The flag column of an entry out of use is blank.
    const TextColours blankFlag = textColoursIn(image, w->dbgSpr->visualRect(w->model()->index(0, 2)));
    EXPECT_FALSE(blankFlag.silver || blankFlag.yellow);
}

// A name longer than its column shows whole as a tooltip over its cell; a
// code that fits shows none.
TEST(SprToolsWindow, ANameCutByTheColumnShowsWholeAsATooltip) {
    Books books;
    auto w = books.window(1);
    showActive(*w);
    QAbstractItemModel* model = w->dbgSpr->model();
    w->dbgSpr->setColumnWidth(1, 120);  // as a user may narrow it
    int longRow = -1;
    const QFontMetrics metrics(w->dbgSpr->font());
    for (int r = 0; r < model->rowCount() && longRow < 0; ++r)
        if (metrics.horizontalAdvance(model->index(r, 1).data().toString()) > w->dbgSpr->columnWidth(1)) longRow = r;
    ASSERT_GE(longRow, 0) << "no income name is longer than its column";
    w->dbgSpr->scrollTo(model->index(longRow, 1));
    const auto tipAt = [&](int row, int column) {
        QToolTip::hideText();
        const QRect cell = w->dbgSpr->visualRect(model->index(row, column));
        QHelpEvent help(QEvent::ToolTip, cell.center(), w->dbgSpr->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(w->dbgSpr->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_TRUE(tipAt(longRow, 0).isEmpty());
    EXPECT_EQ(tipAt(longRow, 1), model->index(longRow, 1).data().toString());
    QToolTip::hideText();
}
