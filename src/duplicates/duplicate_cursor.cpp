#include "duplicates/duplicate_cursor.h"

#include "engine/session.h"

namespace kvzt::duplicates {

DuplicateCursor::DuplicateCursor(engine::Session& session, engine::Table* given, const char* tableName) {
    if (given) {
        table_ = given;
        return;
    }
    owned_ = session.openTable("VX_S", tableName, engine::OpenMode::Shared);
    owned_->setIndex("FIOX");
    table_ = owned_.get();
}

DuplicateCursor::~DuplicateCursor() {
    try {
        if (owned_) owned_->close();
    } catch (...) {
        // A destructor cannot report a failed write; the run's own error is reported.
    }
}

int DuplicateCursor::countRows() {
    int rows = 0;
    for (table_->first(); !table_->eof(); table_->next()) ++rows;
    table_->first();
    return rows;
}

}  // namespace kvzt::duplicates
