// Production index figures: building UPPER(FAM+NAME+OTC)+DTOS(DATEROG) over
// 1,000,000 records of a taxpayer-list layout against one full scan of the
// table, and appending 100,000 records with two tags kept up to date.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "engine/code_page.h"
#include "engine/dbf_file.h"
#include "engine/production_index.h"

using namespace kvzt::engine;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::string makeRecord(const std::vector<FieldDef>& f, int len, std::uint32_t n, std::mt19937& rng) {
    static const char* fams[] = {"Иванов", "Петров", "Сидоров", "Кузнецов", "Смирнов", "Попов", "Волков"};
    static const char* names[] = {"Иван", "Пётр", "Анна", "Мария", "Сергей", "Ольга"};
    std::string r(std::size_t(len), ' ');
    auto put = [&](int i, const std::string& v, bool right = false) {
        std::string cell = v.substr(0, std::size_t(f[std::size_t(i)].length));
        std::size_t at = std::size_t(f[std::size_t(i)].offset) + (right ? std::size_t(f[std::size_t(i)].length) - cell.size() : 0);
        r.replace(at, cell.size(), cell);
    };
    put(0, std::to_string(n), true);
    put(1, fromUtf8(std::string(fams[rng() % 7]) + std::to_string(rng() % 10000), CodePage::Cp1251));
    put(2, fromUtf8(names[rng() % 6], CodePage::Cp1251));
    put(3, fromUtf8("Отчество" + std::to_string(rng() % 50), CodePage::Cp1251));
    put(4, std::to_string(1940 + rng() % 60) + "0" + std::to_string(1 + rng() % 9) + "1" + std::to_string(rng() % 9));
    return r;
}

}  // namespace

int main() {
    auto dir = std::filesystem::temp_directory_path() / ("kvzt_mdx_bench_" + std::to_string(::time(nullptr)));
    std::filesystem::create_directories(dir);
    std::string dbfPath = (dir / "spisok32.dbf").string();
    DbfFile::create(dbfPath,
                    {{"NOM", 'N', 6, 0, 0}, {"FAM", 'C', 25, 0, 0}, {"NAME", 'C', 15, 0, 0}, {"OTC", 'C', 15, 0, 0},
                     {"DATEROG", 'D', 8, 0, 0}, {"ADRES", 'C', 120, 0, 0}, {"INN", 'C', 12, 0, 0}},
                    languageDriverOf(CodePage::Cp1251));
    auto dbf = DbfFile::open(dbfPath, OpenMode::Exclusive);
    const auto fields = dbf->fields();
    const int len = dbf->recordLength();
    std::mt19937 rng(1);
    auto t = Clock::now();
    for (std::uint32_t n = 1; n <= 1000000; ++n) dbf->appendRecord(makeRecord(fields, len, n, rng).data());
    dbf->flush();
    std::printf("write 1,000,000 records: %.2f s\n", since(t));

    std::string buf(std::size_t(len), '\0');
    RecordSource all = [&](const RecordVisitor& visit) {
        for (std::uint32_t r = 1; r <= dbf->recordCount(); ++r) {
            dbf->readRecord(r, buf.data());
            visit(r, buf.data());
        }
    };
    t = Clock::now();
    std::size_t blanks = 0;
    all([&](std::uint32_t, const char* rec) { blanks += rec[0] == ' '; });
    double scan = since(t);
    std::printf("full scan: %.2f s\n", scan);

    std::string mdxPath = (dir / "spisok32.mdx").string();
    auto index = ProductionIndex::create(mdxPath, "spisok32", fields, CodePage::Cp1251);
    t = Clock::now();
    index->addTag("FIOBORN", "UPPER(FAM+NAME+OTC)+DTOS(DATEROG)", {}, all);
    double build = since(t);
    std::printf("build FIOBORN over 1,000,000 records: %.2f s (%.1f scans), file %.1f MB\n", build, build / scan,
                double(std::filesystem::file_size(mdxPath)) / 1e6);
    index->addTag("NOMX", "NOM", {}, all);

    t = Clock::now();
    for (std::uint32_t n = 1000001; n <= 1100000; ++n) {
        std::string r = makeRecord(fields, len, n, rng);
        std::uint32_t recno = dbf->appendRecord(r.data());
        index->insert(recno, r.data());
    }
    index->flush();
    dbf->flush();
    std::printf("append 100,000 records with FIOBORN and NOMX kept up to date: %.2f s\n", since(t));
    index.reset();
    dbf.reset();
    std::filesystem::remove_all(dir);
    return blanks == 0 ? 1 : 0;
}
