#ifdef _WIN32

#include "app/win32_window_search.h"

#include <windows.h>

namespace kvzt::app {

bool win32TopLevelWindowExists(const std::wstring& exactTitle) {
    return ::FindWindowW(nullptr, exactTitle.c_str()) != nullptr;
}

}  // namespace kvzt::app

#endif  // _WIN32
