// kvzt-cli kladr import and delete, run as a separate program over a scratch
// database, and an independent reader of a loaded K5ULI.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/session.h"
#include "engine/table.h"
#include "schema/reference_books.h"
#include "support/catalogue_database.h"

using namespace kvzt;
using kvzt::test::CommandResult;

namespace {

class KladrCliTest : public ::testing::Test {
protected:
    KladrCliTest() {
        schema::FillReferenceBooks(*db.session, QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks"));
        for (const char* name : {"kladr.dbf", "street.dbf"}) {
            test::copyFile(std::string(KVZT_SOURCE_DIR) + "/samples/kladr/small/" + name, src.file(name));
        }
    }

    CommandResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), test::cliPath());
        args.push_back("--alias");
        args.push_back("VX_B=" + db.base.path());
        args.push_back("--alias");
        args.push_back("VX_S=" + db.sprav.path());
        return test::runCommand(args);
    }

    int count(const char* table) {
        auto t = db.session->openTable("VX_S", table, engine::OpenMode::ReadOnly);
        int n = 0;
        for (t->first(); !t->eof(); t->next()) ++n;
        return n;
    }

    test::CatalogueDatabase db;
    test::TempDir src;
};

TEST_F(KladrCliTest, ImportAndDeleteByRegion) {
    const CommandResult imported = cli({"kladr", "import", src.path(), "--regions", "77,66"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("66, 77"), std::string::npos) << imported.out;
    EXPECT_NE(imported.out.find("улиц "), std::string::npos) << imported.out;
    EXPECT_NE(imported.err.find("Импорт КЛАДР успешно выполнен"), std::string::npos) << imported.err;
    const int streets = count("K5ULI");
    EXPECT_GT(streets, 0);

    const CommandResult verify = cli({"verify", "VX_S:K5ULI"});
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;

    const CommandResult deleted = cli({"kladr", "delete", "--regions", "66"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_NE(deleted.out.find("66"), std::string::npos);
    EXPECT_LT(count("K5ULI"), streets);
    EXPECT_GT(count("K5ULI"), 0);
}

TEST_F(KladrCliTest, MissingFilesAndBadRegions) {
    test::TempDir empty;
    const CommandResult noKladr = cli({"kladr", "import", empty.path(), "--regions", "all"});
    EXPECT_NE(noKladr.exitCode, 0);
    EXPECT_NE(noKladr.err.find("Отсутствует файл классификатора (Kladr.dbf)"), std::string::npos) << noKladr.err;

    test::TempDir kladrOnly;
    test::copyFile(src.file("kladr.dbf"), kladrOnly.file("KLADR.DBF"));
    const CommandResult noStreet = cli({"kladr", "import", kladrOnly.path(), "--regions", "50"});
    EXPECT_NE(noStreet.exitCode, 0);
    EXPECT_NE(noStreet.err.find("street.dbf"), std::string::npos) << noStreet.err;
    EXPECT_NE(noStreet.err.find("--no-streets"), std::string::npos) << noStreet.err;
    EXPECT_EQ(count("K4NAS"), 0);

    const CommandResult withoutStreets = cli({"kladr", "import", kladrOnly.path(), "--regions", "50", "--no-streets"});
    EXPECT_EQ(withoutStreets.exitCode, 0) << withoutStreets.err;
    EXPECT_GT(count("K4NAS"), 0);
    EXPECT_EQ(count("K5ULI"), 0);

    EXPECT_EQ(cli({"kladr", "delete", "--regions", "42x"}).exitCode, 2);
    EXPECT_EQ(cli({"kladr", "delete"}).exitCode, 2);
    EXPECT_EQ(cli({"kladr", "purge", "--regions", "all"}).exitCode, 2);
}

TEST_F(KladrCliTest, IndependentReaderReadsLoadedStreets) {
    const std::string python = "/usr/bin/python3";
    if (test::runCommand({python, "-c", "import dbf"}).exitCode != 0) GTEST_SKIP() << "python3-dbf is not installed";
    ASSERT_EQ(cli({"kladr", "import", src.path(), "--regions", "77"}).exitCode, 0);
    std::string firstName;
    {
        auto t = db.session->openTable("VX_S", "K5ULI", engine::OpenMode::ReadOnly);
        t->first();
        firstName = t->asString("NAME");
    }
    const std::string script =
        "import sys, dbf\n"
        "t = dbf.Table(sys.argv[1])\n"
        "t.open(dbf.READ_ONLY)\n"
        "sys.stdout.buffer.write(('%d|%s|%s' % (len(t), t[0].name.strip(), t[0].kodreg)).encode('utf-8'))\n"
        "t.close()\n";
    const std::string path = db.sprav.file("K5ULI.DBF");
    const CommandResult run = test::runCommand({python, "-c", script, path});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, std::to_string(count("K5ULI")) + "|" + firstName + "|77");
}

}  // namespace
