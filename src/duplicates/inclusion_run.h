#pragma once
// What the two inclusion runs share: the progress interface the process
// windows and the command line implement, and the result a run returns.
//
// A run walks a duplicate table (Spis_D32 or SvB_32) from its first row to
// its end. Each row marked "з" (replace) or "д" (add) is written into the
// host's tables and then deleted from the duplicate table; every other row
// stays with its mark. A row is written whole or not at all: an engine error
// inside a row rolls that row back and ends the run with the error.

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
    // Inside a row being written, after everything is written and before the
    // row's transaction is committed; with the 1-based row number.
    std::function<void(int row)> beforeCommit;
};

struct InclusionResult {
    int rows = 0;       // rows in the duplicate table at the start
    int processed = 0;  // rows handled (written or left)
    int replaced = 0;   // rows marked "з" written over their stored twin
    int added = 0;      // rows marked "д" written as new records
    bool stoppedByUser = false;
    // The error that ended the run and the 1-based row it happened at (0:
    // before the first row). That row was rolled back and stays in the
    // duplicate table with its mark.
    std::exception_ptr error;
    int failedRow = 0;
    // The failed row was written and committed, but could not be deleted
    // from the duplicate table afterwards (it stays there with its mark).
    bool failedRowWritten = false;

    int written() const { return replaced + added; }
    // Rows still in the duplicate table.
    int left() const { return rows - written() + (failedRowWritten ? 1 : 0); }
    bool completed() const { return !stoppedByUser && !error; }
    // For the user, in Russian; empty when there was no error.
    QString errorText() const;
};

// The first line of the warning shown when the user stopped a run.
QString StoppedByUserText();

}  // namespace kvzt::duplicates
