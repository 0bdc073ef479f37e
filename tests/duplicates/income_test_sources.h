#pragma once
// The import's source detail tables as the income inclusion reads them
// again, made with the engine for tests: empty tables of the kind's layout
// (without a language driver, in the kind's code page) and one row of each
// for a statement.

#include <memory>
#include <string>

#include "duplicates/income_sources.h"
#include "engine/dbf_file.h"
#include "engine/table.h"

namespace kvzt::test {

inline void MakeIncomeSources(const std::string& dir, import::SourceKind kind) {
    using engine::FieldDef;
    const bool dos = kind == import::SourceKind::Dos2;
    const FieldDef key = dos ? FieldDef{"NOM", 'N', 6, 0} : FieldDef{"ID", 'C', 9, 0};
    const duplicates::SourceTableNames names = duplicates::IncomeSourceNames(kind);
    auto file = [&dir](const char* name) { return dir + "/" + name + ".dbf"; };
    engine::DbfFile::create(file(names.incomes),
                            {key, {"KOD", 'C', 4, 0}, {"SUM", 'N', 15, 0}, {dos ? "KSK" : "KODSK", 'C', 2, 0},
                             {"SK", 'N', 11, 0}},
                            0);
    engine::DbfFile::create(file(names.deductions), {key, {"KOD", 'C', 2, 0}, {"SUM", 'N', 10, 2}}, 0);
    engine::DbfFile::create(file(names.objects), {key, {dos ? "OBJECT" : "NAME", 'C', 150, 0}}, 0);
}

inline std::unique_ptr<engine::Table> IncomeSource(const std::string& dir, import::SourceKind kind, const char* name) {
    return engine::Table::open(dir + "/" + name + ".dbf", engine::OpenMode::Shared,
                               duplicates::IncomeSourceCodePage(kind));
}

// One source row of each table for the statement `key` (Nom or Id).
inline void AddIncomeSourceRows(const std::string& dir, import::SourceKind kind, const std::string& key,
                                const char* kod, const char* ksk, const char* object) {
    const bool dos = kind == import::SourceKind::Dos2;
    const duplicates::SourceTableNames names = duplicates::IncomeSourceNames(kind);
    auto setKey = [&](engine::Table& t) {
        if (dos)
            t.setInteger("NOM", std::stoi(key));
        else
            t.setString("ID", key);
    };
    auto in = IncomeSource(dir, kind, names.incomes);
    in->append();
    setKey(*in);
    in->setString("KOD", kod);
    in->setFloat("SUM", 100);
    in->setString(dos ? "KSK" : "KODSK", ksk);
    in->setFloat("SK", 3);
    in->post();
    in->close();
    auto ded = IncomeSource(dir, kind, names.deductions);
    ded->append();
    setKey(*ded);
    ded->setString("KOD", std::string(kod).substr(0, 2));
    ded->setFloat("SUM", 12.25);
    ded->post();
    ded->close();
    auto obj = IncomeSource(dir, kind, names.objects);
    obj->append();
    setKey(*obj);
    obj->setString(dos ? "OBJECT" : "NAME", object);
    obj->post();
    obj->close();
}

}  // namespace kvzt::test
