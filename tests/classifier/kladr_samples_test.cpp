// The committed sample classifier files: the generator still makes them, the
// engine and an independent dBase reader read them, their codes are sound.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/dbf_file.h"
#include "support/test_support.h"

namespace {

using kvzt::engine::CodePage;
using kvzt::engine::DbfFile;
using kvzt::engine::OpenMode;
using kvzt::test::TempDir;

std::string smallDir() { return std::string(KVZT_SOURCE_DIR) + "/samples/kladr/small"; }

struct Row {
    std::string name, socr, code;
};

std::string fieldText(const DbfFile& file, const std::string& record, std::size_t i) {
    const auto& f = file.fields()[i];
    std::string s = kvzt::engine::toUtf8(record.substr(std::size_t(f.offset), std::size_t(f.length)), CodePage::Cp866);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

std::vector<Row> readRows(const std::string& path) {
    auto file = DbfFile::open(path, OpenMode::ReadOnly);
    std::vector<Row> rows;
    std::string record(std::size_t(file->recordLength()), '\0');
    for (std::uint32_t r = 1; r <= file->recordCount(); ++r) {
        file->readRecord(r, record.data());
        EXPECT_EQ(record[0], ' ') << path << " record " << r;
        rows.push_back({fieldText(*file, record, 0), fieldText(*file, record, 1), fieldText(*file, record, 2)});
    }
    return rows;
}

bool allDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Level of a kladr code: 1 region, 2 district, 3 town, 4 settlement.
char levelOf(const std::string& code) {
    if (code.substr(2, 9) == "000000000") return '1';
    if (code.substr(8, 3) != "000") return '4';
    if (code.substr(5, 3) != "000") return '3';
    return '2';
}

TEST(KladrSamples, GeneratorStillMakesTheCommittedFiles) {
#ifndef KVZT_SAMPLE_KLADR_PATH
    GTEST_SKIP() << "the sample generator is not built";
#else
    TempDir dir;
    auto run = kvzt::test::runCommand({KVZT_SAMPLE_KLADR_PATH, "--small", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* name : {"kladr.dbf", "street.dbf"}) {
        std::string made = kvzt::test::readFile(dir.file(name));
        std::string kept = kvzt::test::readFile(smallDir() + "/" + name);
        ASSERT_EQ(made.size(), kept.size()) << name;
        ASSERT_GT(made.size(), 4u);
        // Bytes 1-3 carry the date the file was written.
        made.replace(1, 3, 3, '\0');
        kept.replace(1, 3, 3, '\0');
        EXPECT_TRUE(made == kept) << name << " differs from what the generator makes now";
    }
    auto bad = kvzt::test::runCommand({KVZT_SAMPLE_KLADR_PATH, "--medium", dir.path()});
    EXPECT_NE(bad.exitCode, 0);
#endif
}

TEST(KladrSamples, EngineReadsTheLayout) {
    struct Expected {
        const char* file;
        std::vector<std::pair<std::string, int>> fields;
    };
    const Expected expected[] = {
        {"kladr.dbf",
         {{"NAME", 40}, {"SOCR", 10}, {"CODE", 13}, {"INDEX", 6}, {"GNINMB", 4}, {"UNO", 4}, {"OCATD", 11}, {"STATUS", 1}}},
        {"street.dbf", {{"NAME", 40}, {"SOCR", 10}, {"CODE", 17}, {"INDEX", 6}, {"GNINMB", 4}, {"UNO", 4}, {"OCATD", 11}}},
    };
    for (const auto& e : expected) {
        std::string path = smallDir() + "/" + e.file;
        auto file = DbfFile::open(path, OpenMode::ReadOnly);
        EXPECT_EQ(file->header().version, 0x03) << e.file;
        EXPECT_EQ(file->header().languageDriver, 0) << e.file;
        EXPECT_EQ(file->header().productionIndex, 0) << e.file;
        ASSERT_EQ(file->fields().size(), e.fields.size()) << e.file;
        for (std::size_t i = 0; i < e.fields.size(); ++i) {
            EXPECT_EQ(file->fields()[i].name, e.fields[i].first) << e.file;
            EXPECT_EQ(file->fields()[i].type, 'C') << e.file;
            EXPECT_EQ(file->fields()[i].length, e.fields[i].second) << e.file;
        }
        EXPECT_GT(file->recordCount(), 40u) << e.file;
        EXPECT_EQ(file->fileLength(), kvzt::test::readFile(path).size()) << e.file;
    }
}

TEST(KladrSamples, CodesAreWellFormedAndStreetsBelongToKnownPlaces) {
    const auto kladr = readRows(smallDir() + "/kladr.dbf");
    const auto street = readRows(smallDir() + "/street.dbf");

    std::set<std::string> places;                     // first eleven digits of every kladr record
    std::map<std::string, std::string> regionRecord;  // region → its own record's name
    std::map<std::string, std::set<char>> levels;     // abbreviation → levels it occurs at
    int formerNames = 0;
    for (const auto& r : kladr) {
        ASSERT_EQ(r.code.size(), 13u) << r.name;
        ASSERT_TRUE(allDigits(r.code)) << r.code;
        EXPECT_FALSE(r.name.empty()) << r.code;
        EXPECT_FALSE(r.socr.empty()) << r.code;
        places.insert(r.code.substr(0, 11));
        char level = levelOf(r.code);
        if (level == '1') regionRecord[r.code.substr(0, 2)] = r.name;
        levels[r.socr].insert(level);
        if (r.code.substr(11) != "00") ++formerNames;
    }
    // Every region has its own record, placed first among its records.
    EXPECT_EQ(regionRecord.size(), 4u);
    EXPECT_EQ(regionRecord["77"], "Москва");
    EXPECT_EQ(regionRecord["50"], "Московская");
    EXPECT_EQ(regionRecord["66"], "Свердловская");
    EXPECT_TRUE(regionRecord.count("81")) << "the region missing from the region table";
    EXPECT_EQ(levelOf(kladr.front().code), '1');
    EXPECT_GT(formerNames, 0);
    // Abbreviations that occur at more than one level.
    EXPECT_EQ(levels["г"], (std::set<char>{'1', '3'}));
    EXPECT_TRUE(levels["р-н"] == std::set<char>{'2'});
    EXPECT_TRUE(levels.count("д") && levels["д"].count('4'));

    int houses = 0, upperHouses = 0, cityStreets = 0;
    for (const auto& r : street) {
        ASSERT_EQ(r.code.size(), 17u) << r.name;
        ASSERT_TRUE(allDigits(r.code)) << r.code;
        EXPECT_NE(r.code.substr(11, 4), "0000") << r.code;
        EXPECT_TRUE(places.count(r.code.substr(0, 11))) << "street of an unknown place: " << r.code;
        std::string upper = kvzt::engine::upperUtf8(r.socr);
        if (upper == "ДОМ") {
            ++houses;
            if (r.socr == "ДОМ") ++upperHouses;
        }
        if (r.code.substr(2, 9) == "000000000") ++cityStreets;
    }
    EXPECT_GT(houses, 0);
    EXPECT_GT(upperHouses, 0);
    EXPECT_LT(upperHouses, houses) << "both letter cases of the house type should occur";
    EXPECT_GT(cityStreets, 0) << "streets directly under a federal city";
}

TEST(KladrSamples, IndependentReaderAgrees) {
    const std::string python = "/usr/bin/python3";
    if (kvzt::test::runCommand({python, "-c", "import dbf"}).exitCode != 0)
        GTEST_SKIP() << "python3-dbf is not installed";
    // Copied first: the reader must not touch the committed files.
    TempDir dir;
    for (const char* name : {"kladr.dbf", "street.dbf"})
        kvzt::test::copyFile(smallDir() + "/" + name, dir.file(name));
    const std::string script =
        "import sys, dbf\n"
        "for path in sys.argv[1:]:\n"
        "    t = dbf.Table(path, codepage='cp866')\n"
        "    t.open(dbf.READ_ONLY)\n"
        "    first = t[0]\n"
        "    last = t[-1]\n"
        "    sys.stdout.buffer.write(('%d|%s|%s|%s|%s\\n' % (len(t), ','.join(t.field_names),\n"
        "        first.name.strip(), first.code.strip(), last.code.strip())).encode('utf-8'))\n"
        "    t.close()\n";
    auto run = kvzt::test::runCommand({python, "-c", script, dir.file("kladr.dbf"), dir.file("street.dbf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::string expected;
    for (const char* name : {"kladr.dbf", "street.dbf"}) {
        auto file = DbfFile::open(dir.file(name), OpenMode::ReadOnly);
        auto rows = readRows(dir.file(name));
        std::string names;
        for (const auto& f : file->fields()) names += (names.empty() ? "" : ",") + f.name;
        std::transform(names.begin(), names.end(), names.begin(), [](char c) { return char(std::tolower(c)); });
        expected += std::to_string(rows.size()) + "|" + names + "|" + rows.front().name + "|" + rows.front().code +
                    "|" + rows.back().code + "\n";
    }
    EXPECT_EQ(run.out, expected);
}

}  // namespace
