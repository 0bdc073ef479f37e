// The B-tree of a tag under a known sequence of inserts, and the check of a
// descending tag. Keys of 100 bytes leave room for nine entries per node,
// so a few hundred records split leaves and branches many times over.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "engine/database.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/mdx_tree_check.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

constexpr int kRecords = 700;

// The key text of number n: zero-padded so that text order is number order.
std::string keyText(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "K%05d", n);
    return text;
}

// Every tag of the table is sound by the engine's own check.
void expectSoundTags(Table& t) {
    for (const TagReport& report : verifyTable(t)) {
        EXPECT_TRUE(report.problems.empty()) << report.tag << ": " << report.problems.front();
    }
}

// The NUM values in the active tag's order, walked forwards.
std::vector<int> walkForward(Table& t) {
    std::vector<int> out;
    for (t.first(); !t.eof(); t.next()) out.push_back(int(t.asInteger("NUM")));
    return out;
}

// The same walked backwards, given back in forward order.
std::vector<int> walkBackward(Table& t) {
    std::vector<int> out;
    for (t.last(); !t.bof(); t.prior()) out.push_back(int(t.asInteger("NUM")));
    std::reverse(out.begin(), out.end());
    return out;
}

class TagTree : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<Database>("T", dir.path(), CodePage::Cp1251);
        db->createTable("TREE", {{"KEY", 'C', 100, 0}, {"NUM", 'N', 6, 0}});
        t = db->openTable("TREE");
        t->addIndex("KEYX", "KEY");
        t->addIndex("NUMD", "NUM", {false, true});
    }

    void add(int n) {
        t->append();
        t->setString("KEY", keyText(n));
        t->setInteger("NUM", n);
        t->post();
    }

    TempDir dir;
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> t;
};

}  // namespace

// Inserts that always land at the right edge, at the left edge, and
// scattered (a stride prime to the count visits every number once), each
// splitting nodes at every level of the tree.
TEST_F(TagTree, SplitsAtEveryLevelKeepOrderSeeksAndVerification) {
    for (int n = 0; n < kRecords / 3; ++n) add(1000 + n);           // ascending
    for (int n = kRecords / 3; n > 0; --n) add(n);                   // descending, all below
    for (int i = 0; i < kRecords / 3; ++i) add(2000 + (i * 37) % (kRecords / 3));  // scattered, all above

    std::vector<int> expected;
    for (int n = 1; n <= kRecords / 3; ++n) expected.push_back(n);
    for (int n = 0; n < kRecords / 3; ++n) expected.push_back(1000 + n);
    for (int n = 0; n < kRecords / 3; ++n) expected.push_back(2000 + n);

    const auto checkAll = [&](const char* when) {
        SCOPED_TRACE(when);
        t->setIndex("KEYX");
        EXPECT_EQ(walkForward(*t), expected);
        EXPECT_EQ(walkBackward(*t), expected);
        // Every key is found where it is, and a key between two stored ones
        // lands on the next higher.
        for (int n : expected) {
            ASSERT_TRUE(t->findKey({keyText(n)})) << n;
            ASSERT_EQ(t->asInteger("NUM"), n);
        }
        t->setRange({std::string("K00500")}, {std::string("K01999")});
        EXPECT_EQ(t->asInteger("NUM"), 1000);
        t->cancelRange();
        t->setIndex("NUMD");
        std::vector<int> descending(expected.rbegin(), expected.rend());
        EXPECT_EQ(walkForward(*t), descending);
        EXPECT_EQ(walkBackward(*t), descending);
        expectSoundTags(*t);
    };
    checkAll("after the inserts");

    t->close();
    // The file as another reader descends it: every separator the highest
    // key of its child, and enough levels that branches split too.
    EXPECT_GE(kvzt::test::checkMdxTree(dir.file("TREE.MDX"), "KEYX"), 4);
    EXPECT_GE(kvzt::test::checkMdxTree(dir.file("TREE.MDX"), "NUMD"), 2);
    t = db->openTable("TREE");
    checkAll("reopened");
}

// A descending tag is in order when its keys fall; the check must accept a
// sound one and still find one whose entries were put out of place.
TEST(DescendingTag, VerifyAcceptsASoundOneAndReportsAMisorderedOne) {
    TempDir dir;
    Database db("T", dir.path(), CodePage::Cp1251);
    db.createTable("DESC", {{"NAME", 'C', 8, 0}});
    auto t = db.openTable("DESC");
    t->addIndex("NAMED", "NAME", {false, true});
    for (const char* name : {"CCCC", "AAAA", "EEEE", "BBBB", "DDDD"}) {
        t->append();
        t->setString("NAME", name);
        t->post();
    }
    std::vector<std::string> order;
    t->setIndex("NAMED");
    for (t->first(); !t->eof(); t->next()) order.push_back(t->asString("NAME"));
    EXPECT_EQ(order, (std::vector<std::string>{"EEEE", "DDDD", "CCCC", "BBBB", "AAAA"}));
    expectSoundTags(*t);
    const std::string dbfPath = t->path();
    t->close();
    EXPECT_EQ(kvzt::test::runCommand({kvzt::test::cliPath(), "verify", dbfPath}).exitCode, 0);

    // Swap two whole entries (record number and key) of the leaf: each key
    // still matches its record, only the order is wrong (E B C D A).
    const std::string mdxPath = dir.file("DESC.MDX");
    const std::string bytes = kvzt::test::readFile(mdxPath);
    const std::size_t item = 4 + 8;
    const std::size_t b = bytes.find("BBBB") - 4;
    const std::size_t d = bytes.find("DDDD") - 4;
    ASSERT_LT(b, bytes.size());
    ASSERT_LT(d, bytes.size());
    std::string swapped = bytes;
    swapped.replace(b, item, bytes, d, item);
    swapped.replace(d, item, bytes, b, item);
    kvzt::test::writeFile(mdxPath, swapped);

    t = db.openTable("DESC");
    const std::vector<TagReport> reports = verifyTable(*t);
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_FALSE(reports[0].problems.empty()) << "the tag is out of order";
    for (const std::string& line : reports[0].problems) {
        EXPECT_NE(line.find("не на своём месте"), std::string::npos) << line;
    }
    t->close();
    EXPECT_EQ(kvzt::test::runCommand({kvzt::test::cliPath(), "verify", dbfPath}).exitCode, 1);
}
