#include <gtest/gtest.h>

#include <random>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/sql_statement.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

int codeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.code();
    }
    return 0;
}

}  // namespace

TEST(SqlStatement, TheStatementsTheProgramIssues) {
    auto update = std::get<SqlUpdateAll>(parseSqlStatement("UpDate Spis_D32 Set Incl=\"з\""));
    EXPECT_EQ(update.table, "Spis_D32");
    EXPECT_EQ(update.field, "Incl");
    EXPECT_EQ(update.value, "з");
    EXPECT_EQ(std::get<SqlUpdateAll>(parseSqlStatement("UpDate SvB_32 Set Incl=\"\"")).value, "");
    update = std::get<SqlUpdateAll>(parseSqlStatement("  update\n\tspis_d32.dbf  SET incl =  'a''b\"c' ;  "));
    EXPECT_EQ(update.table, "spis_d32.dbf");
    EXPECT_EQ(update.value, "a'b\"c");

    auto count = std::get<SqlCountNotEqual>(parseSqlStatement("SELECT Count(*) Qt From Spis_D32 Where Incl <> \"\""));
    EXPECT_EQ(count.column, "QT");
    EXPECT_EQ(count.table, "Spis_D32");
    EXPECT_EQ(count.field, "Incl");
    EXPECT_EQ(count.value, "");
    count = std::get<SqlCountNotEqual>(parseSqlStatement("select count ( * ) as n from SvB_32.DBF where INCL<>' '"));
    EXPECT_EQ(count.column, "N");
    EXPECT_EQ(count.table, "SvB_32.DBF");
    EXPECT_EQ(count.value, " ");
}

TEST(SqlStatement, AnythingElseIsAClearError) {
    for (const char* bad : {"", ";", "DELETE FROM Spis_D32", "UPDATE Spis_D32 SET Incl = з",
                            "UPDATE Spis_D32 SET Incl = \"з\" WHERE NOM = 1", "UPDATE Spis_D32 SET Incl = \"з",
                            "UPDATE Spis_D32 Incl = \"з\"", "SELECT * FROM Spis_D32",
                            "SELECT COUNT(*) Qt FROM Spis_D32", "SELECT COUNT(*) Qt FROM Spis_D32 WHERE Incl = \"\"",
                            "SELECT COUNT(*) Qt FROM Spis_D32 WHERE Incl <> \"\" AND 1", "UPDATE a SET b = \"c\"; x"}) {
        SCOPED_TRACE(bad);
        try {
            parseSqlStatement(bad);
            FAIL() << "accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), code::SqlError);
            EXPECT_NE(std::string(e.what()).find("SQL"), std::string::npos);
        }
    }
}

TEST(SqlStatement, RandomInputNeverEscapesAsAnythingButSqlError) {
    const std::string pieces[] = {"UPDATE", "SELECT", "COUNT", "(", "*", ")", "SET", "FROM", "WHERE", "=", "<>",
                                  "<", ">", "\"", "'", "x", "з", "\xD0", "\xFF", ";", " ", "\n", "\0", "AS"};
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int n = int(random() % 12);
        for (int i = 0; i < n; ++i) text += pieces[random() % std::size(pieces)];
        try {
            parseSqlStatement(text);
        } catch (const EngineError& e) {
            ASSERT_EQ(e.code(), code::SqlError) << text;
        }
    }
}

class SqlOnTable : public ::testing::Test {
protected:
    void SetUp() override {
        db.createTable("Spis_D32", {{"NOM", 'N', 6, 0, 0}, {"FAM", 'C', 20, 0, 0}, {"INCL", 'C', 1, 0, 0}});
        auto t = db.openTable("SPIS_D32", OpenMode::Exclusive);
        t->addIndex("INCL", "INCL");
        for (int i = 1; i <= 5; ++i) {
            t->append();
            t->setInteger("NOM", i);
            t->setString("FAM", "Фамилия" + std::to_string(i));
            t->post();
        }
        // A deleted record is out of reach of both statements.
        t->first();
        t->edit();
        t->setString("INCL", "x");
        t->post();
        t->deleteRecord();
        t->close();
    }

    std::int64_t countMarked() {
        SqlResult r = db.execSql("SELECT Count(*) Qt From Spis_D32 Where Incl <> \"\"");
        EXPECT_EQ(r.columns, std::vector<std::string>{"QT"});
        EXPECT_EQ(r.rows.size(), 1u);
        if (r.rows.size() != 1 || r.rows[0].size() != 1) return -1;
        return std::get<std::int64_t>(r.rows[0][0]);
    }

    TempDir dir;
    Database db{"VX_S", dir.path(), CodePage::Cp1251};
};

TEST_F(SqlOnTable, UpdateMarksEveryLiveRecordAndCountSeesThem) {
    EXPECT_EQ(countMarked(), 0);

    SqlResult r = db.execSql("UpDate Spis_D32 Set Incl=\"з\"");
    EXPECT_EQ(r.rowsAffected, 4);
    EXPECT_TRUE(r.columns.empty());
    EXPECT_EQ(countMarked(), 4);

    auto t = db.openTable("spis_d32.dbf", OpenMode::ReadOnly);
    for (t->first(); !t->eof(); t->next()) {
        EXPECT_EQ(t->asString("INCL"), "з");
        EXPECT_EQ(t->rawField("INCL"), "\xE7");  // stored in the table's code page
    }
    // The tag follows the update: every live record is found under the new mark.
    t->setIndex("INCL");
    t->setRange({Value(std::string("з"))}, {Value(std::string("з"))});
    int inRange = 0;
    for (t->first(); !t->eof(); t->next()) ++inRange;
    EXPECT_EQ(inRange, 4);
    t->close();

    // One record marked by hand, the rest cleared.
    db.execSql("UpDate Spis_D32 Set Incl=\"\"");
    EXPECT_EQ(countMarked(), 0);
    t = db.openTable("Spis_D32", OpenMode::Shared);
    t->last();
    t->edit();
    t->setString("INCL", "д");
    t->post();
    t->close();
    EXPECT_EQ(countMarked(), 1);
}

TEST_F(SqlOnTable, UpdateFallsUnderTheDatabaseTransaction) {
    db.startTransaction();
    db.execSql("UPDATE Spis_D32 SET Incl = \"д\"");
    EXPECT_EQ(countMarked(), 4);
    db.rollback();
    EXPECT_EQ(countMarked(), 0);
}

TEST_F(SqlOnTable, ErrorsNameTheProblem) {
    EXPECT_EQ(codeOf([&] { db.execSql("UPDATE NoSuch SET Incl = \"з\""); }), code::NoSuchTable);
    EXPECT_EQ(codeOf([&] { db.execSql("UPDATE Spis_D32 SET Mark = \"з\""); }), code::SqlError);
    EXPECT_EQ(codeOf([&] { db.execSql("SELECT COUNT(*) Qt FROM Spis_D32 WHERE Mark <> \"\""); }), code::SqlError);
    EXPECT_EQ(codeOf([&] { db.execSql("DROP TABLE Spis_D32"); }), code::SqlError);
    // A table someone holds exclusively is refused, not waited for.
    auto holder = db.openTable("Spis_D32", OpenMode::Exclusive);
    EXPECT_EQ(codeOf([&] { db.execSql("UPDATE Spis_D32 SET Incl = \"з\""); }), code::TableInUse);
}
