#include "engine/path_util.h"

#ifdef _WIN32
#include <windows.h>

#include "engine/win32_util.h"
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

#include <algorithm>

namespace kvzt::engine {

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

#ifndef _WIN32
bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}
#endif

// Windows takes both separators and names drives ("C:"); elsewhere only "/"
// separates, and a backslash is a character of a name.
#ifdef _WIN32
// A name joins a directory with the separator the directory is spelt with
// ("C:\\base", "//server/share/base"), a backslash when it has none.
char separatorFor(std::string_view directory) {
    return directory.find('/') != std::string_view::npos && directory.find('\\') == std::string_view::npos ? '/'
                                                                                                        : '\\';
}
bool isSeparator(char c) { return c == '/' || c == '\\'; }
// Length of a drive prefix "C:" at the start of the path, else 0.
std::size_t driveLength(std::string_view path) {
    const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return letter && path.size() >= 2 && path[1] == ':' ? 2 : 0;
}
#else
char separatorFor(std::string_view) { return '/'; }
bool isSeparator(char c) { return c == '/'; }
std::size_t driveLength(std::string_view) { return 0; }
#endif

std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

#ifndef _WIN32
bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}
#endif

// Position of the dot starting the extension of the last path component, or npos.
std::size_t extensionDot(std::string_view name) {
    const std::size_t slash = lastSeparator(name);
    const std::size_t start = slash == std::string_view::npos ? driveLength(name) : slash + 1;
    const std::size_t dot = name.rfind('.');
    // A leading dot names a hidden file, not an extension; a trailing one
    // ("NAME.") says there is no extension.
    if (dot == std::string_view::npos || dot <= start || dot + 1 == name.size()) return std::string_view::npos;
    return dot;
}

}  // namespace

std::vector<std::string> namesStartingWith(const std::string& directory, std::string_view prefix) {
    std::vector<std::string> names;
#ifdef _WIN32
    WIN32_FIND_DATAW entry{};
    const HANDLE found = ::FindFirstFileW(win32::widePath(joinPath(directory.empty() ? "." : directory, "*")).c_str(),
                                          &entry);
    if (found == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = win32::utf8Text(entry.cFileName);
        if (std::string_view(name).substr(0, prefix.size()) == prefix) names.push_back(std::move(name));
    } while (::FindNextFileW(found, &entry));
    ::FindClose(found);
    return names;
#else
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name(entry->d_name);
        if (name.substr(0, prefix.size()) == prefix) names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
#endif
}

std::optional<std::string> findFileNoCase(const std::string& directory, std::string_view name) {
    if (name.empty() || lastSeparator(name) != std::string_view::npos || name.find('\0') != std::string_view::npos ||
        name == "." || name == ".." || driveLength(name) != 0)
        return std::nullopt;
    const std::string exact = joinPath(directory, name);
#ifdef _WIN32
    // The file system itself ignores letter case: the exact look-up finds
    // every spelling, and the directory entry gives the name as stored.
    if (name.find_first_of("*?") != std::string_view::npos) return std::nullopt;  // no wildcards in a name
    WIN32_FIND_DATAW entry{};
    const HANDLE found = ::FindFirstFileW(win32::widePath(exact).c_str(), &entry);
    if (found == INVALID_HANDLE_VALUE) return std::nullopt;
    ::FindClose(found);
    return joinPath(directory, win32::utf8Text(entry.cFileName));
#else
    if (exists(exact)) return exact;

    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return std::nullopt;
    // Several entries may differ only in case; take the smallest name so the
    // answer does not depend on the order the file system lists them in.
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view entryName(entry->d_name);
        if (equalsNoCase(entryName, name) && (!best || entryName < *best)) best = std::string(entryName);
    }
    ::closedir(dir);
    if (!best) return std::nullopt;
    return joinPath(directory, *best);
#endif
}

std::string withDbfExtension(std::string_view name) {
    if (extensionDot(name) != std::string_view::npos) return std::string(name);
    std::string result(name);
    if (!result.empty() && result.back() == '.') result.pop_back();
    return result + ".DBF";
}

std::string mdxNameFor(std::string_view dbfName) {
    const std::size_t dot = extensionDot(dbfName);
    if (dot == std::string_view::npos) {
        std::string_view stem = dbfName;
        if (!stem.empty() && stem.back() == '.') stem.remove_suffix(1);
        return std::string(stem) + ".MDX";
    }
    const std::string_view ext = dbfName.substr(dot + 1);
    // Each letter of "mdx" takes the case of the letter at the same place of
    // the old extension; past its end, the case of its last letter.
    bool lower = false;
    std::string result(dbfName.substr(0, dot + 1));
    for (std::size_t i = 0; i < 3; ++i) {
        if (i < ext.size()) {
            if (isLower(ext[i])) lower = true;
            else if (isUpper(ext[i])) lower = false;
        }
        const char c = "MDX"[i];
        result += lower ? asciiLower(c) : c;
    }
    return result;
}

std::string directoryOf(std::string_view path) {
    const std::size_t drive = driveLength(path);
    const std::size_t slash = lastSeparator(path);
    if (slash == std::string_view::npos || slash < drive) return std::string(path.substr(0, drive));  // "C:x" → "C:"
    std::size_t end = slash;
    while (end > drive && isSeparator(path[end - 1])) --end;  // "a//b" → "a"
    if (end == drive) return std::string(path.substr(0, drive + 1));  // a file in the root: "/", "C:\"
    return std::string(path.substr(0, end));
}

std::string fileNameOf(std::string_view path) {
    const std::size_t slash = lastSeparator(path);
    if (slash == std::string_view::npos) return std::string(path.substr(driveLength(path)));
    return std::string(path.substr(slash + 1));
}

std::string joinPath(std::string_view directory, std::string_view name) {
    // The name always lands inside the directory: leading separators of the
    // name are dropped rather than making it absolute.
    while (!name.empty() && isSeparator(name.front())) name.remove_prefix(1);
    if (directory.empty()) return std::string(name);
    std::string result(directory);
    if (name.empty()) return result;
    // "C:" + name stays drive-relative, as the user wrote it.
    if (!isSeparator(result.back()) && result.size() != driveLength(result)) result += separatorFor(directory);
    result += name;
    return result;
}

}  // namespace kvzt::engine
