// The classifier run: counting, removing what is installed for the marked
// regions, and in the import mode loading them anew from kladr.dbf and
// street.dbf with the five tables' indexes dropped meanwhile.

#include "classifier/kladr_process.h"

#include <QDir>

#include "classifier/kladr_deletion.h"
#include "classifier/kladr_loading.h"
#include "classifier/kladr_source.h"
#include "classifier/kladr_targets.h"
#include "classifier/socr_codes.h"
#include "data/data_module.h"
#include "engine/memory_release.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"

namespace kvzt::classifier {

namespace {

// Gauge room beyond the source records, for the region and pack steps.
constexpr int kGaugeReserve = 137;
// Gauge steps of a deletion run besides one per region (the packs).
constexpr int kDeletionSteps = 6;
// Gauge steps of a deletion run that empties everything.
constexpr int kTotalDeletionSteps = 3;

struct RegionScan {
    RegionMarks marks;     // every region: code → marked
    QStringList marked;    // marked codes in KODREGX order
    bool someUnmarked = false;
};

RegionScan scanRegions(data::TdmKVZT& dm) {
    RegionScan scan;
    engine::Table& reg = dm.tbReg.table();
    for (reg.first(); !reg.eof(); reg.next()) {
        const std::string code = reg.asString("KODREG");
        const bool marked = reg.asBoolean("YES2INS");
        scan.marks[code] = marked;
        if (marked) {
            scan.marked << QString::fromStdString(code);
        } else {
            scan.someUnmarked = true;
        }
    }
    return scan;
}

void markInstalled(data::TdmKVZT& dm) {
    engine::Table& reg = dm.tbReg.table();
    for (reg.first(); !reg.eof(); reg.next()) {
        if (!reg.asBoolean("YES2INS")) continue;
        reg.edit();
        reg.setBoolean("YES2INS", false);
        reg.setBoolean("YES", true);
        reg.post();
    }
}

void createIndexes(engine::Database& db, KladrProgress& progress) {
    const schema::ProcessMessages process = [&progress] { progress.processMessages(); };
    for (const KladrTable& table : kKladrTables) {
        progress.setStatusText(QStringLiteral("Индексирование таблицы \"%1\"").arg(QString::fromUtf8(table.caption)));
        schema::CreateIndexes(db, table.file, process);
    }
}

// After a failure while the indexes are dropped: give the tables their
// tags back so that the host can use what is there. A second failure is
// left unreported; the first one is the one the user sees.
void restoreIndexes(engine::Database& db) {
    for (const KladrTable& table : kKladrTables) {
        try {
            schema::CreateIndexes(db, table.file);
        } catch (...) {
        }
    }
}

void load(data::TdmKVZT& dm, KladrTargets& targets, KladrSource& kladr, KladrSource& street, bool impStreets,
          const RegionMarks& marks, KladrProgress& progress, KladrResult& result) {
    targets.openNatural(kRai);
    targets.openNatural(kTow);
    targets.openNatural(kNas);
    SocrCodes socr(dm.tbTip.table());
    KladrLoader loader(dm, targets, socr, marks, progress, result);
    loader.kladrPass(kladr.table());
    targets.close(kRai);
    targets.close(kNas);
    targets.close(kTow);
    targets.openNatural(kUli);
    targets.openNatural(kDom);
    if (impStreets) {
        kladr.finish();
        street.open();
        loader.streetPass(street.table());
    }
    targets.close(kDom);
    targets.close(kUli);
    street.finish();
    kladr.finish();
    result.newAbbreviations = socr.added();
}

}  // namespace

QString KladrDirFrom(const QString& directory) {
    if (directory.trimmed().isEmpty()) return directory;
    if (directory.endsWith(QLatin1Char('/')) || directory.endsWith(QLatin1Char('\\'))) return directory;
    return directory + QDir::separator();
}

KladrResult KladrProcess(data::TdmKVZT& dm, const KladrRequest& request, KladrProgress& progress) {
    // The key batches of a million-record tag build are freed when each tag
    // is written; this hands that memory back once the run ends.
    const engine::ReleaseFreedMemoryAtEnd releaseMemory;
    KladrResult result;
    const bool deletion = request.deletionMode();
    const QString dir = KladrDirFrom(request.kladrDir);
    engine::Session& session = dm.session();
    engine::Database& db = session.database(kKladrAlias);

    progress.setStatusText(deletion ? QStringLiteral("Определение числа удаляемых регионов")
                                    : QStringLiteral("Определение числа записей в КЛАДР"));
    progress.processMessages();
    KladrTargets targets(db);
    targets.openAllOnTags();
    int maximum = 0;
    progress.setMaximum(maximum);

    KladrSource kladr(session, dir, QStringLiteral("kladr"));
    KladrSource street(session, dir, QStringLiteral("street"));
    if (!deletion) {
        if (request.impStreets) {
            maximum = int(street.open().recordCount());
            street.close();
        }
        maximum = int(kladr.open().recordCount()) + maximum + kGaugeReserve;
        progress.setMaximum(maximum);
    }

    const RegionScan scan = scanRegions(dm);
    std::vector<const KladrTable*> toPack;
    // With no region marked there is nothing to remove, even when K1REG is
    // empty and so no region is "unmarked" either.
    if (scan.someUnmarked || scan.marked.isEmpty()) {
        if (deletion) {
            maximum = int(scan.marked.size()) + kDeletionSteps;
            progress.setMaximum(maximum);
        }
        toPack = DeleteRegionRecords(dm, targets, scan.marked, deletion, progress);
        // A deletion run keeps the indexes: pack now. An import drops them
        // first, so that the pack only rewrites the records and the tags are
        // built once, after loading.
        if (deletion) PackKladrTables(dm, toPack, progress);
    } else {
        if (deletion) {
            maximum = kTotalDeletionSteps;
            progress.setMaximum(maximum);
        }
        DeleteAllRecords(dm, targets, deletion, progress);
    }
    targets.closeAll();
    result.regionsDone = scan.marked;

    if (deletion) {
        progress.setPosition(maximum);
        progress.setStatusText(QStringLiteral("Удаление записей КЛАДР успешно выполнено"));
        return result;
    }

    schema::BuildIndexList();
    try {
        const schema::ProcessMessages process = [&progress] { progress.processMessages(); };
        for (const KladrTable& table : kKladrTables) schema::DropIndexes(db, table.file, process);
        PackKladrTables(dm, toPack, progress);
        load(dm, targets, kladr, street, request.impStreets, scan.marks, progress, result);
        markInstalled(dm);
        createIndexes(db, progress);
    } catch (...) {
        targets.closeAll();
        restoreIndexes(db);
        schema::FreeIndexList();
        throw;
    }
    schema::FreeIndexList();

    progress.setPosition(maximum);
    progress.setStatusText(QStringLiteral("Импорт КЛАДР успешно выполнен"));
    return result;
}

}  // namespace kvzt::classifier
