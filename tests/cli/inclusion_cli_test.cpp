// kvzt-cli include: the marks set from the command line, usage errors, and
// crash tests. A process killed after any number of rows, or in the middle
// of a row just before its commit, leaves every statement with either all
// its old or all its new detail rows, and every tag sound.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/dbf_file.h"
#include "engine/journal.h"
#include "engine/session.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/catalogue_database.h"

using namespace kvzt;
using engine::FieldDef;
using Strings = std::vector<std::string>;

namespace {

namespace fs = std::filesystem;

std::string padLeft(int n, std::size_t width) {
    std::string s = std::to_string(n);
    return std::string(width - s.size(), ' ') + s;
}

void append(engine::Session& s, const char* alias, const char* table,
            const std::function<void(engine::Table&)>& fill) {
    auto t = s.openTable(alias, table);
    t->append();
    fill(*t);
    t->post();
    t->close();
}

// Four stored statements with three old incomes, one deduction and one
// object each; SvB_32 with a "з" row for each and two "д" rows, interleaved
// by name; DOS sources with four incomes per imported statement.
class IncomeCrashBase {
public:
    static constexpr int kStatements = 4;
    static constexpr int kRows = 6;

    IncomeCrashBase() {
        engine::Session& s = *db.session;
        for (int i = 1; i <= kStatements; ++i) {
            append(s, "VX_B", "SvBase32", [&](engine::Table& t) {
                t.setString("ID", padLeft(i, 9));
                t.setString("IDDOK", padLeft(i, 8));
                t.setInteger("NOM", i);
                t.setString("FIO", "Старый");
            });
            for (int k = 1; k <= 3; ++k)
                append(s, "VX_B", "Doxod22", [&](engine::Table& t) {
                    t.setString("ID", padLeft(i, 9));
                    t.setString("KOD", "000" + std::to_string(k));
                });
            append(s, "VX_B", "Vicet22", [&](engine::Table& t) {
                t.setString("ID", padLeft(i, 9));
                t.setString("KOD", "00");
            });
            append(s, "VX_B", "NH22", [&](engine::Table& t) {
                t.setString("ID", padLeft(i, 9));
                t.setString("NAME", "старый");
            });
        }
        // Rows Р1..Р6: odd ones replace statements 1..3 and the fourth, even ones add.
        const int replaceOf[kRows] = {1, 0, 2, 3, 0, 4};
        for (int r = 0; r < kRows; ++r) {
            const int nomdos = 10 + r;
            append(s, "VX_S", "SvB_32", [&](engine::Table& t) {
                t.setString("INCL", replaceOf[r] ? "з" : "д");
                t.setString("FIO", "Р" + std::to_string(r + 1));
                t.setString("IDDOK", replaceOf[r] ? padLeft(replaceOf[r], 8) : "");
                t.setString("IDDOK_I", replaceOf[r] ? padLeft(replaceOf[r], 8) : padLeft(50 + r, 8));
                t.setFloat("NOMDOS", nomdos);
                t.setInteger("NOM", 1);
            });
        }
        engine::DbfFile::create(src.file("Doxod.dbf"),
                                {{"NOM", 'N', 6, 0}, {"KOD", 'C', 4, 0}, {"SUM", 'N', 11, 0}, {"KSK", 'C', 2, 0},
                                 {"SK", 'N', 11, 0}},
                                0);
        engine::DbfFile::create(src.file("Vicet.dbf"), {{"NOM", 'N', 6, 0}, {"KOD", 'C', 2, 0}, {"SUM", 'N', 10, 2}},
                                0);
        engine::DbfFile::create(src.file("Object.dbf"), {{"NOM", 'N', 6, 0}, {"OBJECT", 'C', 150, 0}}, 0);
        auto doxod = engine::Table::open(src.file("Doxod.dbf"), engine::OpenMode::Shared, engine::CodePage::Cp866);
        auto vicet = engine::Table::open(src.file("Vicet.dbf"), engine::OpenMode::Shared, engine::CodePage::Cp866);
        auto object = engine::Table::open(src.file("Object.dbf"), engine::OpenMode::Shared, engine::CodePage::Cp866);
        for (int k = 1; k <= 4; ++k) {
            for (int r = 0; r < kRows; ++r) {
                doxod->append();
                doxod->setInteger("NOM", 10 + r);
                doxod->setString("KOD", "100" + std::to_string(k));
                doxod->setFloat("SUM", 1000 * k);
                doxod->post();
            }
        }
        for (int r = 0; r < kRows; ++r) {
            vicet->append();
            vicet->setInteger("NOM", 10 + r);
            vicet->setString("KOD", "11");
            vicet->post();
            object->append();
            object->setInteger("NOM", 10 + r);
            object->setString("OBJECT", "новый");
            object->post();
        }
        doxod->close();
        vicet->close();
        object->close();
        db.session.reset();  // nothing of ours holds the files
    }

    test::CatalogueDatabase db;
    test::TempDir src;
};

IncomeCrashBase& crashBase() {
    static IncomeCrashBase base;
    return base;
}

struct Copy {
    test::TempDir base;
    test::TempDir sprav;
};

void copyDir(const std::string& from, const std::string& to) {
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

test::CommandResult cli(const Copy& c, std::vector<std::string> args) {
    std::vector<std::string> argv = {test::cliPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.insert(argv.end(), {"--alias", "VX_B=" + c.base.path(), "--alias", "VX_S=" + c.sprav.path()});
    return test::runCommand(argv);
}

Strings detailCodes(engine::Table& t, const std::string& id, const char* field) {
    Strings rows;
    for (t.first(); !t.eof(); t.next())
        if (t.asString("ID") == id) rows.push_back(t.asString(field));
    return rows;
}

// Checks a copy after the process ended and returns the rows written.
int checkConsistent(const Copy& c) {
    engine::AliasConfig config;
    config.setAlias("VX_B", c.base.path());
    config.setAlias("VX_S", c.sprav.path());
    engine::Session s(config);
    auto sved = s.openTable("VX_B", "SvBase32", engine::OpenMode::ReadOnly);  // recovers a journal left behind
    EXPECT_FALSE(fs::exists(engine::Journal::pathIn(c.base.path())));
    auto doxod = s.openTable("VX_B", "Doxod22", engine::OpenMode::ReadOnly);
    auto vicet = s.openTable("VX_B", "Vicet22", engine::OpenMode::ReadOnly);
    auto nh = s.openTable("VX_B", "NH22", engine::OpenMode::ReadOnly);
    auto dup = s.openTable("VX_S", "SvB_32", engine::OpenMode::ReadOnly);

    const Strings oldIncomes = {"0001", "0002", "0003"};
    const Strings newIncomes = {"1001", "1002", "1003", "1004"};
    int replaced = 0;
    int statements = 0;
    for (sved->first(); !sved->eof(); sved->next()) {
        ++statements;
        const std::string id = sved->asString("ID");
        const bool isNew = sved->asString("FIO") != "Старый";
        const Strings incomes = detailCodes(*doxod, id, "KOD");
        EXPECT_EQ(incomes, isNew ? newIncomes : oldIncomes) << id;
        EXPECT_EQ(detailCodes(*vicet, id, "KOD"), Strings{isNew ? "11" : "00"}) << id;
        EXPECT_EQ(detailCodes(*nh, id, "NAME"), Strings{isNew ? "новый" : "старый"}) << id;
        if (isNew && std::stoi(id) <= IncomeCrashBase::kStatements) ++replaced;
    }
    const int added = statements - IncomeCrashBase::kStatements;
    int left = 0;
    for (dup->first(); !dup->eof(); dup->next()) ++left;
    // A row leaves SvB_32 exactly when its statement was written.
    EXPECT_EQ(left, IncomeCrashBase::kRows - replaced - added);

    for (engine::Table* t : {sved.get(), doxod.get(), vicet.get(), nh.get(), dup.get()}) {
        for (const engine::TagReport& r : engine::verifyTable(*t))
            EXPECT_TRUE(r.problems.empty()) << t->tableName() << " " << r.tag << ": " << r.problems.front();
    }
    return replaced + added;
}

TEST(InclusionCli, KilledAfterAnyRowOrInsideOneLeavesWholeStatements) {
    IncomeCrashBase& base = crashBase();
    // A span of 0 commits every row, so the rows before the kill are all
    // written; with the usual span they are gathered, and none of the rows
    // since the last commit may stay half-written or written twice.
    for (const bool everyRow : {true, false}) {
        for (const bool mid : {false, true}) {
            for (int n : {0, 1, 2, 3, 5}) {
                if (!mid && n == 0) continue;
                SCOPED_TRACE(std::string(mid ? "inside row " : "after rows ") + std::to_string(n) +
                             (everyRow ? ", a commit a row" : ", rows gathered"));
                Copy c;
                copyDir(base.db.base.path(), c.base.path());
                copyDir(base.db.sprav.path(), c.sprav.path());
                std::vector<std::string> args = {"include", "--income", "--kind", "2", "--source", base.src.path(),
                                                 "--abort-after", std::to_string(n)};
                if (mid) args.push_back("--abort-mid");
                if (everyRow) args.insert(args.end(), {"--transaction-span-ms", "0"});
                const test::CommandResult r = cli(c, args);
                EXPECT_EQ(r.exitCode, 3) << r.err;
                if (mid) {
                    EXPECT_TRUE(fs::exists(engine::Journal::pathIn(c.base.path())));
                    EXPECT_TRUE(fs::exists(engine::Journal::pathIn(c.sprav.path())));
                }
                const int written = checkConsistent(c);
                if (everyRow)
                    EXPECT_EQ(written, n);
                else
                    EXPECT_LE(written, n);
                EXPECT_FALSE(fs::exists(engine::Journal::pathIn(c.sprav.path())));
            }
        }
    }
    // The whole run, for comparison: everything is written.
    Copy c;
    copyDir(base.db.base.path(), c.base.path());
    copyDir(base.db.sprav.path(), c.sprav.path());
    const test::CommandResult r = cli(c, {"include", "--income", "--kind", "2", "--source", base.src.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Включено записей: 6 (заменено: 4, добавлено: 2); осталось в списке дублей: 0"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(checkConsistent(c), IncomeCrashBase::kRows);
}

TEST(InclusionCli, MarkAllThenIncludeTheList) {
    test::CatalogueDatabase db;
    for (const char* fam : {"Бета", "Альфа"}) {
        append(*db.session, "VX_S", "Spis_D32", [&](engine::Table& t) {
            t.setString("FAM", fam);
            t.setInteger("NOM", 5);
        });
    }
    db.session.reset();
    Copy c;
    copyDir(db.base.path(), c.base.path());
    copyDir(db.sprav.path(), c.sprav.path());
    const test::CommandResult r = cli(c, {"include", "--list", "--mark", "д"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Включено записей: 2 (заменено: 0, добавлено: 2); осталось в списке дублей: 0"),
              std::string::npos)
        << r.out;

    // Usage errors and a missing source folder.
    EXPECT_EQ(cli(c, {"include"}).exitCode, 2);
    EXPECT_EQ(cli(c, {"include", "--list", "--mark", "x"}).exitCode, 2);
    EXPECT_EQ(cli(c, {"include", "--income", "--kind", "1", "--source", "/"}).exitCode, 2);
    engine::AliasConfig config;
    config.setAlias("VX_S", c.sprav.path());
    {
        engine::Session s(config);
        append(s, "VX_S", "SvB_32", [](engine::Table& t) { t.setString("INCL", "д"); });
    }
    const test::CommandResult missing = cli(c, {"include", "--income", "--kind", "3", "--source", "/nonexistent"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("Ошибка при включении записи 1"), std::string::npos) << missing.err;
}

}  // namespace
