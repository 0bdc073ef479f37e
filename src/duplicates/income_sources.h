#pragma once
// The import's source detail tables, read again by the income inclusion:
// incomes, deductions and new-construction objects of the imported
// statements that went to SvB_32 as duplicates.
//
//   kind 2 (DOS 2.*), code page 866:  Doxod (Nom, Kod, Sum, Ksk, Sk),
//                                     Vicet (Nom, Kod, Sum), Object (Nom, Object)
//   other kinds (Win 3.2), code page 1251: Doxod22 (Id, Kod, Sum, KodSk, Sk),
//                                     Vicet22 (Id, Kod, Sum), NH22 (Id, Name)
//
// A DOS row belongs to the duplicate whose NOMDOS equals its Nom as
// integers; a Win 3.2 row to the duplicate whose IDWIN_I equals its Id as
// exact texts. Each table is read once, and its rows are grouped by that key
// in file order.

#include <QString>

#include <map>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "import/import_run.h"

namespace kvzt::data {
class TdmKVZT;
}
namespace kvzt::engine {
class Table;
}

namespace kvzt::duplicates {

struct SourceIncome {
    std::string kod;
    double sum = 0;
    std::string kodSk;
    double sk = 0;
};

struct SourceDeduction {
    std::string kod;
    double sum = 0;
};

struct SourceDetails {
    std::vector<SourceIncome> incomes;
    std::vector<SourceDeduction> deductions;
    std::vector<std::string> objects;  // NAME of NH22
};

struct SourceTableNames {
    const char* incomes;
    const char* deductions;
    const char* objects;
};

SourceTableNames IncomeSourceNames(import::SourceKind kind);
engine::CodePage IncomeSourceCodePage(import::SourceKind kind);

// Points the data module's source components (tbDosDoxod, tbDosVicet,
// tbDosNewHome) at the kind's tables in `srcDir`, with the kind's code page,
// as the import leaves them; for the command line and tests. The components
// must be closed.
void SetIncomeSources(data::TdmKVZT& dm, const QString& srcDir, import::SourceKind kind);

class IncomeSources {
public:
    // Reads the three tables of the data module's source components as the
    // import (or SetIncomeSources) left them; a component the call opened is
    // closed again. Throws the engine's error (a missing table: NoSuchTable).
    static IncomeSources load(data::TdmKVZT& dm, import::SourceKind kind);

    // The detail rows of the current row of SvB_32; empty when none match.
    const SourceDetails& of(const engine::Table& duplicate) const;

private:
    explicit IncomeSources(import::SourceKind kind) : kind_(kind) {}
    std::string keyOfSource(const engine::Table& source) const;

    import::SourceKind kind_;
    std::map<std::string, SourceDetails> byKey_;
    SourceDetails none_;
};

}  // namespace kvzt::duplicates
