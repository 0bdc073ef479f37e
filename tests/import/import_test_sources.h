#pragma once
// Source files of the earlier versions for the import tests, made with the
// engine: the DOS 2.* list with its statement fields, detail tables and
// reference books, and the Win 3.2 tables in the current layout with their
// catalogue tags. A scratch host database (every catalogue table) takes the
// import, with the settings record naming the organisation's country "643".

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/data_module.h"
#include "engine/database.h"
#include "engine/session.h"
#include "engine/table.h"
#include "import/import_run.h"
#include "schema/index_catalogue.h"
#include "schema/table_catalogue.h"
#include "support/catalogue_database.h"

namespace kvzt::test {

using Row = std::vector<std::pair<std::string, engine::Value>>;

inline void addRow(engine::Table& table, const Row& row) {
    table.append();
    for (const auto& [field, value] : row) table.setValue(field, value);
    table.post();
}

inline engine::FieldDef C(const char* name, int width) { return {name, 'C', width, 0, 0}; }
inline engine::FieldDef N(const char* name, int width, int decimals = 0) { return {name, 'N', width, decimals, 0}; }
inline engine::FieldDef D(const char* name) { return {name, 'D', 8, 0, 0}; }

// Counts what a run reports and stops it after `stopAfter` records (-1: never).
class TestProgress final : public import::ImportProgress {
public:
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override { position = p; }
    bool cancelled() override { return stopAfter >= 0 && position >= stopAfter; }

    int maximum = -1;
    int position = -1;
    int stopAfter = -1;
};

class ImportFixture {
public:
    ImportFixture() {
        dm = std::make_unique<data::TdmKVZT>(*db.session, data::TdmKVZT::Connect::Later);
        auto upi = db.session->openTable("VX_B", "Upi32");
        addRow(*upi, {{"COUNTRYREZ", std::string("643")}});
    }

    std::unique_ptr<engine::Table> target(const char* alias, const char* name) {
        return db.session->openTable(alias, name, engine::OpenMode::ReadOnly);
    }
    std::unique_ptr<engine::Table> base(const char* name) { return target("VX_B", name); }
    std::unique_ptr<engine::Table> sprav(const char* name) { return target("VX_S", name); }

    // A commit after every record unless `spanMs` says otherwise.
    import::ImportResult run(import::SourceKind kind, TestProgress* progress = nullptr, int spanMs = 0) {
        TestProgress own;
        import::ImportRequest request;
        request.srcDir = QString::fromStdString(src.path());
        request.kind = kind;
        request.impDir = QString::fromStdString(imp.path());
        request.transactionSpanMs = spanMs;
        return import::RunImport(*dm, request, progress ? *progress : own);
    }

    // --- DOS 2.*: Spisok, Doxod, Vicet, Object in src; kldok, k0str, k1reg in imp.
    void makeDosSources() {
        engine::Database dir("SRC", src.path(), engine::CodePage::Cp866);
        std::vector<engine::FieldDef> list{C("FAM", 25),    C("NAME", 20),   C("OTC", 20),    D("DATEROG"),
                                           C("DOK", 40),    C("INN", 12),    C("MESTO", 1),   C("STATUS", 1),
                                           C("ADRES", 120), N("NOMDOK", 6),  N("NOM", 6),     C("PERIOD", 12),
                                           C("OSH", 20),    C("NOSIT", 8),   D("DSVED"),      D("DATAVID")};
        for (const char* sum : {"SGDSUM", "SGDOBL", "SGDIS", "SGDUD", "KOEFSUM", "KOEFOBL", "KOEFIS", "KOEFUD",
                                "VIGSUM", "VIGOBL", "VIGIS", "VIGUD", "SUMGNI"}) {
            list.push_back(N(sum, 10, 2));
        }
        for (const char* s : {"S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "S10", "S11", "S12"}) {
            list.push_back(N(s, 9, 2));
        }
        dir.createTable("Spisok", list);
        dir.createTable("Doxod", {N("NOM", 6), C("KOD", 4), N("SUM", 15), C("KSK", 2), N("SK", 11)});
        dir.createTable("Vicet", {N("NOM", 6), C("KOD", 2), N("SUM", 10, 2)});
        dir.createTable("Object", {N("NOM", 6), C("OBJECT", 150)});
        engine::Database books("IMP", imp.path(), engine::CodePage::Cp866);
        books.createTable("kldok", {C("D_MIDDLE", 30), C("D_CODE", 2)});
        books.createTable("k0str", {C("NAME", 30), C("KOD", 3)});
        books.createTable("k1reg", {C("NAME", 30), C("KODREG", 2)});
        addRow(*books.openTable("kldok"), {{"D_MIDDLE", std::string("ПАСПОРТ")}, {"D_CODE", std::string("21")}});
        auto countries = books.openTable("k0str");
        addRow(*countries, {{"NAME", std::string("РОССИЯ")}, {"KOD", std::string("643")}});
        addRow(*countries, {{"NAME", std::string("Украина")}, {"KOD", std::string("804")}});
        addRow(*books.openTable("k1reg"), {{"NAME", std::string("Московская")}, {"KODREG", std::string("50")}});
    }

    // --- Win 3.2: the catalogue layouts and tags of the five tables, in src.
    void makeWinSources() {
        engine::Database dir("SRC", src.path(), engine::CodePage::Cp1251);
        const QStringList catalogue = schema::BuildTableCatalogue();
        for (const char* name : {"SPISOK32.DBF", "SVBASE32.DBF", "DOXOD22.DBF", "VICET22.DBF", "NH22.DBF"}) {
            const auto t = schema::FindCatalogueTable(catalogue, QString::fromLatin1(name));
            schema::CreateTableFromCatalogue(dir, catalogue, t->fileName, t->firstFieldLine(), t->fieldCount);
            schema::CreateIndexes(dir, name);
        }
    }

    std::unique_ptr<engine::Table> source(const char* name) {
        return db.session->openTableInDirectory(src.path(), name, engine::OpenMode::Shared,
                                                engine::CodePage::Cp1251);
    }

    CatalogueDatabase db;
    TempDir src;
    TempDir imp;
    std::unique_ptr<data::TdmKVZT> dm;
};

// A record's text fields in the order of the given cursor's active tag or natural order.
inline std::vector<std::string> column(engine::Table& table, const char* field) {
    std::vector<std::string> values;
    for (table.first(); !table.eof(); table.next()) values.push_back(table.asString(field));
    return values;
}

inline engine::Date date(int y, int m, int d) { return engine::Date{y, m, d}; }

}  // namespace kvzt::test
