#include "engine/table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/field_codec.h"
#include "engine/file_io.h"
#include "engine/file_lock.h"
#include "engine/file_replacement.h"
#include "engine/path_util.h"
#include "engine/production_index.h"

namespace kvzt::engine {

namespace {

// Field names are ASCII: fold the case by hand, not through the locale.
bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<Table> Table::open(const std::string& path, OpenMode mode, CodePage defaultCodePage,
                                   Database* database) {
    std::unique_ptr<Table> t(new Table);
    t->mode_ = mode;
    // This cursor's own lock first: it decides whether the open may happen at all.
    t->lockFd_ = openTableFile(path, mode != OpenMode::ReadOnly);
    t->lock_ = tryLockFile(t->lockFd_, mode == OpenMode::Exclusive ? LockKind::Exclusive : LockKind::Shared);
    if (!t->lock_)
        throw EngineError(code::TableInUse, "Таблица используется другим пользователем или программой: " + path);
    // Holding a lock proves no pack or reindex is running: finish or undo one a crash cut short.
    settleInterruptedReplacement(path);
    t->storage_ = TableStorage::acquire(path, t->lockFd_, mode != OpenMode::ReadOnly, defaultCodePage);
    t->file_ = &t->storage_->dbf();
    t->codePage_ = t->storage_->codePage();
    t->database_ = database;
    if (database) {
        t->file_->setJournal(&database->journal());
        database->attach(t.get());
    }
    t->first();
    return t;
}

Table::ExclusiveUse::ExclusiveUse(Table& t) : table_(t) {
    t.requireWritable();
    if (t.mode_ == OpenMode::Exclusive) return;
    if (!t.lock_->convert(LockKind::Exclusive))
        throw EngineError(code::TableInUse,
                          "Таблица используется другим пользователем или программой, нужен монопольный доступ: " +
                              t.file_->path());
    converted_ = true;
}

Table::ExclusiveUse::~ExclusiveUse() {
    if (converted_ && table_.lock_) table_.lock_->convert(LockKind::Shared);
}

Table::~Table() {
    try {
        close();
    } catch (...) {
        // Errors on closing are reported by an explicit close().
    }
}

void Table::close() {
    if (!storage_) {
        // A failed open: only the lock may be held.
        lock_.reset();
        io::close(lockFd_);
        lockFd_ = kNoFile;
        return;
    }
    state_ = EditState::Browse;
    if (database_) database_->detach(this);
    database_ = nullptr;
    activeTag_ = nullptr;
    auto storage = std::move(storage_);
    file_ = nullptr;
    struct Unlock {
        Table* t;
        ~Unlock() {
            t->lock_.reset();
            io::close(t->lockFd_);
            t->lockFd_ = kNoFile;
        }
    } unlock{this};
    // The last cursor closes the files; the others leave them to the rest.
    if (storage.use_count() == 1)
        storage->close();
    else
        storage->flush();
}

const std::string& Table::path() const { return file_->path(); }

std::string Table::tableName() const {
    std::string name = fileNameOf(file_->path());
    auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

OpenMode Table::mode() const { return mode_; }
const std::vector<FieldDef>& Table::fields() const { return file_->fields(); }
std::uint32_t Table::recordCount() const { return file_->recordCount(); }
std::uint8_t Table::languageDriver() const { return file_->header().languageDriver; }

int Table::fieldIndex(std::string_view name) const {
    // Callers name fields with the same few literals over and over: the place
    // of a name is remembered by the address of its text, so a repeated
    // lookup is one comparison instead of a search through the fields. The
    // comparison keeps it right when another text comes at that address.
    const auto& fs = file_->fields();
    NameSlot& slot = nameSlots_[(reinterpret_cast<std::uintptr_t>(name.data()) >> 3) % kNameSlots];
    if (slot.text == name.data() && slot.index < fs.size() && equalsNoCase(fs[slot.index].name, name))
        return int(slot.index);
    for (size_t i = 0; i < fs.size(); ++i)
        if (equalsNoCase(fs[i].name, name)) {
            slot = NameSlot{name.data(), i};
            return int(i);
        }
    return -1;
}

const FieldDef& Table::field(std::string_view name) const { return fieldAt(name); }

int Table::fieldIndexOf(std::string_view name) const {
    const int i = fieldIndex(name);
    if (i < 0) throw EngineError(code::NoSuchField, "Нет поля " + std::string(name) + " в таблице " + file_->path());
    return i;
}

const FieldDef& Table::fieldNumber(int field) const {
    const auto& fs = file_->fields();
    if (field < 0 || size_t(field) >= fs.size())
        throw EngineError(code::NoSuchField, "Нет поля №" + std::to_string(field) + " в таблице " + file_->path());
    return fs[size_t(field)];
}

const FieldDef& Table::fieldAt(std::string_view name) const {
    int i = fieldIndex(name);
    if (i < 0)
        throw EngineError(code::NoSuchField, "Нет поля " + std::string(name) + " в таблице " + file_->path());
    return file_->fields()[size_t(i)];
}

// ---------------------------------------------------------------- navigation

bool Table::isVisible(std::uint32_t recno) const {
    if (recno == recno_ && !record_.empty()) return record_[0] != '*';
    scratch_.resize(size_t(file_->recordLength()));
    file_->readRecord(recno, scratch_.data());
    return scratch_[0] != '*';
}

void Table::loadRecord(std::uint32_t recno) {
    record_.resize(size_t(file_->recordLength()));
    file_->readRecord(recno, record_.data());
    recno_ = recno;
    ++recordsLoaded_;
}

// Moves to the first visible record at or after (forward) / before `from`.
void Table::positionNatural(bool forward, std::uint32_t from) {
    // Leaves the current record as it was when there is none to move to.
    const std::uint32_t count = file_->recordCount();
    scratch_.resize(size_t(file_->recordLength()));
    for (std::int64_t r = from; forward ? r <= std::int64_t(count) : r >= 1; r += forward ? 1 : -1) {
        if (r < 1) continue;
        file_->readRecord(std::uint32_t(r), scratch_.data());
        if (scratch_[0] != '*') {
            record_.swap(scratch_);
            recno_ = std::uint32_t(r);
            ++recordsLoaded_;
            eof_ = bof_ = false;
            return;
        }
    }
    if (forward)
        eof_ = true;
    else
        bof_ = true;
}

void Table::first() {
    cancel();
    eof_ = bof_ = false;
    bool found = activeTag_ ? tagFirst() : (positionNatural(true, 1), !eof_);
    if (!found) {
        eof_ = bof_ = true;
        recno_ = 0;
        record_.clear();
    }
    bof_ = true;
}

void Table::last() {
    cancel();
    eof_ = bof_ = false;
    bool found = activeTag_ ? tagLast() : (positionNatural(false, file_->recordCount()), !bof_);
    if (!found) {
        eof_ = bof_ = true;
        recno_ = 0;
        record_.clear();
    }
    eof_ = true;
}

void Table::next() {
    cancel();
    if (recno_ == 0) {
        eof_ = true;
        return;
    }
    bof_ = false;
    if (activeTag_) {
        if (!tagStep(true)) eof_ = true;
    } else {
        positionNatural(true, recno_ + 1);
    }
}

void Table::prior() {
    cancel();
    if (recno_ == 0) {
        bof_ = true;
        return;
    }
    eof_ = false;
    if (activeTag_) {
        if (!tagStep(false)) bof_ = true;
    } else {
        positionNatural(false, recno_ - 1);
    }
}

bool Table::isEmpty() const { return recno_ == 0; }

void Table::gotoBookmark(Bookmark mark) {
    cancel();
    if (mark.recno == 0 || mark.recno > file_->recordCount())
        throw EngineError(code::NoCurrentRecord, "Запись не найдена (закладка недействительна)");
    loadRecord(mark.recno);
    eof_ = bof_ = false;
    if (activeTag_) currentKey_ = activeTag_->expression().evaluate(record_.data(), fields(), codePage_);
}

// ---------------------------------------------------------------- field values

const char* Table::currentBytes() const {
    if (state_ != EditState::Browse) return editBuffer_.data();
    if (recno_ == 0) {
        // No current record (an empty table or range): every field reads empty.
        if (blank_.size() != size_t(file_->recordLength())) blank_.assign(size_t(file_->recordLength()), ' ');
        return blank_.data();
    }
    return record_.data();
}

Value Table::value(std::string_view name) const {
    const FieldDef& f = fieldAt(name);
    return decodeField(f, std::string_view(currentBytes() + f.offset, size_t(f.length)), codePage_);
}

std::string Table::asString(std::string_view name) const {
    const FieldDef& f = fieldAt(name);
    std::string_view raw(currentBytes() + f.offset, size_t(f.length));
    if (f.type == 'D') return Date::fromDbf(raw).toDisplay();
    return fieldText(f, raw, codePage_);
}

std::int64_t Table::asInteger(std::string_view name) const {
    Value v = value(name);
    if (auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto* d = std::get_if<double>(&v)) return std::int64_t(*d);
    if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    if (auto* s = std::get_if<std::string>(&v)) {
        auto n = parseNumber(*s);
        return n ? std::int64_t(*n) : 0;
    }
    return 0;
}

double Table::asFloat(std::string_view name) const {
    Value v = value(name);
    if (auto* i = std::get_if<std::int64_t>(&v)) return double(*i);
    if (auto* d = std::get_if<double>(&v)) return *d;
    if (auto* s = std::get_if<std::string>(&v)) return parseNumber(*s).value_or(0.0);
    return 0.0;
}

bool Table::asBoolean(std::string_view name) const {
    Value v = value(name);
    if (auto* b = std::get_if<bool>(&v)) return *b;
    return false;
}

Date Table::asDate(std::string_view name) const {
    Value v = value(name);
    if (auto* d = std::get_if<Date>(&v)) return *d;
    return {};
}

bool Table::isNull(std::string_view name) const {
    const FieldDef& f = fieldAt(name);
    return isBlankField(std::string_view(currentBytes() + f.offset, size_t(f.length)));
}

std::string Table::asStringAt(int field) const {
    const FieldDef& f = fieldNumber(field);
    std::string_view raw(currentBytes() + f.offset, size_t(f.length));
    if (f.type == 'D') return Date::fromDbf(raw).toDisplay();
    return fieldText(f, raw, codePage_);
}

std::string_view Table::rawFieldAt(int field) const {
    const FieldDef& f = fieldNumber(field);
    return std::string_view(currentBytes() + f.offset, size_t(f.length));
}

std::string Table::rawField(std::string_view name) const {
    const FieldDef& f = fieldAt(name);
    return std::string(currentBytes() + f.offset, size_t(f.length));
}

bool Table::isDeleted() const { return recno_ != 0 && state_ == EditState::Browse && record_[0] == '*'; }

// ---------------------------------------------------------------- editing

void Table::requireRecord() const {
    if (recno_ == 0) throw EngineError(code::NoCurrentRecord, "Нет текущей записи в таблице " + file_->path());
}

void Table::requireWritable() const {
    if (mode_ == OpenMode::ReadOnly)
        throw EngineError(code::ReadOnly, "Таблица открыта только для чтения: " + file_->path());
}

void Table::append() {
    requireWritable();
    cancel();
    editBuffer_.assign(size_t(file_->recordLength()), ' ');
    state_ = EditState::Insert;
}

void Table::edit() {
    requireWritable();
    if (state_ != EditState::Browse) return;  // already editing: keep the buffer
    requireRecord();
    // Read the record afresh: another cursor may have changed it since we moved here.
    loadRecord(recno_);
    editBuffer_ = record_;
    state_ = EditState::Edit;
}

char* Table::editBytes(std::string_view name, const FieldDef*& def) {
    if (state_ == EditState::Browse)
        throw EngineError(code::InvalidState, "Таблица не в режиме редактирования: " + file_->path());
    def = &fieldAt(name);
    return editBuffer_.data() + def->offset;
}

void Table::setValue(std::string_view name, const Value& v) {
    const FieldDef* f = nullptr;
    char* out = editBytes(name, f);
    // Encode into a scratch copy first: a value that does not fit leaves the field as it was.
    char small[256];
    std::string large;
    char* scratch = small;
    if (f->length > int(sizeof small)) {
        large.resize(size_t(f->length));
        scratch = large.data();
    }
    encodeField(*f, v, scratch, codePage_);
    std::memcpy(out, scratch, size_t(f->length));
}

void Table::setString(std::string_view name, std::string_view utf8) { setStringAt(fieldIndexOf(name), utf8); }

void Table::setStringAt(int field, std::string_view utf8) {
    if (state_ == EditState::Browse)
        throw EngineError(code::InvalidState, "Таблица не в режиме редактирования: " + file_->path());
    const FieldDef& f = fieldNumber(field);
    if (f.type != 'C' || f.length > 256) {
        setValue(f.name, std::string(utf8));
        return;
    }
    // Text goes straight from UTF-8 into the field, without a Value copy;
    // through a scratch copy, so a failed conversion leaves the field as it was.
    char scratch[256];
    std::memset(scratch, ' ', size_t(f.length));
    fromUtf8Into(utf8, codePage_, scratch, size_t(f.length));
    std::memcpy(editBuffer_.data() + f.offset, scratch, size_t(f.length));
}

void Table::setInteger(std::string_view name, std::int64_t v) { setValue(name, v); }
void Table::setFloat(std::string_view name, double v) { setValue(name, v); }
void Table::setBoolean(std::string_view name, bool v) { setValue(name, v); }
void Table::setDate(std::string_view name, const Date& v) { setValue(name, v); }
void Table::setNull(std::string_view name) { setValue(name, std::monostate{}); }

void Table::post() {
    if (state_ == EditState::Browse) return;
    if (state_ == EditState::Insert) {
        std::uint32_t recno = file_->appendRecord(editBuffer_.data());
        if (storage_->index) storage_->index->insert(recno, editBuffer_.data());
        recno_ = recno;
    } else {
        if (editBuffer_ != record_) {
            file_->writeRecord(recno_, editBuffer_.data());
            if (storage_->index) storage_->index->update(recno_, record_.data(), editBuffer_.data());
        }
    }
    record_.swap(editBuffer_);  // keeps both buffers' memory for the next record
    editBuffer_.clear();
    state_ = EditState::Browse;
    eof_ = bof_ = false;
    if (activeTag_) currentKey_ = activeTag_->expression().evaluate(record_.data(), fields(), codePage_);
}

void Table::appendRecordBytes(std::string_view record) {
    requireWritable();
    cancel();
    if (record.size() != size_t(file_->recordLength()))
        throw EngineError(code::InvalidParam, "Запись не той длины для таблицы " + file_->path());
    editBuffer_.assign(record);
    state_ = EditState::Insert;
    post();
}

void Table::cancel() {
    if (state_ == EditState::Browse) return;
    state_ = EditState::Browse;
    editBuffer_.clear();
}

void Table::deleteRecord() {
    requireWritable();
    cancel();
    requireRecord();
    loadRecord(recno_);
    record_[0] = '*';
    file_->writeRecord(recno_, record_.data());
    // The keys of a deleted record stay in the tags until a pack, as in dBase.
    const std::uint32_t deleted = recno_;
    bool moved = false;
    if (activeTag_) {
        moved = tagStep(true);
    } else {
        positionNatural(true, deleted + 1);
        moved = !eof_;
    }
    if (!moved) {
        recno_ = 0;
        record_.clear();
        eof_ = true;
    }
}

void Table::requireNoTransaction(const char* what) const {
    if (database_ && database_->inTransaction())
        throw EngineError(code::TransactionState,
                          std::string(what) + " невозможно внутри транзакции: " + file_->path());
}

void Table::emptyTable() {
    cancel();
    requireNoTransaction("Очистка таблицы");
    ExclusiveUse exclusive(*this);
    replaceContents({});
    recno_ = 0;
    first();
}

void Table::detachFromDatabase() {
    if (file_) file_->setJournal(nullptr);
    database_ = nullptr;
}

void Table::reloadAfterRollback(bool reloadStorage) {
    cancel();
    if (reloadStorage) {
        file_->reload();
        if (productionIndex()) productionIndex()->rebuild(recordSource(), replacementNames(path()).reindex);
    }
    if (recno_ > file_->recordCount()) recno_ = 0;
    if (recno_ != 0) {
        loadRecord(recno_);
        if (activeTag_) currentKey_ = activeTag_->expression().evaluate(record_.data(), fields(), codePage_);
    } else {
        first();
    }
}

RecordSource Table::recordSource() {
    return [this](const RecordVisitor& visit) {
        const std::uint32_t count = file_->recordCount();
        std::string buf(size_t(file_->recordLength()), '\0');
        for (std::uint32_t r = 1; r <= count; ++r) {
            file_->readRecord(r, buf.data());
            visit(r, buf.data());
            busy(r);
        }
    };
}

void Table::callBusyHook() const {
    try {
        busyHook_();
    } catch (...) {
        // See setBusyHook: a long step is never stopped half-way from here.
    }
}

}  // namespace kvzt::engine
