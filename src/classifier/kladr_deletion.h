#pragma once
// Removing what is installed of the marked regions, before a load or as the
// whole deletion run. Two ways: region by region along key ranges of the
// tables' own tags, followed by packing the tables touched; or, when every
// region is marked, emptying the five tables in one step each.

#include <QStringList>

#include <vector>

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::classifier {

class KladrProgress;
class KladrTargets;
struct KladrTable;

// Per region in `regions` (codes, KODREGX order): houses, streets and
// settlements go (in the deletion mode the settlements coded "001" stay),
// towns and districts go only in the import mode; the region's YES becomes
// false. The targets are open on their tags and are closed on return.
// Returns the tables that held records of a marked region, in the order
// they are to be packed.
std::vector<const KladrTable*> DeleteRegionRecords(data::TdmKVZT& dm, KladrTargets& targets,
                                                   const QStringList& regions, bool deletionMode,
                                                   KladrProgress& progress);

// Packs the tables, each after its status text "Проверка таблицы …",
// advancing the gauge after each.
void PackKladrTables(data::TdmKVZT& dm, const std::vector<const KladrTable*>& tables, KladrProgress& progress);

// Every region marked: the five tables are emptied, K7SOCR keeps only the
// region-level ("1") abbreviations and is packed. In the deletion mode every
// region's YES becomes false too, as region by region. The targets are
// closed on return.
void DeleteAllRecords(data::TdmKVZT& dm, KladrTargets& targets, bool deletionMode, KladrProgress& progress);

}  // namespace kvzt::classifier
