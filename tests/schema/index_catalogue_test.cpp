// The index catalogue, reindexing from it, and packing with typed errors.

#include <gtest/gtest.h>

#include <filesystem>
#include <typeinfo>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/key_expression.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/pack_error.h"
#include "schema/table_catalogue.h"
#include "support/test_support.h"

using namespace kvzt::schema;
using kvzt::engine::CodePage;
using kvzt::engine::Database;
using kvzt::engine::OpenMode;
using kvzt::test::TempDir;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

void createFromCatalogue(Database& db, const char* fileName) {
    static const QStringList list = BuildTableCatalogue();
    const std::optional<CatalogueTable> table = FindCatalogueTable(list, u(fileName));
    ASSERT_TRUE(table) << fileName;
    CreateTableFromCatalogue(db, list, table->fileName, table->firstFieldLine(), table->fieldCount);
}

void addStreet(kvzt::engine::Table& t, const char* name, const char* reg) {
    t.append();
    t.setString("NAME", name);
    t.setString("KODREG", reg);
    t.setString("KODRAI", "001");
    t.post();
}

std::vector<std::string> namesInTagOrder(kvzt::engine::Table& t, const std::string& tag) {
    t.setIndex(tag);
    std::vector<std::string> names;
    for (t.first(); !t.eof(); t.next()) {
        names.push_back(t.asString("NAME"));
    }
    return names;
}

bool hasMdx(const TempDir& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        std::string ext = entry.path().extension().string();
        if (ext == ".mdx" || ext == ".MDX") {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(IndexCatalogue, HoldsFortyTwoTablesAndSixtyThreeTags) {
    const QStringList& list = BuildIndexList();
    EXPECT_TRUE(IndexListBuilt());
    int headers = 0;
    int tags = 0;
    for (const QString& line : list) {
        if (line.contains(QLatin1Char('$'))) {
            ++headers;
            EXPECT_TRUE(line.endsWith(QLatin1Char(' '))) << line.toStdString();
        } else {
            ++tags;
            EXPECT_TRUE(line.contains(QLatin1Char('<')) && line.endsWith(QLatin1Char('>'))) << line.toStdString();
        }
    }
    EXPECT_EQ(headers, 42);
    EXPECT_EQ(tags, 63);
    EXPECT_EQ(list.at(0), u("[VX_B] (SPISOK32.DBF) $2 "));
    const std::vector<TagSpec> spisok = CatalogueTags(u("spisok32.dbf"));
    ASSERT_EQ(spisok.size(), 2u);
    EXPECT_EQ(spisok[0].name, "FIOBORN");
    EXPECT_EQ(spisok[0].expression, "UPPER(FAM+NAME+OTC)+DTOS(DATEROG)");
    EXPECT_EQ(spisok[1].name, "NOMX");
    EXPECT_FALSE(spisok[0].options.unique || spisok[0].options.descending);
    FreeIndexList();
    EXPECT_FALSE(IndexListBuilt());
    EXPECT_EQ(CatalogueTags(u("KART32")).size(), 4u);  // usable without a built list too
}

TEST(IndexCatalogue, FindIndexListIsAnUpperCasedSubstringSearchFromTheTop) {
    BuildIndexList();
    const int k6 = FindIndexList(u("K6dom"));
    ASSERT_GE(k6, 0);
    EXPECT_EQ(IndexList().at(k6), u("[VX_S] (K6DOM.DBF) $1 "));
    const int doxod = FindIndexList(u("DOXOD22"));
    EXPECT_EQ(IndexList().at(doxod), u("[VX_B] (DOXOD22.DBF) $1 "));
    EXPECT_EQ(IndexList().at(FindIndexList(u("Doxod22_.dbf"))), u("[VX_B] (DOXOD22_.DBF) $1 "));
    EXPECT_EQ(FindIndexList(u("NOSUCH")), -1);
    // A name that is only part of a catalogue name is found by the substring
    // search, but is not taken for that table when indexes are rebuilt.
    EXPECT_GE(FindIndexList(u("K5")), 0);
    EXPECT_EQ(FindIndexTable(u("K5")), -1);
    EXPECT_EQ(FindIndexTable(u("/data/base/k5uli.dbf")), FindIndexList(u("K5ULI")));
    FreeIndexList();
}

TEST(IndexCatalogue, EveryTagFitsItsTableInTheTableCatalogue) {
    const QStringList tables = BuildTableCatalogue();
    int checked = 0;
    for (const CatalogueTable& table : CatalogueTables(tables)) {
        std::vector<kvzt::engine::FieldDef> fields;
        for (int i = 0; i < table.fieldCount; ++i) {
            fields.push_back(FieldDefFromLine(tables.at(table.firstFieldLine() + i)));
        }
        for (const TagSpec& tag : CatalogueTags(table.fileName)) {
            EXPECT_NO_THROW(kvzt::engine::KeyExpression::parse(tag.expression, fields))
                << table.fileName.toStdString() << " " << tag.name;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 63 - 4);  // KD32_, KDO32_, KDS32_, KV32_ have no layout of their own
}

TEST(Reindex, LeavesExactlyTheCatalogueTags) {
    TempDir dir;
    Database db("VX_S", dir.path(), CodePage::Cp1251);
    createFromCatalogue(db, "K5ULI.dbf");
    {
        auto t = db.openTable("K5ULI");
        addStreet(*t, "Садовая", "77");
        addStreet(*t, "арбат", "77");
        addStreet(*t, "Ленина", "50");
        t->addIndex("EXTRA", "NAME");
        t->close();
    }
    ReindexTable(db, "K5ULI");

    auto t = db.openTable("K5ULI");
    ASSERT_EQ(t->tagNames(), std::vector<std::string>{"RRTNNMX"});
    EXPECT_EQ(t->productionIndex()->tag("RRTNNMX")->expression().text(), "KODREG+KODRAI+KODTOW+KODNAS+UPPER(NAME)");
    EXPECT_EQ(namesInTagOrder(*t, "RRTNNMX"), (std::vector<std::string>{"Ленина", "арбат", "Садовая"}));
}

TEST(Reindex, ReplacesAnIndexFileTooDamagedToOpen) {
    TempDir dir;
    Database db("VX_S", dir.path(), CodePage::Cp1251);
    createFromCatalogue(db, "KLSTR22.DBF");
    {
        auto t = db.openTable("KLSTR22");
        t->append();
        t->setString("KOD", "643");
        t->setString("NAME", "Россия");
        t->post();
        t->addIndex("KODX", "KOD");
        t->close();
    }
    kvzt::test::writeFile(dir.file("KLSTR22.MDX"), std::string(700, '\x7f'));
    ReindexTable(db, "KLSTR22");
    auto t = db.openTable("KLSTR22");
    EXPECT_EQ(t->tagNames(), (std::vector<std::string>{"KODX", "NAMEX"}));
    t->setIndex("KODX");
    EXPECT_TRUE(t->findKey({std::string("643")}));
}

TEST(Reindex, ATableOutsideTheCatalogueKeepsTheTagsItHad) {
    TempDir dir;
    Database db("D", dir.path(), CodePage::Cp866);
    db.createTable("Streets", {{"NAME", 'C', 20, 0}, {"KODREG", 'C', 2, 0}, {"KODRAI", 'C', 3, 0}});
    {
        auto t = db.openTable("Streets");
        addStreet(*t, "Б", "02");
        addStreet(*t, "А", "01");
        t->addIndex("BYNAME", "UPPER(NAME)");
        t->addIndex("BYREG", "KODREG+KODRAI", {false, true});
        t->close();
    }
    ReindexTable(db, "Streets");
    auto t = db.openTable("Streets");
    EXPECT_EQ(t->tagNames(), (std::vector<std::string>{"BYNAME", "BYREG"}));
    EXPECT_EQ(t->productionIndex()->tag("BYNAME")->expression().text(), "UPPER(NAME)");
    EXPECT_TRUE(t->productionIndex()->tag("BYREG")->descending());
    EXPECT_EQ(namesInTagOrder(*t, "BYREG"), (std::vector<std::string>{"Б", "А"}));
}

TEST(DropIndexes, RemovesTheIndexFileAndTheTableStillOpens) {
    TempDir dir;
    Database db("VX_S", dir.path(), CodePage::Cp1251);
    createFromCatalogue(db, "K1REG.DBF");
    CreateIndexes(db, "K1REG");
    ASSERT_TRUE(hasMdx(dir));
    // Called again, tags already present are rebuilt rather than refused.
    int calls = 0;
    CreateIndexes(db, "k1reg", [&] { ++calls; });
    EXPECT_EQ(calls, 2);

    DropIndexes(db, "K1REG");
    EXPECT_FALSE(hasMdx(dir));
    auto t = db.openTable("K1REG");
    EXPECT_TRUE(t->tagNames().empty());
    EXPECT_EQ(t->file().header().productionIndex, 0);
    t->close();
    EXPECT_NO_THROW(DropIndexes(db, "K1REG"));  // nothing left to drop is no error
}

TEST(DropIndexes, RefusesATableHeldOpenElsewhere) {
    TempDir dir;
    Database db("VX_S", dir.path(), CodePage::Cp1251);
    createFromCatalogue(db, "DOLGN.DBF");
    CreateIndexes(db, "DOLGN");
    auto holder = db.openTable("DOLGN");
    EXPECT_THROW(DropIndexes(db, "DOLGN"), kvzt::engine::EngineError);
    holder->close();
    EXPECT_TRUE(hasMdx(dir));
}

TEST(PackTable, RemovesDeletedRecordsAndRebuildsTheTags) {
    TempDir dir;
    Database db("VX_S", dir.path(), CodePage::Cp1251);
    createFromCatalogue(db, "K5ULI.dbf");
    {
        auto t = db.openTable("K5ULI");
        for (const char* name : {"Д", "Г", "В", "Б", "А"}) {
            addStreet(*t, name, "01");
        }
        t->addIndex("RRTNNMX", "KODREG+KODRAI+KODTOW+KODNAS+UPPER(NAME)");
        t->setIndex("RRTNNMX");
        t->first();  // А
        t->deleteRecord();
        t->last();  // Д
        t->deleteRecord();
        t->close();
    }
    int calls = 0;
    PackTable(db, "K5ULI", [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    auto t = db.openTable("K5ULI");
    EXPECT_EQ(t->recordCount(), 3u);
    EXPECT_EQ(namesInTagOrder(*t, "RRTNNMX"), (std::vector<std::string>{"Б", "В", "Г"}));
}

TEST(PackTable, ATableHeldOpenElsewhereNeedsExclusiveAccess) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    createFromCatalogue(db, "NH22.dbf");
    auto holder = db.openTable("NH22", OpenMode::Shared);
    try {
        PackTable(db, "NH22");
        FAIL() << "pack succeeded while the table was held open";
    } catch (const EPack_NeedExclAccess& e) {
        EXPECT_EQ(e.code(), 10253);
        EXPECT_EQ(std::string(e.what()).rfind("Table Pack Error: 10253.  ", 0), 0u) << e.what();
        EXPECT_GT(std::string(e.what()).size(), std::string("Table Pack Error: 10253.  ").size());
    }
    EXPECT_THROW(PackTable(db, "NOSUCH"), EPack_NoSuchTable);
}

TEST(PackCheck, ChoosesTheClassByCode) {
    int alerts = 0;
    SetPackErrorAlert([&] { ++alerts; });
    EXPECT_NO_THROW(PackCheck(0));
    EXPECT_EQ(alerts, 0);
    const auto thrown = [](int code) -> std::string {
        try {
            PackCheck(code, "описание");
        } catch (const EPackError& e) {
            EXPECT_EQ(e.code(), code);
            EXPECT_EQ(std::string(e.what()), "Table Pack Error: " + std::to_string(code) + ".  описание");
            return typeid(e).name();
        }
        return "nothing";
    };
    EXPECT_EQ(thrown(0x2702), typeid(EPack_InvalidParam).name());
    EXPECT_EQ(thrown(0x2706), typeid(EPack_InvalidHndl).name());
    EXPECT_EQ(thrown(0x2707), typeid(EPack_UnknownTblType).name());
    EXPECT_EQ(thrown(0x271E), typeid(EPack_UnknownDB).name());
    EXPECT_EQ(thrown(0x2728), typeid(EPack_NoSuchTable).name());
    EXPECT_EQ(thrown(0x280D), typeid(EPack_NeedExclAccess).name());
    EXPECT_EQ(thrown(0x2104), typeid(EPack_NoConfigFile).name());
    EXPECT_EQ(thrown(0x2511), typeid(EPack_DBLimit).name());
    EXPECT_EQ(thrown(0x3001), typeid(EPack_NotSupported).name());
    EXPECT_EQ(thrown(0x3101), typeid(EPack_InvalidDBSpec).name());
    EXPECT_EQ(thrown(0x2F01), typeid(EPackError).name());
    EXPECT_EQ(alerts, 11);
    SetPackErrorAlert({});
    try {
        PackCheck(0x280D);
    } catch (const EPackError& e) {
        EXPECT_GT(std::string(e.what()).size(), std::string("Table Pack Error: 10253.  ").size());
    }
}
