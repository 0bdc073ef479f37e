#pragma once
// The transaction journal of one database directory: before-images of every
// record a transaction overwrites and the original length and header of every
// file it grows, written and synced before the data changes (write-ahead).
//
// File "KVZT.JNL" in the directory. Layout: the 8-byte magic "KVZTJNL1",
// then entries, each (integers little-endian)
//   u8 kind (1 = file length + header bytes, 2 = record before-image)
//   u16 path length, path bytes (the file name only, relative to the directory)
//   u64 offset (kind 2) or original file length (kind 1)
//   u32 byte count, the bytes
//   u32 CRC-32 of the entry so far
// Every entry is synced before the call that writes it returns, so its data
// write (made by the caller afterwards) never precedes it. A torn last entry
// (crash while writing it) fails its CRC and is ignored: its data write never
// happened.
// The journal is made under a temporary name, locked exclusively, and only
// then linked to "KVZT.JNL"; the lock is held until commit or rollback, so a
// journal that can be locked by someone else belongs to a crashed process.
// Commit syncs the data files and removes the journal. A journal found at the
// next open means a crash before commit: the before-images are written back in
// reverse order, the files cut to their original lengths, and the journal removed.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kvzt::engine {

class FileLock;

class Journal {
public:
    explicit Journal(std::string directory);
    // A transaction still open is rolled back (errors swallowed: the journal
    // then stays and the next open recovers it).
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    bool active() const { return fd_ >= 0; }
    // Creates the journal file; throws TransactionState when one is active,
    // here or in another process working on the same directory.
    void begin();
    // Remembers `before` (the bytes at `offset` of the file) once per place.
    // Both save calls do nothing outside a transaction; the file must lie in
    // the journal's directory (InvalidParam otherwise).
    void saveBytes(const std::string& filePath, std::uint64_t offset, std::string_view before);
    // Remembers a file's length and its first `header.size()` bytes before it grows or shrinks; once per file.
    void saveLength(const std::string& filePath, std::uint64_t length, std::string_view header);
    // Removes the journal (the caller has synced the data files).
    void commit();
    // Puts the saved bytes back and removes the journal; returns the file paths it restored.
    std::vector<std::string> rollback();
    // Puts the saved bytes back and keeps the journal (and the transaction)
    // until commit(): what the caller then rebuilds from the restored files
    // is redone from the journal if the process dies meanwhile.
    std::vector<std::string> restore();

    // A journal left by a crash: restore and remove it. Returns the restored
    // file paths (their indexes must be rebuilt), empty when there was none or
    // when the journal belongs to a transaction still running elsewhere.
    // Throws Corrupt for a file that is not a journal.
    // `beforeRemoval` gets the restored paths while the journal is still on
    // disk (indexes rebuilt there are redone if the process dies meanwhile).
    using RestoredHook = std::function<void(const std::vector<std::string>&)>;
    static std::vector<std::string> recover(const std::string& directory, const RestoredHook& beforeRemoval = {});
    static std::string pathIn(const std::string& directory);

private:
    std::string directory_;
    std::intptr_t fd_ = -1;  // FileHandle
    std::unique_ptr<FileLock> lock_;
    std::set<std::pair<std::string, std::uint64_t>> savedBytes_;
    std::set<std::string> savedLengths_;
};

}  // namespace kvzt::engine
