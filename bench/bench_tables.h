#pragma once
// The benchmarks make their tables exactly as the program does: from the
// table catalogue.

#include <QString>

#include "engine/database.h"
#include "schema/table_catalogue.h"

namespace kvzt::bench {

// Creates the catalogue table `fileName` (e.g. "SPISOK32.DBF") in `db`.
inline void createCatalogueTable(engine::Database& db, const char* fileName) {
    const QStringList list = schema::BuildTableCatalogue();
    const auto table = schema::FindCatalogueTable(list, QString::fromLatin1(fileName));
    schema::CreateTableFromCatalogue(db, list, table->fileName, table->firstFieldLine(), table->fieldCount);
}

}  // namespace kvzt::bench
