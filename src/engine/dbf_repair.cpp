#include "engine/dbf_repair.h"

#include <algorithm>

#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/file_lock.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

std::uint32_t get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | std::uint8_t(b[at + std::size_t(i)]);
    return v;
}

// A free name beside `path` for its copy.
std::string copyName(const std::string& path) {
    for (int n = 1;; ++n) {
        const std::string name = path + ".kvzt-bak" + (n == 1 ? std::string() : std::to_string(n));
        if (!io::exists(name)) return name;
    }
}

std::string copyBeside(FileHandle from, const std::string& path) {
    const std::string target = copyName(path);
    io::File out(io::open(target, OpenFlags::CreateNew));
    try {
        std::string buffer(1 << 20, '\0');
        for (std::uint64_t at = 0;;) {
            const std::size_t n = io::read(from, buffer.data(), buffer.size(), at, path);
            io::write(out.get(), std::string_view(buffer.data(), n), at, target);
            at += n;
            if (n < buffer.size()) break;
        }
        io::sync(out.get(), target);
    } catch (...) {
        out.reset();
        (void)fileIo().remove(target);
        throw;
    }
    return target;
}

}  // namespace

RecordCountRepair repairRecordCount(const std::string& dbfPath) {
    io::File file(openTableFile(dbfPath, true));
    auto lock = tryLockFile(file.get(), LockKind::Exclusive);
    if (!lock)
        throw EngineError(code::TableInUse, "Таблица используется другим пользователем или программой: " + dbfPath);

    const std::uint64_t size = io::info(file.get(), dbfPath).size;
    std::string head(std::min<std::uint64_t>(size, 32 + 32 * 2046 + 2), '\0');
    head.resize(io::read(file.get(), head.data(), head.size(), 0, dbfPath));
    RecordCountRepair result;
    if (head.size() >= 8) result.declared = get32(head, 4);
    // Every other part of the header must hold as it is: checked with a count of 0.
    std::string zeroCount = head;
    if (zeroCount.size() >= 8) std::fill(zeroCount.begin() + 4, zeroCount.begin() + 8, '\0');
    const DbfHeader header = parseDbfHeader(zeroCount, size, dbfPath);
    const std::uint64_t whole = (size - header.headerLength) / header.recordLength;
    result.whole = std::uint32_t(std::min<std::uint64_t>(whole, result.declared));

    result.copies.push_back(copyBeside(file.get(), dbfPath));
    const std::string mdxName = mdxNameFor(fileNameOf(dbfPath));
    if (auto mdx = findFileNoCase(directoryOf(dbfPath), mdxName)) {
        io::File index(io::open(*mdx, OpenFlags::Read));
        result.copies.push_back(copyBeside(index.get(), *mdx));
    }
    io::syncDirectory(directoryOf(dbfPath));

    if (result.whole < result.declared) {
        std::string count(4, '\0');
        for (int i = 0; i < 4; ++i) count[std::size_t(i)] = char((result.whole >> (8 * i)) & 0xFF);
        io::write(file.get(), count, 4, dbfPath);
        io::sync(file.get(), dbfPath);
    }
    return result;
}

}  // namespace kvzt::engine
