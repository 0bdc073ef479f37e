#include "engine/alias_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "engine/errors.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;
using kvzt::test::writeFile;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
    ~ScopedEnv() { ::unsetenv(name_); }

private:
    const char* name_;
};

int codeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.code();
    }
    return 0;
}

}  // namespace

TEST(AliasConfig, ReadsTheIniFile) {
    TempDir dir;
    writeFile(dir.file("engine.ini"),
              "\xEF\xBB\xBF; comment\r\n"
              "[Aliases]\r\n"
              "  vx_b = /data/base dir \r\n"
              "VX_S=/data/sprav=1\r\n"
              "# another comment\r\n"
              "EMPTY=\r\n"
              "[defaults]\r\n"
              "LangDriver=866\r\n"
              "[OTHER]\r\n"
              "VX_X=/ignored\r\n");
    const AliasConfig config = AliasConfig::load(dir.file("engine.ini"));
    EXPECT_EQ(config.directory("VX_B"), "/data/base dir");
    EXPECT_EQ(config.directory("vx_b"), "/data/base dir");
    EXPECT_EQ(config.directory("VX_S"), "/data/sprav=1");
    EXPECT_FALSE(config.directory("EMPTY"));
    EXPECT_FALSE(config.directory("VX_X"));
    EXPECT_FALSE(config.directory("NOWHERE"));
    EXPECT_EQ(config.aliasNames(), (std::vector<std::string>{"VX_B", "VX_S"}));
    EXPECT_EQ(config.defaultCodePage(), CodePage::Cp866);

    writeFile(dir.file("bad.ini"), "[DEFAULTS]\nLANGDRIVER=437\n");
    EXPECT_EQ(codeOf([&] { AliasConfig::load(dir.file("bad.ini")); }), code::InvalidParam);
}

// A file that is no INI file is reported as damaged, with its name and the
// line, instead of yielding no aliases (which would then read as "unknown alias").
TEST(AliasConfig, UnreadableFileNamesFileAndLine) {
    TempDir dir;
    const std::string ini = dir.file("engine.ini");
    const auto messageOf = [&](const std::string& text) -> std::string {
        writeFile(ini, text);
        try {
            AliasConfig::load(ini);
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), code::Corrupt) << text;
            return e.what();
        }
        return "(прочитан)";
    };
    const std::string prefix = "Файл настройки ядра " + ini + " повреждён: строка ";
    EXPECT_EQ(messageOf("[ALIASES]\r\nVX_B=/b\r\nкакой-то мусор\r\n"),
              prefix + "3: непонятная строка «какой-то мусор» (ожидается [РАЗДЕЛ] или ИМЯ=ЗНАЧЕНИЕ)");
    EXPECT_EQ(messageOf("; c\n\n[ALIASES\nVX_B=/b\n"), prefix + "3: неверное имя раздела «[ALIASES» (ожидается [ИМЯ])");
    EXPECT_EQ(messageOf("[]\n"), prefix + "1: неверное имя раздела «[]» (ожидается [ИМЯ])");
    EXPECT_EQ(messageOf("VX_B=/b\n[ALIASES]\n"), prefix + "1: строка «VX_B=/b» стоит вне раздела");
    EXPECT_EQ(messageOf(std::string("[ALIASES]\rVX_B=\x01\x02\x00zz", 20)),
              prefix + "2: в строке двоичные данные, это не текстовый файл");
    // Bytes that are not UTF-8 are quoted as '?', and the quote is cut short.
    EXPECT_EQ(messageOf("[A]\n\xC0\xFF" + std::string(60, 'x')),
              prefix + "2: непонятная строка «??" + std::string(38, 'x') + "» (ожидается [РАЗДЕЛ] или ИМЯ=ЗНАЧЕНИЕ)");
    // Sections we do not know and empty values stay allowed.
    EXPECT_EQ(messageOf("[OTHER]\nX=\n[ALIASES]\nVX_B=/b\n"), "(прочитан)");
}

TEST(AliasConfig, EnvironmentOverridesTheFileAndTheCommandLineOverridesBoth) {
    TempDir dir;
    writeFile(dir.file("engine.ini"), "[ALIASES]\nVX_B=/ini/base\nVX_S=/ini/sprav\n");
    ScopedEnv envB("KVZT_ALIAS_VX_B", "/env/base");
    ScopedEnv envNew("KVZT_ALIAS_IMP", "/env/imp");
    ScopedEnv envEmpty("KVZT_ALIAS_NOTHING", "");

    const AliasConfig config = AliasConfig::load(dir.file("engine.ini"), {"vx_s=/cli/sprav", "IMP = /cli/imp"});
    EXPECT_EQ(config.directory("VX_B"), "/env/base");
    EXPECT_EQ(config.directory("VX_S"), "/cli/sprav");
    EXPECT_EQ(config.directory("IMP"), "/cli/imp");
    EXPECT_FALSE(config.directory("NOTHING"));

    // No file at all is no error.
    const AliasConfig fromEnv = AliasConfig::load(dir.file("missing.ini"));
    EXPECT_EQ(fromEnv.directory("VX_B"), "/env/base");
    EXPECT_EQ(fromEnv.defaultCodePage(), CodePage::Cp1251);

    for (const char* bad : {"VX_B", "=/dir", "VX_B=", "  =  ", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(codeOf([&] { AliasConfig::load(dir.file("missing.ini"), {bad}); }), code::InvalidParam);
    }
}

TEST(AliasConfig, SaveAndLoadGiveTheSameConfiguration) {
    TempDir dir;
    AliasConfig config;
    config.setAlias("vx_b", "/a path/with = sign");
    config.setAlias("VX_S", "/sprav");
    config.setDefaultCodePage(CodePage::Cp866);
    config.save(dir.file("engine.ini"));
    const AliasConfig again = AliasConfig::load(dir.file("engine.ini"));
    EXPECT_EQ(again.directory("VX_B"), "/a path/with = sign");
    EXPECT_EQ(again.directory("VX_S"), "/sprav");
    EXPECT_EQ(again.defaultCodePage(), CodePage::Cp866);
}

TEST(AliasConfig, EmbeddedDefaultsBesideTheProgram) {
    TempDir program, user;
    const std::string ini = program.file("engine.ini");
    AliasConfig config = AliasConfig::load(ini);
    config.applyEmbeddedDefaults(ini, program.path(), user.path());
    EXPECT_EQ(config.directory("VX_B"), program.file("data/base"));
    EXPECT_EQ(config.directory("VX_S"), program.file("data/sprav"));
    EXPECT_TRUE(std::filesystem::is_directory(program.file("data/base")));
    EXPECT_TRUE(std::filesystem::is_directory(program.file("data/sprav")));
    EXPECT_FALSE(std::filesystem::exists(user.file("data")));
    // The configuration used is written, and the next start reads it back.
    const AliasConfig next = AliasConfig::load(ini);
    EXPECT_EQ(next.directory("VX_B"), program.file("data/base"));
    EXPECT_EQ(next.directory("VX_S"), program.file("data/sprav"));

    // A configured database is left alone.
    TempDir other;
    AliasConfig configured;
    configured.setAlias("VX_B", "/configured");
    configured.applyEmbeddedDefaults(other.file("engine.ini"), other.path(), user.path());
    EXPECT_FALSE(configured.directory("VX_S"));
    EXPECT_FALSE(std::filesystem::exists(other.file("engine.ini")));
    EXPECT_FALSE(std::filesystem::exists(other.file("data")));
}

TEST(AliasConfig, EmbeddedDefaultsInTheUserFolderWhenTheProgramFolderIsNotWritable) {
    TempDir program, user;
    // A plain file where the program folder should be: nothing can be made under it
    // (a permission test would not hold when the tests run as root).
    const std::string blocked = program.file("not-a-directory");
    writeFile(blocked, "");
    AliasConfig config;
    config.applyEmbeddedDefaults(blocked + "/engine.ini", blocked, user.path());
    EXPECT_EQ(config.directory("VX_B"), user.file("data/base"));
    EXPECT_EQ(config.directory("VX_S"), user.file("data/sprav"));
    EXPECT_TRUE(std::filesystem::is_directory(user.file("data/base")));
    EXPECT_EQ(AliasConfig::load(user.file("engine.ini")).directory("VX_B"), user.file("data/base"));

    AliasConfig nowhere;
    EXPECT_EQ(codeOf([&] { nowhere.applyEmbeddedDefaults(blocked + "/engine.ini", blocked, blocked); }),
              code::NoConfigFile);
}
