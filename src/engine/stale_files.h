#pragma once
// Temporary files a killed process of ours can leave in a database
// directory, and their removal at the next open:
//   KVZT.GRP.<pid>.<n>.tmp   a group record being written (commit of a group)
// removed when their process is gone. (A journal being made is removed by
// the journal's own recovery, a pack's or reindex's files by the table's
// open: file_replacement.h.)

#include <string>

namespace kvzt::engine {

// Never throws: a file that cannot be removed only takes room.
void RemoveStaleTemporaries(const std::string& directory) noexcept;

}  // namespace kvzt::engine
