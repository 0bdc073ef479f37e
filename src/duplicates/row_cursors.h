#pragma once
// After an error inside a row: every cursor the row touched leaves its edit
// or insert state and its range, so that the rollback of the row's
// transaction (inclusion_batch.h) finds them browsing. Never throws.

#include <initializer_list>

namespace kvzt::engine {
class Table;
}  // namespace kvzt::engine

namespace kvzt::duplicates {

void LeaveRowCursors(std::initializer_list<engine::Table*> touched) noexcept;

}  // namespace kvzt::duplicates
