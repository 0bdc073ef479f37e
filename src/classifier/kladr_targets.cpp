#include "classifier/kladr_targets.h"

#include <cstring>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"

namespace kvzt::classifier {

KladrTargets::KladrTargets(engine::Database& database) : database_(database) {}

KladrTargets::~KladrTargets() {
    // Closing writes and syncs; a destructor cannot report a failure (a full
    // disk), and the run's own error is the one that matters.
    for (const KladrTable& table : kKladrTables) {
        try {
            close(table);
        } catch (...) {
        }
    }
}

std::size_t KladrTargets::slot(const KladrTable& table) const {
    for (std::size_t i = 0; i < kKladrTables.size(); ++i) {
        if (std::strcmp(kKladrTables[i].file, table.file) == 0) return i;
    }
    throw engine::EngineError(engine::code::InvalidParam, std::string("Не таблица КЛАДР: ") + table.file);
}

engine::Table& KladrTargets::openOnTag(const KladrTable& table) {
    close(table);
    auto cursor = database_.openTable(table.file, engine::OpenMode::Exclusive);
    try {
        cursor->setIndex(table.tag);
    } catch (const engine::EngineError&) {
        cursor->close();
        cursor.reset();
        schema::CreateIndexes(database_, table.file);
        cursor = database_.openTable(table.file, engine::OpenMode::Exclusive);
        cursor->setIndex(table.tag);
    }
    cursor->first();
    open_[slot(table)] = std::move(cursor);
    return *open_[slot(table)];
}

engine::Table& KladrTargets::openNatural(const KladrTable& table) {
    close(table);
    auto cursor = database_.openTable(table.file, engine::OpenMode::Exclusive);
    cursor->setIndex("");
    open_[slot(table)] = std::move(cursor);
    return *open_[slot(table)];
}

void KladrTargets::openAllOnTags() {
    for (const KladrTable& table : kKladrTables) openOnTag(table);
}

engine::Table& KladrTargets::operator[](const KladrTable& table) {
    auto& cursor = open_[slot(table)];
    if (!cursor) {
        throw engine::EngineError(engine::code::InvalidHandle, std::string("Таблица не открыта: ") + table.file);
    }
    return *cursor;
}

void KladrTargets::close(const KladrTable& table) {
    auto& cursor = open_[slot(table)];
    if (!cursor) return;
    cursor->close();
    cursor.reset();
}

void KladrTargets::closeAll() {
    for (const KladrTable& table : kKladrTables) close(table);
}

}  // namespace kvzt::classifier
