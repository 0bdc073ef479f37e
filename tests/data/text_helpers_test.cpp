// Comma items, padding, address breaks and the 1251 character checks.

#include <gtest/gtest.h>

#include "data/text_helpers.h"

using namespace kvzt::data;

namespace {
QString u(const char* text) { return QString::fromUtf8(text); }
}  // namespace

TEST(TextHelpers, CommaSeparatedItems) {
    const QString address = u("Россия, 123456 ,  Москва,,ул. Тверская");
    EXPECT_EQ(GetField(address, 1), u("Россия"));
    EXPECT_EQ(GetField(address, 2), u("123456"));
    EXPECT_EQ(GetField(address, 4), u(""));
    EXPECT_EQ(GetField(address, 5), u("ул. Тверская"));
    EXPECT_EQ(GetField(address, 6), u(""));
    EXPECT_EQ(GetField(address, 0), u(""));
    EXPECT_EQ(GetField(u("a,") + QString(300, QLatin1Char('z')), 2).size(), 250);
    EXPECT_EQ(GetFieldNumber(address, 2), 123456.0);
    EXPECT_FALSE(GetFieldNumber(address, 1));

    EXPECT_EQ(JoinFields({u("a"), u("b"), u("")}), u("a,  b,  "));
    EXPECT_EQ(LastFilledItem(address), 5);
    EXPECT_EQ(LastFilledItem(u(" , ,  ,")), 0);
    EXPECT_EQ(LastFilledItem(u("1,2,3,4,5,6,7,8,9,10,11")), 10);
}

TEST(TextHelpers, PositionsAndNumbers) {
    EXPECT_EQ(LastPos(u(","), u("a,b,c")), 4);
    EXPECT_EQ(LastPos(u(","), u("abc")), 0);
    EXPECT_EQ(LastPos(u(""), u("abc")), 0);
    EXPECT_EQ(PadLeft(u("  42 "), 9, QLatin1Char(' ')), u("       42"));
    EXPECT_EQ(PadLeft(u("12345"), 3, QLatin1Char('0')), u("12345"));
    EXPECT_EQ(StringOfChar(QLatin1Char('-'), 3), u("---"));
    EXPECT_EQ(StringOfChar(QLatin1Char('-'), 300).size(), 255);
    EXPECT_EQ(StringOfChar(QLatin1Char('-'), -1), u(""));
    EXPECT_TRUE(IsBlank(u(" \t ")));
    EXPECT_FALSE(IsBlank(u(" .")));
    EXPECT_EQ(KeyName(u("fmMain"), 0), u("fmMain0"));
    EXPECT_EQ(IncNumberText(u("   999"), 1), u("1000"));
    EXPECT_EQ(IncNumberText(u("abc"), 5), u("5"));
    EXPECT_EQ(IIF(true, u("a"), u("b")), u("a"));
    EXPECT_EQ(IIF(false, 1.0, 2.0), 2.0);
}

TEST(TextHelpers, TruncateAtCommaBreaksAfterTheCommaAndBlank) {
    const QString address = u("Россия, 123456, Москва, ул. Тверская, д. 7");
    const int at = TruncateAtComma(address, 20);
    // "Россия, 123456, " ends with the comma and the blank after it.
    EXPECT_EQ(address.left(at), u("Россия, 123456, "));
    EXPECT_EQ(TruncateAtComma(u("short"), 20), 5);
    EXPECT_EQ(TruncateAtComma(QString(60, QLatin1Char('x')), 20), 20);
}

TEST(TextHelpers, CharacterClassesFollowCodePage1251) {
    EXPECT_TRUE(LettersOrAllowed(u("Иванов-Петров"), u(" .-")));
    EXPECT_TRUE(LettersOrAllowed(u("яЯаА"), u("")));
    EXPECT_FALSE(LettersOrAllowed(u("Ёлкин"), u(" .-")));  // Ё is 168 in 1251, below the letters
    EXPECT_FALSE(LettersOrAllowed(u("Ivanov"), u(" .-")));
    EXPECT_FALSE(LettersOrAllowed(u("Иван1"), u(" .-")));

    EXPECT_TRUE(CharsInRange(u("123456789012"), 12, QLatin1Char('0'), QLatin1Char('9')));
    EXPECT_FALSE(CharsInRange(u("12345678901"), 12, QLatin1Char('0'), QLatin1Char('9')));
    EXPECT_FALSE(CharsInRange(u("12345678901A"), 12, QLatin1Char('0'), QLatin1Char('9')));
    EXPECT_TRUE(CharsInRange(u(""), 0, QLatin1Char('0'), QLatin1Char('9')));
    EXPECT_TRUE(CharsInRange(u("ГДЕ"), 0, QChar(0x0410), QChar(0x042F)));
    EXPECT_FALSE(CharsInRange(u("Ё"), 0, QChar(0x0410), QChar(0x044F)));

    EXPECT_TRUE(OnlyCharsFrom(u("0101"), u("01")));
    EXPECT_FALSE(OnlyCharsFrom(u("012"), u("01")));
    EXPECT_TRUE(OnlyTwoChars(u("  .  .    "), QLatin1Char(' '), QLatin1Char('.'), 2));
    EXPECT_FALSE(OnlyTwoChars(u("  .  .   1"), QLatin1Char(' '), QLatin1Char('.'), 2));
    EXPECT_FALSE(OnlyTwoChars(u("  .    "), QLatin1Char(' '), QLatin1Char('.'), 2));
}

TEST(TextHelpers, NotAboveReadsShortDates) {
    const QDate latest(2004, 3, 15);
    EXPECT_TRUE(NotAbove(u(" 15.03.2004 "), latest));
    EXPECT_TRUE(NotAbove(u("1.2.1960"), latest));
    EXPECT_FALSE(NotAbove(u("16.03.2004"), latest));
    EXPECT_FALSE(NotAbove(u("31.02.2000"), latest));
    EXPECT_FALSE(NotAbove(u("15.03. 004"), latest));
    EXPECT_FALSE(NotAbove(u("  .  .    "), latest));
    EXPECT_FALSE(NotAbove(u("2004-03-01"), latest));
}
