// Our .dbf files read by python3-dbf, and its files read by us, value for value.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engine/database.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

const char* kPython = "/usr/bin/python3";

std::string script() { return std::string(KVZT_SOURCE_DIR) + "/tests/oracles/python_dbf.py"; }

bool havePythonDbf() {
    return kvzt::test::runCommand({kPython, "-c", "import dbf"}).exitCode == 0;
}

QJsonObject readWithPython(const std::string& path) {
    auto r = kvzt::test::runCommand({kPython, script(), "read", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

QString q(const std::string& s) { return QString::fromStdString(s); }

struct Row {
    std::string name;
    Value num;
    Date date;
    std::optional<bool> flag;
    bool deleted;
};

// Names at the width limit, Cyrillic letters that differ between the code
// pages, empty numbers and dates, a deleted record.
const std::vector<Row> kRows = {
    {"Иванов-Петров Ёжик ЩУКА", 1234567.89, Date{1987, 9, 13}, true, false},
    {"ёжЯя", -0.5, Date{}, false, false},
    {"", std::monostate{}, Date{2000, 2, 29}, std::nullopt, true},
    {"Ширина ровно двадцать пять", std::int64_t(-999999), Date{1900, 1, 1}, true, false},
};

}  // namespace

TEST(PythonDbf, ReadsOurTablesValueForValueInBothCodePages) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    for (CodePage cp : {CodePage::Cp866, CodePage::Cp1251}) {
        TempDir dir;
        Database db("X", dir.path(), cp);
        db.createTable("T", {{"NAME", 'C', 25, 0}, {"SUM", 'N', 10, 2}, {"DATEROG", 'D', 8, 0}, {"OK", 'L', 1, 0}});
        auto t = db.openTable("T");
        for (const Row& row : kRows) {
            t->append();
            t->setString("NAME", row.name);
            t->setValue("SUM", row.num);
            t->setDate("DATEROG", row.date);
            if (row.flag) t->setBoolean("OK", *row.flag);
            t->post();
            if (row.deleted) t->deleteRecord();
        }
        t->close();

        QJsonObject table = readWithPython(dir.file("T.DBF"));
        EXPECT_TRUE(table["codepage"].toString().startsWith(cp == CodePage::Cp866 ? "cp866" : "cp1251"));
        QJsonArray fields = table["fields"].toArray();
        ASSERT_EQ(fields.size(), 4);
        EXPECT_EQ(fields[0].toArray()[0].toString(), "NAME");
        EXPECT_EQ(fields[0].toArray()[2].toInt(), 25);
        EXPECT_EQ(fields[1].toArray()[1].toString(), "N");
        EXPECT_EQ(fields[1].toArray()[3].toInt(), 2);
        QJsonArray records = table["records"].toArray();
        ASSERT_EQ(records.size(), int(kRows.size()));
        for (size_t i = 0; i < kRows.size(); ++i) {
            QJsonObject r = records[int(i)].toObject();
            QJsonArray v = r["values"].toArray();
            const Row& row = kRows[i];
            EXPECT_EQ(r["deleted"].toBool(), row.deleted) << i;
            EXPECT_EQ(v[0].toString(), q(row.name).left(25)) << i;
            if (std::holds_alternative<std::monostate>(row.num))
                EXPECT_TRUE(v[1].isNull()) << i;
            else if (auto* d = std::get_if<double>(&row.num))
                EXPECT_DOUBLE_EQ(v[1].toDouble(), *d) << i;
            else
                EXPECT_EQ(v[1].toInteger(), std::get<std::int64_t>(row.num)) << i;
            if (row.date.isNull())
                EXPECT_TRUE(v[2].isNull()) << i;
            else
                EXPECT_EQ(v[2].toString().toStdString(),
                          row.date.toDbf().substr(0, 4) + "-" + row.date.toDbf().substr(4, 2) + "-" +
                              row.date.toDbf().substr(6, 2))
                    << i;
            if (row.flag)
                EXPECT_EQ(v[3].toBool(), *row.flag) << i;
            else
                EXPECT_TRUE(v[3].isNull()) << i;
        }
    }
}

TEST(PythonDbf, WeReadItsTables) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    for (const char* codepage : {"cp866", "cp1251"}) {
        TempDir dir;
        std::string description = std::string(R"({"fields": "FAM C(15); SUM N(9,2); DR D; IS L", "codepage": ")") + codepage +
                           R"(", "records": [["Щёголев", 12.5, "1999-12-31", true], ["Ъ", null, null, false],
                               ["удалённый", 1, "2001-01-01", null]], "deleted": [2]})";
        auto r = kvzt::test::runCommand({kPython, script(), "write", dir.file("P.DBF")}, description);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        auto t = Table::open(dir.file("P.DBF"), OpenMode::ReadOnly, CodePage::Cp1251);
        EXPECT_EQ(t->codePage(), std::string(codepage) == "cp866" ? CodePage::Cp866 : CodePage::Cp1251);
        ASSERT_FALSE(t->eof());
        EXPECT_EQ(t->asString("FAM"), "Щёголев");
        EXPECT_DOUBLE_EQ(t->asFloat("SUM"), 12.5);
        EXPECT_EQ(t->asDate("DR"), (Date{1999, 12, 31}));
        EXPECT_TRUE(t->asBoolean("IS"));
        t->next();
        EXPECT_EQ(t->asString("FAM"), "Ъ");
        EXPECT_TRUE(t->isNull("SUM"));
        EXPECT_TRUE(t->asDate("DR").isNull());
        EXPECT_FALSE(t->asBoolean("IS"));
        t->next();
        EXPECT_TRUE(t->eof()) << "the deleted record is hidden";
        EXPECT_EQ(t->recordCount(), 3u);
    }
}
