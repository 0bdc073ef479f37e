#include "duplicates/inclusion_batch.h"

#include <exception>

namespace kvzt::duplicates {

InclusionBatch::InclusionBatch(engine::Database& base, engine::Database& duplicates, engine::Table& duplicateCursor,
                               std::chrono::milliseconds span, InclusionResult& result)
    : transaction_(base, duplicates, span), dup_(duplicateCursor), result_(result) {}

bool InclusionBatch::include(int row, const WriteRow& write, const LeaveCursors& leave) {
    const engine::Bookmark bookmark = dup_.bookmark();
    Mark mark = Mark::None;
    try {
        mark = write(row);
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        undo(leave);
        result_.failedRow = row;
        // Write the rows before the failing one again, in a transaction of their own.
        if (!pending_.empty()) {
            std::vector<Pending> redo;
            redo.swap(pending_);
            try {
                for (const Pending& p : redo) {
                    dup_.gotoBookmark(p.bookmark);
                    const Mark again = write(p.row);
                    if (again != Mark::None) pending_.push_back({p.bookmark, p.row, again});
                }
                transaction_.commit();
                committed();
            } catch (...) {
                // They stay in the duplicate table too: the error is given at the first of them.
                undo(leave);
                pending_.clear();
                result_.failedRow = redo.front().row;
            }
        }
        std::rethrow_exception(error);
    }
    if (mark != Mark::None) pending_.push_back({bookmark, row, mark});
    if (transaction_.open()) {
        try {
            if (transaction_.endUnit()) committed();
        } catch (...) {
            undo(leave);
            result_.failedRow = pending_.empty() ? row : pending_.front().row;
            pending_.clear();
            throw;
        }
    }
    return mark != Mark::None;
}

void InclusionBatch::finish(const LeaveCursors& leave) {
    try {
        transaction_.commit();
        committed();
    } catch (...) {
        undo(leave);
        if (!pending_.empty()) result_.failedRow = pending_.front().row;
        pending_.clear();
        throw;
    }
}

void InclusionBatch::committed() {
    for (const Pending& p : pending_) ++(p.mark == Mark::Replace ? result_.replaced : result_.added);
    pending_.clear();
}

void InclusionBatch::undo(const LeaveCursors& leave) noexcept {
    leave();
    transaction_.rollback();
}

}  // namespace kvzt::duplicates
