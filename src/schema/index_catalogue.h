#pragma once
// The catalogue of the host's production-index tags (42 tables, 63 tags),
// and the operations built on it: dropping and creating a table's tags,
// reindexing and packing.
//
// List form (one QStringList): for each table a header line
//   "[<alias>] (<FILE.DBF>) $<tag count> "
// then one line per tag:
//   "<TAG> <key expression>"   e.g. "FIOBORN    <UPPER(FAM+NAME+OTC)+DTOS(DATEROG)>"
// Lines are upper case without leading blanks. Every tag is ascending, not
// unique.
//
// Dropping, creating and packing need the table file free of other users:
// each operation opens the table exclusively itself, so callers close their
// own cursors on it first.

#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/index_options.h"

namespace kvzt::engine {
class Database;
}

namespace kvzt::schema {

// Called before each tag and before each pack (and every few thousand
// records inside a long one), so that a window can process its pending
// messages (paint its gauge, notice a stop). May be empty.
using ProcessMessages = std::function<void()>;

// One tag to build: name, dBase key expression, options.
struct TagSpec {
    std::string name;
    std::string expression;
    engine::IndexOptions options;
};

// Appends a table: its header text and its tag lines.
void AddIndexTable(QStringList& list, const char* header, std::initializer_list<const char*> tagLines);

// Builds the program-wide catalogue list (rebuilt when it exists) and returns it.
const QStringList& BuildIndexList();
void FreeIndexList();
bool IndexListBuilt();
// The program-wide list; built on first use when nobody built it.
const QStringList& IndexList();

// Number of the first line (from 0) containing the upper-cased `tableName`,
// -1 when none does. A plain substring search, as callers have always used it.
int FindIndexList(const QString& tableName);
// The header line of exactly the table `tableName` (with or without ".DBF",
// any letter case, a directory part ignored); -1 for tables outside the catalogue.
int FindIndexTable(const QString& tableName);

// The catalogue's tags of a table; empty for a table outside the catalogue.
std::vector<TagSpec> CatalogueTags(const QString& tableName);
// The tags the table's production index holds now (name, expression, options).
std::vector<TagSpec> ExistingTags(engine::Database& database, const std::string& tableName);

// Deletes the table's tags with its .mdx file whatever the letter case of
// its name (a missing file is no error), and clears the production-index
// flag of the .dbf so that the table opens without an index. The table must
// be free of other users (it is opened exclusively first).
void DropIndexes(engine::Database& database, const std::string& tableName, const ProcessMessages& process = {});

// Adds the catalogue's tags of the table (a tag of that name already there
// is rebuilt; a missing or unreadable .mdx is replaced by a new one). For a
// table outside the catalogue adds `otherTags` instead.
void CreateIndexes(engine::Database& database, const std::string& tableName, const ProcessMessages& process = {},
                   const std::vector<TagSpec>& otherTags = {});

// A new index in place of the old: a catalogue table gets exactly the
// catalogue's tags; any other table gets back the tags it had, built anew.
// The new .mdx is written beside the old one and renamed over it, so the old
// index stays whole until the new one is complete. `afterDrop` is called
// before the build (where the old tags used to be dropped).
void ReindexTable(engine::Database& database, const std::string& tableName, const ProcessMessages& process = {},
                  const std::function<void()>& afterDrop = {});

// Removes the deleted records physically and rebuilds every tag. Failures
// become the typed pack errors of pack_error.h (a table held open elsewhere:
// EPack_NeedExclAccess).
void PackTable(engine::Database& database, const std::string& tableName, const ProcessMessages& process = {});

}  // namespace kvzt::schema
