#pragma once
// The import of earlier-version data: one pass over the source taxpayer list
// of the DOS version 2.* or the Windows version 3.2. Each source taxpayer is
// matched against the stored list and written (new, or one duplicate per
// stored twin), then his income statements follow, each new statement with
// its income lines, deductions and objects in one transaction.
//
// The run reports through ImportProgress; the import window shows it in its
// gauge and stop button, the command line on stderr, tests stop it at a
// chosen record.

#include <QString>
#include <QtGlobal>

#include <exception>
#include <functional>
#include <optional>

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::import {

// The source kinds, numbered as the main window's commands are tagged.
enum class SourceKind : quint8 { Dos1 = 1, Dos2 = 2, Win32 = 3 };

// "IMP" in the directory of the running program: the DOS 2.* reference
// books (kldok, k0str, k1reg) that travel with it.
QString DefaultImpDir();

// A two-line warning for the user.
struct ImportWarning {
    QString line1;
    QString line2;
};

// The files a kind needs, tested in order; the first missing one gives the
// warning naming it. Kind 1 is refused with a warning of its own. The source
// directory may end with a separator or not.
std::optional<ImportWarning> CheckImportFiles(const QString& srcDir, SourceKind kind, const QString& impDir);

class ImportProgress {
public:
    virtual ~ImportProgress() = default;
    // The number of source list records.
    virtual void setMaximum(int maximum) = 0;
    // Source list records done so far.
    virtual void setPosition(int position) = 0;
    // Asked once per source record, after that taxpayer and his statements
    // are written whole; the window processes its pending messages here. True
    // stops the run before the next record.
    virtual bool cancelled() = 0;
};

struct ImportRequest {
    QString srcDir;
    SourceKind kind = SourceKind::Win32;
    QString impDir;  // kind 2 only; DefaultImpDir() when empty
    // Called after each source record is written whole, with the count done
    // (tests use it to kill the process at a chosen point).
    std::function<void(int done)> afterRecord;
    // How long one transaction gathers whole source records before it is
    // committed (0: a commit after every record). A record is never split.
    int transactionSpanMs = 1000;
};

struct ImportResult {
    int sourceRecords = 0;
    int processed = 0;
    int personsAdded = 0;
    int personDuplicates = 0;
    int statementsAdded = 0;
    int statementDuplicates = 0;
    bool spisDblFound = false;
    bool svedDblFound = false;
    bool stoppedByUser = false;
    // The engine (or other) error that ended the run, and the 1-based number
    // of the source list record it happened at (0 when before the first).
    std::exception_ptr error;
    int failedRecord = 0;

    bool completed() const { return !stoppedByUser && !error; }
    // For the user, in Russian: which source record the run stopped at and
    // why; empty when there was no error.
    QString errorText() const;
};

// Runs the import to its end, to a stop, or to the first error. Clears and
// then sets data::SpisDblFound and data::SvedDblFound. Every table the run
// opened is closed again and an open transaction is rolled back; a taxpayer
// and his statements are written completely or not at all. Errors are not
// thrown: they come back in the result.
ImportResult RunImport(data::TdmKVZT& dm, const ImportRequest& request, ImportProgress& progress);

}  // namespace kvzt::import
