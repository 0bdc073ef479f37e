// FORMS and GRIDS values: the window value and the grid keys with continuations.

#include <gtest/gtest.h>

#include <QMap>

#include "data/layout_codec.h"

using namespace kvzt::data;

namespace {
QString u(const char* text) { return QString::fromUtf8(text); }
}  // namespace

TEST(FormLayoutValue, WritesFiveNumbersWithACommaAndTwoBlanks) {
    EXPECT_EQ(EncodeFormLayout({0, 108, 200, 122, 544}), u("0,  108,  200,  122,  544"));
    const QString wide = EncodeFormLayout({2, -32000, -32000, 1234567, 987654321});
    EXPECT_EQ(wide, u("2,  -32000,  -32000,  1234567,  98765432"));
}

TEST(FormLayoutValue, ReadsBackOrNothing) {
    EXPECT_EQ(DecodeFormLayout(u("0,  108,  200,  122,  544")), (FormLayout{0, 108, 200, 122, 544}));
    EXPECT_EQ(DecodeFormLayout(u("2,5,6,7,8")), (FormLayout{2, 5, 6, 7, 8}));
    EXPECT_FALSE(DecodeFormLayout(u("err")));
    EXPECT_FALSE(DecodeFormLayout(u("")));
    EXPECT_FALSE(DecodeFormLayout(u("0,  108,  200")));
    EXPECT_FALSE(DecodeFormLayout(u("0,  1x,  200,  122,  544")));
}

namespace {

QList<GridColumn> manyColumns(int count) {
    QList<GridColumn> columns;
    for (int i = 0; i < count; ++i)
        columns.append({u("FIELD%1").arg(i), 40 + i, u("Заголовок столбца %1").arg(i)});
    return columns;
}

// A settings section in memory, as the profile reader would hand it back
// (blanks around a value are not part of it).
struct Store {
    QMap<QString, QString> values;
    explicit Store(const QList<GridEntry>& entries) {
        for (const GridEntry& e : entries) values.insert(e.key, e.value.trimmed());
    }
    QString operator()(const QString& key) const { return values.value(key, u("err")); }
};

}  // namespace

TEST(GridLayoutValue, OneKeyForAFewColumns) {
    const QList<GridEntry> entries =
        EncodeGridLayout(u("dbgDubl"), 0, {{u("FAM"), 120, u("Фамилия")}, {u("NOM"), 40, u("Номер")}});
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].key, u("dbgDubl0"));
    EXPECT_EQ(entries[0].value, u("FAM,  120,  Фамилия,  NOM,  40,  Номер,  "));
}

TEST(GridLayoutValue, ManyColumnsGoOnUnderContinuationKeysAndReadBack) {
    const QList<GridColumn> columns = manyColumns(30);
    const QList<GridEntry> entries = EncodeGridLayout(u("dbgDubl"), 3, columns);
    ASSERT_GE(entries.size(), 3);
    for (int n = 0; n < entries.size(); ++n) {
        EXPECT_EQ(entries[n].key, n == 0 ? u("dbgDubl3") : u("dbgDubl~%1~3").arg(n));
        EXPECT_LE(entries[n].value.size(), kGridValueLength);
        if (n + 1 < entries.size()) {
            EXPECT_TRUE(entries[n].value.endsWith(u("~%1~,  ").arg(n + 1))) << entries[n].value.toStdString();
            // A chunk is closed as soon as it has passed 170 characters.
            const qsizetype body = entries[n].value.size() - u("~%1~,  ").arg(n + 1).size();
            EXPECT_GT(body, kGridChunkLength);
        }
    }
    const auto back = DecodeGridLayout(u("dbgDubl"), 3, Store(entries));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, columns);
}

TEST(GridLayoutValue, LongTitlesNeverOverflowTheBuffer) {
    QList<GridColumn> columns;
    for (int i = 0; i < 6; ++i) columns.append({u("F%1").arg(i), 50, QString(120 + i, QChar(0x0416))});
    columns.append({u("HUGE"), 60, QString(400, QLatin1Char('x'))});
    const QList<GridEntry> entries = EncodeGridLayout(u("g"), 0, columns);
    for (const GridEntry& e : entries) EXPECT_LE(e.value.size(), kGridValueLength) << e.key.toStdString();
    const auto back = DecodeGridLayout(u("g"), 0, Store(entries));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), columns.size());
    for (int i = 0; i < 6; ++i) EXPECT_EQ((*back)[i], columns[i]);
    EXPECT_EQ((*back)[6].field, u("HUGE"));
    EXPECT_EQ((*back)[6].width, 60);
}

TEST(GridLayoutValue, MissingBrokenOrCircularValuesEndTheReading) {
    EXPECT_FALSE(DecodeGridLayout(u("g"), 0, [](const QString&) { return u("err"); }));

    const auto cut = DecodeGridLayout(u("g"), 0, [](const QString& key) {
        return key == u("g0") ? u("A,  10,  Первый,  B,  xx,  Второй,") : u("err");
    });
    ASSERT_TRUE(cut);
    EXPECT_EQ(*cut, (QList<GridColumn>{{u("A"), 10, u("Первый")}}));

    const auto missingNext = DecodeGridLayout(u("g"), 0, [](const QString& key) {
        return key == u("g0") ? u("A,  10,  a,  ~1~,") : u("err");
    });
    ASSERT_TRUE(missingNext);
    EXPECT_EQ(missingNext->size(), 1);

    const auto circle = DecodeGridLayout(u("g"), 0, [](const QString& key) {
        if (key == u("g0")) return u("A,  10,  a,  ~1~,");
        if (key == u("g~1~0")) return u("B,  20,  b,  ~1~,");
        return u("err");
    });
    ASSERT_TRUE(circle);
    EXPECT_EQ(circle->size(), 2);
}
