// One transaction over two directories: kept in both or undone in both,
// whichever step of the commit the process dies at, and recovered by
// whichever directory is opened first.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/fault_injection.h"
#include "engine/group_record.h"
#include "engine/table.h"
#include "engine/transaction_group.h"
#include "engine/verify.h"
#include "support/fault_points.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

bool exists(const std::string& path) { return std::filesystem::exists(path); }

class TransactionGroupTest : public ::testing::Test {
protected:
    TransactionGroupTest() {
        for (const std::string& dir : {base.path(), dups.path()}) {
            Database db("X", dir, CodePage::Cp1251);
            db.createTable("T", {{"NAME", 'C', 20, 0}});
            auto t = db.openTable("T");
            t->addIndex("NAMEX", "NAME");
            t->append();
            t->setString("NAME", "старое");
            t->post();
        }
    }

    // Writes one change into each directory's table T: a new row in the first,
    // the old row edited in the second.
    static void writeBoth(Table& first, Table& second) {
        first.append();
        first.setString("NAME", "новое");
        first.post();
        second.first();
        second.edit();
        second.setString("NAME", "изменённое");
        second.post();
    }

    // The rows of T in `dir`, opened (and so recovered) there.
    static std::vector<std::string> rows(const std::string& dir) {
        Database db("X", dir, CodePage::Cp1251);
        auto t = db.openTable("T", OpenMode::ReadOnly);
        std::vector<std::string> out;
        for (t->first(); !t->eof(); t->next()) out.push_back(t->asString("NAME"));
        for (const TagReport& r : verifyTable(*t)) EXPECT_TRUE(r.problems.empty()) << dir << " " << r.tag;
        return out;
    }

    // Runs `body` in a child process that then dies without any clean-up.
    static void inDyingChild(const std::function<void()>& body) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            try {
                body();
            } catch (...) {
                std::_Exit(1);
            }
            std::_Exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    // Copies of the two directories as they are now.
    void copyInto(TempDir& base2, TempDir& dups2) {
        for (const auto& [from, to] : {std::pair{&base, &base2}, std::pair{&dups, &dups2}})
            for (const auto& file : std::filesystem::directory_iterator(from->path()))
                std::filesystem::copy_file(file.path(), to->file(file.path().filename().string()));
    }

    void expectNothingLeft() {
        for (const std::string& dir : {base.path(), dups.path()}) {
            EXPECT_FALSE(exists(Journal::pathIn(dir))) << dir;
            EXPECT_FALSE(exists(GroupRecord::pathIn(dir))) << dir;
        }
    }

    TempDir base;
    TempDir dups;
    const std::vector<std::string> before{"старое"};
};

}  // namespace

TEST_F(TransactionGroupTest, CommitKeepsBothAndRollbackUndoesBoth) {
    {
        Database a("A", base.path(), CodePage::Cp1251);
        Database b("B", dups.path(), CodePage::Cp1251);
        auto ta = a.openTable("T");
        auto tb = b.openTable("T");
        TransactionGroup group({&a, &b});
        group.start();
        EXPECT_TRUE(a.inTransaction() && b.inTransaction());
        writeBoth(*ta, *tb);
        group.rollback();
        EXPECT_FALSE(a.inTransaction() || b.inTransaction());
        EXPECT_EQ(ta->recordCount(), 1u);

        group.start();
        writeBoth(*ta, *tb);
        group.commit();
        EXPECT_FALSE(a.inTransaction() || b.inTransaction());
        expectNothingLeft();

        // A second member refusing to start leaves the first one not started.
        Database other("C", dups.path(), CodePage::Cp1251);
        other.startTransaction();
        TransactionGroup clash({&a, &other, &b});
        EXPECT_THROW(clash.start(), EngineError);
        EXPECT_FALSE(a.inTransaction());
        other.rollback();
    }
    EXPECT_EQ(rows(base.path()), (std::vector<std::string>{"старое", "новое"}));
    EXPECT_EQ(rows(dups.path()), (std::vector<std::string>{"изменённое"}));
    expectNothingLeft();
}

// The commit's steps done one by one in a process that dies after `steps`
// of them: 0 all written, 1 data synced, 2 group record written, 3 the first
// journal removed, 4 both removed (the record still there).
TEST_F(TransactionGroupTest, ADeathAtAnyStepOfTheCommitKeepsOrUndoesBoth) {
    for (int steps = 0; steps <= 4; ++steps) {
        for (bool dupsFirst : {false, true}) {
            SCOPED_TRACE(testing::Message() << "steps " << steps << (dupsFirst ? ", VX_S opened first" : ""));
            TempDir b2, d2;
            copyInto(b2, d2);
            inDyingChild([&] {
                auto* a = new Database("A", b2.path(), CodePage::Cp1251);
                auto* b = new Database("B", d2.path(), CodePage::Cp1251);
                Table* ta = a->openTable("T").release();
                Table* tb = b->openTable("T").release();
                const JournalGroup group{77, GroupRecord::pathIn(b2.path())};
                a->startTransaction(&group);
                b->startTransaction(&group);
                writeBoth(*ta, *tb);
                if (steps >= 1) a->syncForCommit(), b->syncForCommit();
                if (steps >= 2) GroupRecord::writeCommitted(group.recordPath, {77, {Journal::pathIn(b2.path()), Journal::pathIn(d2.path())}});
                if (steps >= 3) a->finishCommit();
                if (steps >= 4) b->finishCommit();
            });
            const bool kept = steps >= 2;
            const std::vector<std::string> first = kept ? std::vector<std::string>{"старое", "новое"} : before;
            const std::vector<std::string> second = kept ? std::vector<std::string>{"изменённое"} : before;
            if (dupsFirst) {
                EXPECT_EQ(rows(d2.path()), second);
                EXPECT_EQ(rows(b2.path()), first);
            } else {
                EXPECT_EQ(rows(b2.path()), first);
                EXPECT_EQ(rows(d2.path()), second);
            }
            for (const std::string& dir : {b2.path(), d2.path()}) {
                EXPECT_FALSE(exists(Journal::pathIn(dir))) << dir;
                EXPECT_FALSE(exists(GroupRecord::pathIn(dir))) << dir;
            }
        }
    }
}

TEST_F(TransactionGroupTest, ARecordOfAnotherGroupDoesNotSaveAJournal) {
    // A record left by an earlier group (its removal never reached the disk)
    // must not make a later, uncommitted group's journals look committed.
    GroupRecord::writeCommitted(GroupRecord::pathIn(base.path()), {5, {Journal::pathIn(base.path())}});
    inDyingChild([&] {
        auto* a = new Database("A", base.path(), CodePage::Cp1251);
        auto* b = new Database("B", dups.path(), CodePage::Cp1251);
        Table* ta = a->openTable("T").release();
        Table* tb = b->openTable("T").release();
        auto* group = new TransactionGroup({a, b});
        group->start();
        writeBoth(*ta, *tb);
    });
    EXPECT_EQ(rows(dups.path()), before);
    EXPECT_EQ(rows(base.path()), before);
    expectNothingLeft();
}

// A write, sync or rename failing anywhere in the commit (the group record's
// write, sync, rename and directory sync among them): the caller rolls back,
// and once the directories are opened again both hold the old rows, or both
// the new ones where the group had committed before the failure.
TEST_F(TransactionGroupTest, AFailureAnywhereInTheCommitKeepsOrUndoesBoth) {
    kvzt::test::SkippedSyncs quick;
    const std::vector<std::string> newFirst{"старое", "новое"}, newSecond{"изменённое"};
    // Returns whether the failure was reached; `committed` whether commit() succeeded.
    auto commitFailing = [&](const FaultPlan& plan, TempDir& b2, TempDir& d2, bool& committed) {
        Database a("A", b2.path(), CodePage::Cp1251);
        Database b("B", d2.path(), CodePage::Cp1251);
        auto ta = a.openTable("T");
        auto tb = b.openTable("T");
        TransactionGroup group({&a, &b});
        group.start();
        writeBoth(*ta, *tb);
        FaultInjection faults;
        faults.plan(plan);
        committed = false;
        try {
            group.commit();
            committed = true;
        } catch (const EngineError& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message.find(b2.path()) != std::string::npos || message.find(d2.path()) != std::string::npos)
                << message;
            try {
                if (group.active()) group.rollback();
            } catch (const EngineError&) {
                // a disk still full: the journals stay and the next open undoes them
            }
        }
        ta.reset();
        tb.reset();
        return faults.fired();
    };

    // The group record's rename failing: nothing was committed, both are undone.
    {
        TempDir b2, d2;
        copyInto(b2, d2);
        bool committed = true;
        ASSERT_TRUE(commitFailing({IoOps::Rename, 1, FaultAction::Fail, EIO}, b2, d2, committed));
        EXPECT_FALSE(committed);
        EXPECT_EQ(rows(b2.path()), before);
        EXPECT_EQ(rows(d2.path()), before);
    }

    constexpr unsigned kinds = IoOps::Write | IoOps::Sync | IoOps::Rename;
    long points = 0, tried = 0;
    for (bool fullDisk : {true, false}) {
        for (long at = 1;; ++at) {
            SCOPED_TRACE(testing::Message() << (fullDisk ? "full disk" : "one I/O error") << " at point " << at);
            TempDir b2, d2;
            copyInto(b2, d2);
            bool committed = false;
            if (!commitFailing({kinds, at, FaultAction::Fail, fullDisk ? ENOSPC : EIO, fullDisk}, b2, d2, committed)) {
                points = at - 1;
                break;
            }
            ++tried;
            const std::vector<std::string> first = rows(b2.path()), second = rows(d2.path());
            if (committed || first != before) {
                EXPECT_EQ(first, newFirst);
                EXPECT_EQ(second, newSecond);
            } else {
                EXPECT_EQ(second, before);
            }
            for (const std::string& dir : {b2.path(), d2.path()})
                EXPECT_TRUE(kvzt::test::LeftOverFiles(dir).empty()) << dir << ": " << kvzt::test::LeftOverFiles(dir).front();
        }
    }
    EXPECT_GE(points, 6);  // two data syncs each side, the record's write, sync, rename and directory sync
    kvzt::test::ReportFaultPoints("group_commit", tried);
}
