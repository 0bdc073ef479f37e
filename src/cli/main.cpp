// kvzt-cli: the command-line companion for administrators, scripts and tests.

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <string>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "engine/errors.h"
#include "schema/pack_error.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const kvzt::cli::Arguments&);
    bool writes;  // holds the database's run lock while it works
};

const Command kCommands[] = {
    {"info", kvzt::cli::runInfo, false},       {"dump", kvzt::cli::runDump, false},
    {"verify", kvzt::cli::runVerify, false},   {"reindex", kvzt::cli::runReindex, true},
    {"pack", kvzt::cli::runPack, true},        {"check", kvzt::cli::runCheck, true},
    {"clear", kvzt::cli::runClear, true},      {"import", kvzt::cli::runImport, true},
    {"kladr", kvzt::cli::runKladr, true},      {"include", kvzt::cli::runInclude, true},
    {"repair", kvzt::cli::runRepair, true},
};

const char* const kUsage =
    "использование: kvzt-cli КОМАНДА [параметры] [--alias ИМЯ=КАТАЛОГ]...\n"
    "  info ТАБЛИЦА                          заголовок, кодовая страница, поля, число записей, теги\n"
    "  dump ТАБЛИЦА [--tag ТЕГ] [--deleted]  записи в CSV (UTF-8) со строкой имён полей\n"
    "  verify ТАБЛИЦА                        сверка каждого тега с данными\n"
    "  reindex ТАБЛИЦА | --group ГРУППА      перестроение индексов (ГРУППА: all, base, kladr, sprav)\n"
    "  pack ТАБЛИЦА | --group ГРУППА         уплотнение (удаление помеченных записей)\n"
    "  check [--refbooks КАТАЛОГ]            проверка целостности данных: недостающие таблицы и индексы\n"
    "  repair ТАБЛИЦА                        исправление числа записей в заголовке и перестроение тегов\n"
    "                                        (копии таблицы и индекса остаются рядом: .kvzt-bak)\n"
    "  clear --income | --income-and-list    очистка сведений о доходах (и списка таксантов)\n"
    "  import --kind 2|3 КАТАЛОГ [--empty-target] [--imp-dir КАТАЛОГ]  импорт данных прежних версий\n"
    "  kladr import КАТАЛОГ --regions all|КОД,КОД.. [--no-streets]   импорт КЛАДР для регионов\n"
    "  kladr delete --regions all|КОД,КОД..  удаление установленных записей КЛАДР регионов\n"
    "  include --list [--mark з|д]           включение отмеченных дублей таксантов\n"
    "  include --income --kind 2|3 --source КАТАЛОГ [--mark з|д]  включение отмеченных дублей сведений о доходах\n"
    "ТАБЛИЦА: ПСЕВДОНИМ:ИМЯ (VX_B:SPISOK32) или путь к файлу .dbf\n";

std::string hexCode(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(code));
    return text;
}

}  // namespace

namespace {

int run(int argc, char** argv) {
    using namespace kvzt::cli;
    if (argc < 2) {
        err(kUsage);
        return kExitError;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        out(kUsage);
        return kExitOk;
    }
    const Arguments args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (name != command.name) {
            continue;
        }
        if (command.writes) {
            setWritingCommand(command.name);
        }
        try {
            return command.run(args);
        } catch (const UsageError& e) {
            err(std::string("kvzt-cli ") + name + ": " + e.what() + "\n" + kUsage);
        } catch (const kvzt::engine::EngineError& e) {
            err(std::string("kvzt-cli ") + name + ": ошибка (" + hexCode(e.code()) + "): " + e.what() + "\n");
        } catch (const kvzt::schema::EPackError& e) {
            err(std::string("kvzt-cli ") + name + ": ошибка уплотнения: " + e.what() + "\n");
        } catch (const std::exception& e) {
            err(std::string("kvzt-cli ") + name + ": ошибка: " + e.what() + "\n");
        } catch (...) {
            err(std::string("kvzt-cli ") + name + ": непредвиденная ошибка\n");
        }
        return kExitError;
    }
    err("kvzt-cli: неизвестная команда \"" + name + "\"\n" + kUsage);
    return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The last resort: whatever escapes a command (or the closing of its
    // tables) is printed, never an abort.
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvzt-cli: ошибка: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "kvzt-cli: непредвиденная ошибка\n");
    }
    return kvzt::cli::kExitError;
}
