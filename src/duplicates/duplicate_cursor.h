#pragma once
// The cursor an inclusion run walks: the review window's own, or one the run
// opens on the duplicate table (alias VX_S, tag FIOX) and closes when done.

#include <memory>

#include "engine/table.h"

namespace kvzt::engine {
class Session;
}

namespace kvzt::duplicates {

class DuplicateCursor {
public:
    // `given` may be null: then `tableName` is opened under VX_S.
    DuplicateCursor(engine::Session& session, engine::Table* given, const char* tableName);
    ~DuplicateCursor();
    DuplicateCursor(const DuplicateCursor&) = delete;
    DuplicateCursor& operator=(const DuplicateCursor&) = delete;

    engine::Table& operator*() { return *table_; }
    engine::Table* operator->() { return table_; }

    // Visible rows from the first on; leaves the cursor on the first row.
    int countRows();

private:
    std::unique_ptr<engine::Table> owned_;
    engine::Table* table_ = nullptr;
};

}  // namespace kvzt::duplicates
