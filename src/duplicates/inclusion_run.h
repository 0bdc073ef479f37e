#pragma once
// What the two inclusion runs share: the progress interface the process
// windows and the command line implement, and the result a run returns.
//
// A run walks a duplicate table (Spis_D32 or SvB_32) from its first row to
// its end. Each row marked "з" (replace) or "д" (add) is written into the
// host's tables and then deleted from the duplicate table; every other row
// stays with its mark. Rows are gathered into transactions over VX_B and
// VX_S (inclusion_batch.h), about one a second: a row is written whole, with
// the deletion of its duplicate row, or not at all, whatever the point at
// which the process dies. An engine error inside a row leaves that row in
// its duplicate table with its mark, keeps the rows before it and ends the
// run with the error.

#include <QString>

#include <exception>
#include <functional>

namespace kvzt::duplicates {

// The two marks of the duplicate tables' INCL field.
inline const QString kMarkReplace = QStringLiteral("з");
inline const QString kMarkAdd = QStringLiteral("д");

enum class Mark { None, Replace, Add };

// The decision a duplicate row carries: "з", "д", or none (empty, blanks,
// or any other text).
Mark MarkOf(const QString& incl);

class InclusionProgress {
public:
    virtual ~InclusionProgress() = default;
    // The number of rows in the duplicate table when the run starts.
    virtual void setMaximum(int maximum) = 0;
    // Rows handled so far, written or not.
    virtual void setPosition(int position) = 0;
    // Asked after each row, once it is written whole or left; the window
    // processes its pending messages here. True stops the run there.
    virtual bool cancelled() = 0;
};

// Hooks for tests and the command line's crash tests; each may be empty.
struct InclusionHooks {
    // After a row is handled (written or not), with the count of rows handled.
    std::function<void(int done)> afterRow;
    // Inside a row being written, after everything of it is written (its
    // duplicate row deleted too) and before its transaction goes on to the
    // next row or commits; with the 1-based row number. Called again for a
    // row written a second time after a later row failed.
    std::function<void(int row)> beforeCommit;
};

struct InclusionResult {
    int rows = 0;       // rows in the duplicate table at the start
    int processed = 0;  // rows handled (written or left)
    int replaced = 0;   // rows marked "з" written over their stored twin
    int added = 0;      // rows marked "д" written as new records
    bool stoppedByUser = false;
    // The error that ended the run and the 1-based row it happened at (0:
    // before the first row). That row and every row after it stay in the
    // duplicate table with their marks; the rows before it are written.
    std::exception_ptr error;
    int failedRow = 0;
    // The error came when the run closed its tables, after its last commit:
    // the rows counted as written stay written.
    bool failedAtClose = false;

    int written() const { return replaced + added; }
    // Rows still in the duplicate table.
    int left() const { return rows - written(); }
    bool completed() const { return !stoppedByUser && !error; }
    // For the user, in Russian; empty when there was no error.
    QString errorText() const;
};

// The first line of the warning shown when the user stopped a run.
QString StoppedByUserText();

}  // namespace kvzt::duplicates
