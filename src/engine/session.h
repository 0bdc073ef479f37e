#pragma once
// The engine's session: the alias configuration and one database object per
// alias. Tables are opened by alias or by directory.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "engine/alias_config.h"
#include "engine/database.h"
#include "engine/table.h"

namespace kvzt::engine {

class Session {
public:
    explicit Session(AliasConfig config);

    const AliasConfig& config() const { return config_; }
    // The alias's directory; throws UnknownDatabase.
    std::string aliasPath(std::string_view alias) const;
    // The database object of an alias (created on first use); throws UnknownDatabase.
    Database& database(std::string_view alias);

    std::unique_ptr<Table> openTable(std::string_view alias, std::string_view tableName,
                                     OpenMode mode = OpenMode::Shared);
    // A table outside the aliases (earlier-version files, classifier files);
    // `defaultCodePage` applies when its language-driver byte is 0 or unknown.
    std::unique_ptr<Table> openTableInDirectory(const std::string& directory, std::string_view tableName,
                                                OpenMode mode = OpenMode::ReadOnly,
                                                CodePage defaultCodePage = CodePage::Cp866);

private:
    AliasConfig config_;
    std::map<std::string, std::unique_ptr<Database>> databases_;  // upper-case alias →
};

}  // namespace kvzt::engine
