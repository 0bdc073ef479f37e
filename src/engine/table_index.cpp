// The index side of the table cursor: tag order, seeks, ranges, tag
// maintenance and pack.

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/file_lock.h"
#include "engine/file_replacement.h"
#include "engine/path_util.h"
#include "engine/production_index.h"
#include "engine/table.h"

namespace kvzt::engine {

namespace {

// Compares `key` with a range bound on the bound's length (character keys
// compare only as many bytes as the bound holds).
int compareWithBound(char type, std::string_view key, std::string_view bound) {
    if (type == 'C' && key.size() > bound.size()) key = key.substr(0, bound.size());
    return compareKeys(type, key, bound);
}

}  // namespace

std::vector<std::string> Table::tagNames() const {
    std::vector<std::string> names;
    if (storage_->index)
        for (IndexTag* t : storage_->index->tags()) names.push_back(t->name());
    return names;
}

std::string Table::indexName() const { return activeTag_ ? activeTag_->name() : std::string(); }

std::vector<std::string> Table::keyFields() const {
    if (!activeTag_) return {};
    return activeTag_->expression().fieldNames(fields());
}

void Table::setIndex(std::string_view tag) {
    cancel();
    IndexTag* target = nullptr;
    if (!tag.empty()) {
        target = storage_->index ? storage_->index->tag(tag) : nullptr;
        if (!target)
            throw EngineError(code::NoSuchIndex, "Нет индекса " + std::string(tag) + " у таблицы " + file_->path());
    }
    if (target == activeTag_) return;
    activeTag_ = target;
    range_.reset();
    // Stay on the current record where there is one.
    if (recno_ != 0 && activeTag_) {
        loadRecord(recno_);
        currentKey_ = activeTag_->expression().evaluate(record_.data(), fields(), codePage_);
        eof_ = bof_ = false;
    } else if (recno_ == 0) {
        first();
    }
}

bool Table::inRange(std::string_view key) const {
    if (!range_ || !activeTag_) return true;
    char type = activeTag_->expression().keyType();
    return compareWithBound(type, key, range_->low) >= 0 && compareWithBound(type, key, range_->high) <= 0;
}

bool Table::tagFirst() {
    std::optional<IndexEntry> e = range_ ? activeTag_->seek(range_->low) : activeTag_->first();
    while (e && !isVisible(e->recno)) e = activeTag_->next(*e);
    if (!e || !inRange(e->key)) return false;
    loadRecord(e->recno);
    currentKey_ = e->key;
    return true;
}

bool Table::tagLast() {
    std::optional<IndexEntry> e;
    if (range_) {
        // The last entry not above the upper bound: walk past the entries equal
        // to the bound, then step back once.
        const char type = activeTag_->expression().keyType();
        std::optional<IndexEntry> probe = activeTag_->seek(range_->high);
        std::optional<IndexEntry> lastEqual;
        while (probe && compareWithBound(type, probe->key, range_->high) == 0) {
            lastEqual = probe;
            probe = activeTag_->next(*probe);
        }
        e = lastEqual ? lastEqual : (probe ? activeTag_->prior(*probe) : activeTag_->last());
    } else {
        e = activeTag_->last();
    }
    while (e && !isVisible(e->recno)) e = activeTag_->prior(*e);
    if (!e || !inRange(e->key)) return false;
    loadRecord(e->recno);
    currentKey_ = e->key;
    return true;
}

bool Table::tagStep(bool forward) {
    IndexEntry from{currentKey_, recno_};
    std::optional<IndexEntry> e = forward ? activeTag_->next(from) : activeTag_->prior(from);
    while (e && !isVisible(e->recno)) e = forward ? activeTag_->next(*e) : activeTag_->prior(*e);
    if (!e || !inRange(e->key)) return false;
    loadRecord(e->recno);
    currentKey_ = e->key;
    return true;
}

std::vector<std::uint32_t> Table::visibleRecords() {
    cancel();
    // One sequential pass learns which records are deleted: checking each
    // entry's record in tag order would read the file in random order.
    const std::uint32_t count = file_->recordCount();
    std::vector<bool> live(size_t(count) + 1, false);
    scratch_.resize(size_t(file_->recordLength()));
    for (std::uint32_t r = 1; r <= count; ++r) {
        file_->readRecord(r, scratch_.data());
        live[r] = scratch_[0] != '*';
        busy(r);
    }
    std::vector<std::uint32_t> records;
    if (!activeTag_) {
        for (std::uint32_t r = 1; r <= count; ++r)
            if (live[r]) records.push_back(r);
        return records;
    }
    // The same walk as first() and next(): from the range's low bound to the
    // first entry outside it.
    std::optional<IndexEntry> e = range_ ? activeTag_->seek(range_->low) : activeTag_->first();
    for (; e; e = activeTag_->next(*e)) {
        if (!inRange(e->key)) break;
        if (e->recno <= count && live[e->recno]) records.push_back(e->recno);
    }
    return records;
}

bool Table::findKey(const std::vector<Value>& values, int fieldCount) {
    cancel();
    if (!activeTag_) throw EngineError(code::NoSuchIndex, "Поиск по ключу без индекса: " + file_->path());
    const KeyExpression& expr = activeTag_->expression();
    int count = fieldCount < 0 ? int(values.size()) : std::min<int>(fieldCount, int(values.size()));
    std::string prefix = expr.prefix(values, count, fields(), codePage_);
    for (auto e = activeTag_->seek(prefix); e; e = activeTag_->next(*e)) {
        if (compareWithBound(expr.keyType(), e->key, prefix) != 0) break;
        if (!isVisible(e->recno) || !inRange(e->key)) continue;
        loadRecord(e->recno);
        currentKey_ = e->key;
        eof_ = bof_ = false;
        return true;
    }
    return false;
}

void Table::setRange(const std::vector<Value>& from, const std::vector<Value>& to) {
    cancel();
    if (!activeTag_) throw EngineError(code::NoSuchIndex, "Диапазон без индекса: " + file_->path());
    const KeyExpression& expr = activeTag_->expression();
    range_ = Range{expr.prefix(from, int(from.size()), fields(), codePage_),
                   expr.prefix(to, int(to.size()), fields(), codePage_)};
    first();
}

void Table::cancelRange() {
    if (!range_) return;
    range_.reset();
    if (recno_ == 0) first();
}

void Table::addIndex(std::string_view tag, std::string_view expression, IndexOptions options) {
    addIndexes({TagDefinition{std::string(tag), std::string(expression), options}});
}

void Table::addIndexes(const std::vector<TagDefinition>& tags) {
    requireWritable();
    cancel();
    if (tags.empty()) return;
    for (const TagDefinition& tag : tags) {
        if (storage_->index && storage_->index->tag(tag.name))
            throw EngineError(code::InvalidParam, "Индекс " + tag.name + " уже есть у " + file_->path());
    }
    ExclusiveUse exclusive(*this);
    if (!storage_->index) {
        storage_->index = ProductionIndex::create(storage_->mdxPath(), tableName(), fields(), codePage_);
    }
    file_->flush();
    storage_->index->addTags(tags, recordSource(), file_->recordCount());
    storage_->index->flush();
    file_->setProductionIndexFlag(true);
}

void Table::deleteIndex(std::string_view tag) {
    requireWritable();
    cancel();
    IndexTag* t = storage_->index ? storage_->index->tag(tag) : nullptr;
    if (!t) throw EngineError(code::NoSuchIndex, "Нет индекса " + std::string(tag) + " у таблицы " + file_->path());
    ExclusiveUse exclusive(*this);
    if (t == activeTag_) {
        activeTag_ = nullptr;
        range_.reset();
    }
    // The last tag takes the whole file with it: putting its blocks on the
    // free list first would read every block of a tag that may span a
    // million records, only to delete the file.
    const bool last = storage_->index->tags().size() == 1;
    if (!last) storage_->index->deleteTag(tag);
    if (last) {
        // No tags left: the .mdx goes and the table no longer claims one.
        auto found = findFileNoCase(directoryOf(file_->path()), mdxNameFor(fileNameOf(file_->path())));
        storage_->index.reset();
        file_->setProductionIndexFlag(false);
        if (found) io::remove(*found);
    } else {
        storage_->index->flush();
    }
}

void Table::pack() {
    requireWritable();
    cancel();
    requireNoTransaction("Уплотнение таблицы");
    ExclusiveUse exclusive(*this);
    std::vector<std::uint32_t> keep;
    keep.reserve(file_->recordCount());
    std::string buf(size_t(file_->recordLength()), '\0');
    for (std::uint32_t r = 1; r <= file_->recordCount(); ++r) {
        file_->readRecord(r, buf.data());
        if (buf[0] != '*') keep.push_back(r);
        busy(r);
    }
    if (keep.size() != file_->recordCount()) {
        // Copying a large table takes a while of its own: a turn before and after.
        const bool large = file_->recordCount() >= kRecordsPerBusyCall;
        if (large && busyHook_) callBusyHook();
        replaceContents(keep);
        if (large && busyHook_) callBusyHook();
    } else if (storage_->index) {
        rebuildIndex(storage_->index->definitions());
    }
    range_.reset();
    recno_ = 0;
    first();
}

void Table::replaceContents(const std::vector<std::uint32_t>& keep) {
    const std::string path = file_->path();
    const std::string directory = directoryOf(path);
    const ReplacementNames names = replacementNames(path);
    const std::vector<TagDefinition> tags = storage_->index ? storage_->index->definitions() : std::vector<TagDefinition>{};
    const std::string mdxPath = storage_->index ? storage_->mdxPath() : std::string();
    const std::string active = indexName();

    io::File fresh(file_->writeCopy(keep, names.table));
    std::unique_ptr<FileLock> freshLock = tryLockFile(fresh.get(), LockKind::Exclusive);
    try {
        if (!freshLock) throw EngineError(code::TableInUse, "Новый файл таблицы занят: " + names.table);
        if (storage_->index) {
            std::string record(size_t(file_->recordLength()), '\0');
            ProductionIndex::build(
                names.packIndex, tableName(), fields(), codePage_, tags,
                [&](const RecordVisitor& visit) {
                    for (std::size_t i = 0; i < keep.size(); ++i) {
                        file_->readRecord(keep[i], record.data());
                        visit(std::uint32_t(i + 1), record.data());
                    }
                },
                std::uint32_t(keep.size()));
        }
        renameOverTable(names.table);
    } catch (...) {
        freshLock.reset();
        fresh.reset();
        (void)fileIo().remove(names.packIndex);
        (void)fileIo().remove(names.table);
        throw;
    }
    // The new table has the name now: its lock becomes this cursor's, and the
    // shared storage reads the new file. The old index describes the old table.
    activeTag_ = nullptr;
    range_.reset();
    lock_.reset();
    io::close(lockFd_);
    lockFd_ = fresh.release();
    lock_ = std::move(freshLock);
    storage_->index.reset();
    file_->reopen();
    storage_->rekey();
    io::syncDirectory(directory);
    if (mdxPath.empty()) return;
    // A failure from here leaves the new index beside the table; the next open puts it in place.
    io::rename(names.packIndex, mdxPath);
    io::syncDirectory(directory);
    storage_->openIndex();
    if (!active.empty()) activeTag_ = storage_->index->tag(active);
}

// Linux and Windows 10 (its POSIX rename) replace a file that is open;
// older Windows versions and Wine refuse while any handle of the old file is
// open, ours included. Then this cursor lets go of its handles of the old
// table, the storage's and its own (no other cursor of ours has the table:
// ours is the exclusive lock), and the rename is tried once more. Our lock
// lives on our handle, so the old table is unlocked for that moment; that is
// safe, because a system that refuses to replace an open file refuses while
// anyone else has it open too: either nobody came in and the rename puts the
// new file, locked before it got the name, in place; or it is refused and the
// old table, whole, is taken up again.
void Table::renameOverTable(const std::string& from) {
    const std::string path = file_->path();
    int e = fileIo().rename(from, path);
    if (e == 0) return;
    if (e != EACCES && e != EBUSY && e != EPERM) throwIoError(path, e);
    file_->letGo();
    lock_.reset();
    io::close(lockFd_);
    lockFd_ = kNoFile;
    e = fileIo().rename(from, path);
    if (e == 0) return;  // the caller gives this cursor the new file and its lock
    lockFd_ = openTableFile(path, true);
    lock_ = tryLockFile(lockFd_, LockKind::Exclusive);
    const bool regained = lock_ != nullptr;
    if (!regained) lock_ = tryLockFile(lockFd_, LockKind::Shared);
    file_->reopen();
    if (!regained)
        throw EngineError(code::TableInUse,
                          "Таблицу открыла другая программа, таблица не изменена: " + path);
    throwIoError(path, e);
}

void Table::rebuildIndex(const std::vector<TagDefinition>& tags) {
    requireWritable();
    cancel();
    ExclusiveUse exclusive(*this);
    file_->flush();
    const std::string path = file_->path();
    const std::string directory = directoryOf(path);
    const std::string temporary = replacementNames(path).reindex;
    const std::string mdxPath = storage_->mdxPath();
    const std::string active = indexName();
    activeTag_ = nullptr;
    range_.reset();
    if (tags.empty()) {
        // The table stops claiming an index before the file goes.
        storage_->index.reset();
        file_->setProductionIndexFlag(false);
        file_->sync();
        io::remove(mdxPath);
        return;
    }
    try {
        ProductionIndex::build(temporary, tableName(), fields(), codePage_, tags, recordSource(), file_->recordCount());
    } catch (...) {
        (void)fileIo().remove(temporary);
        throw;
    }
    const bool hadIndex = storage_->index != nullptr;
    storage_->index.reset();
    try {
        io::rename(temporary, mdxPath);
        io::syncDirectory(directory);
    } catch (...) {
        (void)fileIo().remove(temporary);
        if (hadIndex) storage_->openIndex();  // the old index is still whole
        throw;
    }
    file_->setProductionIndexFlag(true);
    file_->sync();
    storage_->openIndex();
    if (!active.empty()) activeTag_ = storage_->index->tag(active);
    if (activeTag_ && recno_ != 0 && recno_ <= file_->recordCount()) {
        loadRecord(recno_);
        currentKey_ = activeTag_->expression().evaluate(record_.data(), fields(), codePage_);
    }
}

}  // namespace kvzt::engine
