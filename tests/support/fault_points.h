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
