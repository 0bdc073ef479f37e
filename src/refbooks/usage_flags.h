#pragma once
// The usage flags of three reference books under VX_S: identity documents
// (Kldoc30), income kinds (KLDOX31) and deduction kinds (Klvic30). Each has a
// logical field USED that marks the entries in use; the tuning window and
// the command line switch it for one entry or for the whole book.

#include <QString>

#include <memory>

namespace kvzt::engine {
class Session;
class Table;
}  // namespace kvzt::engine

namespace kvzt::data {
class TableComponent;
}

namespace kvzt::refbooks {

// The books by their mode number, as the tuning commands pass it.
enum class UsageBook : quint8 {
    Documents = 0,   // identity documents
    Incomes = 1,     // income kinds
    Deductions = 2,  // deduction kinds
};

struct UsageBookInfo {
    UsageBook book;
    const char* componentName;  // tbDoc, tbDoh, tbVic
    const char* tableName;      // file name under VX_S
    const char* tag;            // the tag the book is listed in
    const char* codeField;
    const char* nameField;
    const char* flagTextField;  // the calculated flag text (SUsed, sUsed)
    const char* captionSuffix;  // appended to the window's caption
};

inline constexpr const char* kUsedField = "USED";
inline constexpr const char* kUsageBookAlias = "VX_S";

// The book of a mode; null for a number that names none.
const UsageBookInfo* FindUsageBook(int mode);
// The same; throws EngineError(InvalidParam) for an unknown mode.
const UsageBookInfo& UsageBookOf(int mode);

// The calculated flag text: "*****" for an entry in use, five blanks otherwise.
QString UsedFlagText(bool used);

// A table component for the book (not yet open): shared, on VX_S, listed in
// the book's tag.
std::unique_ptr<data::TableComponent> MakeUsageBookComponent(engine::Session& session, const UsageBookInfo& info);

// Inverts USED of the current record and posts it; returns the new value.
// Without a current record (an empty book) nothing is written and false is
// returned. An engine error cancels the edit and is passed on.
bool ToggleUsed(engine::Table& table);

// Sets USED of every record, first to last in the active order, to `used`,
// one post per record, and returns to the record that was current. Returns
// the number of records visited. An engine error cancels the open edit,
// leaves the records posted before it changed and is passed on.
int SetAllUsed(engine::Table& table, bool used);

}  // namespace kvzt::refbooks
