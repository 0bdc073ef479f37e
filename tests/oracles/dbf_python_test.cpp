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

TEST(PythonDbf, WeReadItsTablesInTheCodePageItsDriverByteNames) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    struct Page {
        const char* name;
        CodePage cp;
        const char* word;  // letters outside ASCII that this page has
    };
    for (const Page& page : {Page{"cp866", CodePage::Cp866, "Щёголев"}, Page{"cp1251", CodePage::Cp1251, "Щёголев"},
                             Page{"cp437", CodePage::Cp437, "Ñoño Çé ü"}, Page{"cp850", CodePage::Cp850, "Øre Ñandú ß"},
                             Page{"cp852", CodePage::Cp852, "Łódź Příliš"}, Page{"cp865", CodePage::Cp865, "Ærøskøbing"},
                             Page{"cp1250", CodePage::Cp1250, "Zażółć Řeč"}, Page{"cp1252", CodePage::Cp1252, "Œuvre € ñ"}}) {
        SCOPED_TRACE(page.name);
        TempDir dir;
        std::string description = std::string(R"({"fields": "FAM C(15); SUM N(9,2); DR D; IS L", "codepage": ")") +
                                  page.name + R"(", "records": [[")" + page.word +
                                  R"(", 12.5, "1999-12-31", true], ["Ab", null, null, false],
                               ["deleted", 1, "2001-01-01", null]], "deleted": [2]})";
        auto r = kvzt::test::runCommand({kPython, script(), "write", dir.file("P.DBF")}, description);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        auto t = Table::open(dir.file("P.DBF"), OpenMode::ReadOnly, CodePage::Cp1251);
        EXPECT_EQ(t->codePage(), page.cp);
        ASSERT_FALSE(t->eof());
        EXPECT_EQ(t->asString("FAM"), page.word);
        EXPECT_DOUBLE_EQ(t->asFloat("SUM"), 12.5);
        EXPECT_EQ(t->asDate("DR"), (Date{1999, 12, 31}));
        EXPECT_TRUE(t->asBoolean("IS"));
        t->next();
        EXPECT_EQ(t->asString("FAM"), "Ab");
        EXPECT_TRUE(t->isNull("SUM"));
        EXPECT_TRUE(t->asDate("DR").isNull());
        EXPECT_FALSE(t->asBoolean("IS"));
        t->next();
        EXPECT_TRUE(t->eof()) << "the deleted record is hidden";
        EXPECT_EQ(t->recordCount(), 3u);
    }
}

// The real files of another engine, every character field as python3-dbf
// reads it in code page 437: holdings.dbf names 437 by its driver byte (and
// holds "Ñ"), industry.dbf names none and is opened with 437 as the default.
TEST(PythonDbf, LegacyDemoFilesReadAsItReadsThemInCodePage437) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    for (const char* name : {"holdings.dbf", "industry.dbf"}) {
        SCOPED_TRACE(name);
        const std::string path = kvzt::test::testDataDir() + "/legacy-demo/" + name;
        auto r = kvzt::test::runCommand({kPython, script(), "read", path, "cp437"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const QJsonObject expected = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        const QJsonArray fields = expected["fields"].toArray();
        const QJsonArray records = expected["records"].toArray();

        // The default is the one that would be wrong, so only the driver byte
        // (or, for industry.dbf, the default itself) decides.
        const bool ownDriver = std::string(name) == "holdings.dbf";
        auto t = Table::open(path, OpenMode::ReadOnly, ownDriver ? CodePage::Cp866 : CodePage::Cp437);
        EXPECT_EQ(t->codePage(), CodePage::Cp437);
        int row = 0;
        int compared = 0;
        bool sawEnye = false;
        for (; !t->eof(); t->next()) {
            while (row < records.size() && records[row].toObject()["deleted"].toBool()) ++row;
            ASSERT_LT(row, records.size());
            const QJsonArray values = records[row++].toObject()["values"].toArray();
            for (int f = 0; f < fields.size(); ++f) {
                if (fields[f].toArray()[1].toString() != "C") continue;
                const QString ours = q(t->asString(fields[f].toArray()[0].toString().toStdString())).trimmed();
                EXPECT_EQ(ours, values[f].toString().trimmed()) << "row " << row << ", field " << f;
                sawEnye = sawEnye || ours.contains(QChar(0x00D1));
                ++compared;
            }
        }
        EXPECT_GT(compared, 0);
        if (ownDriver) {
            EXPECT_TRUE(sawEnye);
        }
    }
}
