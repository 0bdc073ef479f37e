// The DOS 2.* source files (layout in source_writers.h).

#include <cctype>
#include <filesystem>

#include "engine/dbf_file.h"
#include "engine/table.h"
#include "samples/import/source_writers.h"

namespace kvzt::samples {

namespace {

using engine::FieldDef;

FieldDef chr(const char* name, int width) { return {name, 'C', width, 0, 0}; }
FieldDef num(const char* name, int width, int decimals = 0) { return {name, 'N', width, decimals, 0}; }
FieldDef date(const char* name) { return {name, 'D', 8, 0, 0}; }

std::vector<FieldDef> listFields() {
    std::vector<FieldDef> f = {chr("FAM", 25),      chr("NAME", 20),      chr("OTC", 20),      date("DATEROG"),
                               chr("DOK", 40),      chr("INN", 12),       chr("MESTO", 1),     chr("STATUS", 1),
                               chr("ADRES", 120),   num("NOMDOK", 6),     num("NOM", 6),       chr("PERIOD", 12),
                               chr("OSH", 20),      chr("NOSIT", 8),      num("SGDSUM", 12, 2), num("SGDOBL", 12, 2)};
    for (const char* name : {"SGDIS", "SGDUD", "KOEFSUM", "KOEFOBL", "KOEFIS", "KOEFUD", "VIGSUM", "VIGOBL", "VIGIS",
                             "VIGUD", "SUMGNI"})
        f.push_back(num(name, 10, 2));
    for (const char* name : {"S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "S10", "S11", "S12"})
        f.push_back(num(name, 12, 2));
    f.push_back(date("DSVED"));
    f.push_back(date("DATAVID"));
    return f;
}

class Dos2Writer final : public SourceWriter {
public:
    explicit Dos2Writer(const std::string& dir) : dir_(dir) {
        std::filesystem::create_directories(dir);
        RemoveSourceFiles(dir, Dos2SourceFiles());
        spisok_ = create("spisok", listFields());
        doxod_ = create("doxod", {num("NOM", 6), chr("KOD", 4), num("SUM", 11), chr("KSK", 2), num("SK", 11)});
        vicet_ = create("vicet", {num("NOM", 6), chr("KOD", 2), num("SUM", 10, 2)});
        object_ = create("object", {num("NOM", 6), chr("OBJECT", 150)});
    }

    void add(const Person& p) override {
        engine::Table& t = *spisok_;
        t.append();
        t.setString("FAM", p.fam);
        t.setString("NAME", p.name);
        t.setString("OTC", p.otc);
        t.setDate("DATEROG", p.birth);
        t.setString("DOK", DosDocumentText(p));
        t.setString("INN", p.inn);
        t.setString("MESTO", p.jobStatus);
        t.setString("STATUS", p.status);
        t.setString("ADRES", DosAddressText(p.address));
        t.setInteger("NOM", p.nom);
        // The DOS version kept one statement per person.
        const Statement* s = p.statements.empty() ? nullptr : &p.statements.front();
        t.setInteger("NOMDOK", s ? s->idDok : 0);
        if (s) {
            t.setString("PERIOD", s->months);
            t.setString("OSH", s->error);
            t.setString("NOSIT", s->nosit);
            t.setFloat("SGDSUM", s->sgdSum);
            t.setFloat("SGDOBL", s->oblagSum);
            t.setFloat("SGDIS", s->ischDohSum);
            t.setFloat("SGDUD", s->udSum);
            for (const char* name : {"KOEFSUM", "KOEFOBL", "KOEFIS", "KOEFUD", "VIGSUM", "VIGOBL", "VIGIS", "VIGUD"})
                t.setFloat(name, 0);
            t.setFloat("SUMGNI", s->sumNalInsp);
            for (int m = 0; m < 12; ++m) t.setFloat("S" + std::to_string(m + 1), s->sovDoh[std::size_t(m)]);
            t.setDate("DSVED", s->dsved);
            t.setDate("DATAVID", s->dataVid);
        }
        t.post();
        if (!s) return;
        for (const IncomeLine& line : s->lines) {
            doxod_->append();
            doxod_->setInteger("NOM", p.nom);
            doxod_->setString("KOD", line.kod);
            doxod_->setInteger("SUM", line.sum);
            doxod_->setString("KSK", line.kodSk);
            doxod_->setInteger("SK", line.sk);
            doxod_->post();
        }
        for (const Deduction& d : s->deductions) {
            vicet_->append();
            vicet_->setInteger("NOM", p.nom);
            vicet_->setString("KOD", d.kod);
            vicet_->setFloat("SUM", d.sum);
            vicet_->post();
        }
        for (const std::string& object : s->objects) {
            object_->append();
            object_->setInteger("NOM", p.nom);
            object_->setString("OBJECT", object);
            object_->post();
        }
    }

    void finish() override {
        for (auto* t : {&spisok_, &doxod_, &vicet_, &object_}) (*t)->close();
        for (const std::string& name : Dos2SourceFiles()) StampDbfDate(dir_ + "/" + name, kDos2FileDate);
    }

private:
    std::unique_ptr<engine::Table> create(const std::string& name, const std::vector<FieldDef>& fields) {
        const std::string path = dir_ + "/" + name + ".dbf";
        engine::DbfFile::create(path, fields, 0);
        return engine::Table::open(path, engine::OpenMode::Exclusive, engine::CodePage::Cp866);
    }

    std::string dir_;
    std::unique_ptr<engine::Table> spisok_, doxod_, vicet_, object_;
};

}  // namespace

std::string DosDocumentText(const Person& p) {
    if (p.docNumber.empty()) return {};
    return std::string(p.document.dosName) + ", " + p.docNumber;
}

std::string DosAddressText(const Address& a) {
    const std::string region = a.regionName.empty() ? std::string() : a.regionName + " " + a.regionType;
    return a.countryName + "," + a.index + "," + region + "," + a.district + "," + a.city + "," + a.locality + "," +
           a.street + "," + a.house + "," + a.building + "," + a.flat;
}

void RemoveSourceFiles(const std::string& dir, const std::vector<std::string>& names) {
    std::vector<std::filesystem::path> doomed;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
        for (const std::string& wanted : names)
            if (name == wanted) doomed.push_back(entry.path());
    }
    for (const auto& path : doomed) std::filesystem::remove(path);
}

std::vector<std::string> Dos2SourceFiles() { return {"spisok.dbf", "doxod.dbf", "vicet.dbf", "object.dbf"}; }

std::unique_ptr<SourceWriter> MakeDos2Writer(const std::string& dir) { return std::make_unique<Dos2Writer>(dir); }

}  // namespace kvzt::samples
