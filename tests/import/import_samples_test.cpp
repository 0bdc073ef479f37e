// The earlier-version sample sets and the DOS 2.* reference books: the
// generator still makes the committed sets and makes the same bytes for the
// same seed; an independent reader (python3-dbf) reads them with the
// expected fields, code pages and counts; the names the DOS 2.* set uses are
// found in the books; and importing the Win 3.2 set and then the DOS 2.* set
// meets the planned duplicates.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_module.h"
#include "engine/code_page.h"
#include "engine/table.h"
#include "import/import_run.h"
#include "schema/start_check.h"
#include "support/catalogue_database.h"
#include "support/test_support.h"

namespace {

using kvzt::engine::CodePage;
using kvzt::engine::OpenMode;
using kvzt::engine::Table;
using kvzt::test::TempDir;

const char* kPython = "/usr/bin/python3";

std::string setDir(const char* kind) { return std::string(KVZT_SOURCE_DIR) + "/samples/import/" + kind; }
std::string bookSource(const char* name) { return std::string(KVZT_SOURCE_DIR) + "/samples/imp/" + name + ".txt"; }

const std::vector<std::string> kDosFiles = {"spisok.dbf", "doxod.dbf", "vicet.dbf", "object.dbf"};
const std::vector<std::string> kWinFiles = {"spisok32.dbf", "svbase32.dbf", "doxod22.dbf", "vicet22.dbf", "nh22.dbf",
                                            "spisok32.mdx", "svbase32.mdx", "doxod22.mdx", "vicet22.mdx", "nh22.mdx"};

bool havePythonDbf() { return kvzt::test::runCommand({kPython, "-c", "import dbf"}).exitCode == 0; }

// Rows of a book's text file (comments and the header line skipped), split at ";".
std::vector<std::vector<std::string>> bookRows(const char* name) {
    std::istringstream in(kvzt::test::readFile(bookSource(name)));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (std::exchange(header, false)) continue;
        std::vector<std::string> row;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ';');) row.push_back(cell);
        rows.push_back(row);
    }
    return rows;
}

// Every record of a table as field → value (engine text, trailing blanks removed).
std::vector<std::map<std::string, std::string>> readAll(const std::string& path, CodePage cp) {
    auto t = Table::open(path, OpenMode::ReadOnly, cp);
    std::vector<std::map<std::string, std::string>> rows;
    for (t->first(); !t->eof(); t->next()) {
        std::map<std::string, std::string> row;
        for (const auto& f : t->fields()) row[f.name] = t->asString(f.name);
        rows.push_back(row);
    }
    return rows;
}

// Item `n` (from 1) of a comma-separated text, trimmed.
std::string item(const std::string& text, int n) {
    std::istringstream in(text);
    std::string part;
    for (int i = 0; i < n; ++i)
        if (!std::getline(in, part, ',')) return {};
    part.erase(0, part.find_first_not_of(' '));
    part.erase(part.find_last_not_of(' ') + 1);
    return part;
}

#ifdef KVZT_SAMPLE_IMPORT_PATH
kvzt::test::CommandResult generate(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {KVZT_SAMPLE_IMPORT_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return kvzt::test::runCommand(argv);
}
#endif

}  // namespace

TEST(ImportSamples, GeneratorStillMakesTheCommittedSetsAndRepeatsItself) {
#ifndef KVZT_SAMPLE_IMPORT_PATH
    GTEST_SKIP() << "the sample generator is not built";
#else
    TempDir dir;
    for (const auto& [kind, name, files] : {std::tuple{"2", "dos2", kDosFiles}, std::tuple{"3", "win32", kWinFiles}}) {
        auto run = generate({"--kind", kind, "--small", dir.file(name)});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (const std::string& file : files)
            EXPECT_TRUE(kvzt::test::readFile(dir.file(name) + "/" + file) ==
                        kvzt::test::readFile(setDir(name) + "/" + file))
                << name << "/" << file << " differs from what the generator makes now";
    }

    // The same arguments give the same bytes; another seed other people.
    auto make = [&](const std::string& sub, const char* seed) {
        auto run = generate({"--kind", "3", "--persons", "40", "--statements-per-person", "3", "--lines-per-statement",
                             "6", "--seed", seed, dir.file(sub)});
        EXPECT_EQ(run.exitCode, 0) << run.err;
    };
    make("a", "11");
    make("b", "11");
    make("c", "12");
    for (const std::string& file : kWinFiles)
        EXPECT_TRUE(kvzt::test::readFile(dir.file("a/" + file)) == kvzt::test::readFile(dir.file("b/" + file))) << file;
    EXPECT_FALSE(kvzt::test::readFile(dir.file("a/spisok32.dbf")) == kvzt::test::readFile(dir.file("c/spisok32.dbf")));

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--kind", "1", dir.file("x")}, {"--kind", "3"}, {"--kind", "3", "--persons", "-5",
          dir.file("x")}, {"--kind", "2", "--seed", "abc", dir.file("x")}})
        EXPECT_EQ(generate(bad).exitCode, 2);
#endif
}

TEST(ImportSamples, IndependentReaderReadsTheSetsAndTheBooks) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    // Copied first: the reader must not touch the committed files.
    TempDir dir;
    struct Expected {
        std::string path;
        const char* codepage;  // given to the reader for files without a language driver
        std::string fields;
        std::size_t records;
    };
    std::vector<Expected> expected = {
        {setDir("dos2") + "/spisok.dbf", "cp866",
         "fam,name,otc,daterog,dok,inn,mesto,status,adres,nomdok,nom,period,osh,nosit,sgdsum,sgdobl,sgdis,sgdud,"
         "koefsum,koefobl,koefis,koefud,vigsum,vigobl,vigis,vigud,sumgni,s1,s2,s3,s4,s5,s6,s7,s8,s9,s10,s11,s12,"
         "dsved,datavid",
         14},
        {setDir("dos2") + "/doxod.dbf", "cp866", "nom,kod,sum,ksk,sk", 0},
        {setDir("dos2") + "/vicet.dbf", "cp866", "nom,kod,sum", 0},
        {setDir("dos2") + "/object.dbf", "cp866", "nom,object", 1},
        {setDir("win32") + "/spisok32.dbf", "",
         "nom,fam,name,otc,dkod,dnom,daterog,jobstatus,status,strcode,adres,innfl,gni,doljn,datadoljn,tabnmb,"
         "issprav,iskart",
         13},
        {setDir("win32") + "/svbase32.dbf", "", "", 16},
        {setDir("win32") + "/doxod22.dbf", "", "id,kod,sum,kodsk,sk", 0},
        {setDir("win32") + "/nh22.dbf", "", "id,name", 1},
        {std::string(KVZT_IMP_DIR) + "/kldok.dbf", "cp866", "d_code,d_middle,d_name", bookRows("kldok").size()},
        {std::string(KVZT_IMP_DIR) + "/k0str.dbf", "cp866", "kod,name", bookRows("k0str").size()},
        {std::string(KVZT_IMP_DIR) + "/k1reg.dbf", "cp866", "kodreg,name", bookRows("k1reg").size()},
    };
    // Detail counts as our own engine sees them (0 above means "not fixed").
    for (Expected& e : expected) {
        if (e.records == 0) e.records = Table::open(e.path, OpenMode::ReadOnly, CodePage::Cp866)->recordCount();
    }

    const std::string script =
        "import sys, dbf\n"
        "path, cp = sys.argv[1], sys.argv[2]\n"
        "t = dbf.Table(path, codepage=cp) if cp else dbf.Table(path)\n"
        "t.open(dbf.READ_ONLY)\n"
        "raw = open(path, 'rb').read(32)\n"
        "first = t[0] if len(t) else None\n"
        "sys.stdout.buffer.write(('%s|%d|%d|%s|%s\\n' % (t.codepage.name.split()[0], raw[29], len(t),\n"
        "    ','.join(t.field_names), '' if first is None else str(first[1]).strip())).encode('utf-8'))\n"
        "t.close()\n";
    std::map<std::string, std::string> secondField;
    for (const Expected& e : expected) {
        const std::string copy = dir.file(std::filesystem::path(e.path).filename().string());
        kvzt::test::copyFile(e.path, copy);
        auto run = kvzt::test::runCommand({kPython, "-c", script, copy, e.codepage});
        ASSERT_EQ(run.exitCode, 0) << e.path << ": " << run.err;
        std::vector<std::string> parts;
        std::istringstream in(run.out.substr(0, run.out.find('\n')));
        for (std::string part; std::getline(in, part, '|');) parts.push_back(part);
        ASSERT_EQ(parts.size(), 5u) << run.out;
        const bool dos = std::string(e.codepage) == "cp866";
        // A file without a language driver declares no code page ("ascii" to the
        // reader); its texts below decode only in the code page given.
        EXPECT_EQ(parts[0], dos ? "ascii" : "cp1251") << e.path;
        EXPECT_EQ(parts[1], dos ? "0" : "201") << e.path << ": language driver";
        EXPECT_EQ(parts[2], std::to_string(e.records)) << e.path;
        if (!e.fields.empty()) {
            EXPECT_EQ(parts[3], e.fields) << e.path;
        }
        secondField[std::filesystem::path(e.path).filename().string()] = parts[4];
    }
    // Texts decoded by the reader in each file's own code page.
    EXPECT_EQ(secondField["kldok.dbf"], "ПАСПОРТ");
    EXPECT_EQ(secondField["k0str.dbf"], "Россия");
    EXPECT_EQ(secondField["k1reg.dbf"], "Адыгея");
    EXPECT_FALSE(secondField["spisok.dbf"].empty());
    EXPECT_FALSE(secondField["spisok32.dbf"].empty());
}

TEST(ImportSamples, BooksAgreeWithTheProgramsBooksAndCoverTheDosSet) {
    // Kind codes are the program's own document codes; names are in capitals.
    const std::string kldoc30 = kvzt::test::readFile(std::string(KVZT_SOURCE_DIR) + "/samples/refbooks/kldoc30.csv");
    std::map<std::string, std::string> kinds, countries, regions;
    for (const auto& row : bookRows("kldok")) {
        ASSERT_EQ(row.size(), 3u);
        EXPECT_NE(kldoc30.find("\n" + row[0] + "," + row[2] + ","), std::string::npos) << row[0] << " " << row[2];
        EXPECT_EQ(kvzt::engine::upperUtf8(row[1]), row[1]);
        kinds[row[1]] = row[0];
    }
    EXPECT_EQ(kinds["ПАСПОРТ"], "01");
    EXPECT_EQ(kinds["ПАСПОРТ РФ"], "21");
    for (const auto& row : bookRows("k0str")) countries[kvzt::engine::upperUtf8(row[1])] = row[0];
    EXPECT_EQ(countries["РОССИЯ"], "643");
    EXPECT_EQ(countries["БЕЛАРУСЬ"], "112");
    EXPECT_GE(countries.size(), 30u);
    for (const auto& row : bookRows("k1reg")) regions[kvzt::engine::upperUtf8(row[1])] = row[0];
    EXPECT_EQ(regions["МОСКОВСКАЯ"], "50");
    EXPECT_EQ(regions["МОСКВА"], "77");
    EXPECT_GE(regions.size(), 85u);

    // Every kind name, country and region the DOS 2.* set writes is in the
    // books, read the way the import reads them.
    for (const auto& r : readAll(setDir("dos2") + "/spisok.dbf", CodePage::Cp866)) {
        const std::string dok = r.at("DOK");
        const std::string kind = kvzt::engine::upperUtf8(dok.substr(0, dok.find(',')));
        EXPECT_TRUE(kinds.count(kind)) << dok;
        EXPECT_TRUE(countries.count(kvzt::engine::upperUtf8(item(r.at("ADRES"), 1)))) << r.at("ADRES");
        const std::string region = item(r.at("ADRES"), 3);
        if (!region.empty()) {
            EXPECT_TRUE(regions.count(kvzt::engine::upperUtf8(region.substr(0, region.rfind(' '))))) << r.at("ADRES");
        }
    }
}

TEST(ImportSamples, ImportingBothSetsMeetsThePlannedDuplicates) {
    kvzt::test::CatalogueDatabase db;
    kvzt::schema::EnsureSettingsRecord(*db.session, QStringLiteral("VX_B"));
    kvzt::data::TdmKVZT dm(*db.session, kvzt::data::TdmKVZT::Connect::Later);
    struct Quiet final : kvzt::import::ImportProgress {
        void setMaximum(int) override {}
        void setPosition(int) override {}
        bool cancelled() override { return false; }
    } progress;
    auto import = [&](const char* set, kvzt::import::SourceKind kind) {
        kvzt::import::ImportRequest request;
        request.srcDir = QString::fromStdString(setDir(set));
        request.kind = kind;
        request.impDir = QStringLiteral(KVZT_IMP_DIR);
        const auto result = kvzt::import::RunImport(dm, request, progress);
        EXPECT_TRUE(result.completed()) << set << ": " << result.errorText().toStdString();
        return result;
    };
    const auto win = import("win32", kvzt::import::SourceKind::Win32);
    // The one person stored twice differs only in her personnel number: both are new.
    EXPECT_EQ(win.personsAdded, 13);
    EXPECT_EQ(win.personDuplicates, 0);

    const auto dos = import("dos2", kvzt::import::SourceKind::Dos2);
    EXPECT_TRUE(dos.spisDblFound);
    EXPECT_TRUE(dos.svedDblFound);
    // Twins: Кузнецов, the capitals record of the first person, and Васильева twice.
    std::map<std::string, int> twins;
    for (const auto& r : readAll(db.sprav.file("SPIS_D32.DBF"), CodePage::Cp1251)) ++twins[r.at("FAM")];
    EXPECT_EQ(twins["Кузнецов"], 1);
    EXPECT_EQ(twins["Смирнова"], 1);
    EXPECT_EQ(twins["Васильева"], 2);
    EXPECT_EQ(twins["Попов"], 0) << "another document makes a new taxpayer";
    EXPECT_EQ(dos.personDuplicates, 5);
    EXPECT_EQ(dos.personsAdded, 14 - 4);

    const auto list = readAll(db.base.file("SPISOK32.DBF"), CodePage::Cp1251);
    std::map<std::string, std::map<std::string, std::string>> added;  // the DOS persons, by surname
    int popov = 0;
    for (const auto& r : list) {
        if (r.at("FAM") == "Попов") ++popov;
        if (std::stoi(r.at("NOM")) > 13) added[r.at("FAM")] = r;
    }
    EXPECT_EQ(popov, 2);
    // A resident whose old address named another country, and a non-resident.
    EXPECT_EQ(added["Шевчук"]["STRCODE"], "");
    EXPECT_EQ(item(added["Шевчук"]["ADRES"], 3), "77");
    EXPECT_EQ(added["Лукашевич"]["STRCODE"], "112");
    EXPECT_EQ(added["Лукашевич"]["ADRES"].substr(0, 8), ",220030,");
    EXPECT_EQ(added["Орлова"]["ISSPRAV"], "F");

    // Statement duplicates: Кузнецов has 2 stored statements, the capitals
    // twin and the first Васильева 1 each; Смирнова and the second Васильева
    // had none, so their DOS statements were added.
    std::map<std::string, int> statementTwins;
    for (const auto& r : readAll(db.sprav.file("SVB_32.DBF"), CodePage::Cp1251))
        ++statementTwins[r.at("FIO").substr(0, r.at("FIO").find(' '))];
    EXPECT_EQ(statementTwins["Кузнецов"], 2);
    EXPECT_EQ(statementTwins["Васильева"], 1);
    EXPECT_EQ(statementTwins["Смирнова"], 0);
    std::map<std::string, int> stored;
    for (const auto& r : readAll(db.base.file("SVBASE32.DBF"), CodePage::Cp1251))
        ++stored[r.at("FIO").substr(0, r.at("FIO").find(' '))];
    EXPECT_EQ(stored["Смирнова"], 1);
    EXPECT_EQ(stored["Васильева"], 2);
    EXPECT_EQ(readAll(db.base.file("NH22.DBF"), CodePage::Cp1251).size(), 2u) << "one object from each set";
}

// The taxed months of every committed statement are a mask of twelve "0"/"1"
// (what the statement views read), with at least one month taxed.
TEST(ImportSamples, StatementMonthsAreTwelveCharacterMasks) {
    const auto isMask = [](const std::string& m) {
        return m.size() == 12 && m.find_first_not_of("01") == std::string::npos && m.find('1') != std::string::npos;
    };
    int statements = 0;
    auto dos = Table::open(setDir("dos2") + "/spisok.dbf", OpenMode::ReadOnly, CodePage::Cp866);
    for (dos->first(); !dos->eof(); dos->next()) {
        if (dos->asInteger("NOMDOK") == 0) continue;  // a person without a statement
        EXPECT_TRUE(isMask(dos->asString("PERIOD"))) << dos->asString("PERIOD");
        ++statements;
    }
    auto win = Table::open(setDir("win32") + "/svbase32.dbf", OpenMode::ReadOnly, CodePage::Cp1251);
    for (win->first(); !win->eof(); win->next()) {
        EXPECT_TRUE(isMask(win->asString("MES"))) << win->asString("MES");
        ++statements;
    }
    EXPECT_GT(statements, 16);
}
