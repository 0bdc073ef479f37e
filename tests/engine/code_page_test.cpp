#include <gtest/gtest.h>

#include "engine/code_page.h"
#include "engine/date.h"

using namespace kvzt::engine;

const CodePage kAllPages[] = {CodePage::Cp437,  CodePage::Cp850,  CodePage::Cp852,  CodePage::Cp865,
                               CodePage::Cp866,  CodePage::Cp1250, CodePage::Cp1251, CodePage::Cp1252};

TEST(CodePage, EveryByteSurvivesTheRoundTripInEveryCodePage) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    for (CodePage cp : kAllPages) {
        EXPECT_EQ(fromUtf8(toUtf8(all, cp), cp), all) << int(cp);
        // Truncating encoder stops at the capacity without overrunning.
        char four[4];
        EXPECT_EQ(fromUtf8Into(toUtf8(all.substr(0x80, 10), cp), cp, four, 4), 4u);
        EXPECT_EQ(std::string(four, 4), all.substr(0x80, 4)) << int(cp);
    }
}

TEST(CodePage, LatinLettersLandOnTheirCodePageBytes) {
    EXPECT_EQ(toUtf8("\xA5\xA4\x80", CodePage::Cp437), "ÑñÇ");
    EXPECT_EQ(fromUtf8("Ø", CodePage::Cp850), "\x9D");
    EXPECT_EQ(fromUtf8("Łź", CodePage::Cp852), "\x9D\xAB");
    EXPECT_EQ(fromUtf8("Ø", CodePage::Cp865), "\x9D");
    EXPECT_EQ(fromUtf8("Řż", CodePage::Cp1250), "\xD8\xBF");
    EXPECT_EQ(fromUtf8("€Œ", CodePage::Cp1252), "\x80\x8C");
    EXPECT_EQ(fromUtf8("Ж", CodePage::Cp1252), "?");
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
    EXPECT_EQ(codePageOfDriver(0x1B), CodePage::Cp437);
    EXPECT_EQ(codePageOfDriver(0x37), CodePage::Cp850);
    EXPECT_EQ(codePageOfDriver(0x64), CodePage::Cp852);
    EXPECT_EQ(codePageOfDriver(0x17), CodePage::Cp865);
    EXPECT_EQ(codePageOfDriver(0x66), CodePage::Cp866);  // what Russian tools write
    EXPECT_EQ(codePageOfDriver(0xC8), CodePage::Cp1250);
    EXPECT_EQ(codePageOfDriver(0x57), CodePage::Cp1252);
    EXPECT_FALSE(codePageOfDriver(0x7E).has_value());
    for (CodePage cp : kAllPages) EXPECT_EQ(codePageOfDriver(languageDriverOf(cp)), cp) << int(cp);
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
