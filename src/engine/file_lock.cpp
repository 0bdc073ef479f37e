#include "engine/file_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "engine/errors.h"

// Windows would take these locks through the share modes of CreateFile
// (FILE_SHARE_READ for a shared open, none for an exclusive one); the
// program is built on Linux only, so that branch is not written.

namespace kvzt::engine {

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

std::unique_ptr<FileLock> tryLockFile(int fd, LockKind kind) {
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

}  // namespace kvzt::engine
