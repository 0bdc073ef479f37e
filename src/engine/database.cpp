#include "engine/database.h"

#include <algorithm>

#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/file_replacement.h"
#include "engine/group_record.h"
#include "engine/path_util.h"
#include "engine/stale_files.h"
#include "engine/table.h"

namespace kvzt::engine {

namespace {

// A file restored from the journal has stale tags: build them anew.
void rebuildIndexOf(const std::string& dbfPath, CodePage cp) {
    auto table = Table::open(dbfPath, OpenMode::Exclusive, cp);
    if (ProductionIndex* index = table->productionIndex()) {
        index->rebuild(table->recordSource(), replacementNames(dbfPath).reindex);
        index->sync();
    }
    table->close();
}

bool isDbf(const std::string& path) {
    std::string name = fileNameOf(path);
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return ext == ".DBF";
}

}  // namespace

Database::Database(std::string name, std::string directory, CodePage defaultCodePage)
    : name_(std::move(name)), directory_(std::move(directory)), defaultCodePage_(defaultCodePage),
      journal_(directory_) {
    // The indexes are rebuilt while the journal is still there: a crash
    // during the rebuild repeats the whole recovery at the next open.
    Journal::recover(directory_, [this](const std::vector<std::string>& restored) {
        for (const std::string& path : restored)
            if (isDbf(path)) rebuildIndexOf(path, defaultCodePage_);
    });
    // A group record kept here after its journals are gone (a crash after the
    // last journal was removed) has done its work.
    GroupRecord::removeIfDone(GroupRecord::pathIn(directory_));
    RemoveStaleTemporaries(directory_);
}

Database::~Database() {
    if (journal_.active()) {
        try {
            rollback();
        } catch (...) {
            // The journal stays on disk; the next open rolls back.
        }
    }
    for (Table* t : openTables_) t->detachFromDatabase();
}

std::string Database::tablePath(std::string_view tableName) const {
    std::string file = withDbfExtension(tableName);
    if (auto found = findFileNoCase(directory_, file)) return *found;
    return joinPath(directory_, file);
}

bool Database::tableExists(std::string_view tableName) const {
    return findFileNoCase(directory_, withDbfExtension(tableName)).has_value();
}

std::unique_ptr<Table> Database::openTable(std::string_view tableName, OpenMode mode) {
    auto found = findFileNoCase(directory_, withDbfExtension(tableName));
    if (!found)
        throw EngineError(code::NoSuchTable,
                          "Таблица " + std::string(tableName) + " не найдена в каталоге " + directory_);
    return Table::open(*found, mode, defaultCodePage_, this);
}

void Database::createTable(std::string_view tableName, const std::vector<FieldDef>& fields) {
    DbfFile::create(tablePath(tableName), fields, languageDriverOf(defaultCodePage_));
}

void Database::startTransaction(const JournalGroup* group) {
    if (journal_.active()) throw EngineError(code::TransactionState, "Транзакция уже начата: " + name_);
    // Appends gathered before the start belong to no transaction: write them out first.
    for (Table* t : openTables_) t->file().flush();
    journal_.begin(group);
}

void Database::commit() {
    syncForCommit();
    finishCommit();
}

void Database::syncForCommit() {
    if (!journal_.active()) throw EngineError(code::TransactionState, "Транзакция не начата: " + name_);
    // Every data file the transaction touched, tables and indexes, is on the
    // disk before the journal that could undo them goes.
    for (Table* t : openTables_) {
        if (ProductionIndex* tags = t->productionIndex()) tags->sync();
        t->file().sync();
    }
}

void Database::finishCommit() {
    if (!journal_.active()) throw EngineError(code::TransactionState, "Транзакция не начата: " + name_);
    journal_.commit();
}

void Database::rollback() {
    if (!journal_.active()) throw EngineError(code::TransactionState, "Транзакция не начата: " + name_);
    // Appends still gathered in memory belong to the transaction: they are
    // dropped by the reload below, never written (a full disk cannot stop a rollback).
    // The journal stays until the indexes are rebuilt, so a crash meanwhile
    // is rolled back again at the next open.
    std::vector<std::string> restored = journal_.restore();
    for (const std::string& path : restored) {
        // Cursors of one table share their storage: reload it once, then put every cursor back.
        std::set<TableStorage*> reloaded;
        bool open = false;
        for (Table* t : openTables_) {
            if (t->path() != path) continue;
            open = true;
            t->reloadAfterRollback(reloaded.insert(t->storage()).second);
        }
        if (!open && isDbf(path)) rebuildIndexOf(path, defaultCodePage_);
    }
    for (Table* t : openTables_)
        if (ProductionIndex* index = t->productionIndex()) index->sync();
    journal_.commit();
}

void Database::attach(Table* table) { openTables_.insert(table); }
void Database::detach(Table* table) { openTables_.erase(table); }

}  // namespace kvzt::engine
