#include "engine/transaction_group.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <random>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/group_record.h"
#include "engine/journal.h"

namespace kvzt::engine {

namespace {

// Ids only need to differ from those of earlier groups of the same directories.
std::uint64_t newGroupId() {
    static std::mt19937_64 generator{std::random_device{}() ^
                                     std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                                     (std::uint64_t(processId()) << 32)};
    std::uint64_t id = 0;
    while (id == 0) id = generator();
    return id;
}

// Journals and the record name each other by full path, so that recovery
// finds them whichever spelling of the directory the next program uses.
std::string fullPath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path.empty() ? "." : path, ec);
    if (ec) return path;
    return full.lexically_normal().string();
}

}  // namespace

TransactionGroup::TransactionGroup(std::vector<Database*> members) : members_(std::move(members)) {
    if (members_.empty()) throw EngineError(code::InvalidParam, "Группа транзакций без баз данных");
}

TransactionGroup::~TransactionGroup() {
    if (!active_) return;
    try {
        rollback();
    } catch (...) {
        // The journals stay on disk; the next open rolls them back.
    }
}

void TransactionGroup::start() {
    if (active_) throw EngineError(code::TransactionState, "Транзакция уже начата: " + members_.front()->name());
    const JournalGroup group{newGroupId(), GroupRecord::pathIn(fullPath(members_.front()->directory()))};
    std::size_t started = 0;
    try {
        for (; started < members_.size(); ++started) members_[started]->startTransaction(&group);
    } catch (...) {
        for (std::size_t i = 0; i < started; ++i) {
            try {
                members_[i]->rollback();
            } catch (...) {
            }
        }
        throw;
    }
    recordPath_ = group.recordPath;
    id_ = group.id;
    active_ = true;
}

void TransactionGroup::commit() {
    if (!active_) throw EngineError(code::TransactionState, "Транзакция не начата: " + members_.front()->name());
    for (Database* db : members_) db->syncForCommit();
    GroupRecord record;
    record.id = id_;
    for (Database* db : members_) record.journals.push_back(Journal::pathIn(fullPath(db->directory())));
    GroupRecord::writeCommitted(recordPath_, record);
    // From here on the group has committed, whatever fails below.
    active_ = false;
    for (Database* db : members_) {
        try {
            db->finishCommit();
        } catch (...) {
            db->journal().abandon();
        }
    }
    GroupRecord::removeIfDone(recordPath_);
}

void TransactionGroup::rollback() {
    if (!active_) throw EngineError(code::TransactionState, "Транзакция не начата: " + members_.front()->name());
    active_ = false;
    std::exception_ptr first;
    for (Database* db : members_) {
        try {
            if (db->inTransaction()) db->rollback();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

}  // namespace kvzt::engine
