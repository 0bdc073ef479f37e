#pragma once
// Running one maintenance step over a TABLE argument or a --group of host
// tables, with a progress line per table on stderr.

#include <functional>
#include <string>

#include "cli/cli_commands.h"
#include "schema/data_service.h"

namespace kvzt::engine {
class Database;
class Session;
}

namespace kvzt::cli {

using TableStep = std::function<void(engine::Database& database, const std::string& tableName)>;

// `verb` names the step in progress lines ("переиндексация"), `done` in the
// closing line ("переиндексировано"). A --group runs the data service's
// command `groupKind` over the group, exactly as the service window does;
// a single TABLE runs `step` on it.
int runOverTables(const std::string& command, const Arguments& arguments, const std::string& verb,
                  const std::string& done, const TableStep& step, schema::ServiceKind groupKind);

// Runs the data service command `tag` with a progress line per table on
// stderr. A stop prints the table it stopped at and throws the error again,
// so that main reports it with its code.
int runDataServiceTag(engine::Session& session, int tag, const std::string& verb, const std::string& done);

}  // namespace kvzt::cli
