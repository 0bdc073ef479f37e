// Display texts of a taxpayer's fields: short name, identity document,
// address text and its lines, and the home-country test.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/data_module.h"
#include "engine/session.h"
#include "engine/table.h"
#include "import/person_checks.h"
#include "import/person_format.h"
#include "support/catalogue_database.h"

using namespace kvzt;
using namespace kvzt::import;
using data::TdmKVZT;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

void addRow(engine::Session& s, const char* alias, const char* table, const std::map<std::string, std::string>& row) {
    auto t = s.openTable(alias, table);
    t->append();
    for (const auto& [field, value] : row) t->setString(field, value);
    t->post();
}

// A scratch host database with two document kinds, two regions and the
// organisation's country 643.
class PersonFormat : public ::testing::Test {
protected:
    void SetUp() override {
        engine::Session& s = *db.session;
        addRow(s, "VX_S", "KLDOC30",
               {{"CODE", "21"}, {"NAMEF", "Паспорт гражданина РФ"}, {"NAMEM", "Паспорт РФ"},
                {"SHABLON", "99 99 999999"}});
        addRow(s, "VX_S", "KLDOC30",
               {{"CODE", "01"}, {"NAMEF", "Паспорт гражданина СССР"}, {"NAMEM", "Паспорт СССР"},
                {"SHABLON", "R-ББ 999999"}});
        addRow(s, "VX_S", "KLDOC30", {{"CODE", "91"}, {"NAMEF", "Иные документы"}});
        addRow(s, "VX_S", "K7SOCR", {{"Lev", "1"}, {"Name", "г"}, {"Code", "103"}});
        addRow(s, "VX_S", "K7SOCR", {{"Lev", "1"}, {"Name", "обл"}, {"Code", "105"}});
        addRow(s, "VX_S", "K1REG", {{"NAME", "Москва"}, {"TIP", "103"}, {"KODREG", "77"}});
        addRow(s, "VX_S", "K1REG", {{"NAME", "Московская"}, {"TIP", "105"}, {"KODREG", "50"}});
        addRow(s, "VX_B", "UPI32", {{"NAORG", "ООО Ромашка"}, {"COUNTRYREZ", "643"}});
        dm = std::make_unique<TdmKVZT>(s);
    }

    test::CatalogueDatabase db;
    std::unique_ptr<TdmKVZT> dm;
};

const QString kTverskaya = u(",  101000,  77,  ,  ,  ,  Тверская ул,  7,  2,  15");

}  // namespace

TEST(ShortFIO, SurnameTwoBlanksAndInitials) {
    EXPECT_EQ(ShortFIO(u("Иванов"), u("Пётр"), u("Сергеевич")), u("Иванов  П.С."));
    EXPECT_EQ(ShortFIO(u("Иванов"), u("Пётр"), u("")), u("Иванов  П."));
    EXPECT_EQ(ShortFIO(u("Иванов"), u("Пётр"), u("   ")), u("Иванов  П."));
    // No first name: the full stop of the missing initial stays.
    EXPECT_EQ(ShortFIO(u("Иванов"), u(""), u("")), u("Иванов  ."));
    EXPECT_EQ(ShortFIO(u("Иванов"), u(""), u("Сергеевич")), u("Иванов  .С."));
    EXPECT_EQ(ShortFIO(u(""), u(""), u("")), u("  ."));
}

TEST_F(PersonFormat, DocumentTextWithAndWithoutSeries) {
    EXPECT_EQ(DocumentText(*dm, u("21"), u("45 01 123456")), u(" Паспорт гражданина РФ № 45 01 123456"));
    EXPECT_EQ(DocumentText(*dm, u("01"), u("IV-МЮ 654321")), u(" Паспорт гражданина СССР сер. № IV-МЮ 654321"));
    // A kind without a template has no series part.
    EXPECT_EQ(DocumentText(*dm, u("91"), u("123")), u(" Иные документы № 123"));
    // A blank kind gives nothing even with a number.
    EXPECT_EQ(DocumentText(*dm, u(""), u("45 01 123456")), u(""));
    EXPECT_EQ(DocumentText(*dm, u("  "), u("45 01 123456")), u(""));
    // An unknown kind: no name, the number still shown.
    EXPECT_EQ(DocumentText(*dm, u("99"), u("123")), u("  № 123"));
    // The book keeps its tag.
    EXPECT_EQ(dm->tbDoc->indexName(), "CODEX");
}

TEST_F(PersonFormat, AddressTextJoinsTheFilledItems) {
    EXPECT_EQ(AddressText(*dm, kTverskaya, true),
              u("101000,  Москва  г,  Тверская ул,  дом  7,  корп. 2,  кв. 15"));
    EXPECT_EQ(AddressText(*dm, kTverskaya, false), u("101000,  77,  Тверская ул,  дом  7,  корп. 2,  кв. 15"));
    // Leading and trailing empty items leave no separator behind.
    EXPECT_EQ(AddressText(*dm, u(" , ,50, ,Клин, ,Мира ул,5, , "), true), u("Московская  обл,  Клин,  Мира ул,  дом  5"));
    EXPECT_EQ(AddressText(*dm, u("840,,,,New York"), false), u("840,  New York"));
    // An unknown region code is shown as it is, not as an empty gap.
    EXPECT_EQ(AddressText(*dm, u(",,00,,Клин"), true), u("00,  Клин"));
    // The flat takes the rest of the text, further commas included.
    EXPECT_EQ(AddressText(*dm, u(",,,,Клин,,,1,,15 ,комн. 3,"), false), u("Клин,  дом  1,  кв. 15 ,комн. 3"));
    // Items beyond the tenth add nothing when the flat is blank.
    EXPECT_EQ(AddressText(*dm, u(",,,,Клин,,,1,, ,комн. 3"), false), u("Клин,  дом  1"));
    EXPECT_EQ(AddressText(*dm, u(""), true), u(""));
    EXPECT_EQ(AddressText(*dm, u(" ,  ,"), true), u(""));
    // Items are cut to 50 characters.
    EXPECT_EQ(AddressText(*dm, u(",,,,") + QString(60, u'Я'), false), QString(50, u'Я'));
}

TEST(AddressLines, WrapAtCommasWithinTheWidth) {
    const QString text = u("101000,  Москва  г,  Тверская ул,  дом  7,  корп. 2,  кв. 15");
    const QStringList lines = WrapAddressText(text, 30);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], u("101000,  Москва  г, "));
    // The text before the break's comma fits width + 1; the comma and its
    // blank come after it.
    EXPECT_EQ(lines[1], u("Тверская ул,  дом  7,  корп. 2, "));
    EXPECT_EQ(lines[2], u("кв. 15"));
    for (const QString& line : lines) EXPECT_LE(line.size(), 32);

    EXPECT_EQ(WrapAddressText(text, 80), QStringList{text});
    EXPECT_EQ(WrapAddressText(u(""), 50), QStringList{u("")});
}

TEST(AddressLines, LongPartsWithoutACommaStillWrapAndEnd) {
    // No comma: broken at blanks, every character kept.
    const QString words = u("Очень длинное название улицы без единой запятой в тексте");
    const QStringList lines = WrapAddressText(words, 20);
    EXPECT_GT(lines.size(), 2);
    for (const QString& line : lines) EXPECT_LE(line.size(), 21);
    EXPECT_EQ(lines.join(u(" ")).simplified(), words);

    // No blank either: hard breaks at the width.
    const QStringList hard = WrapAddressText(QString(25, u'Ж'), 10);
    EXPECT_EQ(hard, (QStringList{QString(10, u'Ж'), QString(10, u'Ж'), QString(5, u'Ж')}));

    // A first item longer than the width: the line runs to its comma.
    const QStringList wide = WrapAddressText(QString(30, u'Ж') + u(",  Клин"), 10);
    EXPECT_EQ(wide, (QStringList{QString(30, u'Ж') + u(", "), u("Клин")}));

    // Degenerate widths end too.
    EXPECT_EQ(WrapAddressText(u("Клин,  Мира"), 0), QStringList{u("Клин,  Мира")});
    EXPECT_EQ(WrapAddressText(u("Клин,  Мира"), 1).join(QString()).remove(u' '), u("Клин,Мира"));
}

TEST_F(PersonFormat, ShowAddressFillsTheLinesAndReturnsTheCheck) {
    QStringList lines{u("старое")};
    EXPECT_EQ(ShowAddress(*dm, lines, kTverskaya, u(""), true, kPersonViewAddressWidth), 0);
    EXPECT_EQ(lines, (QStringList{u("101000,  Москва  г,  Тверская ул,  дом  7,  корп. 2, "), u("кв. 15")}));

    // Region 50, a city and a street but no house.
    EXPECT_EQ(ShowAddress(*dm, lines, u(",,50,,Клин,,Мира ул"), u(""), true, 50), 8);
    EXPECT_EQ(lines, QStringList{u("Московская  обл,  Клин,  Мира ул")});

    // A foreign address is neither checked nor shown with region names.
    EXPECT_EQ(ShowAddress(*dm, lines, u(",,50,,Berlin,,Unter den Linden,1"), u(""), false, 50), 0);
    EXPECT_EQ(lines, QStringList{u("50,  Berlin,  Unter den Linden,  дом  1")});

    // No address: acceptable only with an INN.
    EXPECT_EQ(ShowAddress(*dm, lines, u(""), u("770123456789"), true, 50), 0);
    EXPECT_EQ(ShowAddress(*dm, lines, u(""), u(""), true, 50), 5);
    EXPECT_EQ(lines, QStringList{u("")});
}

TEST_F(PersonFormat, HomeCountryIsTheOrganisationsCountryOrNone) {
    EXPECT_FALSE(dm->tbUPI.active());
    EXPECT_TRUE(IsHomeCountry(*dm, u("643")));
    // Status "1" (resident) leaves the country code empty: home.
    EXPECT_TRUE(IsHomeCountry(*dm, u("")));
    EXPECT_TRUE(IsHomeCountry(*dm, u("   ")));
    EXPECT_FALSE(IsHomeCountry(*dm, u("840")));
    EXPECT_FALSE(IsHomeCountry(*dm, u("000")));
    // A closed settings table is closed again, an open one stays open.
    EXPECT_FALSE(dm->tbUPI.active());
    dm->tbUPI.open();
    dm->tbUPI->last();
    dm->tbUPI->next();  // past the end: the settings record is still found
    EXPECT_TRUE(IsHomeCountry(*dm, u("643")));
    EXPECT_TRUE(dm->tbUPI.active());
}

TEST(HomeCountry, WithoutASettingsRecordOnlyABlankCodeIsHome) {
    test::CatalogueDatabase db;
    TdmKVZT dm(*db.session);
    EXPECT_TRUE(IsHomeCountry(dm, u("")));
    EXPECT_FALSE(IsHomeCountry(dm, u("643")));
    EXPECT_FALSE(dm.tbUPI.active());
}
