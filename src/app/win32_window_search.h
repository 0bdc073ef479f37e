#pragma once
// Windows only, and free of Qt so that it builds with the engine's Windows
// tests: whether any program has a top-level window whose title equals the
// given one exactly (hidden windows included), whatever its window class.

#ifdef _WIN32

#include <string>

namespace kvzt::app {

bool win32TopLevelWindowExists(const std::wstring& exactTitle);

}  // namespace kvzt::app

#endif  // _WIN32
