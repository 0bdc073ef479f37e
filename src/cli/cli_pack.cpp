// kvzt-cli pack TABLE | --group G: removes the deleted records of each table
// physically and rebuilds its tags.

#include "cli/cli_table_run.h"
#include "schema/index_catalogue.h"

namespace kvzt::cli {

int runPack(const Arguments& args) {
    return runOverTables("pack", args, "уплотнение", "уплотнено",
                         [](engine::Database& database, const std::string& tableName) {
                             schema::PackTable(database, tableName);
                         },
                         schema::ServiceKind::Pack);
}

}  // namespace kvzt::cli
