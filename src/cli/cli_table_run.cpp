#include "cli/cli_table_run.h"

#include <vector>

#include "cli/cli_options.h"
#include "engine/session.h"
#include "schema/table_groups.h"

namespace kvzt::cli {

namespace {

// One line per table as the run reaches it: "[3/21] DOXOD22: уплотнение".
class StderrProgress final : public schema::DataServiceProgress {
public:
    StderrProgress(int tables, std::string verb) : tables_(tables), verb_(std::move(verb)) {}

    void setMaximum(int) override {}
    void advance() override {}
    void setStatusText(const QString& text) override {
        if (text.isEmpty()) {
            return;
        }
        ++line_;
        if (line_ <= tables_) {
            err(formatText("[%d/%d] %s: %s\n", line_, tables_, text.toStdString().c_str(), verb_.c_str()));
        } else {
            // Clearing the income data ends with the taxpayer list's marks.
            err(text.toStdString() + ": снятие отметок о справках и карточках\n");
        }
    }

private:
    int tables_;
    std::string verb_;
    int line_ = 0;
};

}  // namespace

int runDataServiceTag(engine::Session& session, int tag, const std::string& verb, const std::string& done) {
    const std::optional<schema::TableGroup> group = schema::DataServGroup(tag);
    const int tables = group ? int(schema::TablesOf(*group).size()) : 0;
    StderrProgress progress(tables, verb);
    const schema::DataServiceResult result = schema::RunDataService(session, tag, progress);
    if (!result.ok()) {
        err(result.stopText().toStdString() + "\n");
        std::rethrow_exception(result.error);
    }
    out(formatText("Готово: %s таблиц: %d\n", done.c_str(), result.tablesDone));
    return kExitOk;
}

int runOverTables(const std::string& command, const Arguments& arguments, const std::string& verb,
                  const std::string& done, const TableStep& step, schema::ServiceKind groupKind) {
    const CliArgs args = parseArgs(arguments, {"--group"}, {});
    const std::optional<std::string> groupName = args.value("--group");
    if (groupName.has_value() == (args.positional.size() == 1) || args.positional.size() > 1) {
        throw UsageError(command + " ожидает либо одну ТАБЛИЦУ, либо --group ГРУППА");
    }

    if (groupName) {
        const std::optional<schema::TableGroup> group = schema::TableGroupByName(*groupName);
        const int tag = group ? schema::DataServTag(groupKind, *group) : -1;
        if (tag < 0) {
            throw UsageError("неизвестная группа \"" + *groupName + "\" (допустимы all, base, kladr, sprav)");
        }
        const std::unique_ptr<engine::Session> session = openSession(args);
        return runDataServiceTag(*session, tag, verb, done);
    }

    const TableTarget single = resolveTable(args.positional[0], args);
    err(formatText("[1/1] %s: %s\n", single.label.c_str(), verb.c_str()));
    step(*single.database, single.tableName);
    out(formatText("Готово: %s таблиц: 1\n", done.c_str()));
    return kExitOk;
}

}  // namespace kvzt::cli
