// Every write, sync, rename, truncation and removal of a small case, one at a
// time, fails with a full disk or ends the process. After recovery (the next
// open), every tag agrees with the data, no journal or temporary file is left,
// and the data is the state before the operation or the state after it.

#include "engine/fault_injection.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/fault_points.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

using Operation = std::function<void(Database&)>;
using State = std::vector<std::string>;  // visible names in natural order

// Table T: NAME C(8), N N(4,0), tags on both; "a".."e" with "c" deleted.
void makeCase(const std::string& dir) {
    Database db("D", dir, CodePage::Cp866);
    db.createTable("T", {{"NAME", 'C', 8, 0}, {"N", 'N', 4, 0}});
    auto t = db.openTable("T");
    int n = 0;
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        t->append();
        t->setString("NAME", name);
        t->setInteger("N", ++n);
        t->post();
    }
    t->addIndex("NAMEX", "UPPER(NAME)");
    t->addIndex("NX", "N");
    t->first();
    t->next();
    t->next();
    t->deleteRecord();
    t->close();
}

State stateOf(Database& db) {
    auto t = db.openTable("T", OpenMode::ReadOnly);
    State names;
    for (t->first(); !t->eof(); t->next()) names.push_back(t->asString("NAME") + "/" + t->asString("N"));
    return names;
}

// The invariants after recovery; returns the state found.
State recoveredState(const std::string& dir, const std::string& where) {
    Database db("D", dir, CodePage::Cp866);  // recovers a journal left behind
    auto t = db.openTable("T");              // settles an interrupted replacement
    for (const TagReport& report : verifyTable(*t))
        EXPECT_TRUE(report.problems.empty()) << where << ": tag " << report.tag << ": " << report.problems.front();
    t->close();
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "T.DBF" || name == "T.MDX") << where << ": left behind " << name;
    }
    return stateOf(db);
}

struct Case {
    const char* name;
    Operation operation;
};

void appendAndCommit(Database& db) {
    auto t = db.openTable("T");
    db.startTransaction();
    for (const char* name : {"f", "g", "h"}) {
        t->append();
        t->setString("NAME", name);
        t->setInteger("N", 9);
        t->post();
    }
    t->first();
    t->edit();
    t->setString("NAME", "z");
    t->post();
    db.commit();
    t->close();
}

void appendAndRollback(Database& db) {
    auto t = db.openTable("T");
    db.startTransaction();
    t->append();
    t->setString("NAME", "f");
    t->post();
    t->first();
    t->edit();
    t->setString("NAME", "z");
    t->post();
    db.rollback();
    t->close();
}

void pack(Database& db) { db.openTable("T", OpenMode::Exclusive)->pack(); }

void reindex(Database& db) {
    auto t = db.openTable("T", OpenMode::Exclusive);
    t->rebuildIndex({{"NX", "N", {}}, {"NAMEZ", "NAME", {}}});
    t->close();
}

void empty(Database& db) { db.openTable("T", OpenMode::Exclusive)->emptyTable(); }

void dropTag(Database& db) {
    auto t = db.openTable("T", OpenMode::Exclusive);
    t->deleteIndex("NAMEX");
    t->close();
}

const Case kCases[] = {
    {"append and commit", appendAndCommit},
    {"rollback", appendAndRollback},
    {"pack", pack},
    {"reindex", reindex},
    {"empty", empty},
    {"drop a tag", dropTag},
};

// The states before and after the operation, and how many points it has.
struct Plan {
    State before, after;
    long points = 0;
};

Plan survey(const Case& c) {
    TempDir dir;
    makeCase(dir.path());
    Plan plan;
    Database db("D", dir.path(), CodePage::Cp866);
    plan.before = stateOf(db);
    {
        FaultInjection faults;
        faults.plan({IoOps::All, 0});
        c.operation(db);
        plan.points = faults.count();
    }
    plan.after = stateOf(db);
    return plan;
}

// A case's name as a report key ("append_and_commit").
std::string keyOf(const Case& c) {
    std::string key = c.name;
    for (char& ch : key)
        if (ch == ' ') ch = '_';
    return key;
}

void expectOldOrNew(const Plan& plan, const State& found, const std::string& where) {
    EXPECT_TRUE(found == plan.before || found == plan.after) << where;
}

}  // namespace

// A full disk (or an I/O error) at each point: a clear error, never a crash;
// once space is back, the next open finds everything consistent.
TEST(FaultInjection, AFullDiskAtAnyPointLeavesConsistentFiles) {
    kvzt::test::SkippedSyncs quick;
    for (const Case& c : kCases) {
        const Plan plan = survey(c);
        ASSERT_GT(plan.points, 3) << c.name;
        kvzt::test::ReportFaultPoints(keyOf(c), 2 * plan.points);  // each point once failing, once a full disk
        for (bool persistent : {false, true}) {
            for (long at = 1; at <= plan.points; ++at) {
                const std::string where = std::string(c.name) + (persistent ? ", full disk" : ", one failure") +
                                          " at point " + std::to_string(at);
                TempDir dir;
                makeCase(dir.path());
                {
                    FaultInjection faults;
                    faults.plan({IoOps::All, at, FaultAction::Fail, persistent ? ENOSPC : EIO, persistent});
                    try {
                        Database db("D", dir.path(), CodePage::Cp866);
                        c.operation(db);
                        // Failures that end up swallowed are allowed only where nothing was lost.
                    } catch (const EngineError& e) {
                        EXPECT_TRUE(e.code() == code::DiskFull || e.code() == code::Io) << where << ": " << e.what();
                        if (persistent) {
                            EXPECT_NE(std::string(e.what()).find("Нет места на диске"), std::string::npos) << where;
                        }
                        EXPECT_NE(std::string(e.what()).find(dir.path()), std::string::npos) << where << ": " << e.what();
                    }
                }
                expectOldOrNew(plan, recoveredState(dir.path(), where), where);
            }
        }
    }
}

#ifndef _WIN32  // the dying process is made with fork()
// The process ends at each point (a crash or power cut as far as our files go).
TEST(FaultInjection, AProcessEndingAtAnyPointLeavesConsistentFiles) {
    kvzt::test::SkippedSyncs quick;
    for (const Case& c : kCases) {
        const Plan plan = survey(c);
        kvzt::test::ReportFaultPoints(keyOf(c), plan.points);
        for (long at = 1; at <= plan.points; ++at) {
            const std::string where = std::string(c.name) + ", process ends at point " + std::to_string(at);
            TempDir dir;
            makeCase(dir.path());
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                FaultInjection faults;
                faults.plan({IoOps::All, at, FaultAction::Exit});
                try {
                    Database db("D", dir.path(), CodePage::Cp866);
                    c.operation(db);
                } catch (...) {
                    ::_exit(3);
                }
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status)) << where;
            EXPECT_EQ(WEXITSTATUS(status), 86) << where << ": the point was not reached";
            expectOldOrNew(plan, recoveredState(dir.path(), where), where);
        }
    }
}
#endif
