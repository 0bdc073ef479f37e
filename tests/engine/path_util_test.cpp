#include "engine/path_util.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;
using kvzt::test::writeFile;

TEST(PathUtil, NamesAndExtensions) {
    EXPECT_EQ(withDbfExtension("SPISOK32"), "SPISOK32.DBF");
    EXPECT_EQ(withDbfExtension("K7Socr.dbf"), "K7Socr.dbf");
    EXPECT_EQ(withDbfExtension("Spis_D32."), "Spis_D32.DBF");
    EXPECT_EQ(withDbfExtension("dir.v2/table"), "dir.v2/table.DBF");  // a dot in the directory is no extension

    EXPECT_EQ(mdxNameFor("K7Socr.dbf"), "K7Socr.mdx");
    EXPECT_EQ(mdxNameFor("SPISOK32.DBF"), "SPISOK32.MDX");
    EXPECT_EQ(mdxNameFor("Doxod22.Dbf"), "Doxod22.Mdx");
    EXPECT_EQ(mdxNameFor("/base/NH22.DBF"), "/base/NH22.MDX");
    EXPECT_EQ(mdxNameFor("table"), "table.MDX");

    EXPECT_EQ(directoryOf("/data/base/SPISOK32.DBF"), "/data/base");
    EXPECT_EQ(directoryOf("/data//x.dbf"), "/data");
    EXPECT_EQ(directoryOf("/x.dbf"), "/");
    EXPECT_EQ(directoryOf("x.dbf"), "");
    EXPECT_EQ(fileNameOf("/data/base/SPISOK32.DBF"), "SPISOK32.DBF");
    EXPECT_EQ(fileNameOf("x.dbf"), "x.dbf");
    EXPECT_EQ(fileNameOf("/data/"), "");

    EXPECT_EQ(joinPath("/data/base", "A.DBF"), "/data/base/A.DBF");
    EXPECT_EQ(joinPath("/data/base/", "A.DBF"), "/data/base/A.DBF");
    EXPECT_EQ(joinPath("", "A.DBF"), "A.DBF");
    EXPECT_EQ(joinPath("/data", "/etc/passwd"), "/data/etc/passwd");  // never escapes the directory
    EXPECT_EQ(joinPath("/", "A.DBF"), "/A.DBF");
}

TEST(PathUtil, FindFileIgnoresCaseAndPrefersExactName) {
    TempDir dir;
    writeFile(dir.file("K7Socr.dbf"), "x");

    EXPECT_EQ(findFileNoCase(dir.path(), "k7socr.DBF"), dir.file("K7Socr.dbf"));
    EXPECT_EQ(findFileNoCase(dir.path(), "K7Socr.dbf"), dir.file("K7Socr.dbf"));
#ifndef _WIN32
    // Two names differing only in case are two files only where the file
    // system tells them apart (on Windows the second write is the first file).
    writeFile(dir.file("SPISOK32.DBF"), "upper");
    writeFile(dir.file("spisok32.dbf"), "lower");
    EXPECT_EQ(findFileNoCase(dir.path(), "spisok32.dbf"), dir.file("spisok32.dbf"));
    EXPECT_EQ(findFileNoCase(dir.path(), "SPISOK32.DBF"), dir.file("SPISOK32.DBF"));
    // Neither spelling exact: the answer is the same on every run.
    EXPECT_EQ(findFileNoCase(dir.path(), "Spisok32.Dbf"), dir.file("SPISOK32.DBF"));
#endif

    EXPECT_FALSE(findFileNoCase(dir.path(), "K7SOCR.MDX"));
    EXPECT_FALSE(findFileNoCase(dir.path() + "/missing", "K7Socr.dbf"));
    EXPECT_FALSE(findFileNoCase(dir.path(), ""));
    EXPECT_FALSE(findFileNoCase(dir.path(), "../" + kvzt::engine::fileNameOf(dir.path()) + "/K7Socr.dbf"));
    EXPECT_FALSE(findFileNoCase(dir.path(), ".."));
}
