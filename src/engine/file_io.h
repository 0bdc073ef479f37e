#pragma once
// The engine's one door to the file system. Every open, read, write, sync,
// truncation, rename and removal of a table, an index or a journal goes
// through the FileIo object in force, so that:
//  - the operating system's calls sit in one file per platform
//    (posix_file_io.cpp here; a Windows build supplies its own half and
//    compiles nothing else differently), and
//  - tests can put a double in its place that fails the n-th write, sync,
//    rename or truncation, or ends the process there (fault_injection.h).
//
// The virtual calls report failure as an errno value (0 = success) and never
// throw; the helpers in namespace `io` below turn failures into EngineError
// naming the file, with code::DiskFull for a full disk.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvzt::engine {

// A descriptor on POSIX, a HANDLE on Windows.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

enum class OpenFlags {
    Read,       // existing file, reading only
    ReadWrite,  // existing file
    Create,     // read-write, created or emptied
    CreateNew,  // read-write, must not exist yet
    OpenOrCreate,  // read-write, created when missing, kept when present
};

struct FileInfo {
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t links = 1;
    bool regular = true;
};

class FileIo {
public:
    virtual ~FileIo() = default;
    virtual int open(const std::string& path, OpenFlags flags, FileHandle& out) = 0;
    virtual void close(FileHandle file) = 0;
    // Reads up to `size` bytes; `done` below `size` only at the end of the file.
    virtual int read(FileHandle file, void* out, std::size_t size, std::uint64_t offset, std::size_t& done) = 0;
    // Writes all `size` bytes or fails.
    virtual int write(FileHandle file, const void* data, std::size_t size, std::uint64_t offset) = 0;
    virtual int sync(FileHandle file) = 0;
    virtual int truncate(FileHandle file, std::uint64_t length) = 0;
    virtual int info(FileHandle file, FileInfo& out) = 0;
    virtual int pathInfo(const std::string& path, FileInfo& out) = 0;
    // Replaces `to` in one step.
    virtual int rename(const std::string& from, const std::string& to) = 0;
    virtual int remove(const std::string& path) = 0;
    // A second name for an existing file; fails with EEXIST when `newPath` exists.
    virtual int link(const std::string& existing, const std::string& newPath) = 0;
    // Makes created, renamed and removed names of the directory survive a power cut.
    virtual int syncDirectory(const std::string& directory) = 0;
};

// This process's id (unique names of temporary files).
long processId();

// The file layer in force (the operating system's unless a test replaced it).
FileIo& fileIo();
// The operating system's file layer.
FileIo& systemFileIo();
// Puts `replacement` in force (nullptr: the operating system's); returns the one it replaced.
FileIo* setFileIo(FileIo* replacement);

// Calls of the layer in force that throw EngineError naming `path` on failure.
namespace io {
FileHandle open(const std::string& path, OpenFlags flags);
void close(FileHandle file);
// Reads up to `size` bytes; returns how many (fewer only at the end of the file).
std::size_t read(FileHandle file, void* out, std::size_t size, std::uint64_t offset, const std::string& path);
void write(FileHandle file, std::string_view data, std::uint64_t offset, const std::string& path);
void sync(FileHandle file, const std::string& path);
void truncate(FileHandle file, std::uint64_t length, const std::string& path);
FileInfo info(FileHandle file, const std::string& path);
void rename(const std::string& from, const std::string& to);
// Removing a file that is not there is no error.
void remove(const std::string& path);
void syncDirectory(const std::string& directory);
bool exists(const std::string& path);

// Owns an open file and closes it.
class File {
public:
    File() = default;
    explicit File(FileHandle handle) : handle_(handle) {}
    ~File() { reset(); }
    File(File&& other) noexcept : handle_(other.release()) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    FileHandle get() const { return handle_; }
    bool isOpen() const { return handle_ != kNoFile; }
    FileHandle release() {
        FileHandle h = handle_;
        handle_ = kNoFile;
        return h;
    }
    void reset(FileHandle handle = kNoFile) {
        if (handle_ != kNoFile) io::close(handle_);
        handle_ = handle;
    }

private:
    FileHandle handle_ = kNoFile;
};
}  // namespace io

}  // namespace kvzt::engine
