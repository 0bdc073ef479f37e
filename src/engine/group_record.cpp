// The layout of the group record is described in group_record.h.
#include "engine/group_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <string_view>

#include "engine/crc32.h"
#include "engine/errors.h"
#include "engine/journal.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

constexpr char kRecordName[] = "KVZT.GRP";
constexpr std::string_view kMagic = "KVZTGRP1";

void putLe(std::string& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
}

std::uint64_t getLe(std::string_view in, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint64_t(static_cast<unsigned char>(in[at + std::size_t(i)])) << (8 * i);
    return v;
}

std::string encode(const GroupRecord& record) {
    std::string out(kMagic);
    putLe(out, record.id, 8);
    putLe(out, record.journals.size(), 2);
    for (const std::string& journal : record.journals) {
        putLe(out, journal.size(), 2);
        out += journal;
    }
    putLe(out, crc32(out), 4);
    return out;
}

std::optional<GroupRecord> decode(std::string_view data) {
    if (data.size() < kMagic.size() + 8 + 2 + 4 || data.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    const std::size_t body = data.size() - 4;
    if (std::uint32_t(getLe(data, body, 4)) != crc32(data.substr(0, body))) return std::nullopt;
    GroupRecord record;
    record.id = getLe(data, kMagic.size(), 8);
    const std::size_t count = std::size_t(getLe(data, kMagic.size() + 8, 2));
    std::size_t at = kMagic.size() + 10;
    for (std::size_t i = 0; i < count; ++i) {
        if (body - at < 2) return std::nullopt;
        const std::size_t length = std::size_t(getLe(data, at, 2));
        at += 2;
        if (body - at < length) return std::nullopt;
        record.journals.emplace_back(data.substr(at, length));
        at += length;
    }
    if (at != body) return std::nullopt;
    return record;
}

// The file's bytes; nullopt when it does not exist. `st` receives its identity.
std::optional<std::string> readFile(const std::string& path, struct stat* st) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throwIoError(path, errno);
    }
    std::string out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            throwIoError(path, e);
        }
        if (n == 0) break;
        out.append(buffer, std::size_t(n));
    }
    if (st && ::fstat(fd, st) != 0) st->st_ino = 0;
    ::close(fd);
    return out;
}

void syncDirectoryOf(const std::string& path) {
    const std::string dir = directoryOf(path);
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throwIoError(dir, errno);
    const int rc = ::fsync(fd);
    const int e = errno;
    ::close(fd);
    if (rc != 0) throwIoError(dir, e);
}

}  // namespace

std::string GroupRecord::pathIn(const std::string& directory) { return joinPath(directory, kRecordName); }

void GroupRecord::writeCommitted(const std::string& path, const GroupRecord& record) {
    static std::atomic<unsigned> counter{0};
    const std::string tmp = path + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
    const std::string bytes = encode(record);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throwIoError(tmp, errno);
    std::string_view rest = bytes;
    int error = 0;
    while (!rest.empty() && error == 0) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0) {
            if (errno != EINTR) error = errno;
            continue;
        }
        rest.remove_prefix(std::size_t(n));
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    ::close(fd);
    if (error == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(tmp.c_str());
        throwIoError(path, error);
    }
    syncDirectoryOf(path);
}

bool GroupRecord::isCommitted(const std::string& path, std::uint64_t id) {
    const std::optional<std::string> data = readFile(path, nullptr);
    if (!data) return false;
    const std::optional<GroupRecord> record = decode(*data);
    return record && record->id == id;
}

void GroupRecord::removeIfDone(const std::string& path) noexcept {
    try {
        struct stat read {};
        const std::optional<std::string> data = readFile(path, &read);
        if (!data) return;
        const std::optional<GroupRecord> record = decode(*data);
        if (!record) return;  // not ours to judge: the next group's commit replaces it
        for (const std::string& journal : record->journals) {
            const std::optional<JournalGroup> group = Journal::groupOf(journal);
            if (group && group->id == record->id) return;
        }
        // Only the record that was read: a group committing meanwhile has renamed its own over it.
        struct stat now {};
        if (::stat(path.c_str(), &now) == 0 && now.st_dev == read.st_dev && now.st_ino == read.st_ino)
            ::unlink(path.c_str());
    } catch (...) {
    }
}

}  // namespace kvzt::engine
