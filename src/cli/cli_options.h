#pragma once
// Command-line parsing shared by the kvzt-cli commands: options, the
// --alias overrides, and the TABLE argument (ALIAS:NAME or a .dbf path).

#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/session.h"

namespace kvzt::cli {

// Bad usage: exit code 2, the message and the usage text on stderr.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed check: exit code 1 (the report is already printed).
inline constexpr int kExitOk = 0;
inline constexpr int kExitCheckFailed = 1;
inline constexpr int kExitError = 2;

struct CliArgs {
    std::vector<std::string> positional;
    std::vector<std::string> aliases;  // NAME=DIR, in the order given
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> value(const std::string& option) const;
};

// Parses the arguments after the command name. `valueOptions` take a value
// ("--tag T" or "--tag=T"), `flagOptions` none; --alias is always accepted.
// Throws UsageError for an unknown option or a missing value.
CliArgs parseArgs(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
                  std::initializer_list<const char*> flagOptions);

// Set by main before a command that writes: its sessions then take the run
// lock of the database (engine/run_lock.h) for the rest of the process, so a
// second writer of ours is refused while this one works. Read-only commands
// leave it empty and are never refused.
void setWritingCommand(const std::string& name);
// Takes the run lock of the session's VX_B database when a writing command
// runs (once per process; a refusal throws TableInUse naming the holder).
void holdRunLock(const engine::Session& session);

// The session over engine.ini, the environment and the --alias overrides.
std::unique_ptr<engine::Session> openSession(const CliArgs& args);

// A whole number from 0 to 1,000,000,000 given to `option`; UsageError otherwise.
int parseCount(const std::string& text, const char* option);

// A table named on the command line, with the database object to reach it.
struct TableTarget {
    std::unique_ptr<engine::Session> session;
    std::unique_ptr<engine::Database> ownDatabase;  // for a table given by path
    engine::Database* database = nullptr;
    std::string tableName;  // as the database takes it
    std::string label;      // for messages: "VX_B:SPISOK32" or the path
};

// ALIAS:NAME, or a path to a .dbf file (opened through its directory with
// the directory default, code page 866). Throws UsageError for anything else.
TableTarget resolveTable(const std::string& tableArg, const CliArgs& args);

// printf-style text of modest length (messages, report lines).
template <class... Values>
std::string formatText(const char* pattern, Values... values) {
    char text[512];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

// Writes UTF-8 text unchanged.
void out(const std::string& text);
void err(const std::string& text);

}  // namespace kvzt::cli
