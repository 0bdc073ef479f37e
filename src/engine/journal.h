#pragma once
// The transaction journal of one database directory: before-images of every
// record a transaction overwrites and the original length and header of every
// file it grows, written and synced before the data changes (write-ahead).
//
// File "KVZT.JNL" in the directory. Layout: the 8-byte magic "KVZTJNL1",
// then entries, each
//   u8 kind (1 = file length + header bytes, 2 = record before-image)
//   u16 path length, path bytes (the file name only, relative to the directory)
//   u64 offset (kind 2) or original file length (kind 1)
//   u32 byte count, the bytes
//   u32 CRC-32 of the entry so far
// A torn last entry (crash while writing it) fails its CRC and is ignored: its
// data write never happened, because the entry is synced first.
// Commit syncs the data files and removes the journal. A journal found at the
// next open means a crash before commit: the before-images are written back in
// reverse order, the files cut to their original lengths, and the journal removed.

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kvzt::engine {

class Journal {
public:
    explicit Journal(std::string directory);
    ~Journal();

    bool active() const { return fd_ >= 0; }
    // Creates the journal file; throws TransactionState when one is active.
    void begin();
    // Remembers `before` (the bytes at `offset` of the file) once per place.
    void saveBytes(const std::string& filePath, std::uint64_t offset, std::string_view before);
    // Remembers a file's length and its first `header.size()` bytes before it grows or shrinks; once per file.
    void saveLength(const std::string& filePath, std::uint64_t length, std::string_view header);
    // Removes the journal (the caller has synced the data files).
    void commit();
    // Puts the saved bytes back and removes the journal; returns the file paths it restored.
    std::vector<std::string> rollback();

    // A journal left by a crash: restore and remove it. Returns the restored
    // file paths (their indexes must be rebuilt), empty when there was none.
    static std::vector<std::string> recover(const std::string& directory);
    static std::string pathIn(const std::string& directory);

private:
    std::string directory_;
    int fd_ = -1;
    std::set<std::pair<std::string, std::uint64_t>> savedBytes_;
    std::set<std::string> savedLengths_;
};

}  // namespace kvzt::engine
