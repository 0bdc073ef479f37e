// The income inclusion: the document-number and ID rules, the replace case
// with its old detail rows, the dates that stay, the source rows of both
// kinds (read with their code pages), the stop, and failures inside a row.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/data_module.h"
#include "duplicates/income_inclusion.h"
#include "duplicates/income_sources.h"
#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "duplicates/income_test_sources.h"
#include "support/catalogue_database.h"
#include "support/inclusion_progress.h"

using namespace kvzt;
using namespace kvzt::duplicates;
using Strings = std::vector<std::string>;

namespace {

using Progress = test::InclusionProgressDouble;

struct Dup {
    const char* incl;
    const char* iddok;
    const char* iddokI;
    int nomdos = 0;
    const char* idwinI = "";
    engine::Date dsved{};
};

class IncomeInclusionTest : public ::testing::Test {
protected:
    IncomeInclusionTest() : dm(*db.session, data::TdmKVZT::Connect::Later) {}

    void addStatement(const char* id, const char* iddok, int nom = 1, engine::Date dsved = {2001, 2, 3}) {
        auto t = db.session->openTable("VX_B", "SvBase32");
        t->append();
        t->setString("ID", id);
        t->setString("IDDOK", iddok);
        t->setInteger("NOM", nom);
        t->setString("FIO", "Старый");
        t->setFloat("SUMRASH", 5.5);
        t->setDate("DSVED", dsved);
        t->setDate("DATAVID", {2001, 2, 4});
        t->post();
    }

    void addDetail(const char* table, const char* id, const char* kod) {
        auto t = db.session->openTable("VX_B", table);
        t->append();
        t->setString("ID", id);
        if (std::string(table) == "NH22")
            t->setString("NAME", kod);
        else
            t->setString("KOD", kod);
        t->post();
    }

    void addDup(const Dup& d) {
        auto t = db.session->openTable("VX_S", "SvB_32");
        t->append();
        t->setString("INCL", d.incl);
        t->setString("IDDOK", d.iddok);
        t->setString("IDDOK_I", d.iddokI);
        t->setFloat("NOMDOS", d.nomdos);
        t->setString("IDWIN_I", d.idwinI);
        t->setInteger("NOM", 7);
        t->setString("FIO", std::string("Новый ") + d.iddokI);
        t->setFloat("SGDSUM", 1234.5);
        t->setInteger("REESTRNMB", 42);
        if (!d.dsved.isNull()) t->setDate("DSVED", d.dsved);
        t->post();
    }

    // Source tables without a language driver, written in the kind's code page.
    void makeSources(import::SourceKind kind) {
        test::MakeIncomeSources(src.path(), kind);
        kind_ = kind;
        SetIncomeSources(dm, QString::fromStdString(src.path()), kind);
    }

    std::unique_ptr<engine::Table> source(const char* name) { return test::IncomeSource(src.path(), kind_, name); }

    void addSourceRows(const std::string& key, const char* kod, const char* ksk, const char* object) {
        test::AddIncomeSourceRows(src.path(), kind_, key, kod, ksk, object);
    }

    InclusionResult run(Progress& progress, InclusionHooks hooks = {}) {
        return RunIncomeInclusion(dm, {kind_, nullptr, hooks}, progress);
    }

    // "ID|IDDOK|FIO" of every statement in ID order.
    Strings statements() {
        auto t = db.session->openTable("VX_B", "SvBase32", engine::OpenMode::ReadOnly);
        t->setIndex("IDX");
        Strings rows;
        for (t->first(); !t->eof(); t->next())
            rows.push_back(t->asString("ID") + "|" + t->asString("IDDOK") + "|" + t->asString("FIO"));
        return rows;
    }

    // The rows of a detail table for `id`, in the table's file order:
    // KOD/KODSK for incomes, KOD for deductions, NAME for objects.
    Strings details(const char* table, const std::string& id) {
        auto t = db.session->openTable("VX_B", table, engine::OpenMode::ReadOnly);
        Strings rows;
        for (t->first(); !t->eof(); t->next()) {
            if (t->asString("ID") != id) continue;
            const std::string table_(table);
            if (table_ == "Doxod22")
                rows.push_back(t->asString("KOD") + "/" + t->asString("KODSK"));
            else if (table_ == "NH22")
                rows.push_back(t->asString("NAME"));
            else
                rows.push_back(t->asString("KOD"));
        }
        return rows;
    }

    int duplicatesLeft() {
        auto t = db.session->openTable("VX_S", "SvB_32", engine::OpenMode::ReadOnly);
        int n = 0;
        for (t->first(); !t->eof(); t->next()) ++n;
        return n;
    }

    void expectSound() {
        for (const char* table : {"SvBase32", "Doxod22", "Vicet22", "NH22"}) {
            auto t = db.session->openTable("VX_B", table, engine::OpenMode::ReadOnly);
            for (const engine::TagReport& r : engine::verifyTable(*t))
                EXPECT_TRUE(r.problems.empty()) << table << " " << r.tag << ": " << r.problems.front();
        }
    }

    test::CatalogueDatabase db;
    test::TempDir src;
    data::TdmKVZT dm;
    import::SourceKind kind_ = import::SourceKind::Dos2;
};

TEST_F(IncomeInclusionTest, AddedStatementTakesNextNumbersWhenItsDocumentNumberIsTaken) {
    makeSources(import::SourceKind::Dos2);
    addStatement("      120", "       7");
    addStatement("       15", "      41");
    addDup({"д", "       7", "       7", 5});
    addSourceRows("5", "1010", "", "Дом на Полянке");
    addSourceRows("6", "2020", "01", "Чужой дом");
    addSourceRows("5", "1020", "02", "Дача");

    Progress progress;
    const InclusionResult r = run(progress);
    ASSERT_FALSE(r.error) << r.errorText().toStdString();
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(statements(), (Strings{"       15|      41|Старый", "      120|       7|Старый",
                                     "      121|      42|Новый        7"}));
    // Every source row of Nom 5 in file order; an empty Ksk becomes "0".
    EXPECT_EQ(details("Doxod22", "      121"), (Strings{"1010/0", "1020/02"}));
    EXPECT_EQ(details("Vicet22", "      121"), (Strings{"10", "10"}));
    EXPECT_EQ(details("NH22", "      121"), (Strings{"Дом на Полянке", "Дача"}));
    EXPECT_EQ(duplicatesLeft(), 0);

    auto t = db.session->openTable("VX_B", "SvBase32", engine::OpenMode::ReadOnly);
    t->setIndex("IDX");
    t->last();
    EXPECT_EQ(t->asInteger("NOM"), 7);
    EXPECT_DOUBLE_EQ(t->asFloat("SGDSUM"), 1234.5);
    EXPECT_EQ(t->asInteger("REESTRNMB"), 42);
    EXPECT_TRUE(t->isNull("SUMRASH"));   // never written
    EXPECT_TRUE(t->asDate("DSVED").isNull());
    EXPECT_FALSE(dm.tbSved.active());
    expectSound();
}

TEST_F(IncomeInclusionTest, FirstStatementOfAnEmptyTable) {
    makeSources(import::SourceKind::Dos2);
    addDup({"д", "", "       7", 5});
    Progress progress;
    ASSERT_FALSE(run(progress).error);
    EXPECT_EQ(statements(), (Strings{"        1|       7|Новый        7"}));
}

TEST_F(IncomeInclusionTest, ReplacedStatementKeepsItsKeysAndGetsTheImportedRows) {
    makeSources(import::SourceKind::Dos2);
    addStatement("        3", "       9", 1, {2001, 2, 3});
    addStatement("        4", "      10");
    addDetail("Doxod22", "        3", "0001");
    addDetail("Doxod22", "        3", "ZZZZ");  // whatever its code, an old row goes
    addDetail("Vicet22", "        3", "01");
    addDetail("NH22", "        3", "Старый дом");
    addDetail("Doxod22", "        4", "0004");  // another statement's rows stay
    addDup({"з", "       9", "       9", 8});     // twin has IDDOK_I already; no DSVED
    addSourceRows("8", "3030", "05", "Новый дом");

    Progress progress;
    const InclusionResult r = run(progress);
    ASSERT_FALSE(r.error) << r.errorText().toStdString();
    EXPECT_EQ(r.replaced, 1);
    EXPECT_EQ(statements(), (Strings{"        3|       9|Новый        9", "        4|      10|Старый"}));
    EXPECT_EQ(details("Doxod22", "        3"), (Strings{"3030/05"}));
    EXPECT_EQ(details("Vicet22", "        3"), (Strings{"30"}));
    EXPECT_EQ(details("NH22", "        3"), (Strings{"Новый дом"}));
    EXPECT_EQ(details("Doxod22", "        4"), (Strings{"0004/"}));

    auto t = db.session->openTable("VX_B", "SvBase32", engine::OpenMode::ReadOnly);
    t->setIndex("IDX");
    t->first();
    EXPECT_EQ(t->asDate("DSVED"), (engine::Date{2001, 2, 3}));  // kept: the duplicate has none
    EXPECT_DOUBLE_EQ(t->asFloat("SUMRASH"), 5.5);                // not among the fields written
    expectSound();
}

TEST_F(IncomeInclusionTest, ReplacedStatementTakesTheImportedDocumentNumberOrTheNext) {
    makeSources(import::SourceKind::Dos2);
    addStatement("        1", "       9");
    addStatement("        2", "      20");
    addStatement("        3", "      30");
    addDup({"з", "       9", "      11", 1, "", {2005, 6, 7}});  // 11 is free: taken
    addDup({"з", "      20", "      30", 2});                    // 30 is taken: next after 30
    addDup({"з", "       9", "      12", 3});                    // twin 9 is gone by now: stays

    Progress progress;
    const InclusionResult r = run(progress);
    ASSERT_FALSE(r.error) << r.errorText().toStdString();
    EXPECT_EQ(r.replaced, 2);
    EXPECT_EQ(r.left(), 1);
    EXPECT_EQ(progress.position, 3);
    EXPECT_EQ(statements(), (Strings{"        1|      11|Новый       11", "        2|      31|Новый       30",
                                     "        3|      30|Старый"}));
    auto t = db.session->openTable("VX_B", "SvBase32", engine::OpenMode::ReadOnly);
    t->first();
    EXPECT_EQ(t->asDate("DSVED"), (engine::Date{2005, 6, 7}));
    EXPECT_EQ(duplicatesLeft(), 1);
}

TEST_F(IncomeInclusionTest, WinSourceRowsMatchTheImportedIdExactly) {
    makeSources(import::SourceKind::Win32);
    addDup({"д", "", "       1", 0, "        5"});
    addSourceRows("        5", "1111", "", "Квартира");
    addSourceRows("       50", "2222", "", "Не та");
    addSourceRows("5", "3333", "", "Не та");
    addSourceRows("        5", "4444", "07", "Гараж");

    Progress progress;
    ASSERT_FALSE(run(progress).error);
    EXPECT_EQ(details("Doxod22", "        1"), (Strings{"1111/0", "4444/07"}));
    EXPECT_EQ(details("NH22", "        1"), (Strings{"Квартира", "Гараж"}));
}

TEST_F(IncomeInclusionTest, UnmarkedRowsNeedNoSources) {
    // No source files at all: nothing marked, nothing read, nothing fails.
    addDup({" ", "", "       1", 1});
    addDup({"x", "", "       2", 1});
    Progress progress;
    const InclusionResult r = run(progress);
    ASSERT_FALSE(r.error) << r.errorText().toStdString();
    EXPECT_EQ(r.left(), 2);
    EXPECT_EQ(progress.position, 2);
}

TEST_F(IncomeInclusionTest, FailureInsideARowRollsTheWholeRowBack) {
    makeSources(import::SourceKind::Dos2);
    addStatement("        3", "       9");
    addDetail("Doxod22", "        3", "0001");
    addDetail("NH22", "        3", "Старый дом");
    addDup({"з", "       9", "       9", 8});
    addSourceRows("8", "3030", "05", "Новый дом");
    // A second income too wide for SUM: the engine refuses it half-way through
    // the row, after the old rows were deleted and the first new one appended.
    auto in = source("Doxod");
    in->append();
    in->setInteger("NOM", 8);
    in->setString("KOD", "4040");
    in->setFloat("SUM", 1e13);
    in->post();
    in->close();
    addDup({"д", "", "       2", 1});

    Progress progress;
    const InclusionResult r = run(progress);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.failedRow, 2);  // "д" (Новый 2) comes first by name and is written
    EXPECT_EQ(r.added, 1);
    EXPECT_FALSE(dm.dbKvZt().inTransaction());
    EXPECT_FALSE(dm.tbSved.active());
    EXPECT_TRUE(r.errorText().startsWith(QStringLiteral("Ошибка при включении записи 2: "))) << r.errorText().toStdString();
    EXPECT_NE(r.errorText().indexOf(QStringLiteral("0x2F03")), -1) << r.errorText().toStdString();
    EXPECT_EQ(statements(), (Strings{"        3|       9|Старый", "        4|       2|Новый        2"}));
    EXPECT_EQ(details("Doxod22", "        3"), (Strings{"0001/"}));
    EXPECT_EQ(details("NH22", "        3"), (Strings{"Старый дом"}));
    EXPECT_EQ(duplicatesLeft(), 1);
    expectSound();

    // A failure just before the commit, after the statement was posted.
    addDup({"д", "", "       5", 1});
    InclusionHooks hooks;
    hooks.beforeCommit = [](int) { throw engine::EngineError(engine::code::Io, "сбой записи"); };
    Progress again;
    const InclusionResult r2 = run(again, hooks);
    ASSERT_TRUE(r2.error);
    EXPECT_EQ(statements().size(), 2u);
    EXPECT_EQ(duplicatesLeft(), 2);
    expectSound();
}

}  // namespace
