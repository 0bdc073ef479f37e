#pragma once
// One maintenance run at a time per database. Every program of ours that
// writes (the desktop program for its whole life, each writing kvzt-cli
// command for its run) holds an exclusive lock on the file KVZT.LCK in the
// VX_B directory. The file holds, as text for the next comer's message:
//
//   who=kvzt-cli import          (or "программа Квазитор")
//   pid=12345
//   user=ivanova
//   host=buh-02
//   since=2026-12-09 10:15:02
//
// The lock is an operating-system lock (engine/file_lock.h): it dies with
// its process, so a file left by a killed run is taken over by the next one;
// the file's presence alone means nothing. The file is ours, never the host's.

#include <memory>
#include <string>

#include "engine/file_io.h"

namespace kvzt::engine {

inline constexpr const char* kRunLockFileName = "KVZT.LCK";

class FileLock;

class RunLock {
public:
    // Takes the lock of the database in `directory` for `who` (a short
    // Russian description: "программа Квазитор", "kvzt-cli import"). Throws
    // EngineError(code::TableInUse) naming the holder when another run holds
    // it, code::Io when the file cannot be made.
    static std::unique_ptr<RunLock> acquire(const std::string& directory, const std::string& who);
    ~RunLock();  // empties the file and releases the lock
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    const std::string& path() const { return path_; }

private:
    RunLock() = default;
    std::string path_;
    FileHandle fd_ = kNoFile;
    std::unique_ptr<FileLock> lock_;
};

}  // namespace kvzt::engine
