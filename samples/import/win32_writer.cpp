// The Windows 3.2 source files: the host's own tables of that version, made
// from the table catalogue, with the index catalogue's tags.

#include <QString>
#include <QStringList>

#include <filesystem>

#include "engine/database.h"
#include "engine/table.h"
#include "samples/import/source_writers.h"
#include "schema/index_catalogue.h"
#include "schema/table_catalogue.h"

namespace kvzt::samples {

namespace {

const char* const kTables[] = {"spisok32", "svbase32", "doxod22", "vicet22", "nh22"};

// A catalogue table under a lower-case file name.
std::unique_ptr<engine::Table> createTable(engine::Database& db, const QStringList& catalogue, const char* name) {
    const auto table = schema::FindCatalogueTable(catalogue, QString::fromLatin1(name));
    std::vector<engine::FieldDef> fields;
    for (int i = 0; i < table->fieldCount; ++i)
        fields.push_back(schema::FieldDefFromLine(catalogue.at(table->firstFieldLine() + i)));
    db.createTable(std::string(name) + ".dbf", fields);
    return db.openTable(name, engine::OpenMode::Exclusive);
}

class Win32Writer final : public SourceWriter {
public:
    explicit Win32Writer(const std::string& dir) : dir_(dir) {
        std::filesystem::create_directories(dir);
        RemoveSourceFiles(dir, Win32SourceFiles());
        db_ = std::make_unique<engine::Database>("SOURCE", dir, engine::CodePage::Cp1251);
        const QStringList catalogue = schema::BuildTableCatalogue();
        spisok_ = createTable(*db_, catalogue, "spisok32");
        sved_ = createTable(*db_, catalogue, "svbase32");
        doxod_ = createTable(*db_, catalogue, "doxod22");
        vicet_ = createTable(*db_, catalogue, "vicet22");
        nh_ = createTable(*db_, catalogue, "nh22");
    }

    void add(const Person& p) override {
        engine::Table& t = *spisok_;
        t.append();
        t.setInteger("NOM", p.nom);
        t.setString("FAM", p.fam);
        t.setString("NAME", p.name);
        t.setString("OTC", p.otc);
        t.setString("DKOD", p.docNumber.empty() ? "" : p.document.code);
        t.setString("DNOM", p.docNumber);
        t.setDate("DATEROG", p.birth);
        t.setString("JOBSTATUS", p.jobStatus);
        t.setString("STATUS", p.status);
        t.setString("STRCODE", p.address.countryCode);
        t.setString("ADRES", StructuredAddress(p.address));
        t.setString("INNFL", p.inn);
        t.setString("GNI", p.gni);
        t.setString("DOLJN", p.doljn);
        t.setDate("DATADOLJN", p.dataDoljn);
        t.setString("TABNMB", p.tabNmb);
        t.setBoolean("ISSPRAV", !p.statements.empty());
        t.setBoolean("ISKART", false);
        t.post();
        for (const Statement& s : p.statements) addStatement(p, s);
    }

    void finish() override {
        for (auto* t : {&spisok_, &sved_, &doxod_, &vicet_, &nh_}) (*t)->close();
        for (const char* name : kTables) schema::CreateIndexes(*db_, name);
        db_.reset();
        for (const char* name : kTables) {
            StampDbfDate(dir_ + "/" + name + ".dbf", kWin32FileDate);
            StampMdxDates(dir_ + "/" + name + ".mdx", kWin32FileDate);
        }
    }

private:
    void addStatement(const Person& p, const Statement& s) {
        const std::string id = RightAligned(s.id, 9);
        engine::Table& t = *sved_;
        t.append();
        t.setString("ID", id);
        t.setString("IDDOK", RightAligned(s.idDok, 8));
        t.setInteger("NOM", p.nom);
        t.setString("FIO", ShortName(p));
        t.setString("MES", s.months);
        t.setString("JOBSTATUS", s.jobStatus);
        double deducted = 0;
        for (const Deduction& d : s.deductions) deducted += d.sum;
        t.setFloat("SUMRASH", 0);
        t.setFloat("VICHSUM", deducted);
        t.setFloat("SGDSUM", s.sgdSum);
        t.setFloat("OBLAGSUM", s.oblagSum);
        t.setFloat("ISCHDOHSUM", s.ischDohSum);
        t.setFloat("UDSUM", s.udSum);
        for (const char* name : {"ISDOHSUMR", "UDSUMR", "KOEFSUM", "KOEFOBL", "ISCHKOESUM", "ISKOESUMR", "KOEFUD",
                                 "KOEFUDR", "TOTSUMMAT", "OBLSUMMAT", "ISCHSUMMAT", "ISSUMMATR", "UDSUMMAT",
                                 "UDSUMMATR", "SUMNALGNIR", "SUMVOZVR", "SUMVOZVRR"})
            t.setFloat(name, 0);
        t.setFloat("SUMNALINSP", s.sumNalInsp);
        t.setBoolean("OSNNOTPAY", false);
        t.setString("ERROR", s.error);
        t.setDate("DSVED", s.dsved);
        t.setDate("DATAVID", s.dataVid);
        t.setString("NOSIT", s.nosit);
        for (int m = 0; m < 12; ++m) t.setFloat("SOVDOH" + std::to_string(m + 1), s.sovDoh[std::size_t(m)]);
        t.setInteger("REESTRNMB", s.reestrNmb);
        t.post();
        for (const IncomeLine& line : s.lines) {
            doxod_->append();
            doxod_->setString("ID", id);
            doxod_->setString("KOD", line.kod);
            doxod_->setInteger("SUM", line.sum);
            doxod_->setString("KODSK", line.kodSk);
            doxod_->setInteger("SK", line.sk);
            doxod_->post();
        }
        for (const Deduction& d : s.deductions) {
            vicet_->append();
            vicet_->setString("ID", id);
            vicet_->setString("KOD", d.kod);
            vicet_->setFloat("SUM", d.sum);
            vicet_->post();
        }
        for (const std::string& object : s.objects) {
            nh_->append();
            nh_->setString("ID", id);
            nh_->setString("NAME", object);
            nh_->post();
        }
    }

    std::string dir_;
    std::unique_ptr<engine::Database> db_;
    std::unique_ptr<engine::Table> spisok_, sved_, doxod_, vicet_, nh_;
};

}  // namespace

std::string StructuredAddress(const Address& a) {
    return "," + a.index + "," + a.regionCode + "," + a.district + "," + a.city + "," + a.locality + "," + a.street +
           "," + a.house + "," + a.building + "," + a.flat;
}

std::vector<std::string> Win32SourceFiles() {
    std::vector<std::string> files;
    for (const char* name : kTables) files.push_back(std::string(name) + ".dbf");
    for (const char* name : kTables) files.push_back(std::string(name) + ".mdx");
    return files;
}

std::unique_ptr<SourceWriter> MakeWin32Writer(const std::string& dir) { return std::make_unique<Win32Writer>(dir); }

}  // namespace kvzt::samples
