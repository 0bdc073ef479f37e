#include "engine/stale_files.h"

#ifndef _WIN32
#include <signal.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "engine/file_io.h"

namespace kvzt::engine {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// "KVZT.JNL.<pid>.<n>.tmp": the pid, or 0 when the name is not of that form.
long ownerOf(std::string_view name, std::string_view prefix) {
    if (!startsWith(name, prefix) || !endsWith(name, ".tmp")) return 0;
    const std::string digits(name.substr(prefix.size()));
    char* end = nullptr;
    const long pid = std::strtol(digits.c_str(), &end, 10);
    return pid > 0 && end && *end == '.' ? pid : 0;
}

#ifdef _WIN32
bool processAlive(long) { return true; }  // no cheap test there: such files are left alone
#else
// Asking the system about a process is no file operation: it stays outside the file layer.
bool processAlive(long pid) { return ::kill(pid_t(pid), 0) == 0 || errno == EPERM; }
#endif

}  // namespace

void RemoveStaleTemporaries(const std::string& directory) noexcept {
    try {
        // The file layer lists no directories; the removal goes through it.
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(directory.empty() ? "." : directory, ec)) {
            const std::string name = entry.path().filename().string();
            const std::string path = entry.path().string();
            const long pid = ownerOf(name, "KVZT.GRP.");
            if (pid != 0 && !processAlive(pid)) (void)fileIo().remove(path);
        }
    } catch (...) {
    }
}

}  // namespace kvzt::engine
