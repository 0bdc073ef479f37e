// The layout of the group record is described in group_record.h.
#include "engine/group_record.h"

#include <atomic>
#include <cerrno>
#include <optional>
#include <string_view>

#include "engine/crc32.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/journal.h"
#include "engine/little_endian.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

constexpr char kRecordName[] = "KVZT.GRP";
constexpr std::string_view kMagic = "KVZTGRP1";

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

// The file's bytes; nullopt when it does not exist. `identity` receives
// the file's device and inode.
std::optional<std::string> readFile(const std::string& path, FileInfo* identity) {
    FileHandle handle = kNoFile;
    if (const int e = fileIo().open(path, OpenFlags::Read, handle)) {
        if (e == ENOENT || e == ENOTDIR) return std::nullopt;
        throwIoError(path, e);
    }
    io::File file(handle);
    std::string out;
    char buffer[4096];
    for (;;) {
        const std::size_t n = io::read(file.get(), buffer, sizeof buffer, out.size(), path);
        out.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    if (identity) *identity = io::info(file.get(), path);
    return out;
}

}  // namespace

std::string GroupRecord::pathIn(const std::string& directory) { return joinPath(directory, kRecordName); }

void GroupRecord::writeCommitted(const std::string& path, const GroupRecord& record) {
    static std::atomic<unsigned> counter{0};
    const std::string tmp = path + "." + std::to_string(processId()) + "." + std::to_string(counter++) + ".tmp";
    try {
        io::File file(io::open(tmp, OpenFlags::Create));
        io::write(file.get(), encode(record), 0, tmp);
        io::sync(file.get(), tmp);
        file.reset();
        io::rename(tmp, path);
    } catch (...) {
        (void)fileIo().remove(tmp);  // a temporary that cannot be removed goes at a later open
        throw;
    }
    try {
        io::syncDirectory(directoryOf(path));
    } catch (...) {
        // The record is in place, but its name may not outlive a power cut.
        // Taken back, the caller's rollback undoes every member; when it
        // cannot be taken back, every later open counts the group as
        // committed (its data files were synced before), so it has committed.
        if (fileIo().remove(path) == 0) throw;
    }
}

bool GroupRecord::isCommitted(const std::string& path, std::uint64_t id) {
    const std::optional<std::string> data = readFile(path, nullptr);
    if (!data) return false;
    const std::optional<GroupRecord> record = decode(*data);
    return record && record->id == id;
}

void GroupRecord::removeIfDone(const std::string& path) noexcept {
    try {
        FileInfo read;
        const std::optional<std::string> data = readFile(path, &read);
        if (!data) return;
        const std::optional<GroupRecord> record = decode(*data);
        if (!record) return;  // not ours to judge: the next group's commit replaces it
        for (const std::string& journal : record->journals) {
            const std::optional<JournalGroup> group = Journal::groupOf(journal);
            if (group && group->id == record->id) return;
        }
        // Only the record that was read: a group committing meanwhile has renamed its own over it.
        FileInfo now;
        if (fileIo().pathInfo(path, now) == 0 && now.device == read.device && now.inode == read.inode)
            (void)fileIo().remove(path);
    } catch (...) {
    }
}

}  // namespace kvzt::engine
