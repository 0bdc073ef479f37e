// Paths behind aliases, the index flag byte, starting programs and the busy wait.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <thread>

#include "data/path_helpers.h"
#include "engine/alias_config.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "support/test_support.h"

using namespace kvzt::data;
using kvzt::engine::AliasConfig;
using kvzt::engine::EngineError;
using kvzt::engine::Session;
using kvzt::test::readFile;
using kvzt::test::TempDir;
using kvzt::test::writeFile;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }
QString q(const std::string& s) { return QString::fromStdString(s); }

int ms(int h, int m, int s, int milli) { return ((h * 60 + m) * 60 + s) * 1000 + milli; }

// A directory whose path is far longer than 60 characters.
std::string longDirectory(const TempDir& dir) {
    const std::string path = dir.file("очень-длинное-имя-каталога-с-данными-программы/и-ещё-один-уровень-вложенности/и-третий");
    std::filesystem::create_directories(path);
    EXPECT_GT(q(path).size(), 100);
    return path;
}

std::string dbfHeader(char flag) {
    std::string bytes(64, '\0');
    bytes[0] = 0x03;
    bytes[28] = flag;
    return bytes;
}

}  // namespace

TEST(PathHelpers, JoinPathAndFileSize) {
    EXPECT_EQ(JoinPath(u(""), u("a.dbf")), u("a.dbf"));
    EXPECT_EQ(JoinPath(u("C:\\VX\\"), u("a.dbf")), u("C:\\VX\\a.dbf"));
    EXPECT_EQ(JoinPath(u("/data/"), u("a.dbf")), u("/data/a.dbf"));
    EXPECT_EQ(JoinPath(u("/data"), u("a.dbf")), u("/data") + QDir::separator() + u("a.dbf"));

    TempDir dir;
    writeFile(dir.file("five"), "12345");
    EXPECT_EQ(FileSizeOf(q(dir.file("five"))), 5);
    EXPECT_EQ(FileSizeOf(q(dir.file("none"))), -1);
    EXPECT_EQ(FileSizeOf(q(dir.path())), -1);
}

TEST(PathHelpers, IndexFlagsInATableUnderALongAliasPath) {
    TempDir dir;
    const std::string base = longDirectory(dir);
    writeFile(base + "/K7Socr.DBF", dbfHeader(1));
    AliasConfig config;
    config.setAlias("VX_S", base);
    const Session session(config);

    EXPECT_EQ(AliasPath(session, u("vx_s")), q(base));
    ClearIndexFlag(session, u("VX_S"), u("K7SOCR"));
    std::string bytes = readFile(base + "/K7Socr.DBF");
    ASSERT_EQ(bytes.size(), 64u);
    EXPECT_EQ(bytes[28], 0);
    EXPECT_EQ(bytes.substr(0, 28), dbfHeader(1).substr(0, 28));
    EXPECT_EQ(bytes.substr(29), dbfHeader(1).substr(29));

    // A directory given instead of an alias, and a name with its extension.
    SetIndexFlag(session, q(base), u("k7socr.dbf"));
    EXPECT_EQ(readFile(base + "/K7Socr.DBF")[28], 1);

    EXPECT_THROW(AliasPath(session, u("VX_X")), EngineError);
}

TEST(PathHelpers, IndexFlagErrorsNameTheFileAndNeverGrowIt) {
    TempDir dir;
    const Session session{AliasConfig()};
    try {
        ClearIndexFlag(session, q(dir.path()), u("missing"));
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.dbf"), std::string::npos) << e.what();
    }
    writeFile(dir.file("tiny.dbf"), "abc");
    EXPECT_THROW(SetIndexFlag(session, q(dir.path()), u("tiny")), EngineError);
    EXPECT_EQ(readFile(dir.file("tiny.dbf")), "abc");
}

TEST(PathHelpers, RunFileStartsAProgramWithoutWaiting) {
    TempDir dir;
    const std::string longDir = longDirectory(dir);
    const std::string script = longDir + "/запуск программы.sh";
    const std::string marker = longDir + "/started";
    writeFile(script, "#!/bin/sh\nsleep 1\necho \"$1\" > \"$2\"\n");
    QFile::setPermissions(q(script), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunFile(q(script), u("привет \"") + q(marker) + u("\""), true));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(900));
    for (int i = 0; i < 100 && !QFileInfo::exists(q(marker)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(readFile(marker), "привет\n");

    EXPECT_FALSE(RunFile(q(dir.file("no-such-program")), u(""), true));
}

TEST(PathHelpers, DelayAcrossMidnight) {
    // The clock moves 10 ms each time it is read.
    int clock = ms(23, 59, 59, 900);
    int processed = 0;
    Delay(300, [&] { const int now = clock; clock = (clock + 10) % 86'400'000; return now; }, [&] { ++processed; });
    // The last reading that ended the wait was 00:00:00.200.
    EXPECT_EQ(clock, ms(0, 0, 0, 210));
    EXPECT_GT(processed, 0);

    clock = ms(12, 0, 0, 0);
    Delay(0, [&] { return clock; }, [&] { FAIL() << "no wait for 0 ms"; });
}
