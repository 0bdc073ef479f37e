// The operating system's file layer on POSIX systems. A Windows build of the
// engine compiles a file of its own in this one's place (CreateFileW,
// ReadFile/WriteFile with an OVERLAPPED offset, FlushFileBuffers,
// SetEndOfFile, MoveFileExW with MOVEFILE_REPLACE_EXISTING, CreateHardLinkW),
// mapping its errors to errno values.

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/file_io.h"

namespace kvzt::engine {

namespace {

int fdOf(FileHandle h) { return int(h); }

class PosixFileIo final : public FileIo {
public:
    int open(const std::string& path, OpenFlags flags, FileHandle& out) override {
        int mode = O_CLOEXEC;
        switch (flags) {
            case OpenFlags::Read: mode |= O_RDONLY; break;
            case OpenFlags::ReadWrite: mode |= O_RDWR; break;
            case OpenFlags::Create: mode |= O_RDWR | O_CREAT | O_TRUNC; break;
            case OpenFlags::CreateNew: mode |= O_RDWR | O_CREAT | O_EXCL; break;
            case OpenFlags::OpenOrCreate: mode |= O_RDWR | O_CREAT; break;
        }
        for (;;) {
            const int fd = ::open(path.c_str(), mode, 0644);
            if (fd >= 0) {
                out = fd;
                return 0;
            }
            if (errno != EINTR) return errno;
        }
    }

    void close(FileHandle file) override { ::close(fdOf(file)); }

    int read(FileHandle file, void* out, std::size_t size, std::uint64_t offset, std::size_t& done) override {
        done = 0;
        char* p = static_cast<char*>(out);
        while (done < size) {
            const ssize_t n = ::pread(fdOf(file), p + done, size - done, off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (n == 0) break;
            done += std::size_t(n);
        }
        return 0;
    }

    int write(FileHandle file, const void* data, std::size_t size, std::uint64_t offset) override {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::pwrite(fdOf(file), p, size, off_t(offset));
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (n == 0) return ENOSPC;
            p += n;
            size -= std::size_t(n);
            offset += std::uint64_t(n);
        }
        return 0;
    }

    int sync(FileHandle file) override { return ::fsync(fdOf(file)) == 0 ? 0 : errno; }

    int truncate(FileHandle file, std::uint64_t length) override {
        return ::ftruncate(fdOf(file), off_t(length)) == 0 ? 0 : errno;
    }

    int info(FileHandle file, FileInfo& out) override {
        struct stat st {};
        if (::fstat(fdOf(file), &st) != 0) return errno;
        fill(st, out);
        return 0;
    }

    int pathInfo(const std::string& path, FileInfo& out) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return errno;
        fill(st, out);
        return 0;
    }

    int rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

    int link(const std::string& existing, const std::string& newPath) override {
        return ::link(existing.c_str(), newPath.c_str()) == 0 ? 0 : errno;
    }

    int syncDirectory(const std::string& directory) override {
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return errno;
        const int result = ::fsync(fd) == 0 ? 0 : errno;
        ::close(fd);
        // Some file systems cannot sync a directory; the files themselves are synced.
        return result == EINVAL ? 0 : result;
    }

private:
    static void fill(const struct stat& st, FileInfo& out) {
        out.size = std::uint64_t(st.st_size);
        out.device = std::uint64_t(st.st_dev);
        out.inode = std::uint64_t(st.st_ino);
        out.links = std::uint64_t(st.st_nlink);
        out.regular = S_ISREG(st.st_mode);
    }
};

}  // namespace

long processId() { return long(::getpid()); }

FileIo& systemFileIo() {
    static PosixFileIo instance;
    return instance;
}

}  // namespace kvzt::engine

#endif  // _WIN32
