#pragma once
// The fields the import reads from each source file. A file that lacks one
// is from another version of the host program (or not a host file at all);
// the run refuses it before writing anything.

#include <string>

namespace kvzt::engine {
class Table;
}

namespace kvzt::import {

enum class SourceTable {
    DosList,        // Spisok.dbf: taxpayer and his one statement
    DosIncome,      // Doxod.dbf
    DosDeductions,  // Vicet.dbf
    DosObjects,     // Object.dbf
    DosDocuments,   // kldok.dbf
    DosCountries,   // k0str.dbf
    DosRegions,     // k1reg.dbf
    WinList,        // Spisok32.dbf
    WinStatements,  // SvBase32.dbf
    WinIncome,      // Doxod22.dbf
    WinDeductions,  // Vicet22.dbf
    WinObjects,     // NH22.dbf
};

// Throws EngineError(NoSuchField) naming the file and the first missing field.
void RequireSourceFields(engine::Table& table, SourceTable which);

}  // namespace kvzt::import
