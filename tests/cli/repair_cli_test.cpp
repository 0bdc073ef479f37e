// kvzt-cli repair: a count past the end of the file is mended (copies kept,
// tags rebuilt); any other contradiction is refused with the files unchanged.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/database.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/test_support.h"

using kvzt::engine::CodePage;
using kvzt::engine::Database;
using kvzt::engine::OpenMode;
using kvzt::test::TempDir;

namespace {

kvzt::test::CommandResult repair(const std::string& path) {
    return kvzt::test::runCommand({kvzt::test::cliPath(), "repair", path});
}

// T.DBF: NAME C(4), three records, a tag on NAME; header 65 bytes, records of 5.
std::string makeTable(const TempDir& dir) {
    Database db("D", dir.path(), CodePage::Cp866);
    db.createTable("T", {{"NAME", 'C', 4, 0}});
    auto t = db.openTable("T");
    for (const char* name : {"bb", "aa", "cc"}) {
        t->append();
        t->setString("NAME", name);
        t->post();
    }
    t->addIndex("NAMEX", "NAME");
    t->close();
    return dir.file("T.DBF");
}

}  // namespace

TEST(RepairCli, SetsTheCountFromTheWholeRecordsAndRebuildsTheTags) {
    TempDir dir;
    const std::string path = makeTable(dir);
    std::string bytes = kvzt::test::readFile(path);
    bytes[4] = 9;                            // nine records claimed
    bytes.resize(bytes.size() - 1 - 2);      // the last one cut short, no end marker
    kvzt::test::writeFile(path, bytes);
    const std::string damaged = bytes;

    const auto run = repair(path);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Копия таблицы: " + path + ".kvzt-bak"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Копия индекса: " + dir.file("T.MDX") + ".kvzt-bak"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("было 9, стало 2"), std::string::npos) << run.out;
    EXPECT_EQ(kvzt::test::readFile(path + ".kvzt-bak"), damaged);

    Database db("D", dir.path(), CodePage::Cp866);
    auto t = db.openTable("T", OpenMode::ReadOnly);
    t->setIndex("NAMEX");
    std::vector<std::string> names;
    for (t->first(); !t->eof(); t->next()) names.push_back(t->asString("NAME"));
    EXPECT_EQ(names, (std::vector<std::string>{"aa", "bb"}));
    for (const auto& report : kvzt::engine::verifyTable(*t)) EXPECT_TRUE(report.problems.empty()) << report.tag;

    // A second copy does not overwrite the first.
    t->close();
    ASSERT_EQ(repair(path).exitCode, 0);
    EXPECT_EQ(kvzt::test::readFile(path + ".kvzt-bak"), damaged);
    EXPECT_TRUE(kvzt::test::readFile(path + ".kvzt-bak2").size() > 0);
}

TEST(RepairCli, RefusesAHeaderItCannotMendSafely) {
    TempDir dir;
    const std::string path = makeTable(dir);
    std::string bytes = kvzt::test::readFile(path);
    bytes[10] = 7;  // record length 7 for fields of 5
    kvzt::test::writeFile(path, bytes);

    const auto run = repair(path);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("исправить таблицу без риска нельзя, файлы не изменены"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("длина записи в заголовке 7 байт, а поля занимают 5 байт"), std::string::npos) << run.err;
    EXPECT_EQ(kvzt::test::readFile(path), bytes);
    EXPECT_FALSE(std::filesystem::exists(path + ".kvzt-bak"));
}
