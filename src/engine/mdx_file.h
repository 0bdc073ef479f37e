#pragma once
// Block store of an .mdx file: the 2048-byte file header kept in memory, a
// cache of 1024-byte blocks (dirty ones written on flush or when the cache
// grows large), allocation from the free-block list or at the end of the file.
// Layout of the header and blocks: engine/mdx_layout.h.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "engine/file_io.h"

namespace kvzt::engine::mdx {

class MdxFile {
public:
    // Opens an existing file and checks its header; throws Corrupt or NoSuchTable.
    static std::unique_ptr<MdxFile> open(const std::string& path, bool writable);
    // Creates (truncates) a file holding just a header for `tableName`.
    static std::unique_ptr<MdxFile> create(const std::string& path, const std::string& tableName);
    ~MdxFile();
    MdxFile(const MdxFile&) = delete;
    MdxFile& operator=(const MdxFile&) = delete;

    const std::string& path() const { return path_; }
    bool writable() const { return writable_; }

    char* header() { return header_; }
    void markHeaderDirty() { headerDirty_ = true; }

    // A block for reading; valid until the next trim(). Throws Corrupt for a
    // page outside the file.
    const char* read(std::uint32_t page);
    // The same, marked to be written.
    char* write(std::uint32_t page);
    // A zeroed block from the free list or the end of the file.
    std::uint32_t allocate();
    // Puts a block on the free list.
    void release(std::uint32_t page);

    std::uint32_t pageCount() const { return pages_; }
    // Tag header blocks, so that a node pointer to one is seen as damage.
    void addTagHeader(std::uint32_t page) { tagHeaders_.insert(page); }
    void removeTagHeader(std::uint32_t page) { tagHeaders_.erase(page); }
    bool isTagHeader(std::uint32_t page) const { return tagHeaders_.count(page) != 0; }
    bool validPage(std::uint32_t page) const;

    // Writes bytes of whole blocks at `page`, bypassing the cache (bulk builds
    // at the end of the file); the page count grows to cover them.
    void writeRaw(std::uint32_t page, const char* data, std::size_t bytes);
    // Drops every block and tag: the file becomes its header alone.
    void truncateToHeader();
    // Renames the complete index `replacement` over this file and reads it
    // instead (the cache is dropped; tags reload their headers). On failure
    // the file under our name, old or new, is read again and the error thrown.
    void replaceWith(const std::string& replacement);

    // Writes dirty blocks and drops the cache when it holds too many blocks.
    void trim();
    // Writes every dirty block and the header.
    void flush();
    // flush() and force the file to the disk when anything was written since the last sync.
    void sync();

    [[noreturn]] void corrupt(const std::string& what) const;
    void requireWritable() const;

private:
    MdxFile() = default;
    // Reads and checks the file header of the open file.
    void readHeader();
    struct Block {
        char data[1024];
        bool dirty = false;
    };
    Block& load(std::uint32_t page);
    // Whole blocks from `page` on, in one write.
    void writeBlocks(std::uint32_t page, const char* data, std::size_t bytes);
    void writeDirty();

    std::string path_;
    bool writable_ = false;
    FileHandle fd_ = kNoFile;
    bool unsynced_ = false;  // written since the last sync
    char header_[2048] = {};
    bool headerDirty_ = false;
    std::uint32_t pages_ = 4;       // next page to allocate
    std::uint32_t filePages_ = 4;   // pages present on disk
    std::unordered_map<std::uint32_t, std::unique_ptr<Block>> cache_;
    std::unordered_set<std::uint32_t> handedOut_;
    std::unordered_set<std::uint32_t> tagHeaders_;  // pages allocated since open (free-list loop guard)
};

// Today's date as the three header bytes YY-1900, MM, DD.
void putToday(char* p);

}  // namespace kvzt::engine::mdx
