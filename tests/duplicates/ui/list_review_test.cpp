// The taxpayer duplicate review, offscreen: marks by every command and key
// with the count that enables "Выполнить", the surname search both ways,
// the type-ahead in the name title, the column order that cannot be changed,
// the close question, "Выполнить" through the real inclusion run, and the
// person views' red captions. With KVZT_SHOTS set, pictures of the windows
// go to /tmp/kvzt-shots.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/data_module.h"
#include "data/settings_file.h"
#include "data/ui/table_model.h"
#include "duplicates/ui/find_text_dialog.h"
#include "duplicates/ui/list_review_window.h"
#include "duplicates/ui/person_view.h"
#include "duplicates/ui/person_views.h"
#include "duplicates/ui/proc_ind_window.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "support/qt_app_support.h"
#include "support/catalogue_database.h"
#include "support/test_support.h"

using namespace kvzt;
using duplicates::ui::TfmProcInd;
using duplicates::ui::TfmSpisDbl;
using test::keyClick;
using test::showActive;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

void typeChar(QWidget* target, const QString& character) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
    QApplication::sendEvent(target, &press);
    QApplication::processEvents();
}

QColor captionColour(const QWidget* caption) { return caption->palette().color(QPalette::WindowText); }

struct Dup {
    const char* fam;
    const char* incl = "";
    int nom = 0;
    std::function<void(engine::Table&)> more = {};
};

class ListReviewTest : public ::testing::Test {
protected:
    ListReviewTest() {
        test::qtApp();
        data::OpenSettings(QString::fromStdString(ini.file("KvZt32")));
        dm = std::make_unique<data::TdmKVZT>(*db.session);
    }
    ~ListReviewTest() override {
        window.reset();
        dm.reset();
        data::CloseSettings();
    }

    void addStored(int nom, const char* fam) {
        auto t = db.session->openTable("VX_B", "Spisok32");
        t->append();
        t->setInteger("NOM", nom);
        t->setString("FAM", fam);
        t->setString("NAME", "Пётр");
        t->setString("INNFL", "111111111111");
        t->post();
    }

    void addDups(const std::vector<Dup>& rows) {
        auto t = db.session->openTable("VX_S", "Spis_D32");
        for (const Dup& d : rows) {
            t->append();
            t->setString("FAM", d.fam);
            t->setString("NAME", "Иван");
            t->setString("OTC", "Ильич");
            t->setString("INCL", d.incl);
            t->setInteger("NOM", d.nom);
            t->setDate("DATEROG", {1970, 5, 6});
            t->setString("INNFL", "772233445566");
            t->setString("JOBSTATUS", "1");
            t->setString("STATUS", "1");
            if (d.more) d.more(*t);
            t->post();
        }
    }

    // INCL of the duplicates in name order ("-" for none).
    std::string marks() {
        auto t = db.session->openTable("VX_S", "Spis_D32", engine::OpenMode::ReadOnly);
        t->setIndex("FIOX");
        std::string s;
        for (t->first(); !t->eof(); t->next()) {
            const std::string m = t->asString("INCL");
            s += (m.empty() ? std::string("-") : m) + " ";
        }
        return s;
    }

    void open() {
        window = std::make_unique<TfmSpisDbl>(*dm);
        window->warn = [this](const QString& a, const QString& b) { warnings << a + "|" + b; };
        window->ask = [this](const QString&, const QString& b, const QString&, bool) {
            questions << b;
            return answer;
        };
        window->showError = [this](const QString& m) { errors << m; };
        showActive(*window);
    }

    int currentRow() const { return window->dbgDubl->currentIndex().row(); }
    void selectRow(int row) { window->dbgDubl->setCurrentIndex(window->model()->index(row, 0)); }
    QString titleOfNames() const {
        return window->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString();
    }

    test::CatalogueDatabase db;
    test::TempDir ini;
    std::unique_ptr<data::TdmKVZT> dm;
    std::unique_ptr<TfmSpisDbl> window;
    QStringList warnings, questions, errors;
    int answer = 1;
};

TEST_F(ListReviewTest, MarksByEveryCommandAndKeyEnableExecuteByTheCount) {
    addDups({{"Абрамов"}, {"Борисов"}, {"Васильев"}});
    open();
    EXPECT_FALSE(window->OKBtn->isEnabled());
    QWidget* grid = window->dbgDubl;

    window->bbnRepl->click();
    EXPECT_EQ(marks(), "з - - ");
    EXPECT_TRUE(window->OKBtn->isEnabled());
    EXPECT_EQ(currentRow(), 0);

    selectRow(1);
    keyClick(grid, Qt::Key_Insert, Qt::AltModifier);
    keyClick(grid, Qt::Key_Down);
    keyClick(grid, Qt::Key_Insert);
    EXPECT_EQ(marks(), "з д з ");
    EXPECT_EQ(window->model()->index(1, 2).data().toString(), u("д"));

    // Clearing one leaves the others: still enabled; clearing the last disables.
    keyClick(grid, Qt::Key_Delete);
    selectRow(0);
    window->bbnCanc->click();
    EXPECT_TRUE(window->OKBtn->isEnabled());
    selectRow(1);
    keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(marks(), "- - - ");
    EXPECT_FALSE(window->OKBtn->isEnabled());

    window->bbnReplAll->click();
    EXPECT_EQ(marks(), "з з з ");
    EXPECT_EQ(currentRow(), 1);  // the current row stays
    window->bbnAddAll->click();
    EXPECT_EQ(marks(), "д д д ");
    EXPECT_TRUE(window->OKBtn->isEnabled());

    // "Отмен. все вкл. " disables without counting.
    const int counted = window->countQueries();
    window->bbnCancAll->click();
    EXPECT_EQ(marks(), "- - - ");
    EXPECT_FALSE(window->OKBtn->isEnabled());
    EXPECT_EQ(window->countQueries(), counted);

    // A double click clears a mark, and does nothing on an unmarked row.
    emit window->dbgDubl->doubleClicked(window->model()->index(1, 0));
    EXPECT_EQ(window->countQueries(), counted);
    window->bbnAdd->click();
    emit window->dbgDubl->doubleClicked(window->model()->index(1, 0));
    EXPECT_EQ(marks(), "- - - ");
    EXPECT_FALSE(window->OKBtn->isEnabled());

    // The pop-up items run the same commands.
    for (QAction* a : window->pmFL->actions()) {
        if (a->objectName() == QLatin1String("miReplAll")) a->trigger();
    }
    EXPECT_EQ(marks(), "з з з ");
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

// A large review opens reading only the rows in view; "Заменить все" shows
// the new marks, reading again only what is in view.
TEST_F(ListReviewTest, LargeReviewReadsOnlyTheRowsInView) {
    constexpr int kDups = 3000;
    {
        std::vector<std::string> names;
        for (int n = 0; n < kDups; ++n) names.push_back("Фамилия" + std::to_string(10000 + n));
        std::vector<Dup> rows;
        for (const std::string& name : names) rows.push_back({name.c_str()});
        addDups(rows);
    }
    open();
    ASSERT_EQ(window->model()->rowCount(), kDups);
    const engine::Table& cursor = *window->model()->table();
    EXPECT_LT(cursor.recordsLoaded(), 300u);
    EXPECT_EQ(window->model()->index(0, 0).data().toString().left(12), u("Фамилия10000"));

    const std::uint64_t beforeMarks = cursor.recordsLoaded();
    window->bbnReplAll->click();
    EXPECT_EQ(window->model()->index(0, 2).data().toString(), u("з"));
    EXPECT_EQ(window->model()->index(0, 0).data(data::RowValueRole).toString(), u("з"));  // the colouring
    EXPECT_LT(cursor.recordsLoaded() - beforeMarks, 300u);
    // A row far below is read when it comes into view, with its new mark.
    selectRow(kDups - 1);
    EXPECT_EQ(window->model()->index(kDups - 1, 2).data().toString(), u("з"));
    EXPECT_TRUE(window->OKBtn->isEnabled());
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ListReviewTest, SurnameSearchFromFirstAndLastRow) {
    addDups({{"Борисов"}, {"  борисова"}, {"Сидоров"}});
    open();
    window->findSurname(u("бор"), true);
    EXPECT_EQ(currentRow(), 1);  // the starting row never counts, leading blanks are dropped
    EXPECT_TRUE(warnings.isEmpty());

    selectRow(2);
    window->findSurname(u("Сид"), true);  // the last row matches but is where we start
    EXPECT_EQ(currentRow(), 2);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], u("Значение Сид|Не найдено"));

    window->findSurname(u("БОРИСОВ"), false);
    EXPECT_EQ(currentRow(), 1);

    // F7 opens the dialog; its "Найти далее" searches down by default.
    keyClick(window->dbgDubl, Qt::Key_F7);
    ASSERT_TRUE(window->FindDlg->isVisible());
    selectRow(0);
    window->FindDlg->edText->setText(u("сидоров"));
    window->FindDlg->bnFindNext->click();
    EXPECT_EQ(currentRow(), 2);
}

TEST_F(ListReviewTest, EmptyTableKeepsExecuteDisabledAndSearchFindsNothing) {
    open();
    EXPECT_EQ(window->model()->rowCount(), 0);
    window->bbnReplAll->click();
    EXPECT_FALSE(window->OKBtn->isEnabled());
    window->findSurname(u("А"), true);
    EXPECT_EQ(warnings, QStringList{u("Значение А|Не найдено")});
}

TEST_F(ListReviewTest, TypeAheadInTheNameTitleAndColumnsThatCannotBeMoved) {
    addDups({{"Абрамов"}, {"иванов"}, {"Иволгин"}, {"Кузнецов"}});
    open();
    QWidget* grid = window->dbgDubl;
    typeChar(grid, u("И"));
    typeChar(grid, u("В"));
    EXPECT_EQ(currentRow(), 1);
    EXPECT_EQ(titleOfNames(), u("ИВ"));
    keyClick(grid, Qt::Key_Backspace);
    EXPECT_EQ(titleOfNames(), u("И"));
    EXPECT_EQ(currentRow(), 1);
    keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(titleOfNames(), u("Фамилия И.О."));
    // The names' title stays centred over their left-aligned text.
    const auto titleAlignment = window->model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_EQ(titleAlignment & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    QHeaderView* header = window->dbgDubl->horizontalHeader();
    const int widthOfNames = header->sectionSize(0);
    const int widthOfMarks = header->sectionSize(2);
    header->moveSection(2, 0);  // "Отм." dragged before "Фамилия И.О."
    for (int c = 0; c < 3; ++c) EXPECT_EQ(header->logicalIndex(c), c);
    EXPECT_EQ(header->sectionSize(0), widthOfNames);
    EXPECT_EQ(header->sectionSize(2), widthOfMarks);
}

TEST_F(ListReviewTest, CloseAsksFirst) {
    addDups({{"Абрамов"}});
    open();
    answer = 2;
    keyClick(window->dbgDubl, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    window->bbnCancel->click();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(questions[0], u("Вы действительно хотите закрыть форму?"));
    answer = 1;
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(questions.size(), 3);
}

TEST_F(ListReviewTest, ExecuteWritesTheMarkedRowsAndStaysOpenForRowsLeft) {
    addStored(12, "Петров");
    addDups({{"Алексеев", "д", 12}, {"Петров", "з", 12, [](engine::Table& t) { t.setString("OTC", "Новый"); }},
             {"Сёмин", "з", 99}, {"Яковлев"}});
    open();
    EXPECT_FALSE(window->OKBtn->isEnabled());  // the count runs only after a command
    window->bbnRepl->click();                  // row 0 was "д": now "з" over NOM 12 too
    window->bbnAdd->click();                   // and back to "д"
    QStringList procWarnings;
    bool sawDone = false;
    window->prepareProcInd = [&](TfmProcInd& p) {
        p.warn = [&](const QString& a, const QString&) { procWarnings << a; };
        p.showError = [&](QWidget*, const QString& m) { errors << m; };
        auto* poll = new QTimer(&p);
        QObject::connect(poll, &QTimer::timeout, &p, [&p, &sawDone] {
            if (!p.finished()) return;
            sawDone = p.bbnClose->text() == u("! Готово !") && p.ggImp->value() == p.ggImp->maximum();
            p.bbnClose->click();
        });
        poll->start(30);
    };
    keyClick(window->dbgDubl, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(sawDone);
    EXPECT_TRUE(procWarnings.isEmpty());
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();

    // The "з" row without a stored twin keeps its mark: the window stays open.
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->OKBtn->isEnabled());
    EXPECT_EQ(marks(), "з - ");
    EXPECT_EQ(window->model()->rowCount(), 2);
    auto list = db.session->openTable("VX_B", "Spisok32", engine::OpenMode::ReadOnly);
    list->setIndex("NOMX");
    std::vector<std::string> rows;
    for (list->first(); !list->eof(); list->next())
        rows.push_back(std::to_string(list->asInteger("NOM")) + list->asString("FAM") + list->asString("OTC"));
    EXPECT_EQ(rows, (std::vector<std::string>{"12ПетровНовый", "13АлексеевИльич"}));
    list.reset();

    // With nothing marked left after the run the window closes without asking.
    window->bbnCancAll->click();
    selectRow(1);
    window->bbnAdd->click();
    window->OKBtn->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(marks(), "- ");  // Сёмин, unmarked, stays
}

TEST_F(ListReviewTest, PersonViewsFollowTheGridAndColourInvalidCaptions) {
    addStored(12, "Петров");
    addDups({{"Alpha", "", 12,
              [](engine::Table& t) {
                  t.setString("INNFL", "");
                  t.setDate("DATEROG", {});
                  t.setString("JOBSTATUS", "3");
                  t.setString("STATUS", "2");
                  t.setString("STRCODE", "999");
              }},
             {"Борисов-Петров", "", 12, [](engine::Table& t) { t.setString("INNFL", "77223344556"); }}});
    open();
    auto& imported = duplicates::ui::fmIFLData();
    auto& stored = duplicates::ui::fmSFLData();
    const QColor red(255, 0, 0), black(0, 0, 0);

    window->bnImp->click();
    ASSERT_TRUE(imported.isVisible());
    EXPECT_EQ(imported.edFam->text(), u("Alpha"));
    EXPECT_EQ(captionColour(imported.gbFam), red);           // Latin letters
    EXPECT_EQ(captionColour(imported.lbBornDate), red);      // no date and no INN
    EXPECT_EQ(captionColour(imported.lbINN), black);         // an empty INN is allowed
    EXPECT_EQ(captionColour(imported.lbJobStatus), red);     // "3" shows nothing
    EXPECT_TRUE(imported.edJobStatus->text().isEmpty());
    EXPECT_EQ(imported.edStatus->text(), u("Нерезидент"));
    EXPECT_TRUE(imported.edCountry->text().isEmpty());       // no such country
    EXPECT_EQ(captionColour(imported.lbCountry1), red);
    EXPECT_EQ(captionColour(imported.lbCountry2), red);
    EXPECT_EQ(captionColour(imported.gbUdLich), red);        // no document, no INN

    // Moving in the grid refreshes the shown view.
    selectRow(1);
    EXPECT_EQ(imported.edFam->text(), u("Борисов-Петров"));
    EXPECT_EQ(captionColour(imported.gbFam), black);
    EXPECT_EQ(captionColour(imported.lbINN), red);           // 11 digits
    EXPECT_EQ(captionColour(imported.lbBornDate), black);
    EXPECT_EQ(captionColour(imported.lbCountry1), black);    // a resident
    EXPECT_EQ(imported.edJobStatus->text(), u("Основное"));

    // The stored view shows the twin (NOM 12) and holds the list open meanwhile.
    window->bnNp->click();
    ASSERT_TRUE(stored.isVisible());
    EXPECT_EQ(stored.edFam->text(), u("Петров"));
    EXPECT_EQ(stored.windowTitle(), u("Запись в базе данных программы \"Таксант\""));
    EXPECT_TRUE(dm->tbSpisok.active());

    if (qEnvironmentVariableIsSet("KVZT_SHOTS")) {
        QDir().mkpath(QStringLiteral("/tmp/kvzt-shots"));
        window->bbnReplAll->click();
        selectRow(0);
        window->grab().save(QStringLiteral("/tmp/kvzt-shots/list_review.png"));
        imported.grab().save(QStringLiteral("/tmp/kvzt-shots/person_imported.png"));
        stored.grab().save(QStringLiteral("/tmp/kvzt-shots/person_stored.png"));
        selectRow(1);
    }

    // Hidden views do not follow; the review hides both before it goes.
    stored.OKBtn->click();
    EXPECT_FALSE(stored.isVisible());
    EXPECT_FALSE(dm->tbSpisok.active());
    imported.hide();
    selectRow(0);
    EXPECT_EQ(imported.edFam->text(), u("Борисов-Петров"));
    imported.show();
    EXPECT_EQ(imported.edFam->text(), u("Alpha"));
    window.reset();
    EXPECT_FALSE(imported.isVisible());
}

// A click that comes through the window system, as a user's does: the
// toolkit drops it when a modal window other than the target's owner runs.
void systemClick(QWidget* target) {
    QWidget* top = target->window();
    ASSERT_TRUE(top->windowHandle());
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, target->mapTo(top, target->rect().center()));
    QApplication::processEvents();
}

// The views opened from a review that runs modally, as the program runs it:
// they take the user's clicks and keys, close, stand apart, and outlive it.
TEST_F(ListReviewTest, ViewsBesideARunningModalReviewTakeInputAndClose) {
    addStored(12, "Петров");
    addDups({{"Alpha", "", 12}});
    window = std::make_unique<TfmSpisDbl>(*dm);
    window->ask = [](const QString&, const QString&, const QString&, bool) { return 1; };
    auto& imported = duplicates::ui::fmIFLData();
    auto& stored = duplicates::ui::fmSFLData();
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        EXPECT_EQ(QApplication::activeModalWidget(), window.get());
        systemClick(window->bnImp);
        systemClick(window->bnNp);
        EXPECT_TRUE(imported.isVisible());
        ASSERT_TRUE(stored.isVisible());
        EXPECT_EQ(stored.edFam->text(), u("Петров"));
        EXPECT_NE(stored.pos(), imported.pos());

        systemClick(stored.OKBtn);
        EXPECT_FALSE(stored.isVisible()) << "\"Закрыть\" of a view beside a modal review";
        QTest::keyClick(imported.windowHandle(), Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_FALSE(imported.isVisible()) << "Esc in a view beside a modal review";

        systemClick(window->bnImp);
        EXPECT_TRUE(imported.isVisible());
        window->close();
    });
    window->exec();
    ASSERT_TRUE(ran);
    EXPECT_FALSE(imported.isVisible());
    EXPECT_EQ(imported.parentWidget(), nullptr);
    window.reset();
    // Still there for the next review.
    EXPECT_EQ(imported.windowTitle(), u("Импортируемая запись таксанта"));
}

// The process window alone, over its own cursor: a stop pressed during the
// first row leaves the rest with the warning and closes; an error is shown
// and the window stays until the user closes it.
TEST_F(ListReviewTest, ProcessWindowStopsBetweenRowsAndShowsErrors) {
    std::vector<Dup> rows;
    const char* names[] = {"Аа", "Бб", "Вв", "Гг", "Дд"};
    for (const char* n : names) rows.push_back({n, "д"});
    addDups(rows);
    {
        TfmProcInd p(*dm, nullptr);
        QStringList said;
        p.warn = [&](const QString& a, const QString& b) { said << a + "|" + b; };
        p.hooks.beforeCommit = [&](int row) {
            if (row == 1) p.bbnClose->click();
        };
        EXPECT_EQ(p.bbnClose->text(), u("? Стоп ?"));
        p.exec();
        EXPECT_EQ(said, QStringList{u("Процесс включения остановлен пользователем|")});
        EXPECT_TRUE(p.result().stoppedByUser);
        EXPECT_EQ(p.result().added, 1);
    }
    EXPECT_EQ(marks(), "д д д д ");
    {
        TfmProcInd p(*dm, nullptr);
        QStringList shown;
        p.showError = [&](QWidget*, const QString& m) { shown << m; };
        p.hooks.beforeCommit = [](int) { throw engine::EngineError(engine::code::InvalidState, "сбой записи"); };
        QTimer::singleShot(0, &p, [&p] { p.tmStart->setInterval(0); });
        auto* poll = new QTimer(&p);
        QObject::connect(poll, &QTimer::timeout, &p, [&p] {
            if (p.finished()) p.bbnClose->click();
        });
        poll->start(30);
        p.exec();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].contains(u("сбой записи"))) << shown[0].toStdString();
        EXPECT_NE(p.bbnClose->text(), u("! Готово !"));
    }
    EXPECT_EQ(marks(), "д д д д ");  // the failed row was rolled back
}

}  // namespace
