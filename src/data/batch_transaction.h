#pragma once
// The transactions of the long runs that write into both databases (the
// import, both inclusions). Each covers whole units of work (a source record
// with its statements and duplicate records; a duplicate row written into
// the host's tables and deleted from its duplicate table), so that a unit is
// kept or undone as one. One transaction covers as many consecutive units as
// are written within `span` of its start: every commit syncs the journals and
// the data files, and one commit per unit would make a run wait on the disk
// far longer than it computes. A span of 0 commits after every unit.
//
// Two databases take part, in one transaction group (engine/transaction_group.h):
// VX_B (the list, statements and detail rows) and VX_S (the duplicate
// tables), so a unit never ends up in one and not the other, even when the
// process dies during the commit.

#include <chrono>

#include "engine/transaction_group.h"

namespace kvzt::engine {
class Database;
}

namespace kvzt::data {

class BatchTransaction {
public:
    BatchTransaction(engine::Database& base, engine::Database& duplicates, std::chrono::milliseconds span);
    BatchTransaction(const BatchTransaction&) = delete;
    BatchTransaction& operator=(const BatchTransaction&) = delete;

    bool open() const { return group_.active(); }
    // Before a unit: starts a transaction when none is open.
    void beginUnit();
    // After a unit: commits when the transaction has lasted its span. True
    // when it committed.
    bool endUnit();
    // Commits an open transaction (end of the run, a stop by the user).
    void commit();
    // Undoes an open transaction; errors are swallowed (the journals then
    // stay behind and the next open of the databases rolls them back).
    void rollback() noexcept;

private:
    engine::TransactionGroup group_;
    std::chrono::milliseconds span_;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace kvzt::data
