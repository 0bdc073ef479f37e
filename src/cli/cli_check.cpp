// kvzt-cli check [--refbooks DIR]: the start-up integrity check without
// windows. Missing tables and indexes are created, damaged indexes rebuilt
// (each named with what was wrong), empty reference books filled, the
// settings record written; a table whose header disagrees with its file is
// named with the repair command; progress lines go to stderr, the
// summary to stdout. Exit 0 when everything is in place, 1 when something
// could not be repaired.

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "data/engine_session.h"
#include "engine/session.h"
#include "schema/start_check.h"

namespace kvzt::cli {

namespace {

class CliObserver final : public schema::StartCheckObserver {
public:
    void repairing(const QString& alias, const QString& fileName, const QString& what) override {
        err((alias + QLatin1Char(':') + fileName + QStringLiteral(": ") + what + QLatin1Char('\n')).toStdString());
    }
};

void printList(const char* caption, const QStringList& items) {
    out(formatText("%s: %lld\n", caption, static_cast<long long>(items.size())));
    for (const QString& item : items) {
        out("  " + item.toStdString() + "\n");
    }
}

// The configured aliases; with neither VX_B nor VX_S configured anywhere,
// the embedded default database beside the program (or in the user's data
// folder), which the check then fills.
std::unique_ptr<engine::Session> checkSession(const CliArgs& args) {
    engine::AliasConfig config = engine::AliasConfig::load(data::EngineIniPath(), args.aliases);
    data::ApplyEmbeddedDefaults(config);
    auto session = std::make_unique<engine::Session>(std::move(config));
    holdRunLock(*session);
    return session;
}

}  // namespace

int runCheck(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {"--refbooks"}, {});
    if (!args.positional.empty()) {
        throw UsageError("check не принимает ТАБЛИЦУ: проверяются все таблицы каталога");
    }
    std::unique_ptr<engine::Session> session = checkSession(args);
    schema::StartCheckOptions options;
    if (const std::optional<std::string> dir = args.value("--refbooks")) {
        options.referenceBookDirectory = QString::fromStdString(*dir);
    }
    CliObserver observer;
    const schema::StartCheckReport report = schema::StartCheck(*session, options, &observer);

    if (!report.rebuiltIndexes.isEmpty()) {
        printList("Повреждённые индексы построены заново", report.rebuiltIndexes);
    }
    printList("Создано таблиц", report.createdTables);
    printList("Созданы индексы таблиц", report.indexedTables);
    printList("Заполнено справочников", report.filledBooks);
    if (!report.skippedTables.isEmpty()) {
        printList("Нет таблицы, индексы не созданы", report.skippedTables);
    }
    out(report.settingsRecordAdded ? "Запись настроек UPI32 добавлена\n" : "Запись настроек UPI32 на месте\n");
    if (!report.ok()) {
        for (const QString& failure : report.failures) {
            err("Не исправлено: " + failure.toStdString() + "\n");
        }
        return kExitCheckFailed;
    }
    out("Проверка целостности данных завершена\n");
    return kExitOk;
}

}  // namespace kvzt::cli
