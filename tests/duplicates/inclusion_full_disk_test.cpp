// Both inclusions with a write, sync, rename or truncation failing at each
// point of a small case in turn (a full disk that stays full, or one I/O
// error): the run ends with an error that says so and names a file, and
// nothing escapes it; once the program is started again the databases are
// as after some whole number of rows (a row is written with the deletion of
// its duplicate row, or neither is), every tag verifies, no journal or group
// record is left, and a rerun ends exactly as an uninterrupted run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "duplicates/income_inclusion.h"
#include "duplicates/income_test_sources.h"
#include "duplicates/list_inclusion.h"
#include "support/catalogue_database.h"
#include "support/database_copy.h"
#include "support/fault_points.h"
#include "support/inclusion_progress.h"

using namespace kvzt;
using namespace kvzt::duplicates;
using test::AliasTable;
using test::DatabaseCopy;

namespace {

using Progress = test::InclusionProgressDouble;

using Run = std::function<InclusionResult(DatabaseCopy&, InclusionProgress&)>;
using State = std::vector<std::vector<std::string>>;

constexpr unsigned kKinds = engine::IoOps::Write | engine::IoOps::Sync | engine::IoOps::Rename | engine::IoOps::Truncate;

// Runs `run` on copies of the databases in `base` and `sprav`, failing each
// point of it in turn, and checks what is left; returns the points tried.
long Sweep(const test::CatalogueDatabase& db, const std::vector<AliasTable>& tables, const Run& run) {
    const std::string base = db.base.path(), sprav = db.sprav.path();
    // The states after 0, 1, 2, … whole rows: runs stopped after each row.
    std::vector<State> whole;
    State final;
    long points = 0;
    {
        DatabaseCopy copy(base, sprav);
        whole.push_back(copy.contents(tables));
        InclusionResult full;
        Progress progress;
        points = test::CountFaultPoints(kKinds, [&] { full = run(copy, progress); });
        EXPECT_TRUE(full.completed()) << full.errorText().toStdString();
        EXPECT_GT(full.written(), 1);
        final = copy.contents(tables);
        for (int k = 1; k < full.rows; ++k) {
            DatabaseCopy stopped(base, sprav);
            Progress stopping;
            stopping.stopAt = k;
            run(stopped, stopping);
            whole.push_back(stopped.contents(tables));
        }
        whole.push_back(final);
    }
    EXPECT_GT(points, 20);

    long tried = 0;
    for (bool fullDisk : {true, false}) {
        for (long at = 1; at <= points; ++at) {
            const std::string where = std::string(fullDisk ? "full disk" : "one I/O error") + " at point " +
                                      std::to_string(at) + " of " + std::to_string(points);
            DatabaseCopy copy(base, sprav);
            InclusionResult result;
            {
                engine::FaultInjection faults;
                faults.plan({kKinds, at, engine::FaultAction::Fail, fullDisk ? ENOSPC : EIO, fullDisk});
                try {
                    Progress progress;
                    result = run(copy, progress);
                } catch (const std::exception& e) {
                    ADD_FAILURE() << where << ": an exception escaped the run: " << e.what();
                }
                copy.close();  // the program closes its tables with the disk as it is
                if (!faults.fired()) continue;
            }
            ++tried;
            if (result.error) {
                const std::string text = result.errorText().toStdString();
                if (fullDisk) {
                    EXPECT_NE(text.find("Нет места на диске"), std::string::npos) << where << ": " << text;
                }
                EXPECT_TRUE(text.find(copy.base()) != std::string::npos || text.find(copy.sprav()) != std::string::npos)
                    << where << ": no file named: " << text;
            }

            copy.restart();
            for (const std::string& dir : {copy.base(), copy.sprav()})
                for (const std::string& name : test::LeftOverFiles(dir)) ADD_FAILURE() << where << ": left " << name;
            for (const std::string& problem : copy.tagProblems(tables)) ADD_FAILURE() << where << ": " << problem;
            const State found = copy.contents(tables);
            EXPECT_TRUE(std::find(whole.begin(), whole.end(), found) != whole.end())
                << where << ": a row is half-written";
            if (result.completed()) {
                EXPECT_EQ(found, final) << where << ": a failure reported as success";
            }

            Progress again;
            const InclusionResult rerun = run(copy, again);
            EXPECT_TRUE(rerun.completed()) << where << ": " << rerun.errorText().toStdString();
            EXPECT_EQ(copy.contents(tables), final) << where << ": the rerun does not end as an uninterrupted run";
        }
    }
    return tried;
}

void setPerson(engine::Table& t, int nom, const char* fam) {
    t.append();
    t.setInteger("NOM", nom);
    t.setString("FAM", fam);
    t.setString("NAME", "Пётр");
    t.setDate("DATEROG", {1960, 1, 2});
}

}  // namespace

TEST(InclusionFullDisk, ListInclusionKeepsEveryRowWholeOrAbsent) {
    test::SkippedSyncs quick;
    test::CatalogueDatabase db;
    {
        auto list = db.session->openTable("VX_B", "Spisok32");
        setPerson(*list, 12, "Старый");
        list->post();
        auto dups = db.session->openTable("VX_S", "Spis_D32");
        const std::pair<const char*, const char*> rows[] = {{"д", "Аа"}, {"з", "Бб"}, {"д", "Вв"}, {" ", "Гг"}};
        for (const auto& [incl, fam] : rows) {
            setPerson(*dups, 12, fam);
            dups->setString("INCL", incl);
            dups->post();
        }
    }
    const long tried = Sweep(db, {{"VX_B", "Spisok32"}, {"VX_S", "Spis_D32"}}, [](DatabaseCopy& copy, InclusionProgress& p) {
        return RunListInclusion(*copy.dm, {nullptr, {}, 0}, p);
    });
    test::ReportFaultPoints("list_inclusion", tried);
}

TEST(InclusionFullDisk, IncomeInclusionKeepsEveryStatementWithAllItsRowsOrNone) {
    test::SkippedSyncs quick;
    test::CatalogueDatabase db;
    test::TempDir src;
    const auto kind = import::SourceKind::Dos2;
    test::MakeIncomeSources(src.path(), kind);
    test::AddIncomeSourceRows(src.path(), kind, "8", "3030", "05", "Новый дом");
    test::AddIncomeSourceRows(src.path(), kind, "8", "4040", "", "Дача");
    test::AddIncomeSourceRows(src.path(), kind, "5", "1010", "01", "Квартира");
    {
        // A stored statement with its rows, replaced by the "з" row.
        auto sved = db.session->openTable("VX_B", "SvBase32");
        sved->append();
        sved->setString("ID", "        3");
        sved->setString("IDDOK", "       9");
        sved->setInteger("NOM", 1);
        sved->setString("FIO", "Старый");
        sved->post();
        auto doxod = db.session->openTable("VX_B", "Doxod22");
        doxod->append();
        doxod->setString("ID", "        3");
        doxod->setString("KOD", "0001");
        doxod->post();
        auto home = db.session->openTable("VX_B", "NH22");
        home->append();
        home->setString("ID", "        3");
        home->setString("NAME", "Старый дом");
        home->post();
        auto dups = db.session->openTable("VX_S", "SvB_32");
        const struct {
            const char* incl;
            const char* iddok;
            const char* iddokI;
            int nomdos;
        } rows[] = {{"з", "       9", "       9", 8}, {"д", "", "       2", 5}, {"x", "", "       4", 5}};
        for (const auto& row : rows) {
            dups->append();
            dups->setString("INCL", row.incl);
            dups->setString("IDDOK", row.iddok);
            dups->setString("IDDOK_I", row.iddokI);
            dups->setFloat("NOMDOS", row.nomdos);
            dups->setInteger("NOM", 1);
            dups->setString("FIO", std::string("Новый ") + row.iddokI);
            dups->post();
        }
    }
    const QString source = QString::fromStdString(src.path());
    const long tried = Sweep(db,
                             {{"VX_B", "SvBase32"}, {"VX_B", "Doxod22"}, {"VX_B", "Vicet22"}, {"VX_B", "NH22"},
                              {"VX_S", "SvB_32"}},
                             [&](DatabaseCopy& copy, InclusionProgress& p) {
                                 SetIncomeSources(*copy.dm, source, kind);
                                 return RunIncomeInclusion(*copy.dm, {kind, nullptr, {}, 0}, p);
                             });
    test::ReportFaultPoints("income_inclusion", tried);
}
