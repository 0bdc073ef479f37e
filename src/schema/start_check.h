#pragma once
// The check run at every start: every table of the table catalogue must have
// its .dbf in its alias directory with a header that agrees with the file,
// every table of the index catalogue a sound production index (a cheap look
// at headers, roots and the ends of every tag: engine/index_check.h). A damaged or empty index is rebuilt and reported; a
// table with a lying header is reported with the command that repairs it. Missing tables are created from the table
// catalogue, missing indexes from the index catalogue; empty reference books
// are filled from the data files shipped with the program; an empty settings
// table Upi32 receives one record of defaults.
//
// A table created by the check is marked in the table catalogue list by " !"
// appended to its header line ("... (SPISOK32.DBF) $18  !").
//
// The check knows nothing of windows: whoever runs it passes an observer that
// shows its messages, keeps the windows alive and makes its pauses.

#include <QString>
#include <QStringList>

#include <functional>

namespace kvzt::engine {
class Session;
}

namespace kvzt::schema {

class StartCheckObserver {
public:
    virtual ~StartCheckObserver() = default;
    // The message line under the title picture; empty text clears it.
    virtual void showMessage(const QString& text) { (void)text; }
    // Lets the windows process their pending messages.
    virtual void processMessages() {}
    // A pause of `ms` milliseconds that keeps the windows alive.
    virtual void pause(int ms) { (void)ms; }
    // One table is being repaired: `what` says how ("создание таблицы",
    // "создание индексов", "заполнение справочника"). For progress lines.
    virtual void repairing(const QString& alias, const QString& fileName, const QString& what) {
        (void)alias, (void)fileName, (void)what;
    }
};

struct StartCheckOptions {
    // The production-index file extension, without the full stop.
    QString indexExtension = QStringLiteral("mdx");
    // Where the reference-book data files are; empty: ReferenceBookDirectory().
    // A directory that does not exist means no filling.
    QString referenceBookDirectory;
    bool fillReferenceBooks = true;
};

// What the check did, table names as "ALIAS:FILE.DBF".
struct StartCheckReport {
    QStringList createdTables;
    QStringList indexedTables;   // tables whose tags were created
    QStringList skippedTables;   // index-catalogue tables without a .dbf
    QStringList filledBooks;     // reference books filled from data files
    bool settingsRecordAdded = false;
    // Indexes found damaged (or empty) and built anew: "ALIAS:FILE.DBF: what was wrong".
    QStringList rebuiltIndexes;
    // Tables whose header disagrees with their file; each also has a failure
    // naming the repair command. Neither they nor their indexes are touched.
    QStringList inconsistentTables;
    QStringList failures;        // "ALIAS:FILE.DBF: message" for what could not be repaired
    bool ok() const { return failures.isEmpty(); }
};

// The whole check. Engine errors on one table are recorded in the report's
// failures and the check goes on with the next table, so that one locked
// file does not leave the rest of the database unrepaired.
StartCheckReport StartCheck(engine::Session& session, const StartCheckOptions& options = {},
                            StartCheckObserver* observer = nullptr);

// The two passes: tables from `tableList` (header lines of created tables get
// their mark), then indexes from `indexList`.
void IntegrityCheck(engine::Session& session, QStringList& tableList, const QStringList& indexList,
                    const QString& indexExtension, StartCheckObserver* observer, StartCheckReport& report);

// True when the check created the table `fileName` under `alias` (either with
// or without square brackets) in this run.
bool IsCreatedTable(const QStringList& tableList, const QString& alias, const QString& fileName);

// Adds to the table the `tagCount` tags described by the index catalogue
// lines from `firstTagLine` on ("NAME <expression>"). A tag of that name
// already in the table is built anew.
void CreateIndexesFromCatalogue(engine::Session& session, const QStringList& indexList, const QString& alias,
                                const QString& fileName, int firstTagLine, int tagCount,
                                const std::function<void()>& processMessages = {});

// Appends the record of defaults to the alias's UPI32 when it has no record.
// True when a record was appended; an existing record is never changed.
bool EnsureSettingsRecord(engine::Session& session, const QString& alias);

}  // namespace kvzt::schema
