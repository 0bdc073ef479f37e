// kvzt-cli repair TABLE: mends a table whose header claims more records than
// the file holds. Copies of the table and its index are kept beside them
// first; then the record count is set from the whole records in the file and
// the tags are built anew. A header wrong in any other way is refused.

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "engine/dbf_repair.h"
#include "engine/errors.h"
#include "schema/index_catalogue.h"

namespace kvzt::cli {

int runRepair(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {}, {});
    if (args.positional.size() != 1) {
        throw UsageError("repair ожидает одну ТАБЛИЦУ");
    }
    TableTarget target = resolveTable(args.positional[0], args);
    const std::string path = target.database->tablePath(target.tableName);
    engine::RecordCountRepair repair;
    try {
        repair = engine::repairRecordCount(path);
    } catch (const engine::EngineError& e) {
        if (e.code() != engine::code::Corrupt) throw;
        err(target.label + ": исправить таблицу без риска нельзя, файлы не изменены. " + e.what() + "\n");
        return kExitError;
    }
    out("Копия таблицы: " + repair.copies.front() + "\n");
    if (repair.copies.size() > 1) out("Копия индекса: " + repair.copies[1] + "\n");
    if (repair.whole < repair.declared) {
        out(formatText("Число записей в заголовке: было %u, стало %u\n", unsigned(repair.declared), unsigned(repair.whole)));
    } else {
        out(formatText("Число записей в заголовке верно: %u\n", unsigned(repair.declared)));
    }
    schema::ReindexTable(*target.database, target.tableName);
    out(target.label + ": теги перестроены\n");
    return kExitOk;
}

}  // namespace kvzt::cli
