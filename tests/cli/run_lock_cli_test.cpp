// One maintenance run at a time: while another run of ours holds the
// database, kvzt-cli commands that write are refused and change nothing;
// those that only read go ahead.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/run_lock.h"
#include "support/test_support.h"

using kvzt::test::CommandResult;
using kvzt::test::TempDir;
namespace fs = std::filesystem;

namespace {

CommandResult cli(std::vector<std::string> args, const std::string& base, const std::string& sprav) {
    args.insert(args.begin(), kvzt::test::cliPath());
    for (const std::string& alias : {"VX_B=" + base, "VX_S=" + sprav}) {
        args.push_back("--alias");
        args.push_back(alias);
    }
    return kvzt::test::runCommand(args);
}

}  // namespace

TEST(RunLockCli, WritingCommandsAreRefusedWhileTheProgramHoldsTheDatabase) {
    TempDir dir;
    const std::string base = dir.file("base");
    const std::string sprav = dir.file("sprav");
    fs::create_directories(base);
    fs::create_directories(sprav);
    ASSERT_EQ(cli({"check"}, base, sprav).exitCode, 0);
    const auto mdxTime = fs::last_write_time(base + "/SPISOK32.MDX");

    {
        const auto held = kvzt::engine::RunLock::acquire(base, "программа Квазитор");
        const std::string refusal = "уже работает программа Квазитор (процесс " + std::to_string(::getpid()) + ", ";
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"reindex", "VX_B:SPISOK32"}, {"pack", "--group", "base"}, {"check"},
              {"clear", "--income"}, {"include", "--list"}}) {
            const CommandResult r = cli(command, base, sprav);
            EXPECT_EQ(r.exitCode, 2) << command.front() << "\n" << r.out << r.err;
            EXPECT_NE(r.err.find("kvzt-cli " + command.front() + ": ошибка (0x280D): С базой данных " + base + " " +
                                 refusal),
                      std::string::npos)
                << r.err;
        }
        EXPECT_EQ(fs::last_write_time(base + "/SPISOK32.MDX"), mdxTime);
        for (const std::vector<std::string>& command : {std::vector<std::string>{"info", "VX_B:SPISOK32"},
                                                        {"verify", "VX_B:SPISOK32"}, {"dump", "VX_B:SPISOK32"}}) {
            const CommandResult r = cli(command, base, sprav);
            EXPECT_EQ(r.exitCode, 0) << command.front() << "\n" << r.out << r.err;
        }
    }
    const CommandResult r = cli({"reindex", "VX_B:SPISOK32"}, base, sprav);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
}
