#include "duplicates/list_inclusion.h"

#include <algorithm>
#include <chrono>

#include "data/data_module.h"
#include "duplicates/duplicate_cursor.h"
#include "duplicates/duplicate_fields.h"
#include "duplicates/inclusion_batch.h"
#include "duplicates/row_cursors.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"

namespace kvzt::duplicates {

namespace {

class ListRun {
public:
    ListRun(engine::Table& list, engine::Table& duplicates, InclusionBatch& batch, const InclusionHooks& hooks)
        : list_(list), dup_(duplicates), batch_(batch), hooks_(hooks) {}

    // Writes the current duplicate when its mark says so and deletes it from
    // the duplicate table, in the batch's transaction; returns the mark it
    // was written by (Mark::None: left).
    Mark includeCurrent(int row) {
        const Mark mark = MarkOf(QString::fromStdString(dup_.asString("INCL")));
        if (mark == Mark::None) return mark;
        if (mark == Mark::Replace) {
            if (!list_.findKey({engine::Value(dup_.asInteger("NOM"))})) return Mark::None;
            batch_.begin();
            list_.edit();
        } else {
            list_.last();
            // last() leaves eof() set, as in the host's engine: an empty list has no record.
            const std::int64_t nom = list_.recNo() == 0 ? 1 : list_.asInteger("NOM") + 1;
            batch_.begin();
            list_.append();
            list_.setInteger("NOM", nom);
        }
        CopyPersonFields(dup_, list_);
        list_.post();
        dup_.deleteRecord();
        if (hooks_.beforeCommit) hooks_.beforeCommit(row);
        return mark;
    }

private:
    engine::Table& list_;
    engine::Table& dup_;
    InclusionBatch& batch_;
    const InclusionHooks& hooks_;
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
        engine::Database* dupDb = dup->database();
        if (!dupDb || dupDb == db)
            throw engine::EngineError(engine::code::InvalidState, "Список дублей открыт вне базы данных VX_S");
        list.setIndex("NOMX");
        result.rows = dup.countRows();
        progress.setMaximum(result.rows);
        InclusionBatch batch(*db, *dupDb, *dup, std::chrono::milliseconds(std::max(0, request.transactionSpanMs)),
                             result);
        ListRun run(list, *dup, batch, request.hooks);
        const auto write = [&run](int r) { return run.includeCurrent(r); };
        const auto leave = [&list, &dup] { LeaveRowCursors({&list, &*dup}); };
        while (!dup->eof()) {
            ++row;
            const bool written = batch.include(row, write, leave);
            ++result.processed;
            progress.setPosition(result.processed);
            if (!written) dup->next();
            if (request.hooks.afterRow) request.hooks.afterRow(result.processed);
            if (progress.cancelled()) {
                result.stoppedByUser = true;
                break;
            }
        }
        row = 0;  // a failed last commit names its own first row
        batch.finish(leave);
        list.setIndex("FIOBORN");
        dup->first();
    } catch (...) {
        result.error = std::current_exception();
        if (result.failedRow == 0) result.failedRow = row;
        try {
            if (dm.tbSpisok.active()) dm.tbSpisok->setIndex("FIOBORN");
            if (request.duplicates) request.duplicates->first();
        } catch (...) {
            // The error already reported is the one that matters.
        }
    }
    try {
        if (!listWasOpen) dm.tbSpisok.close();
    } catch (...) {
        if (!result.error) {
            result.error = std::current_exception();
            result.failedAtClose = true;
        }
    }
    return result;
}

}  // namespace kvzt::duplicates
