#include "schema/data_service.h"

#include <QStringList>

#include <memory>
#include <vector>

#include "engine/errors.h"
#include "engine/memory_release.h"
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

// The list stays, but no taxpayer is marked any more as having an income
// statement or a tax card. Records already unmarked are not rewritten.
void resetIncomeMarks(engine::Table* list, DataServiceProgress& progress) {
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
}

// Clearing is all or nothing where it can be: every table it will empty (and
// for the income-only command the taxpayer list, whose marks it resets) is
// taken exclusively before any is emptied, so a table held elsewhere stops
// the command with nothing changed.
void runClear(engine::Session& session, int tag, const std::vector<GroupTable>& tables,
              DataServiceProgress& progress, DataServiceResult& result) {
    std::vector<GroupTable> taken = tables;
    if (tag == 10) {
        taken.push_back(GroupTable{kListAlias, kListTable});
    }
    std::vector<std::unique_ptr<engine::Table>> held;
    for (const GroupTable& table : taken) {
        progress.processMessages();
        try {
            held.push_back(session.database(table.alias).openTable(table.name, engine::OpenMode::Exclusive));
        } catch (...) {
            result.stoppedAt = table;
            result.error = std::current_exception();
            return;
        }
    }
    for (std::size_t i = 0; i < tables.size(); ++i) {
        progress.setStatusText(QString::fromStdString(tables[i].name));
        try {
            held[i]->emptyTable();
            held[i]->close();
        } catch (...) {
            result.stoppedAt = tables[i];
            result.error = std::current_exception();
            return;
        }
        progress.advance();
        result.done.push_back(tables[i]);
        ++result.tablesDone;
    }
    if (tag == 10) {
        progress.setStatusText(QString::fromUtf8(kListTable));
        try {
            resetIncomeMarks(held.back().get(), progress);
            held.back()->close();
        } catch (...) {
            result.stoppedAt = taken.back();
            result.error = std::current_exception();
            return;
        }
    }
    progress.setStatusText(QString());
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
        case ServiceKind::Clear:  // runClear
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
    QString text = QStringLiteral("Команда остановлена на таблице %1:%2.")
                       .arg(QString::fromStdString(stoppedAt->alias), QString::fromStdString(stoppedAt->name));
    if (done.empty()) {
        return text + QStringLiteral(" Ни одна таблица не обработана.");
    }
    QStringList names;
    for (const GroupTable& table : done) {
        names.append(QString::fromStdString(table.alias) + QLatin1Char(':') + QString::fromStdString(table.name));
    }
    return text + QStringLiteral(" Обработаны таблицы (%1): %2.").arg(names.size()).arg(names.join(QStringLiteral(", ")));
}

DataServiceResult RunDataService(engine::Session& session, int tag, DataServiceProgress& progress) {
    const engine::ReleaseFreedMemoryAtEnd releaseMemory;  // tag rebuilds free large key batches
    DataServiceResult result;
    const ServiceKind kind = DataServKind(tag);
    const std::optional<TableGroup> group = DataServGroup(tag);
    if (kind == ServiceKind::None || !group) {
        return result;
    }
    const std::vector<GroupTable> tables = TablesOf(*group);
    const int count = int(tables.size());
    progress.setMaximum(kind == ServiceKind::Reindex ? 2 * count : count);
    if (kind == ServiceKind::Clear) {
        runClear(session, tag, tables, progress, result);
        return result;
    }

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
        result.done.push_back(table);
        ++result.tablesDone;
    }

    // Every table advanced the gauge by its full share: it stands at its maximum.
    progress.setStatusText(QString());
    return result;
}

}  // namespace kvzt::schema
