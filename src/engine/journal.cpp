// The layout of the journal file is described in journal.h.
#include "engine/journal.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <map>
#include <utility>

#include "engine/crc32.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/file_lock.h"
#include "engine/group_record.h"
#include "engine/little_endian.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

constexpr char kJournalName[] = "KVZT.JNL";
constexpr std::string_view kMagic = "KVZTJNL1";
constexpr std::uint8_t kKindLength = 1;
constexpr std::uint8_t kKindBytes = 2;
constexpr std::uint8_t kKindGroup = 3;
// kind + path length + offset + byte count, and the CRC after the bytes.
constexpr std::size_t kEntryFixed = 1 + 2 + 8 + 4;
constexpr std::size_t kCrcSize = 4;

// A file name a journal may name: one plain entry of the directory.
bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

using Fd = io::File;

void writeAllAt(FileHandle fd, std::string_view data, std::uint64_t offset, const std::string& what) {
    io::write(fd, data, offset, what);
}

std::string readAll(FileHandle fd, const std::string& what) {
    std::string out;
    char buffer[65536];
    std::uint64_t offset = 0;
    for (;;) {
        const std::size_t n = io::read(fd, buffer, sizeof buffer, offset, what);
        out.append(buffer, n);
        offset += n;
        if (n < sizeof buffer) return out;
    }
}

// Makes a created or removed directory entry survive a power loss.
void syncDirectory(const std::string& directory) { io::syncDirectory(directory); }

struct Entry {
    std::uint8_t kind = 0;
    std::string name;
    std::uint64_t position = 0;  // offset (kind 2) or original length (kind 1)
    std::string_view bytes;
};

// The complete entries of a journal; reading stops at the first torn or
// damaged one (only the last entry can be torn: each is synced before the next).
std::vector<Entry> parseEntries(std::string_view data, const std::string& journalPath) {
    if (data.size() < kMagic.size() || data.substr(0, kMagic.size()) != kMagic)
        throw EngineError(code::Corrupt, "Файл журнала транзакций повреждён или чужой: " + journalPath +
                                             ". Удалите его, если в каталоге не идёт работа с таблицами.");
    std::vector<Entry> entries;
    std::size_t at = kMagic.size();
    while (data.size() - at >= kEntryFixed + kCrcSize) {
        const std::size_t start = at;
        Entry e;
        e.kind = std::uint8_t(data[at]);
        const std::size_t nameLength = std::size_t(getLe(data, at + 1, 2));
        at += 3;
        if (data.size() - at < nameLength + 12 + kCrcSize) break;
        e.name = std::string(data.substr(at, nameLength));
        at += nameLength;
        e.position = getLe(data, at, 8);
        const std::uint64_t count = getLe(data, at + 8, 4);
        at += 12;
        if (data.size() - at < kCrcSize || count > data.size() - at - kCrcSize) break;
        e.bytes = data.substr(at, std::size_t(count));
        at += std::size_t(count);
        if (std::uint32_t(getLe(data, at, 4)) != crc32(data.substr(start, at - start))) break;
        at += kCrcSize;
        const bool known = e.kind == kKindGroup ? e.name.empty()
                                                : (e.kind == kKindLength || e.kind == kKindBytes) && isPlainName(e.name);
        if (!known)
            throw EngineError(code::Corrupt, "Неизвестная запись в журнале транзакций: " + journalPath);
        entries.push_back(std::move(e));
    }
    return entries;
}

// Writes the before-images back, newest first, so that the oldest image of any
// place is the one left; syncs the restored files. Returns their paths in the
// order the journal first names them. Files that no longer exist are skipped.
std::vector<std::string> applyJournal(const std::vector<Entry>& entries, const std::string& directory) {
    std::map<std::string, Fd> files;
    std::vector<std::string> restored;
    for (const Entry& e : entries) {
        if (e.kind == kKindGroup || files.count(e.name)) continue;
        const std::string path = joinPath(directory, e.name);
        FileHandle opened = kNoFile;
        if (int error = fileIo().open(path, OpenFlags::ReadWrite, opened)) {
            if (error == ENOENT) continue;  // the file is gone: nothing left to restore
            throwIoError(path, error);
        }
        files.emplace(e.name, Fd(opened));
        restored.push_back(path);
    }
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        auto file = files.find(it->name);
        if (file == files.end()) continue;
        const std::string path = joinPath(directory, it->name);
        if (it->kind == kKindBytes) {
            writeAllAt(file->second.get(), it->bytes, it->position, path);
        } else {
            writeAllAt(file->second.get(), it->bytes, 0, path);
            io::truncate(file->second.get(), it->position, path);
        }
    }
    for (auto& [name, fd] : files) io::sync(fd.get(), joinPath(directory, name));
    return restored;
}

bool sameFile(const FileInfo& a, const FileInfo& b) { return a.device == b.device && a.inode == b.inode; }

// The name under which a journal of `directory` records `filePath`.
std::string nameInDirectory(const std::string& directory, const std::string& filePath) {
    const std::string name = fileNameOf(filePath);
    const std::string parent = directoryOf(filePath);
    std::string_view dir = directory;
    while (dir.size() > 1 && dir.back() == '/') dir.remove_suffix(1);
    bool inside = isPlainName(name) && name.size() <= 0xFFFF;
    if (inside && parent != dir) {  // another spelling of the same directory?
        FileInfo a, b;
        inside = fileIo().pathInfo(parent.empty() ? "." : parent, a) == 0 &&
                 fileIo().pathInfo(directory.empty() ? "." : directory, b) == 0 && sameFile(a, b);
    }
    if (!inside)
        throw EngineError(code::InvalidParam, "Файл " + filePath + " лежит вне каталога базы данных " + directory +
                                                  " и не может войти в её транзакцию");
    return name;
}

// The group a journal's entries name (its first entry), if any.
std::optional<JournalGroup> groupIn(const std::vector<Entry>& entries) {
    if (entries.empty() || entries.front().kind != kKindGroup) return std::nullopt;
    return JournalGroup{entries.front().position, std::string(entries.front().bytes)};
}

// Appends one entry and syncs it; on any failure the journal is cut back to
// its previous end, so that a later entry never follows a torn one.
void appendEntry(FileHandle fd, const std::string& journalPath, std::uint8_t kind, const std::string& name,
                 std::uint64_t position, std::string_view bytes, bool sync = true) {
    if (bytes.size() > 0xFFFFFFFFu)
        throw EngineError(code::InvalidParam, "Слишком большой фрагмент для журнала транзакций");
    std::string entry;
    entry.reserve(kEntryFixed + name.size() + bytes.size() + kCrcSize);
    entry += char(kind);
    putLe(entry, name.size(), 2);
    entry += name;
    putLe(entry, position, 8);
    putLe(entry, bytes.size(), 4);
    entry += bytes;
    putLe(entry, crc32(entry), 4);

    const std::uint64_t end = io::info(fd, journalPath).size;
    try {
        writeAllAt(fd, entry, end, journalPath);
        if (sync) io::sync(fd, journalPath);
    } catch (...) {
        (void)fileIo().truncate(fd, end);
        throw;
    }
}


}  // namespace

Journal::Journal(std::string directory) : directory_(std::move(directory)) {}

Journal::~Journal() {
    if (!active()) return;
    try {
        rollback();
    } catch (...) {
        // The journal stays on disk; the next open of the directory restores it.
    }
    if (fd_ != kNoFile) {
        lock_.reset();
        io::close(fd_);
        fd_ = kNoFile;
    }
}

std::string Journal::pathIn(const std::string& directory) { return joinPath(directory, kJournalName); }

void Journal::begin(const JournalGroup* group) {
    if (active()) throw EngineError(code::TransactionState, "Транзакция уже начата: " + directory_);
    const std::string path = pathIn(directory_);
    static std::atomic<unsigned> counter{0};
    const std::string tmp = path + "." + std::to_string(processId()) + "." + std::to_string(counter++) + ".tmp";

    // The journal is complete and locked before it appears under its name, so
    // that no one else can mistake it for the journal of a crashed process.
    Fd fd(io::open(tmp, OpenFlags::CreateNew));
    struct TmpRemover {
        const std::string& name;
        ~TmpRemover() { (void)fileIo().remove(name); }
    } remover{tmp};
    std::unique_ptr<FileLock> lock = tryLockFile(fd.get(), LockKind::Exclusive);
    if (!lock) throw EngineError(code::TransactionState, "Файл журнала занят: " + tmp);
    writeAllAt(fd.get(), kMagic, 0, tmp);
    if (group)
        appendEntry(fd.get(), tmp, kKindGroup, std::string(), group->id, group->recordPath);
    else
        io::sync(fd.get(), tmp);
    // A journal already there belongs to a transaction running elsewhere (it is
    // locked) or to a crashed one; one that vanishes meanwhile was just committed.
    for (int attempt = 0;; ++attempt) {
        const int e = fileIo().link(tmp, path);
        if (e == 0) break;
        if (e != EEXIST) throwIoError(path, e);
        FileHandle opened = kNoFile;
        const int openError = fileIo().open(path, OpenFlags::ReadWrite, opened);
        Fd other(opened);
        if (openError == ENOENT && attempt < 3) continue;
        if (openError != 0 || !tryLockFile(other.get(), LockKind::Exclusive))
            throw EngineError(code::TransactionState,
                              "С таблицами каталога уже идёт транзакция другой программы или другого окна: " +
                                  directory_);
        throw EngineError(code::TransactionState,
                          "В каталоге остался журнал прерванной транзакции (" + path +
                              "). Закройте и снова откройте базу данных, чтобы таблицы были восстановлены.");
    }
    syncDirectory(directory_);
    lock_ = std::move(lock);
    fd_ = fd.release();
    savedBytes_.clear();
    unsynced_ = false;
    savedLengths_.clear();
}

void Journal::saveBytes(const std::string& filePath, std::uint64_t offset, std::string_view before, Sync sync) {
    if (!active()) return;
    std::string name = nameInDirectory(directory_, filePath);
    auto key = std::make_pair(name, offset);
    if (savedBytes_.count(key)) return;
    // An entry synced now also makes every earlier one durable.
    appendEntry(fd_, pathIn(directory_), kKindBytes, name, offset, before, sync == Sync::Now);
    unsynced_ = sync == Sync::Later;
    savedBytes_.insert(std::move(key));
}

void Journal::syncPending() {
    if (!active() || !unsynced_) return;
    io::sync(fd_, pathIn(directory_));
    unsynced_ = false;
}

void Journal::saveLength(const std::string& filePath, std::uint64_t length, std::string_view header) {
    if (!active()) return;
    std::string name = nameInDirectory(directory_, filePath);
    if (savedLengths_.count(name)) return;
    appendEntry(fd_, pathIn(directory_), kKindLength, name, length, header);
    unsynced_ = false;
    savedLengths_.insert(std::move(name));
}

void Journal::commit() {
    if (!active()) throw EngineError(code::TransactionState, "Нет начатой транзакции: " + directory_);
    const std::string path = pathIn(directory_);
    // Removed while still locked, so that no one recovers a committed journal.
    io::remove(path);
    syncDirectory(directory_);
    release();
}

std::vector<std::string> Journal::rollback() {
    // On failure the transaction stays open and the journal on disk, so that
    // a later rollback or the next open can finish the job.
    std::vector<std::string> restored = restore();
    commit();
    return restored;
}

std::vector<std::string> Journal::restore() {
    if (!active()) throw EngineError(code::TransactionState, "Нет начатой транзакции: " + directory_);
    const std::string path = pathIn(directory_);
    const std::string data = readAll(fd_, path);
    return applyJournal(parseEntries(data, path), directory_);
}

// A journal being made (begin) lives under a temporary name, locked; one
// that can be locked belongs to a process that died before naming it.
static void removeAbandonedJournals(const std::string& directory) {
    const std::string prefix = std::string(kJournalName) + ".";
    for (const std::string& name : namesStartingWith(directory, prefix)) {
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".tmp") != 0) continue;
        const std::string path = joinPath(directory, name);
        FileHandle opened = kNoFile;
        if (fileIo().open(path, OpenFlags::ReadWrite, opened) != 0) continue;
        Fd fd(opened);
        if (tryLockFile(fd.get(), LockKind::Exclusive)) (void)fileIo().remove(path);
    }
}

void Journal::abandon() noexcept {
    if (active()) release();
}

void Journal::release() noexcept {
    lock_.reset();
    io::close(fd_);
    fd_ = kNoFile;
    savedBytes_.clear();
    unsynced_ = false;
    savedLengths_.clear();
}

std::optional<JournalGroup> Journal::groupOf(const std::string& journalPath) noexcept {
    try {
        FileHandle opened = kNoFile;
        if (fileIo().open(journalPath, OpenFlags::Read, opened) != 0) return std::nullopt;
        Fd fd(opened);
        const std::string data = readAll(fd.get(), journalPath);
        return groupIn(parseEntries(data, journalPath));
    } catch (...) {
        return std::nullopt;
    }
}

std::vector<std::string> Journal::recover(const std::string& directory, const RestoredHook& beforeRemoval) {
    removeAbandonedJournals(directory);
    const std::string path = pathIn(directory);
    FileHandle opened = kNoFile;
    if (int e = fileIo().open(path, OpenFlags::ReadWrite, opened)) {
        if (e == ENOENT) return {};
        throwIoError(path, e);
    }
    Fd fd(opened);
    std::unique_ptr<FileLock> lock = tryLockFile(fd.get(), LockKind::Exclusive);
    if (!lock) return {};  // a transaction running now, not a crashed one
    // The owner may have committed (removed the file) between our open and our
    // lock: then this is no longer the journal and must not be applied.
    const FileInfo held = io::info(fd.get(), path);
    FileInfo named;
    if (held.links == 0 || fileIo().pathInfo(path, named) != 0 || !sameFile(held, named)) return {};

    const std::string data = readAll(fd.get(), path);
    const std::vector<Entry> entries = parseEntries(data, path);
    const std::optional<JournalGroup> group = groupIn(entries);
    // A group that wrote its record committed everywhere: its data files were
    // synced before, so the before-images must not be put back.
    std::vector<std::string> restored;
    if (!group || !GroupRecord::isCommitted(group->recordPath, group->id))
        restored = applyJournal(entries, directory);
    if (beforeRemoval) beforeRemoval(restored);
    io::remove(path);
    syncDirectory(directory);
    if (group) GroupRecord::removeIfDone(group->recordPath);
    return restored;
}

}  // namespace kvzt::engine
