// The locks are taken on handles the file layer (file_io.h) opened, but with
// the system's own calls: the layer has no lock operation, since a lock
// writes nothing to the disk and a test has no fault to plant there.
#include "engine/file_lock.h"

#ifdef _WIN32
#include <windows.h>

#include "engine/win32_util.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <string>

#include "engine/errors.h"

namespace kvzt::engine {

#ifdef _WIN32

// Windows: byte-range locks (LockFileEx) that, like the open-file-description
// locks elsewhere, belong to one open handle, so two opens of this program
// conflict like two programs. Windows cannot turn a held shared lock into an
// exclusive one in place, so a second byte serves as a gate: whoever takes
// or changes the lock on the lock byte holds the gate for that moment, and
// an exclusive holder keeps it. With the gate held no one else can take the
// lock byte exclusively, so a refused conversion gets its shared lock back.
// Both bytes lie far past any data (files stay well below 2 GB): locked
// ranges are mandatory on Windows, and no read or write ever reaches them.

namespace {

constexpr DWORD kGateOffset = 0x7FFFFFFD;
constexpr DWORD kLockOffset = 0x7FFFFFFE;
// A shared opener holds the gate for a moment only: wait that long for it.
constexpr int kGateTries = 200;

bool lockByte(HANDLE h, DWORD offset, bool exclusive) {
    OVERLAPPED at{};
    at.Offset = offset;
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(h, flags, 0, 1, 0, &at)) return true;
    const DWORD e = ::GetLastError();
    if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING) return false;
    throwIoError("блокировка файла", win32::errnoOf(e));
}

void unlockByte(HANDLE h, DWORD offset) {
    OVERLAPPED at{};
    at.Offset = offset;
    (void)::UnlockFileEx(h, 0, 1, 0, &at);
}

bool takeGate(HANDLE h) {
    for (int i = 0; i < kGateTries; ++i) {
        if (lockByte(h, kGateOffset, true)) return true;
        ::Sleep(i < 10 ? 0 : 1);
    }
    return false;
}

class RangeLock final : public FileLock {
public:
    RangeLock(HANDLE h, LockKind kind) : h_(h), kind_(kind) {}
    ~RangeLock() override { release(); }
    RangeLock(const RangeLock&) = delete;
    RangeLock& operator=(const RangeLock&) = delete;

    void release() override {
        if (h_ == INVALID_HANDLE_VALUE) return;
        unlockByte(h_, kLockOffset);
        if (kind_ == LockKind::Exclusive) unlockByte(h_, kGateOffset);
        h_ = INVALID_HANDLE_VALUE;
    }

    bool convert(LockKind kind) override {
        if (h_ == INVALID_HANDLE_VALUE) return false;
        if (kind == kind_) return true;
        if (kind == LockKind::Shared) {
            // The gate is ours: nobody can take the lock byte meanwhile.
            unlockByte(h_, kLockOffset);
            lockByte(h_, kLockOffset, false);
            unlockByte(h_, kGateOffset);
            kind_ = kind;
            return true;
        }
        if (!takeGate(h_)) return false;
        unlockByte(h_, kLockOffset);
        if (lockByte(h_, kLockOffset, true)) {
            kind_ = kind;
            return true;
        }
        lockByte(h_, kLockOffset, false);  // other shared holders: back as it was
        unlockByte(h_, kGateOffset);
        return false;
    }

private:
    HANDLE h_;
    LockKind kind_;
};

}  // namespace

std::unique_ptr<FileLock> tryLockFile(FileHandle file, LockKind kind) {
    // The Windows file layer's handles are the system's HANDLEs.
    const HANDLE h = file == kNoFile ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(file);
    if (h == INVALID_HANDLE_VALUE) throw EngineError(code::InvalidHandle, "Блокировка файла: неверный дескриптор");
    if (!takeGate(h)) return nullptr;  // an exclusive holder
    if (!lockByte(h, kLockOffset, kind == LockKind::Exclusive)) {
        unlockByte(h, kGateOffset);
        return nullptr;  // shared holders refuse an exclusive lock
    }
    if (kind == LockKind::Shared) unlockByte(h, kGateOffset);
    return std::make_unique<RangeLock>(h, kind);
}

#else  // POSIX

namespace {

// One byte far past the end of any table or index we handle (files stay well
// below 2 GB), so the lock never stands in the way of a read or a write, even
// for a reader that honours mandatory locks.
constexpr off_t kLockOffset = 0x7FFFFFFE;

// EBADF on an exclusive request means a descriptor opened read-only: say so,
// since that is a fault of the caller and not of the disk.
[[noreturn]] void throwLockError(LockKind kind, int e, const char* action) {
    if (e == EBADF && kind == LockKind::Exclusive)
        throw EngineError(code::Io, std::string(action) + ": монопольная блокировка требует файла, открытого для записи");
    throwIoError(action, e);
}

struct flock lockRequest(short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockOffset;
    fl.l_len = 1;
    fl.l_pid = 0;  // must be 0 for open-file-description locks
    return fl;
}

// Open-file-description locks belong to the open file, not to the process:
// two descriptors opened separately by this program conflict with each
// other exactly as two programs do, and closing an unrelated descriptor of
// the same file does not drop the lock (as it would with F_SETLK).
class OfdLock final : public FileLock {
public:
    explicit OfdLock(int fd) : fd_(fd) {}
    ~OfdLock() override { release(); }
    OfdLock(const OfdLock&) = delete;
    OfdLock& operator=(const OfdLock&) = delete;

    void release() override {
        if (fd_ < 0) return;
        struct flock fl = lockRequest(F_UNLCK);
        // Unlocking cannot fail on a valid descriptor; if the descriptor was
        // already closed the lock is gone with it.
        (void)::fcntl(fd_, F_OFD_SETLK, &fl);
        fd_ = -1;
    }

    bool convert(LockKind kind) override {
        if (fd_ < 0) return false;
        // Setting a lock over a held one of the same description replaces it
        // in one step; when refused, the held lock stays as it was.
        struct flock fl = lockRequest(kind == LockKind::Exclusive ? F_WRLCK : F_RDLCK);
        for (;;) {
            if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0) return true;
            const int e = errno;
            if (e == EINTR) continue;
            if (e == EAGAIN || e == EACCES) return false;
            throwLockError(kind, e, "смена блокировки файла");
        }
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<FileLock> tryLockFile(FileHandle handle, LockKind kind) {
    const int fd = int(handle);
    if (fd < 0) throw EngineError(code::InvalidHandle, "Блокировка файла: неверный дескриптор");
    struct flock fl = lockRequest(kind == LockKind::Exclusive ? F_WRLCK : F_RDLCK);
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return std::make_unique<OfdLock>(fd);
        const int e = errno;
        if (e == EINTR) continue;
        if (e == EAGAIN || e == EACCES) return nullptr;  // someone holds a conflicting lock
        throwLockError(kind, e, "блокировка файла");
    }
}

#endif  // _WIN32

}  // namespace kvzt::engine
