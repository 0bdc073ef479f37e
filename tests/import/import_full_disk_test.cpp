// The import on a disk that fills up at each write of a tiny source in turn:
// the run ends with a clear error (never an abort), and once space is freed
// and the program started again every tag agrees with its table, and a rerun
// completes without doubling anyone.

#include <gtest/gtest.h>

#include <cerrno>

#include "engine/fault_injection.h"
#include "engine/verify.h"
#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;

namespace {

constexpr int kPersons = 3;

void makeSource(ImportFixture& f) {
    f.makeWinSources();
    auto list = f.source("SPISOK32");
    auto sved = f.source("SVBASE32");
    auto doxod = f.source("DOXOD22");
    for (int n = 1; n <= kPersons; ++n) {
        addRow(*list, {{"NOM", std::int64_t(n)}, {"FAM", "Фамилия" + std::to_string(n)}, {"DATEROG", date(1970 + n, 1, 1)}});
        const std::string sid = std::to_string(n);
        addRow(*sved, {{"ID", sid}, {"IDDOK", std::string("1")}, {"NOM", std::int64_t(n)}});
        addRow(*doxod, {{"ID", sid}, {"KOD", std::string("2000")}, {"SUM", 10.0 * n}});
    }
}

// A copy of the fixture's database, opened as the program opens it.
struct Copy {
    TempDir dir;
    std::unique_ptr<engine::Session> session;
    std::unique_ptr<data::TdmKVZT> dm;

    explicit Copy(ImportFixture& f) {
        EXPECT_EQ(runCommand({"cp", "-r", f.db.base.path(), dir.file("base")}).exitCode, 0);
        EXPECT_EQ(runCommand({"cp", "-r", f.db.sprav.path(), dir.file("sprav")}).exitCode, 0);
        open();
    }
    void open() {
        engine::AliasConfig config;
        config.setAlias("VX_B", dir.file("base"));
        config.setAlias("VX_S", dir.file("sprav"));
        session = std::make_unique<engine::Session>(config);
        dm = std::make_unique<data::TdmKVZT>(*session, data::TdmKVZT::Connect::Later);
    }
    // The program closed and started again.
    void restart() {
        dm.reset();
        session.reset();
        open();
    }
    import::ImportResult run(ImportFixture& f) {
        import::ImportRequest request;
        request.srcDir = QString::fromStdString(f.src.path());
        request.kind = import::SourceKind::Win32;
        request.transactionSpanMs = 0;
        TestProgress progress;
        return import::RunImport(*dm, request, progress);
    }
    int persons() {
        auto t = session->openTable("VX_B", "Spisok32", engine::OpenMode::ReadOnly);
        int n = 0;
        for (t->first(); !t->eof(); t->next()) ++n;
        return n;
    }
};

}  // namespace

TEST(ImportFullDisk, EveryWritePointEndsInAClearErrorAndARerunCompletes) {
    ImportFixture f;
    makeSource(f);
    long points = 0;
    {
        Copy copy(f);
        engine::FaultInjection faults;
        faults.plan({engine::IoOps::Write, 0});
        ASSERT_TRUE(copy.run(f).completed());
        points = faults.count();
    }
    ASSERT_GT(points, 10);
    for (long at = 1; at <= points; ++at) {
        const std::string where = "write " + std::to_string(at) + " of " + std::to_string(points);
        Copy copy(f);
        import::ImportResult result;
        {
            engine::FaultInjection faults;  // the disk stays full until the run is over
            faults.plan({engine::IoOps::Write, at, engine::FaultAction::Fail, ENOSPC, true});
            result = copy.run(f);
            copy.dm.reset();  // the program closes its tables with the disk still full
        }
        EXPECT_FALSE(result.completed()) << where;
        EXPECT_TRUE(result.errorText().contains(QStringLiteral("Нет места на диске"))) << where;

        copy.restart();
        for (const auto& [alias, table] : std::vector<std::pair<const char*, const char*>>{
                 {"VX_B", "Spisok32"}, {"VX_B", "Svbase32"}, {"VX_B", "Doxod22"}, {"VX_S", "Spis_D32"}, {"VX_S", "SvB_32"}}) {
            auto t = copy.session->openTable(alias, table, engine::OpenMode::ReadOnly);
            for (const engine::TagReport& report : engine::verifyTable(*t))
                EXPECT_TRUE(report.problems.empty()) << where << ": " << table << " " << report.tag;
        }
        const import::ImportResult rerun = copy.run(f);
        EXPECT_TRUE(rerun.completed()) << where << ": " << rerun.errorText().toStdString();
        EXPECT_EQ(copy.persons(), kPersons) << where;
    }
}
