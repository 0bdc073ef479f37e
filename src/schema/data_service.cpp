#include "schema/data_service.h"

#include <memory>

#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/pack_error.h"

namespace kvzt::schema {

namespace {

struct TagEntry {
    int tag;
    ServiceKind kind;
    TableGroup group;
    const char* caption;
};

// In both "cписка" captions the first letter is the Latin "c", as the host's
// users have always seen it.
const TagEntry kTags[] = {
    {0, ServiceKind::Reindex, TableGroup::All, "Переиндексация всех данных программы"},
    {1, ServiceKind::Reindex, TableGroup::Base, "Переиндексация cписка, карточек и справок"},
    {2, ServiceKind::Reindex, TableGroup::Kladr, "Переиндексация классификатора адресов (КЛАДР)"},
    {3, ServiceKind::Reindex, TableGroup::Sprav, "Переиндексация Справочников"},
    {4, ServiceKind::Pack, TableGroup::All, "Уплотнение всех данных программы"},
    {5, ServiceKind::Pack, TableGroup::Base, "Уплотнение cписка, карточек и справок"},
    {6, ServiceKind::Pack, TableGroup::Kladr, "Уплотнение классификатора адресов (КЛАДР)"},
    {7, ServiceKind::Pack, TableGroup::Sprav, "Уплотнение Справочников"},
    {10, ServiceKind::Clear, TableGroup::Income, "Очистка сведений о доходах (Справок и Карточек)"},
    {11, ServiceKind::Clear, TableGroup::IncomeAndList, "Очистка сведений о доходах и списка таксантов"},
};

const TagEntry* entryOf(int tag) {
    for (const TagEntry& entry : kTags) {
        if (entry.tag == tag) {
            return &entry;
        }
    }
    return nullptr;
}

const char* const kListAlias = "VX_B";
const char* const kListTable = "SPISOK32";

void emptyTable(engine::Database& database, const std::string& tableName) {
    std::unique_ptr<engine::Table> table = database.openTable(tableName, engine::OpenMode::Exclusive);
    table->emptyTable();
    table->close();
}

// The list stays, but no taxpayer is marked any more as having an income
// statement or a tax card. Records already unmarked are not rewritten.
void resetIncomeMarks(engine::Database& database, DataServiceProgress& progress) {
    std::unique_ptr<engine::Table> list = database.openTable(kListTable, engine::OpenMode::Shared);
    int sinceMessages = 0;
    for (list->first(); !list->eof(); list->next()) {
        if (list->asBoolean("IsSprav") || list->asBoolean("IsKart")) {
            list->edit();
            list->setBoolean("IsSprav", false);
            list->setBoolean("IsKart", false);
            list->post();
        }
        if (++sinceMessages == 1000) {
            sinceMessages = 0;
            progress.processMessages();
        }
    }
    list->close();
}

void serveTable(engine::Database& database, const std::string& tableName, ServiceKind kind,
                DataServiceProgress& progress) {
    const ProcessMessages process = [&progress] { progress.processMessages(); };
    switch (kind) {
        case ServiceKind::Reindex:
            ReindexTable(database, tableName, process, [&progress] { progress.advance(); });
            break;
        case ServiceKind::Pack:
            PackTable(database, tableName, process);
            break;
        case ServiceKind::Clear:
            emptyTable(database, tableName);
            break;
        case ServiceKind::None:
            break;
    }
}

}  // namespace

ServiceKind DataServKind(int tag) {
    const TagEntry* entry = entryOf(tag);
    return entry ? entry->kind : ServiceKind::None;
}

std::optional<TableGroup> DataServGroup(int tag) {
    const TagEntry* entry = entryOf(tag);
    if (!entry) {
        return std::nullopt;
    }
    return entry->group;
}

QString DataServCaption(int tag) {
    const TagEntry* entry = entryOf(tag);
    return entry ? QString::fromUtf8(entry->caption) : QString();
}

int DataServTag(ServiceKind kind, TableGroup group) {
    if (kind == ServiceKind::Clear) {
        return -1;  // clearing is chosen by its own tags, not by group name
    }
    for (const TagEntry& entry : kTags) {
        if (entry.kind == kind && entry.group == group) {
            return entry.tag;
        }
    }
    return -1;
}

QString DataServiceResult::errorText() const {
    if (!error) {
        return {};
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Неизвестная ошибка");
    }
}

QString DataServiceResult::stopText() const {
    if (!stoppedAt) {
        return {};
    }
    return QStringLiteral("Команда остановлена на таблице %1:%2. Обработано таблиц до неё: %3.")
        .arg(QString::fromStdString(stoppedAt->alias), QString::fromStdString(stoppedAt->name))
        .arg(tablesDone);
}

DataServiceResult RunDataService(engine::Session& session, int tag, DataServiceProgress& progress) {
    DataServiceResult result;
    const ServiceKind kind = DataServKind(tag);
    const std::optional<TableGroup> group = DataServGroup(tag);
    if (kind == ServiceKind::None || !group) {
        return result;
    }
    const std::vector<GroupTable> tables = TablesOf(*group);
    const int count = int(tables.size());
    progress.setMaximum(kind == ServiceKind::Reindex ? 2 * count : count);

    for (const GroupTable& table : tables) {
        progress.setStatusText(QString::fromStdString(table.name));
        try {
            serveTable(session.database(table.alias), table.name, kind, progress);
        } catch (...) {
            result.stoppedAt = table;
            result.error = std::current_exception();
            return result;
        }
        progress.advance();
        ++result.tablesDone;
    }

    if (tag == 10) {
        progress.setStatusText(QString::fromUtf8(kListTable));
        try {
            resetIncomeMarks(session.database(kListAlias), progress);
        } catch (...) {
            result.stoppedAt = GroupTable{kListAlias, kListTable};
            result.error = std::current_exception();
            return result;
        }
    }

    // Every table advanced the gauge by its full share: it stands at its maximum.
    progress.setStatusText(QString());
    return result;
}

}  // namespace kvzt::schema
