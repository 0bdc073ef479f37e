#include "cli/cli_options.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

#include "data/engine_session.h"
#include "engine/path_util.h"
#include "engine/run_lock.h"

namespace kvzt::cli {

namespace {

bool listed(std::initializer_list<const char*> names, const std::string& name) {
    for (const char* n : names) {
        if (name == n) {
            return true;
        }
    }
    return false;
}

bool endsWithDbf(const std::string& text) {
    if (text.size() < 4) {
        return false;
    }
    std::string tail = text.substr(text.size() - 4);
    for (char& c : tail) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return tail == ".dbf";
}

}  // namespace

std::optional<std::string> CliArgs::value(const std::string& option) const {
    const auto it = values.find(option);
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

CliArgs parseArgs(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
                  std::initializer_list<const char*> flagOptions) {
    CliArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(arg);
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const bool takesValue = name == "--alias" || listed(valueOptions, name);
        if (!takesValue && !listed(flagOptions, name)) {
            throw UsageError("неизвестный параметр " + name);
        }
        if (!takesValue) {
            if (inlineValue) {
                throw UsageError("параметр " + name + " не принимает значения");
            }
            parsed.flags.insert(name);
            continue;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw UsageError("после " + name + " нужно значение");
        }
        if (name == "--alias") {
            if (value.find('=') == std::string::npos || value.front() == '=') {
                throw UsageError("--alias ожидает ИМЯ=КАТАЛОГ, получено \"" + value + "\"");
            }
            parsed.aliases.push_back(value);
        } else {
            parsed.values[name] = value;
        }
    }
    return parsed;
}

namespace {

std::string& writingCommand() {
    static std::string name;
    return name;
}

}  // namespace

void setWritingCommand(const std::string& name) { writingCommand() = name; }

void holdRunLock(const engine::Session& session) {
    static std::unique_ptr<engine::RunLock> held;
    if (held || writingCommand().empty()) {
        return;
    }
    const std::optional<std::string> base = session.config().directory("VX_B");
    // Without the database's directory there is nothing to guard yet; the
    // command fails on its own when it reaches the tables.
    if (!base || !QFileInfo(QString::fromStdString(*base)).isDir()) {
        return;
    }
    held = engine::RunLock::acquire(*base, "kvzt-cli " + writingCommand());
}

std::unique_ptr<engine::Session> openSession(const CliArgs& args) {
    std::unique_ptr<engine::Session> session = data::OpenSession(args.aliases);
    holdRunLock(*session);
    return session;
}

TableTarget resolveTable(const std::string& tableArg, const CliArgs& args) {
    TableTarget target;
    target.session = openSession(args);
    const bool isPath = tableArg.find('/') != std::string::npos || tableArg.find('\\') != std::string::npos ||
                        endsWithDbf(tableArg);
    if (isPath) {
        const QFileInfo info(QString::fromStdString(tableArg));
        const std::string directory = QDir::toNativeSeparators(info.absolutePath()).toStdString();
        target.ownDatabase = std::make_unique<engine::Database>(directory, directory, engine::CodePage::Cp866);
        target.database = target.ownDatabase.get();
        target.tableName = info.fileName().toStdString();
        target.label = tableArg;
        return target;
    }
    const std::size_t colon = tableArg.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == tableArg.size()) {
        throw UsageError("ТАБЛИЦА задаётся как ПСЕВДОНИМ:ИМЯ (VX_B:SPISOK32) или путём к файлу .dbf, получено \"" +
                         tableArg + "\"");
    }
    target.database = &target.session->database(tableArg.substr(0, colon));
    target.tableName = tableArg.substr(colon + 1);
    target.label = tableArg;
    return target;
}

void out(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void err(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

int parseCount(const std::string& text, const char* option) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 1000000000L) {
        throw UsageError(std::string(option) + " ожидает целое неотрицательное число");
    }
    return int(value);
}

}  // namespace kvzt::cli
