#pragma once
// Running one maintenance step over a TABLE argument or a --group of host
// tables, with a progress line per table on stderr.

#include <functional>
#include <string>

#include "cli/cli_commands.h"

namespace kvzt::engine {
class Database;
}

namespace kvzt::cli {

using TableStep = std::function<void(engine::Database& database, const std::string& tableName)>;

// `verb` names the step in progress lines ("переиндексация"), `done` in the
// closing line ("переиндексировано").
int runOverTables(const std::string& command, const Arguments& arguments, const std::string& verb,
                  const std::string& done, const TableStep& step);

}  // namespace kvzt::cli
