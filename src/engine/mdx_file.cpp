// Block store of an .mdx file (layout in engine/mdx_layout.h).

#include "engine/mdx_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/mdx_layout.h"

namespace kvzt::engine::mdx {

namespace {

constexpr std::size_t kCacheLimit = 32768;  // blocks (32 MB) kept before dirty ones are written out
constexpr std::size_t kMaxWriteBytes = 1 << 20;  // the largest single write of neighbouring dirty blocks

bool readAll(FileHandle fd, char* out, std::size_t bytes, std::uint64_t offset) {
    std::size_t done = 0;
    return fileIo().read(fd, out, bytes, offset, done) == 0 && done == bytes;
}

}  // namespace

void putToday(char* p) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    p[0] = char(tm.tm_year);
    p[1] = char(tm.tm_mon + 1);
    p[2] = char(tm.tm_mday);
}

std::unique_ptr<MdxFile> MdxFile::open(const std::string& path, bool writable) {
    std::unique_ptr<MdxFile> f(new MdxFile);
    f->path_ = path;
    f->writable_ = writable;
    if (int e = fileIo().open(path, writable ? OpenFlags::ReadWrite : OpenFlags::Read, f->fd_)) {
        if (e == ENOENT) throw EngineError(code::NoSuchTable, "Файл индекса «" + path + "» не найден");
        throwIoError(path, e);
    }
    f->readHeader();
    return f;
}

void MdxFile::readHeader() {
    const FileInfo st = io::info(fd_, path_);
    if (st.size < kHeaderSize || !readAll(fd_, header_, kHeaderSize, 0)) corrupt("нет заголовка");
    const char* h = header_;
    if (h[kHdrVersion] != 2) corrupt("неизвестная версия " + std::to_string(int(std::uint8_t(h[0]))));
    if (get16(h + kHdrPagesPerBlock) != kPagesPerBlock || get16(h + kHdrBlockBytes) != kBlockSize)
        corrupt("неподдерживаемый размер блока");
    if (std::uint8_t(h[kHdrSlotLength]) != kSlotLength) corrupt("неверная длина описания тега");
    if (get16(h + kHdrTagsInUse) > kMaxTags) corrupt("слишком много тегов");
    filePages_ = std::uint32_t(st.size / kPageSize);
    pages_ = get32(h + kHdrNextPage);
    if (pages_ < kFirstDataPage || pages_ > filePages_) corrupt("неверная длина файла в заголовке");
}

void MdxFile::replaceWith(const std::string& replacement) {
    requireWritable();
    cache_.clear();
    handedOut_.clear();
    tagHeaders_.clear();
    headerDirty_ = false;
    unsynced_ = false;
    // Closed before the rename: some systems cannot replace a file held open.
    io::close(fd_);
    fd_ = kNoFile;
    const int renameError = fileIo().rename(replacement, path_);
    int syncError = 0;
    if (renameError == 0) {
        const std::size_t slash = path_.find_last_of("/\\");
        syncError = fileIo().syncDirectory(slash == std::string::npos ? std::string(".") : path_.substr(0, slash));
    }
    fd_ = io::open(path_, OpenFlags::ReadWrite);
    readHeader();
    if (renameError != 0) throwIoError(path_, renameError);
    if (syncError != 0) throwIoError(path_, syncError);
}

std::unique_ptr<MdxFile> MdxFile::create(const std::string& path, const std::string& tableName) {
    std::unique_ptr<MdxFile> f(new MdxFile);
    f->path_ = path;
    f->writable_ = true;
    f->fd_ = io::open(path, OpenFlags::Create);
    char* h = f->header_;
    h[kHdrVersion] = 2;
    putToday(h + kHdrReindexDate);
    for (std::size_t i = 0; i < tableName.size() && i < 16; ++i)
        h[kHdrTableName + i] = char(std::toupper(static_cast<unsigned char>(tableName[i])));
    put16(h + kHdrPagesPerBlock, kPagesPerBlock);
    put16(h + kHdrBlockBytes, kBlockSize);
    h[kHdrProduction] = 1;
    h[kHdrSlotCount] = 48;
    h[kHdrSlotLength] = kSlotLength;
    put32(h + kHdrNextPage, kFirstDataPage);
    putToday(h + kHdrCreationDate);
    h[kHdrReservedFlag] = 1;
    f->headerDirty_ = true;
    f->flush();
    return f;
}

MdxFile::~MdxFile() { io::close(fd_); }

void MdxFile::corrupt(const std::string& what) const {
    throw EngineError(code::Corrupt, "Файл индекса «" + path_ + "» повреждён: " + what);
}

void MdxFile::requireWritable() const {
    if (!writable_) throw EngineError(code::ReadOnly, "Файл индекса «" + path_ + "» открыт только для чтения");
}

bool MdxFile::validPage(std::uint32_t page) const {
    return page >= kFirstDataPage && std::uint64_t(page) + kPagesPerBlock <= pages_;
}

MdxFile::Block& MdxFile::load(std::uint32_t page) {
    auto it = cache_.find(page);
    if (it != cache_.end()) return *it->second;
    if (!validPage(page)) corrupt("ссылка на блок " + std::to_string(page) + " за пределами файла");
    auto block = std::make_unique<Block>();
    if (page + kPagesPerBlock <= filePages_) {
        if (!readAll(fd_, block->data, kBlockSize, std::uint64_t(page) * kPageSize))
            corrupt("не читается блок " + std::to_string(page));
    } else {
        std::memset(block->data, 0, kBlockSize);
        if (page < filePages_) readAll(fd_, block->data, std::size_t(filePages_ - page) * kPageSize,
                                       std::uint64_t(page) * kPageSize);
    }
    Block& ref = *block;
    cache_.emplace(page, std::move(block));
    return ref;
}

const char* MdxFile::read(std::uint32_t page) { return load(page).data; }

char* MdxFile::write(std::uint32_t page) {
    requireWritable();
    Block& b = load(page);
    b.dirty = true;
    return b.data;
}

std::uint32_t MdxFile::allocate() {
    requireWritable();
    std::uint32_t head = get32(header_ + kHdrFreeHead);
    if (head != 0) {
        if (validPage(head) && !handedOut_.count(head)) {
            char* b = write(head);
            put32(header_ + kHdrFreeHead, get32(b + 4));
            std::memset(b, 0, kBlockSize);
            handedOut_.insert(head);
            headerDirty_ = true;
            return head;
        }
        put32(header_ + kHdrFreeHead, 0);  // a damaged free list is dropped, never followed
    }
    std::uint32_t page = pages_;
    pages_ += kPagesPerBlock;
    auto block = std::make_unique<Block>();
    std::memset(block->data, 0, kBlockSize);
    block->dirty = true;
    cache_[page] = std::move(block);
    handedOut_.insert(page);
    headerDirty_ = true;
    return page;
}

void MdxFile::release(std::uint32_t page) {
    char* b = write(page);
    std::memset(b, 0, kBlockSize);
    put32(b + 4, get32(header_ + kHdrFreeHead));
    put32(header_ + kHdrFreeHead, page);
    handedOut_.erase(page);
    headerDirty_ = true;
}

void MdxFile::writeRaw(std::uint32_t page, const char* data, std::size_t bytes) {
    requireWritable();
    unsynced_ = true;
    io::write(fd_, std::string_view(data, bytes), std::uint64_t(page) * kPageSize, path_);
    std::uint32_t end = page + std::uint32_t(bytes / kPageSize);
    for (std::uint32_t p = page; p < end; p += kPagesPerBlock) cache_.erase(p);
    if (end > pages_) pages_ = end;
    if (end > filePages_) filePages_ = end;
    headerDirty_ = true;
}

void MdxFile::truncateToHeader() {
    requireWritable();
    cache_.clear();
    handedOut_.clear();
    tagHeaders_.clear();
    unsynced_ = true;
    io::truncate(fd_, kHeaderSize, path_);
    pages_ = filePages_ = kFirstDataPage;
    put32(header_ + kHdrFreeHead, 0);
    headerDirty_ = true;
}

void MdxFile::writeBlocks(std::uint32_t page, const char* data, std::size_t bytes) {
    unsynced_ = true;
    io::write(fd_, std::string_view(data, bytes), std::uint64_t(page) * kPageSize, path_);
    const std::uint32_t end = page + std::uint32_t(bytes / kPageSize);
    if (end > filePages_) filePages_ = end;
}

void MdxFile::writeDirty() {
    // In file order, neighbouring blocks joined into one write: after many
    // inserts most leaves of a tag are dirty, and thousands of one-block
    // writes in hash order cost far more than a few large ones in order.
    // A block counts as clean only once its write has succeeded.
    std::vector<std::pair<std::uint32_t, Block*>> dirty;
    for (auto& [page, block] : cache_)
        if (block->dirty) dirty.emplace_back(page, block.get());
    std::sort(dirty.begin(), dirty.end());
    std::string run;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i <= dirty.size(); ++i) {
        const bool joins = i < dirty.size() && i > runStart &&
                           dirty[i].first == dirty[i - 1].first + kPagesPerBlock && run.size() < kMaxWriteBytes;
        if (i > runStart && !joins) {
            writeBlocks(dirty[runStart].first, run.data(), run.size());
            for (std::size_t j = runStart; j < i; ++j) dirty[j].second->dirty = false;
            run.clear();
            runStart = i;
        }
        if (i < dirty.size()) run.append(dirty[i].second->data, kBlockSize);
    }
}

void MdxFile::trim() {
    if (cache_.size() < kCacheLimit) return;
    if (writable_) writeDirty();
    cache_.clear();
}

void MdxFile::flush() {
    if (!writable_) return;
    writeDirty();
    if (headerDirty_) {
        put32(header_ + kHdrNextPage, pages_);
        putToday(header_ + kHdrReindexDate);
        unsynced_ = true;
        io::write(fd_, std::string_view(header_, kHeaderSize), 0, path_);
        headerDirty_ = false;
    }
}

void MdxFile::sync() {
    flush();
    if (!writable_ || !unsynced_) return;
    io::sync(fd_, path_);
    unsynced_ = false;
}

}  // namespace kvzt::engine::mdx
