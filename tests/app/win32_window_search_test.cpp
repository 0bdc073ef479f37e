// The host-window search on Windows (built with the engine's Windows tests):
// a window of this process with a Cyrillic title is found by its exact title
// only, hidden as it is.

#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include "app/win32_window_search.h"

using kvzt::app::win32TopLevelWindowExists;

TEST(Win32WindowSearch, FindsATopLevelWindowByItsExactTitle) {
    WNDCLASSW type{};
    type.lpfnWndProc = ::DefWindowProcW;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.lpszClassName = L"KvztTestWindow";
    ASSERT_NE(::RegisterClassW(&type), 0);
    const std::wstring title = L"Таксант";
    EXPECT_FALSE(win32TopLevelWindowExists(title));

    const HWND window = ::CreateWindowExW(0, type.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                          nullptr, nullptr, type.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(win32TopLevelWindowExists(title));
    EXPECT_FALSE(win32TopLevelWindowExists(L"Таксан"));
    EXPECT_FALSE(win32TopLevelWindowExists(L"Таксант 3.2"));
    ::DestroyWindow(window);
    EXPECT_FALSE(win32TopLevelWindowExists(title));
    ::UnregisterClassW(type.lpszClassName, type.hInstance);
}

#endif  // _WIN32
