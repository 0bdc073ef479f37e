// Appending 1,000,000 records of the taxpayer-list layout (the table synced
// to the disk at close) and scanning them, against the physical baselines:
// the same bytes through plain buffered writes and reads, and the same bytes
// written and forced to the disk with fsync. Prints the figures; asserts nothing.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_tables.h"
#include "engine/database.h"
#include "engine/table.h"

using namespace kvzt::engine;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }


}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const auto dir = std::filesystem::temp_directory_path() / "kvzt-dbf-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    Database db("VX_B", dir.string(), CodePage::Cp1251);
    kvzt::bench::createCatalogueTable(db, "SPISOK32.DBF");
    const char* fam[] = {"Иванов", "Петров", "Сидоров", "Кузнецов", "Смирнова"};

    auto t0 = Clock::now();
    {
        auto t = db.openTable("SPISOK32", OpenMode::Exclusive);
        for (int i = 1; i <= n; ++i) {
            t->append();
            t->setInteger("NOM", i);
            t->setString("FAM", fam[i % 5]);
            t->setString("NAME", "Иван");
            t->setString("OTC", "Петрович");
            t->setDate("DATEROG", Date{1950 + i % 50, 1 + i % 12, 1 + i % 28});
            t->setString("ADRES", "643,101000,77,,Москва г,,Тверская ул,1,,");
            t->setBoolean("ISSPRAV", false);
            t->post();
        }
        t->close();
    }
    const double append = seconds(t0);
    const std::string path = (dir / "SPISOK32.DBF").string();
    const auto bytes = std::filesystem::file_size(path);

    t0 = Clock::now();
    long long sum = 0;
    {
        auto t = db.openTable("SPISOK32", OpenMode::ReadOnly);
        for (t->first(); !t->eof(); t->next()) sum += t->asInteger("NOM") + t->asString("FAM").size();
    }
    const double scan = seconds(t0);

    // The physical baseline: the same number of bytes, record-sized writes through stdio.
    const std::string plain = (dir / "plain.bin").string();
    std::string record(size_t(bytes / std::max(n, 1)), 'x');
    t0 = Clock::now();
    {
        FILE* f = std::fopen(plain.c_str(), "wb");
        for (int i = 0; i < n; ++i) std::fwrite(record.data(), 1, record.size(), f);
        std::fclose(f);
    }
    const double plainWrite = seconds(t0);
    // The same bytes, forced to the disk once at the end (as the table is at close).
    t0 = Clock::now();
    {
        FILE* f = std::fopen(plain.c_str(), "wb");
        for (int i = 0; i < n; ++i) std::fwrite(record.data(), 1, record.size(), f);
        std::fflush(f);
        ::fsync(fileno(f));
        std::fclose(f);
    }
    const double syncedWrite = seconds(t0);
    t0 = Clock::now();
    long long plainSum = 0;
    {
        FILE* f = std::fopen(plain.c_str(), "rb");
        while (std::fread(record.data(), 1, record.size(), f) == record.size()) plainSum += record[0];
        std::fclose(f);
    }
    const double plainRead = seconds(t0);

    std::printf("records: %d, file: %.1f MB\n", n, double(bytes) / 1e6);
    std::printf("append: %.2f s, %.0f records/s; plain writes %.2f s; ratio %.2f\n", append, n / append, plainWrite,
                append / plainWrite);
    std::printf("append synced at close: %.2f s; raw write + fsync %.2f s; ratio %.2f\n", append, syncedWrite,
                append / syncedWrite);
    std::printf("scan:   %.2f s, %.0f records/s; plain reads  %.2f s; ratio %.2f\n", scan, n / scan, plainRead,
                scan / plainRead);
    std::printf("(checksums %lld %lld)\n", sum, plainSum);
    std::filesystem::remove_all(dir);
    return 0;
}
