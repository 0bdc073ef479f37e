// Production index figures over the taxpayer-list layout:
//  1. building the tag UPPER(FAM+NAME+OTC)+DTOS(DATEROG) over 1,000,000
//     records, against one scan of the table (raw record reads, and the
//     table cursor reading the four key fields);
//  2. appending 100,000 records with two tags kept up to date;
//  3. the same appends made by Free Pascal's dbf unit (bench/fpc_append.pas,
//     compiled here when fpc is installed) on a copy of the same files.
// The .mdx files both runs leave are checked with "kvzt-cli verify".
// Prints the figures; asserts nothing.
//
// Usage: mdx_bench [RECORDS [APPENDS]]   (defaults 1000000 and 100000)

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_tables.h"
#include "engine/database.h"
#include "engine/dbf_file.h"
#include "engine/table.h"

using namespace kvzt::engine;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double since(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Processor time of this process: on a shared machine the wall clock also
// counts other programs' turns.
double cpuNow() { return double(std::clock()) / CLOCKS_PER_SEC; }


// The values of record n. bench/fpc_append.pas draws the same values in the
// same order, so both appends write identical records.
constexpr std::array<const char*, 40> kSurnames = {
    "Иванов",   "Петрова",  "Сидоров",   "Кузнецова",  "Смирнов",  "Попова",    "Волков",   "Соловьёва",
    "Чернов",   "Яковлева", "Щукин",     "Ёлкина",     "Зайцев",   "Юдина",     "Шевченко", "Эйдельман",
    "Абрамов",  "Баранова", "Васильев",  "Григорьева", "Дмитриев", "Егорова",   "Жуков",    "Исаева",
    "Киселёв",  "Лебедева", "Морозов",   "Новикова",   "Орлов",    "Павлова",   "Романов",  "Тарасова",
    "Уткин",    "Фёдорова", "Харитонов", "Цветкова",   "Чайкин",   "Шарова",    "Ягодкин",  "Медведева"};
constexpr std::array<const char*, 20> kNames = {"Иван",    "Пётр",    "Анна",    "Мария",   "Сергей",
                                                "Ольга",   "Юрий",    "Яна",     "Фёдор",   "Елена",
                                                "Алексей", "Наталья", "Дмитрий", "Татьяна", "Чеслав",
                                                "Эльвира", "Николай", "Ирина",   "Владимир", "Людмила"};
constexpr std::array<const char*, 20> kPatronymics = {
    "Иванович",   "Петровна",   "Сергеевич",    "Алексеевна", "Юрьевич",   "Фёдоровна", "Ильич",
    "Дмитриевна", "Николаевич", "Владимировна", "Андреевич",  "Олеговна",  "Яковлевич", "Семёновна",
    "Михайлович", "Борисовна",  "Григорьевич",  "Евгеньевна", "Тимофеевич", "Аркадьевна"};

class Generator {
public:
    explicit Generator(std::uint32_t n) : x_((std::uint64_t(n) * 2654435761u) & 0xFFFFFFFFu) {}
    std::uint32_t draw() {
        x_ = (x_ * 1103515245u + 12345u) & 0xFFFFFFFFu;
        return std::uint32_t(x_ >> 8);
    }

private:
    std::uint64_t x_;
};

void appendRecords(Table& t, std::uint32_t first, std::uint32_t count) {
    char text[64];
    for (std::uint32_t n = first; n < first + count; ++n) {
        Generator g(n);
        t.append();
        t.setInteger("NOM", n);
        t.setString("FAM", kSurnames[g.draw() % kSurnames.size()]);
        t.setString("NAME", kNames[g.draw() % kNames.size()]);
        t.setString("OTC", kPatronymics[g.draw() % kPatronymics.size()]);
        const int year = 1940 + int(g.draw() % 60);
        const int month = 1 + int(g.draw() % 12);
        const int day = 1 + int(g.draw() % 28);
        t.setDate("DATEROG", Date{year, month, day});
        std::snprintf(text, sizeof text, "643,101000,77,,Москва г,,Тверская ул,%u,,", 1 + g.draw() % 200);
        t.setString("ADRES", text);
        std::snprintf(text, sizeof text, "7700%08u", n);
        t.setString("INNFL", text);
        t.setBoolean("ISSPRAV", false);
        t.post();
    }
}

struct TagDef {
    std::string name;
    std::string expression;
};

struct CommandOutput {
    int exitCode = -1;
    std::string text;  // standard output and error together
};

CommandOutput run(const std::string& command) {
    CommandOutput out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    for (std::size_t got; (got = std::fread(buf, 1, sizeof buf, p)) > 0;) out.text.append(buf, got);
    const int status = ::pclose(p);
    out.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

bool haveProgram(const std::string& name) { return run("command -v " + shellQuoted(name)).exitCode == 0; }

// kvzt-cli of the same build: <build>/src/kvzt-cli beside <build>/bench/mdx_bench.
std::string cliPath() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "src" / "kvzt-cli").string();
}

// Runs "kvzt-cli verify" on a table; returns the tags it found wrong (empty = all good).
struct VerifyResult {
    bool ran = false;
    bool ok = false;
    std::vector<std::string> badTags;
    std::string text;
};

VerifyResult verify(const std::string& dbfPath, const std::vector<TagDef>& tags) {
    VerifyResult r;
    const std::string cli = cliPath();
    if (!fs::exists(cli)) {
        r.text = "kvzt-cli не найден: " + cli;
        return r;
    }
    CommandOutput out = run(shellQuoted(cli) + " verify " + shellQuoted(dbfPath));
    r.ran = true;
    r.text = out.text;
    for (const TagDef& t : tags)
        if (out.text.find("Тег " + t.name + ": в порядке") == std::string::npos) r.badTags.push_back(t.name);
    r.ok = out.exitCode == 0 && r.badTags.empty();
    return r;
}

void printVerify(const char* who, const VerifyResult& v) {
    if (!v.ran) {
        std::printf("  verify (%s): not run, %s\n", who, v.text.c_str());
        return;
    }
    std::printf("  verify (%s): %s\n", who, v.ok ? "pass" : "FAIL");
    if (!v.ok) std::printf("%s", v.text.c_str());
}

// Copies the table and its .mdx. `mdxName` renames the .mdx: Free Pascal's
// dbf unit looks for "<table>.mdx" in lower case unless the whole path is in
// upper case, and on a case-sensitive file system it would not find ours.
void copyTable(const fs::path& from, const fs::path& to, const char* mdxName = "SPISOK32.MDX") {
    fs::create_directories(to);
    fs::copy_file(from / "SPISOK32.DBF", to / "SPISOK32.DBF", fs::copy_options::overwrite_existing);
    if (fs::exists(from / "SPISOK32.MDX"))
        fs::copy_file(from / "SPISOK32.MDX", to / mdxName, fs::copy_options::overwrite_existing);
}

// Builds the tags on the table in `dir` (opened exclusively); returns the seconds of each.
std::vector<double> buildTags(const fs::path& dir, const std::vector<TagDef>& tags) {
    std::vector<double> times;
    auto t = Table::open((dir / "SPISOK32.DBF").string(), OpenMode::Exclusive, CodePage::Cp1251);
    for (const TagDef& tag : tags) {
        auto t0 = Clock::now();
        t->addIndex(tag.name, tag.expression);
        times.push_back(since(t0));
    }
    t->close();
    return times;
}

double ourAppend(const fs::path& dir, std::uint32_t first, std::uint32_t count, OpenMode mode) {
    auto t0 = Clock::now();
    auto t = Table::open((dir / "SPISOK32.DBF").string(), mode, CodePage::Cp1251);
    appendRecords(*t, first, count);
    t->close();
    return since(t0);
}

// Compiles bench/fpc_append.pas into `buildDir`; returns the program path or "".
std::string compilePascal(const fs::path& buildDir) {
    const fs::path source = fs::path(__FILE__).parent_path() / "fpc_append.pas";
    fs::create_directories(buildDir);
    const std::string version = run("fpc -iV").text;
    std::string units = "/usr/lib/x86_64-linux-gnu/fpc/" + version.substr(0, version.find_first_of("\r\n")) +
                        "/units/x86_64-linux/fcl-db";
    std::string command = "fpc -O2 -FE" + shellQuoted(buildDir.string()) + " -FU" + shellQuoted(buildDir.string());
    if (fs::exists(units)) command += " -Fu" + shellQuoted(units);
    CommandOutput out = run(command + " " + shellQuoted(source.string()));
    if (out.exitCode != 0) {
        std::printf("  fpc could not compile %s:\n%s\n", source.string().c_str(), out.text.c_str());
        return {};
    }
    return (buildDir / "fpc_append").string();
}

// Runs the Pascal appends; returns its own timing, or a negative number when
// it failed (its first lines of output are printed).
double pascalAppend(const std::string& program, const fs::path& dir, std::uint32_t first, std::uint32_t count) {
    const std::string timeout = haveProgram("timeout") ? "timeout 1800 " : "";
    CommandOutput out = run(timeout + shellQuoted(program) + " " + shellQuoted(dir.string()) + " SPISOK32.DBF " +
                            std::to_string(count) + " " + std::to_string(first));
    const std::size_t at = out.text.find("SECONDS ");
    if (out.exitCode != 0 || at == std::string::npos) {
        const std::size_t begin = std::min(out.text.find_first_not_of("\r\n"), out.text.size());
        std::size_t end = begin;
        for (int line = 0; line < 3 && end != std::string::npos; ++line) end = out.text.find('\n', end + 1);
        const std::string lines = out.text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        std::printf("  the Pascal program failed (exit %d), %s%s\n", out.exitCode,
                    lines.empty() ? "with no output" : "its first lines:\n", lines.c_str());
        return -1;
    }
    return std::atof(out.text.c_str() + at + 8);
}

std::string describe(const std::vector<TagDef>& tags) {
    std::string s;
    for (const TagDef& t : tags) s += (s.empty() ? "" : ", ") + t.name + " = " + t.expression;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t n = argc > 1 ? std::uint32_t(std::atol(argv[1])) : 1000000;
    const std::uint32_t appends = argc > 2 ? std::uint32_t(std::atol(argv[2])) : 100000;
    const fs::path root = fs::temp_directory_path() / ("kvzt-mdx-bench-" + std::to_string(::getpid()));
    const fs::path base = root / "base";  // the filled table without tags
    const fs::path ours = root / "ours";
    fs::remove_all(root);
    fs::create_directories(base);

    // The table: n records of the taxpayer-list layout.
    auto t0 = Clock::now();
    {
        Database db("VX_B", base.string(), CodePage::Cp1251);
        kvzt::bench::createCatalogueTable(db, "SPISOK32.DBF");
        auto t = db.openTable("SPISOK32", OpenMode::Exclusive);
        appendRecords(*t, 1, n);
        t->close();
    }
    const std::string basePath = (base / "SPISOK32.DBF").string();
    std::printf("table: %u records of SPISOK32 (18 fields), %.1f MB, filled in %.2f s\n", n,
                double(fs::file_size(basePath)) / 1e6, since(t0));

    // --- 1. Tag build against one scan.
    // Each scan runs twice (the first warms the page cache); the better time counts.
    double rawScan = 1e9, cursorScan = 1e9, cursorScanCpu = 1e9;
    long long sum = 0;
    for (int round = 0; round < 2; ++round) {
        t0 = Clock::now();
        {
            auto f = DbfFile::open(basePath, OpenMode::ReadOnly);
            std::string buf(std::size_t(f->recordLength()), '\0');
            for (std::uint32_t r = 1; r <= f->recordCount(); ++r) {
                f->readRecord(r, buf.data());
                sum += buf[1];
            }
        }
        rawScan = std::min(rawScan, since(t0));
        t0 = Clock::now();
        const double c0 = cpuNow();
        {
            auto t = Table::open(basePath, OpenMode::ReadOnly, CodePage::Cp1251);
            for (t->first(); !t->eof(); t->next())
                sum += std::int64_t(t->asString("FAM").size() + t->asString("NAME").size() +
                                    t->asString("OTC").size()) +
                       t->asDate("DATEROG").day;
        }
        cursorScan = std::min(cursorScan, since(t0));
        cursorScanCpu = std::min(cursorScanCpu, cpuNow() - c0);
    }

    const std::vector<TagDef> fioborn = {{"FIOBORN", "UPPER(FAM+NAME+OTC)+DTOS(DATEROG)"}};
    double build = 1e9, buildCpu = 1e9;
    for (int round = 0; round < 2; ++round) {
        copyTable(base, ours);
        fs::remove(ours / "SPISOK32.MDX");
        const double c0 = cpuNow();
        build = std::min(build, buildTags(ours, fioborn)[0]);
        buildCpu = std::min(buildCpu, cpuNow() - c0);
    }
    std::printf("\n1. Build FIOBORN = UPPER(FAM+NAME+OTC)+DTOS(DATEROG) through Table::addIndex (exclusive):\n");
    std::printf("  raw scan (DbfFile::readRecord):            %6.2f s\n", rawScan);
    std::printf("  cursor scan (Table first/next, 4 fields):  %6.2f s\n", cursorScan);
    std::printf("  build (best of 2):                         %6.2f s, .mdx %.1f MB\n", build,
                double(fs::file_size(ours / "SPISOK32.MDX")) / 1e6);
    std::printf("  build / raw scan:    %.2f\n", build / rawScan);
    std::printf("  build / cursor scan: %.2f   (aim: at most 2)\n", build / cursorScan);
    std::printf("  processor time: cursor scan %.2f s, build %.2f s, ratio %.2f\n", cursorScanCpu, buildCpu,
                buildCpu / cursorScanCpu);
    std::printf("  (scan checksum %lld)\n", sum);

    // --- 2. Appends with two tags kept up to date.
    const std::vector<TagDef> twoTags = {fioborn[0], {"NOMX", "NOM"}};
    const double nomBuild = buildTags(ours, {twoTags[1]})[0];
    std::printf("  (NOMX = NOM built in %.2f s)\n", nomBuild);
    const fs::path pristine = root / "pristine";  // both tags, before any append
    copyTable(ours, pristine);

    const double ourTime = ourAppend(ours, n + 1, appends, OpenMode::Exclusive);
    std::printf("\n2. Append %u records through the Table API, tags %s kept up to date:\n", appends,
                describe(twoTags).c_str());
    std::printf("  exclusive table: %6.2f s, %.0f records/s\n", ourTime, appends / ourTime);
    const VerifyResult ourCheck = verify((ours / "SPISOK32.DBF").string(), twoTags);
    printVerify("our files", ourCheck);
    {
        const fs::path shared = root / "shared";
        copyTable(pristine, shared);
        const double sharedTime = ourAppend(shared, n + 1, appends, OpenMode::Shared);
        std::printf("  shared table:    %6.2f s, %.0f records/s (for reference)\n", sharedTime, appends / sharedTime);
        fs::remove_all(shared);
    }

    // --- 3. The same appends through Free Pascal's dbf unit.
    std::printf("\n3. The same appends through Free Pascal's dbf unit (TDbf, TableLevel 4):\n");
    if (!haveProgram("fpc")) {
        std::printf("  fpc is not installed: skipped\n");
        fs::remove_all(root);
        return 0;
    }
    const std::string program = compilePascal(root / "fpc-build");
    if (program.empty()) {
        fs::remove_all(root);
        return 0;
    }
    // The first try keeps the tags of part 2. Should the Pascal unit fail on
    // one of them, the comparison is made again on tags it can keep.
    struct Attempt {
        std::vector<TagDef> tags;
        double ours = 0;  // our time on the same tags
        fs::path files;   // the tagged table before any append
    };
    std::vector<Attempt> attempts = {{twoTags, ourTime, pristine}};
    for (std::size_t i = 0; i < attempts.size(); ++i) {
        const Attempt a = attempts[i];
        std::printf("  tags: %s\n", describe(a.tags).c_str());
        const fs::path theirs = root / ("fpc" + std::to_string(i));
        copyTable(a.files, theirs, "SPISOK32.mdx");
        const double fpcTime = pascalAppend(program, theirs, n + 1, appends);
        const VerifyResult check = fpcTime >= 0 ? verify((theirs / "SPISOK32.DBF").string(), a.tags) : VerifyResult{};
        if (fpcTime >= 0) {
            std::printf("  Free Pascal:     %6.2f s, %.0f records/s (timed by the Pascal program)\n", fpcTime,
                        appends / fpcTime);
            printVerify("Free Pascal's files", check);
        }
        fs::remove_all(theirs);
        if (fpcTime >= 0 && check.ok) {
            std::printf("  ours:            %6.2f s, %.0f records/s\n", a.ours, appends / a.ours);
            std::printf("  ratio Free Pascal / ours: %.2f   (aim: at least 3)\n", fpcTime / a.ours);
            continue;
        }
        if (i > 0) {
            std::printf("  no fair comparison: Free Pascal did not keep these tags either\n");
            break;
        }
        // UPPER() is what the Pascal unit gets wrong: it takes the address to
        // upper-case at, then appends the text to a buffer that the append may
        // move, and writes through the stale address (wrong keys, or a crash
        // once the heap is damaged). The second try keeps the key's length
        // and fields without UPPER().
        std::string wrong;
        for (const std::string& b : check.badTags) wrong += (wrong.empty() ? "" : ", ") + b;
        std::printf("  Free Pascal could not keep these tags up to date (%s).\n"
                    "  Its dbf unit mis-evaluates UPPER(): the upper-cased text is written through a stale\n"
                    "  pointer (wrong keys, or a damaged heap and a crash). Compared instead on tags it can\n"
                    "  keep, the same key without UPPER(); our run repeated on the same tags:\n",
                    fpcTime < 0 ? "its program failed" : ("wrong keys in " + wrong).c_str());
        const std::vector<TagDef> plainTags = {{"FIODATE", "FAM+NAME+OTC+DTOS(DATEROG)"}, {"NOMX", "NOM"}};
        const fs::path second = root / "second";
        copyTable(base, second);
        buildTags(second, plainTags);
        const fs::path secondPristine = root / "second-pristine";
        copyTable(second, secondPristine);
        const double again = ourAppend(second, n + 1, appends, OpenMode::Exclusive);
        printVerify("our files", verify((second / "SPISOK32.DBF").string(), plainTags));
        fs::remove_all(second);
        attempts.push_back({plainTags, again, secondPristine});
    }
    if (!std::getenv("KVZT_BENCH_KEEP")) fs::remove_all(root);
    return 0;
}
