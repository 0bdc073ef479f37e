// Navigation and incremental maintenance of one .mdx tag (layout in
// engine/mdx_layout.h). Positions are paths from the root to a leaf entry;
// the last position handed out is remembered so that walking with next()
// costs no search while the tag is unchanged.

#include "engine/mdx_tag.h"

#include <cstring>
#include <unordered_set>

#include "engine/errors.h"
#include "engine/mdx_file.h"
#include "engine/mdx_layout.h"
#include "engine/mdx_numeric_key.h"

namespace kvzt::engine::mdx {

namespace {
constexpr std::size_t kMaxDepth = 32;
}

MdxTag::MdxTag(MdxFile& file, std::string name, KeyExpression expression, const IndexOptions& options)
    : file_(file), name_(std::move(name)), expression_(std::move(expression)) {
    keyType_ = expression_.keyType();
    keyLength_ = expression_.keyLength();
    itemLength_ = itemLengthFor(keyLength_);
    maxKeys_ = maxKeysFor(itemLength_);
    flags_ = kFlagBase | (options.descending ? kDescendingBit : 0) | (options.unique ? kUniqueBit : 0);
}

std::unique_ptr<MdxTag> MdxTag::load(MdxFile& file, std::uint32_t headerPage, std::string name,
                                     const std::vector<FieldDef>& fields) {
    std::unique_ptr<MdxTag> t(new MdxTag(file));
    t->name_ = std::move(name);
    t->headerPage_ = headerPage;
    const char* h = file.read(headerPage);
    t->root_ = get32(h + kTagRoot);
    t->pagesUsed_ = get32(h + kTagPagesUsed);
    t->flags_ = std::uint8_t(h[kTagFlags]);
    t->keyType_ = h[kTagKeyType] == 'F' ? 'N' : h[kTagKeyType];
    t->keyLength_ = get16(h + kTagKeyLength);
    t->maxKeys_ = get16(h + kTagMaxKeys);
    t->itemLength_ = get16(h + kTagItemLength);
    const std::string what = "тег " + t->name_ + ": ";
    if (t->keyType_ != 'C' && t->keyType_ != 'N' && t->keyType_ != 'D') file.corrupt(what + "неизвестный тип ключа");
    if (t->keyLength_ < 1 || t->keyLength_ > kMaxKeyLength) file.corrupt(what + "недопустимая длина ключа");
    if (t->itemLength_ < t->keyLength_ + 4 || t->itemLength_ > (kBlockSize - 12) / 2)
        file.corrupt(what + "недопустимая длина элемента");
    if (t->maxKeys_ < 2 || t->maxKeys_ > maxKeysFor(t->itemLength_)) file.corrupt(what + "недопустимое число ключей в блоке");
    if (!file.validPage(t->root_) || t->root_ == headerPage) file.corrupt(what + "недопустимый корневой блок");
    file.addTagHeader(headerPage);
    const char* expr = h + kTagExpression;
    const void* end = std::memchr(expr, '\0', kMaxExpressionLength);
    if (!end) file.corrupt(what + "выражение ключа не завершено");
    std::string text(expr, static_cast<const char*>(end));
    t->expression_ = KeyExpression::parse(text, fields);
    if (t->expression_.keyType() != t->keyType_ || t->expression_.keyLength() != t->keyLength_)
        file.corrupt(what + "тип или длина ключа не соответствуют выражению " + text);
    return t;
}

void MdxTag::adopt(const MdxTag& loaded) {
    headerPage_ = loaded.headerPage_;
    root_ = loaded.root_;
    pagesUsed_ = loaded.pagesUsed_;
    flags_ = loaded.flags_;
    keyType_ = loaded.keyType_;
    keyLength_ = loaded.keyLength_;
    itemLength_ = loaded.itemLength_;
    maxKeys_ = loaded.maxKeys_;
    headerDirty_ = false;
    ++version_;
    haveLast_ = false;
}

// ---- node access -------------------------------------------------------

const char* MdxTag::node(std::uint32_t page) {
    const char* b = file_.read(page);
    if (get32(b) > std::uint32_t(maxKeys_))
        file_.corrupt("тег " + name_ + ": число ключей в блоке " + std::to_string(page) + " больше допустимого");
    return b;
}

std::uint32_t MdxTag::count(const char* b) const { return get32(b); }

bool MdxTag::isBranch(const char* b) const {
    std::uint32_t n = count(b);
    return n < std::uint32_t(maxKeys_) && ptrAt(b, int(n)) != 0;
}

std::uint32_t MdxTag::ptrAt(const char* b, int i) const { return get32(b + kNodeHeader + i * itemLength_); }

std::string_view MdxTag::keyAt(const char* b, int i) const {
    return {b + kNodeHeader + i * itemLength_ + 4, std::size_t(keyLength_)};
}

std::uint32_t MdxTag::child(const char* b, int i) {
    std::uint32_t page = ptrAt(b, i);
    if (!file_.validPage(page) || file_.isTagHeader(page))
        file_.corrupt("тег " + name_ + ": недопустимая ссылка на блок " + std::to_string(page));
    return page;
}

int MdxTag::compareInTag(std::string_view a, std::string_view b) const {
    int r = compareKeys(keyType_, a, b);
    return descending() ? -r : r;
}

int MdxTag::compareTo(std::string_view key, std::uint32_t recno, const Target& t) const {
    int r = compareInTag(key, t.key);
    if (r != 0 || !t.useRecno) return r;
    return recno < t.recno ? -1 : (recno > t.recno ? 1 : 0);
}

// ---- positions ---------------------------------------------------------

void MdxTag::startOperation() {
    file_.trim();
    if (haveLast_ && lastVersion_ != version_) haveLast_ = false;
    stepBudget_ = std::uint64_t(file_.pageCount()) + 64;
}

void MdxTag::descendLeftmost(std::uint32_t page, Path& path) {
    for (;;) {
        if (path.size() >= kMaxDepth) file_.corrupt("тег " + name_ + ": дерево зациклено");
        const char* b = node(page);
        path.push_back({page, 0});
        if (!isBranch(b)) return;
        page = child(b, 0);
    }
}

void MdxTag::descendRightmost(std::uint32_t page, Path& path) {
    for (;;) {
        if (path.size() >= kMaxDepth) file_.corrupt("тег " + name_ + ": дерево зациклено");
        const char* b = node(page);
        int n = int(count(b));
        if (!isBranch(b)) {
            path.push_back({page, n - 1});
            return;
        }
        path.push_back({page, n});
        page = child(b, n);
    }
}

bool MdxTag::settleForward(Path& path) {
    for (;;) {
        if (path.empty()) return false;
        const char* leaf = node(path.back().page);
        if (path.back().idx >= 0 && path.back().idx < int(count(leaf))) return true;
        if (stepBudget_-- == 0) file_.corrupt("тег " + name_ + ": дерево зациклено");
        path.pop_back();
        while (!path.empty()) {
            Step& s = path.back();
            const char* b = node(s.page);
            if (s.idx < int(count(b))) {
                ++s.idx;
                descendLeftmost(child(b, s.idx), path);
                break;
            }
            path.pop_back();
        }
    }
}

bool MdxTag::settleBackward(Path& path) {
    for (;;) {
        if (path.empty()) return false;
        const char* leaf = node(path.back().page);
        if (path.back().idx >= 0 && path.back().idx < int(count(leaf))) return true;
        if (stepBudget_-- == 0) file_.corrupt("тег " + name_ + ": дерево зациклено");
        path.pop_back();
        while (!path.empty()) {
            Step& s = path.back();
            const char* b = node(s.page);
            if (s.idx > 0) {
                --s.idx;
                descendRightmost(child(b, s.idx), path);
                break;
            }
            path.pop_back();
        }
    }
}

bool MdxTag::lastEntryOf(std::uint32_t page, std::string& key, std::uint32_t& recno) {
    Path p;
    descendRightmost(page, p);
    if (p.back().idx < 0) return false;
    const char* b = node(p.back().page);
    key.assign(keyAt(b, p.back().idx));
    recno = ptrAt(b, p.back().idx);
    return true;
}

// Index of the first child whose last entry is >= the target (the count
// of separators when none is: the rightmost child).
int MdxTag::childFor(const char* b, const Target& t) {
    int lo = 0, hi = int(count(b));
    std::string lastKey;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        int r = compareInTag(keyAt(b, mid), t.key);
        bool atOrAfter = r > 0;
        if (r == 0) {
            std::uint32_t lastRecno = 0;
            atOrAfter = !t.useRecno ||
                        (lastEntryOf(child(b, mid), lastKey, lastRecno) && compareTo(lastKey, lastRecno, t) >= 0);
        }
        if (atOrAfter)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

bool MdxTag::lowerBound(const Target& t, Path& path, bool settle) {
    path.clear();
    std::uint32_t page = root_;
    for (;;) {
        if (path.size() >= kMaxDepth) file_.corrupt("тег " + name_ + ": дерево зациклено");
        const char* b = node(page);
        if (isBranch(b)) {
            int i = childFor(b, t);
            path.push_back({page, i});
            page = child(b, i);
            continue;
        }
        int lo = 0, hi = int(count(b));
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (compareTo(keyAt(b, mid), ptrAt(b, mid), t) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        path.push_back({page, lo});
        return settle ? settleForward(path) : true;
    }
}

IndexEntry MdxTag::entryAt(const Path& path) {
    const char* b = node(path.back().page);
    return IndexEntry{std::string(keyAt(b, path.back().idx)), ptrAt(b, path.back().idx)};
}

std::optional<IndexEntry> MdxTag::remember(const Path& path) {
    lastEntry_ = entryAt(path);
    lastPath_ = path;
    lastVersion_ = version_;
    haveLast_ = true;
    return lastEntry_;
}

std::optional<IndexEntry> MdxTag::firstOfGroup(const IndexEntry& e) {
    Path path;
    if (!lowerBound(Target{e.key, 0, false}, path, true)) return std::nullopt;
    return remember(path);
}

// ---- IndexTag ------------------------------------------------------------

std::optional<IndexEntry> MdxTag::first() {
    startOperation();
    Path path;
    descendLeftmost(root_, path);
    if (!settleForward(path)) return std::nullopt;
    return remember(path);
}

std::optional<IndexEntry> MdxTag::last() {
    startOperation();
    Path path;
    descendRightmost(root_, path);
    if (!settleBackward(path)) return std::nullopt;
    IndexEntry e = entryAt(path);
    if (unique()) return firstOfGroup(e);
    return remember(path);
}

std::optional<IndexEntry> MdxTag::next(const IndexEntry& from) {
    startOperation();
    Path path;
    if (unique()) {
        if (!lowerBound(Target{from.key, 0xFFFFFFFFu, true}, path, true)) return std::nullopt;
        if (compareInTag(entryAt(path).key, from.key) == 0) {
            ++path.back().idx;
            if (!settleForward(path)) return std::nullopt;
        }
        return remember(path);
    }
    if (haveLast_ && lastEntry_.recno == from.recno && lastEntry_.key == from.key) {
        path = lastPath_;
    } else {
        if (!lowerBound(Target{from.key, from.recno, true}, path, true)) return std::nullopt;
        IndexEntry at = entryAt(path);
        if (at.recno != from.recno || compareInTag(at.key, from.key) != 0) return remember(path);
    }
    ++path.back().idx;
    if (!settleForward(path)) return std::nullopt;
    return remember(path);
}

std::optional<IndexEntry> MdxTag::prior(const IndexEntry& from) {
    startOperation();
    Path path;
    if (haveLast_ && lastEntry_.recno == from.recno && lastEntry_.key == from.key) {
        path = lastPath_;
        --path.back().idx;
    } else if (lowerBound(Target{from.key, from.recno, true}, path, true)) {
        --path.back().idx;
    } else {
        path.clear();
        descendRightmost(root_, path);
    }
    if (!settleBackward(path)) return std::nullopt;
    IndexEntry e = entryAt(path);
    if (unique()) return firstOfGroup(e);
    return remember(path);
}

std::optional<IndexEntry> MdxTag::seek(std::string_view keyPrefix) {
    startOperation();
    Path path;
    if (!lowerBound(Target{keyPrefix, 0, false}, path, true)) return std::nullopt;
    return remember(path);
}

void MdxTag::forEach(const std::function<void(const IndexEntry&)>& visit) {
    startOperation();
    Path path;
    descendLeftmost(root_, path);
    std::string previous;
    bool havePrevious = false;
    while (settleForward(path)) {
        const char* b = node(path.back().page);
        int n = int(count(b));
        for (int& i = path.back().idx; i < n; ++i) {
            IndexEntry e{std::string(keyAt(b, i)), ptrAt(b, i)};
            if (unique() && havePrevious && compareInTag(e.key, previous) == 0) continue;
            previous = e.key;
            havePrevious = true;
            visit(e);
        }
    }
}

// ---- changes -------------------------------------------------------------

void MdxTag::changed() {
    ++version_;
    headerDirty_ = true;
}

MdxTag::Node MdxTag::unpack(std::uint32_t page, bool branch) {
    const char* b = node(page);
    int n = int(count(b));
    Node out;
    for (int i = 0; i < n; ++i) {
        out.ptrs.push_back(ptrAt(b, i));
        out.keys.emplace_back(keyAt(b, i));
    }
    if (branch) out.ptrs.push_back(ptrAt(b, n));
    return out;
}

void MdxTag::pack(std::uint32_t page, const Node& n, bool branch) {
    char* b = file_.write(page);
    std::uint32_t chain = get32(b + 4);
    std::memset(b, 0, kBlockSize);
    put32(b, std::uint32_t(n.keys.size()));
    put32(b + 4, chain);
    for (std::size_t i = 0; i < n.keys.size(); ++i) {
        char* item = b + kNodeHeader + i * std::size_t(itemLength_);
        put32(item, n.ptrs[i]);
        std::memcpy(item + 4, n.keys[i].data(), std::size_t(keyLength_));
    }
    if (branch) put32(b + kNodeHeader + n.keys.size() * std::size_t(itemLength_), n.ptrs.back());
}

std::uint32_t MdxTag::allocNode() {
    std::uint32_t page = file_.allocate();
    pagesUsed_ += kPagesPerBlock;
    return page;
}

void MdxTag::freeNode(std::uint32_t page) {
    file_.release(page);
    if (pagesUsed_ >= std::uint32_t(kPagesPerBlock)) pagesUsed_ -= kPagesPerBlock;
}

void MdxTag::insertEntry(std::string_view key, std::uint32_t recno) {
    file_.requireWritable();
    startOperation();
    std::string k(key);
    k.resize(std::size_t(keyLength_), keyType_ == 'C' ? ' ' : '\0');
    Path path;
    lowerBound(Target{k, recno, true}, path, false);
    changed();
    const std::uint32_t leafPage = path.back().page;
    const int idx = path.back().idx;
    const char* leaf = node(leafPage);
    const int n = int(count(leaf));
    if (n < maxKeys_) {
        char* b = file_.write(leafPage);
        char* at = b + kNodeHeader + idx * itemLength_;
        std::memmove(at + itemLength_, at, std::size_t(n - idx) * std::size_t(itemLength_));
        std::memset(at, 0, std::size_t(itemLength_));
        put32(at, recno);
        std::memcpy(at + 4, k.data(), k.size());
        std::memset(b + kNodeHeader + (n + 1) * itemLength_, 0, 4);
        put32(b, std::uint32_t(n + 1));
        return;
    }
    Node all = unpack(leafPage, false);
    all.ptrs.insert(all.ptrs.begin() + idx, recno);
    all.keys.insert(all.keys.begin() + idx, k);
    std::size_t half = all.keys.size() / 2;
    Node left, right;
    left.ptrs.assign(all.ptrs.begin(), all.ptrs.begin() + long(half));
    left.keys.assign(all.keys.begin(), all.keys.begin() + long(half));
    right.ptrs.assign(all.ptrs.begin() + long(half), all.ptrs.end());
    right.keys.assign(all.keys.begin() + long(half), all.keys.end());
    std::uint32_t rightPage = allocNode();
    pack(leafPage, left, false);
    pack(rightPage, right, false);
    insertIntoParent(path, int(path.size()) - 2, left.keys.back(), rightPage);
}

// The child at path[level].idx was split; `right` (holding its upper half)
// goes in after it, with `separator` (the highest key of the lower half) between.
void MdxTag::insertIntoParent(Path& path, int level, const std::string& separator, std::uint32_t right) {
    if (level < 0) {
        std::uint32_t newRoot = allocNode();
        Node r;
        r.keys.push_back(separator);
        r.ptrs = {path[0].page, right};
        pack(newRoot, r, true);
        root_ = newRoot;
        return;
    }
    const std::uint32_t page = path[std::size_t(level)].page;
    const int c = path[std::size_t(level)].idx;
    Node n = unpack(page, true);
    n.keys.insert(n.keys.begin() + c, separator);
    n.ptrs.insert(n.ptrs.begin() + c + 1, right);
    if (int(n.keys.size()) < maxKeys_) {
        pack(page, n, true);
        return;
    }
    std::size_t m = n.keys.size() / 2;
    Node left, upper;
    left.keys.assign(n.keys.begin(), n.keys.begin() + long(m));
    left.ptrs.assign(n.ptrs.begin(), n.ptrs.begin() + long(m) + 1);
    upper.keys.assign(n.keys.begin() + long(m) + 1, n.keys.end());
    upper.ptrs.assign(n.ptrs.begin() + long(m) + 1, n.ptrs.end());
    std::uint32_t upperPage = allocNode();
    pack(page, left, true);
    pack(upperPage, upper, true);
    insertIntoParent(path, level - 1, n.keys[m], upperPage);
}

bool MdxTag::removeEntry(std::string_view key, std::uint32_t recno) {
    file_.requireWritable();
    startOperation();
    std::string k(key);
    k.resize(std::size_t(keyLength_), keyType_ == 'C' ? ' ' : '\0');
    Path path;
    if (!lowerBound(Target{k, recno, true}, path, true)) return false;
    IndexEntry at = entryAt(path);
    if (at.recno != recno || compareInTag(at.key, k) != 0) return false;
    changed();
    const std::uint32_t leafPage = path.back().page;
    const int idx = path.back().idx;
    char* b = file_.write(leafPage);
    const int n = int(count(b));
    char* item = b + kNodeHeader + idx * itemLength_;
    std::memmove(item, item + itemLength_, std::size_t(n - 1 - idx) * std::size_t(itemLength_));
    std::memset(b + kNodeHeader + (n - 1) * itemLength_, 0, std::size_t(itemLength_));
    put32(b, std::uint32_t(n - 1));
    if (n - 1 == 0 && path.size() > 1) {
        freeNode(leafPage);
        removeChild(path, int(path.size()) - 2);
    } else if (idx == n - 1 && n - 1 > 0) {
        fixSeparatorsAbove(path, int(path.size()) - 1, std::string(keyAt(b, n - 2)));
    }
    collapseRoot();
    return true;
}

// The child at path[level].idx became empty and was freed: drop it from the branch.
void MdxTag::removeChild(Path& path, int level) {
    const std::uint32_t page = path[std::size_t(level)].page;
    const int c = path[std::size_t(level)].idx;
    Node n = unpack(page, true);
    if (n.keys.empty()) {
        if (level == 0) {
            pack(page, Node{}, false);  // the root becomes an empty leaf
            return;
        }
        freeNode(page);
        removeChild(path, level - 1);
        return;
    }
    if (c < int(n.keys.size())) {
        n.keys.erase(n.keys.begin() + c);
        n.ptrs.erase(n.ptrs.begin() + c);
        pack(page, n, true);
        return;
    }
    n.keys.pop_back();
    n.ptrs.pop_back();
    pack(page, n, true);
    std::string lastKey;
    std::uint32_t lastRecno = 0;
    if (lastEntryOf(n.ptrs.back(), lastKey, lastRecno)) fixSeparatorsAbove(path, level, lastKey);
}

// The highest key below path[level] is now `maxKey`: correct the separator that names it.
void MdxTag::fixSeparatorsAbove(const Path& path, int level, const std::string& maxKey) {
    for (int l = level - 1; l >= 0; --l) {
        const Step& s = path[std::size_t(l)];
        const char* b = node(s.page);
        if (s.idx < int(count(b))) {
            char* w = file_.write(s.page);
            std::memcpy(w + kNodeHeader + s.idx * itemLength_ + 4, maxKey.data(), std::size_t(keyLength_));
            return;
        }
    }
}

void MdxTag::collapseRoot() {
    for (std::size_t guard = 0; guard < kMaxDepth; ++guard) {
        const char* b = node(root_);
        if (!isBranch(b) || count(b) != 0) return;
        std::uint32_t only = child(b, 0);
        freeNode(root_);
        root_ = only;
    }
}

void MdxTag::releaseBlocks() {
    file_.requireWritable();
    startOperation();
    std::vector<std::uint32_t> pending{root_};
    std::vector<std::uint32_t> all;
    std::unordered_set<std::uint32_t> seen;
    while (!pending.empty()) {
        std::uint32_t page = pending.back();
        pending.pop_back();
        if (!file_.validPage(page) || page == headerPage_ || !seen.insert(page).second) continue;
        all.push_back(page);
        const char* b = file_.read(page);
        if (get32(b) <= std::uint32_t(maxKeys_) && isBranch(b))
            for (int i = 0; i <= int(count(b)); ++i) pending.push_back(ptrAt(b, i));
    }
    for (std::uint32_t page : all) file_.release(page);
    file_.release(headerPage_);
    file_.removeTagHeader(headerPage_);
    pagesUsed_ = 0;
    changed();
    headerDirty_ = false;
}

void MdxTag::flushHeader() {
    if (!headerDirty_) return;
    char* h = file_.write(headerPage_);
    put32(h + kTagRoot, root_);
    put32(h + kTagPagesUsed, pagesUsed_);
    h[kTagCounter] = char(std::uint8_t(h[kTagCounter]) + 1);
    headerDirty_ = false;
}

}  // namespace kvzt::engine::mdx
