#pragma once
// Whole-file locks between processes and between cursors of one process.
// A shared lock coexists with other shared locks; an exclusive lock with none.
// Linux: open-file-description locks on one byte far past any real data,
// so that they never block reads and writes and are per open file, not per
// process (two cursors of this program conflict like two programs do).
// Windows: byte-range locks of the open handle (LockFileEx) on bytes as far
// out, with a gate byte so that a shared lock can be made exclusive.

#include <memory>

#include "engine/file_io.h"

namespace kvzt::engine {

enum class LockKind { Shared, Exclusive };

class FileLock {
public:
    virtual ~FileLock() = default;
    // Releases the lock (also done by the destructor).
    virtual void release() = 0;
    // Changes the kind of the held lock in place, with no moment in which
    // another opener could slip in; false (lock unchanged) when another holder
    // prevents it. Used to empty or pack a table opened for shared use.
    virtual bool convert(LockKind kind) = 0;
};

// Takes the lock on the open file descriptor without waiting. Returns nullptr
// when someone else holds a conflicting lock; throws EngineError(code::Io)
// on other failures. The descriptor must stay open while the lock lives.
std::unique_ptr<FileLock> tryLockFile(FileHandle fd, LockKind kind);

}  // namespace kvzt::engine
