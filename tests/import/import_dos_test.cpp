// The import of DOS 2.* sources: the conversion of the document, country and
// address through the reference books, the one statement of the list record,
// and its detail rows tied by the taxpayer number.

#include <gtest/gtest.h>

#include "import/import_test_sources.h"

using namespace kvzt;
using namespace kvzt::test;
using import::SourceKind;

namespace {

class ImportDos : public ::testing::Test {
protected:
    void SetUp() override { f.makeDosSources(); }

    void person(int nom, int nomDok, const char* fam, const char* dok, const char* adres, const char* status = "2") {
        auto list = f.db.session->openTableInDirectory(f.src.path(), "Spisok", engine::OpenMode::Shared);
        addRow(*list, {{"FAM", std::string(fam)},
                       {"NAME", std::string("Анна")},
                       {"OTC", std::string("")},
                       {"DATEROG", date(1980, 1, 2)},
                       {"DOK", std::string(dok)},
                       {"INN", std::string("500100732259")},
                       {"MESTO", std::string("1")},
                       {"STATUS", std::string(status)},
                       {"ADRES", std::string(adres)},
                       {"NOMDOK", std::int64_t(nomDok)},
                       {"NOM", std::int64_t(nom)},
                       {"PERIOD", std::string("12")},
                       {"SGDSUM", 1000.25},
                       {"VIGSUM", 30.5},
                       {"S12", 7.0}});
    }
    void income(int nom, const char* kod, double sum, const char* ksk) {
        auto t = f.db.session->openTableInDirectory(f.src.path(), "Doxod", engine::OpenMode::Shared);
        addRow(*t, {{"NOM", std::int64_t(nom)}, {"KOD", std::string(kod)}, {"SUM", sum}, {"KSK", std::string(ksk)}});
    }

    ImportFixture f;
};

TEST_F(ImportDos, ConvertsDocumentCountryAndAddress) {
    person(1, 37, "Смирнова", "  Паспорт, IV-МЮ 123456 ", "Россия, 141000, Московская обл, Пушкинский р-н, , , Лесная ул, 3, , 12");
    person(2, 0, "Ковальчук", "Паспорт,1", "Украина, 01001, Киевская обл, , Киев, , Крещатик, 1");
    person(3, 0, "Иванова", "Паспорт,2", "Украина, 01001, Тверская обл, , Тверь, , Советская, 1", "1");
    person(4, 0, "Бойко", "Вид на жительство, 55", "Нарния, 1");

    const import::ImportResult r = f.run(SourceKind::Dos2);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    auto s = f.base("SPISOK32");
    s->setIndex("NOMX");

    s->first();
    EXPECT_EQ(s->asString("DKOD"), "21");
    EXPECT_EQ(s->asString("DNOM"), "IV-МЮ 123456");
    EXPECT_EQ(s->asString("STRCODE"), "643");
    EXPECT_EQ(s->asString("ADRES"), ",  141000,  50,  Пушкинский р-н,  ,  ,  Лесная ул,  3,  ,  12");
    EXPECT_TRUE(s->asBoolean("ISSPRAV"));
    EXPECT_EQ(s->asString("OTC"), "");

    s->next();  // a foreign country keeps its address after the country name
    EXPECT_EQ(s->asString("STRCODE"), "804");
    EXPECT_EQ(s->asString("ADRES"), ", 01001, Киевская обл, , Киев, , Крещатик, 1");
    EXPECT_FALSE(s->asBoolean("ISSPRAV"));

    s->next();  // status 1: no country code, a home address whatever item 1 says
    EXPECT_EQ(s->asString("STRCODE"), "");
    EXPECT_EQ(s->asString("ADRES"), ",  01001,  00,  ,  Тверь,  ,  Советская,  1,  ,");

    s->next();  // unknown kind and country
    EXPECT_EQ(s->asString("DKOD"), "");
    EXPECT_EQ(s->asString("DNOM"), "55");
    EXPECT_EQ(s->asString("STRCODE"), "000");
}

TEST_F(ImportDos, TheListRecordCarriesOneStatementWithRowsTiedByNumber) {
    person(7, 37, "Смирнова", "Паспорт,1", "Россия");
    person(8, 0, "Белова", "Паспорт,2", "Россия");  // NomDok 0: no statement
    person(9, 37, "Орлова", "Паспорт,3", "Россия");  // the same document number again
    income(9, "2000", 10, "01");
    income(7, "2000", 100, " ");
    income(7, "2010", 200, "03");
    income(8, "2000", 999, "");

    const import::ImportResult r = f.run(SourceKind::Dos2);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(r.personsAdded, 3);
    EXPECT_EQ(r.statementsAdded, 2);

    auto sved = f.base("SVBASE32");
    EXPECT_EQ(column(*sved, "IDDOK"), (std::vector<std::string>{"      37", "      38"}));
    EXPECT_EQ(column(*sved, "ID"), (std::vector<std::string>{"        1", "        2"}));
    EXPECT_EQ(column(*sved, "FIO"), (std::vector<std::string>{"Смирнова  А.", "Орлова  А."}));
    sved->first();
    EXPECT_EQ(sved->asString("MES"), "12");
    EXPECT_DOUBLE_EQ(sved->asFloat("SGDSUM"), 1000.25);
    EXPECT_DOUBLE_EQ(sved->asFloat("TOTSUMMAT"), 30.5);
    EXPECT_DOUBLE_EQ(sved->asFloat("SOVDOH12"), 7);

    auto doxod = f.base("DOXOD22");
    EXPECT_EQ(column(*doxod, "ID"), (std::vector<std::string>{"        1", "        1", "        2"}));
    EXPECT_EQ(column(*doxod, "KODSK"), (std::vector<std::string>{"0", "03", "01"}));
    EXPECT_EQ(column(*doxod, "SUM"), (std::vector<std::string>{"100", "200", "10"}));
}

TEST_F(ImportDos, ATwinWithAStoredStatementGetsADuplicateStatement) {
    addRow(*f.db.session->openTable("VX_B", "SPISOK32"), {{"NOM", std::int64_t(4)},
                                                          {"FAM", std::string("Смирнова")},
                                                          {"NAME", std::string("Анна")},
                                                          {"DATEROG", date(1980, 1, 2)},
                                                          {"DKOD", std::string("21")},
                                                          {"DNOM", std::string("1")},
                                                          {"INNFL", std::string("500100732259")},
                                                          {"JOBSTATUS", std::string("1")},
                                                          {"STATUS", std::string("2")}});
    addRow(*f.db.session->openTable("VX_B", "SVBASE32"),
           {{"ID", std::string("        1")}, {"IDDOK", std::string("       3")}, {"NOM", std::int64_t(4)}});
    person(7, 37, "СМИРНОВА", "ПАСПОРТ,1", "Россия");
    income(7, "2000", 100, "01");

    const import::ImportResult r = f.run(SourceKind::Dos2);
    ASSERT_TRUE(r.completed()) << r.errorText().toStdString();
    EXPECT_EQ(r.personDuplicates, 1);
    EXPECT_EQ(r.statementDuplicates, 1);
    auto dbl = f.sprav("SVB_32");
    dbl->first();
    EXPECT_EQ(dbl->asString("IDDOK"), "       3");
    EXPECT_EQ(dbl->asString("IDDOK_I"), "      37");
    EXPECT_EQ(dbl->asString("IDWIN_I"), "");
    EXPECT_EQ(dbl->asInteger("NOMDOS"), 7);
    EXPECT_EQ(column(*f.base("DOXOD22"), "ID").size(), 0u);
}

}  // namespace
