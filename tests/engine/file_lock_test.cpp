#include "engine/file_lock.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "support/test_support.h"

using namespace kvzt::engine;

namespace {

struct Fd {
    explicit Fd(const std::string& path, int flags = O_RDWR) : fd(::open(path.c_str(), flags | O_CLOEXEC)) {}
    ~Fd() { ::close(fd); }
    int fd;
};

// A forked process taking `kind` on its own open of `path`. Without `hold` it
// ends at once and the result is its exit code (0 taken, 1 refused). With
// `hold` it keeps the lock, writes one byte to hold.ready and waits until the
// test closes hold.release; the result is then its process id.
struct Hold {
    int ready[2];
    int release[2];
};

int otherProcess(const std::string& path, LockKind kind, Hold* hold = nullptr) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        Fd fd(path);
        auto lock = tryLockFile(fd.fd, kind);
        if (lock && hold) {
            ::close(hold->release[1]);
            (void)!::write(hold->ready[1], "r", 1);
            char c;
            (void)!::read(hold->release[0], &c, 1);  // returns when the test closes its end
        }
        ::_exit(lock ? 0 : 1);
    }
    if (hold) {
        ::close(hold->ready[1]);  // so that a child that failed is seen as an end of file
        hold->ready[1] = -1;
        return pid;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FileLockTest : public ::testing::Test {
protected:
    void SetUp() override { kvzt::test::writeFile(path, std::string(1000, 'x')); }
    kvzt::test::TempDir dir;
    std::string path = dir.file("TABLE.DBF");
};

}  // namespace

TEST_F(FileLockTest, TwoOpensOfOneProcessConflictLikeTwoPrograms) {
    Fd a(path), b(path), c(path);
    auto exclusive = tryLockFile(a.fd, LockKind::Exclusive);
    ASSERT_TRUE(exclusive);
    EXPECT_FALSE(tryLockFile(b.fd, LockKind::Shared));
    EXPECT_FALSE(tryLockFile(b.fd, LockKind::Exclusive));
    EXPECT_EQ(::pwrite(b.fd, "abcd", 4, 0), 4);  // the lock never stands in the way of data
    exclusive->release();

    auto sa = tryLockFile(a.fd, LockKind::Shared);
    auto sb = tryLockFile(b.fd, LockKind::Shared);
    ASSERT_TRUE(sa && sb);
    EXPECT_FALSE(tryLockFile(c.fd, LockKind::Exclusive));
    // A refused upgrade keeps the shared lock; once alone the upgrade works.
    EXPECT_FALSE(sa->convert(LockKind::Exclusive));
    EXPECT_FALSE(tryLockFile(c.fd, LockKind::Exclusive));
    sb.reset();
    EXPECT_TRUE(sa->convert(LockKind::Exclusive));
    EXPECT_FALSE(tryLockFile(c.fd, LockKind::Shared));
    EXPECT_TRUE(sa->convert(LockKind::Shared));
    EXPECT_TRUE(tryLockFile(c.fd, LockKind::Shared));
}

TEST_F(FileLockTest, ExclusiveNeedsAWritableDescriptor) {
    Fd readOnly(path, O_RDONLY);
    EXPECT_TRUE(tryLockFile(readOnly.fd, LockKind::Shared));
    try {
        tryLockFile(readOnly.fd, LockKind::Exclusive);
        FAIL() << "an exclusive lock on a read-only descriptor";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::Io);
    }
    EXPECT_THROW(tryLockFile(-1, LockKind::Shared), EngineError);
}

TEST_F(FileLockTest, LocksHoldBetweenProcessesBothWays) {
    Hold hold{};
    ASSERT_EQ(::pipe(hold.ready), 0);
    ASSERT_EQ(::pipe(hold.release), 0);
    const pid_t holder = otherProcess(path, LockKind::Exclusive, &hold);
    char c;
    ASSERT_EQ(::read(hold.ready[0], &c, 1), 1);
    Fd ours(path);
    EXPECT_FALSE(tryLockFile(ours.fd, LockKind::Shared));
    for (int fd : {hold.ready[0], hold.release[0], hold.release[1]}) ::close(fd);
    ::waitpid(holder, nullptr, 0);
    auto shared = tryLockFile(ours.fd, LockKind::Shared);
    EXPECT_TRUE(shared);

    EXPECT_EQ(otherProcess(path, LockKind::Shared), 0);
    EXPECT_EQ(otherProcess(path, LockKind::Exclusive), 1);
    ASSERT_TRUE(shared->convert(LockKind::Exclusive));
    EXPECT_EQ(otherProcess(path, LockKind::Shared), 1);
}
