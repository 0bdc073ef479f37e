#include "data/batch_transaction.h"

#include "engine/database.h"

namespace kvzt::data {

BatchTransaction::BatchTransaction(engine::Database& base, engine::Database& duplicates,
                                   std::chrono::milliseconds span)
    : group_({&base, &duplicates}), span_(span) {}

void BatchTransaction::beginUnit() {
    if (group_.active()) return;
    group_.start();
    started_ = std::chrono::steady_clock::now();
}

bool BatchTransaction::endUnit() {
    if (!group_.active() || std::chrono::steady_clock::now() - started_ < span_) return false;
    commit();
    return true;
}

void BatchTransaction::commit() {
    if (group_.active()) group_.commit();
}

void BatchTransaction::rollback() noexcept {
    try {
        if (group_.active()) group_.rollback();
    } catch (...) {
    }
}

}  // namespace kvzt::data
