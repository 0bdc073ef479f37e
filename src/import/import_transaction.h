#pragma once
// The transactions of an import run. Each covers whole source records: the
// taxpayer, his new statements with their detail rows (each statement posted
// after its rows) and his duplicate records, so that a taxpayer and his
// statements are committed together or rolled back together. One covers as
// many consecutive source records as are written within `span` of its
// start: every commit syncs the journal and the data files, and one
// transaction per statement would make the run wait on the disk for longer
// than it computes.
//
// Two databases take part: VX_B (dbKvZt: the list, statements and detail
// rows) and VX_S (the duplicate tables). Both are committed at a record
// boundary, VX_B first.

#include <chrono>

namespace kvzt::engine {
class Database;
}

namespace kvzt::import {

class ImportTransaction {
public:
    ImportTransaction(engine::Database& base, engine::Database& duplicates, std::chrono::milliseconds span);
    ImportTransaction(const ImportTransaction&) = delete;
    ImportTransaction& operator=(const ImportTransaction&) = delete;

    // Before a source record: starts a transaction when none is open.
    void beginRecord();
    // After a source record: commits when the transaction has lasted its
    // span. True when it committed.
    bool endRecord();
    // Commits an open transaction (end of the run, a stop by the user).
    void commit();
    // Undoes an open transaction; errors are swallowed (the journal then
    // stays behind and the next open of the database rolls it back).
    void rollback() noexcept;

private:
    engine::Database& base_;
    engine::Database& duplicates_;
    std::chrono::milliseconds span_;
    std::chrono::steady_clock::time_point started_;
    bool open_ = false;
};

}  // namespace kvzt::import
