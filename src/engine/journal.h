#pragma once
// The transaction journal of one database directory: before-images of every
// record a transaction overwrites and the original length and header of every
// file it grows, written and synced before the data changes (write-ahead).
//
// File "KVZT.JNL" in the directory. Layout: the 8-byte magic "KVZTJNL1",
// then entries, each (integers little-endian)
//   u8 kind (1 = file length + header bytes, 2 = record before-image,
//            3 = transaction group)
//   u16 path length, path bytes (the file name only, relative to the directory;
//       empty for kind 3)
//   u64 offset (kind 2), original file length (kind 1) or group id (kind 3)
//   u32 byte count, the bytes (kind 3: the full path of the group record)
//   u32 CRC-32 of the entry so far
// A journal of a transaction group has its kind 3 entry first, written
// before the journal appears under its name.
// Every entry is synced before its data write (made by the caller afterwards):
// at once, or, for entries the caller holds its writes back for, all together
// just before those writes. A torn last entry
// (crash while writing it) fails its CRC and is ignored: its data write never
// happened.
// The journal is made under a temporary name, locked exclusively, and only
// then linked to "KVZT.JNL"; the lock is held until commit or rollback, so a
// journal that can be locked by someone else belongs to a crashed process.
// Commit syncs the data files and removes the journal. A journal found at the
// next open means a crash before commit: the before-images are written back in
// reverse order, the files cut to their original lengths, and the journal removed.
// A group's journal is instead simply removed when the group's record
// (group_record.h) says the group committed.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kvzt::engine {

class FileLock;

// The transaction group a journal belongs to: its id and the full path of the
// record written when the group commits.
struct JournalGroup {
    std::uint64_t id = 0;
    std::string recordPath;
};

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
    // here or in another process working on the same directory. With a group,
    // the journal names it.
    void begin(const JournalGroup* group = nullptr);
    // Now: the entry is synced before the call returns. Later: the caller
    // holds its data write back until syncPending() (one sync for many entries).
    enum class Sync { Now, Later };
    // Remembers `before` (the bytes at `offset` of the file) once per place.
    // Both save calls do nothing outside a transaction; the file must lie in
    // the journal's directory (InvalidParam otherwise).
    void saveBytes(const std::string& filePath, std::uint64_t offset, std::string_view before,
                   Sync sync = Sync::Now);
    // Syncs the entries saved with Sync::Later.
    void syncPending();
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
    // Lets go of the journal and its lock without touching the file, for a
    // group that committed but could not remove this journal: the next open
    // of the directory finds the group's record and discards it.
    void abandon() noexcept;

    // A journal left by a crash: restore and remove it. Returns the restored
    // file paths (their indexes must be rebuilt), empty when there was none or
    // when the journal belongs to a transaction still running elsewhere.
    // Throws Corrupt for a file that is not a journal.
    // `beforeRemoval` gets the restored paths while the journal is still on
    // disk (indexes rebuilt there are redone if the process dies meanwhile).
    using RestoredHook = std::function<void(const std::vector<std::string>&)>;
    static std::vector<std::string> recover(const std::string& directory, const RestoredHook& beforeRemoval = {});
    static std::string pathIn(const std::string& directory);
    // The group the journal at `journalPath` belongs to; nullopt when there is
    // no such file, it cannot be read or it belongs to no group.
    static std::optional<JournalGroup> groupOf(const std::string& journalPath) noexcept;

private:
    // Closes and unlocks the journal file and forgets what it saved.
    void release() noexcept;

    std::string directory_;
    std::intptr_t fd_ = -1;  // FileHandle
    std::unique_ptr<FileLock> lock_;
    std::set<std::pair<std::string, std::uint64_t>> savedBytes_;
    std::set<std::string> savedLengths_;
    bool unsynced_ = false;
};

}  // namespace kvzt::engine
