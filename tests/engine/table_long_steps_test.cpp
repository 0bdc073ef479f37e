// The cursor's paths for long loops: fields by number, the remembered
// places of field names (never confused by another name at the same
// address), tag builds whose keys and order hold over many records and both
// directions, and the busy hook that long steps call so a window can take
// its events.

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

class LongSteps : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<Database>("T", dir.path(), CodePage::Cp1251);
        db->createTable("PEOPLE", {{"NOM", 'N', 7, 0}, {"FAM", 'C', 20, 0}, {"NAME", 'C', 12, 0}});
        t = db->openTable("PEOPLE");
    }

    // `count` records; surnames repeat so that long runs of equal key starts
    // are sorted on later bytes, in lower case so that UPPER() matters.
    void fill(int count) {
        const char* surnames[] = {"ёлкин", "иванов", "Иванова", "яковлев", "abramov"};
        for (int n = 1; n <= count; ++n) {
            t->append();
            t->setInteger("NOM", n);
            t->setString("FAM", surnames[(n * 7) % 5]);
            t->setString("NAME", "имя" + std::to_string((n * 7919) % 1000));
            t->post();
        }
    }

    TempDir dir;
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> t;
};

TEST_F(LongSteps, FieldsByNumberAndNamesAtARecycledAddress) {
    fill(3);
    const int fam = t->fieldIndexOf("fam");
    const int nom = t->fieldIndexOf("NOM");
    EXPECT_THROW(t->fieldIndexOf("NOPE"), EngineError);
    t->gotoBookmark({2});
    EXPECT_EQ(t->asStringAt(nom), "2");
    EXPECT_EQ(t->rawFieldAt(nom), "      2");
    t->edit();
    t->setStringAt(fam, "Щукин-Длинная-Фамилия-Обрезана");
    t->post();
    EXPECT_EQ(t->asString("FAM"), "Щукин-Длинная-Фамили");
    t->edit();
    EXPECT_THROW(t->setStringAt(99, "x"), EngineError);
    t->cancel();

    // Names built in one buffer, one after the other, share its address.
    char name[8] = {};
    for (int round = 0; round < 3; ++round) {
        std::snprintf(name, sizeof name, "NOM");
        EXPECT_EQ(t->asString(name), "2");
        std::snprintf(name, sizeof name, "Name");
        EXPECT_EQ(t->asString(name), t->asStringAt(t->fieldIndexOf("NAME")));
        std::snprintf(name, sizeof name, "NAMEX");
        EXPECT_EQ(t->fieldIndex(name), -1);
    }
}

TEST_F(LongSteps, BuiltTagsHoldTheirOrderInBothDirections) {
    fill(20000);
    t->addIndex("UP", "UPPER(FAM+NAME)");
    t->addIndex("DOWN", "UPPER(FAM)+NAME", IndexOptions{.descending = true});
    for (const TagReport& r : verifyTable(*t)) EXPECT_TRUE(r.problems.empty()) << r.tag;

    auto walk = [&](const char* tag) {
        t->setIndex(tag);
        std::vector<std::pair<std::string, std::int64_t>> seen;
        for (t->first(); !t->eof(); t->next()) seen.emplace_back(t->asString("FAM"), t->asInteger("NOM"));
        return seen;
    };
    const auto up = walk("UP");
    ASSERT_EQ(up.size(), 20000u);
    EXPECT_EQ(up.front().first, "abramov");
    EXPECT_EQ(t->findKey({Value(std::string("ЁЛКИН"))}), true);
    EXPECT_EQ(t->asString("FAM"), "ёлкин");
    const auto down = walk("DOWN");
    ASSERT_EQ(down.size(), 20000u);
    EXPECT_EQ(down.front().first, "яковлев");  // Я is the highest capital
}

TEST_F(LongSteps, BusyHookRunsDuringBuildsAndPackAndWhatItThrowsIsIgnored) {
    fill(40000);
    int calls = 0;
    t->setBusyHook([&] {
        ++calls;
        throw std::runtime_error("a window's handler failed");
    });
    t->addIndex("UP", "UPPER(FAM+NAME)");
    EXPECT_GE(calls, 2);
    for (const TagReport& r : verifyTable(*t)) EXPECT_TRUE(r.problems.empty()) << r.tag;

    for (std::uint32_t r = 1; r <= 40000; r += 2) {
        t->gotoBookmark({r});
        t->deleteRecord();
    }
    t.reset();
    t = db->openTable("PEOPLE", OpenMode::Exclusive);
    calls = 0;
    t->setBusyHook([&] { ++calls; });
    t->pack();
    EXPECT_GE(calls, 4);  // the scan for survivors, the copy, the tag rebuild
    EXPECT_EQ(t->recordCount(), 20000u);
    for (const TagReport& r : verifyTable(*t)) EXPECT_TRUE(r.problems.empty()) << r.tag;
}

}  // namespace
