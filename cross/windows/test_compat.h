#pragma once
// Force-included into the engine's tests when built for Windows: the two
// POSIX environment calls the tests use, over the C runtime's _putenv_s.

#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && ::getenv(name)) return 0;
    return ::_putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) { return ::_putenv_s(name, "") == 0 ? 0 : -1; }
