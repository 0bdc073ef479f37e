#include "engine/memory_release.h"

// Any C library header defines __GLIBC__ on glibc; without one the test
// below never sees it and nothing is released.
#include <cstdlib>

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
