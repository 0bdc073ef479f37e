// The taxpayer-list inclusion: "д" rows numbered after the highest NOM in
// name order, "з" rows overwriting their twin, rows that stay, the stop, and
// a failure inside a row that must leave nothing half-written.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_module.h"
#include "duplicates/list_inclusion.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/catalogue_database.h"
#include "support/inclusion_progress.h"

using namespace kvzt;
using namespace kvzt::duplicates;

namespace {

using Progress = test::InclusionProgressDouble;

struct Person {
    const char* fam;
    const char* name;
    engine::Date born;
};

class ListInclusionTest : public ::testing::Test {
protected:
    ListInclusionTest() : dm(*db.session, data::TdmKVZT::Connect::Later) {}

    void addStored(int nom, const char* fam) {
        auto t = db.session->openTable("VX_B", "Spisok32");
        t->append();
        t->setInteger("NOM", nom);
        t->setString("FAM", fam);
        t->setString("NAME", "Пётр");
        t->setDate("DATEROG", {1960, 1, 2});
        t->setString("INNFL", "111111111111");
        t->setBoolean("ISSPRAV", true);
        t->post();
    }

    void addDuplicate(const char* incl, int nom, const Person& p) {
        auto t = db.session->openTable("VX_S", "Spis_D32");
        t->append();
        t->setString("INCL", incl);
        t->setInteger("NOM", nom);
        t->setString("FAM", p.fam);
        t->setString("NAME", p.name);
        t->setString("OTC", "Ильич");
        if (!p.born.isNull()) t->setDate("DATEROG", p.born);
        t->setString("INNFL", "772233445566");
        t->setString("ADRES", "123456,77,,Москва г,,Тверская ул,1,,,");
        t->setBoolean("ISKART", true);
        t->setString("TABNMB", "T-17");
        t->post();
    }

    // NOM → FAM of the list, in NOM order.
    std::vector<std::pair<long long, std::string>> list() {
        auto t = db.session->openTable("VX_B", "Spisok32", engine::OpenMode::ReadOnly);
        t->setIndex("NOMX");
        std::vector<std::pair<long long, std::string>> rows;
        for (t->first(); !t->eof(); t->next()) rows.emplace_back(t->asInteger("NOM"), t->asString("FAM"));
        return rows;
    }

    // FAM + INCL of the duplicates left, in name order.
    std::vector<std::string> duplicatesLeft() {
        auto t = db.session->openTable("VX_S", "Spis_D32", engine::OpenMode::ReadOnly);
        t->setIndex("FIOX");
        std::vector<std::string> rows;
        for (t->first(); !t->eof(); t->next()) rows.push_back(t->asString("FAM") + "/" + t->asString("INCL"));
        return rows;
    }

    void expectSound(const char* alias, const char* table) {
        auto t = db.session->openTable(alias, table, engine::OpenMode::ReadOnly);
        for (const engine::TagReport& r : engine::verifyTable(*t))
            EXPECT_TRUE(r.problems.empty()) << table << " " << r.tag << ": " << r.problems.front();
    }

    InclusionResult run(Progress& progress, InclusionHooks hooks = {}) {
        return RunListInclusion(dm, {nullptr, hooks}, progress);
    }

    test::CatalogueDatabase db;
    data::TdmKVZT dm;
};

TEST_F(ListInclusionTest, AddedRowsTakeTheNextNumbersInNameOrder) {
    addStored(12, "Старый");
    addStored(57, "Последний");
    addDuplicate("д", 12, {"Яковлев", "Яков", {}});
    addDuplicate("д", 57, {"Борисов", "Борис", {1970, 5, 6}});
    addDuplicate("д", 12, {"Иванов", "Иван", {1980, 7, 8}});

    Progress progress;
    const InclusionResult r = run(progress);
    ASSERT_FALSE(r.error) << r.errorText().toStdString();
    EXPECT_TRUE(r.completed());
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.left(), 0);
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.position, 3);

    const std::vector<std::pair<long long, std::string>> expected = {
        {12, "Старый"}, {57, "Последний"}, {58, "Борисов"}, {59, "Иванов"}, {60, "Яковлев"}};
    EXPECT_EQ(list(), expected);
    EXPECT_TRUE(duplicatesLeft().empty());
    // The component was closed before the run and is closed again; opened
    // afterwards it is on its usual tag.
    EXPECT_FALSE(dm.tbSpisok.active());
    expectSound("VX_B", "Spisok32");
}

TEST_F(ListInclusionTest, ReplaceOverwritesTheTwinAndOtherRowsStay) {
    addStored(12, "Старый");
    addDuplicate("з", 12, {"Новый", "Николай", {}});     // twin 12: written
    addDuplicate("з", 99, {"Безтвина", "Павел", {}});    // no twin: stays
    addDuplicate(" ", 12, {"Бланк", "Борис", {}});       // a blank is no mark
    addDuplicate("x", 12, {"Другая", "Дарья", {}});      // another mark: stays
    dm.tbSpisok.open();  // opened by the window before the run: stays open, back on FIOBORN

    Progress progress;
    const InclusionResult r = run(progress);
    ASSERT_FALSE(r.error) << r.errorText().toStdString();
    EXPECT_EQ(r.replaced, 1);
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(r.left(), 3);
    EXPECT_EQ(progress.position, 4);
    EXPECT_TRUE(dm.tbSpisok.active());
    EXPECT_EQ(dm.tbSpisok->indexName(), "FIOBORN");

    EXPECT_EQ(list(), (std::vector<std::pair<long long, std::string>>{{12, "Новый"}}));
    auto t = db.session->openTable("VX_B", "Spisok32", engine::OpenMode::ReadOnly);
    t->first();
    EXPECT_EQ(t->asString("NAME"), "Николай");
    EXPECT_EQ(t->asString("INNFL"), "772233445566");
    EXPECT_TRUE(t->asDate("DATEROG").isNull());  // the duplicate had no birth date
    EXPECT_FALSE(t->asBoolean("ISSPRAV"));
    EXPECT_TRUE(t->asBoolean("ISKART"));
    EXPECT_EQ(t->asString("TABNMB"), "T-17");

    EXPECT_EQ(duplicatesLeft(), (std::vector<std::string>{"Безтвина/з", "Бланк/", "Другая/x"}));
}

TEST_F(ListInclusionTest, StopLeavesTheRestMarked) {
    addStored(1, "Первый");
    addDuplicate("д", 1, {"Аа", "А", {}});
    addDuplicate("д", 1, {"Бб", "Б", {}});
    addDuplicate("д", 1, {"Вв", "В", {}});
    Progress progress;
    progress.stopAt = 1;
    const InclusionResult r = run(progress);
    EXPECT_TRUE(r.stoppedByUser);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.left(), 2);
    EXPECT_EQ(duplicatesLeft(), (std::vector<std::string>{"Бб/д", "Вв/д"}));
}

TEST_F(ListInclusionTest, FailureInsideARowLeavesNothingHalfWritten) {
    addStored(12, "Старый");
    addDuplicate("д", 12, {"Аа", "А", {}});
    addDuplicate("з", 12, {"Бб", "Б", {}});
    addDuplicate("д", 12, {"Вв", "В", {}});

    auto failAt = [](int failing) {
        InclusionHooks hooks;
        hooks.beforeCommit = [failing](int row) {
            if (row == failing) throw engine::EngineError(engine::code::Io, "сбой записи");
        };
        return hooks;
    };
    using List = std::vector<std::pair<long long, std::string>>;

    // The "з" row fails after its record was posted: the twin keeps its values.
    Progress first;
    const InclusionResult r1 = run(first, failAt(2));
    ASSERT_TRUE(r1.error);
    EXPECT_EQ(r1.failedRow, 2);
    EXPECT_EQ(r1.added, 1);
    EXPECT_NE(r1.errorText().indexOf(QStringLiteral("сбой записи")), -1);
    EXPECT_EQ(list(), (List{{12, "Старый"}, {13, "Аа"}}));
    EXPECT_EQ(duplicatesLeft(), (std::vector<std::string>{"Бб/з", "Вв/д"}));
    EXPECT_FALSE(dm.tbSpisok.active());
    EXPECT_FALSE(dm.dbKvZt().inTransaction());

    // The "д" row fails after its record was appended: no record 14.
    Progress second;
    const InclusionResult r2 = run(second, failAt(2));
    ASSERT_TRUE(r2.error);
    EXPECT_EQ(r2.replaced, 1);
    EXPECT_EQ(list(), (List{{12, "Бб"}, {13, "Аа"}}));
    EXPECT_EQ(duplicatesLeft(), (std::vector<std::string>{"Вв/д"}));
    expectSound("VX_B", "Spisok32");

    // Nothing is left locked or open: the row goes in on the next run.
    Progress third;
    ASSERT_FALSE(run(third).error);
    EXPECT_EQ(list(), (List{{12, "Бб"}, {13, "Аа"}, {14, "Вв"}}));
}

}  // namespace

TEST_F(ListInclusionTest, ADosDuplicateKeepsTheValuesItDoesNotCarry) {
    // A DOS 2.* source has no tax office, post, its date or personnel number:
    // "з" must not blank what the stored taxpayer has, but a value the
    // duplicate does carry is written.
    {
        auto t = db.session->openTable("VX_B", "Spisok32");
        t->append();
        t->setInteger("NOM", 12);
        t->setString("FAM", "Старый");
        t->setString("GNI", "7701");
        t->setString("DOLJN", "бухгалтер");
        t->setDate("DATADOLJN", {2001, 2, 3});
        t->setString("TABNMB", "45");
        t->setString("DNOM", "старый номер");
        t->post();
    }
    addDuplicate("з", 12, {"Новый", "Николай", {}});
    {
        auto t = db.session->openTable("VX_S", "Spis_D32");
        t->first();
        t->edit();
        t->setString("TABNMB", "");
        t->setString("DNOM", "");
        t->post();
    }
    Progress progress;
    ASSERT_FALSE(run(progress).error);
    auto t = db.session->openTable("VX_B", "Spisok32", engine::OpenMode::ReadOnly);
    t->first();
    EXPECT_EQ(t->asString("FAM"), "Новый");
    EXPECT_EQ(t->asString("GNI"), "7701");
    EXPECT_EQ(t->asString("DOLJN"), "бухгалтер");
    EXPECT_EQ(t->asDate("DATADOLJN"), (engine::Date{2001, 2, 3}));
    EXPECT_EQ(t->asString("TABNMB"), "45");
    EXPECT_EQ(t->asString("DNOM"), "");  // the other fields are written as the duplicate has them
}

TEST_F(ListInclusionTest, AFailureInsideAGatheredBatchKeepsTheRowsBeforeIt) {
    // All rows gathered into one transaction: the fourth fails, the first
    // three are written again and committed, the fourth and fifth stay.
    const char* names[] = {"Аа", "Бб", "Вв", "Гг", "Дд"};
    addStored(1, "Первый");
    for (const char* fam : names) addDuplicate("д", 1, {fam, "И", {}});
    InclusionHooks hooks;
    int calls = 0;
    hooks.beforeCommit = [&calls](int row) {
        ++calls;
        if (row == 4) throw engine::EngineError(engine::code::Io, "сбой записи");
    };
    Progress progress;
    const InclusionResult r = RunListInclusion(dm, {nullptr, hooks, 60000}, progress);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.failedRow, 4);
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.left(), 2);
    EXPECT_EQ(calls, 4 + 3);  // rows 1-3 were written twice
    using List = std::vector<std::pair<long long, std::string>>;
    EXPECT_EQ(list(), (List{{1, "Первый"}, {2, "Аа"}, {3, "Бб"}, {4, "Вв"}}));
    EXPECT_EQ(duplicatesLeft(), (std::vector<std::string>{"Гг/д", "Дд/д"}));
    EXPECT_FALSE(dm.dbKvZt().inTransaction());
    expectSound("VX_B", "Spisok32");
    expectSound("VX_S", "Spis_D32");
}
