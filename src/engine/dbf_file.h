#pragma once
// A .dbf file on disk: header, fixed-length records, the end-of-file byte.
//
// Layout (dBase III/IV, little-endian):
//   0 version (0x03) | 1-3 last update YY MM DD | 4-7 record count
//   8-9 header length | 10-11 record length | 28 production-index flag
//   29 language driver | 32.. field descriptors of 32 bytes | 0x0D
//   records: one flag byte (' ' live, '*' deleted) + the field bytes
//   0x1A after the last record.
//
// Appends are gathered in memory and written in large pieces; every other
// access writes them out first, and close() or flush() leaves a file any
// dBase reader accepts, with the record count and date in its header.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/date.h"
#include "engine/field_def.h"
#include "engine/file_io.h"

namespace kvzt::engine {

class FileLock;
class Journal;

enum class OpenMode { Shared, Exclusive, ReadOnly };

struct DbfHeader {
    std::uint8_t version = 0x03;
    Date lastUpdate;
    std::uint32_t recordCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint8_t productionIndex = 0;  // byte 28
    std::uint8_t languageDriver = 0;   // byte 29
    std::vector<FieldDef> fields;      // with offsets filled in
};

// Reads a header from the first bytes of a file of `fileSize` bytes. A header
// longer than its descriptors need (padding), a missing 0x0D at its end and a
// record count below the whole records the file holds are accepted; a header
// that contradicts the file throws EngineError(code::Corrupt) naming what is
// wrong: a count or header length putting records past the end of the file,
// a header too short for its descriptors, descriptors cut off, a record
// length other than 1 + the field widths. Other formats: UnknownTableType.
DbfHeader parseDbfHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& path);

// The header bytes (32 + 32·fields + 1) for `header`.
std::string encodeDbfHeader(const DbfHeader& header);

// Opens a table file for reading (and writing when `writable`); throws
// NoSuchTable when it is missing and TableInUse when access is refused.
FileHandle openTableFile(const std::string& path, bool writable);

class DbfFile {
public:
    // Opens and locks the file on its own; throws NoSuchTable, TableInUse,
    // Corrupt, UnknownTableType. For tools that work on one file alone.
    static std::unique_ptr<DbfFile> open(const std::string& path, OpenMode mode);
    // Opens the file without a lock of its own: the storage that the cursors
    // of one table in this process share, each cursor holding its own lock.
    // Read-write when `writable`.
    static std::unique_ptr<DbfFile> openUnlocked(const std::string& path, bool writable);
    // Writes a new empty table (replacing a file of that name) and returns nothing:
    // open it afterwards. Field names are upper-cased; offsets are computed here.
    static void create(const std::string& path, std::vector<FieldDef> fields, std::uint8_t languageDriver);

    ~DbfFile();  // flushes; errors at this point are swallowed (call close() to see them)
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    void close();  // flush, sync when written, release; throws on a failed write

    const std::string& path() const { return path_; }
    OpenMode mode() const { return mode_; }
    const DbfHeader& header() const { return header_; }
    const std::vector<FieldDef>& fields() const { return header_.fields; }
    std::uint32_t recordCount() const { return header_.recordCount; }
    int recordLength() const { return header_.recordLength; }

    // 1-based record numbers. `out` receives recordLength() bytes.
    void readRecord(std::uint32_t recno, char* out) const;
    void writeRecord(std::uint32_t recno, const char* data);
    std::uint32_t appendRecord(const char* data);
    // Cuts the table to `count` records (empty: 0); pack writes the survivors first.
    void truncate(std::uint32_t count);

    void setProductionIndexFlag(bool on);
    // Writes a table with only the given records, in order, to `target`
    // (pack), synced; returns it open for reading and writing. On failure
    // `target` is removed and the error thrown.
    FileHandle writeCopy(const std::vector<std::uint32_t>& keep, const std::string& target);
    // Opens the file under the table's name again (after a new file was renamed over it).
    void reopen();
    // Writes out and syncs what is gathered and closes the file's handle, so that a new
    // file can be renamed over it where the system refuses to replace an open
    // file; reopen() takes the file up again. Nothing may be read meanwhile.
    void letGo();
    // Re-reads the header from disk (after a rollback changed the file beneath us).
    void reload();
    void flush();
    // flush() and then force the file to the disk when anything was written since the last sync.
    void sync();
    // While set, every change first leaves its before-image in the journal.
    void setJournal(Journal* journal) { journal_ = journal; }

    // Byte offset of record `recno` in the file (for before-images).
    std::uint64_t recordOffset(std::uint32_t recno) const {
        return header_.headerLength + std::uint64_t(recno - 1) * header_.recordLength;
    }
    std::uint64_t fileLength() const { return recordOffset(header_.recordCount + 1) + 1; }
    FileHandle descriptor() const { return fd_; }

private:
    DbfFile() = default;
    void writePending();
    void writeHeld();
    void writeHeaderCounters();
    void requireWritable() const;
    void journalBeforeChange();
    void invalidateCache() const { cacheCount_ = 0; }
    void pwriteAll(const char* data, std::size_t size, std::uint64_t offset);

    std::string path_;
    OpenMode mode_ = OpenMode::Shared;
    FileHandle fd_ = kNoFile;
    bool unsynced_ = false;            // written since the last sync
    std::unique_ptr<FileLock> lock_;
    Journal* journal_ = nullptr;
    DbfHeader header_;
    std::uint32_t onDiskCount_ = 0;    // records physically written
    std::string pending_;              // appended records not yet written
    // Records changed inside a transaction, held back until their
    // before-images are synced in the journal together (one sync for many
    // records instead of one each).
    std::map<std::uint32_t, std::string> held_;
    bool headerDirty_ = false;
    mutable std::string readCache_;    // a window of records for sequential reads
    mutable std::uint32_t cacheFirst_ = 0;  // first record number in readCache_
    mutable std::uint32_t cacheCount_ = 0;
};

}  // namespace kvzt::engine
