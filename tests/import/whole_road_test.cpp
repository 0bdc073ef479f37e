// The whole road an accountant takes after an import with duplicates: the
// Win 3.2 sample set and then the DOS 2.* set are imported, the user decides
// on the taxpayer duplicates (replace one, add one, leave the rest) and on the
// statement duplicates (replace one, add one, leave the rest), and both
// inclusions run. Afterwards the tables hold exactly those decisions and
// every tag agrees with its data.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "data/data_module.h"
#include "duplicates/income_inclusion.h"
#include "duplicates/list_inclusion.h"
#include "engine/session.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "import/import_run.h"
#include "schema/start_check.h"
#include "support/catalogue_database.h"

namespace {

using kvzt::engine::OpenMode;
using kvzt::engine::Table;

struct Quiet final : kvzt::import::ImportProgress, kvzt::duplicates::InclusionProgress {
    void setMaximum(int) override {}
    void setPosition(int) override {}
    bool cancelled() override { return false; }
};

std::string sampleSet(const char* kind) { return std::string(KVZT_SOURCE_DIR) + "/samples/import/" + kind; }

using Row = std::map<std::string, std::string>;

std::vector<Row> rowsOf(kvzt::engine::Session& session, const char* alias, const char* table,
                        const char* tag = "") {
    auto t = session.openTable(alias, table, OpenMode::ReadOnly);
    t->setIndex(tag);
    std::vector<Row> rows;
    for (t->first(); !t->eof(); t->next()) {
        Row row;
        for (const auto& f : t->fields()) row[f.name] = t->asString(f.name);
        rows.push_back(row);
    }
    return rows;
}

// Sets INCL of the first duplicate (in FIOX order) whose `field` starts with
// `prefix` and that has no mark yet.
void mark(kvzt::engine::Session& session, const char* table, const char* field, const std::string& prefix,
          const char* incl) {
    auto t = session.openTable("VX_S", table, OpenMode::Shared);
    t->setIndex("FIOX");
    for (t->first(); !t->eof(); t->next()) {
        if (t->asString(field).rfind(prefix, 0) == 0 && t->asString("INCL").empty()) {
            t->edit();
            t->setString("INCL", incl);
            t->post();
            return;
        }
    }
    FAIL() << "no unmarked duplicate " << prefix << " in " << table;
}

std::vector<std::string> detailKodsOf(kvzt::engine::Session& session, const std::string& id) {
    std::vector<std::string> kods;
    for (const Row& r : rowsOf(session, "VX_B", "Doxod22"))
        if (r.at("ID") == id) kods.push_back(r.at("KOD") + "=" + r.at("SUM"));
    return kods;
}

TEST(WholeRoad, ImportReviewDecisionsAndBothInclusions) {
    kvzt::test::CatalogueDatabase db;
    kvzt::engine::Session& session = *db.session;
    kvzt::schema::EnsureSettingsRecord(session, QStringLiteral("VX_B"));
    kvzt::data::TdmKVZT dm(session, kvzt::data::TdmKVZT::Connect::Later);
    Quiet progress;

    for (auto [set, kind] : {std::pair{"win32", kvzt::import::SourceKind::Win32},
                             std::pair{"dos2", kvzt::import::SourceKind::Dos2}}) {
        kvzt::import::ImportRequest request;
        request.srcDir = QString::fromStdString(sampleSet(set));
        request.kind = kind;
        request.impDir = QStringLiteral(KVZT_IMP_DIR);
        const auto result = kvzt::import::RunImport(dm, request, progress);
        ASSERT_TRUE(result.completed()) << set << ": " << result.errorText().toStdString();
    }

    const std::vector<Row> listBefore = rowsOf(session, "VX_B", "Spisok32", "NOMX");
    const std::vector<Row> statementsBefore = rowsOf(session, "VX_B", "Svbase32", "NOMX");
    const std::vector<Row> listDuplicates = rowsOf(session, "VX_S", "Spis_D32", "FIOX");
    const std::vector<Row> statementDuplicates = rowsOf(session, "VX_S", "SvB_32", "FIOX");
    ASSERT_EQ(listDuplicates.size(), 5u);
    ASSERT_EQ(statementDuplicates.size(), 4u);

    // The taxpayer review: replace Кузнецов, add Смирнова, leave the others.
    Row kuznetsov, smirnova;
    for (const Row& r : listDuplicates) {
        if (r.at("FAM") == "Кузнецов") kuznetsov = r;
        if (r.at("FAM") == "Смирнова") smirnova = r;
    }
    ASSERT_FALSE(kuznetsov.empty());
    ASSERT_FALSE(smirnova.empty());
    mark(session, "Spis_D32", "FAM", "Кузнецов", "з");
    mark(session, "Spis_D32", "FAM", "Смирнова", "д");
    const auto list = kvzt::duplicates::RunListInclusion(dm, {}, progress);
    ASSERT_TRUE(list.completed()) << list.errorText().toStdString();
    EXPECT_EQ(list.replaced, 1);
    EXPECT_EQ(list.added, 1);

    const std::vector<Row> listAfter = rowsOf(session, "VX_B", "Spisok32", "NOMX");
    ASSERT_EQ(listAfter.size(), listBefore.size() + 1);
    const Row& newest = listAfter.back();
    EXPECT_EQ(std::stoi(newest.at("NOM")), std::stoi(listBefore.back().at("NOM")) + 1);
    EXPECT_EQ(newest.at("FAM"), "Смирнова");
    EXPECT_EQ(newest.at("ADRES"), smirnova.at("ADRES"));
    for (const Row& r : listAfter) {
        if (r.at("NOM") != kuznetsov.at("NOM")) continue;
        // The imported record's fields over the stored twin, under the twin's number.
        for (const char* field : {"FAM", "NAME", "OTC", "DKOD", "DNOM", "STRCODE", "ADRES", "INNFL"})
            EXPECT_EQ(r.at(field), kuznetsov.at(field)) << field;
    }
    const std::vector<Row> listLeft = rowsOf(session, "VX_S", "Spis_D32", "FIOX");
    ASSERT_EQ(listLeft.size(), 3u);
    for (const Row& r : listLeft) {
        EXPECT_NE(r.at("FAM"), "Кузнецов");
        EXPECT_NE(r.at("FAM"), "Смирнова");
        EXPECT_EQ(r.at("INCL"), "") << "rows left keep their (empty) marks";
    }

    // The income review: replace the first Кузнецов statement, add Васильева's, leave the others.
    Row replaced, addedRow;
    for (const Row& r : statementDuplicates) {
        if (replaced.empty() && r.at("FIO").rfind("Кузнецов", 0) == 0) replaced = r;
        if (r.at("FIO").rfind("Васильева", 0) == 0) addedRow = r;
    }
    ASSERT_FALSE(replaced.empty());
    ASSERT_FALSE(addedRow.empty());
    mark(session, "SvB_32", "FIO", "Кузнецов", "з");
    mark(session, "SvB_32", "FIO", "Васильева", "д");
    kvzt::duplicates::IncomeInclusionRequest incomeRequest;
    incomeRequest.kind = kvzt::import::SourceKind::Dos2;
    const auto income = kvzt::duplicates::RunIncomeInclusion(dm, incomeRequest, progress);
    ASSERT_TRUE(income.completed()) << income.errorText().toStdString();
    EXPECT_EQ(income.replaced, 1);
    EXPECT_EQ(income.added, 1);

    // The DOS income lines of each included statement, from the source file.
    auto sourceKods = [&](const std::string& nomDos) {
        std::vector<std::string> kods;
        auto t = Table::open(sampleSet("dos2") + "/doxod.dbf", OpenMode::ReadOnly, kvzt::engine::CodePage::Cp866);
        for (t->first(); !t->eof(); t->next())
            if (t->asString("Nom") == nomDos) kods.push_back(t->asString("Kod") + "=" + t->asString("Sum"));
        return kods;
    };

    const std::vector<Row> statementsAfter = rowsOf(session, "VX_B", "Svbase32", "NOMX");
    ASSERT_EQ(statementsAfter.size(), statementsBefore.size() + 1);
    std::string replacedId;
    for (const Row& before : statementsBefore)
        if (before.at("IDDOK") == replaced.at("IDDOK")) replacedId = before.at("ID");
    ASSERT_FALSE(replacedId.empty());
    bool foundReplaced = false, foundAdded = false;
    for (const Row& r : statementsAfter) {
        if (r.at("ID") == replacedId) {
            foundReplaced = true;  // keeps its ID, takes the imported statement
            EXPECT_EQ(r.at("FIO"), replaced.at("FIO"));
            EXPECT_EQ(r.at("SGDSUM"), replaced.at("SGDSUM"));
            EXPECT_FALSE(sourceKods(replaced.at("NOMDOS")).empty());
            EXPECT_EQ(detailKodsOf(session, replacedId), sourceKods(replaced.at("NOMDOS")));
        }
        if (r.at("NOM") == addedRow.at("NOM") && r.at("IDDOK") != addedRow.at("IDDOK") &&
            r.at("FIO") == addedRow.at("FIO") && r.at("SGDSUM") == addedRow.at("SGDSUM")) {
            bool wasThere = false;
            for (const Row& before : statementsBefore) wasThere = wasThere || before.at("ID") == r.at("ID");
            if (!wasThere) {
                foundAdded = true;
                EXPECT_EQ(detailKodsOf(session, r.at("ID")), sourceKods(addedRow.at("NOMDOS")));
            }
        }
    }
    EXPECT_TRUE(foundReplaced);
    EXPECT_TRUE(foundAdded);
    EXPECT_EQ(rowsOf(session, "VX_S", "SvB_32", "FIOX").size(), 2u);

    // Every detail row belongs to a statement.
    std::map<std::string, int> ids;
    for (const Row& r : statementsAfter) ++ids[r.at("ID")];
    for (const char* detail : {"Doxod22", "Vicet22", "NH22"})
        for (const Row& r : rowsOf(session, "VX_B", detail)) EXPECT_EQ(ids.count(r.at("ID")), 1u) << detail;

    for (auto [alias, table] : {std::pair{"VX_B", "Spisok32"}, std::pair{"VX_B", "Svbase32"},
                                std::pair{"VX_B", "Doxod22"}, std::pair{"VX_B", "Vicet22"},
                                std::pair{"VX_B", "NH22"}, std::pair{"VX_S", "Spis_D32"},
                                std::pair{"VX_S", "SvB_32"}}) {
        auto t = session.openTable(alias, table, OpenMode::ReadOnly);
        for (const auto& report : kvzt::engine::verifyTable(*t))
            EXPECT_TRUE(report.problems.empty()) << table << " " << report.tag;
    }
}

}  // namespace
