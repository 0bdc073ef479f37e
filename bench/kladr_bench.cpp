// The classifier run over the full-size distribution (kvzt-sample-kladr
// --full: about 226,000 kladr and 1,240,000 street records): the time to
// read both source files once with a plain cursor (the five fields the run
// reads), the import of every region, and the import of the largest single
// region into the loaded tables. Prints the times, each run's ratio to the
// read, the memory the process holds before and after each run (resident
// set) and the peak memory; asserts nothing.
//
//   kladr_bench [DIR]   DIR: existing kladr.dbf/street.dbf (else generated)

#include <QString>
#include <QStringList>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "classifier/kladr_process.h"
#include "data/data_module.h"
#include "engine/alias_config.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/reference_books.h"
#include "schema/table_catalogue.h"

using namespace kvzt;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Silent, or with KLADR_BENCH_PHASES set, the time at each status text that
// is not a region's announcement.
class PhaseProgress final : public classifier::KladrProgress {
public:
    PhaseProgress() : verbose_(std::getenv("KLADR_BENCH_PHASES") != nullptr) {}
    void setMaximum(int) override {}
    void advance(int) override {}
    void setPosition(int) override {}
    void setStatusText(const QString& text) override {
        status_ = text.toStdString();
        if (!verbose_ || text.startsWith(QLatin1Char('"'))) return;
        std::printf("    %7.2f s  cpu %6.2f s  %s\n", seconds(start_), cpuSeconds() - cpuStart_, text.toStdString().c_str());
    }
    // A window takes its events here: the longest wait between two calls is
    // the longest a window would stand frozen.
    void processMessages() override {
        const Clock::time_point now = Clock::now();
        const double wait = std::chrono::duration<double>(now - lastMessages_).count();
        if (verbose_ && wait > 0.2)
            std::printf("    %7.2f s  a wait of %.2f s for window events\n", seconds(start_), wait);
        if (wait > longestWait_) {
            longestWait_ = wait;
            longestAt_ = status_;
        }
        lastMessages_ = now;
    }
    double longestWait() const { return longestWait_; }
    const char* longestAt() const { return longestAt_.c_str(); }

private:
    bool verbose_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastMessages_ = start_;
    double longestWait_ = 0;
    std::string status_, longestAt_;
    double cpuStart_ = cpuSeconds();
};

// Reads every record of a source file as the run does; counts records per region.
long long scan(engine::Session& session, const std::string& dir, const char* name,
               std::map<std::string, long long>& perRegion) {
    auto t = session.openTableInDirectory(dir, name, engine::OpenMode::Exclusive, engine::CodePage::Cp866);
    long long records = 0, bytes = 0;
    for (t->first(); !t->eof(); t->next()) {
        const std::string code = t->rawField("CODE");
        bytes += t->asString("NAME").size() + t->asString("SOCR").size() + t->asString("INDEX").size() +
                 t->asString("GNINMB").size() + code.size();
        ++perRegion[code.substr(0, 2)];
        ++records;
    }
    if (bytes == 0) std::printf("(no field text read)\n");
    return records;
}

void createDatabase(engine::Session& session) {
    const QStringList list = schema::BuildTableCatalogue();
    for (const schema::CatalogueTable& t : schema::CatalogueTables(list)) {
        schema::CreateTableFromCatalogue(session, list, t.alias, t.fileName, t.firstFieldLine(), t.fieldCount);
        if (!schema::CatalogueTags(t.fileName).empty()) {
            schema::CreateIndexes(session.database(t.alias.toStdString()), t.fileName.toStdString());
        }
    }
    schema::FillReferenceBooks(session, QStringLiteral(KVZT_SOURCE_DIR "/samples/refbooks"));
}

// Memory the process holds now (resident set).
long residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work = fs::temp_directory_path() / ("kladr_bench_" + std::to_string(::getpid()));
    fs::create_directories(work / "src");
    fs::create_directories(work / "base");
    fs::create_directories(work / "sprav");
    std::string src = (work / "src").string();
    if (argc > 1) {
        src = argv[1];
    } else {
        const auto t0 = Clock::now();
        const std::string command = std::string(KVZT_SAMPLE_KLADR_PATH) + " --full " + src;
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "the sample generator failed\n");
            return 1;
        }
        std::printf("generate full set           %8.2f s\n", seconds(t0));
    }

    engine::AliasConfig config;
    config.setAlias("VX_B", (work / "base").string());
    config.setAlias("VX_S", (work / "sprav").string());
    engine::Session session(config);
    createDatabase(session);

    std::map<std::string, long long> perRegion;
    auto t0 = Clock::now();
    double c0 = cpuSeconds();
    const long long kladrRecords = scan(session, src, "kladr", perRegion);
    const long long streetRecords = scan(session, src, "street", perRegion);
    const double read = seconds(t0);
    const double readCpu = cpuSeconds() - c0;
    std::string largest = "77";
    for (const auto& [region, count] : perRegion) {
        if (count > perRegion[largest]) largest = region;
    }
    std::printf("source records              kladr %lld, street %lld\n", kladrRecords, streetRecords);
    std::printf("resident before the runs    %8ld MB\n", residentMegabytes());
    std::printf("read both files once        %8.2f s  cpu %6.2f s\n", read, readCpu);

    {
        data::TdmKVZT dm(session);
        classifier::SetAllRegionMarks(dm, true);
        t0 = Clock::now();
        c0 = cpuSeconds();
        PhaseProgress allProgress;
        const auto all = classifier::KladrProcess(dm, {QString::fromStdString(src), true}, allProgress);
        const double allTime = seconds(t0), allCpu = cpuSeconds() - c0;
        std::printf("import all regions          %8.2f s  cpu %6.2f s  (%.2f x read, cpu %.2f x)\n", allTime, allCpu,
                    allTime / read, allCpu / readCpu);
        std::printf("    districts %d, towns %d, settlements %d, streets %d, houses %d\n", all.districts, all.towns,
                    all.settlements, all.streets, all.houses);
        std::printf("    longest wait for window events %.2f s (at: %s), resident after the run %ld MB\n",
                    allProgress.longestWait(), allProgress.longestAt(), residentMegabytes());

        classifier::MarkRegions(dm, {QString::fromStdString(largest)});
        t0 = Clock::now();
        c0 = cpuSeconds();
        PhaseProgress oneProgress;
        const auto one = classifier::KladrProcess(dm, {QString::fromStdString(src), true}, oneProgress);
        const double oneTime = seconds(t0), oneCpu = cpuSeconds() - c0;
        std::printf("import region %s (largest)  %8.2f s  cpu %6.2f s  (%.2f x read, cpu %.2f x)\n", largest.c_str(),
                    oneTime, oneCpu, oneTime / read, oneCpu / readCpu);
        std::printf("    districts %d, towns %d, settlements %d, streets %d, houses %d\n", one.districts, one.towns,
                    one.settlements, one.streets, one.houses);
        std::printf("    longest wait for window events %.2f s (at: %s), resident after the run %ld MB\n",
                    oneProgress.longestWait(), oneProgress.longestAt(), residentMegabytes());
    }
    std::printf("peak memory (ru_maxrss)     %8ld MB\n", peakMegabytes());
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return 0;
}
