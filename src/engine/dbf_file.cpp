#include "engine/dbf_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "engine/errors.h"
#include "engine/file_lock.h"
#include "engine/journal.h"

namespace kvzt::engine {

namespace {

constexpr std::size_t kPendingLimit = 256 * 1024;  // appended bytes gathered before a write
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
    std::uint32_t declaredCount = get32(bytes, 4);
    std::uint16_t declaredHeader = get16(bytes, 8);
    std::uint16_t declaredRecord = get16(bytes, 10);
    h.productionIndex = std::uint8_t(bytes[28]);
    h.languageDriver = std::uint8_t(bytes[29]);

    // Field descriptors run from byte 32 to the 0x0D terminator. A plausible
    // declared header length bounds the scan, so a missing terminator is survived.
    bool headerPlausible = declaredHeader >= 65 && declaredHeader <= fileSize;
    std::size_t limit = std::min<std::size_t>(bytes.size(), headerPlausible ? declaredHeader : bytes.size());
    int offset = 1;
    for (std::size_t at = 32; at + 32 <= limit && bytes[at] != '\x0D'; at += 32) {
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
    if (h.fields.empty()) corrupt(path, "нет описаний полей");
    const std::size_t minimalHeader = 32 + 32 * h.fields.size();
    h.headerLength = std::uint16_t(headerPlausible && declaredHeader >= minimalHeader ? declaredHeader : minimalHeader + 1);
    if (h.headerLength > fileSize) corrupt(path, "файл короче своего заголовка");

    // The fields decide the record layout; a declared length that is larger
    // (padding at the record's end) is kept, a smaller one cannot be right.
    const int computedRecord = offset;
    if (declaredRecord >= computedRecord) {
        h.recordLength = declaredRecord;
    } else if (declaredRecord == 0 || (fileSize - h.headerLength) % computedRecord <= 1) {
        h.recordLength = std::uint16_t(computedRecord);
    } else {
        corrupt(path, "длина записи не согласуется с полями");
    }
    if (computedRecord > 65535) corrupt(path, "слишком длинная запись");

    // Trust the declared count unless the file is too short for it.
    const std::uint64_t physical = (fileSize - h.headerLength) / h.recordLength;
    h.recordCount = std::uint32_t(std::min<std::uint64_t>(declaredCount, physical));
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

int openTableFile(const std::string& path, bool writable) {
    int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd >= 0) return fd;
    int e = errno;
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
    invalidateCache();
    struct stat st {};
    if (fstat(fd_, &st) != 0) throwIoError(path_, errno);
    if (!S_ISREG(st.st_mode)) throw EngineError(code::UnknownTableType, "Это не файл таблицы: " + path_);
    std::string head(std::min<std::uint64_t>(st.st_size, 32 + 32 * std::uint64_t(kMaxFields) + 2), '\0');
    ssize_t n = pread(fd_, head.data(), head.size(), 0);
    if (n < 0) throwIoError(path_, errno);
    head.resize(size_t(n));
    header_ = parseDbfHeader(head, std::uint64_t(st.st_size), path_);
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
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throwIoError(path, errno);
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            int e = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            throwIoError(path, e);
        }
        p += n;
        left -= size_t(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throwIoError(path, e);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throwIoError(path, e);
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
    if (fd_ < 0) return;
    struct Closer {
        DbfFile* f;
        ~Closer() {
            f->lock_.reset();
            ::close(f->fd_);
            f->fd_ = -1;
        }
    } closer{this};
    if (mode_ != OpenMode::ReadOnly) flush();
}

void DbfFile::requireWritable() const {
    if (mode_ == OpenMode::ReadOnly)
        throw EngineError(code::ReadOnly, "Таблица открыта только для чтения: " + path_);
}

void DbfFile::journalBeforeChange() {
    if (!journal_ || !journal_->active()) return;
    // The length and header as they are on disk now, before anything changes,
    // and the bytes after the last record (the end marker an append overwrites).
    struct stat st {};
    if (fstat(fd_, &st) != 0) throwIoError(path_, errno);
    std::string head(32, '\0');
    if (pread(fd_, head.data(), head.size(), 0) != 32) throwIoError(path_, errno ? errno : EIO);
    journal_->saveLength(path_, std::uint64_t(st.st_size), head);
    const std::uint64_t end = recordOffset(onDiskCount_ + 1);
    if (std::uint64_t(st.st_size) > end) {
        std::string tail(size_t(std::min<std::uint64_t>(std::uint64_t(st.st_size) - end, 512)), '\0');
        ssize_t n = pread(fd_, tail.data(), tail.size(), off_t(end));
        if (n < 0) throwIoError(path_, errno);
        tail.resize(size_t(n));
        journal_->saveBytes(path_, end, tail);
    }
}

void DbfFile::pwriteAll(const char* data, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        ssize_t n = ::pwrite(fd_, data, size, off_t(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            throwIoError(path_, errno);
        }
        data += n;
        size -= size_t(n);
        offset += std::uint64_t(n);
    }
}

void DbfFile::readRecord(std::uint32_t recno, char* out) const {
    if (recno == 0 || recno > header_.recordCount)
        throw EngineError(code::NoCurrentRecord, "Нет записи №" + std::to_string(recno) + " в " + path_);
    const size_t len = size_t(header_.recordLength);
    if (recno > onDiskCount_) {
        std::memcpy(out, pending_.data() + size_t(recno - onDiskCount_ - 1) * len, len);
        return;
    }
    if (recno < cacheFirst_ || recno >= cacheFirst_ + cacheCount_) {
        std::uint32_t count = std::uint32_t(std::max<size_t>(1, kReadWindow / len));
        count = std::min(count, onDiskCount_ - recno + 1);
        readCache_.resize(size_t(count) * len);
        ssize_t n = pread(fd_, readCache_.data(), readCache_.size(), off_t(recordOffset(recno)));
        if (n < 0) throwIoError(path_, errno);
        cacheFirst_ = recno;
        cacheCount_ = std::uint32_t(size_t(n) / len);
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
            std::string before(len, '\0');
            readRecord(recno, before.data());
            journal_->saveBytes(path_, recordOffset(recno), before);
        }
        pwriteAll(data, len, recordOffset(recno));
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
    writePending();
    journalBeforeChange();
    header_.recordCount = count;
    onDiskCount_ = count;
    invalidateCache();
    const char eof = '\x1A';
    pwriteAll(&eof, 1, recordOffset(count + 1));
    if (::ftruncate(fd_, off_t(recordOffset(count + 1) + 1)) != 0) throwIoError(path_, errno);
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
    if (fd_ < 0 || mode_ == OpenMode::ReadOnly) return;
    writePending();
    if (headerDirty_) writeHeaderCounters();
}

void DbfFile::sync() {
    flush();
    if (fd_ >= 0 && mode_ != OpenMode::ReadOnly && ::fsync(fd_) != 0) throwIoError(path_, errno);
}

}  // namespace kvzt::engine

namespace kvzt::engine {

void DbfFile::rewrite(const std::vector<std::uint32_t>& keep) {
    requireWritable();
    flush();
    const std::string tmp = path_ + ".kvzt-pack";
    int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) throwIoError(tmp, errno);
    auto fail = [&](int e) {
        ::close(out);
        ::unlink(tmp.c_str());
        throwIoError(tmp, e);
    };
    DbfHeader h = header_;
    h.recordCount = std::uint32_t(keep.size());
    h.lastUpdate = {};
    std::string head(size_t(header_.headerLength), '\0');
    if (pread(fd_, head.data(), head.size(), 0) != ssize_t(head.size())) fail(errno ? errno : EIO);
    // Keep the original header bytes (field descriptors, reserved bytes) and change only the counters.
    std::string fresh = encodeDbfHeader(h);
    std::memcpy(head.data(), fresh.data(), 12);
    std::string buffer = head;
    const size_t len = size_t(header_.recordLength);
    std::string rec(len, '\0');
    off_t at = 0;
    for (std::uint32_t recno : keep) {
        readRecord(recno, rec.data());
        buffer += rec;
        if (buffer.size() >= kPendingLimit) {
            if (::pwrite(out, buffer.data(), buffer.size(), at) != ssize_t(buffer.size())) fail(errno ? errno : EIO);
            at += off_t(buffer.size());
            buffer.clear();
        }
    }
    buffer += '\x1A';
    if (::pwrite(out, buffer.data(), buffer.size(), at) != ssize_t(buffer.size())) fail(errno ? errno : EIO);
    if (::fsync(out) != 0) fail(errno);
    if (::close(out) != 0) {
        ::unlink(tmp.c_str());
        throwIoError(tmp, errno);
    }
    // Take the lock on the new file before it gets the table's name.
    int fd = ::open(tmp.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        ::unlink(tmp.c_str());
        throwIoError(tmp, errno);
    }
    // A file with a lock of its own keeps it on the new file; shared storage
    // leaves locking to its cursors (which hold exclusive use during a pack).
    std::unique_ptr<FileLock> lock;
    if (lock_) lock = tryLockFile(fd, LockKind::Exclusive);
    if ((lock_ && !lock) || ::rename(tmp.c_str(), path_.c_str()) != 0) {
        int e = errno;
        lock.reset();
        ::close(fd);
        ::unlink(tmp.c_str());
        throwIoError(path_, e ? e : EIO);
    }
    lock_.reset();
    ::close(fd_);
    fd_ = fd;
    lock_ = std::move(lock);
    reload();
}

}  // namespace kvzt::engine
