// Field checks of the person views: the mode table, name parts, dates,
// digit codes and the structured address.

#include <gtest/gtest.h>

#include "import/person_checks.h"

using namespace kvzt::import;

namespace {
QString u(const char* text) { return QString::fromUtf8(text); }

const QDate kToday(2024, 5, 15);
constexpr Rgb kGreen = 0x00FF00;
constexpr Rgb kMaroon = 0x800000;
}  // namespace

TEST(PersonChecks, ModeTableForBlankInvalidAndValidValues) {
    // mode: blank, invalid, valid
    const int expected[][3] = {{1, 1, 0}, {2, 2, 0}, {0, 2, 0}, {0, 2, 0}};
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(ResultByMode(mode, true, false), expected[mode][0]);
        EXPECT_EQ(ResultByMode(mode, true, true), expected[mode][0]);
        EXPECT_EQ(ResultByMode(mode, false, true), expected[mode][1]);
        EXPECT_EQ(ResultByMode(mode, false, false), expected[mode][2]);
    }
    EXPECT_EQ(ResultByMode(-1, true, false), 1);
}

TEST(PersonChecks, NamePartsAllowCyrillicLettersBlanksFullStopsAndHyphensOnly) {
    EXPECT_EQ(CheckNamePart(u("Иванов"), kModeRequired).code, 0);
    EXPECT_EQ(CheckNamePart(u("Петров-Водкин"), kModeRequired).code, 0);
    EXPECT_EQ(CheckNamePart(u("Иванов  П.С."), kModeRequiredLesser).code, 0);
    EXPECT_EQ(CheckNamePart(u("Ivanov"), kModeRequired).code, 1);
    EXPECT_EQ(CheckNamePart(u("Ivanov"), kModeOptional).code, 2);
    EXPECT_EQ(CheckNamePart(u("Иванов2"), kModeRequired).code, 1);
    // Ё and ё lie outside the letter range of the host's rule.
    EXPECT_EQ(CheckNamePart(u("Семёнов"), kModeRequired).code, 1);
    EXPECT_EQ(CheckNamePart(u("ЁЛКИН"), kModeOptional).code, 2);

    EXPECT_EQ(CheckNamePart(u("  "), kModeRequired).code, 1);
    EXPECT_EQ(CheckNamePart(u(""), kModeRequiredLesser).code, 2);
    EXPECT_EQ(CheckNamePart(u(""), kModeOptional).code, 0);
}

TEST(PersonChecks, TheCaptionTakesTheGivenColours) {
    EXPECT_EQ(CheckNamePart(u("Иванов"), kModeRequired).colour, kBlack);
    EXPECT_EQ(CheckNamePart(u("Ivanov"), kModeRequired).colour, kRed);
    EXPECT_EQ(CheckNamePart(u("Иванов"), kModeRequired, kGreen, kMaroon).colour, kGreen);
    EXPECT_EQ(CheckNamePart(u(""), kModeRequiredLesser, kGreen, kMaroon).colour, kMaroon);
    EXPECT_EQ(CheckNamePart(u(""), kModeOptional, kGreen, kMaroon).colour, kGreen);
    EXPECT_EQ(CheckCharsText(u("12"), 4, u'0', u'9', kModeOptional, kGreen, kMaroon).colour, kMaroon);
}

TEST(PersonChecks, DatesTheEmptyMaskIsBlankAndFutureOrMalformedDatesAreInvalid) {
    for (const char* blank : {"  .  .    ", "", "   ", ".."}) {
        SCOPED_TRACE(blank);
        EXPECT_EQ(CheckDateText(u(blank), kModeRequiredLesser, kToday).code, 2);
        EXPECT_EQ(CheckDateText(u(blank), kModeOptional, kToday).code, 0);
    }
    EXPECT_EQ(CheckDateText(u("15.05.2024"), kModeRequired, kToday).code, 0);
    EXPECT_EQ(CheckDateText(u(" 01.01.1960 "), kModeRequired, kToday).colour, kBlack);
    EXPECT_EQ(CheckDateText(u("16.05.2024"), kModeOptional, kToday).code, 2);
    EXPECT_EQ(CheckDateText(u("31.02.2000"), kModeRequired, kToday).code, 1);
    EXPECT_EQ(CheckDateText(u("01. 1.2000"), kModeOptional, kToday).code, 2);
    EXPECT_EQ(CheckDateText(u("  .01.2000"), kModeOptional, kToday).code, 2);
    EXPECT_EQ(CheckDateText(u("01.01.2000."), kModeOptional, kToday).colour, kRed);
}

TEST(PersonChecks, CodesOfFixedLengthAndCharacterRange) {
    const QChar zero = u'0', nine = u'9';
    EXPECT_EQ(CheckCharsText(u("770123456789"), 12, zero, nine, kModeOptional).code, 0);
    EXPECT_EQ(CheckCharsText(u("77012345678"), 12, zero, nine, kModeOptional).code, 2);
    EXPECT_EQ(CheckCharsText(u("77012345678A"), 12, zero, nine, kModeOptional).code, 2);
    EXPECT_EQ(CheckCharsText(u(""), 12, zero, nine, kModeOptional).code, 0);
    EXPECT_EQ(CheckCharsText(u(""), 12, zero, nine, kModeRequired).code, 1);
    EXPECT_EQ(CheckCharsText(u("7701"), 4, zero, nine, kModeOptional).code, 0);
    EXPECT_EQ(CheckCharsText(u("77 1"), 4, zero, nine, kModeOptional).code, 2);
    EXPECT_EQ(CheckCharsText(u("123"), 0, zero, nine, kModeRequired).code, 0);
    // Bounds compare by 1251 codes: а..я covers the lower-case letters but not ё.
    EXPECT_EQ(CheckCharsText(u("мир"), 0, u'а', u'я', kModeRequired).code, 0);
    EXPECT_EQ(CheckCharsText(u("ёж"), 0, u'а', u'я', kModeRequired).code, 1);
}

namespace {
// Ten items from a list, joined the way the import writes them.
QString adres(std::initializer_list<const char*> items) {
    QStringList parts;
    for (const char* item : items) parts << u(item);
    return parts.join(u(",  "));
}
}  // namespace

TEST(AddressCheck, SoundAddresses) {
    // A region with a city, a street and a house.
    EXPECT_EQ(CheckAddress(adres({"", "143000", "50", "", "Одинцово", "", "Ленина ул", "7", "", "15"}), u(""), true), 0);
    // A federal city needs no city item.
    EXPECT_EQ(CheckAddress(adres({"643", "101000", "77", "", "", "", "Тверская ул", "7", "2", "15"}), u(""), true), 0);
    // A village of a district, no street.
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "Рузский р-н", "", "Дорохово с", "", "12"}), u(""), true), 0);
    // House, building and flat are not filtered.
    EXPECT_EQ(CheckAddress(adres({"", "", "78", "", "", "", "Невский пр", "7a/B", "K-1", "15 (Ёлка)"}), u(""), true),
              0);
    // Quotes, slashes, full stops and parentheses are part of the text set.
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "", "г. Королев (\"наукоград\")", "", "8/2 Марта ул.", "1"}), u(""),
                           true),
              0);
}

TEST(AddressCheck, EachRuleNamesItsItem) {
    EXPECT_EQ(CheckAddress(adres({"RUS", "", "50", "", "Клин", "", "Мира", "1"}), u(""), true), 1);
    EXPECT_EQ(CheckAddress(adres({"", "14300", "50", "", "Клин", "", "Мира", "1"}), u(""), true), 2);
    EXPECT_EQ(CheckAddress(adres({"", "", "5", "", "Клин", "", "Мира", "1"}), u(""), true), 3);
    // A district in a federal city, and a district without a region.
    EXPECT_EQ(CheckAddress(adres({"", "", "77", "Зеленоград", "", "", "Мира", "1"}), u(""), true), 4);
    EXPECT_EQ(CheckAddress(adres({"", "", "", "Рузский р-н", "", "Тучково", "", "1"}), u(""), true), 4);
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "Ruza", "", "Тучково", "", "1"}), u(""), true), 4);
    // Ё is not a letter of the text set.
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "", "Королёв", "", "", "1"}), u(""), true), 5);
    // No city and no region.
    EXPECT_EQ(CheckAddress(adres({"", "", "", "", "", "Тучково", "Мира", "1"}), u(""), true), 5);
    // A district but neither city nor locality.
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "Рузский р-н", "", "", "Мира", "1"}), u(""), true), 6);
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "", "", "Tuchkovo", "", "1"}), u(""), true), 6);
    // Region 50 with no city, no locality and no street: the missing city
    // passes because of the region; the missing street needs one of them.
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "", "", "", "", "1"}), u(""), true), 7);
    // A street needs a federal city, a city or a locality.
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "", "", "", "Мира", "1"}), u(""), true), 7);
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "", "Клин", "", "Mira", "1"}), u(""), true), 7);
    // Region 50, a city and a street but no house.
    EXPECT_EQ(CheckAddress(adres({"", "", "50", "", "Клин", "", "Мира", "", "2", "15"}), u(""), true), 8);
    // The first failing item wins, however many follow.
    EXPECT_EQ(CheckAddress(adres({"", "1", "7", "Зеленоград", "", "", "", ""}), u(""), true), 2);
}

TEST(AddressCheck, UncheckedForeignAddressesAndAnEmptyAddressWithAnINN) {
    const QString bad = adres({"840", "", "", "", "New York", "", "5th Avenue", "1"});
    EXPECT_EQ(CheckAddress(bad, u(""), false), 0);
    EXPECT_EQ(CheckAddress(bad, u(""), true), 5);
    EXPECT_EQ(CheckAddress(bad, u("770123456789"), true), 5);

    // No address at all is acceptable only for a taxpayer with an INN.
    for (const char* empty : {"", "  ", ",  ,  ,  ,  ,  ,  ,  ,  ,  "}) {
        SCOPED_TRACE(empty);
        EXPECT_EQ(CheckAddress(u(empty), u("770123456789"), true), 0);
        EXPECT_EQ(CheckAddress(u(empty), u(" "), true), 5);
    }
}
