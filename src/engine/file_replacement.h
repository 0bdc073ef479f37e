#pragma once
// Pack, empty and reindex never change a table or its index in place: they
// write the new files beside the old ones and rename them over, in this order:
//   1. the new table "<table file>.kvzt-pack" (pack and empty), synced;
//   2. the new index "<table file>.kvzt-pack-index" (pack and empty) or
//      "<table file>.kvzt-reindex" (reindex), synced;
//   3. the new table renamed over the old one, the directory synced (where
//      the system refuses to rename over an open file, the cursor first
//      closes its own handles of the old table: Table::renameOverTable);
//   4. the new index renamed over the old one, the directory synced.
// The caller holds the table exclusively throughout (the new table is locked
// before it gets the table's name), so nobody else sees the steps.
//
// What a crash leaves, and what the next open of the table does with it:
//   - "<table>.kvzt-pack" present: step 3 did not happen; the old table and
//     the old index are whole. Both temporary files are removed.
//   - "<table>.kvzt-pack-index" alone: the new table is in place and its index
//     complete (it was synced before step 3). It is renamed over the old index.
//   - "<table>.kvzt-reindex": the old index is whole; the file is removed.
// So the table and its index are always both old or both new.

#include <string>

namespace kvzt::engine {

struct ReplacementNames {
    std::string table;       // the new table of a pack or empty
    std::string packIndex;   // the new index of a pack or empty
    std::string reindex;     // the new index of a reindex
};

ReplacementNames replacementNames(const std::string& dbfPath);

// Finishes or undoes a replacement a crash interrupted (rules above). The
// caller holds a lock on the table, which proves no replacement is running.
void settleInterruptedReplacement(const std::string& dbfPath);

}  // namespace kvzt::engine
