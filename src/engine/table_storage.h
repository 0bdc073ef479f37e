#pragma once
// What the cursors of one table in this process share: the .dbf file with
// its gathered appends and read cache, and the production index with its
// page cache. Sharing them is what lets a cursor see at once what another
// cursor of the same table posted, and keeps two cursors from writing the
// same index pages from stale copies. Locks stay per cursor (Table).

#include <memory>
#include <string>

#include "engine/code_page.h"
#include "engine/dbf_file.h"
#include "engine/production_index.h"

namespace kvzt::engine {

class TableStorage {
public:
    // The storage of the file that `lockedFd` (a descriptor of `path` held by
    // the calling cursor) refers to: the one already open in this process, or
    // a new one. `writable` asks for write access to the files.
    static std::shared_ptr<TableStorage> acquire(const std::string& path, FileHandle lockedFd, bool writable,
                                                 CodePage defaultCodePage);
    ~TableStorage();
    TableStorage(const TableStorage&) = delete;
    TableStorage& operator=(const TableStorage&) = delete;

    DbfFile& dbf() { return *dbf_; }
    CodePage codePage() const { return codePage_; }
    std::unique_ptr<ProductionIndex> index;  // null when the table has no .mdx

    // The .mdx path this table uses (existing file whatever its case, or the new name).
    std::string mdxPath() const;
    // Opens the .mdx the header announces; throws Corrupt when it is missing or damaged.
    void openIndex();
    // After a pack replaced the file and dbf() was reopened: registers the
    // storage under the new file's identity, as the next cursor's open sees
    // it (Wine gives a handle made by creating a file no volume number).
    void rekey();
    void flush();
    void close();  // flush, sync what was written, close; errors are thrown

private:
    TableStorage() = default;
    std::unique_ptr<DbfFile> dbf_;
    CodePage codePage_ = CodePage::Cp1251;
    bool writable_ = false;
    unsigned long long device_ = 0, inode_ = 0;
};

}  // namespace kvzt::engine
