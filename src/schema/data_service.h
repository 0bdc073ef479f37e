#pragma once
// The data service: one maintenance command run over a fixed group of host
// tables. The command is chosen by a tag (the menu item's):
//   0–3   reindex every catalogue tag of the group (all, base, kladr, sprav)
//   4–7   pack the group (same order of groups)
//   10    empty the income data, then mark no taxpayer as having an income
//         statement or a tax card (IsSprav, IsKart := false)
//   11    empty the income data and the taxpayer list
// Any other tag runs nothing.
//
// The run reports through DataServiceProgress; the service window shows it
// in its gauge and label, the command line on stderr. Every table is taken
// exclusively, so nobody (the program's own cursors included) may hold it.

#include <QString>

#include <exception>
#include <optional>
#include <vector>

#include "schema/table_groups.h"

namespace kvzt::engine {
class Session;
}

namespace kvzt::schema {

enum class ServiceKind { None, Reindex, Pack, Clear };

// What a tag does, over which group, under which window caption.
ServiceKind DataServKind(int tag);
std::optional<TableGroup> DataServGroup(int tag);
// The window caption; empty for a tag that runs nothing.
QString DataServCaption(int tag);
// The tag that reindexes or packs `group` (All, Base, Kladr, Sprav); -1 for
// other pairs.
int DataServTag(ServiceKind kind, TableGroup group);

class DataServiceProgress {
public:
    virtual ~DataServiceProgress() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void advance() = 0;
    // The table being processed; empty when the run has ended.
    virtual void setStatusText(const QString& text) = 0;
    // Called before each tag and each pack so that a window stays painted.
    virtual void processMessages() {}
};

struct DataServiceResult {
    int tablesDone = 0;
    // The tables done, in order, before the command ended or stopped.
    std::vector<GroupTable> done;
    // The table the command stopped at, and why; empty after a full run.
    std::optional<GroupTable> stoppedAt;
    std::exception_ptr error;

    bool ok() const { return !stoppedAt.has_value(); }
    // The error's own message (engine, pack or other); empty after a full run.
    QString errorText() const;
    // "Команда остановлена на таблице VX_B:DOXOD22. Обработаны таблицы (2):
    // VX_B:SPISOK32, VX_B:SVBASE32." (or "Ни одна таблица не обработана.")
    // for the user; empty after a full run.
    QString stopText() const;
};

// Runs the command of `tag` to its end or to the first error. Reindex and
// pack go table by table: the tables before the failing one stay processed,
// nothing after it is touched. Clearing first takes every table it empties
// (and, for tag 10, the taxpayer list) exclusively, so a table held
// elsewhere stops it before anything is emptied. Errors are not thrown:
// they come back in the result.
DataServiceResult RunDataService(engine::Session& session, int tag, DataServiceProgress& progress);

}  // namespace kvzt::schema
