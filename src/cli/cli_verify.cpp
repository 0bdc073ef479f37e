// kvzt-cli verify TABLE: every tag of the production index against the data
// (the checks are the engine's verifyTable). Exit 1 with a Russian report
// when anything disagrees.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "engine/production_index.h"
#include "engine/verify.h"
#include "engine/table.h"

namespace kvzt::cli {

int runVerify(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {}, {});
    if (args.positional.size() != 1) {
        throw UsageError("verify ожидает одну ТАБЛИЦУ");
    }
    TableTarget target = resolveTable(args.positional[0], args);
    std::unique_ptr<engine::Table> table = target.database->openTable(target.tableName, engine::OpenMode::ReadOnly);
    const std::vector<std::string> tags = table->tagNames();
    engine::ProductionIndex* index = table->productionIndex();
    if (tags.empty() || !index) {
        out(target.label + ": тегов нет, проверять нечего\n");
        return kExitOk;
    }
    int failed = 0;
    std::string report;
    for (const engine::TagReport& tag : engine::verifyTable(*table)) {
        if (tag.problems.empty()) {
            out("Тег " + tag.tag + ": в порядке\n");
            continue;
        }
        ++failed;
        report += "Тег " + tag.tag + (tag.expression.empty() ? "" : " (" + tag.expression + ")") +
                  " не соответствует данным:\n";
        for (const std::string& line : tag.problems) {
            report += "  " + line + "\n";
        }
    }
    table->close();
    if (failed > 0) {
        err(report + formatText("%s: расхождения в тегах: %d из %d\n", target.label.c_str(), failed, int(tags.size())));
        return kExitCheckFailed;
    }
    out(formatText("%s: все теги (%d) соответствуют данным\n", target.label.c_str(), int(tags.size())));
    return kExitOk;
}

}  // namespace kvzt::cli
