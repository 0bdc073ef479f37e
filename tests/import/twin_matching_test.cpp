// Which stored namesakes are twins of a source taxpayer. A stored taxpayer
// with the same names and birth date is a twin only when every compared
// field agrees: document kind and number, INN, job status and status, and
// for Win 3.2 sources also the personnel number. Each namesake below
// differs from its source taxpayer in one field only, so a comparison left
// out turns exactly that namesake into a false twin.

#include <gtest/gtest.h>

#include <map>

#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;
using import::SourceKind;

namespace {

// The compared fields of one taxpayer, as stored in Spisok32.
struct Identity {
    std::string innfl = "500100732259";
    std::string jobStatus = "1";
    std::string status = "2";
    std::string tabNmb = "T1";
};

const engine::Date kBorn = date(1980, 1, 2);

// A Spisok32 record of Анна Петровна born on kBorn with document "21" / "111".
Row taxpayerRow(int nom, const std::string& fam, const Identity& id) {
    return {{"NOM", std::int64_t(nom)},
            {"FAM", fam},
            {"NAME", std::string("Анна")},
            {"OTC", std::string("Петровна")},
            {"DATEROG", kBorn},
            {"DKOD", std::string("21")},
            {"DNOM", std::string("111")},
            {"INNFL", id.innfl},
            {"JOBSTATUS", id.jobStatus},
            {"STATUS", id.status},
            {"TABNMB", id.tabNmb}};
}

// Stored namesakes by surname: the one the source taxpayer of that surname
// meets in Spisok32 (same names, birth date and document "21" / "111").
std::map<std::string, Identity> namesakes(bool withPersonnelNumber) {
    std::map<std::string, Identity> stored;
    stored["Двойников"] = Identity{};
    stored["Иннов"] = Identity{.innfl = "770000000001"};
    stored["Работнов"] = Identity{.jobStatus = "2"};
    stored["Статусов"] = Identity{.status = "1"};
    // Only the Win 3.2 list carries a personnel number; a DOS 2.* taxpayer
    // is a twin whatever the stored one holds there.
    stored["Табелев"] = Identity{.tabNmb = withPersonnelNumber ? "T2" : "T9"};
    return stored;
}

class TwinMatching : public ::testing::Test {
protected:
    void store(int nom, const std::string& fam, const Identity& id) {
        addRow(*f.db.session->openTable("VX_B", "SPISOK32"), taxpayerRow(nom, fam, id));
    }

    // Stores the namesakes under NOM 1.. in surname order; returns the
    // surname → NOM map.
    std::map<std::string, int> storeNamesakes(bool withPersonnelNumber) {
        std::map<std::string, int> noms;
        int nom = 0;
        for (const auto& [fam, id] : namesakes(withPersonnelNumber)) store(noms[fam] = ++nom, fam, id);
        return noms;
    }

    ImportFixture f;
};

TEST_F(TwinMatching, Win32NamesakeDifferingInAnyComparedFieldIsANewTaxpayer) {
    f.makeWinSources();
    const auto noms = storeNamesakes(true);
    // Each source taxpayer is the stored namesake's twin but for the one
    // field that namesake changed: the source always holds the base identity.
    int nom = 100;
    for (const auto& [fam, unused] : noms) addRow(*f.source("SPISOK32"), taxpayerRow(++nom, fam, Identity{}));
    const import::ImportResult r = f.run(SourceKind::Win32);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "NOM"), (std::vector<std::string>{std::to_string(noms.at("Двойников"))}));
    EXPECT_EQ(r.personDuplicates, 1);
    EXPECT_EQ(r.personsAdded, 4);
    // The four namesakes' sources follow the stored taxpayers under new numbers.
    auto spisok = f.base("SPISOK32");
    spisok->setIndex("NOMX");
    std::vector<std::string> added;
    for (spisok->first(); !spisok->eof(); spisok->next()) {
        if (spisok->asInteger("NOM") > int(noms.size())) added.push_back(spisok->asString("FAM"));
    }
    EXPECT_EQ(added, (std::vector<std::string>{"Иннов", "Работнов", "Статусов", "Табелев"}));
}

TEST_F(TwinMatching, Dos2NamesakeDifferingInAnyComparedFieldIsANewTaxpayer) {
    f.makeDosSources();
    const auto noms = storeNamesakes(false);
    auto list = f.db.session->openTableInDirectory(f.src.path(), "Spisok", engine::OpenMode::Shared);
    int nom = 100;
    for (const auto& [fam, unused] : noms) {
        const Identity id;
        addRow(*list, {{"FAM", fam},
                       {"NAME", std::string("Анна")},
                       {"OTC", std::string("Петровна")},
                       {"DATEROG", kBorn},
                       {"DOK", std::string("Паспорт, 111")},
                       {"INN", id.innfl},
                       {"MESTO", id.jobStatus},
                       {"STATUS", id.status},
                       {"ADRES", std::string("Россия")},
                       {"NOMDOK", std::int64_t(0)},
                       {"NOM", std::int64_t(++nom)}});
    }
    list->close();
    // The stored personnel number does not count for a DOS 2.* source: the
    // namesake that differs only there is a twin too.
    const import::ImportResult r = f.run(SourceKind::Dos2);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "FAM"), (std::vector<std::string>{"Двойников", "Табелев"}));
    EXPECT_EQ(r.personDuplicates, 2);
    EXPECT_EQ(r.personsAdded, 3);
    auto spisok = f.base("SPISOK32");
    spisok->setIndex("NOMX");
    spisok->last();
    EXPECT_EQ(spisok->asInteger("NOM"), int(noms.size()) + 3);
    EXPECT_EQ(spisok->asString("FAM"), "Статусов");
}

}  // namespace
