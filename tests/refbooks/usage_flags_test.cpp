// The usage flags of the tuned reference books: toggling one entry and
// switching the whole book, on books created from the catalogues.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/table_component.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "refbooks/usage_flags.h"
#include "schema/reference_books.h"
#include "support/catalogue_database.h"

using namespace kvzt::refbooks;
using kvzt::engine::EngineError;
using kvzt::engine::OpenMode;
using kvzt::engine::Table;

namespace {

// The deduction book with entries appended out of key order: 03 (in use), 01, 02.
struct DeductionBook {
    kvzt::test::CatalogueDatabase db;
    std::unique_ptr<kvzt::data::TableComponent> component;

    DeductionBook() {
        {
            auto t = db.session->openTable("VX_S", "KlVic30.dbf");
            for (const auto& [kod, used] : std::vector<std::pair<std::string, bool>>{
                     {"03", true}, {"01", false}, {"02", false}}) {
                t->append();
                t->setString("KOD", kod);
                t->setString("NAME", "Вычет " + kod);
                t->setBoolean("USED", used);
                t->post();
            }
        }
        component = MakeUsageBookComponent(*db.session, UsageBookOf(2));
        component->open();
    }
    Table& table() { return component->table(); }

    // Code → flag as a fresh cursor reads them from the file, in key order.
    std::vector<std::string> storedFlags() {
        auto t = db.session->openTable("VX_S", "KlVic30.dbf", OpenMode::ReadOnly);
        t->setIndex("KODX");
        std::vector<std::string> out;
        for (t->first(); !t->eof(); t->next()) out.push_back(t->asString("KOD") + (t->asBoolean("USED") ? "+" : "-"));
        return out;
    }
};

}  // namespace

TEST(UsageFlags, ModesNameTheirBooksAndUnknownModesAreRefused) {
    EXPECT_STREQ(UsageBookOf(0).tableName, "Kldoc30");
    EXPECT_STREQ(UsageBookOf(0).codeField, "CODE");
    EXPECT_STREQ(UsageBookOf(0).nameField, "NAMEM");
    EXPECT_STREQ(UsageBookOf(1).tag, "KODX");
    EXPECT_EQ(FindUsageBook(3), nullptr);
    EXPECT_EQ(FindUsageBook(-1), nullptr);
    try {
        UsageBookOf(255);
        FAIL() << "mode 255 accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), kvzt::engine::code::InvalidParam);
    }
    EXPECT_EQ(UsedFlagText(true), QStringLiteral("*****"));
    EXPECT_EQ(UsedFlagText(false), QStringLiteral("     "));
}

TEST(UsageFlags, ToggleInvertsTheCurrentEntryOnDiskAndBackAgain) {
    DeductionBook book;
    // The component lists the book in its tag: 01 comes first.
    ASSERT_EQ(book.table().asString("KOD"), "01");
    EXPECT_TRUE(ToggleUsed(book.table()));
    EXPECT_EQ(book.table().state(), kvzt::engine::EditState::Browse);
    EXPECT_EQ(book.storedFlags(), (std::vector<std::string>{"01+", "02-", "03+"}));

    book.table().last();
    EXPECT_FALSE(ToggleUsed(book.table()));
    EXPECT_TRUE(ToggleUsed(book.table()));  // a second toggle restores it
    EXPECT_EQ(book.storedFlags(), (std::vector<std::string>{"01+", "02-", "03+"}));
}

TEST(UsageFlags, SetAllSwitchesEveryEntryAndReturnsToTheCurrentOne) {
    DeductionBook book;
    book.table().next();  // on 02
    EXPECT_EQ(SetAllUsed(book.table(), true), 3);
    EXPECT_EQ(book.table().asString("KOD"), "02");
    EXPECT_EQ(book.storedFlags(), (std::vector<std::string>{"01+", "02+", "03+"}));

    EXPECT_EQ(SetAllUsed(book.table(), false), 3);
    EXPECT_EQ(book.table().asString("KOD"), "02");
    EXPECT_EQ(book.storedFlags(), (std::vector<std::string>{"01-", "02-", "03-"}));
}

TEST(UsageFlags, AnEmptyBookGetsNoBlankEntry) {
    kvzt::test::CatalogueDatabase db;
    auto component = MakeUsageBookComponent(*db.session, UsageBookOf(0));
    component->open();
    EXPECT_FALSE(ToggleUsed(component->table()));
    EXPECT_EQ(SetAllUsed(component->table(), true), 0);
    EXPECT_EQ(component->table().recordCount(), 0u);
    EXPECT_TRUE(component->table().isEmpty());
}

TEST(UsageFlags, AFailedPostLeavesNoEditOpen) {
    DeductionBook book;
    auto readOnly = book.db.session->openTable("VX_S", "KlVic30.dbf", OpenMode::ReadOnly);
    readOnly->first();
    EXPECT_THROW(ToggleUsed(*readOnly), EngineError);
    EXPECT_EQ(readOnly->state(), kvzt::engine::EditState::Browse);
    EXPECT_THROW(SetAllUsed(*readOnly, true), EngineError);
    EXPECT_EQ(readOnly->state(), kvzt::engine::EditState::Browse);
    EXPECT_EQ(book.storedFlags(), (std::vector<std::string>{"01-", "02-", "03+"}));
}

TEST(UsageFlags, TheShippedBooksCanBeSwitchedWhole) {
    kvzt::test::CatalogueDatabase db;
    const QString dir = QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks");
    const int documents =
        kvzt::schema::FillReferenceBook(*db.session, "VX_S", "KLDOC30.DBF", dir + "/kldoc30.csv");
    ASSERT_GT(documents, 0);
    auto component = MakeUsageBookComponent(*db.session, UsageBookOf(0));
    component->open();
    EXPECT_EQ(SetAllUsed(component->table(), false), documents);

    // A second cursor of the host's kind sees every entry out of use.
    auto other = db.session->openTable("VX_S", "KLDOC30.DBF");
    int inUse = 0;
    for (other->first(); !other->eof(); other->next()) inUse += other->asBoolean("USED") ? 1 : 0;
    EXPECT_EQ(inUse, 0);
}
