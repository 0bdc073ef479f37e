// The production index: real files, a randomized model check with trees of
// one and of several levels, tag deletion, and damaged files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>

#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/mdx_layout.h"
#include "engine/production_index.h"
#include "support/mdx_tree_check.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

std::vector<FieldDef> withOffsets(std::vector<FieldDef> f) {
    int offset = 1;
    for (auto& d : f) {
        d.offset = offset;
        offset += d.length;
    }
    return f;
}

std::string record(const std::vector<FieldDef>& fields, const std::vector<std::string>& values) {
    std::string r(" ");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string v = values[i].substr(0, std::size_t(fields[i].length));
        std::string cell(std::size_t(fields[i].length), ' ');
        if (fields[i].type == 'N')
            cell.replace(cell.size() - v.size(), v.size(), v);
        else
            cell.replace(0, v.size(), v);
        r += cell;
    }
    return r;
}

RecordSource sourceOf(const std::map<std::uint32_t, std::string>& records) {
    return [&records](const RecordVisitor& visit) {
        for (const auto& [recno, r] : records) visit(recno, r.data());
    };
}

std::vector<IndexEntry> walk(IndexTag* tag) {
    std::vector<IndexEntry> out;
    tag->forEach([&](const IndexEntry& e) { out.push_back(e); });
    return out;
}

// What a tag must hold: every record's key, in tag order, equal keys by record.
std::vector<IndexEntry> expected(IndexTag* tag, const std::vector<FieldDef>& fields, CodePage cp,
                                 const std::map<std::uint32_t, std::string>& records) {
    std::vector<IndexEntry> out;
    for (const auto& [recno, r] : records) out.push_back({tag->expression().evaluate(r.data(), fields, cp), recno});
    char type = tag->expression().keyType();
    bool desc = tag->descending();
    std::stable_sort(out.begin(), out.end(), [&](const IndexEntry& a, const IndexEntry& b) {
        int c = compareKeys(type, a.key, b.key);
        if (desc) c = -c;
        return c != 0 ? c < 0 : a.recno < b.recno;
    });
    if (tag->unique())
        out.erase(std::unique(out.begin(), out.end(),
                              [&](const IndexEntry& a, const IndexEntry& b) { return compareKeys(type, a.key, b.key) == 0; }),
                  out.end());
    return out;
}

void expectSameOrder(IndexTag* tag, const std::vector<IndexEntry>& want) {
    std::vector<IndexEntry> got = walk(tag);
    ASSERT_EQ(got.size(), want.size()) << tag->name();
    char type = tag->expression().keyType();
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].recno, want[i].recno) << tag->name() << " entry " << i;
        ASSERT_EQ(compareKeys(type, got[i].key, want[i].key), 0) << tag->name() << " entry " << i;
    }
    // The same order stepping with next() and, backwards, with prior().
    std::size_t i = 0;
    for (auto e = tag->first(); e; e = tag->next(*e), ++i) ASSERT_EQ(e->recno, want[i].recno) << tag->name();
    ASSERT_EQ(i, want.size());
    for (auto e = tag->last(); e; e = tag->prior(*e)) ASSERT_EQ(e->recno, want[--i].recno) << tag->name();
    ASSERT_EQ(i, 0u);
}

}  // namespace

TEST(ProductionIndex, RealFilesWalkInRecomputedKeyOrder) {
    for (const char* table : {"holdings", "industry"}) {
        std::string dir = kvzt::test::testDataDir() + "/legacy-demo/";
        auto dbf = DbfFile::open(dir + table + ".dbf", OpenMode::ReadOnly);
        std::map<std::uint32_t, std::string> records;
        std::string buf(std::size_t(dbf->recordLength()), '\0');
        for (std::uint32_t r = 1; r <= dbf->recordCount(); ++r) {
            dbf->readRecord(r, buf.data());
            records[r] = buf;
        }
        auto index = ProductionIndex::open(dir + table + ".mdx", dbf->fields(), CodePage::Cp866, false);
        ASSERT_FALSE(index->tags().empty()) << table;
        for (IndexTag* tag : index->tags()) {
            SCOPED_TRACE(std::string(table) + ":" + tag->name());
            expectSameOrder(tag, expected(tag, dbf->fields(), CodePage::Cp866, records));
        }
        EXPECT_NE(index->tag("symbol") ? index->tag("symbol") : index->tag("ind_code"), nullptr);
    }
}

TEST(ProductionIndex, CreatesTagsWithTheRealHeaderLayout) {
    TempDir dir;
    auto fields = withOffsets({{"ID", 'C', 9, 0, 0}, {"KOD", 'C', 4, 0, 0}, {"NOM", 'N', 6, 0, 0}, {"D", 'D', 8, 0, 0}});
    std::map<std::uint32_t, std::string> records;
    for (std::uint32_t r = 1; r <= 30; ++r)
        records[r] = record(fields, {std::to_string(100 - r), "K" + std::to_string(r % 4), std::to_string(r % 7),
                                     "2001010" + std::to_string(r % 9 + 1)});
    std::string path = dir.file("t.mdx");
    {
        auto index = ProductionIndex::create(path, "/some/dir/t.dbf", fields, CodePage::Cp1251);
        index->addTag("IDKODX", "ID+KOD", {}, sourceOf(records));
        index->addTag("nomx", "NOM", {}, sourceOf(records));
        index->addTag("DX", "D", {}, sourceOf(records));
    }
    std::string b = kvzt::test::readFile(path);
    ASSERT_GE(b.size(), 2048u);
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(std::string(b.data() + 4), "T");
    EXPECT_EQ(mdx::get16(b.data() + 20), 2);
    EXPECT_EQ(mdx::get16(b.data() + 22), 1024);
    EXPECT_EQ(b[24], 1);
    EXPECT_EQ(std::uint8_t(b[25]), 48);
    EXPECT_EQ(b[26], 32);
    EXPECT_EQ(mdx::get16(b.data() + 28), 3);
    EXPECT_EQ(mdx::get32(b.data() + 32) * 512, b.size());
    EXPECT_EQ(b[529], 1);
    // Slots: IDKODX root; NOMX right of it; DX left of it.
    const char* s1 = b.data() + 544;
    const char* s2 = s1 + 32;
    const char* s3 = s2 + 32;
    EXPECT_EQ(std::string(s2 + 4), "NOMX");
    EXPECT_EQ(int(s1[16]), 3);
    EXPECT_EQ(int(s1[17]), 2);
    EXPECT_EQ(int(s1[18]), 0);
    EXPECT_EQ(int(s2[18]), 1);
    EXPECT_EQ(int(s3[18]), 1);
    EXPECT_EQ(s1[15], 0x10);
    EXPECT_EQ(s1[19], 0x02);
    EXPECT_EQ(s2[20], 'N');
    EXPECT_EQ(s3[20], 'D');
    // Tag header of NOMX, immediately followed by its first node.
    std::uint32_t hp = mdx::get32(s2);
    const char* h = b.data() + hp * 512;
    EXPECT_EQ(mdx::get32(h), hp + 2);
    EXPECT_EQ(h[8], 0x10);
    EXPECT_EQ(h[9], 'N');
    EXPECT_EQ(mdx::get16(h + 12), 12);
    EXPECT_EQ(mdx::get16(h + 14), 63);
    EXPECT_EQ(mdx::get16(h + 18), 16);
    EXPECT_EQ(std::string(h + 24), "NOM");
    EXPECT_EQ(h[246], 1);
    const char* dh = b.data() + mdx::get32(s3) * 512;
    EXPECT_EQ(mdx::get16(dh + 16), 1);
    EXPECT_EQ(mdx::get16(dh + 12), 8);

    EXPECT_EQ(kvzt::test::checkMdxTree(path, "NOMX"), 1);
    EXPECT_EQ(kvzt::test::checkMdxTree(path, "IDKODX"), 1);
    auto index = ProductionIndex::open(path, fields, CodePage::Cp1251, false);
    for (IndexTag* tag : index->tags()) expectSameOrder(tag, expected(tag, fields, CodePage::Cp1251, records));
    EXPECT_THROW(index->insert(31, records[1].data()), EngineError);
}

TEST(ProductionIndex, SeeksAndOptions) {
    TempDir dir;
    auto fields = withOffsets({{"NAME", 'C', 10, 0, 0}, {"N", 'N', 8, 2, 0}});
    std::map<std::uint32_t, std::string> records;
    const char* names[] = {"bob", "Alice", "carl", "alice", "Bob", "dave"};
    for (std::uint32_t r = 1; r <= 6; ++r) records[r] = record(fields, {names[r - 1], std::to_string(int(r) * 10 - 35)});
    auto index = ProductionIndex::create(dir.file("s.mdx"), "s", fields, CodePage::Cp1251);
    IndexTag* up = index->addTag("UP", "UPPER(NAME)", {}, sourceOf(records));
    IndexTag* uniq = index->addTag("UNIQ", "UPPER(NAME)", {true, false}, sourceOf(records));
    IndexTag* desc = index->addTag("DESC", "N", {false, true}, sourceOf(records));
    for (IndexTag* t : index->tags()) expectSameOrder(t, expected(t, fields, CodePage::Cp1251, records));
    EXPECT_EQ(walk(uniq).size(), 4u);
    EXPECT_EQ(walk(desc).front().recno, 6u);

    auto e = up->seek("BO");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->recno, 1u);
    EXPECT_EQ(up->next(*e)->recno, 5u);
    EXPECT_EQ(up->seek("C")->recno, 3u);
    EXPECT_FALSE(up->seek("Z"));
    EXPECT_EQ(up->seek("")->recno, 2u);
    EXPECT_EQ(uniq->seek("ALICE")->recno, 2u);
    EXPECT_EQ(uniq->next(*uniq->seek("ALICE"))->recno, 1u);
    // Descending: seek finds the first entry at or below the value.
    EXPECT_EQ(desc->seek(KeyExpression::parse("N", fields).prefix({0.0}, 1, fields, CodePage::Cp1251))->recno, 3u);
}

TEST(ProductionIndex, RandomChangesMatchAModelAndSurviveReopening) {
    TempDir dir;
    auto fields = withOffsets({{"NAME", 'C', 12, 0, 0}, {"LONGC", 'C', 100, 0, 0}, {"NUM", 'N', 9, 2, 0},
                               {"DT", 'D', 8, 0, 0}, {"ID", 'N', 6, 0, 0}});
    std::mt19937 rng(12345);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char* syll[] = {"ан", "ба", "ВЕ", "ги", "До", "ёж", "a", "B", "z", "  "};
    auto randomRecord = [&](std::uint32_t recno) {
        std::string name;
        for (int i = 0, n = pick(4); i < n; ++i) name += syll[pick(10)];
        name = fromUtf8(name, CodePage::Cp1251);
        char num[32];
        std::snprintf(num, sizeof num, "%.2f", (pick(2000) - 1000) / (pick(3) == 0 ? 100.0 : 1.0));
        std::string date = pick(5) == 0 ? "" : std::to_string(1900 + pick(120) * 1) + "0" + std::to_string(1 + pick(9)) + "1" + std::to_string(pick(10));
        std::string longc = name + std::to_string(pick(50));
        return record(fields, {name, longc, num, date, std::to_string(recno)});
    };
    std::map<std::uint32_t, std::string> records;
    for (std::uint32_t r = 1; r <= 300; ++r) records[r] = randomRecord(r);
    std::string path = dir.file("r.mdx");
    auto index = ProductionIndex::create(path, "r", fields, CodePage::Cp1251);
    index->addTag("NAMEDT", "UPPER(NAME)+DTOS(DT)", {}, sourceOf(records));
    index->addTag("LONGX", "UPPER(LONGC)", {}, sourceOf(records));
    index->addTag("NUMX", "NUM", {}, sourceOf(records));
    index->addTag("DTX", "DT", {}, sourceOf(records));
    index->addTag("IDX", "ID", {false, true}, sourceOf(records));

    auto checkAll = [&](ProductionIndex& idx, const std::string& when) {
        SCOPED_TRACE(when);
        for (IndexTag* t : idx.tags()) {
            expectSameOrder(t, expected(t, fields, CodePage::Cp1251, records));
        }
    };
    checkAll(*index, "bulk built");
    for (int step = 0; step < 4000; ++step) {
        if (pick(3) == 0 || records.size() < 10) {
            std::uint32_t recno = std::uint32_t(records.size() + 1);
            records[recno] = randomRecord(recno);
            index->insert(recno, records[recno].data());
        } else {
            std::uint32_t recno = std::uint32_t(1 + pick(int(records.size())));
            std::string changed = randomRecord(recno);
            if (pick(4) == 0) changed = records[recno];  // no key changes: nothing to do
            index->update(recno, records[recno].data(), changed.data());
            records[recno] = changed;
        }
        if (step % 1000 == 999) {
            checkAll(*index, "after step " + std::to_string(step));
            // Seeks land on the first entry not below the key.
            IndexTag* t = index->tag("namedt");
            auto want = expected(t, fields, CodePage::Cp1251, records);
            for (int k = 0; k < 50; ++k) {
                const IndexEntry& probe = want[std::size_t(pick(int(want.size())))];
                std::string prefix = probe.key.substr(0, std::size_t(1 + pick(12)));
                auto found = t->seek(prefix);
                auto first = std::find_if(want.begin(), want.end(),
                                          [&](const IndexEntry& w) { return compareKeys('C', w.key, prefix) >= 0; });
                ASSERT_TRUE(found);
                EXPECT_EQ(found->recno, first->recno);
            }
        }
    }
    index->flush();
    // Closed before it is reopened: Windows does not rename over a file held open.
    index.reset();
    EXPECT_GE(kvzt::test::checkMdxTree(path, "LONGX"), 3);
    EXPECT_GE(kvzt::test::checkMdxTree(path, "NAMEDT"), 3);
    kvzt::test::checkMdxTree(path, "NUMX");
    kvzt::test::checkMdxTree(path, "DTX");
    kvzt::test::checkMdxTree(path, "IDX");
    auto reopened = ProductionIndex::open(path, fields, CodePage::Cp1251, true);
    checkAll(*reopened, "reopened");

    // Rebuild writes every tag anew: a compact file with the same contents.
    std::uint64_t before = kvzt::test::readFile(path).size();
    reopened->rebuild(sourceOf(records), path + ".new");
    checkAll(*reopened, "rebuilt");
    EXPECT_LE(kvzt::test::readFile(path).size(), before);
    EXPECT_GE(kvzt::test::checkMdxTree(path, "LONGX"), 3);
}

TEST(ProductionIndex, DeletedTagsFreeTheirBlocksAndRelinkTheSlots) {
    TempDir dir;
    auto fields = withOffsets({{"A", 'C', 20, 0, 0}, {"B", 'N', 5, 0, 0}});
    std::map<std::uint32_t, std::string> records;
    for (std::uint32_t r = 1; r <= 500; ++r)
        records[r] = record(fields, {"k" + std::to_string(r * 7919 % 500), std::to_string(r % 13)});
    std::string path = dir.file("d.mdx");
    auto index = ProductionIndex::create(path, "d", fields, CodePage::Cp1251);
    index->addTag("MM", "A", {}, sourceOf(records));
    index->addTag("BB", "B", {}, sourceOf(records));
    index->addTag("ZZ", "UPPER(A)", {}, sourceOf(records));
    try {
        index->addTag("CC", "A+B", {}, sourceOf(records));
        ADD_FAILURE() << "mixed key accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::InvalidKeyExpression);
    }
    EXPECT_THROW(index->addTag("mm", "A", {}, sourceOf(records)), EngineError);
    EXPECT_THROW(index->addTag("BAD NAME", "A", {}, sourceOf(records)), EngineError);
    try {
        index->deleteTag("NOTHERE");
        ADD_FAILURE();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::NoSuchIndex);
    }

    std::size_t sizeBefore = kvzt::test::readFile(path).size();
    index->deleteTag("bb");
    std::string b = kvzt::test::readFile(path);
    EXPECT_EQ(b.size(), sizeBefore);
    const std::uint32_t freeHead = mdx::get32(b.data() + 36);
    EXPECT_NE(freeHead, 0u);  // freed blocks on the free list
    EXPECT_EQ(mdx::get16(b.data() + 28), 2);
    const char* s1 = b.data() + 544;
    const char* s2 = s1 + 32;
    EXPECT_EQ(std::string(s2 + 4), "ZZ");
    EXPECT_EQ(int(s1[16]), 0);
    EXPECT_EQ(int(s1[17]), 2);
    EXPECT_EQ(int(s2[18]), 1);
    EXPECT_EQ(s1[64 + 4], 0);  // the third slot is cleared
    ASSERT_EQ(index->tags().size(), 2u);
    EXPECT_EQ(index->tag("BB"), nullptr);

    // Splits take the freed blocks before the file grows.
    for (std::uint32_t r = 501; r <= 504; ++r) {
        records[r] = record(fields, {"k" + std::to_string(r * 31 % 977), "1"});
        index->insert(r, records[r].data());
    }
    index->flush();
    b = kvzt::test::readFile(path);
    EXPECT_EQ(b.size(), sizeBefore);
    EXPECT_NE(mdx::get32(b.data() + 36), freeHead);
    auto reopened = ProductionIndex::open(path, fields, CodePage::Cp1251, false);
    for (IndexTag* t : reopened->tags()) expectSameOrder(t, expected(t, fields, CodePage::Cp1251, records));
}

TEST(ProductionIndex, UnchangedKeysLeaveTheFileAlone) {
    TempDir dir;
    auto fields = withOffsets({{"A", 'C', 8, 0, 0}, {"B", 'C', 8, 0, 0}});
    std::map<std::uint32_t, std::string> records;
    for (std::uint32_t r = 1; r <= 100; ++r) records[r] = record(fields, {"a" + std::to_string(r % 10), "x"});
    std::string path = dir.file("u.mdx");
    auto index = ProductionIndex::create(path, "u", fields, CodePage::Cp1251);
    index->addTag("AX", "UPPER(A)", {}, sourceOf(records));
    std::string before = kvzt::test::readFile(path);
    std::string changed = record(fields, {"A5", "other"});  // same key as "a5" upper-cased
    index->update(5, records[5].data(), changed.data());
    index->flush();
    EXPECT_EQ(kvzt::test::readFile(path), before);
}

namespace {

// A valid two-level file to damage, and the fields it needs.
struct Damaged {
    TempDir dir;
    std::vector<FieldDef> fields = withOffsets({{"A", 'C', 30, 0, 0}});
    std::string path = dir.file("x.mdx");
    std::string good;
    std::uint32_t tagHeader = 0;
    Damaged() {
        std::map<std::uint32_t, std::string> records;
        for (std::uint32_t r = 1; r <= 200; ++r) records[r] = record(fields, {"v" + std::to_string(r)});
        ProductionIndex::create(path, "x", fields, CodePage::Cp1251)->addTag("AX", "A", {}, sourceOf(records));
        good = kvzt::test::readFile(path);
        tagHeader = mdx::get32(good.data() + 544);
    }
    // Opens `bytes` and walks every tag both ways; true when it threw Corrupt.
    bool rejects(const std::string& bytes) {
        kvzt::test::writeFile(path, bytes);
        try {
            auto index = ProductionIndex::open(path, fields, CodePage::Cp1251, true);
            for (IndexTag* t : index->tags()) {
                walk(t);
                for (auto e = t->last(); e; e = t->prior(*e)) {
                }
                t->seek("v5");
            }
        } catch (const EngineError& e) {
            return e.code() == code::Corrupt;
        }
        return false;
    }
};

}  // namespace

TEST(ProductionIndex, DamagedFilesAreReportedNotFollowed) {
    Damaged d;
    ASSERT_FALSE(d.rejects(d.good));
    std::size_t h = std::size_t(d.tagHeader) * 512;
    std::uint32_t root = mdx::get32(d.good.data() + h);
    std::size_t r = std::size_t(root) * 512;
    auto with = [&](std::size_t at, std::uint32_t v, int bytes = 4) {
        std::string b = d.good;
        if (bytes == 4) mdx::put32(b.data() + at, v);
        if (bytes == 2) mdx::put16(b.data() + at, std::uint16_t(v));
        if (bytes == 1) b[at] = char(v);
        return b;
    };
    EXPECT_TRUE(d.rejects(d.good.substr(0, 1000))) << "truncated header";
    EXPECT_TRUE(d.rejects(with(0, 7, 1))) << "version";
    EXPECT_TRUE(d.rejects(with(22, 512, 2))) << "block size";
    EXPECT_TRUE(d.rejects(with(28, 200, 2))) << "tag count";
    EXPECT_TRUE(d.rejects(with(544, 99999))) << "tag header outside the file";
    EXPECT_TRUE(d.rejects(with(h, 99999))) << "root outside the file";
    EXPECT_TRUE(d.rejects(with(h + 12, 0, 2))) << "key length 0";
    EXPECT_TRUE(d.rejects(with(h + 12, 300, 2))) << "key length too large";
    EXPECT_TRUE(d.rejects(with(h + 14, 900, 2))) << "max keys past the block";
    EXPECT_TRUE(d.rejects(with(r, 0xFFFF))) << "count past the block";
    EXPECT_TRUE(d.rejects(with(r + 8, root))) << "branch pointing at itself";
    EXPECT_TRUE(d.rejects(with(r + 8, 99999))) << "child outside the file";
    EXPECT_TRUE(d.rejects(d.good.substr(0, d.good.size() - 1024))) << "file cut short";
    // A pointer to the tag header from a branch (a loop through a non-node).
    EXPECT_TRUE(d.rejects(with(r + 8, d.tagHeader)));
}

TEST(ProductionIndex, OnePassOverSeveralTagsWritesTheFileOfTagByTagAdds) {
    TempDir dir;
    auto fields = withOffsets({{"CODE", 'C', 6, 0, 0}, {"NAME", 'C', 20, 0, 0}, {"NUM", 'N', 8, 0, 0}});
    std::mt19937 rng(7);
    std::map<std::uint32_t, std::string> records;
    for (std::uint32_t r = 1; r <= 3000; ++r)
        records[r] = record(fields, {std::to_string(rng() % 500), fromUtf8(r % 3 ? "ул Ленина" : "пер Мира", CodePage::Cp866) +
                                                                    std::to_string(rng() % 97),
                                     std::to_string(rng() % 100000)});
    const std::vector<TagDefinition> first = {{"NAMEX", "UPPER(NAME)", {}},
                                              {"CODENAME", "CODE+UPPER(NAME)", {false, true}},
                                              {"NUMX", "NUM", {}}};
    const TagDefinition later{"CODEX", "CODE", {}};
    {
        auto byOne = ProductionIndex::create(dir.file("one.mdx"), "t", fields, CodePage::Cp866);
        for (const TagDefinition& d : first) byOne->addTags({d}, sourceOf(records));
        byOne->addTags({later}, sourceOf(records));
        auto byPass = ProductionIndex::create(dir.file("pass.mdx"), "t", fields, CodePage::Cp866);
        byPass->addTags(first, sourceOf(records), std::uint32_t(records.size()));
        byPass->addTags({later}, sourceOf(records), std::uint32_t(records.size()));
        for (IndexTag* t : byPass->tags()) expectSameOrder(t, expected(t, fields, CodePage::Cp866, records));

        // A refused name or a name given twice adds none of the tags.
        EXPECT_THROW(byPass->addTags({{"OKX", "CODE", {}}, {"NAMEX", "NAME", {}}}, sourceOf(records)), EngineError);
        EXPECT_THROW(byPass->addTags({{"OKX", "CODE", {}}, {"OKX", "NAME", {}}}, sourceOf(records)), EngineError);
        EXPECT_THROW(byPass->addTags({{"OKX", "CODE", {}}, {"1BAD", "NAME", {}}}, sourceOf(records)), EngineError);
        EXPECT_EQ(byPass->tags().size(), 4u);
    }
    EXPECT_EQ(kvzt::test::readFile(dir.file("pass.mdx")), kvzt::test::readFile(dir.file("one.mdx")));
}

// Keys gathered in stretches that already ascend on their first bytes (a
// table filled in code order, with another stretch appended) are sorted by a
// shortcut; the order must be the one any other input gets.
TEST(ProductionIndex, KeysGatheredInStretchesComeOutInKeyOrder) {
    TempDir dir;
    auto fields = withOffsets({{"CODE", 'C', 11, 0, 0}, {"NAME", 'C', 20, 0, 0}});
    std::mt19937 rng(99);
    const char* names[] = {"Садовая", "садовая", "Абрикосовая", "Мира", "Мирная", "Садовая 2-я", "Я"};
    auto code = [](int n) {
        char text[48];
        std::snprintf(text, sizeof text, "%02d%03d%03d%03d", n / 1000, n / 100 % 10, n / 10 % 10, n % 10 * 7);
        return std::string(text);
    };
    // Codes ascending in each stretch, names in no order within one code.
    auto stretches = [&](const std::vector<std::pair<int, int>>& ranges) {
        std::map<std::uint32_t, std::string> records;
        std::uint32_t recno = 0;
        for (const auto& [from, to] : ranges) {
            for (int c = from; c < to; c += 1 + int(rng() % 3)) {
                for (unsigned k = rng() % 6; k-- > 0;)
                    records[++recno] = record(fields, {code(c), fromUtf8(names[rng() % 7], CodePage::Cp866)});
            }
        }
        return records;
    };
    std::vector<std::pair<int, int>> many;
    for (int s = 0; s < 20; ++s) many.push_back({s * 37 % 500, s * 37 % 500 + 300});
    const std::vector<std::pair<std::string, std::map<std::uint32_t, std::string>>> cases = {
        {"one stretch", stretches({{0, 3000}})},
        {"a stretch appended", stretches({{0, 1000}, {2000, 3000}, {1000, 2000}})},
        {"a few stretches", stretches({{500, 900}, {0, 700}, {100, 200}, {900, 1000}})},
        {"more stretches than the shortcut takes", stretches(many)},
    };
    int n = 0;
    for (const auto& [what, records] : cases) {
        SCOPED_TRACE(what);
        auto index = ProductionIndex::create(dir.file("s" + std::to_string(++n) + ".mdx"), "s", fields, CodePage::Cp866);
        index->addTags({{"UP", "CODE+UPPER(NAME)", {}}, {"DOWN", "CODE+UPPER(NAME)", {false, true}}, {"CODEX", "CODE", {}}},
                       sourceOf(records));
        for (IndexTag* t : index->tags()) expectSameOrder(t, expected(t, fields, CodePage::Cp866, records));
    }
}
