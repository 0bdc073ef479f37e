// What the import refuses and how it ends on an error: missing files, the
// DOS 1.* kind, a source of another version, a damaged source, a target held
// by someone else, and an engine error in the middle of a statement, after
// which nothing is half-written and the next run works.

#include <gtest/gtest.h>

#include <filesystem>

#include "data/program_flags.h"
#include "engine/errors.h"
#include "engine/verify.h"
#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;
using import::SourceKind;

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Removes the file whatever the letter case of its name on disk.
void removeFile(const TempDir& dir, const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (QString::fromStdString(entry.path().filename().string()).compare(qs(name), Qt::CaseInsensitive) == 0) {
            std::filesystem::remove(entry.path());
        }
    }
}

void expectSoundTags(ImportFixture& f, const char* alias, const char* name) {
    auto table = f.target(alias, name);
    for (const engine::TagReport& report : engine::verifyTable(*table)) {
        EXPECT_TRUE(report.problems.empty()) << name << " " << report.tag;
    }
}

void expectRunClosedEverything(ImportFixture& f) {
    for (data::TableComponent* c : f.dm->components()) EXPECT_FALSE(c->active()) << c->name().toStdString();
    EXPECT_FALSE(f.dm->dbKvZt().inTransaction());
}

TEST(ImportFiles, EachKindNeedsItsFilesAndNamesTheFirstMissingOne) {
    ImportFixture f;
    f.makeDosSources();
    const QString src = qs(f.src.path());
    const QString imp = qs(f.imp.path());
    EXPECT_FALSE(import::CheckImportFiles(src, SourceKind::Dos2, imp));
    EXPECT_FALSE(import::CheckImportFiles(src + "/", SourceKind::Dos2, imp));

    removeFile(f.imp, "kldok.dbf");
    const auto books = import::CheckImportFiles(src + "/", SourceKind::Dos2, imp);
    ASSERT_TRUE(books);
    EXPECT_EQ(books->line1, "На пути " + imp + " нет файла \"kldok.dbf\"");
    EXPECT_EQ(books->line2, "Импорт не возможен");

    removeFile(f.src, "vicet.dbf");
    const auto list = import::CheckImportFiles(src, SourceKind::Dos2, imp);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->line1, "На указанном пути нет файла \"vicet.dbf\"");

    ImportFixture w;
    w.makeWinSources();
    const QString wsrc = qs(w.src.path());
    EXPECT_FALSE(import::CheckImportFiles(wsrc, SourceKind::Win32, {}));
    removeFile(w.src, "nh22.mdx");
    const auto mdx = import::CheckImportFiles(wsrc, SourceKind::Win32, {});
    ASSERT_TRUE(mdx);
    EXPECT_EQ(mdx->line1, "На указанном пути нет файла \"nh22.mdx\"");

    const auto dos1 = import::CheckImportFiles(wsrc, SourceKind::Dos1, {});
    ASSERT_TRUE(dos1);
    EXPECT_EQ(dos1->line2, "Импорт не возможен");
    import::ImportRequest request;
    request.kind = SourceKind::Dos1;
    request.srcDir = wsrc;
    TestProgress progress;
    const import::ImportResult r = import::RunImport(*w.dm, request, progress);
    EXPECT_TRUE(r.error);
    EXPECT_EQ(progress.maximum, -1);  // the run never started
}

TEST(ImportErrors, ASourceOfAnotherVersionIsRefusedBeforeAnythingIsWritten) {
    ImportFixture f;
    f.makeDosSources();
    // A list without the statement number of the DOS 2.* version.
    removeFile(f.src, "spisok.dbf");
    engine::Database dir("SRC", f.src.path(), engine::CodePage::Cp866);
    dir.createTable("Spisok", {C("FAM", 25), C("NAME", 20), C("OTC", 20), D("DATEROG")});
    addRow(*dir.openTable("Spisok"), {{"FAM", std::string("Орлов")}});
    addRow(*f.db.session->openTable("VX_S", "Spis_D32"), {{"FAM", std::string("Старый")}});

    const import::ImportResult r = f.run(SourceKind::Dos2);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.failedRecord, 0);
    EXPECT_NE(r.errorText().indexOf("нет поля"), -1) << r.errorText().toStdString();
    EXPECT_TRUE(r.errorText().startsWith("Импорт не выполнен: "));
    EXPECT_EQ(column(*f.base("SPISOK32"), "NOM").size(), 0u);
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "FAM").size(), 1u);  // refused before the emptying
    expectRunClosedEverything(f);
}

TEST(ImportErrors, ADamagedSourceGivesAMessageAndNoData) {
    ImportFixture f;
    f.makeWinSources();
    addRow(*f.source("SPISOK32"), {{"NOM", std::int64_t(1)}, {"FAM", std::string("Орлов")}});
    writeFile(f.src.file("DOXOD22.DBF"), std::string(40, '\x7f'));
    const import::ImportResult r = f.run(SourceKind::Win32);
    ASSERT_TRUE(r.error);
    EXPECT_FALSE(r.errorText().isEmpty());
    EXPECT_EQ(column(*f.base("SPISOK32"), "NOM").size(), 0u);
    expectRunClosedEverything(f);
}

TEST(ImportErrors, ATargetHeldExclusivelyStopsTheRunAndTheNextRunWorks) {
    ImportFixture f;
    f.makeWinSources();
    addRow(*f.source("SPISOK32"), {{"NOM", std::int64_t(1)}, {"FAM", std::string("Орлов")}});
    {
        engine::Session other(f.db.session->config());
        auto held = other.openTable("VX_S", "Spis_D32", engine::OpenMode::Exclusive);
        const import::ImportResult r = f.run(SourceKind::Win32);
        ASSERT_TRUE(r.error);
        try {
            std::rethrow_exception(r.error);
        } catch (const engine::EngineError& e) {
            EXPECT_EQ(e.code(), engine::code::TableInUse);
        }
        EXPECT_EQ(column(*f.base("SPISOK32"), "NOM").size(), 0u);
        expectRunClosedEverything(f);
    }
    const import::ImportResult again = f.run(SourceKind::Win32);
    EXPECT_TRUE(again.completed()) << again.errorText().toStdString();
    EXPECT_EQ(again.personsAdded, 1);
}

TEST(ImportErrors, AnErrorInsideAStatementRollsItBackWhole) {
    ImportFixture f;
    f.makeDosSources();
    auto list = f.db.session->openTableInDirectory(f.src.path(), "Spisok", engine::OpenMode::Shared);
    for (int nom : {1, 2, 3}) {
        addRow(*list, {{"FAM", std::string("Фамилия") + char('0' + nom)},
                       {"NOM", std::int64_t(nom)},
                       {"NOMDOK", std::int64_t(nom)},
                       {"ADRES", std::string("Россия")}});
    }
    list->close();
    auto doxod = f.db.session->openTableInDirectory(f.src.path(), "Doxod", engine::OpenMode::Shared);
    addRow(*doxod, {{"NOM", std::int64_t(1)}, {"KOD", std::string("2000")}, {"SUM", 10.0}});
    addRow(*doxod, {{"NOM", std::int64_t(2)}, {"KOD", std::string("2000")}, {"SUM", 20.0}});
    addRow(*doxod, {{"NOM", std::int64_t(2)}, {"KOD", std::string("2010")}, {"SUM", 1e13}});  // too wide for SUM N(11)
    doxod->close();

    // A transaction gathering records: the failing record takes the one
    // before it along, and the counts say so.
    const import::ImportResult gathered = f.run(SourceKind::Dos2, nullptr, 60000);
    ASSERT_TRUE(gathered.error);
    EXPECT_EQ(gathered.failedRecord, 2);
    EXPECT_EQ(gathered.processed, 0);
    EXPECT_EQ(gathered.personsAdded, 0);
    EXPECT_EQ(column(*f.base("SPISOK32"), "NOM").size(), 0u);
    EXPECT_EQ(column(*f.base("DOXOD22"), "ID").size(), 0u);
    expectRunClosedEverything(f);

    // A commit after each record: the first record stays.
    const import::ImportResult r = f.run(SourceKind::Dos2);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.failedRecord, 2);
    EXPECT_EQ(r.personsAdded, 1);
    EXPECT_EQ(column(*f.base("SPISOK32"), "NOM").size(), 1u);
    EXPECT_EQ(r.processed, 1);
    EXPECT_TRUE(r.errorText().startsWith("Импорт остановлен на записи 2 исходного списка: ")) << r.errorText().toStdString();
    expectRunClosedEverything(f);
    EXPECT_EQ(column(*f.base("SVBASE32"), "ID"), (std::vector<std::string>{"        1"}));
    EXPECT_EQ(column(*f.base("DOXOD22"), "ID"), (std::vector<std::string>{"        1"}));
    for (const char* name : {"SVBASE32", "DOXOD22", "SPISOK32"}) expectSoundTags(f, "VX_B", name);

    // The data module is ready for the next run.
    auto fix = f.db.session->openTableInDirectory(f.src.path(), "Doxod", engine::OpenMode::Shared);
    fix->last();
    fix->deleteRecord();
    fix->close();
    const import::ImportResult again = f.run(SourceKind::Dos2);
    EXPECT_TRUE(again.completed()) << again.errorText().toStdString();
}

// The duplicate tables live under the other alias (VX_S): a failed record
// must take back what the records of its transaction wrote there as well.
TEST(ImportErrors, AnErrorRollsBackTheDuplicateTablesToo) {
    ImportFixture f;
    f.makeDosSources();
    addRow(*f.db.session->openTable("VX_B", "SPISOK32"), {{"NOM", std::int64_t(4)},
                                                          {"FAM", std::string("Смирнова")},
                                                          {"DKOD", std::string("21")},
                                                          {"DNOM", std::string("1")},
                                                          {"INNFL", std::string("500100732259")},
                                                          {"JOBSTATUS", std::string("1")},
                                                          {"STATUS", std::string("2")}});
    addRow(*f.db.session->openTable("VX_B", "SVBASE32"),
           {{"ID", std::string("        1")}, {"IDDOK", std::string("       3")}, {"NOM", std::int64_t(4)}});
    auto list = f.db.session->openTableInDirectory(f.src.path(), "Spisok", engine::OpenMode::Shared);
    // Record 1 is the stored taxpayer's twin, with a statement to pair with his.
    addRow(*list, {{"FAM", std::string("Смирнова")},
                   {"DOK", std::string("Паспорт,1")},
                   {"INN", std::string("500100732259")},
                   {"MESTO", std::string("1")},
                   {"STATUS", std::string("2")},
                   {"ADRES", std::string("Россия")},
                   {"NOMDOK", std::int64_t(7)},
                   {"NOM", std::int64_t(1)}});
    addRow(*list, {{"FAM", std::string("Орлова")}, {"NOM", std::int64_t(2)}, {"NOMDOK", std::int64_t(8)}});
    list->close();
    auto doxod = f.db.session->openTableInDirectory(f.src.path(), "Doxod", engine::OpenMode::Shared);
    addRow(*doxod, {{"NOM", std::int64_t(2)}, {"KOD", std::string("2010")}, {"SUM", 1e13}});  // too wide for SUM N(11)
    doxod->close();

    const import::ImportResult gathered = f.run(SourceKind::Dos2, nullptr, 60000);
    ASSERT_TRUE(gathered.error);
    EXPECT_EQ(gathered.failedRecord, 2);
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "NOM").size(), 0u);
    EXPECT_EQ(column(*f.sprav("SVB_32"), "NOM").size(), 0u);
    EXPECT_FALSE(f.db.session->database("VX_S").inTransaction());
    expectRunClosedEverything(f);
    for (const char* name : {"SPIS_D32", "SVB_32"}) expectSoundTags(f, "VX_S", name);

    // Committed after each record: the twin's records stay, nothing of record 2.
    const import::ImportResult r = f.run(SourceKind::Dos2);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.personDuplicates, 1);
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "NOM"), (std::vector<std::string>{"4"}));
    EXPECT_EQ(column(*f.sprav("SVB_32"), "NOMDOS"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(column(*f.base("SPISOK32"), "FAM"), (std::vector<std::string>{"Смирнова"}));
}

}  // namespace
