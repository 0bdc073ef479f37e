#include <gtest/gtest.h>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

std::vector<FieldDef> personFields() {
    return {{"NOM", 'N', 11, 0}, {"FAM", 'C', 25, 0}, {"DATEROG", 'D', 8, 0},
            {"ISKART", 'L', 1, 0}, {"SUM", 'N', 10, 2}};
}

// Appends records NOM = 1..n with FAM "Фамилия<n>".
void fill(Table& t, int n) {
    for (int i = 1; i <= n; ++i) {
        t.append();
        t.setInteger("NOM", i);
        t.setString("FAM", "Фамилия" + std::to_string(i));
        t.post();
    }
}

std::vector<std::int64_t> walk(Table& t) {
    std::vector<std::int64_t> noms;
    for (t.first(); !t.eof(); t.next()) noms.push_back(t.asInteger("NOM"));
    return noms;
}

}  // namespace

TEST(Table, CreatedTableHasExactlyTheFieldsAndTheDefaultDriver) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("Spisok32", {{"nom", 'N', 11, 0}, {"Fam", 'C', 25, 0}, {"DataDoljn", 'D', 0, 0}, {"IsKart", 'L', 0, 0}});
    auto t = db.openTable("SPISOK32.DBF");
    ASSERT_EQ(t->fields().size(), 4u);
    EXPECT_EQ(t->fields()[0].name, "NOM");
    EXPECT_EQ(t->fields()[2].name, "DATADOLJN");
    EXPECT_EQ(t->fields()[2].length, 8);
    EXPECT_EQ(t->fields()[3].length, 1);
    EXPECT_EQ(t->languageDriver(), 0xC9);
    EXPECT_TRUE(t->isEmpty());
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(t->asString("FAM"), "");
}

TEST(Table, NaturalOrderNavigationHidesDeletedRecords) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("T", personFields());
    auto t = db.openTable("t");
    fill(*t, 5);
    EXPECT_EQ(walk(*t), (std::vector<std::int64_t>{1, 2, 3, 4, 5}));

    t->first();
    t->next();  // on 2
    t->deleteRecord();
    EXPECT_EQ(t->asInteger("NOM"), 3) << "after a delete the cursor stands on the next record";
    t->last();
    t->prior();
    EXPECT_EQ(t->asInteger("NOM"), 4);
    t->next();
    t->deleteRecord();  // the last one
    EXPECT_TRUE(t->eof());
    EXPECT_EQ(walk(*t), (std::vector<std::int64_t>{1, 3, 4}));

    std::vector<std::int64_t> backwards;
    for (t->last(); !t->bof(); t->prior()) backwards.push_back(t->asInteger("NOM"));
    EXPECT_EQ(backwards, (std::vector<std::int64_t>{4, 3, 1}));
    EXPECT_EQ(t->recordCount(), 5u) << "deleted records stay in the file until a pack";
}

TEST(Table, EditPostCancelAndBookmarks) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("T", personFields());
    auto t = db.openTable("T");
    fill(*t, 3);
    t->first();
    t->next();
    Bookmark second = t->bookmark();
    t->edit();
    t->setString("FAM", "Ёлкин-Щукин");
    t->setDate("DATEROG", Date{1970, 12, 31});
    t->setBoolean("ISKART", true);
    t->setFloat("SUM", 1234.567);
    t->post();
    t->first();
    t->edit();
    t->setString("FAM", "не сохранится");
    t->cancel();
    EXPECT_EQ(t->asString("FAM"), "Фамилия1");

    t->gotoBookmark(second);
    EXPECT_EQ(t->asString("FAM"), "Ёлкин-Щукин");
    EXPECT_EQ(t->asDate("DATEROG"), (Date{1970, 12, 31}));
    EXPECT_EQ(t->asString("DATEROG"), "31.12.1970");
    EXPECT_TRUE(t->asBoolean("ISKART"));
    EXPECT_EQ(t->asString("SUM"), "1234.57");
    EXPECT_DOUBLE_EQ(t->asFloat("SUM"), 1234.57);

    // A value that does not fit is refused and the record keeps its old value.
    t->edit();
    EXPECT_THROW(t->setFloat("SUM", 1e12), EngineError);
    t->post();
    EXPECT_EQ(t->asString("SUM"), "1234.57");
    // Never-set numbers and dates stay blank, not zero.
    t->first();
    EXPECT_TRUE(t->isNull("SUM"));
    EXPECT_TRUE(t->isNull("DATEROG"));
    EXPECT_TRUE(t->asDate("DATEROG").isNull());
}

TEST(Table, WritesAreSeenByTheNextOpenWithTheRightHeader) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("T", personFields());
    {
        auto t = db.openTable("T");
        fill(*t, 1000);
        t->close();
    }
    std::string bytes = kvzt::test::readFile(dir.file("T.DBF"));
    std::uint32_t count = std::uint8_t(bytes[4]) | std::uint8_t(bytes[5]) << 8 | std::uint8_t(bytes[6]) << 16;
    EXPECT_EQ(count, 1000u);
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(bytes.size(), 32u + 32 * 5 + 1 + 1000u * (1 + 11 + 25 + 8 + 1 + 10) + 1);
    auto t = db.openTable("T", OpenMode::ReadOnly);
    EXPECT_EQ(t->recordCount(), 1000u);
    t->last();
    EXPECT_EQ(t->asString("FAM"), "Фамилия1000");
    EXPECT_THROW(t->append(), EngineError);
}

TEST(Table, EmptyKeepsStructureAndNeedsTheTableToItself) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("T", personFields());
    auto t = db.openTable("T");
    fill(*t, 10);
    {
        auto other = db.openTable("T");
        try {
            t->emptyTable();
            FAIL() << "emptied a table another cursor has open";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), code::TableInUse);
        }
    }
    t->emptyTable();
    EXPECT_TRUE(t->isEmpty());
    EXPECT_EQ(t->recordCount(), 0u);
    EXPECT_EQ(t->fields().size(), 5u);
    fill(*t, 2);  // still usable, and shared again afterwards
    auto again = db.openTable("T");
    EXPECT_EQ(walk(*again), (std::vector<std::int64_t>{1, 2}));
}

TEST(Table, ExclusiveOpenConflictsWithEveryOtherCursor) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("T", personFields());
    {
        auto shared = db.openTable("T");
        auto reader = db.openTable("T", OpenMode::ReadOnly);
        try {
            db.openTable("T", OpenMode::Exclusive);
            FAIL();
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), code::TableInUse);
        }
    }
    auto exclusive = db.openTable("T", OpenMode::Exclusive);
    EXPECT_THROW(db.openTable("T"), EngineError);
    EXPECT_THROW(db.openTable("T", OpenMode::ReadOnly), EngineError);
}

TEST(Table, OpenFindsTheFileWhateverItsLetterCase) {
    TempDir dir;
    Database db("VX_S", dir.path(), CodePage::Cp1251);
    DbfFile::create(dir.file("K7Socr.dbf"), {{"LEV", 'C', 1, 0}}, 0xC9);
    EXPECT_TRUE(db.tableExists("K7SOCR"));
    EXPECT_NO_THROW(db.openTable("k7socr.DBF"));
    try {
        db.openTable("NOSUCH");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::NoSuchTable);
    }
}

TEST(Table, DriverByteZeroReadsThroughTheOpenersDefault) {
    TempDir dir;
    DbfFile::create(dir.file("KLADR.DBF"), {{"NAME", 'C', 10, 0}}, 0);
    {
        auto t = Table::open(dir.file("KLADR.DBF"), OpenMode::Shared, CodePage::Cp866);
        t->append();
        t->setString("NAME", "Москва");
        t->post();
    }
    std::string bytes = kvzt::test::readFile(dir.file("KLADR.DBF"));
    EXPECT_NE(bytes.find("\x8C\xAE\xE1\xAA\xA2\xA0"), std::string::npos) << "stored in 866";
    auto t = Table::open(dir.file("KLADR.DBF"), OpenMode::ReadOnly, CodePage::Cp866);
    EXPECT_EQ(t->asString("NAME"), "Москва");
}

TEST(Transaction, RollbackRestoresEveryTableOfTheDatabase) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("A", personFields());
    db.createTable("B", personFields());
    auto a = db.openTable("A");
    auto b = db.openTable("B");
    fill(*a, 3);
    a->file().flush();
    const std::string before = kvzt::test::readFile(dir.file("A.DBF"));
    db.startTransaction();
    a->first();
    a->edit();
    a->setString("FAM", "Изменён");
    a->post();
    a->next();
    a->deleteRecord();
    fill(*b, 4);
    db.rollback();
    EXPECT_EQ(kvzt::test::readFile(dir.file("A.DBF")), before);
    EXPECT_EQ(walk(*a), (std::vector<std::int64_t>{1, 2, 3}));
    a->first();
    EXPECT_EQ(a->asString("FAM"), "Фамилия1");
    EXPECT_TRUE(b->isEmpty());

    db.startTransaction();
    fill(*b, 2);
    db.commit();
    EXPECT_EQ(walk(*b), (std::vector<std::int64_t>{1, 2}));
    EXPECT_THROW(db.commit(), EngineError);
}

// A small negative amount rounds to zero: it must be stored as zero, not as
// "-0.00", which reads back with a sign and does not fit a field sized for
// "0.00".
TEST(Table, ANegativeAmountRoundingToZeroIsStoredAsZero) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    db.createTable("T", {{"SUM", 'N', 4, 2}, {"WHOLE", 'N', 2, 0}});
    auto t = db.openTable("T");
    t->addIndex("SUMX", "SUM");
    t->append();
    t->setFloat("SUM", -0.004);
    t->setFloat("WHOLE", -0.4);
    t->post();
    t->append();
    t->setValue("SUM", std::string("-0,001"));
    t->post();
    t->first();
    EXPECT_EQ(t->rawField("SUM"), "0.00");
    EXPECT_EQ(t->rawField("WHOLE"), " 0");
    EXPECT_EQ(t->asString("SUM"), "0.00");
    t->next();
    EXPECT_EQ(t->rawField("SUM"), "0.00");
    t->setIndex("SUMX");
    ASSERT_TRUE(t->findKey({0.0}));
    EXPECT_EQ(t->recNo(), 1u);
}
