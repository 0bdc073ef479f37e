#pragma once
// Windows only: the engine's UTF-8 paths as the wide paths of the Win32
// calls, and Win32 error numbers as the errno values the rest of the engine
// reports (ENOSPC for a full disk, EACCES for a sharing violation...).

#ifdef _WIN32

#include <string>
#include <string_view>

namespace kvzt::engine::win32 {

// Both separators are accepted; the result uses backslashes. A path of
// MAX_PATH characters or more gets the \\?\ prefix (\\?\UNC\ for a network
// path) so that it is used whole, however long.
std::wstring widePath(std::string_view utf8);
std::wstring wideText(std::string_view utf8);
std::string utf8Text(std::wstring_view wide);

// The errno value for a GetLastError() code.
int errnoOf(unsigned long win32Error);

}  // namespace kvzt::engine::win32

#endif  // _WIN32
