#pragma once
// A file layer for tests that wraps another one and, at the n-th operation of
// the chosen kinds, fails it with an errno value (ENOSPC, EIO) or ends the
// process before it happens (a crash at exactly that point). With no fault
// planned it only counts, so a test can first learn how many points an
// operation has and then try each of them.
//
//     FaultInjection faults;            // put in force for its lifetime
//     faults.plan({IoOps::Write | IoOps::Sync, 3, FaultAction::Fail, ENOSPC});
//     ... run the operation ...
//     faults.clear();                   // "space freed"

#include <cstdint>

#include "engine/file_io.h"

namespace kvzt::engine {

// Kinds of operation a fault can be placed on (bit set).
namespace IoOps {
inline constexpr unsigned Write = 1;
inline constexpr unsigned Sync = 2;
inline constexpr unsigned Rename = 4;
inline constexpr unsigned Truncate = 8;
inline constexpr unsigned Remove = 16;
inline constexpr unsigned All = Write | Sync | Rename | Truncate | Remove;
}  // namespace IoOps

enum class FaultAction {
    Fail,  // the operation returns `error` without happening
    Exit,  // the process ends at once (_exit) without the operation happening
};

struct FaultPlan {
    unsigned kinds = IoOps::All;
    long at = 0;  // 1-based number of the operation among `kinds`; 0 = never
    FaultAction action = FaultAction::Fail;
    int error = 0;  // errno for Fail (ENOSPC when 0)
    // Fail: every later operation of `kinds` fails as well (a disk that stays full).
    bool persistent = false;
    int exitCode = 86;  // for Exit
};

class FaultInjection final : public FileIo {
public:
    // Wraps the layer in force and replaces it until destroyed.
    FaultInjection();
    ~FaultInjection() override;
    FaultInjection(const FaultInjection&) = delete;
    FaultInjection& operator=(const FaultInjection&) = delete;

    // Starts counting anew under `plan`.
    void plan(const FaultPlan& plan);
    // No fault any more; the count goes on.
    void clear();
    // Operations of the planned kinds seen since the last plan().
    long count() const { return count_; }
    bool fired() const { return fired_; }

    int open(const std::string& path, OpenFlags flags, FileHandle& out) override;
    void close(FileHandle file) override;
    int read(FileHandle file, void* out, std::size_t size, std::uint64_t offset, std::size_t& done) override;
    int write(FileHandle file, const void* data, std::size_t size, std::uint64_t offset) override;
    int sync(FileHandle file) override;
    int truncate(FileHandle file, std::uint64_t length) override;
    int info(FileHandle file, FileInfo& out) override;
    int pathInfo(const std::string& path, FileInfo& out) override;
    int rename(const std::string& from, const std::string& to) override;
    int remove(const std::string& path) override;
    int link(const std::string& existing, const std::string& newPath) override;
    int syncDirectory(const std::string& directory) override;

private:
    // 0 to go ahead, or the errno to fail with; ends the process for Exit.
    int step(unsigned kind);

    FileIo* inner_;
    FileIo* previous_;
    FaultPlan plan_;
    long count_ = 0;
    bool fired_ = false;
};

}  // namespace kvzt::engine
