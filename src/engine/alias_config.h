#pragma once
// Where the aliases point. Sources, later ones winning:
//   1. the engine configuration file engine.ini beside the program
//        [ALIASES]   VX_B=/path/to/base      VX_S=/path/to/sprav
//        [DEFAULTS]  LANGDRIVER=1251          (code page for tables with driver byte 0)
//   2. environment variables KVZT_ALIAS_<NAME>=directory
//   3. --alias NAME=DIR given on the command line.
// With none of them the embedded default database is used: data/base for
// VX_B and data/sprav for VX_S beside the program (or in the user's data
// folder when that is not writable), and the configuration used is written
// to engine.ini so the user can see and change it.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/code_page.h"

namespace kvzt::engine {

class AliasConfig {
public:
    AliasConfig() = default;

    // Reads `iniPath` if it exists (a missing file is no error), then the
    // environment, then `overrides` (NAME=DIR pairs). Throws InvalidParam for a
    // malformed override.
    static AliasConfig load(const std::string& iniPath, const std::vector<std::string>& overrides = {});

    // The configuration written in `text`, the contents of an engine.ini;
    // `sourceName` names the file in messages. Throws Corrupt naming the file
    // and the line for text that is no INI file (a line that is neither a
    // section, a NAME=VALUE pair nor a comment, an unclosed section name, a
    // pair before any section, control bytes), InvalidParam for an unknown
    // code page.
    static AliasConfig parse(std::string_view text, const std::string& sourceName);

    // When neither VX_B nor VX_S is configured: points them at the embedded
    // default database under `programDir` (or `userDataDir` when programDir is
    // not writable), creates the directories and writes `iniPath`.
    void applyEmbeddedDefaults(const std::string& iniPath, const std::string& programDir,
                               const std::string& userDataDir);

    void setAlias(std::string_view name, std::string_view directory);
    // Alias names compare ignoring case.
    std::optional<std::string> directory(std::string_view alias) const;
    std::vector<std::string> aliasNames() const;
    // Code page for tables with language-driver byte 0 under this alias (1251 unless configured).
    CodePage defaultCodePage() const { return defaultCodePage_; }
    void setDefaultCodePage(CodePage cp) { defaultCodePage_ = cp; }

    // Writes the configuration as engine.ini.
    void save(const std::string& iniPath) const;

private:
    std::map<std::string, std::string> aliases_;  // upper-case name → directory
    CodePage defaultCodePage_ = CodePage::Cp1251;
};

}  // namespace kvzt::engine
