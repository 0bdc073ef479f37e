#pragma once
// Undoing a row whose writing failed half-way: every cursor the row touched
// leaves its edit or insert state and its range, and the row's transaction
// is rolled back. Never throws: a rollback that fails leaves the journal,
// which the next open of the directory rolls back.

#include <initializer_list>

namespace kvzt::engine {
class Database;
class Table;
}  // namespace kvzt::engine

namespace kvzt::duplicates {

void RollBackRow(engine::Database* database, std::initializer_list<engine::Table*> touched) noexcept;

}  // namespace kvzt::duplicates
