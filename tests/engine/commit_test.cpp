// What a commit leaves on disk. Appends are gathered in memory; once the
// journal is gone nothing can undo or redo them, so a commit must have
// written the records, the header's record count and the tags before it
// deletes the journal. The files are read here with plain reads, beside
// the engine's own caches, while the table is still open.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/database.h"
#include "engine/journal.h"
#include "engine/production_index.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

std::uint32_t le32(const std::string& bytes, std::size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}
std::uint16_t le16(const std::string& bytes, std::size_t at) {
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

}  // namespace

TEST(Commit, LeavesAppendedRecordsTheirCountAndTagsOnDiskBeforeTheJournalGoes) {
    TempDir dir;
    Database db("VX_B", dir.path(), CodePage::Cp1251);
    const std::vector<FieldDef> fields{{"NOM", 'N', 6, 0}, {"FAM", 'C', 20, 0}};
    db.createTable("LIST", fields);
    auto t = db.openTable("LIST");
    t->addIndex("NOMX", "NOM");
    const auto add = [&](int nom) {
        t->append();
        t->setInteger("NOM", nom);
        t->setString("FAM", "Фамилия" + std::to_string(nom));
        t->post();
    };
    add(1);  // one record before the transaction

    db.startTransaction();
    for (int nom = 2; nom <= 40; ++nom) add(nom);
    db.commit();
    ASSERT_FALSE(std::filesystem::exists(Journal::pathIn(dir.path())));

    const std::string bytes = kvzt::test::readFile(dir.file("LIST.DBF"));
    const std::uint32_t count = le32(bytes, 4);
    const std::size_t headerLength = le16(bytes, 8);
    const std::size_t recordLength = le16(bytes, 10);
    EXPECT_EQ(count, 40u);
    ASSERT_GE(bytes.size(), headerLength + 40 * recordLength);
    const std::string last = bytes.substr(headerLength + 39 * recordLength, recordLength);
    EXPECT_EQ(last.substr(1, 6), "    40");
    EXPECT_EQ(last.substr(7, 9), fromUtf8("Фамилия40", CodePage::Cp1251));

    // The tag, read from the file by a second reader of its own.
    auto index = ProductionIndex::open(dir.file("LIST.MDX"), t->fields(), CodePage::Cp1251, false);
    std::uint32_t entries = 0;
    index->tag("NOMX")->forEach([&](const IndexEntry&) { ++entries; });
    EXPECT_EQ(entries, 40u);
}
