#pragma once
// One transaction over several database objects (VX_B and VX_S): every
// write made through their tables between start() and commit() is kept in
// all of them or undone in all of them, whatever the point at which the
// process dies.
//
// Each member keeps its own journal, which names the group (journal.h).
// commit(): sync the data files of every member; write and sync the group
// record in the first member's directory (group_record.h); remove each
// journal (the directory synced after each removal); remove the record.
// Until the record exists a crash rolls every member back; once it exists
// every member's journal is discarded. Recovery happens at the next open of
// each member's directory by any of our programs (Database's constructor).

#include <cstdint>
#include <string>
#include <vector>

namespace kvzt::engine {

class Database;

class TransactionGroup {
public:
    // The first member keeps the group record. Members are distinct
    // databases with distinct directories.
    explicit TransactionGroup(std::vector<Database*> members);
    // An open transaction is rolled back (errors swallowed: the journals then
    // stay and the next open rolls them back).
    ~TransactionGroup();
    TransactionGroup(const TransactionGroup&) = delete;
    TransactionGroup& operator=(const TransactionGroup&) = delete;

    bool active() const { return active_; }
    // Starts a transaction on every member; on failure none stays started.
    void start();
    // Commits every member. A failure before the group record is written
    // leaves the transaction open (roll it back); once it is written the
    // group has committed, and a journal that cannot be removed is left for
    // the next open to discard.
    void commit();
    // Rolls every member back; the first error is thrown after all were tried.
    void rollback();

private:
    std::vector<Database*> members_;
    std::string recordPath_;
    std::uint64_t id_ = 0;
    bool active_ = false;
};

}  // namespace kvzt::engine
