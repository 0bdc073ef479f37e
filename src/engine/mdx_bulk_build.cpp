// Bulk build of a tag: entries sorted once, then written bottom-up at the end
// of the file: the tag header block, the leaves filled in order, then each
// level of branches (at most maxKeys - 1 separators each) up to the root.

#include "engine/mdx_bulk_build.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/errors.h"
#include "engine/mdx_file.h"
#include "engine/mdx_layout.h"
#include "engine/mdx_tag.h"

namespace kvzt::engine::mdx {

namespace {

// Gathers consecutive blocks and writes them in large pieces.
class BlockWriter {
public:
    BlockWriter(MdxFile& file, std::uint32_t firstPage) : file_(file), bufferPage_(firstPage), nextPage_(firstPage) {}
    char* add(std::uint32_t& page) {
        if (buffer_.size() >= kFlushBytes) finish();
        page = nextPage_;
        nextPage_ += kPagesPerBlock;
        buffer_.resize(buffer_.size() + kBlockSize, '\0');
        return buffer_.data() + buffer_.size() - kBlockSize;
    }
    void finish() {
        if (!buffer_.empty()) file_.writeRaw(bufferPage_, buffer_.data(), buffer_.size());
        bufferPage_ = nextPage_;
        buffer_.clear();
    }

private:
    static constexpr std::size_t kFlushBytes = 1 << 20;
    MdxFile& file_;
    std::uint32_t bufferPage_;
    std::uint32_t nextPage_;
    std::string buffer_;
};

// Character keys are sorted twenty-four bytes at a time: each entry carries
// the twenty-four bytes of its key at the current offset as three numbers,
// the entries are sorted on those, and every run of entries still equal is
// sorted again on the next twenty-four bytes. Comparisons stay within the
// small entries (the keys themselves are read once per step), which matters
// when many keys share a long start, as names of one family do, or a code
// and the start of a street's name; a second step reads its keys in no
// order, so the first covers as much as a code and a name's start.
constexpr std::size_t kItemBytes = 24;

struct CharItem {
    std::uint64_t high;
    std::uint64_t mid;
    std::uint64_t low;
    std::uint32_t index;
};

// Up to eight bytes as a big-endian number, zeros past `available`.
std::uint64_t bigEndian(const char* p, std::size_t available) {
    if (available >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
        return v;
    }
    std::uint64_t v = 0;
    for (std::size_t b = 0; b < 8; ++b) v = (v << 8) | (b < available ? static_cast<unsigned char>(p[b]) : 0u);
    return v;
}

// Keys gathered from a table often come nearly in order already: a table
// filled in code order, whose names are unordered only within one code, or
// such a table with another stretch appended after it. Such input is taken
// as the few stretches that ascend on the first eight bytes: within each,
// only the entries that share those bytes need sorting, and the stretches
// are then merged. False, with nothing moved, for input with more stretches
// and for few entries.
template <typename Less>
bool sortInStretches(CharItem* first, CharItem* last, Less less) {
    constexpr std::size_t kMaxStretches = 16;
    constexpr std::ptrdiff_t kFewest = 256;
    if (last - first < kFewest) return false;
    auto highBefore = [&less](const CharItem& x, const CharItem& y) {
        return less(CharItem{x.high, 0, 0, 0}, CharItem{y.high, 0, 0, 0});
    };
    CharItem* bounds[kMaxStretches + 1];
    std::size_t stretches = 0;
    bounds[0] = first;
    for (CharItem* p = first + 1; p != last; ++p) {
        if (!highBefore(*p, p[-1])) continue;
        if (++stretches == kMaxStretches) return false;
        bounds[stretches] = p;
    }
    bounds[++stretches] = last;
    for (CharItem* group = first; group != last;) {
        CharItem* end = group + 1;
        while (end != last && end->high == group->high) ++end;
        if (end - group > 1) std::sort(group, end, less);
        group = end;
    }
    // Merge neighbouring stretches until one is left.
    for (std::size_t width = 1; width < stretches; width *= 2) {
        for (std::size_t i = 0; i + width < stretches; i += 2 * width) {
            std::inplace_merge(bounds[i], bounds[i + width], bounds[std::min(i + 2 * width, stretches)], less);
        }
    }
    return true;
}

class CharKeySorter {
public:
    CharKeySorter(const char* keys, std::size_t len, const std::vector<std::uint32_t>& recnos, bool descending)
        : keys_(keys), len_(len), recnos_(recnos), descending_(descending) {}

    void load(CharItem& item, std::size_t offset) const {
        const char* k = keys_ + std::size_t(item.index) * len_ + offset;
        const std::size_t left = len_ - offset;
        item.high = bigEndian(k, left);
        item.mid = left > 8 ? bigEndian(k + 8, left - 8) : 0;
        item.low = left > 16 ? bigEndian(k + 16, left - 16) : 0;
    }

    // Sorts [first, last), whose keys are equal before `offset` and whose
    // kItemBytes at `offset` are loaded.
    void sort(CharItem* first, CharItem* last, std::size_t offset) const {
        if (descending_)
            sortOn(first, last, offset, [](const CharItem& x, const CharItem& y) {
                return x.high != y.high ? x.high > y.high : x.mid != y.mid ? x.mid > y.mid : x.low > y.low;
            });
        else
            sortOn(first, last, offset, [](const CharItem& x, const CharItem& y) {
                return x.high != y.high ? x.high < y.high : x.mid != y.mid ? x.mid < y.mid : x.low < y.low;
            });
    }

private:
    template <typename Less>
    void sortOn(CharItem* first, CharItem* last, std::size_t offset, Less less) const {
        if (!sortInStretches(first, last, less)) std::sort(first, last, less);
        const std::size_t next = offset + kItemBytes;
        for (CharItem* run = first; run != last;) {
            CharItem* end = run + 1;
            while (end != last && end->high == run->high && end->mid == run->mid && end->low == run->low) ++end;
            if (end - run > 1) {
                if (next < len_) {
                    // The keys of a run lie anywhere in memory: ask for them
                    // a few entries ahead so the loads do not wait one by one.
                    constexpr std::ptrdiff_t kAhead = 8;
                    for (CharItem* i = run; i != end; ++i) {
                        if (end - i > kAhead) __builtin_prefetch(keys_ + std::size_t(i[kAhead].index) * len_ + next);
                        load(*i, next);
                    }
                    sortOn(run, end, next, less);
                } else {
                    // Equal keys follow record numbers.
                    std::sort(run, end, [this](const CharItem& x, const CharItem& y) {
                        return recnos_[x.index] < recnos_[y.index];
                    });
                }
            }
            run = end;
        }
    }

    const char* keys_;
    std::size_t len_;
    const std::vector<std::uint32_t>& recnos_;
    bool descending_;
};

}  // namespace

std::vector<std::uint32_t> sortedOrder(const MdxTag& tag, const KeyBatch& batch) {
    const std::size_t count = batch.recnos.size();
    const std::size_t len = std::size_t(tag.keyLength());
    const char* keys = batch.keys.data();
    std::vector<std::uint32_t> order(count);
    if (tag.keyType() == 'C' && len > 0) {
        CharKeySorter sorter(keys, len, batch.recnos, tag.descending());
        std::vector<CharItem> items(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            items[i].index = i;
            sorter.load(items[i], 0);
        }
        sorter.sort(items.data(), items.data() + count, 0);
        for (std::size_t i = 0; i < count; ++i) order[i] = items[i].index;
        return order;
    }
    for (std::uint32_t i = 0; i < count; ++i) order[i] = i;
    auto less = [&](std::uint32_t a, std::uint32_t b) {
        int r = tag.compareInTag({keys + a * len, len}, {keys + b * len, len});
        if (r != 0) return r < 0;
        return batch.recnos[a] < batch.recnos[b];
    };
    std::sort(order.begin(), order.end(), less);
    return order;
}

void MdxTag::bulkWrite(const std::string& keys, const std::vector<std::uint32_t>& recnos,
                       const std::vector<std::uint32_t>& order) {
    file_.requireWritable();
    if (expression_.text().size() >= std::size_t(kMaxExpressionLength))
        throw EngineError(code::InvalidKeyExpression,
                          "Недопустимое выражение ключа «" + expression_.text() + "»: слишком длинное");
    headerPage_ = file_.pageCount();
    BlockWriter writer(file_, headerPage_ + kPagesPerBlock);
    const std::size_t len = std::size_t(keyLength_);
    const std::size_t total = order.size();
    auto keyOf = [&](std::size_t entry) { return keys.data() + order[entry] * len; };

    struct Child {
        std::uint32_t page;
        std::size_t lastEntry;  // position in `order` of the child's highest key
    };
    std::vector<Child> level;
    std::uint32_t chain = 0;
    std::uint32_t nodes = 0;
    const std::size_t leaves = std::max<std::size_t>(1, (total + std::size_t(maxKeys_) - 1) / std::size_t(maxKeys_));
    for (std::size_t j = 0; j < leaves; ++j) {
        std::size_t begin = j * total / leaves, end = (j + 1) * total / leaves;
        std::uint32_t page = 0;
        char* b = writer.add(page);
        put32(b, std::uint32_t(end - begin));
        put32(b + 4, chain);
        for (std::size_t e = begin; e < end; ++e) {
            // The keys lie in gathering order, not in tag order: ask for one
            // a few entries ahead so the copies do not wait one by one.
            constexpr std::size_t kAhead = 8;
            if (e + kAhead < total) __builtin_prefetch(keyOf(e + kAhead));
            char* item = b + kNodeHeader + (e - begin) * std::size_t(itemLength_);
            put32(item, recnos[order[e]]);
            std::memcpy(item + 4, keyOf(e), len);
        }
        level.push_back({page, end == 0 ? 0 : end - 1});
        chain = page;
        ++nodes;
    }
    const std::uint32_t firstLeaf = level.front().page, lastLeaf = level.back().page;
    while (level.size() > 1) {
        const std::size_t children = level.size();
        const std::size_t branches = (children + std::size_t(maxKeys_) - 1) / std::size_t(maxKeys_);
        std::vector<Child> upper;
        for (std::size_t j = 0; j < branches; ++j) {
            std::size_t begin = j * children / branches, end = (j + 1) * children / branches;
            std::uint32_t page = 0;
            char* b = writer.add(page);
            put32(b, std::uint32_t(end - begin - 1));
            put32(b + 4, chain);
            for (std::size_t c = begin; c < end; ++c) {
                char* item = b + kNodeHeader + (c - begin) * std::size_t(itemLength_);
                put32(item, level[c].page);
                if (c + 1 < end) std::memcpy(item + 4, keyOf(level[c].lastEntry), len);
            }
            upper.push_back({page, level[end - 1].lastEntry});
            chain = page;
            ++nodes;
        }
        level = std::move(upper);
    }
    writer.finish();
    root_ = level.front().page;
    pagesUsed_ = nodes * kPagesPerBlock;

    char h[kBlockSize] = {};
    put32(h + kTagRoot, root_);
    put32(h + kTagPagesUsed, pagesUsed_);
    h[kTagFlags] = char(flags_);
    h[kTagKeyType] = keyType_;
    put16(h + kTagKeyLength, std::uint16_t(keyLength_));
    put16(h + kTagMaxKeys, std::uint16_t(maxKeys_));
    put16(h + kTagDateFlag, keyType_ == 'D' ? 1 : 0);
    put16(h + kTagItemLength, std::uint16_t(itemLength_));
    h[kTagCounter] = 1;
    std::memcpy(h + kTagExpression, expression_.text().data(), expression_.text().size());
    h[kTagOne] = 1;
    put32(h + kTagFirstLeaf, firstLeaf);
    put32(h + kTagLastLeaf, lastLeaf);
    putToday(h + kTagCreationDate);
    h[kTagTrailerFlag] = 1;
    file_.writeRaw(headerPage_, h, kBlockSize);
    file_.addTagHeader(headerPage_);
    ++version_;
    headerDirty_ = false;
}

}  // namespace kvzt::engine::mdx
