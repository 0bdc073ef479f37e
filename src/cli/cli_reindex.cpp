// kvzt-cli reindex TABLE | --group G: drops each table's production index
// and builds it anew, the catalogue's tags for a host table, the tags it had
// for any other table.

#include "cli/cli_table_run.h"
#include "schema/index_catalogue.h"

namespace kvzt::cli {

int runReindex(const Arguments& args) {
    return runOverTables("reindex", args, "переиндексация", "переиндексировано",
                         [](engine::Database& database, const std::string& tableName) {
                             schema::ReindexTable(database, tableName);
                         },
                         schema::ServiceKind::Reindex);
}

}  // namespace kvzt::cli
