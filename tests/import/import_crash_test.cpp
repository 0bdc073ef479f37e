// kvzt-cli import killed after N source records, for many N, on copies of
// one database: opened again, every statement has its detail rows, every
// detail row its statement, and every tag agrees with its table.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/verify.h"
#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;

namespace {

constexpr int kPersons = 12;

void makeSource(ImportFixture& f) {
    f.makeWinSources();
    auto list = f.source("SPISOK32");
    auto sved = f.source("SVBASE32");
    auto doxod = f.source("DOXOD22");
    auto vicet = f.source("VICET22");
    auto nh = f.source("NH22");
    int id = 0;
    for (int n = 1; n <= kPersons; ++n) {
        addRow(*list, {{"NOM", std::int64_t(n)}, {"FAM", "Фамилия" + std::to_string(n)}, {"DATEROG", date(1960 + n, 1, 1)}});
        for (int s = 0; s < 1 + n % 3; ++s) {
            const std::string sid = std::to_string(++id);
            addRow(*sved, {{"ID", sid}, {"IDDOK", std::string("1")}, {"NOM", std::int64_t(n)}});
            for (int k = 0; k < 3; ++k) addRow(*doxod, {{"ID", sid}, {"KOD", std::string("2000")}, {"SUM", 100.0 * k}});
            if (s == 0) addRow(*vicet, {{"ID", sid}, {"KOD", std::string("01")}, {"SUM", 5.0}});
            if (n % 4 == 0) addRow(*nh, {{"ID", sid}, {"NAME", std::string("Объект")}});
        }
    }
}

std::set<std::string> ids(engine::Table& t) {
    std::set<std::string> out;
    for (t.first(); !t.eof(); t.next()) out.insert(t.asString("ID"));
    return out;
}

TEST(ImportCrash, AKilledImportLeavesWholeStatementsAndSoundTags) {
    ImportFixture f;
    makeSource(f);
    // One stored twin, so that duplicate tables are written too.
    addRow(*f.db.session->openTable("VX_B", "SPISOK32"),
           {{"NOM", std::int64_t(1)}, {"FAM", std::string("Фамилия3")}, {"DATEROG", date(1963, 1, 1)}});

    for (int n = 1; n <= kPersons; ++n) {
        TempDir copy;
        ASSERT_EQ(runCommand({"cp", "-r", f.db.base.path(), copy.file("base")}).exitCode, 0);
        ASSERT_EQ(runCommand({"cp", "-r", f.db.sprav.path(), copy.file("sprav")}).exitCode, 0);
        const CommandResult run =
            runCommand({cliPath(), "import", "--kind", "3", f.src.path(), "--abort-after", std::to_string(n), "--transaction-span-ms", "0",
                        "--alias", "VX_B=" + copy.file("base"), "--alias", "VX_S=" + copy.file("sprav")});
        ASSERT_EQ(run.exitCode, 9) << run.err;

        engine::AliasConfig config;
        config.setAlias("VX_B", copy.file("base"));
        config.setAlias("VX_S", copy.file("sprav"));
        engine::Session session(config);
        auto spisok = session.openTable("VX_B", "Spisok32", engine::OpenMode::ReadOnly);
        int persons = 0;
        for (spisok->first(); !spisok->eof(); spisok->next()) ++persons;
        // Killed inside the transaction of record n: the records before it
        // stay, record n is rolled back by the journal. The stored taxpayer
        // and every source taxpayer but the third (his twin) are in the list.
        const int kept = n - 1;
        EXPECT_EQ(persons, 1 + kept - (kept >= 3 ? 1 : 0)) << "after " << n;

        auto sved = session.openTable("VX_B", "Svbase32", engine::OpenMode::ReadOnly);
        const std::set<std::string> statements = ids(*sved);
        // A taxpayer and his statements stay together (every source taxpayer has some).
        std::set<std::int64_t> withStatements;
        for (sved->first(); !sved->eof(); sved->next()) withStatements.insert(sved->asInteger("NOM"));
        for (spisok->first(); !spisok->eof(); spisok->next()) {
            const std::int64_t nom = spisok->asInteger("NOM");
            if (nom != 1 || kept >= 3) {
                EXPECT_TRUE(withStatements.count(nom)) << "NOM " << nom << " after " << n;
            }
        }
        auto doxod = session.openTable("VX_B", "Doxod22", engine::OpenMode::ReadOnly);
        const std::set<std::string> withIncome = ids(*doxod);
        EXPECT_EQ(withIncome, statements) << "after " << n;
        for (const char* detail : {"Vicet22", "NH22"}) {
            auto t = session.openTable("VX_B", detail, engine::OpenMode::ReadOnly);
            for (const std::string& id : ids(*t)) EXPECT_TRUE(statements.count(id)) << detail << " " << id;
        }
        for (const auto& [table, alias] : std::map<std::string, std::string>{
                 {"Spisok32", "VX_B"}, {"Svbase32", "VX_B"}, {"Doxod22", "VX_B"}, {"Vicet22", "VX_B"},
                 {"NH22", "VX_B"}, {"Spis_D32", "VX_S"}, {"SvB_32", "VX_S"}}) {
            auto t = session.openTable(alias, table, engine::OpenMode::ReadOnly);
            for (const engine::TagReport& report : engine::verifyTable(*t)) {
                EXPECT_TRUE(report.problems.empty()) << table << " " << report.tag << " after " << n;
            }
        }
    }
}

}  // namespace
