// The classifier run over the committed small distribution (regions 77, 50,
// 66 and the unknown 81): import and deletion by region and of everything,
// the abbreviation codes, houses, a missing street file, the source header
// repair, a table held elsewhere. After every run the seven classifier
// tables must pass the engine's verification with exactly their catalogue
// tags.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "classifier/kladr_process.h"
#include "classifier/socr_codes.h"
#include "data/data_module.h"
#include "engine/code_page.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "schema/index_catalogue.h"
#include "schema/reference_books.h"
#include "support/catalogue_database.h"

using namespace kvzt;
using classifier::KladrRequest;
using classifier::KladrResult;

namespace {

const char* const kClassifierTables[] = {"K1REG", "K2RAI", "K3TOW", "K4NAS", "K5ULI", "K6DOM", "K7SOCR"};

class RecordingProgress final : public classifier::KladrProgress {
public:
    void setMaximum(int m) override { maximum = m; }
    void advance(int steps) override { position += steps; }
    void setPosition(int p) override { position = p; }
    void setStatusText(const QString& text) override { texts.push_back(text.toStdString()); }

    bool said(const std::string& text) const {
        for (const auto& t : texts) {
            if (t == text) return true;
        }
        return false;
    }

    int maximum = -1;
    int position = 0;
    std::vector<std::string> texts;
};

// One record of a classifier table as text, for comparisons.
using Rows = std::multiset<std::string>;

// What the small distribution holds for one region, counted straight from
// its files.
struct SourceCounts {
    int districts = 0, towns = 0, settlements = 0, streets = 0, houses = 0;
};

class KladrRunTest : public ::testing::Test {
protected:
    KladrRunTest() {
        schema::FillReferenceBooks(*db.session, QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks"));
        for (const char* name : {"kladr.dbf", "street.dbf"}) {
            test::copyFile(std::string(KVZT_SOURCE_DIR) + "/samples/kladr/small/" + name, src.file(name));
        }
        dm = std::make_unique<data::TdmKVZT>(*db.session);
    }

    KladrResult import(const QStringList& regions, bool streets = true, const std::string& dir = {}) {
        mark(regions);
        return run({QString::fromStdString(dir.empty() ? src.path() : dir), streets});
    }
    KladrResult remove(const QStringList& regions) {
        mark(regions);
        return run({QString(), true});
    }
    void mark(const QStringList& regions) {
        if (regions == QStringList{QStringLiteral("all")}) {
            classifier::SetAllRegionMarks(*dm, true);
        } else {
            ASSERT_TRUE(classifier::MarkRegions(*dm, regions));
        }
    }
    KladrResult run(const KladrRequest& request) {
        progress = RecordingProgress();
        KladrResult result = classifier::KladrProcess(*dm, request, progress);
        expectSoundTables();
        return result;
    }

    void expectSoundTables() {
        for (const char* name : kClassifierTables) {
            auto t = db.session->openTable("VX_S", name, engine::OpenMode::ReadOnly);
            std::vector<std::string> expected;
            for (const auto& tag : schema::CatalogueTags(QString::fromLatin1(name))) expected.push_back(tag.name);
            EXPECT_EQ(t->tagNames(), expected) << name;
            for (const auto& report : engine::verifyTable(*t)) {
                EXPECT_TRUE(report.problems.empty()) << name << " " << report.tag << ": " << report.problems.front();
            }
        }
    }

    // Records of a table (all fields joined), optionally of one region only.
    Rows rows(const char* table, const std::string& region = {}) {
        auto t = db.session->openTable("VX_S", table, engine::OpenMode::ReadOnly);
        Rows out;
        for (t->first(); !t->eof(); t->next()) {
            if (!region.empty() && t->asString("KODREG") != region) continue;
            std::string row;
            for (const auto& f : t->fields()) row += t->asString(f.name) + "|";
            out.insert(row);
        }
        return out;
    }
    int count(const char* table, const std::string& region = {}) { return int(rows(table, region).size()); }

    std::map<std::string, std::string> regionFlags() {  // code → YES, YES2INS as "TF"
        auto t = db.session->openTable("VX_S", "K1REG", engine::OpenMode::ReadOnly);
        std::map<std::string, std::string> flags;
        for (t->first(); !t->eof(); t->next()) {
            flags[t->asString("KODREG")] =
                std::string(t->asBoolean("YES") ? "T" : "F") + (t->asBoolean("YES2INS") ? "T" : "F");
        }
        return flags;
    }

    SourceCounts source(const std::string& region) {
        SourceCounts c;
        auto kladr = db.session->openTableInDirectory(src.path(), "kladr", engine::OpenMode::ReadOnly);
        for (kladr->first(); !kladr->eof(); kladr->next()) {
            const std::string code = kladr->asString("CODE");
            if (code.substr(0, 2) != region || code.substr(2, 9) == "000000000") continue;
            if (code.substr(8, 3) != "000") ++c.settlements;
            else if (code.substr(5, 3) != "000") ++c.towns;
            else ++c.districts;
        }
        auto street = db.session->openTableInDirectory(src.path(), "street", engine::OpenMode::ReadOnly);
        for (street->first(); !street->eof(); street->next()) {
            if (street->asString("CODE").substr(0, 2) != region) continue;
            (engine::upperUtf8(street->asString("SOCR")) == "ДОМ" ? c.houses : c.streets)++;
        }
        return c;
    }

    void expectLoaded(const std::string& region) { expectLoaded(region, source(region)); }
    void expectLoaded(const std::string& region, const SourceCounts& c) {
        ASSERT_GT(c.settlements, 0) << region;
        EXPECT_EQ(count("K2RAI", region), c.districts) << region;
        EXPECT_EQ(count("K3TOW", region), c.towns) << region;
        EXPECT_EQ(count("K4NAS", region), c.settlements) << region;
        EXPECT_EQ(count("K5ULI", region), c.streets) << region;
        EXPECT_EQ(count("K6DOM", region), c.houses) << region;
    }

    test::CatalogueDatabase db;
    test::TempDir src;
    std::unique_ptr<data::TdmKVZT> dm;
    RecordingProgress progress;
};

TEST_F(KladrRunTest, ImportOfAllRegionsStartsFromEmptyTablesAndLevelOneAbbreviations) {
    {   // leftovers the total way must clear: a street and a street-level abbreviation
        auto uli = db.session->openTable("VX_S", "K5ULI", engine::OpenMode::Shared);
        uli->append();
        uli->setString("NAME", "Старая");
        uli->setString("KODREG", "01");
        uli->post();
        auto socr = db.session->openTable("VX_S", "K7SOCR", engine::OpenMode::Shared);
        socr->append();
        socr->setString("Lev", "5");
        socr->setString("Name", "стар");
        socr->setString("Code", "500");
        socr->post();
    }
    const KladrResult r = import({"all"});
    EXPECT_TRUE(progress.said("Удаление всех ранее установленных записей КЛАДР"));
    EXPECT_EQ(count("K5ULI", "01"), 0);
    for (const char* region : {"77", "50", "66"}) expectLoaded(region);
    // The unknown region 81 is skipped; no region's own record became a district.
    EXPECT_EQ(count("K2RAI", "81") + count("K4NAS", "81") + count("K5ULI", "81"), 0);
    for (const auto& row : rows("K2RAI")) EXPECT_EQ(row.find("|000|"), std::string::npos) << row;

    // Level-1 codes 101–108 stay; the new ones follow from 109 without gaps.
    std::set<std::string> codes;
    int levelOne = 0;
    for (const auto& row : rows("K7SOCR")) {
        codes.insert(row.substr(row.size() - 4, 3));
        if (row[0] == '1') ++levelOne;
    }
    EXPECT_EQ(levelOne, 8);
    EXPECT_EQ(int(codes.size()), 8 + r.newAbbreviations);
    EXPECT_EQ(*codes.rbegin(), std::to_string(108 + r.newAbbreviations));
    EXPECT_FALSE(codes.count("500"));

    for (const auto& [code, flags] : regionFlags()) EXPECT_EQ(flags, "TF") << code;
    // Gauge: both files' records plus the reserve, and it ends full.
    auto kladr = db.session->openTableInDirectory(src.path(), "kladr", engine::OpenMode::ReadOnly);
    auto street = db.session->openTableInDirectory(src.path(), "street", engine::OpenMode::ReadOnly);
    EXPECT_EQ(progress.maximum, int(kladr->recordCount() + street->recordCount()) + 137);
    EXPECT_EQ(progress.position, progress.maximum);
    const std::vector<std::string> tail(progress.texts.end() - 6, progress.texts.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Индексирование таблицы \"Районы\"", "Индексирование таблицы \"Города\"",
                                              "Индексирование таблицы \"Нас. пункты\"",
                                              "Индексирование таблицы \"Улицы\"", "Индексирование таблицы \"Дома\"",
                                              "Импорт КЛАДР успешно выполнен"}));
}

TEST_F(KladrRunTest, ImportOfOneRegionReplacesItAndLeavesTheOthers) {
    import({"all"});
    const Rows others = rows("K5ULI", "77");
    const Rows otherNas = rows("K4NAS", "66");
    const int socrBefore = count("K7SOCR");
    {   // a stray record of region 50 that the reload must remove
        auto dom = db.session->openTable("VX_S", "K6DOM", engine::OpenMode::Shared);
        dom->append();
        dom->setString("NAME", "лишний");
        dom->setString("KODREG", "50");
        dom->post();
    }
    const KladrResult r = import({"50"});
    EXPECT_EQ(r.regionsDone, QStringList{"50"});
    expectLoaded("50");
    EXPECT_EQ(rows("K5ULI", "77"), others);
    EXPECT_EQ(rows("K4NAS", "66"), otherNas);
    EXPECT_EQ(count("K7SOCR"), socrBefore);  // nothing new: every text is known by now
    EXPECT_TRUE(progress.said("\"Московская  обл\" - удаление ранее установленных записей"));
    EXPECT_TRUE(progress.said("\"Московская  обл\" - добавление записи"));
    EXPECT_TRUE(progress.said("\"Московская  обл\" - добавление улиц"));
    EXPECT_EQ(regionFlags()["50"], "TF");
}

TEST_F(KladrRunTest, DeletionByRegionKeepsTownsDistrictsAndSettlements001) {
    import({"all"});
    const Rows tow77 = rows("K3TOW", "77"), rai66 = rows("K2RAI", "66");
    const Rows uli50 = rows("K5ULI", "50");
    remove({"77", "66"});
    EXPECT_EQ(regionFlags()["77"], "FT");
    EXPECT_EQ(regionFlags()["66"], "FT");
    EXPECT_EQ(regionFlags()["50"], "TF");
    for (const char* region : {"77", "66"}) {
        EXPECT_EQ(count("K5ULI", region), 0);
        EXPECT_EQ(count("K6DOM", region), 0);
        for (const auto& row : rows("K4NAS", region)) EXPECT_NE(row.find("|001|"), std::string::npos) << row;
    }
    EXPECT_EQ(rows("K3TOW", "77"), tow77);
    EXPECT_EQ(rows("K2RAI", "66"), rai66);
    EXPECT_EQ(rows("K5ULI", "50"), uli50);
    EXPECT_EQ(progress.maximum, 2 + 6);
    EXPECT_EQ(progress.texts.back(), "Удаление записей КЛАДР успешно выполнено");
}

TEST_F(KladrRunTest, DeletionOfOneRegionKeepsItsDistrictsAndTownsWhileAReloadReplacesThem) {
    import({"50"});
    const Rows rai = rows("K2RAI", "50"), tow = rows("K3TOW", "50");
    ASSERT_FALSE(rai.empty());
    ASSERT_FALSE(tow.empty());
    remove({"50"});
    EXPECT_EQ(rows("K2RAI", "50"), rai);
    EXPECT_EQ(rows("K3TOW", "50"), tow);
    EXPECT_EQ(count("K5ULI", "50") + count("K6DOM", "50"), 0);
    // A reload takes the kept districts away before loading them again: one of each.
    import({"50"});
    EXPECT_EQ(rows("K2RAI", "50"), rai);
    EXPECT_EQ(rows("K3TOW", "50"), tow);
}

TEST_F(KladrRunTest, DeletionOfEveryRegionEmptiesTablesAndClearsInstalledFlags) {
    import({"all"});
    remove({"all"});
    for (const char* table : {"K2RAI", "K3TOW", "K4NAS", "K5ULI", "K6DOM"}) EXPECT_EQ(count(table), 0) << table;
    EXPECT_EQ(count("K7SOCR"), 8);
    for (const auto& [code, flags] : regionFlags()) EXPECT_EQ(flags[0], 'F') << code;
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.position, 3);
}

TEST_F(KladrRunTest, WithoutStreetFileStreetsAndHousesOfTheRegionEndEmpty) {
    import({"all"});
    test::TempDir kladrOnly;
    test::copyFile(src.file("kladr.dbf"), kladrOnly.file("kladr.dbf"));
    const KladrResult r = import({"77"}, false, kladrOnly.path());
    EXPECT_EQ(r.streets + r.houses, 0);
    EXPECT_EQ(count("K5ULI", "77") + count("K6DOM", "77"), 0);
    EXPECT_GT(count("K5ULI", "50"), 0);
    EXPECT_EQ(count("K4NAS", "77"), source("77").settlements);
}

TEST_F(KladrRunTest, SourceWithMissingOrDamagedIndexOpensAfterHeaderRepair) {
    const SourceCounts expected = source("66");
    // Both files claim a production index; kladr has none, street a broken one.
    for (const char* name : {"kladr.dbf", "street.dbf"}) {
        std::string bytes = test::readFile(src.file(name));
        bytes[28] = 1;
        test::writeFile(src.file(name), bytes);
    }
    test::writeFile(src.file("street.mdx"), std::string(600, 'x'));
    import({"66"});
    expectLoaded("66", expected);
    for (const char* name : {"kladr.dbf", "street.dbf"}) EXPECT_EQ(test::readFile(src.file(name))[28], 1) << name;
}

TEST_F(KladrRunTest, HeaderIsSetBackWhenTheRunFails) {
    std::string bytes = test::readFile(src.file("kladr.dbf"));
    bytes[28] = 1;
    test::writeFile(src.file("kladr.dbf"), bytes);
    mark({"77"});
    // Street file missing while streets are asked for: the count fails after kladr was repaired.
    std::remove(src.file("street.dbf").c_str());
    EXPECT_THROW(classifier::KladrProcess(*dm, {QString::fromStdString(src.path()), true}, progress),
                 engine::EngineError);
    EXPECT_EQ(test::readFile(src.file("kladr.dbf"))[28], 1) << "street is counted first; kladr untouched";
    test::copyFile(std::string(KVZT_SOURCE_DIR) + "/samples/kladr/small/street.dbf", src.file("street.dbf"));
    // A kladr record with a new abbreviation while K7SOCR has no code left.
    {
        auto socr = db.session->openTable("VX_S", "K7SOCR", engine::OpenMode::Shared);
        socr->append();
        socr->setString("Lev", "9");
        socr->setString("Name", "край кодов");
        socr->setString("Code", "999");
        socr->post();
    }
    try {
        classifier::KladrProcess(*dm, {QString::fromStdString(src.path()), true}, progress);
        FAIL() << "a code past 999 must stop the run";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.code(), engine::code::ValueOutOfRange);
        EXPECT_NE(std::string(e.what()).find("999"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::readFile(src.file("kladr.dbf"))[28], 1);
    expectSoundTables();  // the dropped indexes were given back
}

TEST_F(KladrRunTest, TableHeldElsewhereStopsTheRunBeforeAnyChange) {
    import({"all"});
    const Rows before = rows("K5ULI");
    mark({"77"});
    auto held = db.session->openTable("VX_S", "K6DOM", engine::OpenMode::Shared);
    try {
        classifier::KladrProcess(*dm, {QString::fromStdString(src.path()), true}, progress);
        FAIL() << "K6DOM is open elsewhere";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.code(), engine::code::TableInUse) << e.what();
    }
    held.reset();
    EXPECT_EQ(rows("K5ULI"), before);
    EXPECT_EQ(regionFlags()["77"], "TT");
}

TEST_F(KladrRunTest, TablesLeftWithoutIndexesByAnEarlierRunGetThemBack) {
    import({"all"});
    schema::DropIndexes(db.session->database("VX_S"), "K5ULI");
    schema::DropIndexes(db.session->database("VX_S"), "K4NAS");
    remove({"50"});  // verifies every table and its tags afterwards
    EXPECT_EQ(count("K5ULI", "50"), 0);
    EXPECT_GT(count("K5ULI", "77"), 0);
}

TEST_F(KladrRunTest, AbbreviationCodesByLevelAndLetterCase) {
    classifier::SocrCodes codes(dm->tbTip.table());
    const std::string street = codes.GetSocrCode('5', "ул");
    EXPECT_EQ(street, "109");
    EXPECT_EQ(codes.GetSocrCode('5', "УЛ"), street);
    EXPECT_EQ(codes.GetSocrCode('4', "ул"), "110");  // the same text at another level
    EXPECT_EQ(codes.GetSocrCode('3', "г"), "111");   // "г" exists only at level 1
    EXPECT_EQ(codes.added(), 3);
    // A fresh object (no memory) finds what was written, under any letter case.
    classifier::SocrCodes again(dm->tbTip.table());
    EXPECT_EQ(again.GetSocrCode('5', "Ул"), "109");
    EXPECT_EQ(again.added(), 0);
    auto t = db.session->openTable("VX_S", "K7SOCR", engine::OpenMode::ReadOnly);
    t->setIndex("CODEX");
    t->last();
    EXPECT_EQ(t->asString("Name"), "г");
    EXPECT_EQ(t->asString("Lev"), "3");

    EXPECT_EQ(classifier::NextSocrCode(""), "001");
    EXPECT_EQ(classifier::NextSocrCode("09"), "010");
    EXPECT_EQ(classifier::NextSocrCode("x12"), "001");
    EXPECT_EQ(classifier::NextSocrCode("998"), "999");
    EXPECT_EQ(classifier::NextSocrCode("999"), "");
}

TEST_F(KladrRunTest, TheLastFreeAbbreviationCodeIs999) {
    {
        auto socr = db.session->openTable("VX_S", "K7SOCR", engine::OpenMode::Shared);
        socr->append();
        socr->setString("Lev", "5");
        socr->setString("Name", "проезд");
        socr->setString("Code", "998");
        socr->post();
    }
    const int before = count("K7SOCR");
    classifier::SocrCodes codes(dm->tbTip.table());
    EXPECT_EQ(codes.GetSocrCode('5', "тупик"), "999");
    try {
        codes.GetSocrCode('5', "аллея");
        FAIL() << "no code is left after 999";
    } catch (const engine::EngineError& e) {
        EXPECT_EQ(e.code(), engine::code::ValueOutOfRange);
    }
    // Known texts still get their codes; the refused one left nothing behind.
    EXPECT_EQ(codes.GetSocrCode('5', "ТУПИК"), "999");
    EXPECT_EQ(codes.GetSocrCode('5', "проезд"), "998");
    EXPECT_EQ(count("K7SOCR"), before + 1);
}

TEST_F(KladrRunTest, HousesInAnyLetterCase) {
    const KladrResult r = import({"77", "66"});
    const int houses = source("77").houses + source("66").houses;
    EXPECT_GT(houses, 0);
    EXPECT_EQ(r.houses, houses);
    EXPECT_EQ(count("K6DOM"), houses);
    // A house never became a street with a "дом" abbreviation.
    for (const auto& row : rows("K7SOCR")) EXPECT_EQ(engine::upperUtf8(row).find("|ДОМ|"), std::string::npos) << row;
}

TEST_F(KladrRunTest, MarksNameExistingRegionsOnly) {
    EXPECT_FALSE(classifier::MarkRegions(*dm, {"77", "81"}));
    EXPECT_EQ(regionFlags()["77"], "FF");
    EXPECT_TRUE(classifier::MarkRegions(*dm, {"77"}));
    EXPECT_EQ(regionFlags()["77"], "FT");
    EXPECT_EQ(regionFlags()["50"], "FF");
    classifier::SetAllRegionMarks(*dm, false);
    EXPECT_EQ(regionFlags()["77"], "FF");
    EXPECT_EQ(classifier::KladrDirFrom(" "), " ");
    EXPECT_TRUE(classifier::KladrDirFrom("/a/b").endsWith('/'));
    const QString longDir = QStringLiteral("/") + QString(200, QLatin1Char('d')) + QStringLiteral("/");
    EXPECT_EQ(classifier::KladrDirFrom(longDir), longDir);
}

}  // namespace
