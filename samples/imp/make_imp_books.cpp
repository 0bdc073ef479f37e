// Makes the DOS 2.* reference books that travel with the program, from the
// text files beside this source:
//
//   kvzt-imp-books SOURCE_DIR OUTPUT_DIR
//
// Input: kldok.txt, k0str.txt, k1reg.txt in UTF-8; lines starting with "#"
// are comments, the first other line names the columns, then one row per
// line, columns separated by ";" (extra columns are ignored).
// Output: kldok.dbf, k0str.dbf, k1reg.dbf as the DOS version wrote them
// (dBase III, code page 866, language-driver byte 0, no index):
//   kldok.dbf: D_CODE C(2)  D_MIDDLE C(30)  D_NAME C(40)
//   k0str.dbf: KOD C(3)     NAME C(40)
//   k1reg.dbf: KODREG C(2)  NAME C(40)

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/dbf_file.h"
#include "engine/field_def.h"
#include "samples/import/file_date_stamp.h"

namespace {

using kvzt::engine::CodePage;
using kvzt::engine::DbfFile;
using kvzt::engine::FieldDef;

struct Book {
    const char* name;
    std::vector<FieldDef> fields;
};

const Book kBooks[] = {
    {"kldok", {{"D_CODE", 'C', 2, 0, 0}, {"D_MIDDLE", 'C', 30, 0, 0}, {"D_NAME", 'C', 40, 0, 0}}},
    {"k0str", {{"KOD", 'C', 3, 0, 0}, {"NAME", 'C', 40, 0, 0}}},
    {"k1reg", {{"KODREG", 'C', 2, 0, 0}, {"NAME", 'C', 40, 0, 0}}},
};

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        std::size_t at = line.find(';', from);
        std::string part = line.substr(from, at == std::string::npos ? std::string::npos : at - from);
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(" \r") + 1);
        parts.push_back(part);
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

std::vector<std::vector<std::string>> readRows(const std::string& path, std::size_t columns) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    bool header = true;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> row = split(line);
        if (row.size() < columns)
            throw std::runtime_error(path + ":" + std::to_string(number) + ": " + std::to_string(columns) +
                                     " columns expected");
        row.resize(columns);
        rows.push_back(row);
    }
    return rows;
}

void writeBook(const Book& book, const std::string& sourceDir, const std::string& outputDir) {
    const auto rows = readRows(sourceDir + "/" + book.name + ".txt", book.fields.size());
    const std::string path = outputDir + "/" + book.name + ".dbf";
    DbfFile::create(path, book.fields, 0);
    auto file = DbfFile::open(path, kvzt::engine::OpenMode::Exclusive);
    std::string record(std::size_t(file->recordLength()), ' ');
    for (const auto& row : rows) {
        std::fill(record.begin(), record.end(), ' ');
        for (std::size_t i = 0; i < row.size(); ++i) {
            const FieldDef& f = file->fields()[i];
            const std::string bytes = kvzt::engine::fromUtf8(row[i], CodePage::Cp866);
            if (bytes.size() > std::size_t(f.length))
                throw std::runtime_error(book.name + std::string(": \"") + row[i] + "\" is wider than " + f.name);
            record.replace(std::size_t(f.offset), bytes.size(), bytes);
        }
        file->appendRecord(record.data());
    }
    file->close();
    kvzt::samples::StampDbfDate(path, {1999, 12, 1});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: kvzt-imp-books SOURCE_DIR OUTPUT_DIR\n", stderr);
        return 2;
    }
    try {
        std::filesystem::create_directories(argv[2]);
        for (const Book& book : kBooks) writeBook(book, argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvzt-imp-books: %s\n", e.what());
        return 1;
    }
    return 0;
}
