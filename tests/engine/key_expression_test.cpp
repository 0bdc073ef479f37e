// Key expressions: parsing, key bytes of records, seek prefixes, ordering.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/errors.h"
#include "engine/key_expression.h"
#include "engine/mdx_numeric_key.h"

using namespace kvzt::engine;

namespace {

std::vector<FieldDef> spisokFields() {
    std::vector<FieldDef> f = {{"NOM", 'N', 6, 0, 0},  {"FAM", 'C', 25, 0, 0}, {"NAME", 'C', 15, 0, 0},
                               {"OTC", 'C', 15, 0, 0}, {"DATEROG", 'D', 8, 0, 0}, {"SUM", 'N', 10, 2, 0},
                               {"OK", 'L', 1, 0, 0}};
    int offset = 1;
    for (auto& d : f) {
        d.offset = offset;
        offset += d.length;
    }
    return f;
}

// A record: flag byte then each field's text, C left-aligned, N right-aligned.
std::string record(const std::vector<FieldDef>& fields, const std::vector<std::string>& values) {
    std::string r(" ");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string v = i < values.size() ? values[i] : "";
        std::string cell(std::size_t(fields[i].length), ' ');
        if (fields[i].type == 'N')
            cell.replace(cell.size() - v.size(), v.size(), v);
        else
            cell.replace(0, v.size(), v);
        r += cell;
    }
    return r;
}

std::string hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

std::string bcd(std::initializer_list<int> bytes) {
    std::string key(12, '\0');
    int i = 0;
    for (int b : bytes) key[std::size_t(i++)] = char(b);
    return key;
}

}  // namespace

TEST(KeyExpression, ParsesTheCatalogueForms) {
    auto fields = spisokFields();
    auto fio = KeyExpression::parse("UPPER(FAM+NAME+OTC)+DTOS(DATEROG)", fields);
    EXPECT_EQ(fio.keyType(), 'C');
    EXPECT_EQ(fio.keyLength(), 25 + 15 + 15 + 8);
    ASSERT_EQ(fio.components().size(), 4u);
    EXPECT_TRUE(fio.components()[2].upper);
    EXPECT_TRUE(fio.components()[3].dtos);
    EXPECT_EQ(fio.fieldNames(fields), (std::vector<std::string>{"FAM", "NAME", "OTC", "DATEROG"}));

    auto nom = KeyExpression::parse("nom", fields);
    EXPECT_EQ(nom.keyType(), 'N');
    EXPECT_EQ(nom.keyLength(), 12);
    auto date = KeyExpression::parse(" DATEROG ", fields);
    EXPECT_EQ(date.keyType(), 'D');
    EXPECT_EQ(date.keyLength(), 8);
    auto joined = KeyExpression::parse("FAM + upper( NAME )", fields);
    EXPECT_EQ(joined.keyLength(), 40);
    EXPECT_FALSE(joined.components()[0].upper);
}

TEST(KeyExpression, RejectsWhatItCannotIndex) {
    auto fields = spisokFields();
    for (const char* bad : {"", "FAMX", "LOWER(FAM)", "FAM+NOM", "UPPER(NOM)", "DTOS(FAM)", "UPPER(FAM",
                            "FAM+", "OK", "FAM NAME", "STR(NOM)", "FAM+FAM+FAM+FAM+FAM"}) {
        try {
            KeyExpression::parse(bad, fields);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), code::InvalidKeyExpression) << bad;
            EXPECT_NE(std::string(e.what()).find("выражение ключа"), std::string::npos);
        }
    }
}

TEST(KeyExpression, NumericKeysMatchTheRealEncoding) {
    EXPECT_EQ(hex(mdx::numericKeyFromInt(0)), hex(bcd({0x34, 0x01})));
    EXPECT_EQ(hex(mdx::numericKeyFromInt(1)), hex(bcd({0x35, 0x09, 0x10})));
    EXPECT_EQ(hex(mdx::numericKeyFromInt(57)), hex(bcd({0x36, 0x09, 0x57})));
    EXPECT_EQ(hex(mdx::numericKeyFromDouble(-3.5)), hex(bcd({0x35, 0x89, 0x35})));
    EXPECT_EQ(hex(mdx::numericKeyFromInt(100)), hex(bcd({0x37, 0x09, 0x10})));
    EXPECT_EQ(hex(mdx::numericKeyFromInt(102)), hex(bcd({0x37, 0x11, 0x10, 0x20})));
    EXPECT_EQ(hex(mdx::numericKeyFromText("   1234.56")), hex(bcd({0x38, 0x19, 0x12, 0x34, 0x56})));
    EXPECT_EQ(hex(mdx::numericKeyFromText("      ")), hex(bcd({0x34, 0x01})));
    EXPECT_EQ(hex(mdx::numericKeyFromText("0.05")), hex(bcd({0x33, 0x09, 0x50})));
    EXPECT_EQ(hex(mdx::numericKeyFromText("-0.00")), hex(bcd({0x34, 0x01})));
}

TEST(KeyExpression, NumericKeysOrderByValue) {
    std::vector<double> values = {-1e6, -1234.5, -100, -3.5, -0.05, 0, 0.001, 0.05, 0.5, 1, 9.99, 10, 57, 100,
                                  102, 999.99, 1000, 1234.56, 1e9};
    for (std::size_t i = 0; i < values.size(); ++i)
        for (std::size_t j = 0; j < values.size(); ++j) {
            int expect = i < j ? -1 : (i > j ? 1 : 0);
            EXPECT_EQ(compareKeys('N', mdx::numericKeyFromDouble(values[i]), mdx::numericKeyFromDouble(values[j])),
                      expect)
                << values[i] << " vs " << values[j];
        }
    // Another writer's digit count for the same value (as in the real files) compares equal.
    EXPECT_EQ(compareKeys('N', bcd({0x38, 0x29, 0x12, 0x34}), mdx::numericKeyFromInt(1234)), 0);
    EXPECT_LT(compareKeys('N', bcd({0x38, 0x29, 0x12, 0x34}), bcd({0x38, 0x41, 0x35, 0x79})), 0);
}

TEST(KeyExpression, EvaluatesRecords) {
    auto fields = spisokFields();
    std::string r = record(fields, {"42", "", "", "", "19700315", "-3.50", "T"});
    auto fio = KeyExpression::parse("UPPER(FAM+NAME+OTC)+DTOS(DATEROG)", fields);
    // The record above holds UTF-8 bytes; build the real one in code page 1251.
    std::string r1251 = record(fields, {"42", fromUtf8("иванов", CodePage::Cp1251), fromUtf8("Пётр", CodePage::Cp1251),
                                        fromUtf8("ёжикович", CodePage::Cp1251), "19700315", "-3.50", "T"});
    std::string key = fio.evaluate(r1251.data(), fields, CodePage::Cp1251);
    ASSERT_EQ(key.size(), 63u);
    EXPECT_EQ(toUtf8(key.substr(0, 25), CodePage::Cp1251), "ИВАНОВ                   ");
    EXPECT_EQ(toUtf8(key.substr(25, 15), CodePage::Cp1251), "ПЁТР           ");
    EXPECT_EQ(toUtf8(key.substr(40, 15), CodePage::Cp1251), "ЁЖИКОВИЧ       ");
    EXPECT_EQ(key.substr(55), "19700315");

    std::string r866 = record(fields, {"", fromUtf8("ёлкин", CodePage::Cp866), "", "", "", "", ""});
    std::string key866 = fio.evaluate(r866.data(), fields, CodePage::Cp866);
    EXPECT_EQ(toUtf8(key866.substr(0, 5), CodePage::Cp866), "ЁЛКИН");
    EXPECT_EQ(key866.substr(55), "        ");  // empty date

    EXPECT_EQ(hex(KeyExpression::parse("NOM", fields).evaluate(r.data(), fields, CodePage::Cp1251)),
              hex(bcd({0x36, 0x09, 0x42})));
    EXPECT_EQ(hex(KeyExpression::parse("SUM", fields).evaluate(r.data(), fields, CodePage::Cp1251)),
              hex(bcd({0x35, 0x89, 0x35})));
    auto dateKey = KeyExpression::parse("DATEROG", fields);
    EXPECT_EQ(mdx::julianDayOfDateKey(dateKey.evaluate(r.data(), fields, CodePage::Cp1251)),
              double((Date{1970, 3, 15}).julianDay()));
    EXPECT_EQ(mdx::julianDayOfDateKey(dateKey.evaluate(r866.data(), fields, CodePage::Cp1251)), 0.0);
    EXPECT_EQ((Date{1950, 1, 1}.julianDay()), 2433283);
}

TEST(KeyExpression, PrefixesForSeeksAndRanges) {
    auto fields = spisokFields();
    auto fio = KeyExpression::parse("UPPER(FAM+NAME+OTC)+DTOS(DATEROG)", fields);
    std::vector<Value> v = {std::string("петров"), std::string("иван"), std::string("ильич"), Date{1980, 1, 2}};
    std::string one = fio.prefix(v, 1, fields, CodePage::Cp1251);
    EXPECT_EQ(one.size(), 25u);
    EXPECT_EQ(toUtf8(one, CodePage::Cp1251), "петров                   ") << "values go in as given";
    std::string all = fio.prefix(v, 4, fields, CodePage::Cp1251);
    EXPECT_EQ(all.size(), 63u);
    EXPECT_EQ(all.substr(55), "19800102");
    std::string cut = fio.prefix(std::vector<Value>{std::string(30, 'x')}, 1, fields, CodePage::Cp1251);
    EXPECT_EQ(cut, std::string(25, 'x'));
    EXPECT_EQ(fio.prefix(v, 0, fields, CodePage::Cp1251), "");

    // A shorter character key compares on its own length only.
    EXPECT_EQ(compareKeys('C', one, all), 0);
    EXPECT_LT(compareKeys('C', "ABC", "ABD"), 0);

    auto nom = KeyExpression::parse("NOM", fields);
    EXPECT_EQ(nom.prefix(std::vector<Value>{std::int64_t(57)}, 1, fields, CodePage::Cp1251), mdx::numericKeyFromInt(57));
    EXPECT_EQ(nom.prefix(std::vector<Value>{57.0}, 1, fields, CodePage::Cp1251), mdx::numericKeyFromInt(57));
    auto date = KeyExpression::parse("DATEROG", fields);
    EXPECT_EQ(mdx::julianDayOfDateKey(date.prefix(std::vector<Value>{Date{1950, 1, 1}}, 1, fields, CodePage::Cp1251)), 2433283.0);
}

TEST(KeyExpression, DateKeysOrderByDayWithEmptyFirst) {
    std::vector<Date> dates = {{}, {1900, 1, 1}, {1950, 1, 1}, {1999, 12, 31}, {2000, 1, 1}, {2024, 2, 29}};
    for (std::size_t i = 0; i + 1 < dates.size(); ++i)
        EXPECT_LT(compareKeys('D', mdx::dateKeyFromJulianDay(double(dates[i].julianDay())),
                              mdx::dateKeyFromJulianDay(double(dates[i + 1].julianDay()))),
                  0);
}
