#pragma once
// Temporary files a killed process of ours can leave in a database
// directory, and their removal at the next open:
//   KVZT.JNL.<pid>.<n>.tmp   a journal being made (begin of a transaction)
//   KVZT.GRP.<pid>.<n>.tmp   a group record being written (commit of a group)
//   <TABLE>.DBF.kvzt-pack    a table being packed
// The first two are removed when their process is gone; a pack file when
// nobody has its table open (a pack holds its table exclusively).

#include <string>

namespace kvzt::engine {

// Never throws: a file that cannot be removed only takes room.
void RemoveStaleTemporaries(const std::string& directory) noexcept;

}  // namespace kvzt::engine
