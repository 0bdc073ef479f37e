#include "support/child_process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace kvzt::test {

namespace {

constexpr const char* kArgumentVariable = "KVZT_TEST_CHILD_ARGUMENT";
constexpr const char* kReadyVariable = "KVZT_TEST_CHILD_READY";
// A child that neither gets ready nor ends in this long is taken as failed.
constexpr auto kReadyTimeout = std::chrono::seconds(120);

void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

void clearVariable(const char* name) {
#ifdef _WIN32
    ::_putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string readyFileName() {
    std::random_device rd;
    return (std::filesystem::temp_directory_path() / ("kvzt-child-" + std::to_string(rd()) + ".ready")).string();
}

}  // namespace

ChildProcess::ChildProcess(const std::string& body, const std::string& argument) : readyFile_(readyFileName()) {
    const std::string filter = "--gtest_filter=ChildBodies.DISABLED_" + body;
    // The child inherits the environment: the argument travels in it.
    setVariable(kArgumentVariable, argument);
    setVariable(kReadyVariable, readyFile_);
#ifdef _WIN32
    wchar_t self[MAX_PATH * 4];
    ::GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests " +
                           std::wstring(filter.begin(), filter.end());
    // The child's test report would only mix into ours: it goes nowhere.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE nul = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                     OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nul;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    const bool started = ::CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &info);
    ::CloseHandle(nul);
    if (started) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
#else
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> args = {self, "--gtest_also_run_disabled_tests", filter};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The child's test report would only mix into ours: it goes nowhere.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const bool started = ::posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    pid_ = pid;
#endif
    clearVariable(kArgumentVariable);
    clearVariable(kReadyVariable);
    if (!started) throw std::runtime_error("cannot start a child process for " + body);
    running_ = true;

    const auto deadline = std::chrono::steady_clock::now() + kReadyTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(readyFile_)) {
            ready_ = true;
            return;
        }
#ifdef _WIN32
        if (::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return;
#else
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            running_ = false;
            return;
        }
#endif
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ChildProcess::~ChildProcess() {
    kill();
    std::error_code ec;
    std::filesystem::remove(readyFile_, ec);
#ifdef _WIN32
    if (process_) ::CloseHandle(process_);
#endif
}

void ChildProcess::kill() {
    if (!running_) return;
#ifdef _WIN32
    ::TerminateProcess(process_, 9);
    ::WaitForSingleObject(process_, INFINITE);
#else
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
#endif
    running_ = false;
}

int ChildProcess::wait() {
#ifdef _WIN32
    ::WaitForSingleObject(process_, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    running_ = false;
    return int(code);
#else
    if (!running_) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    running_ = false;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

bool isChild() { return !variable(kReadyVariable).empty(); }

std::string childArgument() { return variable(kArgumentVariable); }

void childReady() {
    const std::string path = variable(kReadyVariable);
    const std::string temporary = path + ".new";
    std::ofstream(temporary) << "ready";
    std::filesystem::rename(temporary, path);  // seen whole or not at all
}

void waitToBeKilled() {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace kvzt::test
