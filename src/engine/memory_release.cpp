#include "engine/memory_release.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kvzt::engine {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    // Elsewhere the system's allocator returns large blocks on its own.
}

}  // namespace kvzt::engine
