#include "engine/run_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#endif

#include <regex>

#include "engine/errors.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

std::string refusalOf(const std::string& directory, const std::string& who) {
    try {
        RunLock::acquire(directory, who);
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::TableInUse);
        return e.what();
    }
    return "(взята)";
}

}  // namespace

// A second writer is refused with a message naming the holder; once the
// holder is gone the lock is free again and its lines are gone with it.
TEST(RunLock, SecondWriterIsRefusedNamingTheHolderUntilItIsReleased) {
    TempDir dir;
    {
        const std::unique_ptr<RunLock> held = RunLock::acquire(dir.path(), "kvzt-cli import");
        const std::string refusal = refusalOf(dir.path(), "программа Квазитор");
        const std::regex expected("С базой данных " + std::regex_replace(dir.path(), std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") + " уже работает kvzt-cli import \\(процесс " +
                                  std::to_string(::getpid()) +
                                  ", пользователь [^,]+, компьютер [^,]+, с \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\)\\. "
                                  "Дождитесь окончания его работы и повторите\\.");
        EXPECT_TRUE(std::regex_match(refusal, expected)) << refusal;
    }
    EXPECT_EQ(kvzt::test::readFile(dir.file(kRunLockFileName)), "");
    EXPECT_NE(RunLock::acquire(dir.path(), "kvzt-cli pack"), nullptr);
}

#ifndef _WIN32  // the dying process is made with fork()
// The lock dies with its process: a run killed while holding it leaves its
// file with its lines, and the next run takes it over.
TEST(RunLock, ALockLeftByAKilledProcessIsTakenOver) {
    TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto held = RunLock::acquire(dir.path(), "kvzt-cli include");
        (void)::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_NE(refusalOf(dir.path(), "kvzt-cli clear").find("уже работает kvzt-cli include (процесс " +
                                                             std::to_string(child) + ", "),
              std::string::npos);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_NE(kvzt::test::readFile(dir.file(kRunLockFileName)).find("who=kvzt-cli include"), std::string::npos);

    const std::unique_ptr<RunLock> next = RunLock::acquire(dir.path(), "kvzt-cli clear");
    EXPECT_NE(kvzt::test::readFile(dir.file(kRunLockFileName)).find("who=kvzt-cli clear\npid=" +
                                                                     std::to_string(::getpid()) + "\n"),
              std::string::npos);
}
#endif

TEST(RunLock, ADirectoryThatCannotHoldTheFileIsAnIoError) {
    TempDir dir;
    try {
        RunLock::acquire(dir.file("missing"), "kvzt-cli pack");
        FAIL() << "взята";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::Io);
        EXPECT_NE(std::string(e.what()).find(dir.file("missing/KVZT.LCK")), std::string::npos) << e.what();
    }
}
