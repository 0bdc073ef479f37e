// The local SQL subset of a database object: the statements are parsed in
// sql_statement.cpp and run here over a cursor of this database, so that
// they take the usual locks and fall under its transaction.
#include <memory>
#include <type_traits>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/sql_statement.h"
#include "engine/table.h"

namespace kvzt::engine {

namespace {

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

void requireField(const Table& table, const std::string& field, std::string_view statement) {
    if (table.fieldIndex(field) < 0)
        throw EngineError(code::SqlError, "Ошибка в SQL-запросе «" + std::string(statement) + "»: в таблице " +
                                              table.tableName() + " нет поля " + field);
}

}  // namespace

SqlResult Database::execSql(std::string_view statement) {
    const SqlStatement parsed = parseSqlStatement(statement);
    SqlResult result;

    if (const auto* update = std::get_if<SqlUpdateAll>(&parsed)) {
        std::unique_ptr<Table> table = openTable(update->table, OpenMode::Shared);
        requireField(*table, update->field, statement);
        // Natural order: a changed key cannot move records under the cursor.
        for (table->first(); !table->eof(); table->next()) {
            table->edit();
            table->setString(update->field, update->value);
            table->post();
            ++result.rowsAffected;
        }
        table->close();
        return result;
    }

    const auto& count = std::get<SqlCountNotEqual>(parsed);
    std::unique_ptr<Table> table = openTable(count.table, OpenMode::ReadOnly);
    requireField(*table, count.field, statement);
    const std::string_view value = trimRight(count.value);
    std::int64_t n = 0;
    for (table->first(); !table->eof(); table->next())
        if (trimRight(table->asString(count.field)) != value) ++n;
    table->close();
    result.columns.push_back(count.column);
    result.rows.push_back({Value(n)});
    return result;
}

}  // namespace kvzt::engine
