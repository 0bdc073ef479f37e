// kvzt-cli info, dump, verify, reindex and pack, run as a separate program.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "engine/database.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/table_catalogue.h"
#include "schema/table_groups.h"
#include "support/test_support.h"

using namespace kvzt::schema;
using kvzt::engine::CodePage;
using kvzt::engine::Database;
using kvzt::test::CommandResult;
using kvzt::test::TempDir;

namespace {

CommandResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), kvzt::test::cliPath());
    return kvzt::test::runCommand(args);
}

// The real fixture tables with their indexes, copied to a scratch directory.
void copyFixtures(const TempDir& dir) {
    for (const char* name : {"holdings.dbf", "holdings.mdx", "industry.dbf", "industry.mdx"}) {
        kvzt::test::copyFile(kvzt::test::testDataDir() + "/legacy-demo/" + name, dir.file(name));
    }
}

void createFromCatalogue(Database& db, const std::string& name) {
    static const QStringList list = BuildTableCatalogue();
    const std::optional<CatalogueTable> t = FindCatalogueTable(list, QString::fromStdString(name));
    ASSERT_TRUE(t) << name;
    CreateTableFromCatalogue(db, list, t->fileName, t->firstFieldLine(), t->fieldCount);
}

}  // namespace

TEST(CliCommands, BadUsageExitsWithTwoAndARussianMessage) {
    EXPECT_EQ(cli({}).exitCode, 2);
    const CommandResult unknown = cli({"frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("неизвестная команда"), std::string::npos) << unknown.err;
    EXPECT_EQ(cli({"info"}).exitCode, 2);
    EXPECT_EQ(cli({"dump", "x.dbf", "--bogus"}).exitCode, 2);
    EXPECT_EQ(cli({"info", "SPISOK32"}).exitCode, 2);
    EXPECT_EQ(cli({"reindex", "--group", "everything"}).exitCode, 2);
    EXPECT_EQ(cli({"pack", "VX_B:SPISOK32", "--group", "all"}).exitCode, 2);
    EXPECT_EQ(cli({"info", "VX_B:SPISOK32", "--alias", "VX_B"}).exitCode, 2);

    TempDir dir;
    const CommandResult missing = cli({"info", "VX_B:SPISOK32", "--alias", "VX_B=" + dir.path()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("0x2728"), std::string::npos) << missing.err;
    EXPECT_EQ(cli({"info", "NOALIAS:SPISOK32"}).exitCode, 2);
}

TEST(CliCommands, InfoDescribesHeaderFieldsAndTags) {
    TempDir dir;
    copyFixtures(dir);
    const CommandResult r = cli({"info", dir.file("holdings.dbf")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* expected : {"Записей: 40", "ACCT_NBR", "PUR_PRICE", "F    6  2", "Теги (", "SYMBOL",
                                 "Кодовая страница: 437 (драйвер языка 0x1B)"}) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    }

    // A driver byte we have no map for is named, and the directory's default is read.
    {
        std::FILE* f = std::fopen(dir.file("industry.dbf").c_str(), "r+b");
        ASSERT_TRUE(f);
        std::fseek(f, 29, SEEK_SET);
        std::fputc(0x7E, f);
        std::fclose(f);
    }
    const CommandResult unknown = cli({"info", dir.file("industry.dbf")});
    ASSERT_EQ(unknown.exitCode, 0) << unknown.err;
    EXPECT_NE(unknown.out.find("Кодовая страница: 866 (неизвестный драйвер 0x7E, по умолчанию)"), std::string::npos)
        << unknown.out;
}

TEST(CliCommands, VerifyAcceptsSoundIndexesAndReportsADataChangeTheIndexMissed) {
    TempDir dir;
    copyFixtures(dir);
    for (const char* table : {"holdings.dbf", "industry.dbf"}) {
        const CommandResult r = cli({"verify", dir.file(table)});
        EXPECT_EQ(r.exitCode, 0) << table << "\n" << r.out << r.err;
    }
    // Rewrite the first record's SYMBOL behind the index's back.
    std::string bytes = kvzt::test::readFile(dir.file("holdings.dbf"));
    const std::size_t at = bytes.find("VG     ");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 7, "ZZZZ   ");
    kvzt::test::writeFile(dir.file("holdings.dbf"), bytes);
    const CommandResult r = cli({"verify", dir.file("holdings.dbf")});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("SYMBOL"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("запись 1"), std::string::npos) << r.err;
}

TEST(CliCommands, ReindexOfTheClassifierGroupGivesTheCatalogueTags) {
    TempDir dir;
    {
        Database db("VX_S", dir.path(), CodePage::Cp1251);
        for (const GroupTable& t : TablesOf(TableGroup::Kladr)) {
            createFromCatalogue(db, t.name);
        }
        auto streets = db.openTable("K5ULI");
        streets->append();
        streets->setString("NAME", "Тверская");
        streets->post();
        streets->addIndex("OLDTAG", "NAME");
        streets->close();
    }
    const CommandResult r = cli({"reindex", "--group", "kladr", "--alias", "VX_S=" + dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("[7/7]"), std::string::npos) << r.err;

    Database db("VX_S", dir.path(), CodePage::Cp1251);
    for (const GroupTable& t : TablesOf(TableGroup::Kladr)) {
        std::vector<std::string> expected;
        for (const TagSpec& tag : CatalogueTags(QString::fromStdString(t.name))) {
            expected.push_back(tag.name);
        }
        EXPECT_EQ(db.openTable(t.name)->tagNames(), expected) << t.name;
        const CommandResult v = cli({"verify", "VX_S:" + t.name, "--alias", "VX_S=" + dir.path()});
        EXPECT_EQ(v.exitCode, 0) << t.name << v.err;
    }
    auto streets = db.openTable("K5ULI");
    EXPECT_EQ(streets->tagNames(), std::vector<std::string>{"RRTNNMX"});
}

TEST(CliCommands, DumpDeletedThenPackThenNothingDeleted) {
    TempDir dir;
    copyFixtures(dir);
    {
        Database db("D", dir.path(), CodePage::Cp866);
        auto t = db.openTable("industry");
        t->setIndex("IND_CODE");
        t->first();  // 342, the lowest code
        t->deleteRecord();
        t->close();
    }
    const std::string table = dir.file("industry.dbf");
    const CommandResult deleted = cli({"dump", table, "--deleted"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(deleted.out, "IND_CODE,IND_NAME,LONG_NAME\n342,65463,34534\n");
    const CommandResult byTag = cli({"dump", table, "--deleted", "--tag", "IND_CODE"});
    EXPECT_EQ(byTag.out, deleted.out);

    const CommandResult live = cli({"dump", table, "--tag", "IND_CODE"});
    ASSERT_EQ(live.exitCode, 0) << live.err;
    EXPECT_EQ(live.out.find("\n342,"), std::string::npos);
    EXPECT_EQ(live.out.rfind("IND_CODE,IND_NAME,LONG_NAME\n1234,", 0), 0u) << live.out;

    // While another cursor holds the table, pack refuses with the engine's code.
    {
        Database db("D", dir.path(), CodePage::Cp866);
        auto holder = db.openTable("industry");
        const CommandResult refused = cli({"pack", table});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_NE(refused.err.find("Table Pack Error: 10253."), std::string::npos) << refused.err;
    }
    const CommandResult pack = cli({"pack", table});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(cli({"dump", table, "--deleted"}).out, "IND_CODE,IND_NAME,LONG_NAME\n");
    EXPECT_EQ(cli({"dump", table, "--tag", "IND_CODE"}).out, live.out);
    EXPECT_EQ(cli({"verify", table}).exitCode, 0);
}

TEST(CliCommands, DumpQuotesAsCsvRequires) {
    TempDir dir;
    {
        Database db("D", dir.path(), CodePage::Cp866);
        db.createTable("Q", {{"TEXT", 'C', 20, 0}, {"OK", 'L', 1, 0}, {"WHEN", 'D', 8, 0}, {"SUM", 'N', 8, 2}});
        auto t = db.openTable("Q");
        t->append();
        t->setString("TEXT", "a,\"b\"  ");
        t->setBoolean("OK", true);
        t->setDate("WHEN", kvzt::engine::Date{2004, 2, 29});
        t->setFloat("SUM", -1.5);
        t->post();
        t->append();
        t->post();
        t->close();
    }
    const CommandResult r = cli({"dump", dir.file("Q.DBF")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "TEXT,OK,WHEN,SUM\n\"a,\"\"b\"\"\",T,29.02.2004,-1.50\n,,,\n");
}

TEST(CliCommands, EveryGroupReindexesAndPacksOverAFreshDatabase) {
    TempDir base;
    TempDir sprav;
    {
        Database vxB("VX_B", base.path(), CodePage::Cp1251);
        Database vxS("VX_S", sprav.path(), CodePage::Cp1251);
        const QStringList list = BuildTableCatalogue();
        for (const CatalogueTable& t : CatalogueTables(list)) {
            Database& db = t.alias == QLatin1String("VX_B") ? vxB : vxS;
            CreateTableFromCatalogue(db, list, t.fileName, t.firstFieldLine(), t.fieldCount);
        }
    }
    const std::vector<std::string> aliases{"--alias", "VX_B=" + base.path(), "--alias", "VX_S=" + sprav.path()};
    for (const char* group : {"sprav", "kladr", "base", "all"}) {
        for (const char* command : {"reindex", "pack"}) {
            std::vector<std::string> args{command, "--group", group};
            args.insert(args.end(), aliases.begin(), aliases.end());
            const CommandResult r = cli(args);
            EXPECT_EQ(r.exitCode, 0) << command << " " << group << "\n" << r.err;
        }
    }
    Database vxB("VX_B", base.path(), CodePage::Cp1251);
    EXPECT_EQ(vxB.openTable("SVBASE32")->tagNames(),
              (std::vector<std::string>{"IDX", "IDDOKX", "FIOX", "DSVEDX", "DATAVIDX", "NOMX"}));
    // Tables outside the groups are left alone.
    EXPECT_TRUE(vxB.openTable("UPI32")->tagNames().empty());

    // A group stops at a missing table with the engine's error.
    ASSERT_TRUE(std::filesystem::remove(vxB.tablePath("NH22")));
    std::vector<std::string> args{"reindex", "--group", "base"};
    args.insert(args.end(), aliases.begin(), aliases.end());
    const CommandResult r = cli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("VX_B:NH22"), std::string::npos) << r.err;
}
