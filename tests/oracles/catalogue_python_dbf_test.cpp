// python3-dbf as the independent reader: every catalogue table we create,
// and kvzt-cli dump of the real fixture tables.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <map>

#include "engine/database.h"
#include "engine/table.h"
#include "schema/table_catalogue.h"
#include "support/test_support.h"

using namespace kvzt::schema;
using kvzt::engine::CodePage;
using kvzt::engine::Database;
using kvzt::test::CommandResult;
using kvzt::test::TempDir;

namespace {

const char* kPython = "/usr/bin/python3";

std::string helper() { return std::string(KVZT_SOURCE_DIR) + "/tests/oracles/catalogue_dbf.py"; }

bool havePythonDbf() { return kvzt::test::runCommand({kPython, "-c", "import dbf"}).exitCode == 0; }

CommandResult run(std::vector<std::string> args, const std::string& program) {
    args.insert(args.begin(), program);
    return kvzt::test::runCommand(args);
}

CommandResult python(std::vector<std::string> args) {
    args.insert(args.begin(), helper());
    return run(args, kPython);
}

CommandResult cli(std::vector<std::string> args) { return run(args, kvzt::test::cliPath()); }

void copyFixtures(const TempDir& dir) {
    for (const char* name : {"holdings.dbf", "holdings.mdx", "industry.dbf", "industry.mdx"}) {
        kvzt::test::copyFile(kvzt::test::testDataDir() + "/legacy-demo/" + name, dir.file(name));
    }
}

}  // namespace

TEST(CataloguePythonDbf, EveryTableReadsBackWithTheCatalogueLayout) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    TempDir base;
    TempDir sprav;
    Database vxB("VX_B", base.path(), CodePage::Cp1251);
    Database vxS("VX_S", sprav.path(), CodePage::Cp1251);
    const QStringList list = BuildTableCatalogue();
    const QVector<CatalogueTable> tables = CatalogueTables(list);
    ASSERT_EQ(tables.size(), 40);

    std::vector<std::string> args{"describe"};
    std::map<std::string, const CatalogueTable*> byPath;
    for (const CatalogueTable& t : tables) {
        Database& db = t.alias == QLatin1String("VX_B") ? vxB : vxS;
        CreateTableFromCatalogue(db, list, t.fileName, t.firstFieldLine(), t.fieldCount);
        const std::string path = db.tablePath(t.fileName.toStdString());
        args.push_back(path);
        byPath[path] = &t;
    }
    const CommandResult r = python(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;

    int seen = 0;
    for (const QByteArray& line : QByteArray::fromStdString(r.out).split('\n')) {
        if (line.trimmed().isEmpty()) continue;
        const QJsonObject table = QJsonDocument::fromJson(line).object();
        const std::string path = table["file"].toString().toStdString();
        ASSERT_TRUE(byPath.count(path)) << path;
        const CatalogueTable& t = *byPath[path];
        const QJsonArray fields = table["fields"].toArray();
        ASSERT_EQ(fields.size(), t.fieldCount) << path;
        for (int i = 0; i < t.fieldCount; ++i) {
            const QString lineText = list.at(t.firstFieldLine() + i);
            const QJsonArray f = fields.at(i).toArray();
            const QString name = lineText.section(QLatin1Char(' '), 0, 0).left(11);
            EXPECT_EQ(f.at(0).toString(), name) << path;
            const ParsedFieldType parsed = ParseFieldType(lineText);
            const QString size = lineText.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0);
            const QString type = f.at(1).toString();
            const int length = f.at(2).toInt();
            const int decimals = f.at(3).toInt();
            switch (parsed.type) {
                case CatalogueFieldType::String:
                    EXPECT_EQ(type, "C") << lineText.toStdString();
                    EXPECT_EQ(length, parsed.size) << lineText.toStdString();
                    break;
                case CatalogueFieldType::Date:
                    EXPECT_EQ(type, "D") << lineText.toStdString();
                    break;
                case CatalogueFieldType::Boolean:
                    EXPECT_EQ(type, "L") << lineText.toStdString();
                    break;
                default:
                    EXPECT_EQ(type, "N") << lineText.toStdString();
                    EXPECT_EQ(length, size.section(QLatin1Char(','), 0, 0).toInt()) << lineText.toStdString();
                    EXPECT_EQ(decimals, size.section(QLatin1Char(','), 1, 1).toInt()) << lineText.toStdString();
            }
        }
        ++seen;
    }
    EXPECT_EQ(seen, 40);
}

TEST(CataloguePythonDbf, DumpOfTheFixturesEqualsWhatPythonReads) {
    if (!havePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    TempDir dir;
    copyFixtures(dir);
    struct Case {
        const char* table;
        const char* tag;  // and the field python orders by
        bool unique;      // one record per key
    };
    // Natural order and each tag's order (the tags are single fields; the
    // real file's IND_CODE tag is unique, so equal codes show once).
    for (const Case& c : {Case{"holdings.dbf", "", false}, Case{"holdings.dbf", "SYMBOL", false},
                          Case{"holdings.dbf", "ACCT_NBR", false}, Case{"industry.dbf", "", false},
                          Case{"industry.dbf", "IND_CODE", true}}) {
        std::vector<std::string> dumpArgs{"dump", dir.file(c.table)};
        std::vector<std::string> pyArgs{"dump", dir.file(c.table)};
        if (*c.tag) {
            dumpArgs.insert(dumpArgs.end(), {"--tag", c.tag});
            pyArgs.insert(pyArgs.end(), {"--order", c.tag});
        }
        if (c.unique) {
            pyArgs.push_back("--distinct");
        }
        const CommandResult ours = cli(dumpArgs);
        const CommandResult theirs = python(pyArgs);
        ASSERT_EQ(ours.exitCode, 0) << ours.err;
        ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
        EXPECT_EQ(ours.out, theirs.out) << c.table << " " << c.tag;
    }

    // Deleted records: marked through the engine, read by both.
    {
        Database db("D", dir.path(), CodePage::Cp866);
        auto t = db.openTable("holdings");
        for (int skip : {0, 6, 20}) {
            for (int i = 0; i < skip && !t->eof(); ++i) t->next();
            t->deleteRecord();
        }
        t->close();
    }
    const CommandResult ours = cli({"dump", dir.file("holdings.dbf"), "--deleted"});
    const CommandResult theirs = python({"dump", dir.file("holdings.dbf"), "--deleted"});
    ASSERT_EQ(ours.exitCode, 0) << ours.err;
    EXPECT_EQ(ours.out, theirs.out);
    EXPECT_EQ(std::count(ours.out.begin(), ours.out.end(), '\n'), 4);
    const CommandResult live = cli({"dump", dir.file("holdings.dbf")});
    EXPECT_EQ(live.out, python({"dump", dir.file("holdings.dbf")}).out);
}
