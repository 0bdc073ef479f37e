#pragma once
// What the steps of one import run share: the data module, the source kind,
// the cursors the run opened, the reference books and grouped detail rows
// read once, and the counts reported at the end.

#include <memory>

#include "import/dos_reference_books.h"
#include "import/import_run.h"
#include "import/source_details.h"

namespace kvzt::engine {
class Table;
}

namespace kvzt::import {

struct ImportContext {
    ImportContext(data::TdmKVZT& module, SourceKind sourceKind, ImportResult& runResult)
        : dm(module), kind(sourceKind), result(runResult) {}

    data::TdmKVZT& dm;
    SourceKind kind;
    ImportResult& result;

    engine::Table* sourceList = nullptr;        // tbSpisDos: SPISOK or SPISOK32, natural order
    engine::Table* sourceStatements = nullptr;  // tbSvedI: SvBase32 of the source, tag NOMX (Win 3.2)
    engine::Table* spisNomG = nullptr;          // Spisok32, tag NOMX: the highest taxpayer number
    engine::Table* spisDbl = nullptr;           // Spis_D32
    engine::Table* svedDbl = nullptr;           // SvB_32
    engine::Table* svedByIdDok = nullptr;       // Svbase32, tag IDDOKX
    engine::Table* svedById = nullptr;          // Svbase32, tag IDX

    DosReferenceBooks books;  // DOS 2.* only
    SourceDetails incomeLines;
    SourceDetails deductions;
    SourceDetails objects;

    bool isDos() const { return kind == SourceKind::Dos2; }
};

}  // namespace kvzt::import
