#include "duplicates/row_rollback.h"

#include "engine/database.h"
#include "engine/table.h"

namespace kvzt::duplicates {

void RollBackRow(engine::Database* database, std::initializer_list<engine::Table*> touched) noexcept {
    for (engine::Table* table : touched) {
        if (!table) continue;
        try {
            if (table->state() != engine::EditState::Browse) table->cancel();
            if (table->hasRange()) table->cancelRange();
        } catch (...) {
            // The rollback below restores the file whatever the cursor holds.
        }
    }
    if (database && database->inTransaction()) {
        try {
            database->rollback();
        } catch (...) {
            // The journal stays on disk and is rolled back at the next open.
        }
    }
}

}  // namespace kvzt::duplicates
