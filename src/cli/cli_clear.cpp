// kvzt-cli clear --income | --income-and-list: empties the income data
// (statements, tax cards and their detail tables) and then clears every
// taxpayer's IsSprav and IsKart, or empties the income data and the
// taxpayer list too. The same run as the service window's clearing.

#include "cli/cli_options.h"
#include "cli/cli_table_run.h"

namespace kvzt::cli {

int runClear(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {}, {"--income", "--income-and-list"});
    const bool income = args.has("--income");
    const bool incomeAndList = args.has("--income-and-list");
    if (income == incomeAndList || !args.positional.empty()) {
        throw UsageError("clear ожидает ровно один из ключей --income, --income-and-list");
    }
    const std::unique_ptr<engine::Session> session = openSession(args);
    return runDataServiceTag(*session, incomeAndList ? 11 : 10, "очистка", "очищено");
}

}  // namespace kvzt::cli
