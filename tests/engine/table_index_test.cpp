// The cursor with an active tag: order, seeks, ranges, tag upkeep, pack.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

struct Person {
    std::int64_t nom;
    std::string fam, name, otc;
    Date born;
};

class TableIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<Database>("VX_B", dir.path(), CodePage::Cp1251);
        db->createTable("SPISOK32", {{"NOM", 'N', 11, 0}, {"FAM", 'C', 25, 0}, {"NAME", 'C', 15, 0},
                                     {"OTC", 'C', 15, 0}, {"DATEROG", 'D', 8, 0}});
        t = db->openTable("SPISOK32");
        for (const Person& p : people) add(p);
        t->addIndex("FIOBORN", "UPPER(FAM+NAME+OTC)+DTOS(DATEROG)");
        t->addIndex("NOMX", "NOM");
    }

    void add(const Person& p) {
        t->append();
        t->setInteger("NOM", p.nom);
        t->setString("FAM", p.fam);
        t->setString("NAME", p.name);
        t->setString("OTC", p.otc);
        t->setDate("DATEROG", p.born);
        t->post();
    }

    std::vector<std::int64_t> walk() {
        std::vector<std::int64_t> out;
        for (t->first(); !t->eof(); t->next()) out.push_back(t->asInteger("NOM"));
        return out;
    }

    TempDir dir;
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> t;
    const std::vector<Person> people = {
        {57, "Яковлев", "Ян", "Ильич", Date{1960, 5, 1}},
        {3, "иванов", "Иван", "Иванович", Date{1980, 1, 2}},
        {12, "Иванов", "Иван", "Иванович", Date{1975, 3, 4}},
        {-4, "Абрамова", "Анна", "", Date{}},
        {100, "Ёлкин", "Егор", "Ёвич", Date{1990, 7, 7}},
        {9, "Иванов", "Пётр", "", Date{1975, 3, 4}},
    };
};

}  // namespace

TEST_F(TableIndexTest, TagOrderAndSwitchingKeepsTheCurrentRecord) {
    t->setIndex("NOMX");
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{-4, 3, 9, 12, 57, 100}));
    t->setIndex("FIOBORN");
    // Windows 1251 byte order of the upper-cased names: А < И < Я, Ё (0xA8) before all capitals.
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{100, -4, 12, 3, 9, 57}));
    t->first();
    t->next();
    t->next();  // on 12
    t->setIndex("NOMX");
    EXPECT_EQ(t->asInteger("NOM"), 12);
    t->next();
    EXPECT_EQ(t->asInteger("NOM"), 57);
    t->setIndex("");
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{57, 3, 12, -4, 100, 9}));
    EXPECT_EQ(t->tagNames(), (std::vector<std::string>{"FIOBORN", "NOMX"}));
}

TEST_F(TableIndexTest, FindKeyOnAllOrLeadingFields) {
    t->setIndex("FIOBORN");
    EXPECT_EQ(t->keyFields(), (std::vector<std::string>{"FAM", "NAME", "OTC", "DATEROG"}));
    EXPECT_TRUE(t->findKey({std::string("ИВАНОВ"), std::string("ИВАН"), std::string("ИВАНОВИЧ"), Date{1980, 1, 2}}));
    EXPECT_EQ(t->asInteger("NOM"), 3);
    EXPECT_TRUE(t->findKey({std::string("ИВАНОВ")}));
    EXPECT_EQ(t->asInteger("NOM"), 12) << "the first match in tag order";
    EXPECT_TRUE(t->findKey({std::string("ИВАНОВ"), std::string("ПЁТР")}, 2));
    EXPECT_EQ(t->asInteger("NOM"), 9);
    EXPECT_FALSE(t->findKey({std::string("ПЕТРОВ")}));
    EXPECT_EQ(t->asInteger("NOM"), 9) << "a failed seek leaves the cursor where it was";
    EXPECT_TRUE(t->findKey({std::string("АБРАМОВА"), std::string("АННА"), std::string(""), Date{}}))
        << "an empty birth date is a key of its own";

    t->setIndex("NOMX");
    EXPECT_TRUE(t->findKey({std::int64_t(57)}));
    EXPECT_EQ(t->asString("FAM"), "Яковлев");
    EXPECT_TRUE(t->findKey({-4.0}));
    EXPECT_FALSE(t->findKey({std::int64_t(58)}));
}

TEST_F(TableIndexTest, RangesAreInclusiveOnLeadingFields) {
    t->setIndex("NOMX");
    t->setRange({std::int64_t(3)}, {std::int64_t(57)});
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{3, 9, 12, 57}));
    t->last();
    EXPECT_EQ(t->asInteger("NOM"), 57);
    t->setRange({std::int64_t(13)}, {std::int64_t(56)});
    EXPECT_TRUE(t->isEmpty());
    EXPECT_TRUE(t->eof());
    t->cancelRange();
    EXPECT_EQ(walk().size(), 6u);

    t->setIndex("FIOBORN");
    t->setRange({std::string("ИВАНОВ"), std::string("ИВАН"), std::string("ИВАНОВИЧ"), Date{1975, 3, 4}},
                {std::string("ИВАНОВ"), std::string("ИВАН"), std::string("ИВАНОВИЧ"), Date{1975, 3, 4}});
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{12}));
    t->setRange({std::string("ИВАНОВ")}, {std::string("ИВАНОВ")});
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{12, 3, 9}));
    // Up to "яяя" takes in every upper-cased name of the Windows code page.
    t->setRange({std::string("   ")}, {std::string("яяя")});
    EXPECT_EQ(walk().size(), 6u);
}

TEST_F(TableIndexTest, TagsFollowAppendEditAndDelete) {
    t->setIndex("NOMX");
    add({5, "Новиков", "Олег", "", Date{2000, 1, 1}});
    EXPECT_EQ(t->asInteger("NOM"), 5) << "the cursor stays on the appended record";
    t->findKey({std::int64_t(100)});
    t->edit();
    t->setInteger("NOM", 1);
    t->post();
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{-4, 1, 3, 5, 9, 12, 57}));
    t->findKey({std::int64_t(9)});
    t->deleteRecord();
    EXPECT_EQ(t->asInteger("NOM"), 12) << "after a delete the cursor is on the next record in tag order";
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{-4, 1, 3, 5, 12, 57}));
    EXPECT_FALSE(t->findKey({std::int64_t(9)})) << "deleted records are not found";
    t->setIndex("FIOBORN");
    EXPECT_TRUE(t->findKey({std::string("ЁЛКИН")}));
    EXPECT_EQ(t->asInteger("NOM"), 1);
}

TEST_F(TableIndexTest, PackAndEmptyKeepTheTagsAndNeedTheTableAlone) {
    t->setIndex("NOMX");
    t->findKey({std::int64_t(12)});
    t->deleteRecord();
    {
        auto other = db->openTable("SPISOK32");
        try {
            t->pack();
            FAIL() << "packed a table open elsewhere";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), code::TableInUse);
        }
    }
    t->pack();
    EXPECT_EQ(t->recordCount(), 5u);
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{-4, 3, 9, 57, 100}));
    t->setIndex("FIOBORN");
    EXPECT_TRUE(t->findKey({std::string("ЯКОВЛЕВ")}));
    t->emptyTable();
    EXPECT_TRUE(t->isEmpty());
    EXPECT_EQ(t->tagNames().size(), 2u);
    add({1, "Новый", "", "", Date{}});
    t->setIndex("NOMX");
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{1}));
}

TEST_F(TableIndexTest, TheIndexSurvivesReopeningAndADeletedTagGoes) {
    t->close();
    t = db->openTable("spisok32");
    EXPECT_EQ(t->tagNames().size(), 2u);
    t->setIndex("FIOBORN");
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{100, -4, 12, 3, 9, 57}));
    t->deleteIndex("FIOBORN");
    EXPECT_EQ(t->tagNames(), (std::vector<std::string>{"NOMX"}));
    EXPECT_THROW(t->setIndex("FIOBORN"), EngineError);
    t->deleteIndex("NOMX");
    EXPECT_TRUE(t->tagNames().empty());
    t->close();
    EXPECT_FALSE(kvzt::test::readFile(dir.file("SPISOK32.DBF"))[28]) << "no index flag without tags";
    t = db->openTable("SPISOK32");
    EXPECT_EQ(walk().size(), 6u);
}

TEST_F(TableIndexTest, VerifyFindsAKeyChangedBehindTheIndex) {
    for (const TagReport& report : verifyTable(*t)) EXPECT_TRUE(report.problems.empty()) << report.tag;
    // Change a name in the file itself, as a foreign program without our index would.
    t->close();
    std::string bytes = kvzt::test::readFile(dir.file("SPISOK32.DBF"));
    const std::string name = fromUtf8("Яковлев", CodePage::Cp1251);
    bytes.replace(bytes.find(name), name.size(), fromUtf8("Бобров ", CodePage::Cp1251));
    kvzt::test::writeFile(dir.file("SPISOK32.DBF"), bytes);
    t = db->openTable("SPISOK32");
    auto reports = verifyTable(*t);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[0].problems.empty()) << "FIOBORN no longer matches the data";
    EXPECT_TRUE(reports[1].problems.empty()) << "NOMX still does";
}

TEST_F(TableIndexTest, AMissingOrDamagedIndexFileStopsTheOpen) {
    t->close();
    const std::string mdx = dir.file("SPISOK32.MDX");
    const std::string bytes = kvzt::test::readFile(mdx);
    std::remove(mdx.c_str());
    EXPECT_THROW(db->openTable("SPISOK32"), EngineError);
    kvzt::test::writeFile(mdx, bytes.substr(0, 700));
    EXPECT_THROW(db->openTable("SPISOK32"), EngineError);
}

// Thousands of random changes with keys of every type, checked against a model.
TEST(TableIndexRandom, TagsMatchAModelAfterEveryBatch) {
    TempDir dir;
    Database db("X", dir.path(), CodePage::Cp866);
    db.createTable("R", {{"C", 'C', 6, 0}, {"N", 'N', 8, 2}, {"D", 'D', 8, 0}});
    auto t = db.openTable("R");
    t->addIndex("CX", "UPPER(C)");
    t->addIndex("NX", "N");
    t->addIndex("DX", "D");
    std::mt19937 rng(7);
    std::map<std::uint32_t, std::tuple<std::string, double, Date>> model;  // recno → values
    auto randomText = [&] {
        static const char* letters[] = {"а", "Б", "ё", "Я", "z", "A", "0", " "};
        std::string s;
        for (int i = 0, n = int(rng() % 7); i < n; ++i) s += letters[rng() % 8];
        return s;
    };
    auto randomDate = [&] { return rng() % 10 == 0 ? Date{} : Date::fromJulianDay(2415000 + long(rng() % 40000)); };
    auto randomNumber = [&] { return double(int(rng() % 2000000) - 1000000) / 100.0; };
    auto check = [&] {
        for (const char* tag : {"CX", "NX", "DX"}) {
            t->setIndex(tag);
            std::vector<std::uint32_t> seen;
            std::string prevC;
            double prevN = -1e18;
            long prevD = -1;
            for (t->first(); !t->eof(); t->next()) {
                seen.push_back(t->recNo());
                std::string c = fromUtf8(upperUtf8(t->asString("C")), CodePage::Cp866);
                if (tag == std::string("CX")) {
                    EXPECT_LE(prevC, c);
                    prevC = c;
                } else if (tag == std::string("NX")) {
                    EXPECT_LE(prevN, t->asFloat("N"));
                    prevN = t->asFloat("N");
                } else {
                    EXPECT_LE(prevD, t->asDate("D").julianDay());
                    prevD = t->asDate("D").julianDay();
                }
            }
            std::set<std::uint32_t> expected;
            for (auto& [recno, v] : model) expected.insert(recno);
            EXPECT_EQ(std::set<std::uint32_t>(seen.begin(), seen.end()), expected) << tag;
            EXPECT_EQ(seen.size(), expected.size()) << tag;
        }
        t->setIndex("");
        for (const TagReport& report : verifyTable(*t))
            EXPECT_TRUE(report.problems.empty()) << report.tag << ": " << report.problems.front();
    };
    for (int batch = 0; batch < 8; ++batch) {
        for (int op = 0; op < 500; ++op) {
            int what = int(rng() % 10);
            if (what < 6 || model.empty()) {
                t->append();
                auto v = std::make_tuple(randomText(), randomNumber(), randomDate());
                t->setString("C", std::get<0>(v));
                t->setFloat("N", std::get<1>(v));
                t->setDate("D", std::get<2>(v));
                t->post();
                model[t->recNo()] = v;
            } else {
                auto it = model.begin();
                std::advance(it, rng() % model.size());
                t->gotoBookmark(Bookmark{it->first});
                if (what < 9) {
                    t->edit();
                    std::get<1>(it->second) = randomNumber();
                    t->setFloat("N", std::get<1>(it->second));
                    if (rng() % 2) {
                        std::get<0>(it->second) = randomText();
                        t->setString("C", std::get<0>(it->second));
                    }
                    t->post();
                } else {
                    t->deleteRecord();
                    model.erase(it);
                }
            }
        }
        check();
    }
    // Seeks find what the model holds.
    t->setIndex("NX");
    for (auto& [recno, v] : model) {
        ASSERT_TRUE(t->findKey({std::get<1>(v)}));
        EXPECT_DOUBLE_EQ(t->asFloat("N"), std::get<1>(v));
    }
}
