// Lookup through a named tag, ranges by field, the column search and cell text positions.

#include <gtest/gtest.h>

#include "data/table_helpers.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::data;
using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

class TableHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<Database>("VX_S", dir.path(), CodePage::Cp1251);
        db->createTable("K1REG", {{"KODREG", 'C', 2, 0}, {"NAME", 'C', 40, 0}, {"TIP", 'C', 3, 0}});
        t = db->openTable("K1REG", OpenMode::Exclusive);
        const char* rows[][3] = {{"77", "Москва", "101"},        {"50", "Московская", "102"},
                                 {"78", "Санкт-Петербург", "101"}, {"01", "Адыгея", "103"},
                                 {"47", "Ленинградская", "102"},   {"52", "  мордовия", "103"}};
        for (auto& r : rows) {
            t->append();
            t->setString("KODREG", r[0]);
            t->setString("NAME", r[1]);
            t->setString("TIP", r[2]);
            t->post();
        }
        t->addIndex("KODREGX", "KODREG");
        t->addIndex("TIPX", "TIP+KODREG");
        t.reset();
        t = db->openTable("K1REG");
    }

    std::string name() const { return t->asString("NAME"); }

    TempDir dir;
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> t;
};

}  // namespace

TEST_F(TableHelpers, LookupFieldFindsThroughATagAndRestoresTheOldOne) {
    t->setIndex("TIPX");
    EXPECT_EQ(LookupField(*t, u("KODREGX"), {{u("KODREG"), u("78")}}, 1), u("Санкт-Петербург"));
    EXPECT_EQ(t->indexName(), "TIPX");
    EXPECT_EQ(LookupField(*t, u("KODREGX"), {{u("kodreg"), u("99")}}, 1), u(""));
    EXPECT_EQ(t->indexName(), "TIPX");
    // Two key fields given out of order still make the key in the tag's order.
    EXPECT_EQ(LookupField(*t, u("TIPX"), {{u("KODREG"), u("47")}, {u("TIP"), u("102")}}, 1), u("Ленинградская"));
    EXPECT_EQ(LookupField(*t, u("KODREGX"), {{u("KODREG"), u("77")}}, 7), u(""));
    EXPECT_THROW(LookupField(*t, u("KODREGX"), {{u("NAME"), u("x")}}, 1), EngineError);
    EXPECT_EQ(t->indexName(), "TIPX");
}

TEST_F(TableHelpers, SetRangeByFieldsLimitsTheCursor) {
    t->setIndex("TIPX");
    SetRangeByFields(*t, {{u("TIP"), u("102"), u("102")}});
    std::vector<std::string> names;
    for (; !t->eof(); t->next()) names.push_back(name());
    EXPECT_EQ(names, (std::vector<std::string>{"Ленинградская", "Московская"}));
}

TEST_F(TableHelpers, FindInColumnComparesTheLeftTrimmedStartIgnoringCase) {
    t->setIndex("KODREGX");  // 01 47 50 52 77 78
    t->first();
    int begun = 0, ended = 0;
    const SearchHooks hooks{[&] { ++begun; }, [&] { ++ended; }};
    EXPECT_TRUE(FindInColumn(*t, u("NAME"), u("мос"), true, hooks));
    EXPECT_EQ(name(), "Московская");
    EXPECT_TRUE(FindInColumn(*t, u("NAME"), u("МОРД"), true, hooks));
    EXPECT_EQ(name(), "  мордовия");
    // The current record is not compared: the next "Мос" forward is Москва.
    EXPECT_TRUE(FindInColumn(*t, u("NAME"), u("Мос"), true, hooks));
    EXPECT_EQ(name(), "Москва");
    // Backward from here finds Московская again; nothing further back stays put.
    EXPECT_TRUE(FindInColumn(*t, u("NAME"), u("мос"), false, hooks));
    EXPECT_EQ(name(), "Московская");
    EXPECT_FALSE(FindInColumn(*t, u("NAME"), u("Санкт"), false, hooks));
    EXPECT_EQ(name(), "Московская");
    EXPECT_EQ(begun, 5);
    EXPECT_EQ(ended, 5);

    // From the first record forward and the last record backward the whole rest is searched.
    t->first();
    EXPECT_TRUE(FindInColumn(*t, u("NAME"), u("санкт"), true));
    EXPECT_EQ(name(), "Санкт-Петербург");
    t->last();
    EXPECT_TRUE(FindInColumn(*t, u("NAME"), u("адыг"), false));
    EXPECT_EQ(name(), "Адыгея");
}

TEST(ColumnTextLeft, ByAlignment) {
    const QRect cell(100, 0, 81, 20);  // left 100, right 181
    EXPECT_EQ(ColumnTextLeft(cell, 30, TextAlignment::Left), 102);
    EXPECT_EQ(ColumnTextLeft(cell, 30, TextAlignment::Right), 148);
    EXPECT_EQ(ColumnTextLeft(cell, 30, TextAlignment::Center), 125);
    EXPECT_EQ(ColumnTextLeft(QRect(0, 0, 10, 10), 15, TextAlignment::Center), -2);
}
