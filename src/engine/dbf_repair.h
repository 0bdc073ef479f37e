#pragma once
// Mending a table whose header claims more records than its file holds (a
// crash between the header write and the records of another program, a copy
// cut short). Only the record count is ever mended: any other contradiction
// between header and file is refused, since no rule says which side is right.

#include <cstdint>
#include <string>
#include <vector>

namespace kvzt::engine {

struct RecordCountRepair {
    std::uint32_t declared = 0;  // the count the header gave
    std::uint32_t whole = 0;     // whole records in the file: the count now
    std::vector<std::string> copies;  // the copies kept: the table first, then its index
};

// With the table held exclusively: copies the table and its production index
// (when there is one) beside them under "<file>.kvzt-bak" (or .kvzt-bak2, ...),
// then sets the header's count to the whole records the file holds when it
// claims more. Throws Corrupt naming the problem, with nothing changed, when
// the header is wrong in any other way; TableInUse when the table is open elsewhere.
RecordCountRepair repairRecordCount(const std::string& dbfPath);

}  // namespace kvzt::engine
