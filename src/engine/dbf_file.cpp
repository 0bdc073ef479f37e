#include "engine/dbf_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/file_lock.h"
#include "engine/journal.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

constexpr std::size_t kPendingLimit = 256 * 1024;  // appended bytes gathered before a write
constexpr std::size_t kHeldLimit = 4096;            // changed records held back inside a transaction
constexpr std::size_t kReadWindow = 64 * 1024;     // bytes read ahead for sequential scans
constexpr int kMaxFields = 2046;                   // far above dBase's own limit of 255

std::uint16_t get16(std::string_view b, size_t at) {
    return std::uint16_t(std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8));
}
std::uint32_t get32(std::string_view b, size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | (std::uint32_t(std::uint8_t(b[at + 1])) << 8) |
           (std::uint32_t(std::uint8_t(b[at + 2])) << 16) | (std::uint32_t(std::uint8_t(b[at + 3])) << 24);
}
void put16(std::string& b, size_t at, std::uint32_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
void put32(std::string& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

Date today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

bool isKnownVersion(std::uint8_t v) {
    // dBase III/IV tables, with or without memo: the low three bits are 3.
    return (v & 0x07) == 0x03;
}

// True when, from `at` on, whole descriptors that look like fields lead to a
// 0x0D terminator inside `bytes` (the descriptors went on past where we stopped).
bool terminatorFollows(std::string_view bytes, std::size_t at) {
    for (; at < bytes.size(); at += 32) {
        if (bytes[at] == '\x0D') return true;
        if (at + 32 > bytes.size()) return false;
        const char type = char(std::toupper(static_cast<unsigned char>(bytes[at + 11])));
        if (bytes[at] == '\0' || type == '\0' || std::strchr("CNFLDM", type) == nullptr || bytes[at + 16] == '\0')
            return false;
    }
    return false;
}

[[noreturn]] void corrupt(const std::string& path, const std::string& what) {
    throw EngineError(code::Corrupt, "Повреждён файл таблицы " + path + ": " + what);
}

}  // namespace

DbfHeader parseDbfHeader(std::string_view bytes, std::uint64_t fileSize, const std::string& path) {
    if (bytes.size() < 32 || fileSize < 32) corrupt(path, "заголовок короче 32 байт");
    DbfHeader h;
    h.version = std::uint8_t(bytes[0]);
    if (!isKnownVersion(h.version))
        throw EngineError(code::UnknownTableType, "Файл не является таблицей dBase: " + path);
    h.lastUpdate = Date{1900 + std::uint8_t(bytes[1]), std::uint8_t(bytes[2]), std::uint8_t(bytes[3])};
    if (!h.lastUpdate.isValid()) h.lastUpdate = {};
    const std::uint32_t declaredCount = get32(bytes, 4);
    const std::uint16_t declaredHeader = get16(bytes, 8);
    const std::uint16_t declaredRecord = get16(bytes, 10);
    h.productionIndex = std::uint8_t(bytes[28]);
    h.languageDriver = std::uint8_t(bytes[29]);

    if (declaredHeader > fileSize) {
        if (!terminatorFollows(bytes, 32))
            corrupt(path, "описания полей обрезаны: файл длиной " + std::to_string(fileSize) +
                              " байт кончается внутри заголовка длиной " + std::to_string(declaredHeader) + " байт");
        corrupt(path, "длина заголовка " + std::to_string(declaredHeader) + " байт больше длины файла " +
                          std::to_string(fileSize) + " байт");
    }

    // Field descriptors run from byte 32 to the 0x0D terminator, within the
    // declared header length; a terminator missing at the header's end is
    // survived (the length says where the records begin).
    std::size_t at = 32;
    int offset = 1;
    for (; at + 32 <= declaredHeader && at < bytes.size() && bytes[at] != '\x0D'; at += 32) {
        if (int(h.fields.size()) >= kMaxFields) corrupt(path, "слишком много полей");
        FieldDef f;
        std::string_view nameBytes = bytes.substr(at, 11);
        f.name.assign(nameBytes.data(), strnlen(nameBytes.data(), 11));
        f.type = char(std::toupper(static_cast<unsigned char>(bytes[at + 11])));
        f.length = std::uint8_t(bytes[at + 16]);
        f.decimals = std::uint8_t(bytes[at + 17]);
        if (f.type == 'C') f.length += 256 * std::uint8_t(bytes[at + 17]), f.decimals = 0;  // long character fields
        if (f.name.empty() || f.length == 0) corrupt(path, "неверное описание поля №" + std::to_string(h.fields.size() + 1));
        if (std::strchr("CNFLDM", f.type) == nullptr)
            throw EngineError(code::UnknownTableType,
                              "Неизвестный тип поля '" + std::string(1, f.type) + "' (" + f.name + ") в " + path);
        f.offset = offset;
        offset += f.length;
        h.fields.push_back(std::move(f));
    }
    // Stopped by the declared length while more descriptors and their terminator follow:
    // the header is too short for them, and the records would start inside it.
    if ((at >= bytes.size() || bytes[at] != '\x0D') && terminatorFollows(bytes, at)) {
        std::size_t end = at;
        while (bytes[end] != '\x0D') end += 32;
        corrupt(path, "длина заголовка " + std::to_string(declaredHeader) +
                          " байт меньше нужной для описаний полей (" + std::to_string(end + 1) + " байт)");
    }
    if (h.fields.empty()) corrupt(path, "нет описаний полей");
    h.headerLength = declaredHeader;

    if (offset > 65535) corrupt(path, "слишком длинная запись");
    if (declaredRecord != offset)
        corrupt(path, "длина записи в заголовке " + std::to_string(declaredRecord) +
                          " байт, а поля занимают " + std::to_string(offset) + " байт (с флагом удаления)");
    h.recordLength = declaredRecord;

    // A count above the whole records the file holds would read past its end;
    // a count below them is allowed (the rest was never committed).
    const std::uint64_t whole = (fileSize - h.headerLength) / h.recordLength;
    if (declaredCount > whole)
        corrupt(path, "в заголовке записей " + std::to_string(declaredCount) + ", а в файле целых записей " +
                          std::to_string(whole) + " (kvzt-cli repair исправит счётчик)");
    h.recordCount = declaredCount;
    return h;
}

std::string encodeDbfHeader(const DbfHeader& h) {
    std::string b(32 + 32 * h.fields.size() + 1, '\0');
    b[0] = char(h.version);
    Date d = h.lastUpdate.isNull() ? today() : h.lastUpdate;
    b[1] = char(std::clamp(d.year - 1900, 0, 255));
    b[2] = char(d.month);
    b[3] = char(d.day);
    put32(b, 4, h.recordCount);
    put16(b, 8, h.headerLength);
    put16(b, 10, h.recordLength);
    b[28] = char(h.productionIndex);
    b[29] = char(h.languageDriver);
    for (size_t i = 0; i < h.fields.size(); ++i) {
        const FieldDef& f = h.fields[i];
        size_t at = 32 + 32 * i;
        std::memcpy(&b[at], f.name.data(), std::min<size_t>(f.name.size(), 10));
        b[at + 11] = f.type;
        if (f.type == 'C' && f.length > 255) {
            b[at + 16] = char(f.length & 0xFF);
            b[at + 17] = char(f.length >> 8);
        } else {
            b[at + 16] = char(f.length);
            b[at + 17] = char(f.decimals);
        }
    }
    b[b.size() - 1] = '\x0D';
    return b;
}

FileHandle openTableFile(const std::string& path, bool writable) {
    FileHandle fd = kNoFile;
    const int e = fileIo().open(path, writable ? OpenFlags::ReadWrite : OpenFlags::Read, fd);
    if (e == 0) return fd;
    if (e == ENOENT || e == ENOTDIR) throw EngineError(code::NoSuchTable, "Таблица не найдена: " + path);
    if (e == EACCES || e == EROFS)
        throw EngineError(code::TableInUse, "Нет доступа к таблице (файл только для чтения): " + path);
    throwIoError(path, e);
}

std::unique_ptr<DbfFile> DbfFile::openUnlocked(const std::string& path, bool writable) {
    std::unique_ptr<DbfFile> f(new DbfFile);
    f->path_ = path;
    f->mode_ = writable ? OpenMode::Shared : OpenMode::ReadOnly;
    f->fd_ = openTableFile(path, writable);
    f->reload();
    return f;
}

std::unique_ptr<DbfFile> DbfFile::open(const std::string& path, OpenMode mode) {
    std::unique_ptr<DbfFile> f(new DbfFile);
    f->path_ = path;
    f->mode_ = mode;
    f->fd_ = openTableFile(path, mode != OpenMode::ReadOnly);
    f->lock_ = tryLockFile(f->fd_, mode == OpenMode::Exclusive ? LockKind::Exclusive : LockKind::Shared);
    if (!f->lock_)
        throw EngineError(code::TableInUse, "Таблица используется другим пользователем или программой: " + path);
    f->reload();
    return f;
}

void DbfFile::reload() {
    pending_.clear();
    held_.clear();
    invalidateCache();
    const FileInfo st = io::info(fd_, path_);
    if (!st.regular) throw EngineError(code::UnknownTableType, "Это не файл таблицы: " + path_);
    std::string head(std::min<std::uint64_t>(st.size, 32 + 32 * std::uint64_t(kMaxFields) + 2), '\0');
    head.resize(io::read(fd_, head.data(), head.size(), 0, path_));
    header_ = parseDbfHeader(head, st.size, path_);
    onDiskCount_ = header_.recordCount;
    headerDirty_ = false;
}

void DbfFile::create(const std::string& path, std::vector<FieldDef> fields, std::uint8_t languageDriver) {
    if (fields.empty()) throw EngineError(code::InvalidParam, "Таблица без полей: " + path);
    DbfHeader h;
    h.languageDriver = languageDriver;
    int offset = 1;
    for (auto& f : fields) {
        for (auto& c : f.name) c = char(std::toupper(static_cast<unsigned char>(c)));
        if (f.name.size() > 10) f.name.resize(10);  // the descriptor holds 10 characters and a NUL
        switch (f.type) {
            case 'D': f.length = 8, f.decimals = 0; break;
            case 'L': f.length = 1, f.decimals = 0; break;
            case 'C': f.decimals = 0; break;
            case 'N':
            case 'F': break;
            default:
                throw EngineError(code::InvalidParam, "Неизвестный тип поля " + f.name + ": " + std::string(1, f.type));
        }
        if (f.name.empty() || f.length <= 0 || f.length > ((f.type == 'C') ? 65535 : 20) || f.decimals < 0 ||
            (f.decimals > 0 && f.decimals > f.length - 2))
            throw EngineError(code::InvalidParam, "Недопустимый размер поля " + f.name + " в " + path);
        f.offset = offset;
        offset += f.length;
    }
    if (offset > 65535) throw EngineError(code::InvalidParam, "Слишком длинная запись: " + path);
    h.fields = std::move(fields);
    h.headerLength = std::uint16_t(32 + 32 * h.fields.size() + 1);
    h.recordLength = std::uint16_t(offset);
    std::string bytes = encodeDbfHeader(h) + '\x1A';

    // Written beside the target and renamed over it, so a failed write leaves nothing half made.
    std::string tmp = path + ".kvzt-new";
    io::File out(io::open(tmp, OpenFlags::Create));
    try {
        io::write(out.get(), bytes, 0, path);
        io::sync(out.get(), path);
        out.reset();
        io::rename(tmp, path);
        io::syncDirectory(directoryOf(path));
    } catch (...) {
        out.reset();
        (void)fileIo().remove(tmp);
        throw;
    }
}

DbfFile::~DbfFile() {
    try {
        close();
    } catch (...) {
        // A destructor cannot report; close() explicitly to see write errors.
    }
}

void DbfFile::close() {
    if (fd_ == kNoFile) return;
    struct Closer {
        DbfFile* f;
        ~Closer() {
            f->lock_.reset();
            io::close(f->fd_);
            f->fd_ = kNoFile;
        }
    } closer{this};
    // A table that was written goes to the disk before it is let go.
    if (mode_ != OpenMode::ReadOnly) sync();
}

void DbfFile::requireWritable() const {
    if (mode_ == OpenMode::ReadOnly)
        throw EngineError(code::ReadOnly, "Таблица открыта только для чтения: " + path_);
}

void DbfFile::journalBeforeChange() {
    if (!journal_ || !journal_->active()) return;
    // The length and header as they are on disk now, before anything changes,
    // and the bytes after the last record (the end marker an append overwrites).
    const std::uint64_t size = io::info(fd_, path_).size;
    std::string head(32, '\0');
    if (io::read(fd_, head.data(), head.size(), 0, path_) != 32) throwIoError(path_, EIO);
    journal_->saveLength(path_, size, head);
    const std::uint64_t end = recordOffset(onDiskCount_ + 1);
    if (size > end) {
        std::string tail(size_t(std::min<std::uint64_t>(size - end, 512)), '\0');
        tail.resize(io::read(fd_, tail.data(), tail.size(), end, path_));
        journal_->saveBytes(path_, end, tail);
    }
}

void DbfFile::pwriteAll(const char* data, std::size_t size, std::uint64_t offset) {
    unsynced_ = true;
    io::write(fd_, std::string_view(data, size), offset, path_);
}

void DbfFile::readRecord(std::uint32_t recno, char* out) const {
    if (recno == 0 || recno > header_.recordCount)
        throw EngineError(code::NoCurrentRecord, "Нет записи №" + std::to_string(recno) + " в " + path_);
    const size_t len = size_t(header_.recordLength);
    if (!held_.empty()) {
        if (auto it = held_.find(recno); it != held_.end()) {
            std::memcpy(out, it->second.data(), len);
            return;
        }
    }
    if (recno > onDiskCount_) {
        std::memcpy(out, pending_.data() + size_t(recno - onDiskCount_ - 1) * len, len);
        return;
    }
    if (recno < cacheFirst_ || recno >= cacheFirst_ + cacheCount_) {
        std::uint32_t count = std::uint32_t(std::max<size_t>(1, kReadWindow / len));
        count = std::min(count, onDiskCount_ - recno + 1);
        readCache_.resize(size_t(count) * len);
        const std::size_t n = io::read(fd_, readCache_.data(), readCache_.size(), recordOffset(recno), path_);
        cacheFirst_ = recno;
        cacheCount_ = std::uint32_t(n / len);
        if (cacheCount_ == 0) corrupt(path_, "запись №" + std::to_string(recno) + " за концом файла");
    }
    std::memcpy(out, readCache_.data() + size_t(recno - cacheFirst_) * len, len);
}

void DbfFile::writeRecord(std::uint32_t recno, const char* data) {
    requireWritable();
    if (recno == 0 || recno > header_.recordCount)
        throw EngineError(code::NoCurrentRecord, "Нет записи №" + std::to_string(recno) + " в " + path_);
    const size_t len = size_t(header_.recordLength);
    if (recno > onDiskCount_) {
        std::memcpy(pending_.data() + size_t(recno - onDiskCount_ - 1) * len, data, len);
    } else {
        journalBeforeChange();
        if (journal_ && journal_->active()) {
            // The before-image goes to the journal unsynced and the record is
            // held back: writeHeld() syncs the journal once, then writes them all.
            auto it = held_.find(recno);
            if (it == held_.end()) {
                std::string before(len, '\0');
                readRecord(recno, before.data());
                journal_->saveBytes(path_, recordOffset(recno), before, Journal::Sync::Later);
                it = held_.emplace(recno, std::string()).first;
            }
            it->second.assign(data, len);
            if (held_.size() >= kHeldLimit) writeHeld();
        } else {
            pwriteAll(data, len, recordOffset(recno));
        }
        if (recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_)
            std::memcpy(readCache_.data() + size_t(recno - cacheFirst_) * len, data, len);
    }
    headerDirty_ = true;
}

std::uint32_t DbfFile::appendRecord(const char* data) {
    requireWritable();
    if (header_.recordCount == 0xFFFFFFFFu) throw EngineError(code::ValueOutOfRange, "Таблица переполнена: " + path_);
    if (pending_.empty()) journalBeforeChange();
    pending_.append(data, size_t(header_.recordLength));
    ++header_.recordCount;
    headerDirty_ = true;
    if (pending_.size() >= kPendingLimit) writePending();
    return header_.recordCount;
}

void DbfFile::writePending() {
    if (pending_.empty()) return;
    pending_ += '\x1A';
    pwriteAll(pending_.data(), pending_.size(), recordOffset(onDiskCount_ + 1));
    pending_.clear();
    onDiskCount_ = header_.recordCount;
    headerDirty_ = true;
}

void DbfFile::writeHeld() {
    if (held_.empty()) return;
    if (journal_) journal_->syncPending();
    for (const auto& [recno, data] : held_) pwriteAll(data.data(), data.size(), recordOffset(recno));
    held_.clear();
}

void DbfFile::writeHeaderCounters() {
    std::string b(7, '\0');
    Date d = today();
    header_.lastUpdate = d;
    b[0] = char(std::clamp(d.year - 1900, 0, 255));
    b[1] = char(d.month);
    b[2] = char(d.day);
    put32(b, 3, header_.recordCount);
    pwriteAll(b.data(), b.size(), 1);
    headerDirty_ = false;
}

void DbfFile::truncate(std::uint32_t count) {
    requireWritable();
    if (count > header_.recordCount) throw EngineError(code::InvalidParam, "Неверное число записей: " + path_);
    writeHeld();
    writePending();
    journalBeforeChange();
    header_.recordCount = count;
    onDiskCount_ = count;
    invalidateCache();
    const char eof = '\x1A';
    pwriteAll(&eof, 1, recordOffset(count + 1));
    io::truncate(fd_, recordOffset(count + 1) + 1, path_);
    writeHeaderCounters();
}

void DbfFile::setProductionIndexFlag(bool on) {
    requireWritable();
    if (header_.productionIndex == (on ? 1 : 0)) return;
    journalBeforeChange();
    const char flag = on ? 1 : 0;
    pwriteAll(&flag, 1, 28);
    header_.productionIndex = std::uint8_t(flag);
}

void DbfFile::flush() {
    if (fd_ == kNoFile || mode_ == OpenMode::ReadOnly) return;
    writeHeld();
    writePending();
    if (headerDirty_) writeHeaderCounters();
}

void DbfFile::sync() {
    flush();
    if (fd_ == kNoFile || mode_ == OpenMode::ReadOnly || !unsynced_) return;
    io::sync(fd_, path_);
    unsynced_ = false;
}

}  // namespace kvzt::engine

namespace kvzt::engine {

FileHandle DbfFile::writeCopy(const std::vector<std::uint32_t>& keep, const std::string& target) {
    flush();
    io::File out(io::open(target, OpenFlags::Create));
    try {
        DbfHeader h = header_;
        h.recordCount = std::uint32_t(keep.size());
        h.lastUpdate = {};
        std::string head(size_t(header_.headerLength), '\0');
        if (io::read(fd_, head.data(), head.size(), 0, path_) != head.size()) throwIoError(path_, EIO);
        // Keep the original header bytes (field descriptors, reserved bytes) and change only the counters.
        const std::string fresh = encodeDbfHeader(h);
        std::memcpy(head.data(), fresh.data(), 12);
        std::string buffer = std::move(head);
        const size_t len = size_t(header_.recordLength);
        std::string rec(len, '\0');
        std::uint64_t at = 0;
        for (std::uint32_t recno : keep) {
            readRecord(recno, rec.data());
            buffer += rec;
            if (buffer.size() >= kPendingLimit) {
                io::write(out.get(), buffer, at, target);
                at += buffer.size();
                buffer.clear();
            }
        }
        buffer += '\x1A';
        io::write(out.get(), buffer, at, target);
        io::sync(out.get(), target);
    } catch (...) {
        out.reset();
        (void)fileIo().remove(target);
        throw;
    }
    return out.release();
}

void DbfFile::reopen() {
    const bool writable = mode_ != OpenMode::ReadOnly;
    FileHandle fresh = openTableFile(path_, writable);
    io::close(fd_);
    fd_ = fresh;
    unsynced_ = false;
    reload();
}

void DbfFile::letGo() {
    if (fd_ == kNoFile) return;
    sync();  // reopen() starts with nothing unsynced: the file may be taken up again unchanged
    lock_.reset();
    io::close(fd_);
    fd_ = kNoFile;
    invalidateCache();
}

}  // namespace kvzt::engine
