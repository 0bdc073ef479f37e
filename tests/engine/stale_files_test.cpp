// Temporary files of a killed process go at the next open; those of a live
// process, and a pack file whose table is in use, stay.

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
    first.createTable("U", {{"NAME", 'C', 10, 0}});
    auto held = first.openTable("U", OpenMode::Exclusive);  // a pack of U could be running
    const std::string mine = std::to_string(::getpid());
    const std::string gone = "2147483646";  // above any pid the kernel hands out
    for (const std::string& name : {"KVZT.JNL." + gone + ".0.tmp", "KVZT.GRP." + gone + ".3.tmp", "KVZT.JNL." + mine + ".0.tmp",
                                    "KVZT.GRP." + mine + ".1.tmp", std::string("T.DBF.kvzt-pack"), std::string("U.DBF.kvzt-pack"), std::string("KVZT.JNL.x.tmp")})
        writeFile(dir.file(name), "x");

    Database db("X", dir.path(), CodePage::Cp1251);
    auto exists = [&](const std::string& name) { return std::filesystem::exists(dir.file(name)); };
    EXPECT_FALSE(exists("KVZT.JNL." + gone + ".0.tmp"));
    EXPECT_FALSE(exists("KVZT.GRP." + gone + ".3.tmp"));
    EXPECT_FALSE(exists("T.DBF.kvzt-pack"));
    EXPECT_TRUE(exists("KVZT.JNL." + mine + ".0.tmp"));
    EXPECT_TRUE(exists("KVZT.GRP." + mine + ".1.tmp"));
    EXPECT_TRUE(exists("U.DBF.kvzt-pack"));
    EXPECT_TRUE(exists("KVZT.JNL.x.tmp"));  // not a name of ours: left alone
}
