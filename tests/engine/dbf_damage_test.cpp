// Files users really have: damaged headers and tails. Each opens tolerantly
// where the data is still unambiguous, or fails with an engine error.

#include <gtest/gtest.h>

#include <random>

#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::readFile;
using kvzt::test::TempDir;
using kvzt::test::writeFile;

namespace {

// A table of three records "AAA", "BBB", "CCC" in a C(3) and N(2) layout.
std::string goodTable(const TempDir& dir) {
    std::string path = dir.file("GOOD.DBF");
    DbfFile::create(path, {{"NAME", 'C', 3, 0}, {"N", 'N', 2, 0}}, 0x26);
    auto t = Table::open(path, OpenMode::Shared, CodePage::Cp866);
    for (const char* s : {"AAA", "BBB", "CCC"}) {
        t->append();
        t->setString("NAME", s);
        t->setInteger("N", 7);
        t->post();
    }
    t->close();
    return readFile(path);
}

std::vector<std::string> names(const std::string& path) {
    auto t = Table::open(path, OpenMode::ReadOnly, CodePage::Cp866);
    std::vector<std::string> out;
    for (t->first(); !t->eof(); t->next()) out.push_back(t->asString("NAME"));
    return out;
}

int openError(const std::string& path) {
    try {
        names(path);
        return 0;
    } catch (const EngineError& e) {
        return e.code();
    }
}

void setByte(std::string& b, size_t at, int v) { b[at] = char(v); }

}  // namespace

TEST(DamagedDbf, TolerableDamageStillReadsTheData) {
    TempDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("X.DBF");
    const std::vector<std::string> all{"AAA", "BBB", "CCC"};

    std::string b = good;
    b.pop_back();  // no 0x1A end marker
    writeFile(path, b);
    EXPECT_EQ(names(path), all);

    b = good;
    setByte(b, 4, 2);  // a count smaller than the file: the header is trusted
    writeFile(path, b);
    EXPECT_EQ(names(path), (std::vector<std::string>{"AAA", "BBB"}));

    b = good;
    b.insert(b.size() - 1, "AB");  // part of a record after the counted ones: never committed
    writeFile(path, b);
    EXPECT_EQ(names(path), all);

    // An extra byte after the 0x0D terminator, declared in the header length.
    b = good;
    const size_t headerLength = 32 + 2 * 32 + 1;
    b.insert(headerLength, 1, '\0');
    setByte(b, 8, int(headerLength + 1));
    writeFile(path, b);
    EXPECT_EQ(names(path), all);

    // The terminator missing, the header length still right.
    b = good;
    b[headerLength - 1] = ' ';
    writeFile(path, b);
    EXPECT_EQ(names(path), all);
}

std::string openMessage(const std::string& path) {
    try {
        names(path);
        return "";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), code::Corrupt);
        return e.what();
    }
}

// A header that contradicts its file is never read as if true: each case
// fails with the corruption code and says what is wrong.
TEST(DamagedDbf, HeadersThatContradictTheFileAreErrors) {
    TempDir dir;
    const std::string good = goodTable(dir);  // header 97 bytes, records of 6, three of them, 0x1A
    const std::string path = dir.file("X.DBF");
    const std::string prefix = "Повреждён файл таблицы " + path + ": ";
    const std::string countHint = " (kvzt-cli repair исправит счётчик)";

    std::string b = good;
    setByte(b, 4, 200);
    writeFile(path, b);
    EXPECT_EQ(openMessage(path), prefix + "в заголовке записей 200, а в файле целых записей 3" + countHint);

    b = good.substr(0, good.size() - 3);  // the last record cut in the middle
    writeFile(path, b);
    EXPECT_EQ(openMessage(path), prefix + "в заголовке записей 3, а в файле целых записей 2" + countHint);

    b = good;
    setByte(b, 8, 97 + 6);  // the header length points into the first record
    writeFile(path, b);
    EXPECT_EQ(openMessage(path), prefix + "в заголовке записей 3, а в файле целых записей 2" + countHint);

    b = good;
    setByte(b, 8, 65);  // room for one descriptor, two follow
    writeFile(path, b);
    EXPECT_EQ(openMessage(path), prefix + "длина заголовка 65 байт меньше нужной для описаний полей (97 байт)");

    for (int length : {0, 5, 7}) {
        b = good;
        setByte(b, 10, length);
        writeFile(path, b);
        EXPECT_EQ(openMessage(path), prefix + "длина записи в заголовке " + std::to_string(length) +
                                         " байт, а поля занимают 6 байт (с флагом удаления)");
    }

    writeFile(path, good.substr(0, 70));
    EXPECT_EQ(openMessage(path), prefix + "описания полей обрезаны: файл длиной 70 байт кончается внутри "
                                          "заголовка длиной 97 байт");

    b = good;
    setByte(b, 8, 200);
    writeFile(path, b);
    EXPECT_EQ(openMessage(path), prefix + "длина заголовка 200 байт больше длины файла 116 байт");
}

TEST(DamagedDbf, HopelessFilesFailWithAnEngineError) {
    TempDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("X.DBF");

    writeFile(path, good.substr(0, 20));  // truncated header
    EXPECT_EQ(openError(path), code::Corrupt);

    std::string b = good;
    setByte(b, 0, 0x04);  // a dBase 7 table: another layout
    writeFile(path, b);
    EXPECT_EQ(openError(path), code::UnknownTableType);

    writeFile(path, "This is a text file, not a table at all.\n");
    EXPECT_NE(openError(path), 0);

    b = good;
    setByte(b, 32 + 16, 0);  // a field of width 0
    writeFile(path, b);
    EXPECT_EQ(openError(path), code::Corrupt);

    b = good;
    setByte(b, 10, 3);  // record length shorter than the fields, file not matching either
    setByte(b, 11, 0);
    b += "xx";
    writeFile(path, b);
    EXPECT_EQ(openError(path), code::Corrupt);

    EXPECT_EQ(openError(dir.file("MISSING.DBF")), code::NoSuchTable);
}

TEST(DamagedDbf, RandomDamageNeverCrashes) {
    TempDir dir;
    const std::string good = goodTable(dir);
    const std::string path = dir.file("X.DBF");
    std::mt19937 rng(12345);
    for (int round = 0; round < 2000; ++round) {
        std::string b = good;
        int flips = 1 + int(rng() % 6);
        for (int i = 0; i < flips; ++i) b[rng() % b.size()] = char(rng());
        if (rng() % 4 == 0) b.resize(rng() % b.size());
        writeFile(path, b);
        try {
            names(path);
        } catch (const EngineError&) {
        }
    }
    // Failed opens give back their descriptors and locks: the good file still opens.
    writeFile(path, good);
    EXPECT_EQ(names(path).size(), 3u);
}
