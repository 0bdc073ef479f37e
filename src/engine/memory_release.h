#pragma once
// Gives memory that a long run freed back to the system. The C library keeps
// freed heap memory for the process's next allocations; after a tag build or
// a classifier run over a million records that is tens of megabytes the
// program would otherwise hold until it ends.

namespace kvzt::engine {

void ReleaseFreedMemory();

// Releases at the end of a scope, however it is left.
class ReleaseFreedMemoryAtEnd {
public:
    ReleaseFreedMemoryAtEnd() = default;
    ~ReleaseFreedMemoryAtEnd() { ReleaseFreedMemory(); }
    ReleaseFreedMemoryAtEnd(const ReleaseFreedMemoryAtEnd&) = delete;
    ReleaseFreedMemoryAtEnd& operator=(const ReleaseFreedMemoryAtEnd&) = delete;
};

}  // namespace kvzt::engine
