#pragma once
// Helpers shared by the tests: scratch directories, running commands, test data.

#include <string>
#include <vector>

namespace kvzt::test {

// A fresh empty directory under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // Joined with the platform's separator, as the engine joins names
    // (on Windows also the "/" inside `name` becomes "\\").
#ifdef _WIN32
    std::string file(std::string name) const {
        for (char& c : name)
            if (c == '/') c = '\\';
        return path_ + "\\" + name;
    }
#else
    std::string file(const std::string& name) const { return path_ + "/" + name; }
#endif

private:
    std::string path_;
};

struct CommandResult {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs argv[0] with the arguments (no shell), capturing both outputs.
CommandResult runCommand(const std::vector<std::string>& argv, const std::string& input = {});

// True when an executable of that name is on PATH.
bool haveProgram(const std::string& name);

std::string testDataDir();  // tests/fixtures: real files of other engines
std::string cliPath();      // the built kvzt-cli

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
void copyFile(const std::string& from, const std::string& to);

}  // namespace kvzt::test
