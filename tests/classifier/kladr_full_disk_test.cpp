// The classifier import of one region (its settlements; the street file
// would double the points without reaching other code) with a write, sync, rename or
// truncation failing at each point in turn (a full disk that stays full, or
// one I/O error): the run stops with an error that says so and names a
// file; once the program is started again no journal is left and every tag
// there is agrees with its table; the region marked again and the run
// repeated, the tables end exactly as after an uninterrupted run, with their
// catalogue tags (no abbreviation twice, no record twice).

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "classifier/kladr_process.h"
#include "schema/index_catalogue.h"
#include "schema/reference_books.h"
#include "support/catalogue_database.h"
#include "support/database_copy.h"
#include "support/fault_points.h"

using namespace kvzt;
using test::AliasTable;
using test::DatabaseCopy;

namespace {

class QuietProgress final : public classifier::KladrProgress {
public:
    void setMaximum(int) override {}
    void advance(int) override {}
    void setPosition(int) override {}
    void setStatusText(const QString&) override {}
};

const std::vector<AliasTable> kTables = {{"VX_S", "K1REG"}, {"VX_S", "K2RAI"}, {"VX_S", "K3TOW"}, {"VX_S", "K4NAS"},
                                         {"VX_S", "K5ULI"}, {"VX_S", "K6DOM"}, {"VX_S", "K7SOCR"}};

constexpr unsigned kKinds = engine::IoOps::Write | engine::IoOps::Sync | engine::IoOps::Rename | engine::IoOps::Truncate;

// Marks the region, as the window and the command line do, and imports it without streets.
void importRegion(DatabaseCopy& copy, const std::string& sources) {
    ASSERT_TRUE(classifier::MarkRegions(*copy.dm, {QStringLiteral("77")}));
    QuietProgress progress;
    classifier::KladrProcess(*copy.dm, {QString::fromStdString(sources), false}, progress);
}

}  // namespace

TEST(KladrFullDisk, AFailedImportIsRepeatedToTheSameEndAndLeavesSoundTags) {
    test::SkippedSyncs quick;
    test::CatalogueDatabase db;
    schema::FillReferenceBooks(*db.session, QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks"));
    db.session.reset();  // every table closed and written before the copies are made
    const std::string sources = KVZT_SOURCE_DIR "/samples/kladr/small";

    long points = 0;
    std::vector<std::vector<std::string>> final;
    {
        DatabaseCopy copy(db.base.path(), db.sprav.path());
        points = test::CountFaultPoints(kKinds, [&] { importRegion(copy, sources); });
        final = copy.contents(kTables);
    }
    ASSERT_GT(points, 20);

    long tried = 0;
    for (bool fullDisk : {true, false}) {
        for (long at = 1; at <= points; ++at) {
            const std::string where = std::string(fullDisk ? "full disk" : "one I/O error") + " at point " +
                                      std::to_string(at) + " of " + std::to_string(points);
            DatabaseCopy copy(db.base.path(), db.sprav.path());
            {
                engine::FaultInjection faults;
                faults.plan({kKinds, at, engine::FaultAction::Fail, fullDisk ? ENOSPC : EIO, fullDisk});
                try {
                    importRegion(copy, sources);
                } catch (const std::exception& e) {
                    // EngineError, or a pack error carrying the engine's message
                    const std::string text = e.what();
                    if (fullDisk) {
                        EXPECT_NE(text.find("Нет места на диске"), std::string::npos) << where << ": " << text;
                    }
                    EXPECT_NE(text.find(copy.sprav()), std::string::npos) << where << ": no file named: " << text;
                }
                copy.close();
                if (!faults.fired()) continue;
            }
            ++tried;
            try {
                copy.restart();
                for (const std::string& dir : {copy.base(), copy.sprav()})
                    for (const std::string& name : test::LeftOverFiles(dir)) ADD_FAILURE() << where << ": left " << name;
                for (const std::string& problem : copy.tagProblems(kTables)) ADD_FAILURE() << where << ": " << problem;
            } catch (const std::exception& e) {
                ADD_FAILURE() << where << ": after the restart: " << e.what();
            }

            try {
                importRegion(copy, sources);
            } catch (const std::exception& e) {
                ADD_FAILURE() << where << ": the rerun failed: " << e.what();
            }
            try {
                EXPECT_EQ(copy.contents(kTables), final) << where << ": the rerun does not end as an uninterrupted run";
                for (const AliasTable& t : kTables) {
                    auto table = copy.session->openTable(t.alias, t.table, engine::OpenMode::ReadOnly);
                    std::vector<std::string> expected;
                    for (const auto& tag : schema::CatalogueTags(QString::fromLatin1(t.table))) expected.push_back(tag.name);
                    EXPECT_EQ(table->tagNames(), expected) << where << ": " << t.table;
                }
                for (const std::string& problem : copy.tagProblems(kTables))
                    ADD_FAILURE() << where << " (after the rerun): " << problem;
            } catch (const std::exception& e) {
                ADD_FAILURE() << where << ": after the rerun: " << e.what();
            }
        }
    }
    test::ReportFaultPoints("kladr_import", tried);
}
