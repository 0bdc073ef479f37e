// The table catalogue's list lines, field types, and the tables it creates.

#include <gtest/gtest.h>

#include <set>

#include "data/text_helpers.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/table_catalogue.h"
#include "schema/table_groups.h"
#include "support/test_support.h"

using namespace kvzt::schema;
using kvzt::data::ExtractBetween;

namespace {

const QChar kEdge = QLatin1Char('#');

QString u(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TEST(ExtractBetween, TakesTheTextBetweenTheFirstStartAndTheNextEnd) {
    const QString header = u("Cписок сотрудников [VX_B] (SPISOK32.DBF)  $18 ");
    EXPECT_EQ(ExtractBetween(header, QLatin1Char('['), QLatin1Char(']')), u("VX_B"));
    EXPECT_EQ(ExtractBetween(header, QLatin1Char('('), QLatin1Char(')')), u("SPISOK32.DBF"));
    EXPECT_EQ(ExtractBetween(header, QLatin1Char('$'), QLatin1Char(' ')), u("18"));
    EXPECT_EQ(ExtractBetween(header, kEdge, QLatin1Char('[')), u("Cписок сотрудников "));
    EXPECT_EQ(ExtractBetween(u("a)b(c)d)"), QLatin1Char('('), QLatin1Char(')')), u("c"));
    EXPECT_EQ(ExtractBetween(u("NOM ^INT32(11)"), QLatin1Char('^'), kEdge), u("INT32(11)"));
    EXPECT_EQ(ExtractBetween(u("abc"), kEdge, kEdge), u("abc"));
    // A missing delimiter gives nothing; the start must come before the end.
    EXPECT_EQ(ExtractBetween(u("abc"), QLatin1Char('['), QLatin1Char(']')), QString());
    EXPECT_EQ(ExtractBetween(u("a]b[c"), QLatin1Char('['), QLatin1Char(']')), QString());
    EXPECT_EQ(ExtractBetween(QString(), kEdge, QLatin1Char(' ')), QString());
    EXPECT_EQ(ExtractBetween(QString(300, QLatin1Char('x')), kEdge, kEdge).size(), 250);
}

TEST(TableCatalogue, ListLinesHaveTheirStoredForm) {
    const QStringList list = BuildTableCatalogue();
    // The stored header ends with a blank, so two blanks stand before the dollar sign.
    EXPECT_EQ(list.at(0), u("Cписок сотрудников [VX_B] (SPISOK32.DBF)  $18 "));
    EXPECT_EQ(list.at(1), u("NOM        ^INT32(11)"));
    EXPECT_EQ(list.at(14), u("DOLJN      ^CHAR(24)"));
    // ASCII letters upper-cased, Cyrillic ones left alone.
    const std::optional<CatalogueTable> socr = FindCatalogueTable(list, u("k7socr"));
    ASSERT_TRUE(socr);
    EXPECT_EQ(list.at(socr->headerLine), u("Справочник сокращений [VX_S]  (K7SOCR.DBF) $3 "));
    for (const char* oneField : {"Kl_.dbf", "DOLGN"}) {
        const std::optional<CatalogueTable> t = FindCatalogueTable(list, u(oneField));
        ASSERT_TRUE(t) << oneField;
        EXPECT_TRUE(list.at(t->headerLine).endsWith(u(" $1 "))) << list.at(t->headerLine).toStdString();
    }
}

TEST(TableCatalogue, AddTableTrimsAndUpperCasesAndCountsFields) {
    QStringList list;
    AddTable(list, {"   Тест [VX_S] (Tst.dbf)", "  Kod ^CHAR(4)", "\tSumма ^FLOAT(9,2)"});
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0), u("Тест [VX_S] (TST.DBF) $2 "));
    EXPECT_EQ(list.at(1), u("KOD ^CHAR(4)"));
    EXPECT_EQ(list.at(2), u("SUMма ^FLOAT(9,2)"));
}

TEST(TableCatalogue, HoldsFortyTablesWhoseCountsMatchTheirLines) {
    const QStringList list = BuildTableCatalogue();
    const QVector<CatalogueTable> tables = CatalogueTables(list);
    ASSERT_EQ(tables.size(), 40);
    std::set<QString> names;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const CatalogueTable& t = tables.at(i);
        const int next = i + 1 < tables.size() ? tables.at(i + 1).headerLine : int(list.size());
        EXPECT_EQ(t.fieldCount, next - t.headerLine - 1) << t.fileName.toStdString();
        EXPECT_TRUE(t.alias == u("VX_B") || t.alias == u("VX_S")) << t.fileName.toStdString();
        EXPECT_TRUE(t.fileName.endsWith(u(".DBF"))) << t.fileName.toStdString();
        EXPECT_FALSE(t.title.isEmpty());
        EXPECT_TRUE(names.insert(t.fileName).second) << "twice: " << t.fileName.toStdString();
        for (int f = t.firstFieldLine(); f < next; ++f) {
            EXPECT_NO_THROW(FieldDefFromLine(list.at(f))) << list.at(f).toStdString();
        }
    }
    EXPECT_EQ(tables.at(0).fieldCount, 18);
    EXPECT_EQ(FindCatalogueTable(list, u("SvB_32"))->fieldCount, 53);
    EXPECT_EQ(FindCatalogueTable(list, u("MVC32.dbf"))->fieldCount, 76);
    // Work tables live where the host keeps them.
    EXPECT_EQ(FindCatalogueTable(list, u("SPIS_D32"))->alias, u("VX_S"));
    EXPECT_EQ(FindCatalogueTable(list, u("Kl_"))->alias, u("VX_S"));
    EXPECT_EQ(FindCatalogueTable(list, u("Doxod22_"))->alias, u("VX_B"));
    EXPECT_EQ(FindCatalogueTable(list, u("Vicet22_"))->alias, u("VX_B"));
    EXPECT_FALSE(FindCatalogueTable(list, u("Doxod2")));
}

TEST(TableCatalogue, ParseFieldTypeReadsTheTokenAndOnlyTheCharacterWidth) {
    struct Case {
        const char* line;
        CatalogueFieldType type;
        int size;
    };
    const Case cases[] = {
        {"FAM        ^CHAR(25)", CatalogueFieldType::String, 25},
        {"NAME ^CHAR(150)", CatalogueFieldType::String, 150},
        {"DATEROG    ^DATE(8)", CatalogueFieldType::Date, 0},
        {"ISKART     ^LOG(1)", CatalogueFieldType::Boolean, 0},
        {"TIPORG     ^INT16(1,0)", CatalogueFieldType::SmallInt, 0},
        {"NOM        ^INT32(11)", CatalogueFieldType::Integer, 0},
        {"SUMRASH    ^FLOAT(9,2)", CatalogueFieldType::Float, 0},
        {"X          ^MONEY(8)", CatalogueFieldType::Unset, 0},
        {"X          CHAR(8)", CatalogueFieldType::Unset, 0},
        {"X          ^CHAR(abc)", CatalogueFieldType::String, 0},
        {"X          ^CHAR(99999)", CatalogueFieldType::String, 0},
    };
    for (const Case& c : cases) {
        const ParsedFieldType parsed = ParseFieldType(u(c.line));
        EXPECT_EQ(parsed.type, c.type) << c.line;
        EXPECT_EQ(parsed.size, c.size) << c.line;
    }
}

TEST(TableCatalogue, FieldLinesBecomeTheHostsColumns) {
    struct Case {
        const char* line;
        const char* name;
        char type;
        int length;
        int decimals;
    };
    const Case cases[] = {
        {"DATADOLJN  ^DATE(8)", "DATADOLJN", 'D', 8, 0},
        {"ISKART     ^LOG(1)", "ISKART", 'L', 1, 0},
        {"REESTRNMB  ^INT16(6,0)", "REESTRNMB", 'N', 6, 0},
        {"NOM        ^INT32(11)", "NOM", 'N', 11, 0},
        {"PCBANK0    ^FLOAT(7,3)", "PCBANK0", 'N', 7, 3},
        {"ADRES      ^CHAR(120)", "ADRES", 'C', 120, 0},
        {"abcdefghijklmn ^CHAR(3)", "ABCDEFGHIJK", 'C', 3, 0},
    };
    for (const Case& c : cases) {
        const kvzt::engine::FieldDef def = FieldDefFromLine(u(c.line));
        EXPECT_EQ(def.name, c.name) << c.line;
        EXPECT_EQ(def.type, c.type) << c.line;
        EXPECT_EQ(def.length, c.length) << c.line;
        EXPECT_EQ(def.decimals, c.decimals) << c.line;
    }
    for (const char* bad : {"X ^MONEY(8)", "X ^CHAR(0)", "X ^CHAR(300)", "X ^FLOAT(9,9)", "X ^INT32()", "^CHAR(3)",
                            "X ^FLOAT(25,2)"}) {
        EXPECT_THROW(FieldDefFromLine(u(bad)), kvzt::engine::EngineError) << bad;
    }
}

TEST(TableCatalogue, CreatesATableWithTheCatalogueLayout) {
    kvzt::test::TempDir dir;
    kvzt::engine::Database db("VX_B", dir.path(), kvzt::engine::CodePage::Cp1251);
    const QStringList list = BuildTableCatalogue();
    const CatalogueTable spisok = *FindCatalogueTable(list, u("SPISOK32"));
    CreateTableFromCatalogue(db, list, spisok.fileName, spisok.firstFieldLine(), spisok.fieldCount);

    auto table = db.openTable("SPISOK32");
    ASSERT_EQ(table->fields().size(), 18u);
    EXPECT_EQ(table->fields()[0].name, "NOM");
    EXPECT_EQ(table->fields()[0].type, 'N');
    EXPECT_EQ(table->fields()[0].length, 11);
    EXPECT_EQ(table->fields()[13].name, "DOLJN");
    EXPECT_EQ(table->fields()[14].name, "DATADOLJN");
    EXPECT_EQ(table->fields()[17].name, "ISKART");
    EXPECT_TRUE(table->tagNames().empty());
    // Every value the host stores fits: a taxpayer number of eleven digits.
    table->append();
    table->setInteger("NOM", 12345678901);
    table->setString("FAM", "Иванов");
    table->post();
    table->first();
    EXPECT_EQ(table->asInteger("NOM"), 12345678901);
    EXPECT_EQ(table->asString("FAM"), "Иванов");

    // A line outside the catalogue's forms refuses the table instead of guessing.
    QStringList bad;
    AddTable(bad, {"Плохая [VX_B] (BAD.DBF)", "X ^MONEY(8)"});
    EXPECT_THROW(CreateTableFromCatalogue(db, bad, u("BAD.DBF"), 1, 1), kvzt::engine::EngineError);
    EXPECT_THROW(CreateTableFromCatalogue(db, bad, u("BAD.DBF"), 1, 5), kvzt::engine::EngineError);
    EXPECT_FALSE(db.tableExists("BAD"));
}

TEST(TableGroups, KeepTheirOrderAndNameOnlyIndexedTables) {
    const auto names = [](TableGroup g) {
        std::vector<std::string> out;
        for (const GroupTable& t : TablesOf(g)) {
            out.push_back(t.name);
        }
        return out;
    };
    EXPECT_EQ(TablesOf(TableGroup::Base).size(), 21u);
    EXPECT_EQ(TablesOf(TableGroup::Kladr).size(), 7u);
    EXPECT_EQ(TablesOf(TableGroup::Sprav).size(), 6u);
    EXPECT_EQ(TablesOf(TableGroup::All).size(), 34u);
    EXPECT_EQ(TablesOf(TableGroup::Income).size(), 20u);
    EXPECT_EQ(TablesOf(TableGroup::IncomeAndList).back().name, "SPISOK32");
    EXPECT_EQ(names(TableGroup::Base).front(), "SPISOK32");
    // The reference books run DOLGN before KlVIC30; "all" the other way round.
    const auto sprav = names(TableGroup::Sprav);
    EXPECT_EQ(sprav[4], "DOLGN");
    EXPECT_EQ(sprav[5], "KlVIC30");
    const auto all = names(TableGroup::All);
    EXPECT_EQ(all[32], "KlVIC30");
    EXPECT_EQ(all[33], "DOLGN");
    EXPECT_EQ(all[21], "K1REG");
    for (TableGroup g : {TableGroup::All, TableGroup::Income, TableGroup::IncomeAndList}) {
        for (const GroupTable& t : TablesOf(g)) {
            EXPECT_GE(FindIndexTable(QString::fromStdString(t.name)), 0) << t.name;
        }
    }
    for (const GroupTable& t : TablesOf(TableGroup::Base)) {
        EXPECT_EQ(t.alias, "VX_B") << t.name;
    }
    for (TableGroup g : {TableGroup::Kladr, TableGroup::Sprav}) {
        for (const GroupTable& t : TablesOf(g)) {
            EXPECT_EQ(t.alias, "VX_S") << t.name;
        }
    }
    EXPECT_EQ(TableGroupByName("KLADR"), TableGroup::Kladr);
    EXPECT_FALSE(TableGroupByName("income"));
}
