#include "engine/run_lock.h"

#ifdef _WIN32
#include <windows.h>

#include "engine/win32_util.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <ctime>
#include <map>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/file_lock.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

#ifdef _WIN32
std::string userName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    return ::GetUserNameW(name, &size) ? win32::utf8Text(name) : std::string();
}

std::string hostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? win32::utf8Text(name) : std::string();
}
#else
std::string userName() {
    if (const passwd* pw = ::getpwuid(::geteuid())) return pw->pw_name;
    return std::to_string(::geteuid());
}

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}
#endif

std::string now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

// The holder's lines as written by another run; a field it lacks is absent.
std::map<std::string, std::string> readHolder(FileHandle fd) {
    std::string text(4096, '\0');
    std::size_t n = 0;
    if (fileIo().read(fd, text.data(), text.size(), 0, n) != 0) n = 0;
    text.resize(n);
    std::map<std::string, std::string> fields;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
        at = end + 1;
    }
    return fields;
}

std::string describeHolder(const std::map<std::string, std::string>& holder) {
    const auto field = [&](const char* name) {
        const auto it = holder.find(name);
        return it == holder.end() ? std::string() : it->second;
    };
    // A holder caught between taking the lock and writing its lines says nothing yet.
    if (field("who").empty() && field("pid").empty()) return "другая программа обслуживания";
    std::string text = field("who").empty() ? "другая программа обслуживания" : field("who");
    text += " (процесс " + (field("pid").empty() ? std::string("?") : field("pid"));
    if (!field("user").empty()) text += ", пользователь " + field("user");
    if (!field("host").empty()) text += ", компьютер " + field("host");
    if (!field("since").empty()) text += ", с " + field("since");
    return text + ")";
}

void writeAll(FileHandle fd, const std::string& text, const std::string& path) {
    io::truncate(fd, 0, path);
    io::write(fd, text, 0, path);
}

}  // namespace

std::unique_ptr<RunLock> RunLock::acquire(const std::string& directory, const std::string& who) {
    std::unique_ptr<RunLock> run(new RunLock);
    run->path_ = joinPath(directory, kRunLockFileName);
    run->fd_ = io::open(run->path_, OpenFlags::OpenOrCreate);
    run->lock_ = tryLockFile(run->fd_, LockKind::Exclusive);
    if (!run->lock_)
        throw EngineError(code::TableInUse, "С базой данных " + directory + " уже работает " +
                                                describeHolder(readHolder(run->fd_)) +
                                                ". Дождитесь окончания его работы и повторите.");
    writeAll(run->fd_,
             "who=" + who + "\npid=" + std::to_string(processId()) + "\nuser=" + userName() + "\nhost=" + hostName() +
                 "\nsince=" + now() + "\n",
             run->path_);
    return run;
}

RunLock::~RunLock() {
    if (fd_ == kNoFile) return;
    // Emptied while still held, so nobody reads a departed holder's lines.
    if (lock_) (void)fileIo().truncate(fd_, 0);
    lock_.reset();
    io::close(fd_);
}

}  // namespace kvzt::engine
