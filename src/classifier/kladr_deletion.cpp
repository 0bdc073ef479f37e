#include "classifier/kladr_deletion.h"

#include <utility>

#include "classifier/kladr_process.h"
#include "classifier/kladr_targets.h"
#include "data/data_module.h"
#include "data/table_helpers.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"

namespace kvzt::classifier {

namespace {

// Walks the region's key range of one table, deleting what the mode takes.
// True when the range held any record.
// A region holds up to a hundred thousand streets: the window takes its
// events every so many records.
constexpr int kRecordsPerMessagePass = 2048;

template <typename Keep>
bool deleteRange(engine::Table& table, const QString& region, Keep keep, KladrProgress& progress) {
    // The range is the region's whole key prefix: every record of the region
    // whatever its other codes or name.
    data::SetRangeByFields(table, {{QStringLiteral("KODREG"), region, region}});
    const bool any = !table.eof();
    for (int walked = 1; !table.eof(); ++walked) {
        if (keep(table)) {
            table.next();
        } else {
            table.deleteRecord();
        }
        if (walked % kRecordsPerMessagePass == 0) progress.processMessages();
    }
    table.cancelRange();
    return any;
}

void setInstalled(data::TdmKVZT& dm, const QString& region, bool installed) {
    engine::Table& reg = dm.tbReg.table();
    if (!reg.findKey({region.toStdString()})) return;
    reg.edit();
    reg.setBoolean("YES", installed);
    reg.post();
}

QString packStatus(const KladrTable& table) {
    return QStringLiteral("Проверка таблицы \"%1\"").arg(QString::fromUtf8(table.caption));
}

}  // namespace

std::vector<const KladrTable*> DeleteRegionRecords(data::TdmKVZT& dm, KladrTargets& targets,
                                                   const QStringList& regions, bool deletionMode,
                                                   KladrProgress& progress) {
    bool touchedDom = false, touchedUli = false, touchedNas = false, touchedTow = false, touchedRai = false;
    const auto keepNone = [](engine::Table&) { return false; };
    const auto keepAll = [](engine::Table&) { return true; };
    const auto keepNas = [deletionMode](engine::Table& t) { return deletionMode && t.asString("KODNAS") == "001"; };

    for (const QString& region : regions) {
        progress.setStatusText(QStringLiteral("\"%1\" - удаление ранее установленных записей").arg(dm.GetRegName(region)));
        progress.processMessages();
        touchedDom |= deleteRange(targets[kDom], region, keepNone, progress);
        touchedUli |= deleteRange(targets[kUli], region, keepNone, progress);
        touchedNas |= deleteRange(targets[kNas], region, keepNas, progress);
        if (deletionMode) {
            touchedTow |= deleteRange(targets[kTow], region, keepAll, progress);
            touchedRai |= deleteRange(targets[kRai], region, keepAll, progress);
        } else {
            touchedTow |= deleteRange(targets[kTow], region, keepNone, progress);
            touchedRai |= deleteRange(targets[kRai], region, keepNone, progress);
        }
        progress.advance();
        setInstalled(dm, region, false);
    }
    targets.closeAll();

    std::vector<const KladrTable*> touched;
    for (const auto& [table, any] : {std::pair{&kTow, touchedTow}, std::pair{&kRai, touchedRai},
                                     std::pair{&kNas, touchedNas}, std::pair{&kUli, touchedUli},
                                     std::pair{&kDom, touchedDom}}) {
        if (any) touched.push_back(table);
    }
    return touched;
}

void PackKladrTables(data::TdmKVZT& dm, const std::vector<const KladrTable*>& tables, KladrProgress& progress) {
    engine::Database& db = dm.session().database(kKladrAlias);
    const schema::ProcessMessages process = [&progress] { progress.processMessages(); };
    for (const KladrTable* table : tables) {
        progress.setStatusText(packStatus(*table));
        progress.processMessages();
        schema::PackTable(db, table->file, process);
        progress.advance();
    }
}

void DeleteAllRecords(data::TdmKVZT& dm, KladrTargets& targets, bool deletionMode, KladrProgress& progress) {
    progress.setStatusText(QStringLiteral("Удаление всех ранее установленных записей КЛАДР"));
    progress.processMessages();
    targets.closeAll();
    engine::Database& db = dm.session().database(kKladrAlias);
    for (const KladrTable& table : kKladrTables) {
        auto cursor = db.openTable(table.file, engine::OpenMode::Exclusive);
        cursor->emptyTable();
        cursor->close();
    }
    if (deletionMode) progress.advance();

    engine::Table& socr = dm.tbTip.table();
    socr.first();
    while (!socr.eof()) {
        if (socr.asString("Lev") == "1") {
            socr.next();
        } else {
            socr.deleteRecord();
        }
    }
    // The pack needs the file to itself: the module's own cursor steps aside.
    dm.tbTip.close();
    try {
        schema::PackTable(db, "K7SOCR", [&progress] { progress.processMessages(); });
    } catch (...) {
        dm.tbTip.open();
        throw;
    }
    dm.tbTip.open();
    if (deletionMode) progress.advance();

    if (deletionMode) {
        engine::Table& reg = dm.tbReg.table();
        for (reg.first(); !reg.eof(); reg.next()) {
            if (!reg.asBoolean("YES")) continue;
            reg.edit();
            reg.setBoolean("YES", false);
            reg.post();
        }
    }
}

}  // namespace kvzt::classifier
