// The classifier windows, offscreen. The region selection window: marks by
// every key and button, "Выполнить" enabled exactly when a region is marked,
// the marks cleared on every opening, the deletion mode's texts, the
// type-ahead in the name title, and what "Выполнить" runs after the file
// dialog and the questions. The run window: a small import to its end with
// "Закрыть" enabled, and an engine error that leaves it closable.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

#include "classifier/ui/imp_exec_window.h"
#include "classifier/ui/imp_kladr_window.h"
#include "classifier/ui/region_cell_delegate.h"
#include "data/data_module.h"
#include "data/settings_file.h"
#include "data/ui/grid_type_ahead.h"
#include "data/ui/table_model.h"
#include "engine/session.h"
#include "engine/table.h"
#include "support/qt_app_support.h"
#include "schema/reference_books.h"
#include "support/catalogue_database.h"
#include "support/test_support.h"

using namespace kvzt;
using classifier::ui::TfmImpExec;
using classifier::ui::TfmImpKladr;
using test::keyClick;
using test::showActive;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

bool waitFor(const std::function<bool()>& condition, int ms = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// A scratch database with the shipped regions and abbreviations, the data
// module connected, and a settings file of its own.
struct Regions {
    test::CatalogueDatabase db;
    test::TempDir ini;
    std::unique_ptr<data::TdmKVZT> dm;
    QStringList errors;

    Regions() {
        test::qtApp();
        const QString dir = QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks");
        schema::FillReferenceBook(*db.session, "VX_S", "K1REG.DBF", dir + "/k1reg.csv");
        schema::FillReferenceBook(*db.session, "VX_S", "K7SOCR.DBF", dir + "/k7socr.csv");
        data::OpenSettings(QString::fromStdString(ini.file("KvZt32")));
        dm = std::make_unique<data::TdmKVZT>(*db.session);
    }
    ~Regions() {
        dm.reset();
        data::CloseSettings();
    }

    // YES2INS of every region as read from disk, by region code.
    std::map<std::string, bool> marks() {
        auto t = db.session->openTable("VX_S", "K1REG", engine::OpenMode::ReadOnly);
        std::map<std::string, bool> m;
        for (t->first(); !t->eof(); t->next()) m[t->asString("KODREG")] = t->asBoolean("YES2INS");
        return m;
    }
    int markedCount() {
        int n = 0;
        for (const auto& [code, marked] : marks()) n += marked ? 1 : 0;
        return n;
    }
    void setFlag(const char* code, const char* field, bool value) {
        auto t = db.session->openTable("VX_S", "K1REG");
        for (t->first(); !t->eof(); t->next()) {
            if (t->asString("KODREG") == code) {
                t->edit();
                t->setBoolean(field, value);
                t->post();
            }
        }
    }

    // The window with its questions answered by the test.
    std::unique_ptr<TfmImpKladr> window(bool importMode) {
        auto w = std::make_unique<TfmImpKladr>(*dm, importMode);
        w->showError = [this](const QString& message) { errors << message; };
        return w;
    }
};

int currentRow(const TfmImpKladr& w) { return w.dbgImpKladr->currentIndex().row(); }
bool rowMarked(const TfmImpKladr& w, int row) {
    return classifier::ui::RegionMarked(w.model()->index(row, 0).data(data::RowValueRole));
}
QString title(const TfmImpKladr& w, int column) {
    return w.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void doubleClickRow(QTableView* view, int row) {
    test::doubleClickCell(view, row, 0);
}

void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, int(c.toUpper().unicode()), Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, int(c.toUpper().unicode()), Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
    QApplication::processEvents();
}

}  // namespace

TEST(KladrRegionWindow, OpeningClearsOldMarksAndEachModeHasItsTexts) {
    Regions r;
    r.setFlag("77", "YES2INS", true);
    r.setFlag("50", "YES2INS", true);
    r.setFlag("50", "YES", true);

    {
        auto w = r.window(false);
        showActive(*w);
        EXPECT_EQ(r.markedCount(), 0);
        EXPECT_FALSE(w->bbnImp->isEnabled());
        EXPECT_EQ(w->windowTitle(), u("Удалаение записей из установленного классификатора адресов (КЛАДР ОРЦИС)"));
        EXPECT_EQ(title(*w, 3), u("Установл."));
        EXPECT_EQ(title(*w, 4), u("Удален."));
        EXPECT_EQ(w->bbnImp->toolTip(), u("Выполнить удаление записей"));
        EXPECT_EQ(w->bbnSelAll->toolTip(), u("Включить все регионы для удаления"));
        w->bbnExitClick();
    }

    r.setFlag("66", "YES2INS", true);
    auto w = r.window(true);
    showActive(*w);
    EXPECT_EQ(r.markedCount(), 0);
    EXPECT_EQ(w->windowTitle(), u("Импорт классификатора адресов (КЛАДР ОРЦИС)"));
    // The deletion mode's layout was saved under the same key: the import
    // mode still calls its marks column "Импорт".
    const QStringList titles = {u("Наименование региона"), u("Код"), u("ГНИ"), u("Установл."), u("Импорт")};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(title(*w, c), titles[c]);
    EXPECT_EQ(w->bbnImp->toolTip(), u("Выполнить импорт"));

    // Rows in name order, with the calculated texts.
    ASSERT_GT(w->model()->rowCount(), 80);
    EXPECT_EQ(w->model()->index(0, 0).data().toString(), u("Адыгея  Респ"));
    EXPECT_EQ(w->model()->index(0, 3).data().toString(), u("     "));
    EXPECT_TRUE(r.errors.isEmpty());
}

TEST(KladrRegionWindow, EveryKeyAndButtonMarksAndExecuteFollowsTheMarks) {
    Regions r;
    auto w = r.window(true);
    showActive(*w);
    QTableView* grid = w->dbgImpKladr;
    const int rows = w->model()->rowCount();
    ASSERT_GT(rows, 3);
    EXPECT_TRUE(w->bbnEdit->isVisible());
    EXPECT_FALSE(w->bbnEdNot->isVisible());

    // Space: the first row is marked and the selection moves on.
    keyClick(grid, Qt::Key_Space);
    EXPECT_TRUE(rowMarked(*w, 0));
    EXPECT_EQ(currentRow(*w), 1);
    EXPECT_TRUE(w->bbnImp->isEnabled());
    EXPECT_EQ(r.markedCount(), 1);

    // Insert on the second row, from a button that has the focus.
    w->bbnSelAll->setFocus();
    keyClick(w->bbnSelAll, Qt::Key_Insert);
    EXPECT_TRUE(rowMarked(*w, 1));
    EXPECT_EQ(currentRow(*w), 2);
    EXPECT_EQ(r.markedCount(), 2);

    // Double click unmarks the first again; the buttons follow the selected row.
    doubleClickRow(grid, 0);
    EXPECT_FALSE(rowMarked(*w, 0));
    grid->setCurrentIndex(w->model()->index(1, 0));
    EXPECT_FALSE(w->bbnEdit->isVisible());
    EXPECT_TRUE(w->bbnEdNot->isVisible());
    w->bbnEdNot->click();
    EXPECT_FALSE(rowMarked(*w, 1));
    EXPECT_EQ(r.markedCount(), 0);
    EXPECT_FALSE(w->bbnImp->isEnabled());  // nothing marked any more
    EXPECT_TRUE(w->bbnEdit->isVisible());
    w->bbnEdit->click();
    EXPECT_TRUE(w->bbnImp->isEnabled());
    w->bbnEdit->click();  // now bbnEdNot's place; the toggle is the same
    EXPECT_FALSE(w->bbnImp->isEnabled());

    // Insert on the last row toggles it and stays there.
    grid->setCurrentIndex(w->model()->index(rows - 1, 0));
    keyClick(grid, Qt::Key_Insert);
    EXPECT_TRUE(rowMarked(*w, rows - 1));
    EXPECT_EQ(currentRow(*w), rows - 1);

    // Keypad "+" marks all, keypad "-" unmarks all; the selection stays.
    grid->setCurrentIndex(w->model()->index(5, 0));
    keyClick(grid, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(r.markedCount(), rows);
    EXPECT_TRUE(w->bbnImp->isEnabled());
    EXPECT_EQ(currentRow(*w), 5);
    keyClick(grid, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(r.markedCount(), 0);
    EXPECT_FALSE(w->bbnImp->isEnabled());
    // The main keyboard's "+" is no marking key.
    keyClick(grid, Qt::Key_Plus);
    EXPECT_EQ(r.markedCount(), 0);

    w->bbnSelAll->click();
    EXPECT_EQ(r.markedCount(), rows);
    EXPECT_TRUE(w->bbnImp->isEnabled());
    w->bbnUnSelAll->click();
    EXPECT_EQ(r.markedCount(), 0);
    EXPECT_FALSE(w->bbnImp->isEnabled());
    EXPECT_TRUE(r.errors.isEmpty());
}

// The colours of a row's text, as painted: marked rows yellow, installed
// ones aqua, the others silver; the selected row black when installed.
TEST(KladrRegionWindow, RowColoursTellTheRegionsState) {
    Regions r;
    r.setFlag("01", "YES", true);  // Адыгея, the first row
    r.setFlag("04", "YES", true);  // Алтай, the second row
    auto w = r.window(true);
    showActive(*w);
    QTableView* grid = w->dbgImpKladr;
    grid->setCurrentIndex(w->model()->index(2, 0));
    keyClick(grid, Qt::Key_Space);  // the third row marked; the fourth selected
    grid->setCurrentIndex(w->model()->index(1, 0));
    QApplication::processEvents();

    const QImage image = grid->viewport()->grab().toImage();
    const auto has = [&](int row, const QColor& colour) {
        const QRect cell = grid->visualRect(w->model()->index(row, 0));
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (qAbs(c.red() - colour.red()) < 20 && qAbs(c.green() - colour.green()) < 20 &&
                    qAbs(c.blue() - colour.blue()) < 20) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(has(0, QColor(0, 255, 255)));   // installed: aqua
    EXPECT_TRUE(has(1, QColor(0, 128, 128)));   // selected: teal ...
    EXPECT_TRUE(has(1, QColor(0, 0, 0)));       // ... and installed: black text
    EXPECT_TRUE(has(2, QColor(255, 255, 0)));   // marked: yellow
    EXPECT_FALSE(has(2, QColor(0, 255, 255)));
    EXPECT_TRUE(has(3, QColor(192, 192, 192)));  // neither: silver
    EXPECT_FALSE(has(3, QColor(255, 255, 0)));
}

TEST(KladrRegionWindow, TypingSearchesTheNamesInTheNameTitle) {
    Regions r;
    auto w = r.window(true);
    showActive(*w);
    QTableView* grid = w->dbgImpKladr;

    typeText(grid, u("мо"));
    const int row = currentRow(*w);
    ASSERT_GE(row, 0);
    EXPECT_TRUE(w->model()->index(row, 0).data().toString().startsWith(u("Мо")));
    EXPECT_EQ(title(*w, 0), u("мо"));
    EXPECT_EQ(w->model()->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
              QColor(255, 255, 0));

    // Leaving the grid gives the title back.
    w->bbnSelAll->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(data::TypeAheadActive());
    EXPECT_EQ(title(*w, 0), u("Наименование региона"));

    // So does moving to another region with the arrow keys.
    typeText(grid, u("А"));
    EXPECT_EQ(title(*w, 0), u("А"));
    keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(title(*w, 0), u("Наименование региона"));
}

TEST(KladrRegionWindow, ExecuteAsksForTheFilesAndRunsOnlyWhenAllowed) {
    Regions r;
    test::TempDir none, kladrOnly, both;
    QFile(QString::fromStdString(kladrOnly.file("KLADR.DBF"))).open(QIODevice::WriteOnly);
    QFile(QString::fromStdString(both.file("kladr.dbf"))).open(QIODevice::WriteOnly);
    QFile(QString::fromStdString(both.file("Street.dbf"))).open(QIODevice::WriteOnly);

    struct Run {
        QString directory;
        bool streets;
    };
    // The dialog opens in the VX_S directory, then in the folder last chosen.
    QString expectedFolder = QString::fromStdString(r.db.sprav.path());
    const auto attempt = [&](bool importMode, const QString& chosen, int answer, QStringList* said,
                             std::vector<Run>* runs) {
        auto w = r.window(importMode);
        w->chooseFile = [&](QFileDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), u("Выбор файла классификатора"));
            EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(expectedFolder).absolutePath());
            if (!chosen.isEmpty()) expectedFolder = QFileInfo(chosen).absolutePath();
            return chosen;
        };
        w->warn = [&](const QString& a, const QString& b) { *said << a << b; };
        w->ask = [&](const QString& a, const QString& b, const QString& q, bool withCancel) {
            *said << a << b << q;
            EXPECT_FALSE(withCancel);
            return answer;
        };
        w->runKladrExec = [&](const QString& directory, bool streets) { runs->push_back({directory, streets}); };
        showActive(*w);
        w->bbnSelAll->click();
        w->bbnImp->click();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Accepted);
    };

    QStringList said;
    std::vector<Run> runs;
    // A cancelled file dialog: no run, the marks stay as they were set.
    attempt(true, QString(), 1, &said, &runs);
    EXPECT_TRUE(said.isEmpty());
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(r.markedCount(), int(r.marks().size()));

    // No kladr.dbf beside the chosen file.
    attempt(true, QString::fromStdString(none.file("Street.dbf")), 1, &said, &runs);
    EXPECT_EQ(said, (QStringList{u("Отсутствует файл классификатора (Kladr.dbf)"), u("Импорт не возможен")}));
    EXPECT_TRUE(runs.empty());

    // No street.dbf: "Нет" runs nothing, "Да" runs without streets.
    const QStringList streetQuestion = {u("На указанном пути отсутствует классифи-"), u("катор улиц (файл street.dbf)"),
                                        u("Улицы не будут импортированы.  Продолжать?")};
    said.clear();
    attempt(true, QString::fromStdString(kladrOnly.file("KLADR.DBF")), 2, &said, &runs);
    EXPECT_EQ(said, streetQuestion);
    EXPECT_TRUE(runs.empty());
    said.clear();
    attempt(true, QString::fromStdString(kladrOnly.file("KLADR.DBF")), 1, &said, &runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(QDir(runs[0].directory).absolutePath(), QDir(QString::fromStdString(kladrOnly.path())).absolutePath());
    EXPECT_FALSE(runs[0].streets);

    // Both files: no question, streets on.
    said.clear();
    runs.clear();
    attempt(true, QString::fromStdString(both.file("kladr.dbf")), 2, &said, &runs);
    EXPECT_TRUE(said.isEmpty());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(runs[0].streets);

    // Deletion: one question; "Нет" runs nothing, "Да" runs with no directory.
    const QStringList deletionQuestion = {u("Вы уверены, что хотите удалить записи из классифи-"),
                                          u("катора для отмеченных регионов?"), u("Если уверены нажмите \"ДА\"")};
    said.clear();
    runs.clear();
    attempt(false, QString(), 2, &said, &runs);
    EXPECT_EQ(said, deletionQuestion);
    EXPECT_TRUE(runs.empty());
    attempt(false, QString(), 1, &said, &runs);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(runs[0].directory.isEmpty());
    EXPECT_TRUE(r.errors.isEmpty());
}

TEST(KladrExecWindow, ASmallImportRunsToItsEndAndEnablesClose) {
    Regions r;
    // The run may repair the source headers: it works on copies.
    test::TempDir source;
    for (const char* name : {"kladr.dbf", "street.dbf"}) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KVZT_SOURCE_DIR "/samples/kladr/small/") + name,
                                QString::fromStdString(source.file(name))));
    }
    r.setFlag("50", "YES2INS", true);

    bool checked = false;
    classifier::ui::RunKladrExec(*r.dm, QString::fromStdString(source.path()), true, nullptr, [&](TfmImpExec& w) {
        w.showError = [&](QWidget*, const QString& message) { r.errors << message; };
        EXPECT_EQ(w.windowTitle(), u("Выполнение импорта КЛАДР ОРЦИС"));
        EXPECT_FALSE(w.bbnClose->isEnabled());
        EXPECT_TRUE(w.request().kladrDir.endsWith(QLatin1Char('/')) || w.request().kladrDir.endsWith(QLatin1Char('\\')));
        ASSERT_TRUE(waitFor([&] { return w.finished(); }));
        EXPECT_FALSE(w.failed());
        EXPECT_TRUE(w.bbnClose->isEnabled());
        EXPECT_EQ(w.stFileName->text(), u("Импорт КЛАДР успешно выполнен"));
        EXPECT_EQ(w.ggImp->value(), w.ggImp->maximum());
        EXPECT_TRUE(w.isVisible());
        w.bbnClose->click();
        EXPECT_FALSE(w.isVisible());
        checked = true;
    });
    EXPECT_TRUE(checked);
    EXPECT_TRUE(r.errors.isEmpty());
    auto districts = r.db.session->openTable("VX_S", "K2RAI", engine::OpenMode::ReadOnly);
    int count = 0;
    for (districts->first(); !districts->eof(); districts->next()) ++count;
    EXPECT_EQ(count, 3);  // the districts of region 50 in the small sample
    EXPECT_EQ(r.markedCount(), 0);  // imported regions are no longer marked
}

TEST(KladrExecWindow, DeletionModeCaptionAndAnErrorLeavesTheWindowClosable) {
    Regions r;
    r.setFlag("77", "YES2INS", true);
    // Another cursor holds a classifier table: the run cannot take it.
    auto held = r.db.session->openTable("VX_S", "K6DOM", engine::OpenMode::Exclusive);

    bool checked = false;
    classifier::ui::RunKladrExec(*r.dm, u("   "), true, nullptr, [&](TfmImpExec& w) {
        w.showError = [&](QWidget*, const QString& message) { r.errors << message; };
        EXPECT_EQ(w.windowTitle(), u("Удаление записей из установленного КЛАДР"));
        EXPECT_TRUE(w.request().deletionMode());
        // Not closable while the run has not ended.
        QCloseEvent early;
        QApplication::sendEvent(&w, &early);
        EXPECT_FALSE(early.isAccepted());
        ASSERT_TRUE(waitFor([&] { return w.finished(); }));
        EXPECT_TRUE(w.failed());
        EXPECT_EQ(r.errors.size(), 1);
        EXPECT_FALSE(w.bbnClose->isEnabled());
        EXPECT_TRUE(w.close());
        EXPECT_FALSE(w.isVisible());
        checked = true;
    });
    EXPECT_TRUE(checked);
}
