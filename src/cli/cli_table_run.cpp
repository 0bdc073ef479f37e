#include "cli/cli_table_run.h"

#include <vector>

#include "cli/cli_options.h"
#include "schema/table_groups.h"

namespace kvzt::cli {

namespace {

struct Job {
    engine::Database* database;
    std::string tableName;
    std::string label;
};

}  // namespace

int runOverTables(const std::string& command, const Arguments& arguments, const std::string& verb,
                  const std::string& done, const TableStep& step) {
    const CliArgs args = parseArgs(arguments, {"--group"}, {});
    const std::optional<std::string> groupName = args.value("--group");
    if (groupName.has_value() == (args.positional.size() == 1) || args.positional.size() > 1) {
        throw UsageError(command + " ожидает либо одну ТАБЛИЦУ, либо --group ГРУППА");
    }

    std::vector<Job> jobs;
    TableTarget single;
    std::unique_ptr<engine::Session> session;
    if (groupName) {
        const std::optional<schema::TableGroup> group = schema::TableGroupByName(*groupName);
        if (!group) {
            throw UsageError("неизвестная группа \"" + *groupName + "\" (допустимы all, base, kladr, sprav)");
        }
        session = openSession(args);
        for (const schema::GroupTable& table : schema::TablesOf(*group)) {
            jobs.push_back({&session->database(table.alias), table.name, table.alias + ":" + table.name});
        }
    } else {
        single = resolveTable(args.positional[0], args);
        jobs.push_back({single.database, single.tableName, single.label});
    }

    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const Job& job = jobs[i];
        err(formatText("[%zu/%zu] %s: %s\n", i + 1, jobs.size(), job.label.c_str(), verb.c_str()));
        try {
            step(*job.database, job.tableName);
        } catch (...) {
            err("Остановлено на таблице " + job.label + "; предыдущие таблицы обработаны.\n");
            throw;
        }
    }
    out(formatText("Готово: %s таблиц: %zu\n", done.c_str(), jobs.size()));
    return kExitOk;
}

}  // namespace kvzt::cli
