// The import on a disk that fills up at each write of a tiny source in turn:
// the run ends with a clear error (never an abort), and once space is freed
// and the program started again every tag agrees with its table, and a rerun
// completes without doubling anyone.

#include <gtest/gtest.h>

#include <cerrno>

#include "engine/fault_injection.h"
#include "engine/verify.h"
#include "import/import_test_sources.h"
#include "support/database_copy.h"
#include "support/fault_points.h"

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

import::ImportResult runImport(DatabaseCopy& copy, ImportFixture& f) {
    import::ImportRequest request;
    request.srcDir = QString::fromStdString(f.src.path());
    request.kind = import::SourceKind::Win32;
    request.transactionSpanMs = 0;
    TestProgress progress;
    return import::RunImport(*copy.dm, request, progress);
}

const std::vector<AliasTable> kTables = {
    {"VX_B", "Spisok32"}, {"VX_B", "Svbase32"}, {"VX_B", "Doxod22"}, {"VX_S", "Spis_D32"}, {"VX_S", "SvB_32"}};

}  // namespace

TEST(ImportFullDisk, EveryWritePointEndsInAClearErrorAndARerunCompletes) {
    SkippedSyncs quick;
    ImportFixture f;
    makeSource(f);
    long points = 0;
    {
        DatabaseCopy copy(f.db.base.path(), f.db.sprav.path());
        points = CountFaultPoints(engine::IoOps::Write, [&] { ASSERT_TRUE(runImport(copy, f).completed()); });
    }
    ASSERT_GT(points, 10);
    ReportFaultPoints("import_writes", points);
    for (long at = 1; at <= points; ++at) {
        const std::string where = "write " + std::to_string(at) + " of " + std::to_string(points);
        DatabaseCopy copy(f.db.base.path(), f.db.sprav.path());
        import::ImportResult result;
        {
            engine::FaultInjection faults;  // the disk stays full until the run is over
            faults.plan({engine::IoOps::Write, at, engine::FaultAction::Fail, ENOSPC, true});
            result = runImport(copy, f);
            copy.close();  // the program closes its tables with the disk still full
        }
        EXPECT_FALSE(result.completed()) << where;
        EXPECT_TRUE(result.errorText().contains(QStringLiteral("Нет места на диске"))) << where;

        copy.restart();
        for (const std::string& problem : copy.tagProblems(kTables)) ADD_FAILURE() << where << ": " << problem;
        const import::ImportResult rerun = runImport(copy, f);
        EXPECT_TRUE(rerun.completed()) << where << ": " << rerun.errorText().toStdString();
        EXPECT_EQ(copy.contents(kTables.front()).size(), std::size_t(kPersons)) << where;
    }
}
