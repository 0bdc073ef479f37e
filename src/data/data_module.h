#pragma once
// The program's one data module: the engine session, the database object
// dbKvZt on alias VX_B, and the host tables shared by the import, the
// duplicate handling, the classifier and the main window's clearing step.
//
// Four reference tables (tbReg, tbTip, tbCountry, tbDoc) stay open for the
// whole run, except while the data service takes every table exclusively;
// every other table is opened by the part that needs it and closed by it.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/table_component.h"

namespace kvzt::engine {
class Database;
class Session;
}  // namespace kvzt::engine

namespace kvzt::data {

// The alias behind the database object dbKvZt.
inline constexpr const char* kDbKvZtAlias = "VX_B";

// The session the program runs on: engine.ini (beside the program or in the
// user's configuration folder) and the KVZT_ALIAS_<NAME> variables; when
// neither VX_B nor VX_S is configured, the embedded default database
// (ApplyEmbeddedDefaults).
std::unique_ptr<engine::Session> OpenProgramSession();

class TdmKVZT {
    // Declared first so that it outlives every table component.
    std::unique_ptr<engine::Session> ownedSession_;
    engine::Session* session_;

public:
    enum class Connect { Now, Later };

    // With Connect::Now the database object is connected and the four
    // always-open tables are opened (an engine error is thrown); with
    // Connect::Later nothing is opened until connect().
    explicit TdmKVZT(std::unique_ptr<engine::Session> session, Connect connect = Connect::Now);
    // A module over a session owned by the caller (the command line, tests).
    explicit TdmKVZT(engine::Session& session, Connect connect = Connect::Now);
    // Closes the four always-open tables in reverse order (tbDoc, tbCountry,
    // tbTip, tbReg), then every other table still open.
    ~TdmKVZT();
    TdmKVZT(const TdmKVZT&) = delete;
    TdmKVZT& operator=(const TdmKVZT&) = delete;

    engine::Session& session() { return *session_; }
    // The database object on VX_B; throws EngineError(UnknownDatabase) when
    // the alias is not configured.
    engine::Database& dbKvZt();

    // Connects the database object and opens the always-open tables.
    void connect();
    // True when the four always-open tables are open.
    bool connected() const;

    // tbReg, tbTip, tbCountry, tbDoc in this order (those not yet open).
    // All or nothing: when one fails, those opened by this call are closed
    // again and the engine's error is thrown.
    void openAlwaysOpenTables();
    // The same four in the same order; the data service calls it before it
    // takes tables exclusively and openAlwaysOpenTables() when it is done.
    void closeAlwaysOpenTables();

    // The region's display name: K1REG's NAME, two blanks and the K7SOCR name
    // of the region's type (nothing after the blanks when that is missing);
    // blank when the region is unknown or has no name.
    QString GetRegName(const QString& regionCode);

    // Every table component, in the order they are declared.
    std::vector<TableComponent*> components();
    // The component of that name (tbSpisok …); null when there is none.
    TableComponent* component(const QString& name);

    // Table components (names as the program has always used them).
    TableComponent tbUPI;
    TableComponent tbDoxod;
    TableComponent tbSpisok;
    TableComponent tbTip;
    TableComponent tbCountry;
    TableComponent tbDoc;
    TableComponent tbSved;
    TableComponent tbDosDoxod;
    TableComponent tbDosVicet;
    TableComponent tbDosNewHome;
    TableComponent tbVicet;
    TableComponent tbNewHome;
    TableComponent tbReg;
    TableComponent tbNPM;
    TableComponent tbKV;
    TableComponent tbPVS;
    TableComponent tbNHK;
    TableComponent tbAV;
    TableComponent tbVM;
    TableComponent tbKD;
    TableComponent tbK5;
    TableComponent tbK51;
    TableComponent tbK52;
    TableComponent tbK5CU;
    TableComponent tbK51CU;
    TableComponent tbK52CU;
    TableComponent tbMVClc;
    TableComponent tbFC;
    TableComponent tbKart;

private:
    TdmKVZT(engine::Session* session, std::unique_ptr<engine::Session>&& owned, Connect connect);
    std::vector<TableComponent*> alwaysOpen();
};

// The program's data module (the first one created), or null.
TdmKVZT* dmKVZT();

// The 21 tables the import command empties when the user asks for a clean
// target, in the order they are emptied: DOXOD22 … kart32.
QStringList ImportTargetTables();

// Empties the import's 21 target tables of the module, in order. `onTable`
// (may be empty) is called with each table name before it is emptied. An
// engine error stops at that table; the tables already emptied stay empty.
void EmptyImportTargets(TdmKVZT& dm, const std::function<void(const QString&)>& onTable = {});

}  // namespace kvzt::data
