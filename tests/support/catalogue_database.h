#pragma once
// A scratch host database for tests: every table of the table catalogue,
// empty, with the index catalogue's tags, under two temporary directories
// named by the aliases VX_B and VX_S.

#include <memory>
#include <string>

#include "engine/alias_config.h"
#include "engine/session.h"
#include "schema/index_catalogue.h"
#include "schema/table_catalogue.h"
#include "support/test_support.h"

namespace kvzt::test {

class CatalogueDatabase {
public:
    CatalogueDatabase() {
        engine::AliasConfig config;
        config.setAlias("VX_B", base.path());
        config.setAlias("VX_S", sprav.path());
        session = std::make_unique<engine::Session>(config);
        const QStringList list = schema::BuildTableCatalogue();
        for (const schema::CatalogueTable& t : schema::CatalogueTables(list)) {
            schema::CreateTableFromCatalogue(*session, list, t.alias, t.fileName, t.firstFieldLine(), t.fieldCount);
            if (!schema::CatalogueTags(t.fileName).empty()) {
                schema::CreateIndexes(session->database(t.alias.toStdString()), t.fileName.toStdString());
            }
        }
    }

    TempDir base;   // VX_B
    TempDir sprav;  // VX_S
    std::unique_ptr<engine::Session> session;
};

}  // namespace kvzt::test
