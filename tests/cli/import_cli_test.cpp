// kvzt-cli import: the counts it prints, --empty-target, and the refusals.

#include <gtest/gtest.h>

#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;

namespace {

CommandResult cli(ImportFixture& f, std::vector<std::string> args) {
    args.insert(args.begin(), {cliPath(), "import"});
    for (const std::string& alias : {"VX_B=" + f.db.base.path(), "VX_S=" + f.db.sprav.path()}) {
        args.push_back("--alias");
        args.push_back(alias);
    }
    return runCommand(args);
}

TEST(ImportCli, PrintsTheCountsAndEmptiesTheTargetsWhenAsked) {
    ImportFixture f;
    f.makeDosSources();
    addRow(*f.db.session->openTableInDirectory(f.src.path(), "Spisok", engine::OpenMode::Shared),
           {{"FAM", std::string("Орлова")}, {"NOM", std::int64_t(1)}, {"NOMDOK", std::int64_t(5)}});
    addRow(*f.db.session->openTable("VX_B", "DOXOD22"), {{"ID", std::string("old")}});

    const CommandResult first = cli(f, {"--kind", "2", f.src.path() + "/", "--imp-dir", f.imp.path()});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find("Добавлено таксантов: 1\n"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Добавлено сведений о доходах: 1\n"), std::string::npos);
    EXPECT_NE(first.out.find("SpisDblFound: нет\n"), std::string::npos);
    EXPECT_NE(first.err.find("импорт: 100% (1/1)"), std::string::npos) << first.err;

    const CommandResult clean =
        cli(f, {"--kind", "2", f.src.path(), "--imp-dir", f.imp.path(), "--empty-target"});
    ASSERT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_NE(clean.out.find("Добавлено таксантов: 1\n"), std::string::npos) << clean.out;
    EXPECT_EQ(column(*f.base("DOXOD22"), "ID").size(), 0u);  // the old row went with the emptying
}

TEST(ImportCli, RefusesMissingFilesAndBadUsage) {
    ImportFixture f;
    f.makeWinSources();
    const CommandResult missing = cli(f, {"--kind", "2", f.src.path(), "--imp-dir", f.imp.path()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("На указанном пути нет файла \"spisok.dbf\"\nИмпорт не возможен"), std::string::npos)
        << missing.err;
    EXPECT_EQ(cli(f, {"--kind", "1", f.src.path()}).exitCode, 2);
    EXPECT_EQ(cli(f, {"--kind", "3"}).exitCode, 2);
}

}  // namespace
