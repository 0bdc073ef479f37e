// The start-up integrity check: missing tables and indexes created, damaged
// index files replaced, the settings record written once, and `kvzt-cli check`.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "engine/alias_config.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/start_check.h"
#include "schema/table_catalogue.h"
#include "support/test_support.h"

using namespace kvzt::schema;
using kvzt::engine::AliasConfig;
using kvzt::engine::OpenMode;
using kvzt::engine::Session;
using kvzt::test::CommandResult;
using kvzt::test::TempDir;
namespace fs = std::filesystem;

namespace {

QString refBookDir() { return QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks"); }

// A VX_B / VX_S directory pair below `root` (created) and a session over it.
struct Pair {
    explicit Pair(const std::string& root) : base(root + "/base"), sprav(root + "/sprav") {
        fs::create_directories(base);
        fs::create_directories(sprav);
        AliasConfig config;
        config.setAlias("VX_B", base);
        config.setAlias("VX_S", sprav);
        session = std::make_unique<Session>(config);
    }
    std::vector<std::string> aliasArgs() const { return {"--alias", "VX_B=" + base, "--alias", "VX_S=" + sprav}; }
    std::string base;
    std::string sprav;
    std::unique_ptr<Session> session;
};

StartCheckOptions withBooks() {
    StartCheckOptions options;
    options.referenceBookDirectory = refBookDir();
    return options;
}

// Records everything the check tells its window.
class Recorder : public StartCheckObserver {
public:
    void showMessage(const QString& text) override { messages.append(text); }
    void pause(int ms) override { pauses.push_back(ms); }
    void processMessages() override {
        if (onProcess) onProcess();
    }
    void repairing(const QString& alias, const QString& file, const QString& what) override {
        repairs.append(alias + ":" + file + " " + what);
        if (onRepair) onRepair(alias + ":" + file + " " + what);
    }
    QStringList messages;
    QStringList repairs;
    std::vector<int> pauses;
    std::function<void()> onProcess;
    std::function<void(const QString&)> onRepair;
};

CommandResult cli(const std::vector<std::string>& head, const std::vector<std::string>& tail = {}) {
    std::vector<std::string> args{kvzt::test::cliPath()};
    args.insert(args.end(), head.begin(), head.end());
    args.insert(args.end(), tail.begin(), tail.end());
    return kvzt::test::runCommand(args);
}

// `kvzt-cli verify` of a table: every tag walked against the data.
void expectSoundIndex(const Pair& pair, const std::string& table) {
    const CommandResult r = cli({"verify", table}, pair.aliasArgs());
    EXPECT_EQ(r.exitCode, 0) << table << "\n" << r.out << r.err;
}

std::vector<std::string> tagNames(Session& session, const char* alias, const char* table) {
    std::unique_ptr<kvzt::engine::Table> t = session.openTable(alias, table, OpenMode::ReadOnly);
    std::vector<std::string> names = t->tagNames();
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> catalogueTagNames(const char* table) {
    std::vector<std::string> names;
    for (const TagSpec& tag : CatalogueTags(QString::fromLatin1(table))) names.push_back(tag.name);
    std::sort(names.begin(), names.end());
    return names;
}

unsigned char indexFlag(const std::string& dbfPath) {
    return static_cast<unsigned char>(kvzt::test::readFile(dbfPath).at(28));
}

void addTaxpayer(Session& session, int nom, const char* surname) {
    std::unique_ptr<kvzt::engine::Table> t = session.openTable("VX_B", "SPISOK32");
    t->append();
    t->setInteger("NOM", nom);
    t->setString("FAM", surname);
    t->post();
    t->close();
}

}  // namespace

TEST(StartCheck, BuildsTheWholeDatabaseFromAnEmptyDirectoryPairAndThenFindsNothingToDo) {
    TempDir dir;
    Pair pair(dir.path());
    Recorder recorder;
    const StartCheckReport first = StartCheck(*pair.session, withBooks(), &recorder);
    EXPECT_TRUE(first.ok()) << first.failures.join("\n").toStdString();

    const QStringList catalogue = BuildTableCatalogue();
    EXPECT_EQ(first.createdTables.size(), CatalogueTables(catalogue).size());
    for (const CatalogueTable& t : CatalogueTables(catalogue)) {
        EXPECT_TRUE(pair.session->database(t.alias.toStdString()).tableExists(t.fileName.toStdString()))
            << t.fileName.toStdString();
    }
    // Index-catalogue tables outside the table catalogue are skipped, not failed.
    EXPECT_EQ(first.skippedTables,
              QStringList({"VX_B:KD32_.DBF", "VX_B:KDO32_.DBF", "VX_B:KDS32_.DBF", "VX_B:KV32_.DBF"}));
    EXPECT_EQ(first.indexedTables.size(), 38);
    for (const char* table : {"SPISOK32", "SVBASE32", "K4NAS", "KART32", "DOXOD22"}) {
        const std::string alias = QString(table).startsWith("K4") ? "VX_S" : "VX_B";
        EXPECT_EQ(tagNames(*pair.session, alias.c_str(), table), catalogueTagNames(table)) << table;
    }
    EXPECT_EQ(first.filledBooks.size(), 7);
    EXPECT_TRUE(first.settingsRecordAdded);
    for (const char* table : {"VX_S:KLSTR22", "VX_S:K1REG", "VX_S:K7SOCR", "VX_S:KLDOC30", "VX_S:KLDOX31",
                              "VX_S:KLVIC30", "VX_S:KLSKID30", "VX_B:SPISOK32", "VX_B:UPI32", "VX_S:K6DOM"}) {
        expectSoundIndex(pair, table);
    }

    // What the title window shows: the pauses, the general message, one
    // message per catalogue table (title as it stands before "["), then none.
    EXPECT_EQ(recorder.pauses, std::vector<int>({1000, 1000}));
    ASSERT_FALSE(recorder.messages.isEmpty());
    EXPECT_EQ(recorder.messages.first(), QString::fromUtf8("Проверка целостности данных"));
    EXPECT_TRUE(recorder.messages.contains(QString::fromUtf8("Проверка целостности данных (Cписок сотрудников )")));
    EXPECT_TRUE(recorder.messages.last().isEmpty());

    const StartCheckReport second = StartCheck(*pair.session, withBooks());
    EXPECT_TRUE(second.ok());
    EXPECT_TRUE(second.createdTables.isEmpty());
    EXPECT_TRUE(second.indexedTables.isEmpty());
    EXPECT_TRUE(second.filledBooks.isEmpty());
    EXPECT_FALSE(second.settingsRecordAdded);
    // The check frees the index list it built.
    EXPECT_FALSE(IndexListBuilt());
}

TEST(StartCheck, RecreatesALostTaxpayerListWithAllItsTagsDespiteAStaleIndexFile) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    addTaxpayer(*pair.session, 1, "Иванов");
    addTaxpayer(*pair.session, 2, "Петров");
    // The table file is lost; its index file, describing two records, survives.
    fs::remove(pair.base + "/SPISOK32.DBF");
    ASSERT_TRUE(fs::exists(pair.base + "/SPISOK32.MDX"));

    const StartCheckReport report = StartCheck(*pair.session, withBooks());
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_EQ(report.createdTables, QStringList({"VX_B:SPISOK32.DBF"}));
    EXPECT_EQ(report.indexedTables, QStringList({"VX_B:SPISOK32.DBF"}));

    std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "SPISOK32", OpenMode::ReadOnly);
    EXPECT_EQ(t->recordCount(), 0u);
    ASSERT_EQ(t->fields().size(), 18u);
    EXPECT_EQ(t->fields().front().name, "NOM");
    EXPECT_EQ(t->fields()[13].name, "DOLJN");
    EXPECT_EQ(t->fields()[14].name, "DATADOLJN");
    EXPECT_EQ(t->fields().back().name, "ISKART");
    t->close();
    EXPECT_EQ(tagNames(*pair.session, "VX_B", "SPISOK32"), std::vector<std::string>({"FIOBORN", "NOMX"}));
    expectSoundIndex(pair, "VX_B:SPISOK32");
}

TEST(StartCheck, RebuildsEveryTagOfATableWhoseIndexFileIsEmpty) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    {
        std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "SVBASE32");
        for (int i = 3; i >= 1; --i) {
            t->append();
            t->setString("ID", std::to_string(i));
            t->setString("FIO", i == 2 ? "Сидоров" : "Антонов");
            t->post();
        }
    }
    fs::resize_file(pair.base + "/SVBASE32.MDX", 0);

    const StartCheckReport report = StartCheck(*pair.session, withBooks());
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_EQ(report.indexedTables, QStringList({"VX_B:SVBASE32.DBF"}));
    EXPECT_GT(fs::file_size(pair.base + "/SVBASE32.MDX"), 0u);
    EXPECT_EQ(tagNames(*pair.session, "VX_B", "SVBASE32"), catalogueTagNames("SVBASE32"));
    expectSoundIndex(pair, "VX_B:SVBASE32");
    std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "SVBASE32", OpenMode::ReadOnly);
    EXPECT_EQ(t->recordCount(), 3u);
}

TEST(CliCheck, ReplacesAnEmptyIndexFileOfAReferenceBookAndKeepsItsRecords) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    const auto regions = [&] {
        return pair.session->openTable("VX_S", "K1REG", OpenMode::ReadOnly)->recordCount();
    };
    const std::uint32_t before = regions();
    ASSERT_GT(before, 0u);
    fs::resize_file(pair.sprav + "/K1REG.MDX", 0);

    const CommandResult r = cli({"check", "--refbooks", refBookDir().toStdString()}, pair.aliasArgs());
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_GT(fs::file_size(pair.sprav + "/K1REG.MDX"), 0u);
    EXPECT_EQ(tagNames(*pair.session, "VX_S", "K1REG"), catalogueTagNames("K1REG"));
    EXPECT_EQ(regions(), before);
    expectSoundIndex(pair, "VX_S:K1REG");
}

TEST(StartCheck, ClearsTheIndexFlagOfATableWithoutItsIndexFileBeforeAddingTheTags) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    const std::string dbf = pair.sprav + "/K1REG.DBF";
    ASSERT_EQ(indexFlag(dbf), 1);
    fs::remove(pair.sprav + "/K1REG.MDX");

    // The first message processing after the repair starts comes before the
    // first tag is added: the flag must already be 0 then.
    Recorder recorder;
    bool repairing = false;
    int flagBeforeFirstTag = -1;
    recorder.onRepair = [&](const QString& what) { repairing = what.contains("K1REG"); };
    recorder.onProcess = [&] {
        if (repairing && flagBeforeFirstTag < 0) flagBeforeFirstTag = indexFlag(dbf);
    };
    const StartCheckReport report = StartCheck(*pair.session, withBooks(), &recorder);
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_EQ(flagBeforeFirstTag, 0);
    EXPECT_EQ(indexFlag(dbf), 1);
    EXPECT_EQ(tagNames(*pair.session, "VX_S", "K1REG"), catalogueTagNames("K1REG"));
    // The regions filled on the first start are all still there, and indexed.
    EXPECT_TRUE(report.filledBooks.isEmpty());
    expectSoundIndex(pair, "VX_S:K1REG");
}

TEST(StartCheck, LeavesANonEmptyIndexFileAloneEvenWithATagMissing) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    {
        std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_S", "KLSTR22", OpenMode::Exclusive);
        t->deleteIndex("NAMEX");
    }
    const std::string before = kvzt::test::readFile(pair.sprav + "/KLSTR22.MDX");
    const StartCheckReport report = StartCheck(*pair.session, withBooks());
    EXPECT_TRUE(report.indexedTables.isEmpty());
    EXPECT_EQ(kvzt::test::readFile(pair.sprav + "/KLSTR22.MDX"), before);
    EXPECT_EQ(tagNames(*pair.session, "VX_S", "KLSTR22"), std::vector<std::string>({"KODX"}));
}

// Changes the file's bytes in place.
void patchFile(const std::string& path, const std::function<void(std::string&)>& change) {
    std::string bytes = kvzt::test::readFile(path);
    change(bytes);
    kvzt::test::writeFile(path, bytes);
}

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = char((value >> (8 * i)) & 0xFF);
}

std::uint32_t get32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return v;
}

// Byte offset of the header block of the index's first tag.
std::size_t firstTagHeader(const std::string& mdx) { return std::size_t(get32(mdx, 544)) * 512; }

// Each kind of damage the quick look must see, one table at a time: the
// index is rebuilt from the catalogue, reported with what was wrong, and
// verifies against the records afterwards.
TEST(StartCheck, RebuildsADamagedIndexAndSaysWhatWasWrong) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    addTaxpayer(*pair.session, 1, "Иванов");
    addTaxpayer(*pair.session, 2, "Петров");
    const std::string mdx = pair.base + "/SPISOK32.MDX";
    const std::string dbf = pair.base + "/SPISOK32.DBF";
    const std::string damaged = "VX_B:SPISOK32.DBF: Файл индекса «" + mdx + "» повреждён: ";
    const std::string healthy = kvzt::test::readFile(mdx);

    struct Case {
        const char* what;
        std::function<void()> damage;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"tag header past the end", [&] { patchFile(mdx, [](std::string& b) { put32(b, 544, 900000); }); },
         damaged + "тег FIOBORN: ссылка на заголовок за пределами файла"},
        {"key length against the expression",
         [&] { patchFile(mdx, [](std::string& b) { b.at(firstTagHeader(b) + 12) = char(7); }); },
         damaged + "тег FIOBORN: тип или длина ключа не соответствуют выражению UPPER(FAM+NAME+OTC)+DTOS(DATEROG)"},
        {"root page past the end",
         [&] { patchFile(mdx, [](std::string& b) { put32(b, firstTagHeader(b), 70000); }); },
         damaged + "тег FIOBORN: недопустимый корневой блок"},
        {"entry count of the root",
         [&] {
             patchFile(mdx, [](std::string& b) { put32(b, std::size_t(get32(b, firstTagHeader(b))) * 512, 5000); });
         },
         damaged + "тег FIOBORN: число ключей в блоке " + std::to_string(get32(healthy, firstTagHeader(healthy))) +
             " больше допустимого"},
        {"cut short", [&] { fs::resize_file(mdx, 2048 + 512); }, damaged + "неверная длина файла в заголовке"},
        {"header only", [&] { fs::resize_file(mdx, 1000); }, damaged + "нет заголовка"},
        {"empty", [&] { fs::resize_file(mdx, 0); }, "VX_B:SPISOK32.DBF: Файл индекса «" + mdx + "» пуст"},
        {"production flag of the table",
         [&] { patchFile(dbf, [](std::string& b) { b.at(28) = 0; }); },
         "VX_B:SPISOK32.DBF: Таблица «" + dbf + "» не отмечена как имеющая индекс «" + mdx +
             "», индекс не поддерживался"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.damage();
        const StartCheckReport report = StartCheck(*pair.session, withBooks());
        EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
        ASSERT_EQ(report.rebuiltIndexes.size(), 1) << report.rebuiltIndexes.join("\n").toStdString();
        EXPECT_EQ(report.rebuiltIndexes.first().toStdString(), c.message);
        EXPECT_EQ(report.indexedTables, QStringList({"VX_B:SPISOK32.DBF"}));
        EXPECT_EQ(indexFlag(dbf), 1);
        EXPECT_EQ(tagNames(*pair.session, "VX_B", "SPISOK32"), catalogueTagNames("SPISOK32"));
        expectSoundIndex(pair, "VX_B:SPISOK32");
        std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "SPISOK32", OpenMode::ReadOnly);
        EXPECT_EQ(t->recordCount(), 2u);
    }
    // A sound index is left byte for byte.
    const std::string rebuilt = kvzt::test::readFile(mdx);
    EXPECT_TRUE(StartCheck(*pair.session, withBooks()).rebuiltIndexes.isEmpty());
    EXPECT_TRUE(kvzt::test::readFile(mdx) == rebuilt);
}

// A table whose header disagrees with its file is not written to: it is
// named with the command that mends it, and its index stays as it was.
TEST(StartCheck, NamesTheRepairCommandForATableWhoseHeaderDisagreesWithItsFile) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    addTaxpayer(*pair.session, 1, "Иванов");
    const std::string dbf = pair.base + "/SPISOK32.DBF";
    // The first field descriptor gives its field no width.
    patchFile(dbf, [](std::string& b) { b.at(32 + 16) = 0; });
    const std::string index = kvzt::test::readFile(pair.base + "/SPISOK32.MDX");

    const StartCheckReport report = StartCheck(*pair.session, withBooks());
    EXPECT_EQ(report.inconsistentTables, QStringList({"VX_B:SPISOK32.DBF"}));
    ASSERT_EQ(report.failures.size(), 1) << report.failures.join("\n").toStdString();
    const QString failure = report.failures.first();
    EXPECT_TRUE(failure.startsWith("VX_B:SPISOK32.DBF: ")) << failure.toStdString();
    EXPECT_TRUE(failure.endsWith(". Исправьте таблицу командой «kvzt-cli repair SPISOK32» при закрытой программе"))
        << failure.toStdString();
    EXPECT_TRUE(report.rebuiltIndexes.isEmpty());
    EXPECT_TRUE(report.indexedTables.isEmpty());
    EXPECT_TRUE(kvzt::test::readFile(pair.base + "/SPISOK32.MDX") == index);

    const CommandResult r = cli({"check"}, pair.aliasArgs());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Не исправлено: " + failure.toStdString()), std::string::npos) << r.err;
}

TEST(StartCheck, WritesTheSettingsDefaultsIntoAnEmptyUpi32OnceAndNeverChangesThem) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheckOptions options;
    options.fillReferenceBooks = false;
    StartCheck(*pair.session, options);
    {
        std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "UPI32", OpenMode::ReadOnly);
        ASSERT_EQ(t->recordCount(), 1u);
        t->first();
        EXPECT_EQ(t->asInteger("KOLSTR"), 60);
        EXPECT_EQ(t->asInteger("OTSTUP"), 15);
        EXPECT_EQ(t->asInteger("BEGINNMB"), 1);
        EXPECT_EQ(t->asInteger("NMBPOS"), 45);
        EXPECT_EQ(t->asString("GODSVED"), "1999");
        EXPECT_EQ(t->asString("COUNTRYREZ"), "643");
        EXPECT_FALSE(t->isNull("NOMOUT"));
        EXPECT_EQ(t->asInteger("NOMOUT"), 0);
        EXPECT_TRUE(t->asBoolean("REPETE"));
        EXPECT_TRUE(t->asBoolean("ERROR"));
        EXPECT_FALSE(t->isNull("EXCEL"));
        EXPECT_FALSE(t->isNull("EXCFILE"));
        EXPECT_EQ(t->asInteger("EXCEL") + t->asInteger("EXCFILE"), 0);
        EXPECT_EQ(t->asString("CALC"), "000000000000");
        EXPECT_EQ(t->asString("EDIT4INSTR"), "0");
        for (const char* empty : {"NAORG", "INN", "TIPORG", "GNI", "REESTRNMB", "FIOBOSS"}) {
            EXPECT_TRUE(t->isNull(empty)) << empty;
        }
    }
    // The user's own settings stay as they are.
    {
        std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "UPI32");
        t->first();
        t->edit();
        t->setInteger("KOLSTR", 72);
        t->post();
    }
    EXPECT_FALSE(EnsureSettingsRecord(*pair.session, "VX_B"));
    EXPECT_FALSE(StartCheck(*pair.session, options).settingsRecordAdded);
    std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "UPI32", OpenMode::ReadOnly);
    EXPECT_EQ(t->recordCount(), 1u);
    t->first();
    EXPECT_EQ(t->asInteger("KOLSTR"), 72);
}

TEST(StartCheck, UsesAVeryLongAliasDirectoryWholeAndKeepsTheExistingData) {
    TempDir dir;
    std::string root = dir.path();
    while (root.size() < 200) root += "/каталог_данных_организации";
    Pair pair(root);
    ASSERT_GT(pair.base.size(), 150u);
    const StartCheckReport first = StartCheck(*pair.session, withBooks());
    ASSERT_TRUE(first.ok()) << first.failures.join("\n").toStdString();
    EXPECT_TRUE(fs::exists(pair.base + "/SPISOK32.DBF"));
    addTaxpayer(*pair.session, 7, "Кузнецов");

    const StartCheckReport second = StartCheck(*pair.session, withBooks());
    EXPECT_TRUE(second.ok());
    EXPECT_TRUE(second.createdTables.isEmpty());
    EXPECT_TRUE(second.indexedTables.isEmpty());
    std::unique_ptr<kvzt::engine::Table> t = pair.session->openTable("VX_B", "SPISOK32", OpenMode::ReadOnly);
    ASSERT_EQ(t->recordCount(), 1u);
    t->first();
    EXPECT_EQ(t->asString("FAM"), "Кузнецов");
}

TEST(StartCheck, IndexesAnIndexCatalogueTableOutsideTheTableCatalogueWhenItsFileExists) {
    TempDir dir;
    Pair pair(dir.path());
    StartCheck(*pair.session, withBooks());
    pair.session->database("VX_B").createTable("KD32_.DBF", {{"KOD", 'C', 4, 0, 0}, {"SUM", 'N', 13, 2, 0}});
    const StartCheckReport report = StartCheck(*pair.session, withBooks());
    EXPECT_TRUE(report.ok());
    EXPECT_EQ(report.indexedTables, QStringList({"VX_B:KD32_.DBF"}));
    EXPECT_EQ(report.skippedTables.size(), 3);
    EXPECT_EQ(tagNames(*pair.session, "VX_B", "KD32_"), std::vector<std::string>({"KODX"}));
}

TEST(StartCheck, ATableThatCannotBeRepairedIsReportedAndTheRestIsStillRepaired) {
    TempDir dir;
    Pair pair(dir.path());
    // Not a dBase table at all, under a catalogue name, without an index file.
    kvzt::test::writeFile(pair.base + "/SVBASE32.DBF", std::string(64, 'x'));
    const StartCheckReport report = StartCheck(*pair.session, withBooks());
    ASSERT_EQ(report.failures.size(), 1) << report.failures.join("\n").toStdString();
    EXPECT_TRUE(report.failures.first().startsWith("VX_B:SVBASE32.DBF: "));
    EXPECT_EQ(report.createdTables.size(), 39);
    EXPECT_EQ(report.indexedTables.size(), 37);
    EXPECT_TRUE(report.settingsRecordAdded);
}

TEST(IsCreatedTable, MatchesTheMarkedHeaderByWholeAliasAndFileName) {
    QStringList list = BuildTableCatalogue();
    const std::optional<CatalogueTable> kd = FindCatalogueTable(list, "KD32.DBF");
    ASSERT_TRUE(kd);
    EXPECT_FALSE(IsCreatedTable(list, "VX_B", "KD32.DBF"));
    list[kd->headerLine] += " !";
    EXPECT_TRUE(IsCreatedTable(list, "VX_B", "KD32.DBF"));
    EXPECT_TRUE(IsCreatedTable(list, "[VX_B]", "kd32.dbf"));
    EXPECT_FALSE(IsCreatedTable(list, "VX_S", "KD32.DBF"));
    EXPECT_FALSE(IsCreatedTable(list, "VX_B", "D32.DBF"));
}

TEST(CliCheck, RepairsWithoutWindowsAndExitsOneWhenSomethingStaysBroken) {
    TempDir dir;
    Pair pair(dir.path());
    // The data files beside the program are used when none is named.
    CommandResult r = cli({"check"}, pair.aliasArgs());
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Создано таблиц: 40"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Заполнено справочников: 7"), std::string::npos) << r.out;
    expectSoundIndex(pair, "VX_B:SPISOK32");
    expectSoundIndex(pair, "VX_S:KLSTR22");

    r = cli({"check", "--refbooks", refBookDir().toStdString()}, pair.aliasArgs());
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Создано таблиц: 0"), std::string::npos) << r.out;

    fs::remove(pair.base + "/KART32.DBF");
    fs::remove(pair.base + "/KART32.MDX");
    kvzt::test::writeFile(pair.base + "/NPM32.DBF", std::string(64, 'x'));
    fs::remove(pair.base + "/NPM32.MDX");
    r = cli({"check"}, pair.aliasArgs());
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.err.find("NPM32.DBF"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(pair.base + "/KART32.DBF"));
    expectSoundIndex(pair, "VX_B:KART32");

    EXPECT_EQ(cli({"check", "VX_B:SPISOK32"}, pair.aliasArgs()).exitCode, 2);

    fs::resize_file(pair.base + "/SPISOK32.MDX", 3000);
    r = cli({"check"}, pair.aliasArgs());
    EXPECT_NE(r.out.find("Повреждённые индексы построены заново: 1\n  VX_B:SPISOK32.DBF: Файл индекса «" + pair.base +
                         "/SPISOK32.MDX» повреждён: "),
              std::string::npos)
        << r.out;
    expectSoundIndex(pair, "VX_B:SPISOK32");
}
