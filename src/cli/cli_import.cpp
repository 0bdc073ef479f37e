// kvzt-cli import --kind 2|3 DIR [--empty-target] [--imp-dir DIR]: the
// import run without windows. Progress goes to stderr, the counts and the
// two duplicate flags to stdout. --empty-target first empties the import's
// 21 target tables, as the main window does when the user agrees.
//
// --abort-after N (for the crash tests, not in the usage text) ends the
// process without any clean-up once N source records are written, before
// their transaction is committed. --transaction-span-ms N (also hidden) sets
// how long one transaction gathers records (0: one record each).

#include <cstdlib>
#include <string>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "data/data_module.h"
#include "import/import_run.h"

namespace kvzt::cli {

namespace {

// "импорт: 40% (400/1000)" each time the whole percentage moves on.
class StderrImportProgress final : public import::ImportProgress {
public:
    void setMaximum(int maximum) override { maximum_ = maximum; }
    void setPosition(int position) override {
        const int percent = maximum_ > 0 ? int(qint64(position) * 100 / maximum_) : 100;
        if (percent == lastPercent_) return;
        lastPercent_ = percent;
        err(formatText("импорт: %d%% (%d/%d)\n", percent, position, maximum_));
    }
    bool cancelled() override { return false; }

private:
    int maximum_ = 0;
    int lastPercent_ = -1;
};

const char* yesNo(bool value) { return value ? "да" : "нет"; }

}  // namespace

int runImport(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {"--kind", "--imp-dir", "--abort-after", "--transaction-span-ms"}, {"--empty-target"});
    const std::optional<std::string> kindText = args.value("--kind");
    if (!kindText || (*kindText != "2" && *kindText != "3") || args.positional.size() != 1) {
        throw UsageError("import ожидает --kind 2|3 и один КАТАЛОГ исходных файлов");
    }

    import::ImportRequest request;
    request.kind = *kindText == "2" ? import::SourceKind::Dos2 : import::SourceKind::Win32;
    request.srcDir = QString::fromStdString(args.positional[0]);
    if (const auto impDir = args.value("--imp-dir")) request.impDir = QString::fromStdString(*impDir);
    if (const auto span = args.value("--transaction-span-ms")) {
        request.transactionSpanMs = parseCount(*span, "--transaction-span-ms");
    }
    if (const auto abortAfter = args.value("--abort-after")) {
        const int limit = parseCount(*abortAfter, "--abort-after");
        request.afterRecord = [limit](int done) {
            if (done >= limit) std::_Exit(9);
        };
    }

    if (const auto warning = import::CheckImportFiles(request.srcDir, request.kind, request.impDir)) {
        // A source or reference file that is not there is an error of the
        // command (as a missing kladr.dbf is), not a failed check of data.
        err(warning->line1.toStdString() + "\n" + warning->line2.toStdString() + "\n");
        return kExitError;
    }

    const std::unique_ptr<engine::Session> session = openSession(args);
    data::TdmKVZT dm(*session, data::TdmKVZT::Connect::Later);
    if (args.has("--empty-target")) {
        data::EmptyImportTargets(dm, [](const QString& table) { err("очистка: " + table.toStdString() + "\n"); });
    }

    StderrImportProgress progress;
    const import::ImportResult result = import::RunImport(dm, request, progress);
    out(formatText("Обработано записей исходного списка: %d из %d\n", result.processed, result.sourceRecords));
    out(formatText("Добавлено таксантов: %d\n", result.personsAdded));
    out(formatText("Дублей таксантов: %d\n", result.personDuplicates));
    out(formatText("Добавлено сведений о доходах: %d\n", result.statementsAdded));
    out(formatText("Дублей сведений о доходах: %d\n", result.statementDuplicates));
    out(formatText("SpisDblFound: %s\n", yesNo(result.spisDblFound)));
    out(formatText("SvedDblFound: %s\n", yesNo(result.svedDblFound)));
    if (result.error) {
        err(result.errorText().toStdString() + "\n");
        return kExitError;
    }
    return kExitOk;
}

}  // namespace kvzt::cli
