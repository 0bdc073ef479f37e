#include "engine/table_storage.h"

#include <map>
#include <mutex>
#include <utility>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/path_util.h"

namespace kvzt::engine {

namespace {

using FileId = std::pair<unsigned long long, unsigned long long>;  // device, inode

std::mutex registryMutex;
std::map<FileId, std::weak_ptr<TableStorage>>& registry() {
    static std::map<FileId, std::weak_ptr<TableStorage>> r;
    return r;
}

FileId idOf(FileHandle fd, const std::string& path) {
    const FileInfo st = io::info(fd, path);
    return {static_cast<unsigned long long>(st.device), static_cast<unsigned long long>(st.inode)};
}

}  // namespace

std::shared_ptr<TableStorage> TableStorage::acquire(const std::string& path, FileHandle lockedFd, bool writable,
                                                    CodePage defaultCodePage) {
    const FileId id = idOf(lockedFd, path);
    {
        std::lock_guard<std::mutex> guard(registryMutex);
        if (auto existing = registry()[id].lock()) {
            if (writable && !existing->writable_) {
                // Opened read-only so far: reopen the shared files for writing.
                existing->flush();
                existing->dbf_ = DbfFile::openUnlocked(path, true);
                existing->writable_ = true;
                if (existing->index) existing->openIndex();
            }
            return existing;
        }
    }
    // Built outside the registry's lock: a damaged file throws, and the
    // half-made storage's destructor takes that lock itself.
    std::shared_ptr<TableStorage> s(new TableStorage);
    s->device_ = id.first;
    s->inode_ = id.second;
    s->dbf_ = DbfFile::openUnlocked(path, writable);
    s->writable_ = writable;
    s->codePage_ = codePageOfDriver(s->dbf_->header().languageDriver).value_or(defaultCodePage);
    if (s->dbf_->header().productionIndex) s->openIndex();
    std::lock_guard<std::mutex> guard(registryMutex);
    registry()[id] = s;
    return s;
}

TableStorage::~TableStorage() {
    try {
        close();
    } catch (...) {
        // A destructor cannot report; Table::close() calls close() first.
    }
    std::lock_guard<std::mutex> guard(registryMutex);
    auto it = registry().find({device_, inode_});
    if (it != registry().end() && it->second.expired()) registry().erase(it);
}

std::string TableStorage::mdxPath() const {
    const std::string dir = directoryOf(dbf_->path());
    const std::string name = mdxNameFor(fileNameOf(dbf_->path()));
    return findFileNoCase(dir, name).value_or(joinPath(dir, name));
}

void TableStorage::openIndex() {
    const std::string dir = directoryOf(dbf_->path());
    const std::string name = mdxNameFor(fileNameOf(dbf_->path()));
    auto found = findFileNoCase(dir, name);
    if (!found)
        throw EngineError(code::Corrupt,
                          "Не найден файл индекса " + name + " для таблицы " + dbf_->path() +
                              " (в заголовке таблицы отмечен индекс)");
    index.reset();
    index = ProductionIndex::open(*found, dbf_->fields(), codePage_, writable_);
}

void TableStorage::rekey() {
    const FileId id = idOf(dbf_->descriptor(), dbf_->path());
    std::lock_guard<std::mutex> guard(registryMutex);
    auto old = registry().find({device_, inode_});
    std::weak_ptr<TableStorage> self;
    if (old != registry().end()) {
        self = old->second;
        registry().erase(old);
    }
    device_ = id.first;
    inode_ = id.second;
    registry()[id] = self;
}

void TableStorage::flush() {
    if (index && writable_) index->flush();
    if (dbf_) dbf_->flush();
}

void TableStorage::close() {
    if (!dbf_) return;
    // A table that was written goes to the disk, index and data, before it is let go.
    if (index && writable_) index->sync();
    index.reset();
    auto dbf = std::move(dbf_);
    dbf->close();
}

}  // namespace kvzt::engine
