// The production index of a table: an .mdx file holding up to 47 tags.
// Tag slots live in the file header (layout in engine/mdx_layout.h); the
// links of their binary search tree over tag names are rebuilt from the slot
// order whenever a tag is added or deleted.

#include "engine/production_index.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/mdx_bulk_build.h"
#include "engine/mdx_file.h"
#include "engine/mdx_layout.h"
#include "engine/mdx_tag.h"

namespace kvzt::engine {

namespace {

using namespace mdx;

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string baseName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

class MdxProductionIndex : public ProductionIndex {
public:
    MdxProductionIndex(std::unique_ptr<MdxFile> file, const std::vector<FieldDef>& fields, CodePage cp)
        : file_(std::move(file)), fields_(fields), cp_(cp) {
        // The table name the header holds (bytes 4-19), for files built anew.
        const char* name = file_->header() + kHdrTableName;
        tableName_.assign(name, strnlen(name, 16));
    }

    ~MdxProductionIndex() override {
        try {
            flush();
        } catch (...) {
            // A failed write at this point cannot be reported; flush() shows it to callers who care.
        }
    }

    void loadTags() {
        const char* h = file_->header();
        int n = get16(h + kHdrTagsInUse);
        for (int i = 0; i < n; ++i) {
            const char* slot = h + kSlotOffset + i * kSlotLength;
            std::uint32_t page = get32(slot);
            const char* nameEnd = static_cast<const char*>(std::memchr(slot + 4, '\0', 11));
            std::string name(slot + 4, nameEnd ? nameEnd : slot + 15);
            while (!name.empty() && name.back() == ' ') name.pop_back();
            if (name.empty()) file_->corrupt("тег без имени");
            if (!file_->validPage(page)) file_->corrupt("тег " + name + ": ссылка на заголовок за пределами файла");
            for (const auto& t : tags_)
                if (t->headerPage() == page) file_->corrupt("два тега с одним заголовком");
            tags_.push_back(MdxTag::load(*file_, page, name, fields_));
        }
    }

    std::vector<TagDefinition> definitions() override {
        std::vector<TagDefinition> out;
        for (const auto& t : tags_)
            out.push_back({t->name(), t->expression().text(), IndexOptions{t->unique(), t->descending()}});
        return out;
    }

    // Builds every tag of `defs` in one pass over the records (a new, empty file).
    void buildAll(const std::vector<TagDefinition>& defs, const RecordSource& records, std::uint32_t recordCount) {
        for (const TagDefinition& d : defs) {
            std::string upper = upperAscii(d.name);
            if (find(upper)) throw EngineError(code::InvalidParam, "Тег " + upper + " уже есть в индексе");
            tags_.push_back(std::make_unique<MdxTag>(*file_, upper, KeyExpression::parse(d.expression, fields_),
                                                     d.options));
        }
        if (tags_.size() > std::size_t(kMaxTags))
            throw EngineError(code::InvalidParam, "В индексе больше " + std::to_string(kMaxTags) + " тегов");
        std::vector<KeyBatch> batches = gatherKeys(tags_, records, recordCount);
        for (std::size_t i = 0; i < tags_.size(); ++i) {
            tags_[i]->bulkWrite(batches[i].keys, batches[i].recnos, sortedOrder(*tags_[i], batches[i]));
            batches[i] = KeyBatch();  // give the memory back early
        }
        slotsDirty_ = true;
        sync();
    }

    std::vector<IndexTag*> tags() override {
        std::vector<IndexTag*> out;
        for (const auto& t : tags_) out.push_back(t.get());
        return out;
    }

    IndexTag* tag(std::string_view name) override { return find(name); }

    void addTags(const std::vector<TagDefinition>& defs, const RecordSource& records,
                 std::uint32_t recordCount) override {
        file_->requireWritable();
        std::vector<std::unique_ptr<MdxTag>> added;
        for (const TagDefinition& d : defs) {
            std::string upper = upperAscii(d.name);
            bool good = !upper.empty() && upper.size() <= 10 && std::isalpha(static_cast<unsigned char>(upper[0]));
            for (char c : upper) good = good && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
            if (!good) throw EngineError(code::InvalidParam, "Недопустимое имя тега «" + d.name + "»");
            const bool twice = std::any_of(added.begin(), added.end(), [&](const auto& t) { return t->name() == upper; });
            if (find(upper) || twice) throw EngineError(code::InvalidParam, "Тег " + upper + " уже есть в индексе");
            if (tags_.size() + added.size() >= std::size_t(kMaxTags))
                throw EngineError(code::InvalidParam, "В индексе уже " + std::to_string(kMaxTags) + " тегов");
            added.push_back(std::make_unique<MdxTag>(*file_, upper, KeyExpression::parse(d.expression, fields_),
                                                     d.options));
        }
        std::vector<KeyBatch> batches = gatherKeys(added, records, recordCount);
        // Each tag goes in as addTag did it alone: header and slots flushed
        // before its blocks and after, so the bytes do not depend on how
        // many tags one pass built.
        for (std::size_t i = 0; i < added.size(); ++i) {
            flush();
            added[i]->bulkWrite(batches[i].keys, batches[i].recnos, sortedOrder(*added[i], batches[i]));
            batches[i] = KeyBatch();  // give the memory back early
            tags_.push_back(std::move(added[i]));
            slotsDirty_ = true;
            flush();
        }
    }

    void deleteTag(std::string_view name) override {
        file_->requireWritable();
        std::string upper = upperAscii(name);
        auto it = std::find_if(tags_.begin(), tags_.end(), [&](const auto& t) { return t->name() == upper; });
        if (it == tags_.end()) throw EngineError(code::NoSuchIndex, "Тега " + upper + " нет в индексе");
        // The header stops naming the tag before its blocks go on the free
        // list: a write that fails (a full disk) or a crash in between leaves
        // blocks unused, never a tag over blocks already reused.
        const std::unique_ptr<MdxTag> removed = std::move(*it);
        tags_.erase(it);
        slotsDirty_ = true;
        flush();
        removed->releaseBlocks();
        flush();
    }

    void insert(std::uint32_t recno, const char* record) override {
        file_->requireWritable();
        for (const auto& t : tags_) t->insertEntry(t->expression().evaluate(record, fields_, cp_), recno);
    }

    void update(std::uint32_t recno, const char* oldRecord, const char* newRecord) override {
        file_->requireWritable();
        for (const auto& t : tags_) {
            std::string before = t->expression().evaluate(oldRecord, fields_, cp_);
            std::string after = t->expression().evaluate(newRecord, fields_, cp_);
            if (before == after) continue;
            t->removeEntry(before, recno);
            t->insertEntry(after, recno);
        }
    }

    void rebuild(const RecordSource& records, const std::string& temporaryPath) override {
        file_->requireWritable();
        try {
            build(temporaryPath, tableName_, fields_, cp_, definitions(), records);
        } catch (...) {
            (void)fileIo().remove(temporaryPath);
            throw;
        }
        file_->replaceWith(temporaryPath);
        const char* h = file_->header();
        if (get16(h + kHdrTagsInUse) != tags_.size()) file_->corrupt("после перестроения не то число тегов");
        for (std::size_t i = 0; i < tags_.size(); ++i) {
            const std::uint32_t page = get32(h + kSlotOffset + i * kSlotLength);
            tags_[i]->adopt(*MdxTag::load(*file_, page, tags_[i]->name(), fields_));
        }
    }

    void flush() override {
        if (!file_->writable()) return;
        for (const auto& t : tags_) t->flushHeader();
        if (slotsDirty_) writeSlots();
        file_->flush();
    }

    void sync() override {
        flush();
        file_->sync();
    }

private:
    // The keys of every tag of `tags`, from one pass over the records.
    std::vector<KeyBatch> gatherKeys(const std::vector<std::unique_ptr<MdxTag>>& tags, const RecordSource& records,
                                     std::uint32_t recordCount) const {
        std::vector<KeyBatch> batches(tags.size());
        for (std::size_t i = 0; i < tags.size(); ++i) batches[i].reserve(recordCount, tags[i]->keyLength());
        records([&](std::uint32_t recno, const char* record) {
            for (std::size_t i = 0; i < tags.size(); ++i)
                batches[i].add(tags[i]->expression(), recno, record, fields_, cp_);
        });
        return batches;
    }

    MdxTag* find(std::string_view name) {
        std::string upper = upperAscii(name);
        for (const auto& t : tags_)
            if (t->name() == upper) return t.get();
        return nullptr;
    }

    // Slot i (1-based) links: left = smaller name, right = greater or equal,
    // parent; the tree is the one built by inserting the names in slot order.
    void writeSlots() {
        char* h = file_->header();
        put16(h + kHdrTagsInUse, std::uint16_t(tags_.size()));
        std::memset(h + kSlotOffset, 0, kHeaderSize - kSlotOffset);
        for (std::size_t i = 0; i < tags_.size(); ++i) {
            char* slot = h + kSlotOffset + i * kSlotLength;
            put32(slot, tags_[i]->headerPage());
            std::memcpy(slot + 4, tags_[i]->name().data(), std::min<std::size_t>(10, tags_[i]->name().size()));
            slot[15] = 0x10;
            slot[19] = 0x02;
            slot[20] = tags_[i]->keyType();
            if (i == 0) continue;
            std::size_t at = 0;
            for (;;) {
                char* parent = h + kSlotOffset + at * kSlotLength;
                int side = tags_[i]->name() < tags_[at]->name() ? 16 : 17;
                if (parent[side] == 0) {
                    parent[side] = char(i + 1);
                    slot[18] = char(at + 1);
                    break;
                }
                at = std::size_t(std::uint8_t(parent[side])) - 1;
            }
        }
        file_->markHeaderDirty();
        slotsDirty_ = false;
    }

    std::unique_ptr<MdxFile> file_;
    std::vector<FieldDef> fields_;
    CodePage cp_;
    std::string tableName_;
    std::vector<std::unique_ptr<MdxTag>> tags_;
    bool slotsDirty_ = false;
};

}  // namespace

std::unique_ptr<ProductionIndex> ProductionIndex::open(const std::string& mdxPath, const std::vector<FieldDef>& fields,
                                                       CodePage cp, bool writable) {
    auto index = std::make_unique<MdxProductionIndex>(MdxFile::open(mdxPath, writable), fields, cp);
    index->loadTags();
    return index;
}

void ProductionIndex::build(const std::string& mdxPath, const std::string& tableName,
                             const std::vector<FieldDef>& fields, CodePage cp, const std::vector<TagDefinition>& tags,
                             const RecordSource& records, std::uint32_t recordCount) {
    MdxProductionIndex index(MdxFile::create(mdxPath, baseName(tableName)), fields, cp);
    index.buildAll(tags, records, recordCount);
}

std::unique_ptr<ProductionIndex> ProductionIndex::create(const std::string& mdxPath, const std::string& tableName,
                                                         const std::vector<FieldDef>& fields, CodePage cp) {
    return std::make_unique<MdxProductionIndex>(MdxFile::create(mdxPath, baseName(tableName)), fields, cp);
}

}  // namespace kvzt::engine
