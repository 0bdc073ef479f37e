// The file layer in force and the throwing helpers over it. Nothing here
// calls the operating system: that is posix_file_io.cpp (or its Windows twin).

#include "engine/file_io.h"

#include <atomic>
#include <cerrno>

#include "engine/errors.h"

namespace kvzt::engine {

namespace {
std::atomic<FileIo*> replacement{nullptr};
}

FileIo& fileIo() {
    FileIo* r = replacement.load(std::memory_order_acquire);
    return r ? *r : systemFileIo();
}

FileIo* setFileIo(FileIo* next) { return replacement.exchange(next); }

namespace io {

FileHandle open(const std::string& path, OpenFlags flags) {
    FileHandle h = kNoFile;
    if (int e = fileIo().open(path, flags, h)) throwIoError(path, e);
    return h;
}

void close(FileHandle file) {
    if (file != kNoFile) fileIo().close(file);
}

std::size_t read(FileHandle file, void* out, std::size_t size, std::uint64_t offset, const std::string& path) {
    std::size_t done = 0;
    if (int e = fileIo().read(file, out, size, offset, done)) throwIoError(path, e);
    return done;
}

void write(FileHandle file, std::string_view data, std::uint64_t offset, const std::string& path) {
    if (data.empty()) return;
    if (int e = fileIo().write(file, data.data(), data.size(), offset)) throwIoError(path, e);
}

void sync(FileHandle file, const std::string& path) {
    if (int e = fileIo().sync(file)) throwIoError(path, e);
}

void truncate(FileHandle file, std::uint64_t length, const std::string& path) {
    if (int e = fileIo().truncate(file, length)) throwIoError(path, e);
}

FileInfo info(FileHandle file, const std::string& path) {
    FileInfo fi;
    if (int e = fileIo().info(file, fi)) throwIoError(path, e);
    return fi;
}

void rename(const std::string& from, const std::string& to) {
    if (int e = fileIo().rename(from, to)) throwIoError(to, e);
}

void remove(const std::string& path) {
    int e = fileIo().remove(path);
    if (e != 0 && e != ENOENT) throwIoError(path, e);
}

void syncDirectory(const std::string& directory) {
    if (int e = fileIo().syncDirectory(directory.empty() ? std::string(".") : directory))
        throwIoError(directory, e);
}

bool exists(const std::string& path) {
    FileInfo fi;
    return fileIo().pathInfo(path, fi) == 0;
}

}  // namespace io

}  // namespace kvzt::engine
