// Filling empty reference books from the shipped data files: the CSV reader,
// the data files themselves, and the rule that a user's book is never touched.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "engine/alias_config.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/reference_books.h"
#include "schema/table_catalogue.h"
#include "support/test_support.h"

using namespace kvzt::schema;
using kvzt::engine::AliasConfig;
using kvzt::engine::EngineError;
using kvzt::engine::OpenMode;
using kvzt::engine::Session;
using kvzt::test::TempDir;
namespace fs = std::filesystem;

namespace {

QString refBookDir() { return QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks"); }

// A VX_S directory with every reference book created empty from the catalogue.
struct Books {
    Books() {
        AliasConfig config;
        config.setAlias("VX_S", dir.path());
        session = std::make_unique<Session>(config);
        const QStringList catalogue = BuildTableCatalogue();
        for (const ReferenceBook& book : ReferenceBooks()) {
            const std::optional<CatalogueTable> t = FindCatalogueTable(catalogue, book.table);
            CreateTableFromCatalogue(*session, catalogue, "VX_S", t->fileName, t->firstFieldLine(), t->fieldCount);
        }
    }
    std::unique_ptr<kvzt::engine::Table> open(const char* table) {
        return session->openTable("VX_S", table, OpenMode::ReadOnly);
    }
    // field value → the other field's value, over every record.
    std::map<std::string, std::string> column(const char* table, const char* key, const char* value) {
        std::map<std::string, std::string> result;
        std::unique_ptr<kvzt::engine::Table> t = open(table);
        for (t->first(); !t->eof(); t->next()) result[t->asString(key)] = t->asString(value);
        return result;
    }
    TempDir dir;
    std::unique_ptr<Session> session;
};

std::size_t dataRows(const char* file) { return ReadCsvFile(refBookDir() + "/" + file).size() - 1; }

}  // namespace

TEST(ParseCsv, ReadsQuotedFieldsDoubledQuotesCrLfAndAByteOrderMark) {
    const std::vector<QStringList> rows = ParseCsv(
        QString::fromUtf8("\xEF\xBB\xBF" "KOD,NAME\r\n092,\"Виргинские острова, Британские\"\r\n"
                          "384,\"Кот-д\"\"Ивуар\"\r\n\n999,\n"),
        "t.csv");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], QStringList({"KOD", "NAME"}));
    EXPECT_EQ(rows[1].at(1), QString::fromUtf8("Виргинские острова, Британские"));
    EXPECT_EQ(rows[2].at(1), QString::fromUtf8("Кот-д\"Ивуар"));
    EXPECT_EQ(rows[3], QStringList({"999", ""}));
}

TEST(ParseCsv, RefusesMalformedFilesWithTheLineNumber) {
    for (const char* text : {"A,B\n1,\"open\n", "A,B\n1,2\n3\n", "A,B\n1,x\"y\n"}) {
        try {
            ParseCsv(QString::fromUtf8(text), "bad.csv");
            ADD_FAILURE() << text;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), kvzt::engine::code::InvalidParam);
            EXPECT_NE(std::string(e.what()).find("bad.csv"), std::string::npos) << e.what();
        }
    }
}

TEST(ReferenceBooks, EveryShippedDataFileFillsItsEmptyBookWhole) {
    Books books;
    const ReferenceBookFill fill = FillReferenceBooks(*books.session, refBookDir());
    EXPECT_TRUE(fill.failures.isEmpty()) << fill.failures.join("\n").toStdString();
    EXPECT_EQ(fill.filled.size(), qsizetype(ReferenceBooks().size()));
    for (const ReferenceBook& book : ReferenceBooks()) {
        EXPECT_EQ(books.open(book.table)->recordCount(), dataRows(book.dataFile)) << book.table;
    }

    // The codes the rest of the program relies on.
    const auto countries = books.column("KLSTR22", "KOD", "NAME");
    EXPECT_EQ(countries.at("643"), "Россия");
    EXPECT_EQ(countries.size(), dataRows("klstr22.csv"));  // codes unique

    const auto regions = books.column("K1REG", "KODREG", "TIP");
    const auto levelOne = books.column("K7SOCR", "CODE", "NAME");
    EXPECT_EQ(regions.size(), dataRows("k1reg.csv"));
    EXPECT_EQ(books.column("K1REG", "KODREG", "NAME").at("77"), "Москва");
    for (const auto& [code, tip] : regions) {
        EXPECT_EQ(code.size(), 2u);
        EXPECT_TRUE(levelOne.count(tip)) << "region " << code << " type " << tip;
    }
    EXPECT_EQ(levelOne.at(regions.at("50")), "обл");

    // The passport's template has no series part, the Soviet passport's has one.
    const auto templates = books.column("KLDOC30", "CODE", "SHABLON");
    EXPECT_EQ(templates.at("21").find_first_not_of("X09 "), std::string::npos);
    EXPECT_NE(templates.at("01").find_first_not_of("X09 "), std::string::npos);

    // An income's discount kind is 0 (none) or a kind of the discount book.
    const auto discounts = books.column("KLSKID30", "KOD", "NAME");
    std::unique_ptr<kvzt::engine::Table> incomes = books.open("KLDOX31");
    for (incomes->first(); !incomes->eof(); incomes->next()) {
        EXPECT_EQ(incomes->asString("KOD").size(), 4u);
        const std::int64_t kind = incomes->asInteger("SKIDKA");
        if (kind != 0) {
            EXPECT_TRUE(discounts.count(QString::asprintf("%02d", int(kind)).toStdString()))
                << incomes->asString("KOD") << " " << kind;
        }
    }
}

TEST(ReferenceBooks, NeverTouchesABookThatHoldsAnyRecord) {
    Books books;
    {
        std::unique_ptr<kvzt::engine::Table> t = books.session->openTable("VX_S", "KLSTR22");
        t->append();
        t->setString("KOD", "643");
        t->setString("NAME", "РФ");
        t->post();
        // A book whose only record is deleted is still the user's.
        std::unique_ptr<kvzt::engine::Table> d = books.session->openTable("VX_S", "KLVIC30");
        d->append();
        d->setString("KOD", "99");
        d->post();
        d->first();
        d->deleteRecord();
    }
    const ReferenceBookFill fill = FillReferenceBooks(*books.session, refBookDir());
    EXPECT_TRUE(fill.failures.isEmpty());
    EXPECT_FALSE(fill.filled.contains("VX_S:KLSTR22.DBF"));
    EXPECT_FALSE(fill.filled.contains("VX_S:KLVIC30.DBF"));
    EXPECT_EQ(fill.filled.size(), qsizetype(ReferenceBooks().size()) - 2);
    EXPECT_EQ(books.open("KLSTR22")->recordCount(), 1u);
    EXPECT_EQ(books.column("KLSTR22", "KOD", "NAME").at("643"), "РФ");
    EXPECT_EQ(books.open("KLVIC30")->recordCount(), 1u);
}

TEST(ReferenceBooks, ABadDataFileWritesNothingAndTheOtherBooksAreStillFilled) {
    Books books;
    TempDir data;
    for (const ReferenceBook& book : ReferenceBooks()) {
        kvzt::test::copyFile((refBookDir() + "/" + book.dataFile).toStdString(), data.file(book.dataFile));
    }
    // A valid first row, then a name wider than the field: nothing may be written.
    kvzt::test::writeFile(data.file("klskid30.csv"),
                          "KOD,NAME,USED\n01,Вычет,T\n02," + std::string(60, 'x') + ",T\n");
    kvzt::test::writeFile(data.file("klvic30.csv"), "KOD,NAME,WHAT\n01,Вычет,T\n");
    kvzt::test::writeFile(data.file("kldox31.csv"), "KOD,NAME,SKIDKA,USED\n2000,Труд,12,T\n");
    fs::remove(data.file("kldoc30.csv"));

    const ReferenceBookFill fill = FillReferenceBooks(*books.session, QString::fromStdString(data.path()));
    EXPECT_EQ(fill.failures.size(), 3) << fill.failures.join("\n").toStdString();
    for (const char* table : {"KLSKID30", "KLVIC30", "KLDOX31", "KLDOC30"}) {
        EXPECT_EQ(books.open(table)->recordCount(), 0u) << table;
    }
    EXPECT_EQ(fill.filled, QStringList({"VX_S:KLSTR22.DBF", "VX_S:K7SOCR.DBF", "VX_S:K1REG.DBF"}));

    // A directory that is not there fills nothing and is no failure.
    const ReferenceBookFill none = FillReferenceBooks(*books.session, QString::fromStdString(data.file("nowhere")));
    EXPECT_TRUE(none.filled.isEmpty());
    EXPECT_TRUE(none.failures.isEmpty());
}
