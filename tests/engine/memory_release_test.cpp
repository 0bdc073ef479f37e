// Memory a long step freed goes back to the system when asked.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#if defined(__linux__)
#include <unistd.h>
#endif

#include "engine/memory_release.h"

namespace {

#if defined(__linux__) && defined(__GLIBC__)
long residentKilobytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
#endif

}  // namespace

TEST(MemoryRelease, FreedHeapMemoryLeavesTheProcess) {
#if defined(__linux__) && defined(__GLIBC__)
    // Blocks small enough for the heap; every sixteenth (the last among
    // them) is kept, so that freeing the others leaves free stretches inside
    // the heap rather than at its top, where free() itself would give them back.
    constexpr std::size_t kBlock = 32 * 1024, kBlocks = 2048;  // 64 MB
    std::vector<char*> blocks;
    for (std::size_t i = 0; i < kBlocks; ++i) {
        blocks.push_back(static_cast<char*>(std::malloc(kBlock)));
        for (std::size_t b = 0; b < kBlock; b += 512) blocks.back()[b] = char(b);
    }
    for (std::size_t i = 0; i < kBlocks; ++i) {
        if (i % 16 != 15) std::free(blocks[i]);
    }
    const long before = residentKilobytes();
    kvzt::engine::ReleaseFreedMemory();
    const long after = residentKilobytes();
    for (std::size_t i = 15; i < kBlocks; i += 16) std::free(blocks[i]);
    EXPECT_LT(after, before - 32 * 1024) << "resident " << before << " kB before, " << after << " kB after";
#else
    GTEST_SKIP() << "resident memory is read from /proc on glibc systems";
#endif
}
