#include "data/table_component.h"

#include "data/data_module.h"
#include "engine/errors.h"
#include "engine/session.h"

namespace kvzt::data {

TableComponent::TableComponent(engine::Session& session, QString name, Place place, QString databaseName,
                               QString tableName, QString indexName, bool readOnly)
    : session_(session),
      name_(std::move(name)),
      place_(place),
      database_(std::move(databaseName)),
      tableName_(std::move(tableName)),
      indexName_(std::move(indexName)),
      readOnly_(readOnly) {}

TableComponent::~TableComponent() = default;

void TableComponent::setDatabaseName(const QString& aliasOrDirectory) {
    if (table_) {
        throw engine::EngineError(engine::code::InvalidState,
                                  "Нельзя сменить базу данных открытой таблицы " + name_.toStdString());
    }
    database_ = aliasOrDirectory;
}

void TableComponent::setTableName(const QString& tableName) {
    if (table_) {
        throw engine::EngineError(engine::code::InvalidState,
                                  "Нельзя сменить имя открытой таблицы " + name_.toStdString());
    }
    tableName_ = tableName;
}

std::unique_ptr<engine::Table> TableComponent::openCursor(engine::OpenMode mode) {
    const std::string table = tableName_.toStdString();
    switch (place_) {
    case Place::Alias:
        return session_.openTable(database_.toStdString(), table, mode);
    case Place::DatabaseObject:
        return session_.database(kDbKvZtAlias).openTable(table, mode);
    case Place::Directory:
        if (database_.isEmpty()) {
            throw engine::EngineError(engine::code::InvalidParam,
                                      "Не задан каталог таблицы " + tableName_.toStdString());
        }
        return session_.openTableInDirectory(database_.toStdString(), table, mode, directoryCodePage_);
    }
    throw engine::EngineError(engine::code::InvalidParam, "Неизвестное место таблицы " + table);
}

void TableComponent::open() {
    if (table_) return;
    auto cursor = openCursor(readOnly_ ? engine::OpenMode::ReadOnly : engine::OpenMode::Shared);
    if (!indexName_.isEmpty()) cursor->setIndex(indexName_.toStdString());
    cursor->first();
    table_ = std::move(cursor);
}

void TableComponent::close() {
    if (!table_) return;
    // Closed whatever happens: a close that fails (a full disk) is reported,
    // and the component does not keep a cursor that failed.
    const std::unique_ptr<engine::Table> table = std::move(table_);
    table->close();
}

engine::Table& TableComponent::table() {
    open();
    return *table_;
}

void TableComponent::emptyTable() {
    if (table_) {
        table_->emptyTable();
        table_->first();
        return;
    }
    auto cursor = openCursor(engine::OpenMode::Exclusive);
    cursor->emptyTable();
    cursor->close();
}

}  // namespace kvzt::data
