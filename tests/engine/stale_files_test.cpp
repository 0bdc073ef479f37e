// A group record's temporary file of a killed process goes at the next open;
// one of a live process stays.

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/database.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;
using kvzt::test::writeFile;

TEST(StaleFiles, TemporariesOfAGoneProcessAreRemovedAtOpen) {
    TempDir dir;
    Database first("X", dir.path(), CodePage::Cp1251);
    first.createTable("T", {{"NAME", 'C', 10, 0}});
    const std::string mine = std::to_string(::getpid());
    const std::string gone = "2147483646";  // above any pid the kernel hands out
    for (const std::string& name : {"KVZT.GRP." + gone + ".3.tmp", "KVZT.GRP." + mine + ".1.tmp", std::string("KVZT.GRP.x.tmp")})
        writeFile(dir.file(name), "x");

    Database db("X", dir.path(), CodePage::Cp1251);
    auto exists = [&](const std::string& name) { return std::filesystem::exists(dir.file(name)); };
    EXPECT_FALSE(exists("KVZT.GRP." + gone + ".3.tmp"));
    EXPECT_TRUE(exists("KVZT.GRP." + mine + ".1.tmp"));
    EXPECT_TRUE(exists("KVZT.GRP.x.tmp"));  // not a name of ours: left alone
}
