#include <gtest/gtest.h>

#include "engine/code_page.h"
#include "engine/date.h"

using namespace kvzt::engine;

TEST(CodePage, EveryByteSurvivesTheRoundTripInBothCodePages) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    for (CodePage cp : {CodePage::Cp866, CodePage::Cp1251}) {
        EXPECT_EQ(fromUtf8(toUtf8(all, cp), cp), all) << int(cp);
    }
}

TEST(CodePage, CyrillicLettersLandOnTheirCodePageBytes) {
    EXPECT_EQ(fromUtf8("АЯаяЁё", CodePage::Cp1251), "\xC0\xDF\xE0\xFF\xA8\xB8");
    EXPECT_EQ(fromUtf8("АЯаяЁё", CodePage::Cp866), "\x80\x9F\xA0\xEF\xF0\xF1");
    EXPECT_EQ(toUtf8("\x8F\xE0\xA8\xA2\xA5\xE2", CodePage::Cp866), "Привет");
    EXPECT_EQ(fromUtf8("日", CodePage::Cp1251), "?");
}

TEST(CodePage, UpperCaseFollowsWindowsCyrillicRules) {
    EXPECT_EQ(upperUtf8("иванов ёлкин abc"), "ИВАНОВ ЁЛКИН ABC");
    for (CodePage cp : {CodePage::Cp866, CodePage::Cp1251}) {
        std::string lower = fromUtf8("абвгдеёжзийклмнопрстуфхцчшщъыьэюяz", cp);
        std::string upper;
        for (char c : lower) upper += char(upperByte(static_cast<unsigned char>(c), cp));
        EXPECT_EQ(toUtf8(upper, cp), "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯZ");
    }
}

TEST(CodePage, LanguageDriverBytes) {
    EXPECT_EQ(languageDriverOf(CodePage::Cp866), 0x26);
    EXPECT_EQ(languageDriverOf(CodePage::Cp1251), 0xC9);
    EXPECT_EQ(codePageOfDriver(0x65), CodePage::Cp866);
    EXPECT_EQ(codePageOfDriver(0xC9), CodePage::Cp1251);
    EXPECT_FALSE(codePageOfDriver(0).has_value());
    EXPECT_FALSE(codePageOfDriver(0x1B).has_value());
}

TEST(Date, DbfTextJulianDayAndDisplay) {
    EXPECT_EQ(Date::fromDbf("19500101").julianDay(), 2433283);
    EXPECT_EQ(Date::fromJulianDay(2433283), (Date{1950, 1, 1}));
    EXPECT_EQ(Date::fromDbf("20240229"), (Date{2024, 2, 29}));
    EXPECT_TRUE(Date::fromDbf("20230229").isNull());
    EXPECT_TRUE(Date::fromDbf("        ").isNull());
    EXPECT_EQ(Date{}.toDbf(), "        ");
    EXPECT_EQ((Date{1987, 9, 13}).toDisplay(), "13.09.1987");
    EXPECT_EQ(Date::fromDisplay("13.09.1987"), (Date{1987, 9, 13}));
    for (long jd = 2400000; jd < 2500000; jd += 997) EXPECT_EQ(Date::fromJulianDay(jd).julianDay(), jd);
}
