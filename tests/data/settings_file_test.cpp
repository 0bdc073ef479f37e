// The settings file: private-profile reading and writing in code page 1251.

#include <gtest/gtest.h>

#include "data/settings_file.h"
#include "support/test_support.h"

using kvzt::data::SettingsFile;
using kvzt::data::SettingsWriteError;
using kvzt::test::readFile;
using kvzt::test::TempDir;
using kvzt::test::writeFile;

namespace {
QString u(const char* text) { return QString::fromUtf8(text); }
QString q(const std::string& path) { return QString::fromStdString(path); }
}  // namespace

TEST(SettingsFile, MissingFileSectionOrKeyGivesErr) {
    TempDir dir;
    SettingsFile missing(q(dir.file("KvZt32.ini")));
    EXPECT_EQ(missing.readString(u("FORMS"), u("fmMain0")), u("err"));

    writeFile(dir.file("KvZt32.ini"), "[FORMS]\r\nfmMain0=0,  1,  2,  3,  4\r\n");
    SettingsFile s(q(dir.file("KvZt32.ini")));
    EXPECT_EQ(s.readString(u("GRIDS"), u("fmMain0")), u("err"));
    EXPECT_EQ(s.readString(u("FORMS"), u("fmMain1")), u("err"));
    EXPECT_EQ(s.readString(u("forms"), u("FMMAIN0")), u("0,  1,  2,  3,  4"));
}

TEST(SettingsFile, ReadsLikeTheWindowsProfileFunctions) {
    TempDir dir;
    // 1251 bytes: "Фамилия" = C4 E0 EC E8 EB E8 FF; LF-only lines and blanks around names.
    writeFile(dir.file("a.ini"),
              "; comment\n[ GRIDS ]\n  dbgDubl0 =  FAM,  120,  \xD4\xE0\xEC\xE8\xEB\xE8\xFF,  \n"
              "quoted=\"a b\"\n[FORMS]\ndbgDubl0=other section\n");
    SettingsFile s(q(dir.file("a.ini")));
    EXPECT_EQ(s.readString(u("GRIDS"), u("dbgDubl0")), u("FAM,  120,  Фамилия,"));
    EXPECT_EQ(s.readString(u("GRIDS"), u("quoted")), u("a b"));
    EXPECT_EQ(s.readString(u("FORMS"), u("dbgDubl0")), u("other section"));

    writeFile(dir.file("long.ini"), "[S]\nk=" + std::string(3000, 'x') + "\n");
    EXPECT_EQ(SettingsFile(q(dir.file("long.ini"))).readString(u("S"), u("k")).size(), 1024);
}

TEST(SettingsFile, WritingAKeyKeepsEveryOtherLine) {
    TempDir dir;
    const std::string before =
        "; written by hand\r\n[FORMS]\r\nfmMain0=0,  1,  2,  3,  4\r\nfmOther0=keep me\r\n\r\n[OTHER]\r\nx=y\r\n";
    writeFile(dir.file("k.ini"), before);
    SettingsFile s(q(dir.file("k.ini")));

    s.writeString(u("FORMS"), u("FMMAIN0"), u("2,  5,  6,  7,  8"));
    s.writeString(u("FORMS"), u("fmNew3"), u("Таксант"));
    s.writeString(u("GRIDS"), u("dbgDubl0"), u("NOM,  40,  №,  "));

    EXPECT_EQ(readFile(dir.file("k.ini")),
              "; written by hand\r\n[FORMS]\r\nFMMAIN0=2,  5,  6,  7,  8\r\nfmOther0=keep me\r\n"
              "fmNew3=\xD2\xE0\xEA\xF1\xE0\xED\xF2\r\n\r\n[OTHER]\r\nx=y\r\n[GRIDS]\r\ndbgDubl0=NOM,  40,  \xB9,  \r\n");
    EXPECT_EQ(s.readString(u("FORMS"), u("fmnew3")), u("Таксант"));
    EXPECT_EQ(s.readString(u("GRIDS"), u("dbgDubl0")), u("NOM,  40,  №,"));
}

TEST(SettingsFile, SectionNamesMatchInAnyLetterCase) {
    TempDir dir;
    writeFile(dir.file("c.ini"), "[Forms]\r\nfmMain0=1\r\n[grids]\r\ndbgDubl0=a\r\n");
    SettingsFile s(q(dir.file("c.ini")));
    EXPECT_EQ(s.readString(u("FORMS"), u("fmMain0")), u("1"));
    EXPECT_EQ(s.readString(u("GRIDS"), u("dbgDubl0")), u("a"));
    // Writing goes into the section that is there, never into a second one.
    s.writeString(u("FORMS"), u("fmMain0"), u("2"));
    s.writeString(u("GRIDS"), u("dbgDubl1"), u("b"));
    EXPECT_EQ(readFile(dir.file("c.ini")), "[Forms]\r\nfmMain0=2\r\n[grids]\r\ndbgDubl0=a\r\ndbgDubl1=b\r\n");
}

TEST(SettingsFile, NewFileAndFileWithoutFinalLineEnd) {
    TempDir dir;
    SettingsFile fresh(q(dir.file("new.ini")));
    fresh.writeString(u("FORMS"), u("fmMain0"), u("0,  108,  200,  122,  544"));
    EXPECT_EQ(readFile(dir.file("new.ini")), "[FORMS]\r\nfmMain0=0,  108,  200,  122,  544\r\n");

    writeFile(dir.file("open.ini"), "[FORMS]\nfmA0=1");
    SettingsFile open(q(dir.file("open.ini")));
    open.writeString(u("FORMS"), u("fmB0"), u("2"));
    EXPECT_EQ(readFile(dir.file("open.ini")), "[FORMS]\nfmA0=1\nfmB0=2\n");
}

TEST(SettingsFile, FailedWriteNamesTheFile) {
    TempDir dir;
    // A "directory" that is a plain file: no one can write beneath it.
    writeFile(dir.file("not-a-folder"), "x");
    SettingsFile s(q(dir.file("not-a-folder") + "/KvZt32.ini"));
    try {
        s.writeString(u("FORMS"), u("fmMain0"), u("0"));
        FAIL() << "the write should fail";
    } catch (const SettingsWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("KvZt32.ini"), std::string::npos) << e.what();
    }
}
