#pragma once
// The record that makes one transaction over several database directories
// (a transaction group, transaction_group.h) commit in all of them or in none.
//
// File "KVZT.GRP" in the directory of the group's first database. Layout
// (integers little-endian):
//   8 bytes magic "KVZTGRP1"
//   u64 group id
//   u16 number of member journals, then for each: u16 path length, the
//       journal's full path
//   u32 CRC-32 of everything before it
// It exists only for a committed group: it is written under a temporary name,
// synced, renamed into place and the directory synced, after the data files
// of every member are synced and before any member's journal is removed.
// Each member journal names the group id and this record's path (journal.h),
// so recovery discards a journal whose group has its record and rolls back
// one whose group has none. The record is removed once no journal of its
// group is left.

#include <cstdint>
#include <string>
#include <vector>

namespace kvzt::engine {

struct GroupRecord {
    std::uint64_t id = 0;
    std::vector<std::string> journals;

    static std::string pathIn(const std::string& directory);
    // Writes the record durably (see above); throws IoError.
    static void writeCommitted(const std::string& path, const GroupRecord& record);
    // True when `path` holds a complete record of group `id`; false when it is
    // missing, damaged or of another group. Throws IoError when it cannot be read.
    static bool isCommitted(const std::string& path, std::uint64_t id);
    // Removes the record at `path` when none of the journals it names still
    // belongs to its group. Never throws: a record left behind is harmless.
    static void removeIfDone(const std::string& path) noexcept;
};

}  // namespace kvzt::engine
