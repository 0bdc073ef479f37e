#pragma once
// The benchmarks make their tables exactly as the program does: from the
// table catalogue.

#include <QString>

#include <filesystem>
#include <memory>

#include "engine/alias_config.h"
#include "engine/database.h"
#include "engine/session.h"
#include "schema/index_catalogue.h"
#include "schema/table_catalogue.h"

namespace kvzt::bench {

// Creates the catalogue table `fileName` (e.g. "SPISOK32.DBF") in `db`.
inline void createCatalogueTable(engine::Database& db, const char* fileName) {
    const QStringList list = schema::BuildTableCatalogue();
    const auto table = schema::FindCatalogueTable(list, QString::fromLatin1(fileName));
    schema::CreateTableFromCatalogue(db, list, table->fileName, table->firstFieldLine(), table->fieldCount);
}

// VX_B and VX_S as the empty folders `dir`/base and `dir`/sprav (whatever
// `dir` held before is removed).
inline engine::AliasConfig freshAliases(const std::filesystem::path& dir) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "base");
    std::filesystem::create_directories(dir / "sprav");
    engine::AliasConfig config;
    config.setAlias("VX_B", (dir / "base").string());
    config.setAlias("VX_S", (dir / "sprav").string());
    return config;
}

// Every catalogue table, empty, with its tags.
inline void createCatalogueTables(engine::Session& session) {
    const QStringList list = schema::BuildTableCatalogue();
    for (const schema::CatalogueTable& t : schema::CatalogueTables(list)) {
        schema::CreateTableFromCatalogue(session, list, t.alias, t.fileName, t.firstFieldLine(), t.fieldCount);
        if (!schema::CatalogueTags(t.fileName).empty())
            schema::CreateIndexes(session.database(t.alias.toStdString()), t.fileName.toStdString());
    }
}

// Every catalogue table, empty, with its tags, under VX_B and VX_S in `dir`.
inline std::unique_ptr<engine::Session> emptyDatabase(const std::filesystem::path& dir) {
    auto session = std::make_unique<engine::Session>(freshAliases(dir));
    createCatalogueTables(*session);
    return session;
}

}  // namespace kvzt::bench
