#pragma once
// A database object: one alias (or directory), the tables opened through it,
// and its transaction. Every write made through its tables between
// startTransaction() and commit() is undone by rollback() or, after a crash,
// by the next open of the directory.

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"
#include "engine/dbf_file.h"
#include "engine/field_def.h"
#include "engine/journal.h"
#include "engine/value.h"

namespace kvzt::engine {

class Table;

struct SqlResult {
    std::vector<std::string> columns;
    std::vector<std::vector<Value>> rows;
    long long rowsAffected = 0;
};

class Database {
public:
    // Recovers a journal left by a crash in `directory` before anything else.
    Database(std::string name, std::string directory, CodePage defaultCodePage);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& name() const { return name_; }
    const std::string& directory() const { return directory_; }
    CodePage defaultCodePage() const { return defaultCodePage_; }

    // Table name with or without ".DBF", any letter case. Throws NoSuchTable.
    std::unique_ptr<Table> openTable(std::string_view tableName, OpenMode mode = OpenMode::Shared);
    bool tableExists(std::string_view tableName) const;
    // The existing file's path, or the path a new table of that name gets.
    std::string tablePath(std::string_view tableName) const;
    // A new empty table with these fields, its language driver the database default.
    void createTable(std::string_view tableName, const std::vector<FieldDef>& fields);

    // With a group, the journal names it (transaction_group.h).
    void startTransaction(const JournalGroup* group = nullptr);
    // syncForCommit() then finishCommit().
    void commit();
    // The two halves of a commit, for a transaction group: writes every
    // open table's gathered data and index pages and syncs them; then
    // removes the journal, which makes the transaction final.
    void syncForCommit();
    void finishCommit();
    void rollback();
    bool inTransaction() const { return journal_.active(); }
    Journal& journal() { return journal_; }

    // The local SQL subset the program issues:
    //   UPDATE table SET field = "value"            (every record)
    //   SELECT COUNT(*) name FROM table WHERE field <> ""
    SqlResult execSql(std::string_view statement);

    // Tables register themselves while open (rollback refreshes them).
    void attach(Table* table);
    void detach(Table* table);

private:
    std::string name_;
    std::string directory_;
    CodePage defaultCodePage_;
    Journal journal_;
    std::set<Table*> openTables_;
};

}  // namespace kvzt::engine
