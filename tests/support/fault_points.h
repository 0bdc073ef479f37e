#pragma once
// Sweeping a piece of work with a file-layer failure planted at each of its
// operations in turn (engine/fault_injection.h): how many points there are,
// the figure a sweep reports, and the files of ours a run must not leave
// behind once its databases are opened again.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/fault_injection.h"

namespace kvzt::test {

// Puts in force, for its lifetime, a file layer whose syncs do nothing: a
// sweep checks what a failing process leaves, not what a power cut keeps,
// and thousands of real syncs would make it wait minutes on the disk. A
// FaultInjection made while it is in force still counts and fails the syncs.
class SkippedSyncs final : public engine::FileIo {
public:
    SkippedSyncs() : inner_(&engine::fileIo()), previous_(engine::setFileIo(this)) {}
    ~SkippedSyncs() override { engine::setFileIo(previous_); }
    SkippedSyncs(const SkippedSyncs&) = delete;
    SkippedSyncs& operator=(const SkippedSyncs&) = delete;

    int open(const std::string& path, engine::OpenFlags flags, engine::FileHandle& out) override {
        return inner_->open(path, flags, out);
    }
    void close(engine::FileHandle file) override { inner_->close(file); }
    int read(engine::FileHandle file, void* out, std::size_t size, std::uint64_t offset, std::size_t& done) override {
        return inner_->read(file, out, size, offset, done);
    }
    int write(engine::FileHandle file, const void* data, std::size_t size, std::uint64_t offset) override {
        return inner_->write(file, data, size, offset);
    }
    int sync(engine::FileHandle) override { return 0; }
    int truncate(engine::FileHandle file, std::uint64_t length) override { return inner_->truncate(file, length); }
    int info(engine::FileHandle file, engine::FileInfo& out) override { return inner_->info(file, out); }
    int pathInfo(const std::string& path, engine::FileInfo& out) override { return inner_->pathInfo(path, out); }
    int rename(const std::string& from, const std::string& to) override { return inner_->rename(from, to); }
    int remove(const std::string& path) override { return inner_->remove(path); }
    int link(const std::string& existing, const std::string& newPath) override {
        return inner_->link(existing, newPath);
    }
    int syncDirectory(const std::string&) override { return 0; }

private:
    engine::FileIo* inner_;
    engine::FileIo* previous_;
};

// The operations of `kinds` that `work` makes when nothing fails.
inline long CountFaultPoints(unsigned kinds, const std::function<void()>& work) {
    engine::FaultInjection faults;
    faults.plan({kinds, 0});
    work();
    return faults.count();
}

// Prints "KEY: fault points tried: N" and records N with the test's result
// under KEY (a name without blanks).
inline void ReportFaultPoints(const std::string& key, long points) {
    std::printf("%s: fault points tried: %ld\n", key.c_str(), points);
    std::fflush(stdout);
    ::testing::Test::RecordProperty(key, std::to_string(points));
}

// Files of ours in `directory` that only a running operation may hold: a
// journal, a group record, their temporaries, a pack's or reindex's files.
inline std::vector<std::string> LeftOverFiles(const std::string& directory) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("KVZT.JNL", 0) == 0 || name.rfind("KVZT.GRP", 0) == 0 ||
            name.find(".kvzt-") != std::string::npos ||
            (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0))
            found.push_back(name);
    }
    return found;
}

}  // namespace kvzt::test
