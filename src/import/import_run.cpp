// The import run: opens the sources and targets, walks the source taxpayer
// list once, and closes everything again however the run ends.

#include "import/import_run.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "data/data_module.h"
#include "data/program_flags.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "import/import_context.h"
#include "data/batch_transaction.h"
#include "import/person_import.h"
#include "import/source_layouts.h"

namespace kvzt::import {

namespace {

using engine::CodePage;
using engine::OpenMode;
using engine::Table;

QString withoutTrailingSeparator(QString dir) {
    while (dir.size() > 1 && (dir.endsWith(QLatin1Char('\\')) || dir.endsWith(QLatin1Char('/')))) dir.chop(1);
    return dir;
}

// Every table the run opens, and the clean-up that puts the data module back
// as it was: a pending append cancelled, an open transaction rolled back,
// every table closed, tbUPI open or closed as before.
class RunTables {
public:
    explicit RunTables(data::TdmKVZT& dm) : dm_(dm), upiWasOpen_(dm.tbUPI.active()) {}
    RunTables(const RunTables&) = delete;
    RunTables& operator=(const RunTables&) = delete;
    ~RunTables() { (void)closeAll(); }

    Table& keep(std::unique_ptr<Table> table) {
        local_.push_back(std::move(table));
        return *local_.back();
    }

    // After an error: a pending append or edit is dropped.
    void cancelEdits() {
        for (Table* table : openTables()) {
            if (table->state() != engine::EditState::Browse) table->cancel();
        }
    }

    // After an error: no transaction stays open (one the run did not start
    // included).
    void abandonWork() {
        try {
            engine::Database& db = dm_.dbKvZt();
            if (db.inTransaction()) db.rollback();
        } catch (...) {
            // The journal stays behind and the next open of the database
            // rolls the transaction back; the run's own error is reported.
        }
    }

    // Closing writes and syncs what the run changed: every table is closed
    // whatever happens to the others, and the first failure (a full disk) is
    // given back instead of thrown.
    std::exception_ptr closeAll() {
        std::exception_ptr first;
        auto attempt = [&first](const auto& close) {
            try {
                close();
            } catch (...) {
                if (!first) first = std::current_exception();
            }
        };
        for (auto it = local_.rbegin(); it != local_.rend(); ++it) attempt([&] { (*it)->close(); });
        local_.clear();
        for (data::TableComponent* c : runComponents()) attempt([c] { c->close(); });
        if (upiWasOpen_) {
            try {
                dm_.tbUPI.open();
            } catch (...) {
                // Reopening is best effort; the next user opens it again.
            }
        } else {
            attempt([this] { dm_.tbUPI.close(); });
        }
        return first;
    }

private:
    std::vector<data::TableComponent*> runComponents() {
        return {&dm_.tbSpisok, &dm_.tbDosDoxod, &dm_.tbDosVicet, &dm_.tbDosNewHome, &dm_.tbVicet,
                &dm_.tbDoxod,  &dm_.tbNewHome,  &dm_.tbSved};
    }

    std::vector<Table*> openTables() {
        std::vector<Table*> tables;
        for (auto& t : local_) tables.push_back(t.get());
        for (data::TableComponent* c : runComponents()) {
            if (c->active()) tables.push_back(&c->table());
        }
        return tables;
    }

    data::TdmKVZT& dm_;
    bool upiWasOpen_;
    std::vector<std::unique_ptr<Table>> local_;
};

void prepareSourceDetail(data::TableComponent& component, const QString& srcDir, const QString& name,
                         CodePage codePage) {
    component.close();
    component.setDatabaseName(srcDir);
    component.setTableName(name);
    component.setDirectoryCodePage(codePage);
}

void loadDosReferenceBooks(ImportContext& ctx, const QString& impDir) {
    engine::Session& session = ctx.dm.session();
    const std::string dir = impDir.toStdString();
    auto kldok = session.openTableInDirectory(dir, "kldok", OpenMode::ReadOnly, CodePage::Cp866);
    RequireSourceFields(*kldok, SourceTable::DosDocuments);
    ctx.books.loadDocumentKinds(*kldok);
    auto k0str = session.openTableInDirectory(dir, "k0str", OpenMode::ReadOnly, CodePage::Cp866);
    RequireSourceFields(*k0str, SourceTable::DosCountries);
    ctx.books.loadCountries(*k0str);
    auto k1reg = session.openTableInDirectory(dir, "k1Reg", OpenMode::ReadOnly, CodePage::Cp866);
    RequireSourceFields(*k1reg, SourceTable::DosRegions);
    ctx.books.loadRegions(*k1reg);
}

// Opens every table of the run in the order the run has always used, checks
// the sources' fields and reads the detail tables once.
void openRun(ImportContext& ctx, RunTables& tables, const QString& srcDir, const QString& impDir) {
    data::TdmKVZT& dm = ctx.dm;
    engine::Session& session = dm.session();
    const bool dos = ctx.isDos();
    const CodePage codePage = dos ? CodePage::Cp866 : CodePage::Cp1251;
    const std::string dir = srcDir.toStdString();

    if (dos) {
        loadDosReferenceBooks(ctx, impDir);
    } else {
        Table& statements =
            tables.keep(session.openTableInDirectory(dir, "SvBase32", OpenMode::ReadOnly, CodePage::Cp1251));
        RequireSourceFields(statements, SourceTable::WinStatements);
        statements.setIndex("NOMX");
        ctx.sourceStatements = &statements;
    }
    prepareSourceDetail(dm.tbDosDoxod, srcDir, dos ? QStringLiteral("Doxod") : QStringLiteral("Doxod22"), codePage);
    prepareSourceDetail(dm.tbDosVicet, srcDir, dos ? QStringLiteral("Vicet") : QStringLiteral("Vicet22"), codePage);
    prepareSourceDetail(dm.tbDosNewHome, srcDir, dos ? QStringLiteral("Object") : QStringLiteral("NH22"), codePage);

    dm.tbSved.open();
    dm.tbVicet.open();
    dm.tbDoxod.open();
    dm.tbNewHome.open();
    dm.tbDosDoxod.open();
    dm.tbDosVicet.open();
    dm.tbDosNewHome.open();
    RequireSourceFields(dm.tbDosDoxod.table(), dos ? SourceTable::DosIncome : SourceTable::WinIncome);
    RequireSourceFields(dm.tbDosVicet.table(), dos ? SourceTable::DosDeductions : SourceTable::WinDeductions);
    RequireSourceFields(dm.tbDosNewHome.table(), dos ? SourceTable::DosObjects : SourceTable::WinObjects);

    Table& list = tables.keep(
        session.openTableInDirectory(dir, dos ? "SPISOK" : "SPISOK32", OpenMode::ReadOnly, codePage));
    RequireSourceFields(list, dos ? SourceTable::DosList : SourceTable::WinList);
    ctx.sourceList = &list;

    // Read each detail table once, grouped by the statement it belongs to.
    const char* const key = dos ? "Nom" : "Id";
    ctx.incomeLines.load(dm.tbDosDoxod.table(), key, dos);
    ctx.deductions.load(dm.tbDosVicet.table(), key, dos);
    ctx.objects.load(dm.tbDosNewHome.table(), key, dos);

    Table& svedDbl = tables.keep(session.openTable("VX_S", "SvB_32", OpenMode::Shared));
    svedDbl.emptyTable();
    ctx.svedDbl = &svedDbl;

    dm.tbUPI.open();
    dm.tbSpisok.open();
    Table& spisDbl = tables.keep(session.openTable("VX_S", "Spis_D32", OpenMode::Shared));
    spisDbl.emptyTable();
    ctx.spisDbl = &spisDbl;
    Table& nomG = tables.keep(session.openTable(data::kDbKvZtAlias, "Spisok32", OpenMode::Shared));
    nomG.setIndex("NOMX");
    ctx.spisNomG = &nomG;

    // Two more cursors on Svbase32 for the highest IDDOK and ID, so that the
    // statement cursor keeps its tag and range.
    Table& byIdDok = tables.keep(session.openTable(data::kDbKvZtAlias, "Svbase32", OpenMode::Shared));
    byIdDok.setIndex("IDDOKX");
    ctx.svedByIdDok = &byIdDok;
    Table& byId = tables.keep(session.openTable(data::kDbKvZtAlias, "Svbase32", OpenMode::Shared));
    byId.setIndex("IDX");
    ctx.svedById = &byId;
}

QString messageOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("неизвестная ошибка");
    }
}

}  // namespace

QString ImportResult::errorText() const {
    if (!error) return {};
    const QString message = messageOf(error);
    if (failedRecord > 0) {
        return QStringLiteral("Импорт остановлен на записи %1 исходного списка: %2. Записано записей: %3")
            .arg(failedRecord)
            .arg(message)
            .arg(processed);
    }
    return QStringLiteral("Импорт не выполнен: %1").arg(message);
}

namespace {

// What stays written at the last commit: the counts and the two flags.
struct CommittedState {
    ImportResult counts;
    bool spisDblFound = false;
    bool svedDblFound = false;

    void take(const ImportResult& r) {
        counts = r;
        spisDblFound = data::SpisDblFound;
        svedDblFound = data::SvedDblFound;
    }
    void restore(ImportResult& r) const {
        r.processed = counts.processed;
        r.personsAdded = counts.personsAdded;
        r.personDuplicates = counts.personDuplicates;
        r.statementsAdded = counts.statementsAdded;
        r.statementDuplicates = counts.statementDuplicates;
        r.spisDblFound = counts.spisDblFound;
        r.svedDblFound = counts.svedDblFound;
        data::SpisDblFound = spisDblFound;
        data::SvedDblFound = svedDblFound;
    }
};

}  // namespace

ImportResult RunImport(data::TdmKVZT& dm, const ImportRequest& request, ImportProgress& progress) {
    ImportResult result;
    data::SpisDblFound = false;
    data::SvedDblFound = false;
    if (request.kind != SourceKind::Dos2 && request.kind != SourceKind::Win32) {
        result.error = std::make_exception_ptr(engine::EngineError(
            engine::code::NotSupported, "Импорт списка DOS-версии 1.* не поддерживается"));
        return result;
    }

    ImportContext ctx(dm, request.kind, result);
    RunTables tables(dm);
    std::optional<data::BatchTransaction> transaction;
    CommittedState committed;
    int current = 0;  // 1-based number of the source record being written; 0 before the first
    try {
        const QString srcDir = withoutTrailingSeparator(request.srcDir);
        const QString impDir = request.impDir.isEmpty() ? DefaultImpDir() : request.impDir;
        openRun(ctx, tables, srcDir, impDir);
        transaction.emplace(dm.dbKvZt(), dm.session().database("VX_S"),
                            std::chrono::milliseconds(std::max(0, request.transactionSpanMs)));

        Table& list = *ctx.sourceList;
        result.sourceRecords = int(list.recordCount());
        progress.setMaximum(result.sourceRecords);
        progress.setPosition(0);
        committed.take(result);
        for (list.first(); !list.eof();) {
            current = result.processed + 1;
            transaction->beginUnit();
            MatchAndWritePerson(ctx);
            result.processed = current;
            if (request.afterRecord) request.afterRecord(result.processed);
            if (transaction->endUnit()) committed.take(result);
            current = 0;
            progress.setPosition(result.processed);
            list.next();
            if (progress.cancelled() && !list.eof()) {
                result.stoppedByUser = true;
                break;
            }
        }
        transaction->commit();
        committed.take(result);
        if (!result.stoppedByUser) progress.setPosition(result.sourceRecords);
    } catch (...) {
        result.error = std::current_exception();
        // Records written since the last commit are undone with the failing one.
        result.failedRecord = current > 0 ? current : (result.processed > committed.counts.processed
                                                           ? committed.counts.processed + 1
                                                           : 0);
        tables.cancelEdits();
        if (transaction) transaction->rollback();
        tables.abandonWork();
        committed.restore(result);
    }
    if (std::exception_ptr closing = tables.closeAll(); closing && !result.error) result.error = closing;
    return result;
}

}  // namespace kvzt::import
