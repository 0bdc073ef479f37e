// Other processes on the same tables, started without fork so that the same
// tests run on Windows: the locks hold between processes and between two
// opens of one process, and a process killed inside a transaction leaves
// its tables as they were, with sound indexes, once the next one opens them.
// The tables are reached the way users name them: in any letter case and,
// on Windows, through drive-letter paths with backslashes.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/child_process.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::ChildProcess;
using kvzt::test::TempDir;

namespace {

template <class F>
int codeOf(F&& f) {
    try {
        f();
        return 0;
    } catch (const EngineError& e) {
        return e.code();
    }
}

int openCode(Database& db, std::string_view table, OpenMode mode) {
    try {
        db.openTable(table, mode);
        return 0;
    } catch (const EngineError& e) {
        return e.code();
    }
}

// The directory as the user of the platform writes it: with backslashes on
// Windows (the temporary folder there already starts with a drive letter).
std::string nativeSpelling(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

std::string otherSpelling(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return path;
}

void makeTable(const std::string& dir, int records) {
    Database db("VX_B", dir, CodePage::Cp1251);
    db.createTable("SPISOK", {{"NAME", 'C', 12, 0}, {"N", 'N', 6, 0}});
    auto t = db.openTable("SPISOK", OpenMode::Exclusive);
    t->addIndex("NAME", "UPPER(NAME)");
    for (int i = 0; i < records; ++i) {
        t->append();
        t->setString("NAME", "запись " + std::to_string(i));
        t->setInteger("N", i);
        t->post();
    }
}

}  // namespace

// The bodies the tests start in other processes (ChildBodies.DISABLED_*).
TEST(ChildBodies, DISABLED_HoldShared) {
    if (!kvzt::test::isChild()) return;
    static Database db("VX_B", kvzt::test::childArgument(), CodePage::Cp1251);
    static auto t = db.openTable("SPISOK", OpenMode::Shared);
    kvzt::test::childReady();
    kvzt::test::waitToBeKilled();
}

TEST(ChildBodies, DISABLED_HoldExclusive) {
    if (!kvzt::test::isChild()) return;
    static Database db("VX_B", kvzt::test::childArgument(), CodePage::Cp1251);
    static auto t = db.openTable("spisok.dbf", OpenMode::Exclusive);
    kvzt::test::childReady();
    kvzt::test::waitToBeKilled();
}

TEST(ChildBodies, DISABLED_DieInsideATransaction) {
    if (!kvzt::test::isChild()) return;
    static Database db("VX_B", otherSpelling(kvzt::test::childArgument()), CodePage::Cp1251);
    static auto t = db.openTable("sPiSoK");
    db.startTransaction();
    t->first();
    t->edit();
    t->setString("NAME", "изменено");
    t->post();
    t->next();
    t->deleteRecord();
    for (int i = 0; i < 3000; ++i) {  // enough to reach the disk
        t->append();
        t->setString("NAME", "новая " + std::to_string(i));
        t->post();
    }
    t->file().flush();
    kvzt::test::childReady();
    kvzt::test::waitToBeKilled();
}

TEST(CrossProcess, LocksHoldBetweenProcessesAndBetweenOpensOfOneProcess) {
    TempDir dir;
    const std::string path = nativeSpelling(dir.path());
    makeTable(path, 3);
    Database db("VX_B", path, CodePage::Cp1251);

    {
        ChildProcess holder("HoldShared", path);
        ASSERT_TRUE(holder.ready());
        EXPECT_EQ(openCode(db, "Spisok", OpenMode::Exclusive), code::TableInUse);
        EXPECT_EQ(openCode(db, "SPISOK.DBF", OpenMode::Shared), 0);
    }
    {
        ChildProcess holder("HoldExclusive", path);
        ASSERT_TRUE(holder.ready());
        EXPECT_EQ(openCode(db, "Spisok", OpenMode::Shared), code::TableInUse);
        EXPECT_EQ(openCode(db, "Spisok", OpenMode::ReadOnly), code::TableInUse);
        holder.kill();
        EXPECT_EQ(openCode(db, "Spisok", OpenMode::Exclusive), 0) << "the lock dies with its process";
    }

    // Two opens of one process conflict like two programs: a shared open
    // cannot turn exclusive for a pack while another one holds the table.
    auto first = db.openTable("Spisok", OpenMode::Shared);
    EXPECT_EQ(openCode(db, "spisok", OpenMode::Exclusive), code::TableInUse);
    {
        auto second = db.openTable("spisok", OpenMode::Shared);
        EXPECT_EQ(codeOf([&] { first->pack(); }), code::TableInUse);
        EXPECT_EQ(second->recordCount(), 3u);
    }
    first.reset();
    auto exclusive = db.openTable("Spisok", OpenMode::Exclusive);
    EXPECT_EQ(openCode(db, "Spisok", OpenMode::Shared), code::TableInUse);
}

TEST(CrossProcess, AProcessKilledInsideATransactionIsRolledBackAtTheNextOpen) {
    TempDir dir;
    const std::string path = nativeSpelling(dir.path());
    makeTable(path, 20);
    const std::string before = kvzt::test::readFile(dir.file("SPISOK.DBF"));
    {
        ChildProcess writer("DieInsideATransaction", path);
        ASSERT_TRUE(writer.ready());
        EXPECT_NE(kvzt::test::readFile(dir.file("SPISOK.DBF")), before) << "the child did write";
        writer.kill();
    }

    Database db("VX_B", path, CodePage::Cp1251);  // recovers
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(kvzt::test::readFile(dir.file("SPISOK.DBF")), before);
    auto t = db.openTable("Spisok");
    for (const TagReport& report : verifyTable(*t)) EXPECT_TRUE(report.problems.empty()) << report.tag;
    t->setIndex("NAME");
    int n = 0;
    for (t->first(); !t->eof(); t->next()) ++n;
    EXPECT_EQ(n, 20);
}
