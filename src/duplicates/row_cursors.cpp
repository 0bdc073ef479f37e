#include "duplicates/row_cursors.h"

#include "engine/table.h"

namespace kvzt::duplicates {

void LeaveRowCursors(std::initializer_list<engine::Table*> touched) noexcept {
    for (engine::Table* table : touched) {
        if (!table) continue;
        try {
            if (table->state() != engine::EditState::Browse) table->cancel();
            if (table->hasRange()) table->cancelRange();
        } catch (...) {
            // The rollback restores the file whatever the cursor holds.
        }
    }
}

}  // namespace kvzt::duplicates
