// Two processes on one table: locks hold between them, and a process killed
// inside a transaction leaves the tables as they were before it started.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

// Runs `body` in a child process that signals readiness through a pipe and
// then waits to be killed. Returns the child's pid once it is ready.
template <class Body>
pid_t startHolder(Body body) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        try {
            body();
        } catch (...) {
            _exit(3);
        }
        char c = 'r';
        if (write(ready[1], &c, 1) != 1) _exit(4);
        for (;;) pause();
    }
    close(ready[1]);
    char c = 0;
    EXPECT_EQ(read(ready[0], &c, 1), 1) << "holder process failed";
    close(ready[0]);
    return pid;
}

void kill9(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

int openCode(Database& db, OpenMode mode) {
    try {
        db.openTable("T", mode);
        return 0;
    } catch (const EngineError& e) {
        return e.code();
    }
}

}  // namespace

TEST(TwoProcesses, ExclusiveOpenIsRefusedEitherWay) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("T", {{"NAME", 'C', 10, 0}});

    pid_t holder = startHolder([&] {
        static Database childDb("VX_B", dir.path(), CodePage::Cp1251);
        static auto t = childDb.openTable("T", OpenMode::Shared);
    });
    EXPECT_EQ(openCode(db, OpenMode::Exclusive), code::TableInUse);
    EXPECT_EQ(openCode(db, OpenMode::Shared), 0);
    kill9(holder);

    holder = startHolder([&] {
        static Database childDb("VX_B", dir.path(), CodePage::Cp1251);
        static auto t = childDb.openTable("T", OpenMode::Exclusive);
    });
    EXPECT_EQ(openCode(db, OpenMode::Shared), code::TableInUse);
    EXPECT_EQ(openCode(db, OpenMode::ReadOnly), code::TableInUse);
    kill9(holder);
    EXPECT_EQ(openCode(db, OpenMode::Exclusive), 0) << "the lock dies with its process";
}

TEST(TwoProcesses, AProcessKilledBeforeCommitIsRolledBackAtTheNextOpen) {
    TempDir dir;
    std::string before;
    {
        Database db("VX_B", dir.path(), CodePage::Cp1251);
        db.createTable("T", {{"NAME", 'C', 10, 0}, {"N", 'N', 5, 0}});
        auto t = db.openTable("T");
        for (int i = 0; i < 5; ++i) {
            t->append();
            t->setString("NAME", "до");
            t->setInteger("N", i);
            t->post();
        }
        t->close();
        before = kvzt::test::readFile(dir.file("T.DBF"));
    }
    pid_t child = startHolder([&] {
        static Database childDb("VX_B", dir.path(), CodePage::Cp1251);
        static auto t = childDb.openTable("T");
        childDb.startTransaction();
        t->first();
        t->edit();
        t->setString("NAME", "после");
        t->post();
        t->next();
        t->deleteRecord();
        for (int i = 0; i < 3000; ++i) {  // enough to reach the disk
            t->append();
            t->setInteger("N", i);
            t->post();
        }
        t->file().flush();
    });
    EXPECT_NE(kvzt::test::readFile(dir.file("T.DBF")), before) << "the child did write";
    kill9(child);

    Database db("VX_B", dir.path(), CodePage::Cp1251);  // recovers
    EXPECT_EQ(kvzt::test::readFile(dir.file("T.DBF")), before);
    EXPECT_FALSE(db.inTransaction());
    auto t = db.openTable("T");
    int n = 0;
    for (t->first(); !t->eof(); t->next()) ++n;
    EXPECT_EQ(n, 5);
}
