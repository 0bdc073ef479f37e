#include "duplicates/list_inclusion.h"

#include "data/data_module.h"
#include "duplicates/duplicate_cursor.h"
#include "duplicates/duplicate_fields.h"
#include "duplicates/row_rollback.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"

namespace kvzt::duplicates {

namespace {

class ListRun {
public:
    ListRun(engine::Table& list, engine::Database& db, engine::Table& duplicates, const InclusionHooks& hooks,
            InclusionResult& result)
        : list_(list), db_(db), dup_(duplicates), hooks_(hooks), result_(result) {}

    // Writes the current duplicate when its mark says so; true when it was
    // written (and deleted from the duplicate table).
    bool includeCurrent(int row) {
        const Mark mark = MarkOf(QString::fromStdString(dup_.asString("INCL")));
        if (mark == Mark::None) return false;
        if (mark == Mark::Replace) {
            if (!list_.findKey({engine::Value(dup_.asInteger("NOM"))})) return false;
            db_.startTransaction();
            list_.edit();
        } else {
            list_.last();
            // last() leaves eof() set, as in the host's engine: an empty list has no record.
            const std::int64_t nom = list_.recNo() == 0 ? 1 : list_.asInteger("NOM") + 1;
            db_.startTransaction();
            list_.append();
            list_.setInteger("NOM", nom);
        }
        CopyPersonFields(dup_, list_);
        list_.post();
        if (hooks_.beforeCommit) hooks_.beforeCommit(row);
        db_.commit();
        ++(mark == Mark::Replace ? result_.replaced : result_.added);
        result_.failedRowWritten = true;  // until the duplicate is gone too
        dup_.deleteRecord();
        result_.failedRowWritten = false;
        return true;
    }

private:
    engine::Table& list_;
    engine::Database& db_;
    engine::Table& dup_;
    const InclusionHooks& hooks_;
    InclusionResult& result_;
};

}  // namespace

InclusionResult RunListInclusion(data::TdmKVZT& dm, const ListInclusionRequest& request,
                                 InclusionProgress& progress) {
    InclusionResult result;
    const bool listWasOpen = dm.tbSpisok.active();
    int row = 0;
    try {
        DuplicateCursor dup(dm.session(), request.duplicates, "Spis_D32");
        engine::Table& list = dm.tbSpisok.table();
        engine::Database* db = list.database();
        if (!db) throw engine::EngineError(engine::code::InvalidState, "Список таксантов открыт вне базы данных VX_B");
        list.setIndex("NOMX");
        result.rows = dup.countRows();
        progress.setMaximum(result.rows);
        ListRun run(list, *db, *dup, request.hooks, result);
        while (!dup->eof()) {
            ++row;
            bool written = false;
            try {
                written = run.includeCurrent(row);
            } catch (...) {
                RollBackRow(db, {&list});
                throw;
            }
            ++result.processed;
            progress.setPosition(result.processed);
            if (!written) dup->next();
            if (request.hooks.afterRow) request.hooks.afterRow(result.processed);
            if (progress.cancelled()) {
                result.stoppedByUser = true;
                break;
            }
        }
        list.setIndex("FIOBORN");
        dup->first();
    } catch (...) {
        result.error = std::current_exception();
        result.failedRow = row;
        try {
            if (dm.tbSpisok.active()) dm.tbSpisok->setIndex("FIOBORN");
            if (request.duplicates) request.duplicates->first();
        } catch (...) {
            // The error already reported is the one that matters.
        }
    }
    if (!listWasOpen) dm.tbSpisok.close();
    return result;
}

}  // namespace kvzt::duplicates
