#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/field_codec.h"

using namespace kvzt::engine;

namespace {

std::string encode(const FieldDef& f, const Value& v, CodePage cp = CodePage::Cp1251) {
    std::string out(size_t(f.length), '#');
    encodeField(f, v, out.data(), cp);
    return out;
}

}  // namespace

TEST(FieldCodec, NumbersAreRightAlignedWithFixedDecimals) {
    FieldDef money{"SUM", 'N', 10, 2};
    EXPECT_EQ(encode(money, 1234.5), "   1234.50");
    EXPECT_EQ(encode(money, std::int64_t(-7)), "     -7.00");
    EXPECT_EQ(encode(money, -0.001), "      0.00");
    EXPECT_EQ(encode(money, std::string("12,5")), "     12.50");
    EXPECT_EQ(encode(money, std::monostate{}), "          ");
    FieldDef nom{"NOM", 'N', 11, 0};
    EXPECT_EQ(encode(nom, std::int64_t(57)), "         57");
    EXPECT_EQ(encode(nom, 2.6), "          3");
}

TEST(FieldCodec, ANumberTooWideIsAnErrorNeverAWrongValue) {
    FieldDef small{"S", 'N', 6, 2};
    EXPECT_EQ(encode(small, 999.99), "999.99");
    for (Value v : {Value(1000.0), Value(std::int64_t(-1000)), Value(std::string("12345"))}) {
        try {
            encode(small, v);
            FAIL() << "accepted a number too wide";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), code::ValueOutOfRange);
        }
    }
    FieldDef digit{"D", 'N', 1, 0};
    EXPECT_THROW(encode(digit, std::int64_t(10)), EngineError);
    EXPECT_THROW(encode(digit, std::string("abc")), EngineError);
}

TEST(FieldCodec, TextIsCutToTheWidthInCodePageCharacters) {
    FieldDef name{"NAME", 'C', 5, 0};
    EXPECT_EQ(encode(name, std::string("Иванов"), CodePage::Cp1251), "\xC8\xE2\xE0\xED\xEE");
    EXPECT_EQ(encode(name, std::string("Ли")), "\xCB\xE8   ");
    EXPECT_EQ(std::get<std::string>(decodeField(name, "\xCB\xE8   ", CodePage::Cp1251)), "Ли");
    EXPECT_EQ(std::get<std::string>(decodeField(name, "\x8B\xA8   ", CodePage::Cp866)), "Ли");
}

TEST(FieldCodec, DatesLogicalsAndEmptyValues) {
    FieldDef d{"D", 'D', 8, 0};
    EXPECT_EQ(encode(d, Date{2001, 2, 3}), "20010203");
    EXPECT_EQ(encode(d, std::string("03.02.2001")), "20010203");
    EXPECT_EQ(encode(d, Date{}), "        ");
    EXPECT_THROW(encode(d, std::string("31.02.2001")), EngineError);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(decodeField(d, "        ", CodePage::Cp866)));

    FieldDef l{"L", 'L', 1, 0};
    EXPECT_EQ(encode(l, true), "T");
    EXPECT_EQ(encode(l, false), "F");
    for (const char* t : {"T", "t", "Y", "y"}) EXPECT_TRUE(std::get<bool>(decodeField(l, t, CodePage::Cp866)));
    for (const char* f : {"F", "f", "N", "n"}) EXPECT_FALSE(std::get<bool>(decodeField(l, f, CodePage::Cp866)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(decodeField(l, "?", CodePage::Cp866)));

    FieldDef n{"N", 'N', 5, 0};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(decodeField(n, "*****", CodePage::Cp866)));
    EXPECT_EQ(fieldText(n, "   42", CodePage::Cp866), "42");
}
