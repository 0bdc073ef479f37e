#include "engine/journal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "engine/errors.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::readFile;
using kvzt::test::writeFile;

namespace {

// Writes `bytes` at `offset` of an existing file, as a table write would.
void patch(const std::string& path, std::uint64_t offset, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), off_t(offset)), ssize_t(bytes.size()));
    ::close(fd);
}

bool exists(const std::string& path) { return std::filesystem::exists(path); }

int codeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.code();
    }
    return 0;
}

// A forked process that runs `body` and then waits, mid-transaction, to be
// killed. `body` keeps its journal on the heap, out of reach of destructors.
class CrashingChild {
public:
    explicit CrashingChild(const std::function<void()>& body) {
        if (::pipe(pipe_) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            body();
            (void)!::write(pipe_[1], "r", 1);
            for (;;) ::pause();
        }
        ::close(pipe_[1]);
        char c;
        ready_ = ::read(pipe_[0], &c, 1) == 1;
        ::close(pipe_[0]);
    }
    ~CrashingChild() { kill(); }
    bool ready() const { return ready_; }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    int pipe_[2]{-1, -1};
    pid_t pid_ = -1;
    bool ready_ = false;
};

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 100; ++i) original += char('A' + i % 26);
        writeFile(a, original);
        writeFile(b, "0123456789");
    }
    kvzt::test::TempDir dir;
    std::string a = dir.file("A.DBF");
    std::string b = dir.file("b.dbf");
    std::string journal = Journal::pathIn(dir.path());
    std::string original;
};

}  // namespace

TEST_F(JournalTest, RollbackRestoresBytesAndCutsGrownFiles) {
    Journal j(dir.path());
    j.begin();
    EXPECT_TRUE(exists(journal));
    j.saveLength(a, 100, original.substr(0, 32));
    patch(a, 0, "HEAD");
    j.saveBytes(a, 40, original.substr(40, 10));
    patch(a, 40, "xxxxxxxxxx");
    writeFile(a, readFile(a) + std::string(50, 'N'));
    j.saveBytes(a, 40, "yyyyyyyyyy");  // once per place: a second image is not the one restored
    patch(a, 40, "zzzzzzzzzz");
    j.saveBytes(a, 2, "HE");  // a later image overlapping the header: the oldest bytes must win
    patch(a, 2, "##");
    j.saveBytes(b, 2, "23");
    patch(b, 2, "__");

    EXPECT_EQ(j.rollback(), (std::vector<std::string>{a, b}));
    EXPECT_FALSE(j.active());
    EXPECT_EQ(readFile(a), original);
    EXPECT_EQ(readFile(b), "0123456789");
    EXPECT_FALSE(exists(journal));
}

TEST_F(JournalTest, CommitKeepsChangesAndAnUnfinishedTransactionIsRolledBack) {
    Journal j(dir.path());
    j.begin();
    j.saveBytes(a, 0, original.substr(0, 3));
    patch(a, 0, "new");
    j.commit();
    EXPECT_FALSE(exists(journal));
    EXPECT_TRUE(Journal::recover(dir.path()).empty());
    EXPECT_EQ(readFile(a).substr(0, 3), "new");
    j.saveBytes(a, 0, "xxx");  // outside a transaction: nothing recorded
    EXPECT_FALSE(exists(journal));

    {
        Journal k(dir.path());
        k.begin();
        k.saveLength(b, 10, "");
        writeFile(b, "0123456789 and more");
    }
    EXPECT_EQ(readFile(b), "0123456789");
}

TEST_F(JournalTest, OneTransactionPerDirectory) {
    Journal j(dir.path());
    EXPECT_EQ(codeOf([&] { j.commit(); }), code::TransactionState);
    EXPECT_EQ(codeOf([&] { j.rollback(); }), code::TransactionState);
    j.begin();
    EXPECT_EQ(codeOf([&] { j.begin(); }), code::TransactionState);
    Journal other(dir.path());  // another window or program on the same directory
    EXPECT_EQ(codeOf([&] { other.begin(); }), code::TransactionState);

    kvzt::test::TempDir elsewhere;
    writeFile(elsewhere.file("X.DBF"), "x");
    EXPECT_EQ(codeOf([&] { j.saveBytes(elsewhere.file("X.DBF"), 0, "x"); }), code::InvalidParam);
    j.saveBytes(dir.path() + "/./A.DBF", 0, "A");  // another spelling of the directory is fine
    j.rollback();
    other.begin();
    other.commit();
}

TEST_F(JournalTest, AKilledProcessIsUndoneByRecoverButOnlyOnceItIsDead) {
    CrashingChild child([&] {
        Journal& j = *new Journal(dir.path());
        j.begin();
        j.saveLength(a, 100, original.substr(0, 16));
        patch(a, 0, "HEADER-CHANGED");
        j.saveBytes(a, 50, original.substr(50, 25));
        patch(a, 50, std::string(25, '!'));
        writeFile(a, readFile(a) + std::string(300, 'N'));
        j.saveBytes(b, 0, "0123456789");
        writeFile(b, "rewritten");
    });
    ASSERT_TRUE(child.ready());
    const std::string changed = readFile(a);
    ASSERT_NE(changed, original);

    // Still running: its journal is not touched, and no one else may start.
    EXPECT_TRUE(Journal::recover(dir.path()).empty());
    EXPECT_EQ(readFile(a), changed);
    Journal ours(dir.path());
    EXPECT_EQ(codeOf([&] { ours.begin(); }), code::TransactionState);

    child.kill();
    EXPECT_EQ(codeOf([&] { ours.begin(); }), code::TransactionState);  // recovery comes first
    EXPECT_EQ(Journal::recover(dir.path()), (std::vector<std::string>{a, b}));
    EXPECT_EQ(readFile(a), original);
    EXPECT_EQ(readFile(b), "0123456789");
    EXPECT_FALSE(exists(journal));
    ours.begin();
    ours.commit();
}

TEST_F(JournalTest, ATornOrDamagedLastEntryIsIgnored) {
    CrashingChild child([&] {
        Journal& j = *new Journal(dir.path());
        j.begin();
        j.saveBytes(a, 10, original.substr(10, 5));
        patch(a, 10, "11111");
        j.saveBytes(a, 20, "not-to-be-written-back");  // torn off below; its data write never happens
    });
    ASSERT_TRUE(child.ready());
    child.kill();
    const std::string full = readFile(journal);
    std::string damagedCrc = full;
    damagedCrc.back() ^= 0x55;
    for (const std::string& left : {full.substr(0, full.size() - 1), full.substr(0, full.size() - 20), damagedCrc}) {
        writeFile(journal, left);
        writeFile(a, original);
        patch(a, 10, "11111");
        EXPECT_EQ(Journal::recover(dir.path()), std::vector<std::string>{a});
        EXPECT_EQ(readFile(a), original);
    }
}

TEST_F(JournalTest, RecoverSkipsVanishedFilesAndRefusesForeignJournals) {
    EXPECT_TRUE(Journal::recover(dir.path()).empty());
    EXPECT_TRUE(Journal::recover(dir.path() + "/no-such-dir").empty());

    CrashingChild child([&] {
        Journal& j = *new Journal(dir.path());
        j.begin();
        j.saveBytes(b, 0, "0123456789");
        j.saveBytes(a, 0, original.substr(0, 1));
        patch(a, 0, "#");
    });
    ASSERT_TRUE(child.ready());
    child.kill();
    std::filesystem::remove(b);
    EXPECT_EQ(Journal::recover(dir.path()), std::vector<std::string>{a});
    EXPECT_FALSE(exists(b));
    EXPECT_EQ(readFile(a), original);

    writeFile(journal, "not a journal at all");
    EXPECT_EQ(codeOf([&] { Journal::recover(dir.path()); }), code::Corrupt);
    EXPECT_TRUE(exists(journal));
}
