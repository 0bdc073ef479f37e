#include "import/import_transaction.h"

#include "engine/database.h"

namespace kvzt::import {

ImportTransaction::ImportTransaction(engine::Database& base, engine::Database& duplicates,
                                     std::chrono::milliseconds span)
    : base_(base), duplicates_(duplicates), span_(span) {}

void ImportTransaction::beginRecord() {
    if (open_) return;
    base_.startTransaction();
    try {
        duplicates_.startTransaction();
    } catch (...) {
        base_.rollback();
        throw;
    }
    open_ = true;
    started_ = std::chrono::steady_clock::now();
}

bool ImportTransaction::endRecord() {
    if (!open_ || std::chrono::steady_clock::now() - started_ < span_) return false;
    commit();
    return true;
}

void ImportTransaction::commit() {
    if (!open_) return;
    base_.commit();
    open_ = false;
    duplicates_.commit();
}

void ImportTransaction::rollback() noexcept {
    open_ = false;
    for (engine::Database* db : {&base_, &duplicates_}) {
        try {
            if (db->inTransaction()) db->rollback();
        } catch (...) {
        }
    }
}

}  // namespace kvzt::import
