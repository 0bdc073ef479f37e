#pragma once
// The transactions of an inclusion run. Rows are gathered into transactions
// over VX_B and VX_S (data/batch_transaction.h): a row's record in the host's
// tables and the deletion of its duplicate row are committed together, so a
// crash never leaves a taxpayer or a statement written while its duplicate
// row still waits with its mark (a rerun would write it twice).
//
// The run's counts of written rows follow the commits. An error inside a
// row rolls the open transaction back, with the rows written before the
// failing one; those are then written again (found by their bookmarks) in a
// fresh transaction and committed, so that only the failing row stays in its
// duplicate table. A failed commit undoes the rows since the last one.

#include <chrono>
#include <functional>
#include <vector>

#include "data/batch_transaction.h"
#include "duplicates/inclusion_run.h"
#include "engine/table.h"

namespace kvzt::duplicates {

class InclusionBatch {
public:
    // Writes the duplicate row the cursor is on (the 1-based row number given);
    // returns the mark it was written by, or Mark::None when it was left.
    // Calls begin() before its first write.
    using WriteRow = std::function<Mark(int row)>;
    // Takes every cursor the rows write out of its edit state and range after
    // an error; must not throw.
    using LeaveCursors = std::function<void()>;

    InclusionBatch(engine::Database& base, engine::Database& duplicates, engine::Table& duplicateCursor,
                   std::chrono::milliseconds span, InclusionResult& result);

    // Starts a transaction when none is open (called by WriteRow).
    void begin() { transaction_.beginUnit(); }
    // Handles the current row: writes it, and commits when the span is over.
    // After an error the batch is recovered as described above, the result's
    // failedRow set, and the error thrown on.
    bool include(int row, const WriteRow& write, const LeaveCursors& leave);
    // Commits what is written (end of the run, a stop); on failure the rows
    // since the last commit are undone and the error thrown on.
    void finish(const LeaveCursors& leave);

private:
    struct Pending {
        engine::Bookmark bookmark;
        int row;
        Mark mark;
    };
    void commit(const LeaveCursors& leave);
    void committed();
    void undo(const LeaveCursors& leave) noexcept;

    data::BatchTransaction transaction_;
    engine::Table& dup_;
    InclusionResult& result_;
    std::vector<Pending> pending_;
};

}  // namespace kvzt::duplicates
