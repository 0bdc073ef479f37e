#include "refbooks/usage_flags.h"

#include <array>

#include "data/table_component.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"

namespace kvzt::refbooks {

namespace {

const std::array<UsageBookInfo, 3> kBooks = {{
    {UsageBook::Documents, "tbDoc", "Kldoc30", "CODEX", "CODE", "NAMEM", "SUsed",
     " - Документы, удостоверяющие личность"},
    {UsageBook::Incomes, "tbDoh", "KLDOX31", "KODX", "KOD", "NAME", "sUsed", " - Виды доходов"},
    {UsageBook::Deductions, "tbVic", "Klvic30", "KODX", "KOD", "NAME", "sUsed", " - Виды вычетов"},
}};

// Writes one record's flag: an error leaves no edit open behind it.
void writeUsed(engine::Table& table, bool used) {
    table.edit();
    try {
        table.setBoolean(kUsedField, used);
        table.post();
    } catch (...) {
        table.cancel();
        throw;
    }
}

}  // namespace

const UsageBookInfo* FindUsageBook(int mode) {
    if (mode < 0 || mode >= int(kBooks.size())) return nullptr;
    return &kBooks[size_t(mode)];
}

const UsageBookInfo& UsageBookOf(int mode) {
    if (const UsageBookInfo* info = FindUsageBook(mode)) return *info;
    throw engine::EngineError(engine::code::InvalidParam,
                              "Неизвестный справочник для настройки: " + std::to_string(mode));
}

QString UsedFlagText(bool used) { return used ? QStringLiteral("*****") : QStringLiteral("     "); }

std::unique_ptr<data::TableComponent> MakeUsageBookComponent(engine::Session& session, const UsageBookInfo& info) {
    return std::make_unique<data::TableComponent>(session, QString::fromLatin1(info.componentName),
                                                  data::TableComponent::Place::Alias,
                                                  QString::fromLatin1(kUsageBookAlias),
                                                  QString::fromLatin1(info.tableName), QString::fromLatin1(info.tag));
}

bool ToggleUsed(engine::Table& table) {
    // An edit without a current record would have to append one: a blank
    // entry in a reference book. There is nothing to toggle then.
    if (table.isEmpty()) return false;
    const bool used = !table.asBoolean(kUsedField);
    writeUsed(table, used);
    return used;
}

int SetAllUsed(engine::Table& table, bool used) {
    const engine::Bookmark remembered = table.bookmark();
    int visited = 0;
    for (table.first(); !table.eof(); table.next()) {
        writeUsed(table, used);
        ++visited;
    }
    if (remembered.recno != 0) {
        table.gotoBookmark(remembered);
    } else {
        table.first();
    }
    return visited;
}

}  // namespace kvzt::refbooks
