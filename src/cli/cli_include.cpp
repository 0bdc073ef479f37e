// kvzt-cli include --list [--mark з|д]
// kvzt-cli include --income --kind 2|3 --source DIR [--mark з|д]
//
// Runs the taxpayer-list or the income inclusion over the duplicate tables
// the last import left, as the process windows do. --mark first gives every
// duplicate that mark. The hidden --abort-after N ends the process at once
// after N rows (with --abort-mid: in the middle of the next row written,
// just before its commit), for the crash tests. The hidden
// --transaction-span-ms N sets how long one transaction gathers rows (0: one
// row each).

#include <QString>

#include <cstdlib>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "data/data_module.h"
#include "duplicates/income_inclusion.h"
#include "duplicates/income_sources.h"
#include "duplicates/list_inclusion.h"
#include "duplicates/mark_all.h"

namespace kvzt::cli {

namespace {

class SilentProgress final : public duplicates::InclusionProgress {
public:
    void setMaximum(int) override {}
    void setPosition(int) override {}
    bool cancelled() override { return false; }
};

constexpr int kAbortExitCode = 3;

duplicates::InclusionHooks abortHooks(const CliArgs& args) {
    duplicates::InclusionHooks hooks;
    const std::optional<std::string> text = args.value("--abort-after");
    if (!text) return hooks;
    int n = 0;
    try {
        n = std::stoi(*text);
    } catch (...) {
        throw UsageError("--abort-after ожидает число строк");
    }
    if (args.has("--abort-mid")) {
        hooks.beforeCommit = [n](int row) {
            if (row > n) std::_Exit(kAbortExitCode);
        };
    } else {
        hooks.afterRow = [n](int done) {
            if (done >= n) std::_Exit(kAbortExitCode);
        };
    }
    return hooks;
}

QString markOption(const CliArgs& args) {
    const std::optional<std::string> mark = args.value("--mark");
    if (!mark) return {};
    const QString text = QString::fromStdString(*mark);
    if (text != duplicates::kMarkReplace && text != duplicates::kMarkAdd) {
        throw UsageError("--mark ожидает \"з\" (заменить) или \"д\" (добавить)");
    }
    return text;
}

import::SourceKind kindOption(const CliArgs& args) {
    const std::optional<std::string> kind = args.value("--kind");
    if (kind == "2") return import::SourceKind::Dos2;
    if (kind == "3") return import::SourceKind::Win32;
    throw UsageError("--kind ожидает 2 (DOS 2.*) или 3 (Windows 3.2)");
}

int report(const duplicates::InclusionResult& result) {
    out(formatText("Включено записей: %d (заменено: %d, добавлено: %d); осталось в списке дублей: %d\n",
                   result.written(), result.replaced, result.added, result.left()));
    if (result.error) {
        err(result.errorText().toStdString() + "\n");
        return kExitError;
    }
    return kExitOk;
}

}  // namespace

int runInclude(const Arguments& arguments) {
    const CliArgs args =
        parseArgs(arguments, {"--kind", "--source", "--mark", "--abort-after", "--transaction-span-ms"},
                  {"--list", "--income", "--abort-mid"});
    const bool list = args.has("--list");
    const bool income = args.has("--income");
    if (list == income || !args.positional.empty()) {
        throw UsageError("include ожидает ровно один из ключей --list, --income");
    }
    const QString mark = markOption(args);
    const duplicates::InclusionHooks hooks = abortHooks(args);
    int spanMs = 1000;
    if (const auto span = args.value("--transaction-span-ms")) spanMs = parseCount(*span, "--transaction-span-ms");

    if (list) {
        if (args.value("--kind") || args.value("--source")) {
            throw UsageError("--kind и --source относятся только к include --income");
        }
        const std::unique_ptr<engine::Session> session = openSession(args);
        data::TdmKVZT dm(*session, data::TdmKVZT::Connect::Later);
        if (!mark.isEmpty()) duplicates::SetAllMarks(dm, duplicates::kSpisDupTable, mark);
        SilentProgress progress;
        return report(duplicates::RunListInclusion(dm, {nullptr, hooks, spanMs}, progress));
    }

    const import::SourceKind kind = kindOption(args);
    const std::optional<std::string> source = args.value("--source");
    if (!source || source->empty()) throw UsageError("include --income ожидает --source КАТАЛОГ");
    const std::unique_ptr<engine::Session> session = openSession(args);
    data::TdmKVZT dm(*session, data::TdmKVZT::Connect::Later);
    duplicates::SetIncomeSources(dm, QString::fromStdString(*source), kind);
    if (!mark.isEmpty()) duplicates::SetAllMarks(dm, duplicates::kSvedDupTable, mark);
    SilentProgress progress;
    return report(duplicates::RunIncomeInclusion(dm, {kind, nullptr, hooks, spanMs}, progress));
}

}  // namespace kvzt::cli
