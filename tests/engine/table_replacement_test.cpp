// Pack and empty put a new file in the table's place by a rename. Older
// Windows versions and Wine refuse to rename over a file while any handle of
// it is open; here that rule is in force on every system (a file layer that
// refuses such renames), so the way round it is tried on Linux too.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <utility>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

using Identity = std::pair<std::uint64_t, std::uint64_t>;  // device, file number

// Refuses (EACCES) a rename over a file some handle of this process holds
// open, and, after refuseOver(), every rename over that file, as when
// another program keeps it open.
class NoRenameOverOpenFiles final : public FileIo {
public:
    NoRenameOverOpenFiles() : inner_(fileIo()) { previous_ = setFileIo(this); }
    ~NoRenameOverOpenFiles() override { setFileIo(previous_); }

    void refuseOver(const std::string& path) { stubborn_ = identityOf(path); }
    void stopRefusing() { stubborn_ = {0, 0}; }
    int refusals() const { return refusals_; }

    int open(const std::string& path, OpenFlags flags, FileHandle& out) override {
        const int e = inner_.open(path, flags, out);
        FileInfo fi;
        if (e == 0 && inner_.info(out, fi) == 0) open_[out] = {fi.device, fi.inode};
        return e;
    }
    void close(FileHandle file) override {
        open_.erase(file);
        inner_.close(file);
    }
    int rename(const std::string& from, const std::string& to) override {
        const Identity target = identityOf(to);
        bool busy = target.second != 0 && target == stubborn_;
        for (const auto& [handle, id] : open_) busy = busy || (target.second != 0 && id == target);
        if (busy) {
            ++refusals_;
            return EACCES;
        }
        return inner_.rename(from, to);
    }
    int read(FileHandle f, void* out, std::size_t size, std::uint64_t at, std::size_t& done) override {
        return inner_.read(f, out, size, at, done);
    }
    int write(FileHandle f, const void* data, std::size_t size, std::uint64_t at) override {
        return inner_.write(f, data, size, at);
    }
    int sync(FileHandle f) override { return inner_.sync(f); }
    int truncate(FileHandle f, std::uint64_t length) override { return inner_.truncate(f, length); }
    int info(FileHandle f, FileInfo& out) override { return inner_.info(f, out); }
    int pathInfo(const std::string& path, FileInfo& out) override { return inner_.pathInfo(path, out); }
    int remove(const std::string& path) override { return inner_.remove(path); }
    int link(const std::string& existing, const std::string& newPath) override {
        return inner_.link(existing, newPath);
    }
    int syncDirectory(const std::string& directory) override { return inner_.syncDirectory(directory); }

private:
    Identity identityOf(const std::string& path) {
        FileInfo fi;
        return inner_.pathInfo(path, fi) == 0 ? Identity{fi.device, fi.inode} : Identity{0, 0};
    }

    FileIo& inner_;
    FileIo* previous_ = nullptr;
    std::map<FileHandle, Identity> open_;
    Identity stubborn_{0, 0};
    int refusals_ = 0;
};

class TableReplacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<Database>("VX_B", dir.path(), CodePage::Cp1251);
        db->createTable("T", {{"NOM", 'N', 5, 0}, {"FAM", 'C', 20, 0}});
        t = db->openTable("T");
        for (std::int64_t nom : {6, 2, 5, 1, 4, 3}) add(*t, nom);
        t->addIndex("NOMX", "NOM");
        t->addIndex("FAMX", "UPPER(FAM)");
        t->setIndex("NOMX");
        for (std::int64_t gone : {2, 5}) {
            ASSERT_TRUE(t->findKey({gone}));
            t->deleteRecord();
        }
    }

    static void add(Table& table, std::int64_t nom) {
        table.append();
        table.setInteger("NOM", nom);
        table.setString("FAM", "Фамилия " + std::to_string(nom));
        table.post();
    }

    static std::vector<std::int64_t> walk(Table& table) {
        std::vector<std::int64_t> out;
        for (table.first(); !table.eof(); table.next()) out.push_back(table.asInteger("NOM"));
        return out;
    }

    void expectNoTemporaries() {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_EQ(entry.path().filename().string().find(".kvzt-"), std::string::npos) << entry.path();
    }

    void expectTagsSound(Table& table) {
        for (const TagReport& report : verifyTable(table)) EXPECT_TRUE(report.problems.empty()) << report.tag;
    }

    NoRenameOverOpenFiles windowsRules;  // before the files are opened, so that it sees them all
    TempDir dir;
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> t;
};

}  // namespace

// The packing cursor lets go of its handles of the old table for the rename
// and reads the new one afterwards; a second cursor opened then shares its
// files (what one appends the other sees at once). The same for an empty.
TEST_F(TableReplacementTest, PackAndEmptyWhereAnOpenFileCannotBeRenamedOver) {
    t->pack();
    EXPECT_GE(windowsRules.refusals(), 1) << "the rename over the open table was not refused";
    EXPECT_EQ(t->recordCount(), 4u);
    EXPECT_EQ(t->indexName(), "NOMX");
    EXPECT_EQ(walk(*t), (std::vector<std::int64_t>{1, 3, 4, 6}));
    expectTagsSound(*t);
    expectNoTemporaries();
    {
        auto other = db->openTable("T");
        other->setIndex("FAMX");
        EXPECT_EQ(walk(*other), (std::vector<std::int64_t>{1, 3, 4, 6}));
        add(*t, 7);
        EXPECT_EQ(walk(*other), (std::vector<std::int64_t>{1, 3, 4, 6, 7}));
        EXPECT_THROW(other->emptyTable(), EngineError) << "emptied a table another cursor holds";
    }
    t->emptyTable();
    EXPECT_TRUE(t->isEmpty());
    EXPECT_EQ(t->tagNames().size(), 2u);
    expectNoTemporaries();
    add(*t, 8);
    auto other = db->openTable("T");
    other->setIndex("NOMX");
    EXPECT_TRUE(other->findKey({std::int64_t(8)}));
    EXPECT_EQ(walk(*other), (std::vector<std::int64_t>{8}));
    expectTagsSound(*other);
}

// When the rename is refused even with our handles let go (another program
// has the old file open), the table stays as it was, nothing is left beside
// it, and the cursor takes its files and its lock back and goes on working.
TEST_F(TableReplacementTest, ARefusedReplacementLeavesTheTableAsItWasAndTheCursorWorking) {
    windowsRules.refuseOver(t->path());
    EXPECT_THROW(t->pack(), EngineError);
    EXPECT_THROW(t->emptyTable(), EngineError);
    windowsRules.stopRefusing();
    expectNoTemporaries();
    EXPECT_EQ(t->recordCount(), 6u);
    EXPECT_EQ(walk(*t), (std::vector<std::int64_t>{1, 3, 4, 6}));
    expectTagsSound(*t);
    try {
        db->openTable("T", OpenMode::Exclusive);
        FAIL() << "the cursor lost its lock";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::TableInUse);
    }
    add(*t, 9);
    t->close();
    t = db->openTable("T");
    t->setIndex("NOMX");
    EXPECT_EQ(walk(*t), (std::vector<std::int64_t>{1, 3, 4, 6, 9}));
    t->pack();
    EXPECT_EQ(t->recordCount(), 5u);
}
