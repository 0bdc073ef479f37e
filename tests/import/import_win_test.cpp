// The import of Win 3.2 sources: matching taxpayers, routing statements to
// Svbase32 or SvB_32, identifiers, detail rows, stopping and the flags.

#include <gtest/gtest.h>

#include "data/program_flags.h"
#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;
using import::SourceKind;

namespace {

class ImportWin : public ::testing::Test {
protected:
    void SetUp() override { f.makeWinSources(); }

    void sourcePerson(int nom, const char* fam, const char* dnom, engine::Date birth = date(1970, 5, 1),
                      const char* name = "Иван") {
        addRow(*f.source("SPISOK32"), {{"NOM", std::int64_t(nom)},
                                        {"FAM", std::string(fam)},
                                        {"NAME", std::string(name)},
                                        {"OTC", std::string("Петрович")},
                                        {"DATEROG", birth},
                                        {"DKOD", std::string("21")},
                                        {"DNOM", std::string(dnom)},
                                        {"INNFL", std::string("771234567890")},
                                        {"JOBSTATUS", std::string("1")},
                                        {"STATUS", std::string("1")},
                                        {"TABNMB", std::string("T1")},
                                        {"ISSPRAV", true}});
    }
    void storedPerson(int nom, const char* fam, const char* dnom, engine::Date birth = date(1970, 5, 1)) {
        addRow(*f.db.session->openTable("VX_B", "SPISOK32"), {{"NOM", std::int64_t(nom)},
                                     {"FAM", std::string(fam)},
                                     {"NAME", std::string("Иван")},
                                     {"OTC", std::string("Петрович")},
                                     {"DATEROG", birth},
                                     {"DKOD", std::string("21")},
                                     {"DNOM", std::string(dnom)},
                                     {"INNFL", std::string("771234567890")},
                                     {"JOBSTATUS", std::string("1")},
                                     {"STATUS", std::string("1")},
                                     {"TABNMB", std::string("T1")}});
    }
    void sourceStatement(int nom, const char* id, const char* idDok) {
        addRow(*f.source("SVBASE32"), {{"ID", std::string(id)},
                                        {"IDDOK", std::string(idDok)},
                                        {"NOM", std::int64_t(nom)},
                                        {"FIO", std::string("Петров  И.П.")},
                                        {"SGDSUM", 1234.5},
                                        {"REESTRNMB", std::int64_t(7)}});
    }
    void sourceIncome(const char* id, const char* kod, double sum, const char* kodSk = "") {
        addRow(*f.source("DOXOD22"),
               {{"ID", std::string(id)}, {"KOD", std::string(kod)}, {"SUM", sum}, {"KODSK", std::string(kodSk)}});
    }
    void storedStatement(int nom, const char* id, const char* idDok) {
        addRow(*f.db.session->openTable("VX_B", "SVBASE32"), {{"ID", std::string(id)}, {"IDDOK", std::string(idDok)}, {"NOM", std::int64_t(nom)}});
    }

    ImportFixture f;
};

TEST_F(ImportWin, NewTaxpayersGetNumbersIdentifiersAndTheirOwnDetailRows) {
    storedPerson(5, "Сидоров", "1");
    sourcePerson(10, "Петров", "111");
    sourcePerson(11, "Орлов", "222");
    sourceStatement(10, "       20", "      15");
    sourceStatement(11, "       21", "      15");  // the IDDOK the first statement has just taken
    sourceStatement(10, "       22", "      16");
    // Rows of the three statements interleaved, some blank discount codes.
    sourceIncome("       21", "2000", 300, "03");
    sourceIncome("       20", "2000", 100);
    sourceIncome("       22", "2010", 500, "01");
    sourceIncome("       20", "1010", 200, "");
    addRow(*f.source("VICET22"), {{"ID", std::string("       22")}, {"KOD", std::string("01")}, {"SUM", 400.0}});
    addRow(*f.source("NH22"), {{"ID", std::string("       21")}, {"NAME", std::string("Дом в Твери")}});

    const import::ImportResult r = f.run(SourceKind::Win32);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(r.personsAdded, 2);
    EXPECT_EQ(r.statementsAdded, 3);
    EXPECT_FALSE(r.spisDblFound);
    EXPECT_FALSE(data::SpisDblFound || data::SvedDblFound);

    auto spisok = f.base("SPISOK32");
    spisok->setIndex("NOMX");
    EXPECT_EQ(column(*spisok, "NOM"), (std::vector<std::string>{"5", "6", "7"}));
    EXPECT_EQ(column(*spisok, "TABNMB"), (std::vector<std::string>{"T1", "T1", "T1"}));

    auto sved = f.base("SVBASE32");  // natural order = order written
    EXPECT_EQ(column(*sved, "ID"), (std::vector<std::string>{"        1", "        2", "        3"}));
    EXPECT_EQ(column(*sved, "IDDOK"), (std::vector<std::string>{"      15", "      16", "      17"}));
    EXPECT_EQ(column(*sved, "NOM"), (std::vector<std::string>{"6", "6", "7"}));
    sved->first();
    EXPECT_DOUBLE_EQ(sved->asFloat("SGDSUM"), 1234.5);
    EXPECT_EQ(sved->asInteger("REESTRNMB"), 7);

    auto doxod = f.base("DOXOD22");
    EXPECT_EQ(column(*doxod, "ID"), (std::vector<std::string>{"        1", "        1", "        2", "        3"}));
    EXPECT_EQ(column(*doxod, "KOD"), (std::vector<std::string>{"2000", "1010", "2010", "2000"}));
    EXPECT_EQ(column(*doxod, "KODSK"), (std::vector<std::string>{"0", "0", "01", "03"}));
    EXPECT_EQ(column(*f.base("VICET22"), "ID"), (std::vector<std::string>{"        2"}));
    EXPECT_EQ(column(*f.base("NH22"), "ID"), (std::vector<std::string>{"        3"}));
}

TEST_F(ImportWin, TwinsGetOneDuplicateEachAndTheStatementsUnderEveryTwin) {
    storedPerson(3, "Петров", "111");
    storedPerson(8, "Петров", "111");
    storedPerson(9, "Петров", "999");  // another document: not a twin
    sourcePerson(40, "ПЕТРОВ", "111");
    sourceStatement(40, "        5", "       5");
    sourceIncome("        5", "2000", 100);
    sourceIncome("        5", "2010", 50);

    const import::ImportResult r = f.run(SourceKind::Win32);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(r.personsAdded, 0);
    EXPECT_EQ(r.personDuplicates, 2);
    EXPECT_TRUE(data::SpisDblFound);
    EXPECT_FALSE(data::SvedDblFound);  // the twins had no statements to pair with

    auto dbl = f.sprav("SPIS_D32");
    EXPECT_EQ(column(*dbl, "NOM"), (std::vector<std::string>{"3", "8"}));
    EXPECT_EQ(column(*dbl, "FAM"), (std::vector<std::string>{"ПЕТРОВ", "ПЕТРОВ"}));

    auto sved = f.base("SVBASE32");
    EXPECT_EQ(column(*sved, "NOM"), (std::vector<std::string>{"3", "8"}));
    EXPECT_EQ(column(*sved, "ID"), (std::vector<std::string>{"        1", "        2"}));
    EXPECT_EQ(column(*sved, "IDDOK"), (std::vector<std::string>{"       5", "       6"}));
    EXPECT_EQ(column(*f.base("DOXOD22"), "ID"),
              (std::vector<std::string>{"        1", "        1", "        2", "        2"}));
}

TEST_F(ImportWin, TwinWithStoredStatementsGetsEveryPairAsADuplicate) {
    storedPerson(3, "Петров", "111");
    storedStatement(3, "        1", "     100");
    storedStatement(3, "        2", "     200");
    sourcePerson(40, "Петров", "111");
    for (const char* id : {"       11", "       12", "       13"}) sourceStatement(40, id, "      90");
    sourceIncome("       11", "2000", 100);
    // Leftovers of an earlier run are dropped at the start.
    addRow(*f.db.session->openTable("VX_S", "SvB_32"), {{"FIO", std::string("Старый")}});
    addRow(*f.db.session->openTable("VX_S", "Spis_D32"), {{"FAM", std::string("Старый")}});

    const import::ImportResult r = f.run(SourceKind::Win32);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(r.statementDuplicates, 6);
    EXPECT_EQ(r.statementsAdded, 0);
    EXPECT_TRUE(data::SvedDblFound);

    auto dbl = f.sprav("SVB_32");
    EXPECT_EQ(column(*dbl, "IDDOK"), (std::vector<std::string>{"     100", "     100", "     100", "     200",
                                                                "     200", "     200"}));
    EXPECT_EQ(column(*dbl, "IDWIN_I"), (std::vector<std::string>{"       11", "       12", "       13", "       11",
                                                                  "       12", "       13"}));
    EXPECT_EQ(column(*dbl, "ID"), std::vector<std::string>(6, ""));
    EXPECT_EQ(column(*dbl, "NOMDOS"), std::vector<std::string>(6, "40"));
    EXPECT_EQ(column(*dbl, "NOM"), std::vector<std::string>(6, "3"));
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "FAM"), (std::vector<std::string>{"Петров"}));
    EXPECT_EQ(column(*f.base("DOXOD22"), "ID").size(), 0u);
}

TEST_F(ImportWin, NamesMatchWhateverTheirCaseAndABirthDateMustBeAbsentOnBothSides) {
    storedPerson(1, "петров", "111");                // same person, lower case
    storedPerson(2, "Кузнецов", "111", engine::Date{});  // no birth date
    storedPerson(3, "Лебедев", "111");                    // has a birth date
    sourcePerson(40, "ПЕТРОВ", "111", date(1970, 5, 1), "иВАН");
    sourcePerson(41, "Кузнецов", "111", engine::Date{});
    sourcePerson(42, "Лебедев", "111", engine::Date{});  // must not match the dated one

    const import::ImportResult r = f.run(SourceKind::Win32);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(r.personDuplicates, 2);
    EXPECT_EQ(r.personsAdded, 1);
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "NOM"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(column(*f.sprav("SPIS_D32"), "NAME"), (std::vector<std::string>{"иВАН", "Иван"}));
    auto spisok = f.base("SPISOK32");
    spisok->setIndex("NOMX");
    spisok->last();
    EXPECT_EQ(spisok->asInteger("NOM"), 4);
    EXPECT_EQ(spisok->asString("FAM"), "Лебедев");
    EXPECT_TRUE(spisok->isNull("DATEROG"));
}

TEST_F(ImportWin, AStopTakesEffectBetweenRecordsAndKeepsWhatWasWritten) {
    for (int n = 1; n <= 5; ++n) {
        sourcePerson(n, ("Фамилия" + std::to_string(n)).c_str(), "1");
        sourceStatement(n, ("       " + std::to_string(10 + n)).c_str(), "       1");
    }
    TestProgress progress;
    progress.stopAfter = 2;
    const import::ImportResult r = f.run(SourceKind::Win32, &progress);
    EXPECT_TRUE(r.stoppedByUser);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.processed, 2);
    EXPECT_EQ(progress.maximum, 5);
    EXPECT_EQ(column(*f.base("SPISOK32"), "NOM").size(), 2u);
    EXPECT_EQ(column(*f.base("SVBASE32"), "IDDOK"), (std::vector<std::string>{"       1", "       2"}));
}

TEST_F(ImportWin, AnEmptyListRunsToItsEnd) {
    TestProgress progress;
    const import::ImportResult r = f.run(SourceKind::Win32, &progress);
    EXPECT_TRUE(r.completed());
    EXPECT_EQ(progress.maximum, 0);
    EXPECT_EQ(r.processed, 0);
    // The source detail components keep this run's directory and names.
    EXPECT_EQ(f.dm->tbDosDoxod.tableName(), QStringLiteral("Doxod22"));
    EXPECT_EQ(f.dm->tbDosDoxod.databaseName(), QString::fromStdString(f.src.path()));
    EXPECT_FALSE(f.dm->tbDosDoxod.active());
    EXPECT_FALSE(f.dm->tbSved.active());
    EXPECT_FALSE(f.dm->tbUPI.active());
}

}  // namespace
