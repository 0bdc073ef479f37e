#pragma once
// A named table of the data module: where the table lives (an alias, the
// module's database object, or a directory), its file name, the tag it is
// opened with and whether it is read-only. The engine cursor is opened on
// first use and stays open until close().

#include <QString>

#include <memory>

#include "engine/code_page.h"
#include "engine/table.h"

namespace kvzt::engine {
class Database;
class Session;
}  // namespace kvzt::engine

namespace kvzt::data {

class TableComponent {
public:
    enum class Place {
        Alias,           // opened by alias through the session
        DatabaseObject,  // opened through the module's database object (its transactions cover it)
        Directory,       // opened in a directory set before opening
    };

    TableComponent(engine::Session& session, QString name, Place place, QString databaseName, QString tableName,
                   QString indexName = {}, bool readOnly = false);
    ~TableComponent();
    TableComponent(const TableComponent&) = delete;
    TableComponent& operator=(const TableComponent&) = delete;

    const QString& name() const { return name_; }            // component name, e.g. tbSpisok
    Place place() const { return place_; }
    const QString& databaseName() const { return database_; }  // alias or directory
    const QString& tableName() const { return tableName_; }
    const QString& indexName() const { return indexName_; }
    bool readOnly() const { return readOnly_; }

    // Only while closed; throws EngineError(InvalidState) on an open table.
    void setDatabaseName(const QString& aliasOrDirectory);
    // Only while closed, like setDatabaseName (the import names its source tables by version).
    void setTableName(const QString& tableName);
    // Code page for a directory table whose language-driver byte is 0 (866 unless set).
    void setDirectoryCodePage(engine::CodePage cp) { directoryCodePage_ = cp; }

    // Opens the table (nothing when it is open): read-only or shared, with its
    // tag selected and the cursor on the first record. On an error the
    // component stays closed.
    void open();
    void close();
    bool active() const { return table_ != nullptr; }

    // The open cursor; opens the table when it is closed.
    engine::Table& table();
    engine::Table* operator->() { return &table(); }

    // Removes every record, keeping structure and tags. An open cursor empties
    // through its own exclusive use; a closed table is opened exclusively for
    // the emptying and closed again.
    void emptyTable();

private:
    std::unique_ptr<engine::Table> openCursor(engine::OpenMode mode);

    engine::Session& session_;
    QString name_;
    Place place_;
    QString database_;
    QString tableName_;
    QString indexName_;
    bool readOnly_;
    engine::CodePage directoryCodePage_ = engine::CodePage::Cp866;
    std::unique_ptr<engine::Table> table_;
};

}  // namespace kvzt::data
