// python3-dbf reads what the import wrote: the taxpayer list and the
// statements, Cyrillic texts, dates, numbers and the right-aligned keys.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;

namespace {

const char* kPython = "/usr/bin/python3";

bool havePythonDbf() { return runCommand({kPython, "-c", "import dbf"}).exitCode == 0; }

// The records of a table as python3-dbf reads them: field name → value, per record.
std::vector<QJsonObject> readWithPython(engine::Database& db, const char* table) {
    const CommandResult r = runCommand({kPython, std::string(KVZT_SOURCE_DIR) + "/tests/oracles/python_dbf.py",
                                        "read", db.tablePath(table)});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    const QJsonArray fields = doc["fields"].toArray();
    std::vector<QJsonObject> records;
    for (const QJsonValue& record : doc["records"].toArray()) {
        const QJsonArray values = record.toObject()["values"].toArray();
        QJsonObject named;
        for (int i = 0; i < fields.size(); ++i) named[fields[i].toArray()[0].toString()] = values[i];
        records.push_back(named);
    }
    return records;
}

TEST(ImportPythonDbf, TheWrittenListAndStatementsReadBack) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    ImportFixture f;
    f.makeWinSources();
    auto list = f.source("SPISOK32");
    addRow(*list, {{"NOM", std::int64_t(31)},
                   {"FAM", std::string("Ёлкина-Щукина")},
                   {"NAME", std::string("Юлия")},
                   {"DATEROG", date(1975, 12, 31)},
                   {"ADRES", std::string(",  101000,  77,  ,  ,  ,  Тверская ул,  7")}});
    list->close();
    addRow(*f.source("SVBASE32"), {{"ID", std::string("        4")},
                                    {"IDDOK", std::string("      12")},
                                    {"NOM", std::int64_t(31)},
                                    {"FIO", std::string("Ёлкина-Щукина  Ю.")},
                                    {"SGDSUM", 98765.43}});
    const import::ImportResult r = f.run(import::SourceKind::Win32);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();

    engine::Database& base = f.db.session->database("VX_B");
    const std::vector<QJsonObject> persons = readWithPython(base, "SPISOK32");
    ASSERT_EQ(persons.size(), 1u);
    EXPECT_EQ(persons[0]["NOM"].toInt(), 1);
    EXPECT_EQ(persons[0]["FAM"].toString(), QStringLiteral("Ёлкина-Щукина"));
    EXPECT_EQ(persons[0]["NAME"].toString(), QStringLiteral("Юлия"));
    EXPECT_EQ(persons[0]["DATEROG"].toString(), QStringLiteral("1975-12-31"));
    EXPECT_EQ(persons[0]["ADRES"].toString(), QStringLiteral(",  101000,  77,  ,  ,  ,  Тверская ул,  7"));
    EXPECT_FALSE(persons[0]["ISKART"].toBool());

    const std::vector<QJsonObject> statements = readWithPython(base, "SVBASE32");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0]["ID"].toString(), QStringLiteral("        1"));
    EXPECT_EQ(statements[0]["IDDOK"].toString(), QStringLiteral("      12"));
    EXPECT_EQ(statements[0]["NOM"].toInt(), 1);
    EXPECT_EQ(statements[0]["FIO"].toString(), QStringLiteral("Ёлкина-Щукина  Ю."));
    EXPECT_DOUBLE_EQ(statements[0]["SGDSUM"].toDouble(), 98765.43);
}

}  // namespace
