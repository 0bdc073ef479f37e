// The income duplicate review, offscreen: marks by every command and key and
// the count that enables "Выполнить", the close question, the free column
// order kept with the grid layout, "Выполнить" through the real inclusion of
// a Win 3.2 source (rows left keep the window open), and the statement views
// following the grid with their red and maroon captions.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "data/data_module.h"
#include "data/settings_file.h"
#include "data/ui/form_layout.h"
#include "data/ui/grid_type_ahead.h"
#include "data/ui/question_dialog.h"
#include "data/ui/table_model.h"
#include "duplicates/income_sources.h"
#include "duplicates/ui/proc_sved_window.h"
#include "duplicates/ui/sved_dbl_window.h"
#include "duplicates/ui/sved_rec_view.h"
#include "engine/dbf_file.h"
#include "engine/session.h"
#include "engine/table.h"
#include "support/qt_app_support.h"
#include "support/catalogue_database.h"
#include "support/test_support.h"

using namespace kvzt;
using duplicates::ui::TfmSvedDbl;
using duplicates::ui::TfmSvedProc;
using test::keyClick;
using test::showActive;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

bool waitFor(const std::function<bool()>& condition, int ms = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

struct Dup {
    const char* fio;
    const char* iddok;    // the stored twin's document number
    const char* iddokI;   // the imported one
    const char* idwinI;   // the imported statement's Id in the Win 3.2 source
    const char* mes = "111111000000";
    double totsummat = 0;
    double sovdoh1 = 0;
};

struct Review {
    test::CatalogueDatabase db;
    test::TempDir ini;
    test::TempDir src;
    std::unique_ptr<data::TdmKVZT> dm;
    int asked = 0;
    int answer = data::kAnswerYes;
    QStringList warnings;
    QStringList errors;

    Review() {
        test::qtApp();
        data::OpenSettings(QString::fromStdString(ini.file("KvZt32")));
        dm = std::make_unique<data::TdmKVZT>(*db.session, data::TdmKVZT::Connect::Later);
    }
    ~Review() {
        dm.reset();
        data::CloseSettings();
    }

    void addStatement(const char* id, const char* iddok, const char* fio, engine::Date dsved = {2001, 2, 3}) {
        auto t = db.session->openTable("VX_B", "SvBase32");
        t->append();
        t->setString("ID", id);
        t->setString("IDDOK", iddok);
        t->setInteger("NOM", 7);
        t->setString("FIO", fio);
        t->setString("MES", "000000000000");
        t->setDate("DSVED", dsved);
        t->post();
    }
    void addDup(const Dup& d) {
        auto t = db.session->openTable("VX_S", "SvB_32");
        t->append();
        t->setString("FIO", d.fio);
        t->setString("IDDOK", d.iddok);
        t->setString("IDDOK_I", d.iddokI);
        t->setString("IDWIN_I", d.idwinI);
        t->setInteger("NOM", 7);
        t->setString("MES", d.mes);
        t->setFloat("TOTSUMMAT", d.totsummat);
        t->setFloat("SOVDOH1", d.sovdoh1);
        t->setFloat("SGDSUM", 1500.5);
        t->setDate("DSVED", {2002, 3, 4});
        t->post();
    }
    // Win 3.2 source tables with one income per imported statement Id.
    void makeWinSources(const std::vector<std::string>& ids) {
        const auto names = duplicates::IncomeSourceNames(import::SourceKind::Win32);
        const auto path = [&](const char* name) { return src.file(std::string(name) + ".dbf"); };
        engine::DbfFile::create(path(names.incomes),
                                {{"ID", 'C', 9, 0}, {"KOD", 'C', 4, 0}, {"SUM", 'N', 15, 0}, {"KODSK", 'C', 2, 0},
                                 {"SK", 'N', 11, 0}},
                                0);
        engine::DbfFile::create(path(names.deductions), {{"ID", 'C', 9, 0}, {"KOD", 'C', 2, 0}, {"SUM", 'N', 10, 2}}, 0);
        engine::DbfFile::create(path(names.objects), {{"ID", 'C', 9, 0}, {"NAME", 'C', 150, 0}}, 0);
        auto in = engine::Table::open(path(names.incomes), engine::OpenMode::Shared,
                                      duplicates::IncomeSourceCodePage(import::SourceKind::Win32));
        for (const std::string& id : ids) {
            in->append();
            in->setString("ID", id);
            in->setString("KOD", "2000");
            in->setFloat("SUM", 100);
            in->post();
        }
        in->close();
        duplicates::SetIncomeSources(*dm, QString::fromStdString(src.path()), import::SourceKind::Win32);
    }

    // INCL of every duplicate by FIO, as read from disk.
    std::map<std::string, std::string> marks() {
        auto t = db.session->openTable("VX_S", "SvB_32", engine::OpenMode::ReadOnly);
        std::map<std::string, std::string> m;
        for (t->first(); !t->eof(); t->next()) m[t->asString("FIO")] = t->asString("INCL");
        return m;
    }

    std::unique_ptr<TfmSvedDbl> window(quint8 kind = 3) {
        auto w = std::make_unique<TfmSvedDbl>(*dm, kind);
        w->ask = [this](const QString&, const QString& second, const QString&, bool) {
            ++asked;
            EXPECT_EQ(second, u("Вы действительно хотите закрыть форму?"));
            return answer;
        };
        w->warn = [this](const QString& first, const QString& second) { warnings << first + "|" + second; };
        w->showError = [this](const QString& message) { errors << message; };
        return w;
    }
};

// Three duplicates, listed by name: Алексеев, Борисов, Иванов.
void addThree(Review& r) {
    r.addStatement("        1", "       1", "Алексеев А.А.");
    r.addStatement("        2", "       2", "Борисов Б.Б.");
    r.addStatement("        3", "       3", "Иванов И.И.");
    r.addDup({"Иванов И.И.", "       3", "      13", "      103"});
    r.addDup({"Алексеев А.А.", "       1", "      11", "      101"});
    r.addDup({"Борисов Б.Б.", "       2", "      12", "      102"});
}

QString rowFio(const TfmSvedDbl& w, int row) { return w.model()->index(row, 0).data().toString(); }

}  // namespace

TEST(IncomeReview, MarksByEveryCommandAndKeyAndTheCountThatEnablesExec) {
    Review r;
    addThree(r);
    auto w = r.window();
    showActive(*w);
    ASSERT_EQ(w->model()->rowCount(), 3);
    EXPECT_EQ(rowFio(*w, 0), u("Алексеев А.А."));
    EXPECT_FALSE(w->OKBtn->isEnabled());

    w->bbnReplAll->click();
    EXPECT_EQ(r.marks(), (std::map<std::string, std::string>{
                             {"Алексеев А.А.", "з"}, {"Борисов Б.Б.", "з"}, {"Иванов И.И.", "з"}}));
    EXPECT_TRUE(w->OKBtn->isEnabled());
    EXPECT_EQ(w->model()->index(2, 3).data().toString(), u("з"));  // the grid shows the new marks

    // Delete clears the current row only; the others keep "Выполнить" enabled.
    w->setCurrentRow(1);
    keyClick(w->dbgSvDubl, Qt::Key_Delete);
    EXPECT_EQ(r.marks()["Борисов Б.Б."], "");
    EXPECT_EQ(w->currentRow(), 1);
    EXPECT_TRUE(w->OKBtn->isEnabled());

    w->miAddAll->trigger();
    EXPECT_EQ(r.marks()["Борисов Б.Б."], "д");
    w->bbnCancAll->click();
    EXPECT_EQ(r.marks()["Иванов И.И."], "");
    EXPECT_FALSE(w->OKBtn->isEnabled());
    EXPECT_FALSE(w->miExec->isEnabled());

    // Insert "з", Alt+Insert "д", each on the current row.
    keyClick(w->dbgSvDubl, Qt::Key_Insert);
    EXPECT_EQ(r.marks()["Борисов Б.Б."], "з");
    EXPECT_TRUE(w->OKBtn->isEnabled());
    w->setCurrentRow(0);
    keyClick(w->bbnFind, Qt::Key_Insert, Qt::AltModifier);  // the window sees keys before its controls
    EXPECT_EQ(r.marks()["Алексеев А.А."], "д");

    // The double click clears a mark and counts again; on an unmarked row it does nothing.
    w->dbgSvDublDblClick();
    EXPECT_EQ(r.marks()["Алексеев А.А."], "");
    EXPECT_TRUE(w->OKBtn->isEnabled());
    w->setCurrentRow(1);
    w->miCanc->trigger();
    EXPECT_FALSE(w->OKBtn->isEnabled());
    w->setCurrentRow(2);
    w->dbgSvDublDblClick();
    EXPECT_EQ(r.marks()["Иванов И.И."], "");
    EXPECT_FALSE(w->OKBtn->isEnabled());

    // Ctrl+Enter with nothing marked runs nothing.
    keyClick(w->dbgSvDubl, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(r.errors.isEmpty());

    r.answer = data::kAnswerYes;
    w->reject();
}

TEST(IncomeReview, SurnameSearchAndTypeAhead) {
    Review r;
    addThree(r);
    auto w = r.window();
    showActive(*w);
    EXPECT_TRUE(w->findSurname(u("ив"), true));
    EXPECT_EQ(w->currentRow(), 2);
    // From the last row going down: not found, the row stays.
    EXPECT_FALSE(w->findSurname(u("ИВ"), true));
    EXPECT_EQ(w->currentRow(), 2);
    EXPECT_EQ(r.warnings, QStringList{u("Значение ИВ|Не найдено")});
    EXPECT_TRUE(w->findSurname(u("алек"), false));
    EXPECT_EQ(w->currentRow(), 0);

    keyClick(w->dbgSvDubl, Qt::Key_B);  // a Latin letter matches nothing and is dropped
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, u("Б"));
    QApplication::sendEvent(w->dbgSvDubl, &press);
    EXPECT_EQ(w->currentRow(), 1);
    EXPECT_EQ(data::TypeAheadText(), u("Б"));
    EXPECT_EQ(w->model()->headerData(0, Qt::Horizontal).toString(), u("Б"));
    keyClick(w->dbgSvDubl, Qt::Key_Tab);
    EXPECT_EQ(w->model()->headerData(0, Qt::Horizontal).toString(), u("Фамилия И.О."));
    // Bold silver titles on grey.
    const QHeaderView* titles = w->dbgSvDubl->horizontalHeader();
    EXPECT_TRUE(titles->font().bold());
    EXPECT_EQ(titles->palette().color(QPalette::ButtonText), QColor(192, 192, 192));
    EXPECT_EQ(titles->palette().color(QPalette::Button), QColor(128, 128, 128));
    w->reject();
}

TEST(IncomeReview, CloseAsksAndTheColumnOrderIsKept) {
    Review r;
    addThree(r);
    {
        auto w = r.window();
        showActive(*w);
        r.answer = data::kAnswerNo;
        keyClick(w->dbgSvDubl, Qt::Key_Escape);
        EXPECT_EQ(r.asked, 1);
        EXPECT_TRUE(w->isVisible());
        // The user may move "Отм." before the name; the window leaves it there.
        QHeaderView* header = w->dbgSvDubl->horizontalHeader();
        header->moveSection(3, 0);
        QApplication::processEvents();
        EXPECT_EQ(header->logicalIndex(0), 3);
        r.answer = data::kAnswerYes;
        w->bbnCancel->click();
        EXPECT_EQ(r.asked, 2);
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Rejected);
    }
    auto w = r.window();
    showActive(*w);
    const QHeaderView* header = w->dbgSvDubl->horizontalHeader();
    EXPECT_EQ(w->model()->headerData(header->logicalIndex(0), Qt::Horizontal, data::FieldNameRole).toString(),
              u("INCL"));
    EXPECT_EQ(w->model()->headerData(header->logicalIndex(1), Qt::Horizontal, data::FieldNameRole).toString(),
              u("FIO"));
    w->reject();
}

TEST(IncomeReview, ExecWritesTheMarkedRowsAndRowsLeftKeepTheWindowOpen) {
    Review r;
    addThree(r);
    r.makeWinSources({"      101", "      102", "      103"});
    auto w = r.window(3);
    QStringList procCaptions;
    w->runProcWindow = [&](TfmSvedProc& proc) {
        proc.showError = [&](QWidget*, const QString& message) { r.errors << message; };
        proc.show();
        EXPECT_TRUE(waitFor([&] { return proc.finished(); }));
        procCaptions << proc.bbnClose->text();
        EXPECT_EQ(proc.ggImp->value(), proc.ggImp->maximum());
        proc.bbnClose->click();
    };
    showActive(*w);
    // Иванов's stored twin is gone meanwhile: its "з" is skipped and stays.
    {
        auto sved = r.db.session->openTable("VX_B", "SvBase32");
        sved->setIndex("IDDOKX");
        ASSERT_TRUE(sved->findKey({engine::Value(std::string("       3"))}));
        sved->deleteRecord();
    }
    w->setCurrentRow(2);
    w->bbnReplClick();
    w->setCurrentRow(0);
    w->bbnReplClick();  // Алексеев replaces its twin
    w->setCurrentRow(1);
    w->bbnAddClick();   // Борисов is added
    w->OKBtnClick();
    EXPECT_EQ(procCaptions, QStringList{u("! Готово !")});
    EXPECT_TRUE(r.errors.isEmpty()) << r.errors.join('\n').toStdString();
    // Иванов could not be written: the window stays with it and its mark.
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(w->model()->rowCount(), 1);
    EXPECT_EQ(rowFio(*w, 0), u("Иванов И.И."));
    EXPECT_EQ(r.marks()["Иванов И.И."], "з");
    EXPECT_TRUE(w->OKBtn->isEnabled());

    // The replaced twin keeps its ID and takes the imported document number
    // and income; the added statement gets the next ID (the deleted twin's 3).
    std::map<std::string, std::string> iddokById;
    auto sved = r.db.session->openTable("VX_B", "SvBase32", engine::OpenMode::ReadOnly);
    for (sved->first(); !sved->eof(); sved->next()) iddokById[sved->asString("ID")] = sved->asString("IDDOK");
    EXPECT_EQ(iddokById, (std::map<std::string, std::string>{{"        1", "      11"},
                                                              {"        2", "       2"},
                                                              {"        3", "      12"}}));
    auto incomes = r.db.session->openTable("VX_B", "Doxod22", engine::OpenMode::ReadOnly);
    int count = 0;
    for (incomes->first(); !incomes->eof(); incomes->next()) ++count;
    EXPECT_EQ(count, 2);

    // Everything marked is written: the window closes without a question.
    w->bbnAddAllClick();
    const int asked = r.asked;
    w->OKBtnClick();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_EQ(r.asked, asked);
    EXPECT_TRUE(r.marks().empty());
}

TEST(IncomeReview, ViewsFollowTheGridAndColourTheirCaptions) {
    Review r;
    r.addStatement("        1", "       1", "Алексеев А.А.");
    r.addStatement("        2", "       2", "Борисов Б.Б.", {});
    r.addDup({"Алексеев А.А.", "       1", "      11", "", "111111000000", 0, 250});
    r.addDup({"Борисов B.B.", "       2", "      12", "", "000000000000", 0, 0});  // Latin initials
    r.addDup({"Иванов И.И.", "       9", "      13", "", "000000000000", 5, 0});   // its twin is gone
    auto w = r.window();
    showActive(*w);
    EXPECT_EQ(w->model()->index(0, 2).data().toString(), u("03.02.2001"));
    EXPECT_EQ(w->model()->index(1, 1).data().toString(), u("04.03.2002"));
    EXPECT_EQ(w->model()->index(2, 2).data().toString(), QString());

    auto* fmI = w->fmSvedRecI;
    auto* fmS = w->fmSvedRecS;
    const auto colour = [](QWidget* label) { return label->palette().color(QPalette::WindowText); };
    w->bnImp->click();
    w->bnNp->click();
    ASSERT_TRUE(fmI->isVisible() && fmS->isVisible());
    EXPECT_EQ(fmI->edFIO->text(), u("Алексеев А.А."));
    EXPECT_EQ(fmI->edIDDOK->text(), u("       1"));
    EXPECT_EQ(fmI->edDSVED->text(), u("04.03.2002"));
    EXPECT_EQ(fmI->edSovDoh[0]->text(), u("250"));
    EXPECT_EQ(fmI->sumEdits.at(u("SGDSUM"))->text(), u("1500,5"));
    for (int i = 0; i < 12; ++i) EXPECT_EQ(fmI->sbnMonth[size_t(i)]->isChecked(), i < 6) << i;
    EXPECT_EQ(colour(fmI->lbFIO), QColor(Qt::black));
    EXPECT_EQ(colour(fmI->lbPeriod), QColor(Qt::white));
    EXPECT_EQ(colour(fmI->lbSovDoh), QColor(Qt::white));
    EXPECT_EQ(fmS->edDSVED->text(), u("03.02.2001"));
    // The stored statement has no month marked and no income: maroon.
    EXPECT_EQ(colour(fmS->lbPeriod), QColor(128, 0, 0));
    EXPECT_EQ(colour(fmS->lbSovDoh), QColor(128, 0, 0));

    w->setCurrentRow(1);
    EXPECT_EQ(fmI->edFIO->text(), u("Борисов B.B."));
    EXPECT_EQ(colour(fmI->lbFIO), QColor(Qt::red));
    EXPECT_EQ(colour(fmI->lbPeriod), QColor(128, 0, 0));
    EXPECT_EQ(fmS->edFIO->text(), u("Борисов Б.Б."));
    EXPECT_EQ(fmS->edDSVED->text(), QString());

    // A material benefit keeps both captions white.
    w->setCurrentRow(2);
    EXPECT_EQ(colour(fmI->lbPeriod), QColor(Qt::white));
    EXPECT_EQ(colour(fmI->lbSovDoh), QColor(Qt::white));
    EXPECT_EQ(fmS->edFIO->text(), QString());  // no stored twin

    // A hidden view does not follow; showing it brings it up to date.
    fmI->OKBtn->click();
    EXPECT_FALSE(fmI->isVisible());
    w->setCurrentRow(0);
    EXPECT_EQ(fmI->edFIO->text(), u("Иванов И.И."));
    fmI->show();
    EXPECT_EQ(fmI->edFIO->text(), u("Алексеев А.А."));

    // Closing the review closes the views.
    w->reject();
    EXPECT_FALSE(fmI->isVisible());
}

// Pictures of the review and its two views for a look by eye; only when
// KVZT_SHOT_DIR names a directory.
TEST(IncomeReview, Screenshots) {
    const QString dir = qEnvironmentVariable("KVZT_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "KVZT_SHOT_DIR not set";
    Review r;
    addThree(r);
    auto w = r.window();
    showActive(*w);
    w->setCurrentRow(1);
    w->bbnReplClick();
    w->setCurrentRow(2);
    w->bbnAddClick();
    w->setCurrentRow(0);
    w->bnImp->click();
    w->bnNp->click();
    QApplication::processEvents();
    QDir().mkpath(dir);
    EXPECT_TRUE(w->grab().save(dir + "/income_review.png"));
    EXPECT_TRUE(w->fmSvedRecI->grab().save(dir + "/income_view_imported.png"));
    EXPECT_TRUE(w->fmSvedRecS->grab().save(dir + "/income_view_stored.png"));
    w->reject();
}

// Source tables that are gone: the error reaches the error box, the marked
// row stays with its mark, and the window can be closed.
TEST(IncomeReview, AnInclusionErrorIsShownAndTheWindowCanBeClosed) {
    Review r;
    addThree(r);
    duplicates::SetIncomeSources(*r.dm, QString::fromStdString(r.src.path()), import::SourceKind::Win32);
    auto w = r.window(3);
    QString procError;
    bool closed = false;
    w->runProcWindow = [&](TfmSvedProc& proc) {
        proc.showError = [&](QWidget*, const QString& message) { procError = message; };
        proc.show();
        EXPECT_TRUE(waitFor([&] { return proc.finished(); }));
        EXPECT_NE(proc.bbnClose->text(), u("! Готово !"));
        proc.bbnClose->click();
        closed = !proc.isVisible();
    };
    showActive(*w);
    w->bbnReplClick();
    w->OKBtnClick();
    EXPECT_FALSE(procError.isEmpty());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(r.marks()["Алексеев А.А."], "з");
    r.answer = data::kAnswerYes;
    w->reject();
}

// "? Стоп ?" during the run: the row being written is finished, the rest stay
// with their marks, the warning is shown and the window closes.
TEST(IncomeReview, StopBetweenRows) {
    Review r;
    addThree(r);
    r.makeWinSources({"      101"});
    {
        auto w = r.window();
        w->bbnAddAllClick();
        w->reject();
    }
    duplicates::IncomeInclusionRequest request;
    request.kind = import::SourceKind::Win32;
    TfmSvedProc* window = nullptr;
    request.hooks.afterRow = [&](int done) {
        if (done == 1) window->bbnClose->click();
    };
    TfmSvedProc proc(*r.dm, request);
    window = &proc;
    QStringList warnings;
    proc.warn = [&](const QString& first, const QString& second) { warnings << first + "|" + second; };
    proc.show();
    EXPECT_TRUE(waitFor([&] { return proc.finished(); }));
    EXPECT_EQ(warnings, QStringList{u("Процесс включения остановлен пользователем|")});
    EXPECT_FALSE(proc.isVisible());
    EXPECT_EQ(proc.inclusionResult().added, 1);
    EXPECT_EQ(r.marks().size(), 2u);
}
