// The import of a Windows 3.2 source: n taxpayers with 5 statements each and
// 10 income lines a statement, for n and 10·n (by default 1,000 and 10,000,
// the larger one being 50,000 statements and 500,000 income lines). Each
// size is imported twice: into an empty database made from the catalogues,
// and into one that already holds the first half of the same taxpayers, so
// that half of the source meets twins with stored statements. Prints the
// times, the source rows per second and the ratio of the times of 10·n and
// n (a run that grows linearly gives 10). Makes its own data in a scratch
// directory; asserts nothing. An optional argument sets n.

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_tables.h"
#include "data/data_module.h"
#include "engine/session.h"
#include "import/import_run.h"
#include "samples/import/sample_people.h"
#include "samples/import/source_writers.h"

using namespace kvzt;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr int kStatementsPerPerson = 5;
constexpr int kLinesPerStatement = 10;

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

class QuietProgress final : public import::ImportProgress {
public:
    void setMaximum(int) override {}
    void setPosition(int) override {}
    bool cancelled() override { return false; }
};

// Writes the first `persons` people of the benchmark's population; returns
// the number of source rows (taxpayers, statements and their detail rows).
long long writeSource(const fs::path& dir, int persons) {
    samples::PeopleOptions options;
    options.persons = persons;
    options.statementsPerPerson = kStatementsPerPerson;
    options.linesPerStatement = kLinesPerStatement;
    options.exactCounts = true;
    options.seed = 7;
    samples::PeopleGenerator generator(options);
    auto writer = samples::MakeWin32Writer(dir.string());
    long long rows = 0;
    for (int i = 0; i < persons; ++i) {
        const samples::Person p = generator.next();
        rows += 1;
        for (const samples::Statement& s : p.statements)
            rows += 1 + static_cast<long long>(s.lines.size() + s.deductions.size() + s.objects.size());
        writer->add(p);
    }
    writer->finish();
    return rows;
}

// Runs the import; the seconds it took, or a negative number after an error.
double timedImport(engine::Session& session, const fs::path& source, import::ImportResult* out = nullptr) {
    data::TdmKVZT dm(session, data::TdmKVZT::Connect::Later);
    import::ImportRequest request;
    request.srcDir = QString::fromStdString(source.string());
    request.kind = import::SourceKind::Win32;
    QuietProgress progress;
    const auto t0 = Clock::now();
    const import::ImportResult result = import::RunImport(dm, request, progress);
    const double time = seconds(t0);
    if (out) *out = result;
    if (result.error) {
        std::printf("  import of %s stopped: %s\n", source.string().c_str(), result.errorText().toStdString().c_str());
        return -1;
    }
    return time;
}

struct Times {
    double empty = -1;
    double halfFull = -1;
};

Times run(const fs::path& root, int persons) {
    const fs::path source = root / "source";
    const fs::path half = root / "half";
    auto t0 = Clock::now();
    const long long rows = writeSource(source, persons);
    writeSource(half, persons / 2);
    std::printf("n = %d: %d statements, %d income lines, %lld source rows (%.1f s to make)\n", persons,
                persons * kStatementsPerPerson, persons * kStatementsPerPerson * kLinesPerStatement, rows,
                seconds(t0));

    Times times;
    import::ImportResult result;
    {
        auto session = bench::emptyDatabase(root / "target-empty");
        times.empty = timedImport(*session, source, &result);
    }
    if (times.empty >= 0)
        std::printf("  into an empty database:  %8.2f s  %9.0f rows/s  (%d taxpayers, %d statements added)\n",
                    times.empty, double(rows) / times.empty, result.personsAdded, result.statementsAdded);
    {
        auto session = bench::emptyDatabase(root / "target-half");
        if (timedImport(*session, half) >= 0) {
            times.halfFull = timedImport(*session, source, &result);
            if (times.halfFull >= 0)
                std::printf("  into one holding half:   %8.2f s  %9.0f rows/s  (%d taxpayer and %d statement "
                            "duplicates)\n",
                            times.halfFull, double(rows) / times.halfFull, result.personDuplicates,
                            result.statementDuplicates);
        }
    }
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the import asks for the program's directory
    const int n = argc > 1 ? std::max(2, std::atoi(argv[1])) : 1000;
    const fs::path root = fs::temp_directory_path() / "kvzt-import-bench";
    fs::remove_all(root);
    const Times small = run(root / "n", n);
    const Times large = run(root / "10n", 10 * n);
    auto ratio = [](double a, double b) { return a > 0 && b > 0 ? b / a : 0.0; };
    std::printf("ratio of the times, 10n / n: empty database %.1f, half-full database %.1f (aim: at most 12)\n",
                ratio(small.empty, large.empty), ratio(small.halfFull, large.halfFull));
    fs::remove_all(root);
    return 0;
}
