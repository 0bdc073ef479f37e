#include "duplicates/income_inclusion.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "data/data_module.h"
#include "data/text_helpers.h"
#include "duplicates/duplicate_cursor.h"
#include "duplicates/duplicate_fields.h"
#include "duplicates/income_sources.h"
#include "duplicates/inclusion_batch.h"
#include "duplicates/row_cursors.h"
#include "duplicates/statement_keys.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"

namespace kvzt::duplicates {

namespace {

// The cursors of the statement and its detail tables, opened through the
// data module; those the run opened are closed again when it ends.
class IncomeTables {
public:
    // A failure to close a table the run opened goes to `closeError` (the first one).
    IncomeTables(data::TdmKVZT& dm, std::exception_ptr& closeError) : dm_(dm), closeError_(closeError) {
        for (data::TableComponent* c : components()) {
            if (!c->active()) opened_.push_back(c);
        }
        try {
            open();
        } catch (...) {
            release();
            throw;
        }
    }
    ~IncomeTables() { release(); }
    IncomeTables(const IncomeTables&) = delete;
    IncomeTables& operator=(const IncomeTables&) = delete;

    engine::Table* sved = nullptr;
    engine::Table* vicet = nullptr;
    engine::Table* doxod = nullptr;
    engine::Table* newHome = nullptr;
    engine::Database* db = nullptr;

private:
    void open() {
        sved = &dm_.tbSved.table();
        sved->setIndex("IDDOKX");
        vicet = &dm_.tbVicet.table();
        doxod = &dm_.tbDoxod.table();
        newHome = &dm_.tbNewHome.table();
        db = doxod->database();
        // One transaction must cover the statement and its detail rows.
        if (!db || sved->database() != db || vicet->database() != db || newHome->database() != db) {
            throw engine::EngineError(engine::code::InvalidState,
                                      "Сведения о доходах и их строки открыты не через одну базу данных VX_B");
        }
    }
    void release() noexcept {
        try {
            if (dm_.tbSved.active()) dm_.tbSved->setIndex("NOMX");
        } catch (...) {
            // The tag is chosen again when the table is next opened.
        }
        for (data::TableComponent* c : opened_) {
            try {
                c->close();
            } catch (...) {
                if (!closeError_) closeError_ = std::current_exception();
            }
        }
    }
    std::vector<data::TableComponent*> components() {
        return {&dm_.tbSved, &dm_.tbVicet, &dm_.tbDoxod, &dm_.tbNewHome};
    }
    data::TdmKVZT& dm_;
    std::exception_ptr& closeError_;
    std::vector<data::TableComponent*> opened_;
};

class IncomeRun {
public:
    IncomeRun(data::TdmKVZT& dm, const IncomeInclusionRequest& request, IncomeTables& tables,
              engine::Table& duplicates, InclusionBatch& batch)
        : dm_(dm), request_(request), t_(tables), sved_(*tables.sved), dup_(duplicates), batch_(batch) {}

    // Writes the current duplicate when its mark says so and deletes it from
    // SvB_32, in the batch's transaction; returns the mark it was written by
    // (Mark::None: left).
    Mark includeCurrent(int row) {
        const Mark mark = MarkOf(QString::fromStdString(dup_.asString("INCL")));
        if (mark == Mark::None) return mark;
        const std::string iddok = dup_.asString("IDDOK");
        const std::string iddokI = dup_.asString("IDDOK_I");
        std::string id;
        std::string docNumber;
        if (mark == Mark::Replace) {
            if (!findStatement(iddok)) return Mark::None;
            if (sved_.asString("IDDOK") == iddokI) {
                docNumber = iddokI;
            } else {
                docNumber = freeDocumentNumber(iddokI);
                if (!findStatement(iddok)) return Mark::None;
            }
            id = sved_.asString("ID");
        } else {
            docNumber = freeDocumentNumber(iddokI);
            id = NextStatementKey(sved_, "IDX", "ID", kIdWidth).toStdString();
        }
        const SourceDetails& details = sources().of(dup_);

        batch_.begin();
        if (mark == Mark::Replace) {
            sved_.edit();
        } else {
            sved_.append();
            sved_.setString("ID", id);
        }
        sved_.setString("IDDOK", docNumber);
        CopyStatementFields(dup_, sved_);
        if (mark == Mark::Replace) {
            deleteDetailRows(*t_.doxod, id);
            deleteDetailRows(*t_.vicet, id);
            deleteDetailRows(*t_.newHome, id);
        }
        writeDetails(details, id);
        sved_.post();
        dup_.deleteRecord();
        if (request_.hooks.beforeCommit) request_.hooks.beforeCommit(row);
        return mark;
    }

private:
    bool findStatement(const std::string& iddok) { return sved_.findKey({engine::Value(iddok)}); }

    // The imported document number when no stored statement has it, else the
    // next number after the highest stored one.
    std::string freeDocumentNumber(const std::string& wanted) {
        if (!findStatement(wanted)) return wanted;
        return NextStatementKey(sved_, "IDDOKX", "IDDOK", kIdDokWidth).toStdString();
    }

    // Every row of the statement `id`, whatever its code.
    static void deleteDetailRows(engine::Table& detail, const std::string& id) {
        detail.setRange({engine::Value(id)}, {engine::Value(id)});
        for (detail.first(); !detail.eof(); detail.first()) detail.deleteRecord();
        detail.cancelRange();
    }

    void writeDetails(const SourceDetails& details, const std::string& id) {
        engine::Table& doxod = *t_.doxod;
        for (const SourceIncome& in : details.incomes) {
            doxod.append();
            doxod.setString("ID", id);
            doxod.setString("KOD", in.kod);
            doxod.setFloat("SUM", in.sum);
            const bool blank = data::TrimBlanks(QString::fromStdString(in.kodSk)).isEmpty();
            doxod.setString("KODSK", blank ? std::string("0") : in.kodSk);
            doxod.setFloat("SK", in.sk);
            doxod.post();
        }
        engine::Table& vicet = *t_.vicet;
        for (const SourceDeduction& d : details.deductions) {
            vicet.append();
            vicet.setString("ID", id);
            vicet.setString("KOD", d.kod);
            vicet.setFloat("SUM", d.sum);
            vicet.post();
        }
        engine::Table& newHome = *t_.newHome;
        for (const std::string& name : details.objects) {
            newHome.append();
            newHome.setString("ID", id);
            newHome.setString("NAME", name);
            newHome.post();
        }
    }

    const IncomeSources& sources() {
        if (!sources_) sources_.emplace(IncomeSources::load(dm_, request_.kind));
        return *sources_;
    }

    data::TdmKVZT& dm_;
    const IncomeInclusionRequest& request_;
    IncomeTables& t_;
    engine::Table& sved_;
    engine::Table& dup_;
    InclusionBatch& batch_;
    std::optional<IncomeSources> sources_;
};

}  // namespace

InclusionResult RunIncomeInclusion(data::TdmKVZT& dm, const IncomeInclusionRequest& request,
                                   InclusionProgress& progress) {
    InclusionResult result;
    std::exception_ptr closeError;
    int row = 0;
    try {
        DuplicateCursor dup(dm.session(), request.duplicates, "SvB_32");
        IncomeTables tables(dm, closeError);
        engine::Database* dupDb = dup->database();
        if (!dupDb || dupDb == tables.db)
            throw engine::EngineError(engine::code::InvalidState, "Список дублей сведений открыт вне базы данных VX_S");
        result.rows = dup.countRows();
        progress.setMaximum(result.rows);
        InclusionBatch batch(*tables.db, *dupDb, *dup,
                             std::chrono::milliseconds(std::max(0, request.transactionSpanMs)), result);
        IncomeRun run(dm, request, tables, *dup, batch);
        const auto write = [&run](int r) { return run.includeCurrent(r); };
        const auto leave = [&tables, &dup] {
            LeaveRowCursors({tables.sved, tables.doxod, tables.vicet, tables.newHome, &*dup});
        };
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
        dup->first();
    } catch (...) {
        result.error = std::current_exception();
        if (result.failedRow == 0) result.failedRow = row;
        try {
            if (request.duplicates) request.duplicates->first();
        } catch (...) {
            // The error already reported is the one that matters.
        }
    }
    if (closeError && !result.error) {
        result.error = closeError;
        result.failedAtClose = true;
    }
    return result;
}

}  // namespace kvzt::duplicates
