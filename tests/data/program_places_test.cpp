// Where the program finds its data and where it writes: a build tree (or a
// program in a folder of its own) keeps everything beside the executable; an
// installed one reads share/kvzt and writes only into the user's folders.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "data/program_places.h"
#include "support/test_support.h"

using kvzt::data::LocatePlaces;
using kvzt::test::TempDir;

namespace {

QString q(const std::string& s) { return QDir::toNativeSeparators(QString::fromStdString(s)); }

void makeDir(const std::string& path) { ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path))); }

void touch(const std::string& path) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

}  // namespace

TEST(ProgramPlaces, BuildTreeKeepsEverythingBesideTheProgram) {
    TempDir root;
    makeDir(root.file("build/src/refbooks"));
    const auto places = LocatePlaces(q(root.file("build/src")), q(root.file("user-data")), q(root.file("user-config")));
    EXPECT_FALSE(places.installed);
    EXPECT_EQ(places.dataDirectory, q(root.file("build/src")));
    EXPECT_EQ(places.writableDirectory, q(root.file("build/src")));
    EXPECT_EQ(places.engineIni, q(root.file("build/src/engine.ini")));

    // A configuration the user put in his own folder is read when none is beside the program.
    makeDir(root.file("user-config"));
    touch(root.file("user-config/engine.ini"));
    EXPECT_EQ(LocatePlaces(q(root.file("build/src")), q(root.file("user-data")), q(root.file("user-config"))).engineIni,
              q(root.file("user-config/engine.ini")));
    // One beside the program wins.
    touch(root.file("build/src/engine.ini"));
    EXPECT_EQ(LocatePlaces(q(root.file("build/src")), q(root.file("user-data")), q(root.file("user-config"))).engineIni,
              q(root.file("build/src/engine.ini")));
}

TEST(ProgramPlaces, InstalledProgramReadsShareAndWritesIntoTheUsersFolders) {
    TempDir root;
    makeDir(root.file("usr/bin"));
    makeDir(root.file("usr/share/kvzt/refbooks"));
    makeDir(root.file("usr/share/kvzt/IMP"));
    // The bin folder is writable here (as it is to root): still nothing is written there.
    const auto places = LocatePlaces(q(root.file("usr/bin")), q(root.file("home/.local/share/kvzt")),
                                     q(root.file("home/.config/kvzt")));
    EXPECT_TRUE(places.installed);
    EXPECT_EQ(places.dataDirectory, q(root.file("usr/share/kvzt")));
    EXPECT_EQ(places.writableDirectory, q(root.file("home/.local/share/kvzt")));
    EXPECT_EQ(places.engineIni, q(root.file("home/.config/kvzt/engine.ini")));

    // An administrator's engine.ini beside the installed program is still read.
    touch(root.file("usr/bin/engine.ini"));
    EXPECT_EQ(LocatePlaces(q(root.file("usr/bin")), q(root.file("d")), q(root.file("c"))).engineIni,
              q(root.file("usr/bin/engine.ini")));
}

TEST(ProgramPlaces, DataBesideTheProgramWinsOverAnInstalledCopy) {
    // A build tree inside a prefix that also has an installed copy.
    TempDir root;
    makeDir(root.file("usr/bin/refbooks"));
    makeDir(root.file("usr/share/kvzt/refbooks"));
    const auto places = LocatePlaces(q(root.file("usr/bin")), q(root.file("d")), q(root.file("c")));
    EXPECT_FALSE(places.installed);
    EXPECT_EQ(places.dataDirectory, q(root.file("usr/bin")));
}

TEST(ProgramPlaces, WritableDirectoryIsTriedForReal) {
    TempDir root;
    EXPECT_TRUE(kvzt::data::IsWritableDirectory(q(root.path())));
    EXPECT_FALSE(kvzt::data::IsWritableDirectory(q(root.file("missing"))));
    // The probe leaves nothing behind.
    EXPECT_TRUE(QDir(q(root.path())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}
