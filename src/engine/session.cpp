#include "engine/session.h"

#include <algorithm>

#include "engine/errors.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

std::string upper(std::string_view s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return r;
}

}  // namespace

Session::Session(AliasConfig config) : config_(std::move(config)) {}

std::string Session::aliasPath(std::string_view alias) const {
    auto dir = config_.directory(alias);
    if (!dir) throw EngineError(code::UnknownDatabase, "Неизвестный псевдоним базы данных: " + std::string(alias));
    return *dir;
}

Database& Session::database(std::string_view alias) {
    std::string key = upper(alias);
    auto it = databases_.find(key);
    if (it == databases_.end())
        it = databases_.emplace(key, std::make_unique<Database>(key, aliasPath(alias), config_.defaultCodePage())).first;
    return *it->second;
}

std::unique_ptr<Table> Session::openTable(std::string_view alias, std::string_view tableName, OpenMode mode) {
    return database(alias).openTable(tableName, mode);
}

std::unique_ptr<Table> Session::openTableInDirectory(const std::string& directory, std::string_view tableName,
                                                     OpenMode mode, CodePage defaultCodePage) {
    auto found = findFileNoCase(directory, withDbfExtension(tableName));
    if (!found)
        throw EngineError(code::NoSuchTable,
                          "Таблица " + std::string(tableName) + " не найдена в каталоге " + directory);
    return Table::open(*found, mode, defaultCodePage);
}

}  // namespace kvzt::engine
